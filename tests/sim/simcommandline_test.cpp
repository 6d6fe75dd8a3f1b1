#include "simcommandline.h"

#include <gtest/gtest.h>

namespace {

using Fault = SimulatedInstrument::Fault;

TEST(SimCommandLine, DefaultsFollowTheLineAndAnswerEveryAddress)
{
    const SimCommandLineResult result = ParseSimCommandLine({});
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.commandLine.options.baud, 0);
    EXPECT_EQ(result.commandLine.options.address, 0);
    EXPECT_GT(result.commandLine.options.triggerDelaySeconds, 0.0);
    EXPECT_LT(result.commandLine.options.triggerDelaySeconds, 1.0);
    EXPECT_TRUE(result.commandLine.options.linkPath.empty());
    EXPECT_EQ(result.commandLine.options.load, LoadShape{});
    EXPECT_TRUE(result.commandLine.periodicFaults.empty());
    EXPECT_FALSE(result.commandLine.showHelp);
}

TEST(SimCommandLine, TakesEveryOption)
{
    const SimCommandLineResult result = ParseSimCommandLine({"--baud",
                                                             "9600",
                                                             "--address=7",
                                                             "--trigger-delay",
                                                             "1.5",
                                                             "--link",
                                                             "/tmp/qpa",
                                                             "--seed",
                                                             "42",
                                                             "--drop-every",
                                                             "3",
                                                             "--corrupt-every=4",
                                                             "--truncate-every",
                                                             "5",
                                                             "--split-every",
                                                             "6",
                                                             "--garbage-every",
                                                             "7",
                                                             "--silent-after",
                                                             "10",
                                                             "--split-pause-ms",
                                                             "50",
                                                             "--load-current",
                                                             "2.5",
                                                             "--harmonic-scale=1.8"});
    ASSERT_EQ(result.error, "");
    const SimCommandLine& line = result.commandLine;
    EXPECT_EQ(line.options.baud, 9600);
    EXPECT_EQ(line.options.address, 7);
    EXPECT_DOUBLE_EQ(line.options.triggerDelaySeconds, 1.5);
    EXPECT_EQ(line.options.linkPath, "/tmp/qpa");
    EXPECT_EQ(line.options.seed, 42u);
    EXPECT_EQ(line.splitPauseMs, 50);
    EXPECT_EQ(line.options.load, (LoadShape{2.5, 1.8}));
    const std::vector<std::pair<Fault, int>> faults{
        {Fault::Drop, 3},  {Fault::Corrupt, 4}, {Fault::Truncate, 5},
        {Fault::Split, 6}, {Fault::Garbage, 7}, {Fault::Silent, 11}, // silent from answer 11 on
    };
    EXPECT_EQ(line.periodicFaults, faults);
}

TEST(SimCommandLine, HelpIsRecognised)
{
    EXPECT_TRUE(ParseSimCommandLine({"--help"}).commandLine.showHelp);
    EXPECT_TRUE(ParseSimCommandLine({"-h"}).commandLine.showHelp);
    EXPECT_NE(SimUsage().find("--silent-after"), std::string::npos);
}

TEST(SimCommandLine, RefusesWhatItDoesNotUnderstand)
{
    const std::vector<std::vector<std::string>> bad{
        {"--baud"},
        {"--baud", "fast"},
        {"--baud", "0"},
        {"--baud", "9600x"},
        {"--address", "0"},
        {"--address", "256"},
        {"--trigger-delay", "-1"},
        {"--trigger-delay", "nan"},
        {"--trigger-delay", ""},
        {"--seed", "-3"},
        {"--drop-every", "0"},
        {"--silent-after", "-1"},
        {"--link="},
        {"--load-current", "0"},
        {"--load-current", "inf"},
        {"--harmonic-scale", "-1"},
        {"--harmonic-scale", "4"},
        {"--frobnicate"},
        {"9600"},
    };
    for (const auto& arguments : bad) {
        const SimCommandLineResult result = ParseSimCommandLine(arguments);
        std::string shown;
        for (const std::string& argument : arguments)
            shown += argument + " ";
        EXPECT_NE(result.error, "") << shown;
    }
}

} // namespace
