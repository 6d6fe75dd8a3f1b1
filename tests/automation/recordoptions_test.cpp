#include "recordoptions.h"

#include <gtest/gtest.h>

namespace {

TEST(RecordOptionsTest, TimesAreSecondsOrCarryTheirUnit)
{
    const struct Case {
        const char* text;
        std::optional<qint64> ms;
    } cases[] = {
        {"90", 90000},         {"0.5", 500},
        {"90s", 90000},        {"15m", 900000},
        {"2h", 7200000},       {"3d", 259200000},
        {"1.5h", 5400000},     {" 10 ", 10000},
        {"", std::nullopt},    {"s", std::nullopt},
        {"-1", std::nullopt},  {"5w", std::nullopt},
        {"2 h", 7200000},      {"1e400", std::nullopt},
        {"nan", std::nullopt}, {"10000d", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseTimeMs(QString::fromUtf8(c.text)), c.ms);
    }
}

TEST(RecordOptionsTest, ReadsTheFileTheRecordingAndTheLink)
{
    const RecordCommandLine parsed =
        ParseRecordCommandLine({"out.zqr", "--device", "/dev/ttyUSB0", "--baud", "9600",
                                "--channels", "0, 1,2,6,7,9", "--step", "0.5", "--save", "1m",
                                "--duration", "3d", "--csv", "out.csv", "--timeout", "2.5"});
    ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    const RecordOptions& o = parsed.options;
    EXPECT_EQ(o.out, "out.zqr");
    EXPECT_EQ(o.link.device, "/dev/ttyUSB0");
    EXPECT_EQ(o.link.baud, 9600);
    EXPECT_EQ(o.channels, (std::array<std::int32_t, 6>{0, 1, 2, 6, 7, 9}));
    EXPECT_EQ(o.stepMs, 500);
    EXPECT_EQ(o.saveMs, 60000);
    EXPECT_EQ(o.durationMs, 3LL * 86400000);
    EXPECT_EQ(o.csv, "out.csv");
    EXPECT_EQ(o.timeoutMs, 2500);

    // Left to the saved settings and run until stopped.
    const RecordOptions plain = ParseRecordCommandLine({"out.zqr"}).options;
    EXPECT_FALSE(plain.channels);
    EXPECT_EQ(plain.stepMs, 0);
    EXPECT_EQ(plain.saveMs, 0);
    EXPECT_EQ(plain.durationMs, 0);
    EXPECT_TRUE(plain.csv.isEmpty());
    EXPECT_EQ(plain.timeoutMs, 10000);
    EXPECT_TRUE(ParseRecordCommandLine({"--help"}).help);
}

TEST(RecordOptionsTest, StepSaveAndDurationKeepToTheirRanges)
{
    const struct Case {
        QStringList words;
        bool ok;
    } cases[] = {
        {{"--step", "0.1"}, true},   {{"--step", "0.09"}, false},  {{"--step", "1d"}, true},
        {{"--step", "25h"}, false},  {{"--save", "1"}, true},      {{"--save", "0.9"}, false},
        {{"--duration", "1"}, true}, {{"--duration", "0"}, false}, {{"--timeout", "0"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        EXPECT_EQ(ParseRecordCommandLine(QStringList{"out.zqr"} + c.words).error.isEmpty(), c.ok);
    }
}

} // namespace
