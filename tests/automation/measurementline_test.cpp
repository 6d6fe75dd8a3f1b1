#include "measurementline.h"
#include "measurements.h"
#include "recordcsv.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

const QDateTime kWhen(QDate(2026, 3, 1), QTime(14, 5, 9, 250));

// Values that only the shortest exact text brings back, and the fifteen
// quantities each different so that a swap shows.
MeasurementRecord distinctMeasurement()
{
    MeasurementRecord r = RealisticMeasurement();
    r.URMS = 230.12345f;
    r.UPP = 325.1f;
    r.UF = 49.98765f;
    r.IRMS = 0.1f;
    r.IPP = 1e-7f;
    r.IPA = -12.5f;
    r.PF = 0.97654321f;
    r.WRMS = 12345.678f;
    r.PS = 3.4028235e38f;
    r.PQ = -0.0f;
    r.VTHD = 0.033333335f;
    r.ITHD = 0.5f;
    r.VKF = 1.4142135f;
    r.IKF = 2.0f;
    r.KWH = 123456.79f;
    for (int k = 0; k < 51; ++k) {
        r.UHarmonic[std::size_t(k)] = 300.0f / float(k + 1);
        r.IHarmonic[std::size_t(k)] = 7.0f / float(k + 3);
    }
    return r;
}

std::vector<float> quantities(const MeasurementRecord& r)
{
    return {r.URMS, r.UPP, r.UF,   r.IRMS, r.IPP, r.IPA, r.PF, r.WRMS,
            r.PS,   r.PQ,  r.VTHD, r.ITHD, r.VKF, r.IKF, r.KWH};
}

// The float a text reads back to (QString::toFloat refuses the largest).
float readBack(const QString& text)
{
    return std::strtof(text.toLatin1().constData(), nullptr);
}

QStringList csvFields(const QByteArray& line)
{
    EXPECT_TRUE(line.endsWith("\r\n"));
    return QString::fromUtf8(line.chopped(2)).split(QLatin1Char(','));
}

TEST(MeasurementLineTest, CsvHeaderNamesTheQuantitiesWithTheirUnits)
{
    const QStringList header = csvFields(MeasurementCsvHeader(false));
    const QStringList expected = {"時間",     "URMS (V)", "UPP (V)",  "UF (Hz)",
                                  "IRMS (A)", "IPP (A)",  "IPA (°)",  "PF",
                                  "WRMS (W)", "PS (VA)",  "PQ (var)", "VTHD",
                                  "ITHD",     "VKF",      "IKF",      "KWH (kWh)"};
    EXPECT_EQ(header, expected);
    EXPECT_EQ(header.first(), CsvTimeHeading()); // as the recording's export begins

    const QStringList withHarmonics = csvFields(MeasurementCsvHeader(true));
    ASSERT_EQ(withHarmonics.size(), 16 + 2 * 51);
    EXPECT_EQ(withHarmonics[16], "U0 (V)");
    EXPECT_EQ(withHarmonics[16 + 50], "U50 (V)");
    EXPECT_EQ(withHarmonics[16 + 51], "I0 (A)");
    EXPECT_EQ(withHarmonics.last(), "I50 (A)");
}

// Every value reads back to the very float the instrument sent, in the
// header's order; the time is the local time with milliseconds.
TEST(MeasurementLineTest, CsvAndJsonLinesCarryTheValuesExactly)
{
    const MeasurementRecord record = distinctMeasurement();
    const std::vector<float> expected = quantities(record);

    const QStringList csv = csvFields(MeasurementCsvLine(record, kWhen, true));
    ASSERT_EQ(csv.size(), 16 + 2 * 51);
    EXPECT_EQ(csv[0], "2026-03-01T14:05:09.250");
    EXPECT_EQ(csv[0], CsvLocalTimeText(kWhen));
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(readBack(csv[int(i) + 1]), expected[i]) << csv[int(i) + 1].toStdString();
    EXPECT_TRUE(csv[10].startsWith('-')) << "the sign of -0 stays";
    for (int k = 0; k < 51; ++k) {
        EXPECT_EQ(readBack(csv[16 + k]), record.UHarmonic[std::size_t(k)]);
        EXPECT_EQ(readBack(csv[16 + 51 + k]), record.IHarmonic[std::size_t(k)]);
    }
    EXPECT_EQ(csvFields(MeasurementCsvLine(record, kWhen, false)).size(), 16);

    const QByteArray jsonLine = MeasurementJsonLine(record, kWhen, true);
    ASSERT_TRUE(jsonLine.endsWith("}\n"));
    EXPECT_EQ(jsonLine.count('\n'), 1);
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(jsonLine, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(json["time"].toString(), "2026-03-01T14:05:09.250");
    const char* keys[] = {"urms", "upp", "uf",   "irms", "ipp", "ipa", "pf", "wrms",
                          "ps",   "pq",  "vthd", "ithd", "vkf", "ikf", "kwh"};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(float(json[QLatin1String(keys[i])].toDouble()), expected[i]) << keys[i];
    const QJsonArray u = json["u_harmonics"].toArray();
    const QJsonArray iHarmonics = json["i_harmonics"].toArray();
    ASSERT_EQ(u.size(), 51);
    ASSERT_EQ(iHarmonics.size(), 51);
    for (int k = 0; k < 51; ++k) {
        EXPECT_EQ(float(u[k].toDouble()), record.UHarmonic[std::size_t(k)]);
        EXPECT_EQ(float(iHarmonics[k].toDouble()), record.IHarmonic[std::size_t(k)]);
    }
    EXPECT_EQ(json.size(), 1 + 15 + 2);
    EXPECT_EQ(QJsonDocument::fromJson(MeasurementJsonLine(record, kWhen, false)).object().size(),
              16);
}

// A harmonic the instrument could not compute stays NaN in the record (only
// the fifteen quantities are cleaned); JSON has no NaN, so it is null there.
TEST(MeasurementLineTest, ANumberJsonCannotHoldIsNull)
{
    MeasurementRecord record = distinctMeasurement();
    record.UHarmonic[3] = std::numeric_limits<float>::quiet_NaN();
    record.IHarmonic[0] = std::numeric_limits<float>::infinity();
    const QByteArray line = MeasurementJsonLine(record, kWhen, true);
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(line, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    EXPECT_TRUE(json["u_harmonics"].toArray()[3].isNull());
    EXPECT_TRUE(json["i_harmonics"].toArray()[0].isNull());
    EXPECT_EQ(float(json["u_harmonics"].toArray()[4].toDouble()), record.UHarmonic[4]);
}

} // namespace
