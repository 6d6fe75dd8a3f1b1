// Statistics over a span of samples: minimum, maximum, mean and energy by
// trapezoids over the samples' own times, with gaps left unbridged, values
// a damaged file can hold left out, and the span found by time.
#include "spanstatistics.h"

#include "recordstate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr double kDay0 = 46000.5;
constexpr double kSecond = 1.0 / 86400.0;

// Six channels of the given values at the given seconds since kDay0; every
// channel carries the same values, each with its own quantity code.
class SpanFixture {
public:
    SpanFixture(const std::vector<double>& seconds, const std::vector<float>& values,
                std::array<std::int32_t, 6> codes)
    {
        for (std::size_t i = 0; i < seconds.size(); ++i) {
            buffers->timestamps()[i] = kDay0 + seconds[i] * kSecond;
            for (int c = 0; c < 6; ++c)
                buffers->channel(c)[i] = values[i];
        }
        for (int c = 0; c < 6; ++c)
            source.channels[std::size_t(c)] = buffers->channel(c);
        source.timestamps = buffers->timestamps();
        source.codes = codes;
    }

    std::unique_ptr<SampleBuffers> buffers = std::make_unique<SampleBuffers>();
    SpanSource source;
};

TEST(SpanStatistics, HandComputedValuesAndEnergyLeaveTheGapUnbridged)
{
    // Steps of 1 s, then a gap of 10 s (longer than three steps), then 1 s.
    SpanFixture f({0, 1, 2, 3, 13, 14}, {100, 200, 200, 100, 50, 50}, {2, 1, 3, 4, 0, 7});
    const SpanStatistics s = ComputeSpanStatistics(f.source, 0, 5);
    EXPECT_EQ(s.first, 0);
    EXPECT_EQ(s.last, 5);
    EXPECT_DOUBLE_EQ(s.firstTime, kDay0);
    EXPECT_DOUBLE_EQ(s.lastTime, kDay0 + 14 * kSecond);
    EXPECT_NEAR(s.stepSeconds, 1.0, 1e-6);
    // 150 + 200 + 150 + (gap) + 50 value-seconds.
    const double energy = 550.0 / 3600.0;
    for (int c = 0; c < 6; ++c) {
        const ChannelStatistics& ch = s.channels[std::size_t(c)];
        EXPECT_EQ(ch.count, 6);
        EXPECT_EQ(ch.minimum, 50);
        EXPECT_EQ(ch.maximum, 200);
        EXPECT_DOUBLE_EQ(ch.mean, 700.0 / 6);
        const bool integrates = c < 4; // W, A, VA, var; not V or the power factor
        ASSERT_EQ(ch.energy.has_value(), integrates) << c;
        if (integrates) {
            EXPECT_NEAR(*ch.energy, energy, 1e-9) << c;
        }
    }
    EXPECT_EQ(EnergyUnitText(EnergyUnitOf(s.channels[0].code)), QStringLiteral("Wh"));
    EXPECT_EQ(EnergyUnitText(EnergyUnitOf(s.channels[1].code)), QStringLiteral("Ah"));
    EXPECT_EQ(EnergyUnitText(EnergyUnitOf(s.channels[2].code)), QStringLiteral("VAh"));
    EXPECT_EQ(EnergyUnitText(EnergyUnitOf(s.channels[3].code)), QStringLiteral("varh"));
    EXPECT_EQ(EnergyUnitText(EnergyUnitOf(s.channels[4].code)), QString());
}

TEST(SpanStatistics, AGapOfExactlyThreeStepsIsBridgedAndALongerOneIsNot)
{
    const struct {
        double gap;
        double energy; // value-seconds of a constant 3600 W: the bridged seconds
    } cases[] = {{3.0, 3 + 3.0 + 3}, {3.01, 3 + 3}, {60, 3 + 3}};
    for (const auto& c : cases) {
        SpanFixture f({0, 1, 2, 3, 3 + c.gap, 4 + c.gap, 5 + c.gap, 6 + c.gap},
                      std::vector<float>(8, 3600.0f), {2, 2, 2, 2, 2, 2});
        const SpanStatistics s = ComputeSpanStatistics(f.source, 0, 7);
        EXPECT_NEAR(*s.channels[0].energy, c.energy, 1e-4) << c.gap;
    }
}

TEST(SpanStatistics, NonFiniteValuesAndTimesAreLeftOutOfEveryFigure)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    SpanFixture f({0, 1, 2, 3, 4, 5}, {10, nan, 30, inf, 50, 60}, {2, 2, 2, 2, 2, 2});
    // A timestamp a damaged file holds: neither interval next to it counts.
    f.buffers->timestamps()[5] = std::numeric_limits<double>::quiet_NaN();
    const SpanStatistics s = ComputeSpanStatistics(f.source, 0, 5);
    const ChannelStatistics& ch = s.channels[0];
    EXPECT_EQ(ch.count, 4);
    EXPECT_EQ(ch.minimum, 10);
    EXPECT_EQ(ch.maximum, 60);
    EXPECT_DOUBLE_EQ(ch.mean, 150.0 / 4);
    EXPECT_DOUBLE_EQ(*ch.energy, 0.0); // every interval touches a NaN, an INF or the bad time
}

TEST(SpanStatistics, APartOfTheRecordingAndDegenerateSpans)
{
    SpanFixture f({0, 1, 2, 3, 4}, {1, 2, 3, 4, 5}, {2, 2, 2, 2, 2, 2});
    const SpanStatistics part = ComputeSpanStatistics(f.source, 1, 3);
    EXPECT_EQ(part.channels[0].count, 3);
    EXPECT_DOUBLE_EQ(part.channels[0].mean, 3);
    EXPECT_NEAR(*part.channels[0].energy, (2.5 + 3.5) / 3600,
                1e-9); // times carry microseconds of rounding

    const SpanStatistics one = ComputeSpanStatistics(f.source, 4, 4);
    EXPECT_EQ(one.channels[0].count, 1);
    EXPECT_EQ(one.stepSeconds, 0);
    EXPECT_DOUBLE_EQ(*one.channels[0].energy, 0.0);

    const SpanStatistics none = ComputeSpanStatistics(f.source, 3, 2);
    EXPECT_EQ(none.channels[0].count, 0);
    EXPECT_EQ(none.channels[0].code, 2);
    EXPECT_LT(none.last, none.first);
}

TEST(SpanStatistics, SamplesBetweenTwoTimesIncludeBothEnds)
{
    SpanFixture f({0, 1, 2, 3, 4}, {1, 2, 3, 4, 5}, {2, 2, 2, 2, 2, 2});
    const double* t = f.source.timestamps;
    const std::optional<SampleSpan> inside = SamplesBetween(t, 4, t[1], t[3]);
    ASSERT_TRUE(inside);
    EXPECT_EQ(inside->first, 1);
    EXPECT_EQ(inside->last, 3);
    const std::optional<SampleSpan> wide = SamplesBetween(t, 4, 0, 1e9);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->first, 0);
    EXPECT_EQ(wide->last, 4);
    EXPECT_FALSE(SamplesBetween(t, 4, t[4] + kSecond, 1e9));
    EXPECT_FALSE(SamplesBetween(t, 4, t[3], t[1]));
}

TEST(SpanStatistics, DurationsReadAsSecondsThenHoursMinutesSeconds)
{
    const struct {
        double seconds;
        const char* text;
    } cases[] = {{0, "0.000 s"},        {12.5, "12.500 s"},  {-3, "-3.000 s"},
                 {59.9994, "59.999 s"}, {60, "0:01:00.000"}, {3723.5, "1:02:03.500"},
                 {-90, "-0:01:30.000"}, {std::nan(""), "—"}};
    for (const auto& c : cases)
        EXPECT_EQ(DurationText(c.seconds), QString::fromUtf8(c.text)) << c.seconds;
}

} // namespace
