// "qpa3600 --stats": its options, the forms of TIME, the three outputs, bad
// input answered with one line and exit code 1, the numbers equal to the
// record window's for the same span, and the real program without a display.
#include "commandline.h"
#include "commandlinestats.h"
#include "recordblock.h"
#include "recordcontrol.h"
#include "recordfile.h"
#include "recordingdialogs.h"
#include "recordstate.h"
#include "sharedstate.h"
#include "trecordform.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using Action = CommandLine::Action;

// 23:30:00 of an evening: 2000 samples 3 s apart run past midnight to 01:09:57.
constexpr double kStart = 46000 + 23.5 / 24;
constexpr int kSamples = 2000;

double TimeOf(int i)
{
    return kStart + i * 3 / 86400.0;
}

// A record file of power, current, voltage, apparent and reactive power
// and power factor, with a NaN and a gap of a minute in it.
void WriteStatisticsFile(const QString& path)
{
    auto data = std::make_unique<SampleBuffers>();
    for (int i = 0; i < kSamples; ++i) {
        const double t = TimeOf(i) + (i >= 1500 ? 60 / 86400.0 : 0);
        data->timestamps()[i] = t;
        for (int c = 0; c < 6; ++c)
            data->channel(c)[i] = float(100 * (c + 1) + 50 * std::sin(i / 40.0 + c));
    }
    data->channel(0)[700] = std::nanf("");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    auto block = std::make_unique<RecordBlock>();
    block->Codes = {2, 1, 0, 3, 4, 7};
    for (int k = 0; k < 2; ++k) {
        AssembleBlock(*block, *data, kSamples, k, kSamples);
        file.write(reinterpret_cast<const char*>(block.get()), sizeof *block);
    }
}

class StatisticsCommandTest : public ::testing::Test {
protected:
    StatisticsCommandTest() { WriteStatisticsFile(path); }

    QJsonObject json(const QString& from, const QString& to)
    {
        const StatisticsOutcome outcome = RunStatistics({path, from, to, "json"});
        EXPECT_EQ(outcome.exitCode, 0) << outcome.error.toStdString();
        return QJsonDocument::fromJson(outcome.output.toUtf8()).object();
    }

    QTemporaryDir dir;
    QString path = dir.filePath("evening.zqr");
};

TEST(StatisticsCommandLine, ParsesTheStatsOptionsAndRefusesTheirMisuse)
{
    const CommandLine plain = ParseCommandLine({"--stats", "r.zqr"});
    EXPECT_EQ(plain.action, Action::Stats);
    EXPECT_EQ(plain.stats, "r.zqr");
    const CommandLine full =
        ParseCommandLine({"--stats=r.zqr", "--from", "+10", "--to=01:00", "--format", "JSON"});
    EXPECT_EQ(full.action, Action::Stats) << full.error.toStdString();
    EXPECT_EQ(full.from, "+10");
    EXPECT_EQ(full.to, "01:00");
    EXPECT_EQ(full.format, "json");
    const struct {
        QStringList arguments;
        const char* error;
    } wrong[] = {
        {{"--stats", "r.zqr", "--format", "xml"}, "Unknown format 'xml'"},
        {{"--from", "+1", "r.zqr"}, "--from and --to apply only with --stats"},
        {{"--stats", "r.zqr", "--report-pdf", "o.pdf"}, "cannot be used together"},
        {{"--stats"}, "Missing value after '--stats'"},
    };
    for (const auto& c : wrong) {
        const CommandLine parsed = ParseCommandLine(c.arguments);
        EXPECT_EQ(parsed.action, Action::Error) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(parsed.error.contains(QLatin1String(c.error))) << parsed.error.toStdString();
    }
    EXPECT_TRUE(NeedsNoWindow({"--stats", "r.zqr"}));
    EXPECT_TRUE(NeedsNoWindow({"--stats=r.zqr", "--format", "csv"}));
    EXPECT_TRUE(OptionsWithoutDisplay().contains("--stats"));
    EXPECT_TRUE(CommandLineHelp("qpa3600").contains("--stats FILE"));
}

TEST_F(StatisticsCommandTest, EveryFormOfTimeChoosesItsSamples)
{
    const struct {
        const char* from;
        const char* to;
        int first;
        int last;
    } cases[] = {
        {"", "", 0, kSamples - 1},
        {"+60", "", 20, kSamples - 1},
        {"+60.5", "+120", 21, 40},
        {"2025-12-09T23:45:00", "2025-12-09 23:45:30.000", 300, 310},
        {"23:45", "23:45:03", 300, 301},
        // A time of day before the start's is on the day after: past midnight.
        {"23:59:00", "00:01:00", 580, 620},
        {"", "23:30:04", 0, 1}, // between two samples: the earlier one is the last
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " .. " + c.to);
        const QJsonObject result = json(c.from, c.to);
        EXPECT_EQ(result["first_sample"].toInt(), c.first);
        EXPECT_EQ(result["last_sample"].toInt(), c.last);
        EXPECT_EQ(result["first_time"].toString(), StatisticTime(TimeOf(c.first)));
    }
}

TEST_F(StatisticsCommandTest, BadInputIsOneLineAndExitCodeOne)
{
    QFile(dir.filePath("short.zqr")).open(QIODevice::WriteOnly);
    const struct {
        QString file;
        const char* from;
        const char* to;
        const char* format;
        const char* error;
    } cases[] = {
        {path, "yesterday", "", "text", "--from yesterday"},
        {path, "", "25:00", "text", "--to 25:00"},
        {path, "+-3", "", "text", "--from +-3"},
        {path, "2025-12-10T00:10:00", "2025-12-10T00:00:00", "text", "lies before"},
        {path, "+99999", "", "text", "No sample of"},
        {path, "", "", "yaml", "--format yaml"},
        {dir.filePath("missing.zqr"), "", "", "text", "missing.zqr"},
        {dir.filePath("short.zqr"), "", "", "csv", "short.zqr"},
        {"", "", "", "text", "--stats needs a record file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        const StatisticsOutcome outcome = RunStatistics({c.file, c.from, c.to, c.format});
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_TRUE(outcome.output.isEmpty());
        EXPECT_TRUE(outcome.error.contains(QLatin1String(c.error))) << outcome.error.toStdString();
        EXPECT_FALSE(outcome.error.contains('\n')) << outcome.error.toStdString();
    }
}

TEST_F(StatisticsCommandTest, TextAndCsvCarryTheSameFiguresAsJson)
{
    const QJsonObject result = json("", "");
    const QJsonArray channels = result["channels"].toArray();
    ASSERT_EQ(channels.size(), 6);
    EXPECT_EQ(channels[0]["quantity"].toString(), "功率");
    EXPECT_EQ(channels[0]["unit"].toString(), "W");
    EXPECT_EQ(channels[0]["count"].toInt(), kSamples - 1) << "the NaN is left out";
    EXPECT_EQ(channels[0]["energy_unit"].toString(), "Wh");
    EXPECT_FALSE(channels[2].toObject().contains("energy")) << "voltage";

    const StatisticsOutcome csv = RunStatistics({path, "", "", "csv"});
    const QStringList lines = csv.output.split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 7);
    EXPECT_TRUE(lines[0].startsWith("channel,quantity,unit,count,minimum,maximum,mean,energy"));
    const QStringList power = lines[1].split(',');
    EXPECT_EQ(power[3].toInt(), kSamples - 1);
    EXPECT_EQ(power[6].toDouble(), channels[0]["mean"].toDouble());
    EXPECT_EQ(power[7].toDouble(), channels[0]["energy"].toDouble());
    EXPECT_EQ(power[8], "Wh");

    const StatisticsOutcome text = RunStatistics({path, "", "", ""});
    EXPECT_TRUE(text.output.contains("Span: " + StatisticTime(TimeOf(0)) + " .. "));
    EXPECT_TRUE(text.output.contains(StatisticText(channels[0]["mean"].toDouble())));
    EXPECT_TRUE(text.output.contains(StatisticText(channels[0]["energy"].toDouble()) + " Wh"));
}

// The cursors of the record window on samples i and j, and --stats from the
// time of one to the time of the other: the same figures, to the last bit.
TEST_F(StatisticsCommandTest, TheWindowAndTheCommandGiveTheSameNumbers)
{
    SharedState shared;
    auto record = std::make_unique<RecordState>();
    RecordingDialogs dialogs;
    RecordControl control{*record, shared, dialogs};
    TRecordForm form(control, *record, shared, QCoreApplication::applicationDirPath());
    ASSERT_TRUE(control.OpenPath(path));
    const struct {
        std::optional<int> a;
        std::optional<int> b;
    } spans[] = {{1800, 400}, {650, 1650}, {std::nullopt, std::nullopt}};
    for (const auto& span : spans) {
        form.clearCursors();
        form.statisticsItem->setChecked(true);
        QString from, to;
        if (span.a && span.b) {
            form.placeCursor(CursorId::A, *span.a);
            form.placeCursor(CursorId::B, *span.b);
            from = StatisticTime(record->BrowseBuffers.timestamps()[std::min(*span.a, *span.b)]);
            to = StatisticTime(record->BrowseBuffers.timestamps()[std::max(*span.a, *span.b)]);
        }
        SCOPED_TRACE((from + " .. " + to).toStdString());
        const SpanStatistics& window = form.cursorReading().statistics;
        const QJsonObject command = json(from, to);
        EXPECT_EQ(command["first_sample"].toInt(), window.first);
        EXPECT_EQ(command["last_sample"].toInt(), window.last);
        const QJsonArray channels = command["channels"].toArray();
        for (int c = 0; c < 6; ++c) {
            const ChannelStatistics& w = window.channels[std::size_t(c)];
            const QJsonObject cmd = channels[c].toObject();
            EXPECT_EQ(cmd["count"].toInt(), w.count) << c;
            EXPECT_EQ(float(cmd["minimum"].toDouble()), float(w.minimum)) << c;
            EXPECT_EQ(float(cmd["maximum"].toDouble()), float(w.maximum)) << c;
            EXPECT_EQ(cmd["mean"].toDouble(), w.mean) << c;
            EXPECT_EQ(cmd.contains("energy"), w.energy.has_value()) << c;
            if (w.energy) {
                EXPECT_EQ(cmd["energy"].toDouble(), *w.energy) << c;
            }
        }
    }
}

// The real program, with no display at all.
TEST(StatisticsProgramTest, AnswersWithoutADisplayOrAPort)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("evening.zqr");
    WriteStatisticsFile(path);
    const struct {
        QStringList arguments;
        int exitCode;
        const char* out;
        const char* err;
    } cases[] = {
        {{"--stats", path, "--format", "csv"}, 0, "CH1,功率,W,1999,", ""},
        {{"--stats", path, "--from", "00:00"}, 0, "Span: 2025-12-10T00:00:00.000 ..", ""},
        {{"--stats", path, "--from", "noon"}, 1, "", "--from noon"},
        {{"--stats", path, "--format", "xml"}, 1, "", "Unknown format 'xml'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(QPA3600_BINARY), c.arguments);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), c.exitCode);
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_TRUE(out.contains(QString::fromUtf8(c.out))) << out.toStdString();
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.err))) << err.toStdString();
    }
}

} // namespace
