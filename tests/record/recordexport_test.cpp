// The CSV export of a recording, byte for byte, and the export commands with
// their dialogs, overwrite question and failures.
#include "recordcontrol.h"
#include "recordcsv.h"
#include "recordfixture.h"
#include "recordingdialogs.h"
#include "recordstate.h"
#include "sharedstate.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <memory>

namespace {

constexpr double kNoon = 45000.5; // 2023-03-15 12:00:00 local

void ThreeSamples(SampleBuffers& data)
{
    const double seconds[] = {0, 0.25, 1.5};
    const float values[3][6] = {{230.1f, 0.1f, 1500, 0.5f, 21.25f, 0},
                                {-1.5f, 1e-7f, 3.4028235e38f, 1, 0.001f, 7},
                                {0, 100, 2.5f, 0.333333343f, -0.0f, 16777216}};
    for (int i = 0; i < 3; ++i) {
        data.timestamps()[i] = kNoon + seconds[i] / 86400.0;
        for (int c = 0; c < 6; ++c)
            data.channel(c)[i] = values[i][c];
    }
}

TEST(RecordCsv, ThreeSamplesExactly)
{
    auto data = std::make_unique<SampleBuffers>();
    ThreeSamples(*data);
    const QByteArray csv = RecordCsv(*data, 2, {0, 1, 2, 7, 10, 13});
    const QByteArray expected =
        QString::fromUtf8("時間,經過秒數,CH1 電壓 (V),CH2 電流 (A),CH3 功率 (W),CH4 功率因數,"
                          "CH5 溫度1 (°C),CH6\r\n")
            .toUtf8()
        + "2023-03-15T12:00:00.000,0.000,230.1,0.1,1500,0.5,21.25,0\r\n"
          "2023-03-15T12:00:00.250,0.250,-1.5,1e-07,3.4028235e+38,1,0.001,7\r\n"
          "2023-03-15T12:00:01.500,1.500,0,100,2.5,0.33333334,-0,16777216\r\n";
    EXPECT_EQ(csv, expected);
    EXPECT_FALSE(csv.startsWith("\xEF\xBB\xBF"));
}

TEST(RecordCsv, HeadingsCarryTheUnitsOfEachQuantity)
{
    const char* headings[] = {"CH1 電壓 (V)",      "CH1 電流 (A)",     "CH1 功率 (W)",
                              "CH1 視在功率 (VA)", "CH1 虛功率 (var)", "CH1 電流相位 (°)",
                              "CH1 頻率 (Hz)",     "CH1 功率因數",     "CH1 電壓THD",
                              "CH1 電流THD",       "CH1 溫度1 (°C)",   "CH1 溫度2 (°C)",
                              "CH1 溫度3 (°C)"};
    for (int code = 0; code < 13; ++code)
        EXPECT_EQ(CsvChannelHeading(0, code), QString::fromUtf8(headings[code]));
    EXPECT_EQ(CsvChannelHeading(5, -1), "CH6");
    EXPECT_EQ(CsvChannelHeading(5, 255), "CH6");
}

TEST(RecordCsv, ValuesReadBackBitForBit)
{
    const float values[] = {0.1f,
                            1.0f / 3,
                            std::nextafter(1.0f, 2.0f),
                            std::numeric_limits<float>::denorm_min(),
                            std::numeric_limits<float>::max(),
                            -std::numeric_limits<float>::min(),
                            123456.789f,
                            229.99998f};
    for (const float v : values) {
        const QByteArray text = ShortestFloatText(v).toLatin1();
        const float back = std::strtof(text.constData(), nullptr);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(back), std::bit_cast<std::uint32_t>(v))
            << text.constData();
    }
}

TEST(RecordCsv, DamagedTimestampsLeaveTheirTimeFieldsEmpty)
{
    auto data = std::make_unique<SampleBuffers>();
    ThreeSamples(*data);
    data->timestamps()[1] = std::numeric_limits<double>::quiet_NaN();
    data->channel(0)[1] = std::numeric_limits<float>::quiet_NaN();
    const QList<QByteArray> lines = RecordCsv(*data, 2, {0, 0, 0, 0, 0, 0}).split('\n');
    EXPECT_TRUE(lines[2].startsWith(",,nan,")) << lines[2].constData();
    EXPECT_TRUE(lines[3].startsWith("2023-03-15T12:00:01.500,1.500,")) << lines[3].constData();
}

// Sets the local time zone for one test and restores it after.
class LocalZone {
public:
    explicit LocalZone(const char* tz)
        : saved_(qgetenv("TZ")), had_(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", tz);
        tzset();
    }
    ~LocalZone()
    {
        if (had_)
            qputenv("TZ", saved_);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray saved_;
    bool had_;
};

TEST(RecordCsv, AcrossAClockChangeTimesStayAsRecordedAndSecondsCountOn)
{
    // Central European rules written out, so no zone database is needed:
    // clocks go from 02:00 to 03:00 on 2023-03-26 and back from 03:00 to
    // 02:00 on 2023-10-29.
    const LocalZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    auto data = std::make_unique<SampleBuffers>();
    const auto at = [](int y, int mo, int d, int h, int mi, int s) {
        return OleDateFromLocal(QDateTime(QDate(y, mo, d), QTime(h, mi, s)));
    };
    data->timestamps()[0] = at(2023, 3, 26, 1, 59, 59);
    data->timestamps()[1] = at(2023, 3, 26, 3, 0, 0); // one second later
    data->timestamps()[2] = at(2023, 3, 26, 12, 0, 0);
    data->timestamps()[3] = at(2023, 3, 27, 12, 0, 0); // a whole day later
    data->timestamps()[4] = at(2023, 10, 29, 1, 0, 0);
    data->timestamps()[5] = at(2023, 10, 29, 12, 0, 0); // eleven hours of the clock, twelve of time
    const QList<QByteArray> lines = RecordCsv(*data, 5, {0, 0, 0, 0, 0, 0}).split('\n');
    const char* expected[] = {
        "2023-03-26T01:59:59.000,0.000,",
        "2023-03-26T03:00:00.000,1.000,",
        "2023-03-26T12:00:00.000,32401.000,",
        "2023-03-27T12:00:00.000,118801.000,",
    };
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(lines[i + 1].startsWith(expected[i])) << lines[i + 1].constData();
    const double autumn = lines[6].split(',')[1].toDouble() - lines[5].split(',')[1].toDouble();
    EXPECT_EQ(autumn, 12 * 3600.0);
    EXPECT_TRUE(lines[6].startsWith("2023-10-29T12:00:00.000,")) << lines[6].constData();
}

class RecordExportTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    SharedState shared;
    std::unique_ptr<RecordState> record = std::make_unique<RecordState>();
    RecordingDialogs dialogs;
    RecordControl control{*record, shared, dialogs};
};

// Takes what is written until `capacity` bytes were taken, then fails, as a
// full disk does.
class FillingDevice : public QIODevice {
public:
    explicit FillingDevice(qint64 capacity) : capacity_(capacity) { open(QIODevice::WriteOnly); }
    QByteArray taken;
    int writes = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        ++writes;
        if (taken.size() + size > capacity_)
            return -1;
        taken.append(data, size);
        return size;
    }

private:
    qint64 capacity_;
};

TEST(RecordCsv, ALongRecordingIsWrittenInPiecesAndAFailedWriteStopsIt)
{
    auto data = std::make_unique<SampleBuffers>();
    constexpr std::int32_t kSamples = 20000; // about 1.3 MB of text
    for (std::int32_t i = 0; i < kSamples; ++i) {
        data->timestamps()[i] = kNoon + i / 86400.0;
        for (int c = 0; c < 6; ++c)
            data->channel(c)[i] = float(i) / float(c + 3);
    }
    const QByteArray whole = RecordCsv(*data, kSamples - 1, {0, 1, 2, 3, 4, 5});
    EXPECT_EQ(whole.count("\r\n"), kSamples + 1);

    FillingDevice roomy(std::numeric_limits<qint64>::max());
    EXPECT_TRUE(WriteRecordCsv(roomy, *data, kSamples - 1, {0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(roomy.taken, whole);
    EXPECT_GT(roomy.writes, 2); // never the whole text at once

    FillingDevice full(400000);
    EXPECT_FALSE(WriteRecordCsv(full, *data, kSamples - 1, {0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(whole.startsWith(full.taken));
    EXPECT_LT(full.writes, roomy.writes); // nothing more is tried after the failure
}

TEST_F(RecordExportTest, NothingToExportGivesAMessage)
{
    control.ExportCsv();
    record->ViewMode = 1;
    control.ExportCsv();
    EXPECT_EQ(dialogs.texts(), QStringList({"沒有可匯出的記錄資料。", "沒有可匯出的記錄資料。"}));
    EXPECT_TRUE(dialogs.filters.isEmpty());
}

TEST_F(RecordExportTest, RecordingViewExportsEverySampleFromZero)
{
    ThreeSamples(record->CaptureBuffers);
    record->CaptureCount = 3;
    record->SaveBlock.Codes = {0, 1, 2, 7, 10, 13};
    record->RecordFileName = dir.filePath("trend.zqr");
    dialogs.saveAnswer = dir.filePath("out.csv");
    control.ExportCsv();
    EXPECT_EQ(dialogs.filters, QStringList({"CSV (*.csv)"}));
    EXPECT_EQ(dialogs.offeredNames, QStringList({dir.filePath("trend.csv")}));
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(FileBytes(dialogs.saveAnswer),
              RecordCsv(record->CaptureBuffers, 2, {0, 1, 2, 7, 10, 13}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RecordExportTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysYes)
{
    record->FileReady = true;
    record->ViewMode = 1;
    record->BrowseFileName = dir.filePath("a.zqr");
    record->BrowseLast = 1;
    dialogs.saveAnswer = dir.filePath("old.csv");
    QFile old(dialogs.saveAnswer);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    dialogs.yesAnswer = false;
    control.ExportCsv();
    EXPECT_EQ(dialogs.questions, QStringList({"檔案存在|  檔案已經存在，是否覆蓋？  "}));
    EXPECT_EQ(FileBytes(dialogs.saveAnswer), "old");
    dialogs.yesAnswer = true;
    control.ExportCsv();
    EXPECT_EQ(FileBytes(dialogs.saveAnswer).count("\r\n"), 3);
    EXPECT_EQ(dialogs.offeredNames.first(), dir.filePath("a.csv"));
}

TEST_F(RecordExportTest, PngIsThePictureAndAFailureIsReported)
{
    QImage chart(70, 40, QImage::Format_RGB32);
    chart.fill(QColor(10, 20, 30));
    chart.setPixelColor(3, 4, QColor(255, 0, 0));
    dialogs.saveAnswer = dir.filePath("chart.png");
    control.ExportPng(chart);
    EXPECT_EQ(dialogs.offeredNames, QStringList({"RecordChart.png"}));
    EXPECT_EQ(QImage(dialogs.saveAnswer).convertToFormat(QImage::Format_RGB32), chart);

    dialogs.saveAnswer = dir.filePath("missing/chart.png");
    control.ExportPng(chart);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("無法寫入檔案："));
    EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Error);
}

} // namespace
