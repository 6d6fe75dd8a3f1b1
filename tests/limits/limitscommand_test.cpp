#include "commandline.h"
#include "limitscommand.h"
#include "measurements.h"
#include "snapshotfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

// Snapshots of a 4 A appliance whose 3rd harmonic is `third` amperes RMS.
MeasurementRecord Appliance(double third)
{
    MeasurementRecord r = ZeroMeasurement();
    r.IHarmonic[1] = float(4.0 * std::numbers::sqrt2);
    r.IHarmonic[3] = float(third * std::numbers::sqrt2);
    r.IHarmonic[5] = float(0.5 * std::numbers::sqrt2);
    r.PF = 0.9f;
    r.WRMS = 450.0f;
    return r;
}

class LimitsCommandTest : public ::testing::Test {
protected:
    QString snapshot(const QString& name, const MeasurementRecord& record)
    {
        QString path = dir.filePath(name);
        EXPECT_TRUE(SaveSnapshotFile(path, record).ok());
        return path;
    }

    QTemporaryDir dir;
};

TEST_F(LimitsCommandTest, ExitCodesFollowTheVerdict)
{
    MeasurementRecord nanThird = Appliance(1.0);
    nanThird.IHarmonic[3] = std::numeric_limits<float>::quiet_NaN();
    MeasurementRecord silent = ZeroMeasurement();
    MeasurementRecord big = Appliance(1.0);
    big.WRMS = 900.0f;
    QFile shortFile(dir.filePath("short.zqm"));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write("not a snapshot");
    shortFile.close();

    const struct {
        const char* name;
        QString file;
        const char* emissionClass;
        const char* format;
        int exitCode;
        const char* error; // in the message on standard error
    } cases[] = {
        {"kept", snapshot("kept.zqm", Appliance(2.0)), "A", "", kLimitsKept, ""},
        {"exceeded", snapshot("over.zqm", Appliance(2.4)), "a", "csv", kLimitsExceeded, ""},
        {"class B keeps it", snapshot("over.zqm", Appliance(2.4)), "B", "", kLimitsKept, ""},
        {"class D at 450 W", snapshot("over.zqm", Appliance(2.4)), "D", "json", kLimitsExceeded,
         ""},
        {"NaN harmonic", snapshot("nan.zqm", nanThird), "A", "", kLimitsBadInput,
         "order 3 (invalid_measurement)"},
        {"no fundamental", snapshot("silent.zqm", silent), "A", "", kLimitsBadInput,
         "fundamental current is zero"},
        {"class D above 600 W", snapshot("big.zqm", big), "D", "", kLimitsBadInput,
         "draws 900.0 W"},
        {"short file", dir.filePath("short.zqm"), "A", "", kLimitsBadInput, "short.zqm"},
        {"missing file", dir.filePath("none.zqm"), "A", "", kLimitsBadInput, "none.zqm"},
        {"unknown class", snapshot("kept.zqm", Appliance(2.0)), "E", "", kLimitsBadInput,
         "--class E"},
        {"unknown format", snapshot("kept.zqm", Appliance(2.0)), "A", "xml", kLimitsBadInput,
         "--format xml"},
    };
    for (const auto& c : cases) {
        const LimitsCommandOutcome outcome =
            RunHarmonicLimits({c.file, QString::fromUtf8(c.emissionClass), c.format});
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.name;
        EXPECT_TRUE(outcome.error.contains(QString::fromUtf8(c.error)))
            << c.name << ": " << outcome.error.toStdString();
        EXPECT_EQ(outcome.error.isEmpty(), *c.error == '\0') << c.name;
    }
}

TEST_F(LimitsCommandTest, JsonNamesEachOrdersValueLimitPercentageAndVerdict)
{
    const LimitsCommandOutcome outcome =
        RunHarmonicLimits({snapshot("over.zqm", Appliance(2.4)), "A", "json"});
    ASSERT_EQ(outcome.exitCode, kLimitsExceeded);
    const QJsonObject root = QJsonDocument::fromJson(outcome.output.toUtf8()).object();
    EXPECT_EQ(root["class"].toString(), "A");
    EXPECT_EQ(root["verdict"].toString(), "exceeded");
    EXPECT_EQ(root["worst_order"].toInt(), 3);
    EXPECT_TRUE(root["note"].toString().contains("not the standard's full method"));
    const QJsonArray orders = root["orders"].toArray();
    ASSERT_EQ(orders.size(), 39);
    const QJsonObject third = orders[1].toObject();
    EXPECT_EQ(third["order"].toInt(), 3);
    EXPECT_NEAR(third["measured_a"].toDouble(), 2.4, 1e-6);
    EXPECT_DOUBLE_EQ(third["limit_a"].toDouble(), 2.30);
    EXPECT_NEAR(third["percent"].toDouble(), 2.4 / 2.3 * 100, 1e-4);
    EXPECT_EQ(third["verdict"].toString(), "exceeded");
    const QJsonObject eighth = orders[6].toObject();
    EXPECT_EQ(eighth["order"].toInt(), 8);
    EXPECT_DOUBLE_EQ(eighth["limit_a"].toDouble(), 0.23);
    EXPECT_EQ(eighth["verdict"].toString(), "kept");
    const QJsonObject forty = orders[38].toObject();
    EXPECT_EQ(forty["order"].toInt(), 40);

    // Class D lists no even orders: no limit, no percentage, no verdict.
    const LimitsCommandOutcome d =
        RunHarmonicLimits({snapshot("kept.zqm", Appliance(1.0)), "D", "json"});
    const QJsonObject second =
        QJsonDocument::fromJson(d.output.toUtf8()).object()["orders"].toArray()[0].toObject();
    EXPECT_TRUE(second["limit_a"].isNull());
    EXPECT_TRUE(second["percent"].isNull());
    EXPECT_EQ(second["verdict"].toString(), "no_limit");

    // A NaN measured value is null, never a number.
    MeasurementRecord nanThird = Appliance(1.0);
    nanThird.IHarmonic[3] = std::numeric_limits<float>::quiet_NaN();
    const LimitsCommandOutcome n = RunHarmonicLimits({snapshot("nan.zqm", nanThird), "A", "json"});
    const QJsonObject root2 = QJsonDocument::fromJson(n.output.toUtf8()).object();
    EXPECT_EQ(root2["verdict"].toString(), "incomplete");
    EXPECT_TRUE(root2["orders"].toArray()[1].toObject()["measured_a"].isNull());
    EXPECT_TRUE(root2["reason"].toString().contains("order 3"));
}

TEST_F(LimitsCommandTest, TextShowsEnoughDigitsJustOverTheLimit)
{
    // 2.30001 A: four decimals would read "2.3000" for both.
    const LimitsCommandOutcome outcome =
        RunHarmonicLimits({snapshot("edge.zqm", Appliance(2.30001)), "A", ""});
    ASSERT_EQ(outcome.exitCode, kLimitsExceeded);
    const QStringList lines = outcome.output.split('\n');
    const QStringList third = lines.filter(QRegularExpression("^3 "));
    ASSERT_EQ(third.size(), 1);
    const QStringList cells = third.front().simplified().split(' ');
    ASSERT_EQ(cells.size(), 5);
    EXPECT_NE(cells[1], cells[2]) << third.front().toStdString();
    EXPECT_NE(cells[3], "100.00%");
    EXPECT_EQ(cells[4], "exceeded");
    EXPECT_TRUE(outcome.output.contains("Verdict: exceeded"));
}

TEST(LimitsCommandLine, ReadsTheCommandsWords)
{
    using Action = CommandLine::Action;
    const CommandLine line =
        ParseCommandLine({"--harmonic-limits", "a.zqm", "--class", "b", "--format", "JSON"});
    EXPECT_EQ(line.action, Action::HarmonicLimits);
    EXPECT_EQ(line.harmonicLimits, "a.zqm");
    EXPECT_EQ(line.limitsClass, "b");
    EXPECT_EQ(line.format, "json");
    EXPECT_TRUE(NeedsNoWindow({"--harmonic-limits", "a.zqm", "--class", "A"}));
    EXPECT_TRUE(OptionsWithoutDisplay().contains("--harmonic-limits"));
    EXPECT_TRUE(CommandLineHelp("qpa3600").contains("--harmonic-limits FILE.zqm --class A|B|C|D"));
    for (const QStringList& bad :
         {QStringList{"--harmonic-limits", "a.zqm"}, QStringList{"--class", "A", "a.zqm"},
          QStringList{"--harmonic-limits", "a.zqm", "--class", "A", "--from", "+1"},
          QStringList{"--harmonic-limits", "a.zqm", "--class", "A", "--stats", "r.zqr"},
          QStringList{"--harmonic-limits", "a.zqm", "--class", "A", "--format", "xml"}})
        EXPECT_EQ(ParseCommandLine(bad).action, Action::Error) << bad.join(' ').toStdString();
}

// The real program, with no display at all.
TEST(LimitsCommandProgram, AnswersWithoutADisplayOrAPort)
{
    QTemporaryDir dir;
    const QString kept = dir.filePath("kept.zqm");
    const QString over = dir.filePath("over.zqm");
    ASSERT_TRUE(SaveSnapshotFile(kept, Appliance(2.0)).ok());
    ASSERT_TRUE(SaveSnapshotFile(over, Appliance(2.4)).ok());
    const struct {
        QStringList arguments;
        int exitCode;
        const char* out;
        const char* err;
    } cases[] = {
        {{"--harmonic-limits", kept, "--class", "A"}, 0, "Verdict: kept", ""},
        {{"--harmonic-limits", over, "--class", "A", "--format", "csv"}, 3, "3,", ""},
        {{"--harmonic-limits", over, "--class", "X"}, 1, "", "--class X"},
        {{"--harmonic-limits", over}, 1, "", "needs --class"},
        {{"--harmonic-limits", dir.filePath("none.zqm"), "--class", "A"}, 1, "", "none.zqm"},
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
