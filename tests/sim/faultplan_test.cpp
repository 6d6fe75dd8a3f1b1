#include "faultplan.h"
#include "hexbytes.h"
#include "modbusframe.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Fault = SimulatedInstrument::Fault;

const Answer kAnswer{WithCrc(Hex("01 03 04 00 00 96 43")), 0ms};
const Answer kDelayedAnswer{WithCrc(Hex("01 0A 92")), 200ms};

std::size_t CountDifferences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    std::size_t differences = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        differences += a[i] != b[i];
    return differences;
}

TEST(FaultPlan, EachFaultShapesOneAnswer)
{
    FaultPlan plan(3);
    plan.setSplitPause(120ms);
    for (Fault fault :
         {Fault::None, Fault::Drop, Fault::Corrupt, Fault::Truncate, Fault::Split, Fault::Garbage})
        plan.inject(fault);

    const Transmission none = plan.shape(kDelayedAnswer);
    ASSERT_EQ(none.parts.size(), 1u);
    EXPECT_EQ(none.parts[0].bytes, kDelayedAnswer.bytes);
    EXPECT_EQ(none.parts[0].pauseBefore, 200ms);

    EXPECT_TRUE(plan.shape(kAnswer).parts.empty());

    const Transmission corrupt = plan.shape(kAnswer);
    ASSERT_EQ(corrupt.parts.size(), 1u);
    ASSERT_EQ(corrupt.parts[0].bytes.size(), kAnswer.bytes.size());
    EXPECT_EQ(CountDifferences(corrupt.parts[0].bytes, kAnswer.bytes), 1u);
    EXPECT_FALSE(AnswerChecksumValid(corrupt.parts[0].bytes.data(), corrupt.parts[0].bytes.size()));

    const Transmission truncated = plan.shape(kAnswer);
    ASSERT_EQ(truncated.parts.size(), 1u);
    EXPECT_EQ(truncated.parts[0].bytes,
              std::vector<std::uint8_t>(kAnswer.bytes.begin(), kAnswer.bytes.begin() + 4));

    const Transmission split = plan.shape(kDelayedAnswer);
    ASSERT_EQ(split.parts.size(), 2u);
    EXPECT_EQ(split.parts[0].pauseBefore, 200ms);
    EXPECT_EQ(split.parts[1].pauseBefore, 120ms);
    std::vector<std::uint8_t> joined = split.parts[0].bytes;
    joined.insert(joined.end(), split.parts[1].bytes.begin(), split.parts[1].bytes.end());
    EXPECT_EQ(joined, kDelayedAnswer.bytes);
    EXPECT_FALSE(split.parts[0].bytes.empty());
    EXPECT_FALSE(split.parts[1].bytes.empty());

    const Transmission garbage = plan.shape(kAnswer);
    ASSERT_EQ(garbage.parts.size(), 1u);
    EXPECT_EQ(garbage.parts[0].bytes.size(), kAnswer.bytes.size());
    EXPECT_NE(garbage.parts[0].bytes, kAnswer.bytes);
    EXPECT_FALSE(AnswerChecksumValid(garbage.parts[0].bytes.data(), garbage.parts[0].bytes.size()));

    // The injected faults are used up: the next answer goes out whole.
    const Transmission after = plan.shape(kAnswer);
    ASSERT_EQ(after.parts.size(), 1u);
    EXPECT_EQ(after.parts[0].bytes, kAnswer.bytes);
    EXPECT_FALSE(plan.silent());
}

TEST(FaultPlan, PeriodicFaultsCountAnswersFromWhenTheyAreSet)
{
    FaultPlan plan(3);
    plan.shape(kAnswer);
    plan.setPeriodic(Fault::Drop, 3);
    plan.setPeriodic(Fault::Truncate, 2);
    std::string pattern;
    for (int i = 0; i < 8; ++i) {
        const Transmission sent = plan.shape(kAnswer);
        pattern += sent.parts.empty()                                  ? 'D'
                   : sent.parts[0].bytes.size() < kAnswer.bytes.size() ? 'T'
                                                                       : '.';
    }
    // Answer 6 is due for both; the fault listed first (Drop) wins.
    EXPECT_EQ(pattern, ".TDT.D.T");

    plan.setPeriodic(Fault::Drop, 0);
    plan.setPeriodic(Fault::Truncate, 0);
    EXPECT_EQ(plan.shape(kAnswer).parts.size(), 1u);
    EXPECT_EQ(plan.shape(kAnswer).parts[0].bytes, kAnswer.bytes);
}

TEST(FaultPlan, InjectedFaultGoesBeforeAPeriodicOne)
{
    FaultPlan plan(3);
    plan.setPeriodic(Fault::Drop, 1);
    plan.inject(Fault::None);
    EXPECT_EQ(plan.shape(kAnswer).parts.size(), 1u);
    EXPECT_TRUE(plan.shape(kAnswer).parts.empty());
}

TEST(FaultPlan, SilenceLastsUntilCleared)
{
    FaultPlan plan(3);
    plan.setPeriodic(Fault::Silent, 3);
    EXPECT_EQ(plan.shape(kAnswer).parts.size(), 1u);
    EXPECT_EQ(plan.shape(kAnswer).parts.size(), 1u);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(plan.shape(kAnswer).parts.empty());
    EXPECT_TRUE(plan.silent());
    plan.clearSilence();
    plan.setPeriodic(Fault::Silent, 0);
    EXPECT_EQ(plan.shape(kAnswer).parts.size(), 1u);
}

TEST(FaultPlan, FaultAimedAtALogChunkWaitsForThatChunk)
{
    FaultPlan plan(5);
    plan.injectForLogChunk(3, Fault::Drop);
    plan.injectForLogChunk(0, Fault::Drop);
    EXPECT_EQ(plan.shape(kAnswer, 148).parts.size(), 1u);
    EXPECT_EQ(plan.shape(kAnswer, 147, 2).parts.size(), 1u);
    EXPECT_TRUE(plan.shape(kAnswer, 147, 3).parts.empty());
    EXPECT_EQ(plan.shape(kAnswer, 147, 3).parts.size(), 1u) << "one answer only";
    EXPECT_TRUE(plan.shape(kDelayedAnswer, 147, 0).parts.empty()); // the start acknowledgement
}

} // namespace
