#include "measurementline.h"

#include "measurementrecord.h"
#include "recordcsv.h"

#include <QDateTime>
#include <QString>

#include <cmath>

namespace {

struct Quantity {
    float MeasurementRecord::*field;
    const char* name; // the CSV heading; in lower case the JSON key
    const char16_t* unit;
};

// In the order of the record (and of the instrument's answer).
constexpr Quantity kQuantities[] = {
    {&MeasurementRecord::URMS, "URMS", u"V"}, {&MeasurementRecord::UPP, "UPP", u"V"},
    {&MeasurementRecord::UF, "UF", u"Hz"},    {&MeasurementRecord::IRMS, "IRMS", u"A"},
    {&MeasurementRecord::IPP, "IPP", u"A"},   {&MeasurementRecord::IPA, "IPA", u"°"},
    {&MeasurementRecord::PF, "PF", u""},      {&MeasurementRecord::WRMS, "WRMS", u"W"},
    {&MeasurementRecord::PS, "PS", u"VA"},    {&MeasurementRecord::PQ, "PQ", u"var"},
    {&MeasurementRecord::VTHD, "VTHD", u""},  {&MeasurementRecord::ITHD, "ITHD", u""},
    {&MeasurementRecord::VKF, "VKF", u""},    {&MeasurementRecord::IKF, "IKF", u""},
    {&MeasurementRecord::KWH, "KWH", u"kWh"},
};

struct Spectrum {
    std::array<float, 51> MeasurementRecord::*field;
    const char* prefix; // CSV: "U0" ... "U50"
    const char16_t* unit;
    const char* key;
};
constexpr Spectrum kSpectra[] = {
    {&MeasurementRecord::UHarmonic, "U", u"V", "u_harmonics"},
    {&MeasurementRecord::IHarmonic, "I", u"A", "i_harmonics"},
};

QString jsonNumber(float value)
{
    return std::isfinite(value) ? ShortestFloatText(value) : QStringLiteral("null");
}

} // namespace

QByteArray MeasurementCsvHeader(bool harmonics)
{
    QString header = CsvTimeHeading();
    for (const Quantity& q : kQuantities)
        header += QLatin1Char(',') + CsvHeading(QLatin1String(q.name), QString::fromUtf16(q.unit));
    if (harmonics)
        for (const Spectrum& s : kSpectra)
            for (int order = 0; order < 51; ++order)
                header += QLatin1Char(',')
                          + CsvHeading(QLatin1String(s.prefix) + QString::number(order),
                                       QString::fromUtf16(s.unit));
    return header.toUtf8() + "\r\n";
}

QByteArray MeasurementCsvLine(const MeasurementRecord& record, const QDateTime& when,
                              bool harmonics)
{
    QString line = CsvLocalTimeText(when);
    for (const Quantity& q : kQuantities)
        line += QLatin1Char(',') + ShortestFloatText(record.*q.field);
    if (harmonics)
        for (const Spectrum& s : kSpectra)
            for (float value : record.*s.field)
                line += QLatin1Char(',') + ShortestFloatText(value);
    return line.toUtf8() + "\r\n";
}

QByteArray MeasurementJsonLine(const MeasurementRecord& record, const QDateTime& when,
                               bool harmonics)
{
    QString line = QStringLiteral("{\"time\":\"%1\"").arg(CsvLocalTimeText(when));
    for (const Quantity& q : kQuantities)
        line += QStringLiteral(",\"%1\":%2")
                    .arg(QString::fromLatin1(q.name).toLower(), jsonNumber(record.*q.field));
    if (harmonics) {
        for (const Spectrum& s : kSpectra) {
            QStringList values;
            for (float value : record.*s.field)
                values << jsonNumber(value);
            line += QStringLiteral(",\"%1\":[%2]")
                        .arg(QLatin1String(s.key), values.join(QLatin1Char(',')));
        }
    }
    return line.toUtf8() + "}\n";
}
