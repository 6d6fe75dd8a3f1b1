#include "harmoniclimits.h"
#include "instrumentmodel.h"
#include "measurementbuilder.h"
#include "measurements.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct LimitCase {
    EmissionClass emissionClass;
    int order;
    LimitBasis basis;
    std::optional<double> amperes; // hand-computed; none: no limit
};

// Hand-computed from the published tables.
const LimitCase kLimitCases[] = {
    // Class A: fixed amperes, falling with the order above 13 (odd) and 6 (even).
    {EmissionClass::A, 3, {}, 2.30},
    {EmissionClass::A, 15, {}, 0.15},
    {EmissionClass::A, 21, {}, 0.15 * 15 / 21}, // 0.107142857
    {EmissionClass::A, 39, {}, 0.15 * 15 / 39}, // 0.057692308
    {EmissionClass::A, 2, {}, 1.08},
    {EmissionClass::A, 8, {}, 0.23},
    {EmissionClass::A, 40, {}, 0.046},
    {EmissionClass::A, 41, {}, std::nullopt},
    {EmissionClass::A, 1, {}, std::nullopt},
    // Class B: Class A times 1.5.
    {EmissionClass::B, 3, {}, 3.45},
    {EmissionClass::B, 15, {}, 0.225},
    {EmissionClass::B, 21, {}, 0.160714285714},
    {EmissionClass::B, 39, {}, 0.086538461538},
    {EmissionClass::B, 2, {}, 1.62},
    {EmissionClass::B, 8, {}, 0.345},
    {EmissionClass::B, 40, {}, 0.069},
    // Class C, 2 A of fundamental: percentages of it, order 3 at 30 λ %.
    {EmissionClass::C, 3, {2.0, 0.9, 300.0}, 0.54},
    {EmissionClass::C, 3, {2.0, 0.5, 300.0}, 0.30},
    {EmissionClass::C, 2, {2.0, 0.9, 300.0}, 0.04},
    {EmissionClass::C, 5, {2.0, 0.9, 300.0}, 0.20},
    {EmissionClass::C, 15, {2.0, 0.9, 300.0}, 0.06},
    {EmissionClass::C, 21, {2.0, 0.5, 300.0}, 0.06},
    {EmissionClass::C, 39, {2.0, 0.9, 300.0}, 0.06},
    {EmissionClass::C, 8, {2.0, 0.9, 300.0}, std::nullopt},
    {EmissionClass::C, 40, {2.0, 0.9, 300.0}, std::nullopt},
    // Class D at 100 W: milliamperes per watt, below Class A.
    {EmissionClass::D, 3, {1.0, 0.9, 100.0}, 0.34},
    {EmissionClass::D, 15, {1.0, 0.9, 100.0}, 3.85 / 15 * 0.1}, // 0.025667
    {EmissionClass::D, 21, {1.0, 0.9, 100.0}, 3.85 / 21 * 0.1}, // 0.018333
    {EmissionClass::D, 39, {1.0, 0.9, 100.0}, 3.85 / 39 * 0.1}, // 0.009872
    {EmissionClass::D, 2, {1.0, 0.9, 100.0}, std::nullopt},
    {EmissionClass::D, 8, {1.0, 0.9, 100.0}, std::nullopt},
    {EmissionClass::D, 40, {1.0, 0.9, 100.0}, std::nullopt},
    // Class D at 600 W: capped by Class A where that is lower.
    {EmissionClass::D, 3, {3.0, 0.9, 600.0}, 2.04},
    {EmissionClass::D, 5, {3.0, 0.9, 600.0}, 1.14},
    {EmissionClass::D, 7, {3.0, 0.9, 600.0}, 0.60},
    {EmissionClass::D, 15, {3.0, 0.9, 600.0}, 0.15},           // 0.154 capped
    {EmissionClass::D, 21, {3.0, 0.9, 600.0}, 0.15 * 15 / 21}, // 0.110 capped
    {EmissionClass::D, 39, {3.0, 0.9, 600.0}, 0.15 * 15 / 39}, // 0.0592 capped
};

TEST(HarmonicLimits, LimitsMatchTheHandComputedTable)
{
    for (const LimitCase& c : kLimitCases) {
        const OrderLimit limit = LimitOf(c.emissionClass, c.order, c.basis);
        const std::string name = std::string(1, ClassLetter(c.emissionClass)) + " order "
                                 + std::to_string(c.order) + " at "
                                 + std::to_string(c.basis.activePower) + " W";
        ASSERT_EQ(limit.amperes.has_value(), c.amperes.has_value()) << name;
        if (c.amperes)
            EXPECT_NEAR(*limit.amperes, *c.amperes, 1e-11) << name;
        else
            EXPECT_EQ(limit.missing, OrderState::NoLimit) << name;
    }
}

TEST(HarmonicLimits, ClassDAbove600WattsDoesNotApply)
{
    const OrderLimit limit = LimitOf(EmissionClass::D, 3, {3.0, 0.9, 600.5});
    EXPECT_FALSE(limit.amperes);
    EXPECT_EQ(limit.missing, OrderState::NotApplicable);

    HarmonicCurrents currents;
    currents.rms[1] = 3.0;
    currents.rms[3] = 0.1;
    currents.basis = {3.0, 0.9, 750.0};
    const LimitsAssessment a = AssessLimits(EmissionClass::D, currents);
    EXPECT_EQ(a.verdict, OverallVerdict::NotApplicable);
    EXPECT_EQ(a.order(3).state, OrderState::NotApplicable);
    EXPECT_FALSE(a.order(3).percent);
    EXPECT_FALSE(a.worstOrder);
}

// A value exactly at its limit keeps it; the next double above exceeds it.
TEST(HarmonicLimits, AtTheLimitKeptJustOverExceeded)
{
    for (const LimitCase& c : kLimitCases) {
        if (!c.amperes)
            continue;
        const double limit = *LimitOf(c.emissionClass, c.order, c.basis).amperes;
        EXPECT_EQ(Judge(limit, limit), OrderState::Kept);
        EXPECT_EQ(Judge(std::nextafter(limit, kInf), limit), OrderState::Exceeded);
        EXPECT_EQ(Judge(std::nextafter(limit, 0.0), limit), OrderState::Kept);
    }

    HarmonicCurrents currents;
    currents.rms[1] = 2.0;
    currents.basis = {2.0, 0.9, 300.0};
    currents.rms[3] = 2.30;
    LimitsAssessment a = AssessLimits(EmissionClass::A, currents);
    EXPECT_EQ(a.order(3).state, OrderState::Kept);
    EXPECT_EQ(a.verdict, OverallVerdict::Kept);
    EXPECT_EQ(a.worstOrder, 3);
    EXPECT_DOUBLE_EQ(*a.worstMarginAmperes(), 0.0);

    currents.rms[3] = std::nextafter(2.30, 3.0);
    a = AssessLimits(EmissionClass::A, currents);
    EXPECT_EQ(a.order(3).state, OrderState::Exceeded);
    EXPECT_EQ(a.verdict, OverallVerdict::Exceeded);
    EXPECT_LT(*a.worstMarginAmperes(), 0.0);
}

TEST(HarmonicLimits, WorstOrderIsTheHighestShareOfItsLimit)
{
    HarmonicCurrents currents;
    currents.rms[1] = 2.0;
    currents.basis = {2.0, 0.9, 300.0};
    currents.rms[3] = 1.15;  // 50 % of 2.30
    currents.rms[39] = 0.05; // 86.7 % of 0.0577: smaller current, closer to its limit
    currents.rms[41] = 9.0;  // beyond the orders compared
    const LimitsAssessment a = AssessLimits(EmissionClass::A, currents);
    EXPECT_EQ(a.verdict, OverallVerdict::Kept);
    ASSERT_EQ(a.worstOrder, 39);
    EXPECT_NEAR(*a.order(39).percent, 0.05 / (2.25 / 39) * 100, 1e-9);
    EXPECT_NEAR(*a.worstMarginAmperes(), 2.25 / 39 - 0.05, 1e-12);
    EXPECT_NEAR(*a.worstMarginPercent(), 100 - 0.05 / (2.25 / 39) * 100, 1e-9);
}

// What cannot be computed has no verdict, and never makes a pass.
TEST(HarmonicLimits, CornersGiveNoVerdictNeverAPass)
{
    const auto currentsWith = [](double fundamental, double pf, double watts) {
        HarmonicCurrents c;
        c.rms[1] = fundamental;
        c.rms[3] = 0.01;
        c.basis = {fundamental, pf, watts};
        return c;
    };
    struct Corner {
        const char* name;
        EmissionClass emissionClass;
        HarmonicCurrents currents;
        OverallVerdict verdict;
        OrderState order3;
    };
    HarmonicCurrents nanHarmonic = currentsWith(2.0, 0.9, 300.0);
    nanHarmonic.rms[3] = kNaN;
    HarmonicCurrents negativeHarmonic = currentsWith(2.0, 0.9, 300.0);
    negativeHarmonic.rms[3] = -0.1;
    HarmonicCurrents nanAndOver = currentsWith(2.0, 0.9, 300.0);
    nanAndOver.rms[3] = kNaN;
    nanAndOver.rms[5] = 2.0; // over 1.14: an exceeded order is still certain
    const Corner corners[] = {
        {"zero fundamental, class A", EmissionClass::A, currentsWith(0.0, 0.9, 300.0),
         OverallVerdict::NoFundamental, OrderState::NoFundamental},
        {"NaN fundamental, class B", EmissionClass::B, currentsWith(kNaN, 0.9, 300.0),
         OverallVerdict::NoFundamental, OrderState::NoFundamental},
        {"infinite fundamental, class C", EmissionClass::C, currentsWith(kInf, 0.9, 300.0),
         OverallVerdict::NoFundamental, OrderState::NoFundamental},
        {"zero fundamental, class D", EmissionClass::D, currentsWith(0.0, 0.9, 300.0),
         OverallVerdict::NoFundamental, OrderState::NoFundamental},
        {"PF above 1, class C", EmissionClass::C, currentsWith(2.0, 1.2, 300.0),
         OverallVerdict::Incomplete, OrderState::NoPowerFactor},
        {"negative PF, class C", EmissionClass::C, currentsWith(2.0, -0.5, 300.0),
         OverallVerdict::Incomplete, OrderState::NoPowerFactor},
        {"NaN PF, class C", EmissionClass::C, currentsWith(2.0, kNaN, 300.0),
         OverallVerdict::Incomplete, OrderState::NoPowerFactor},
        {"PF above 1, class A needs none", EmissionClass::A, currentsWith(2.0, 1.2, 300.0),
         OverallVerdict::Kept, OrderState::Kept},
        {"NaN harmonic", EmissionClass::A, nanHarmonic, OverallVerdict::Incomplete,
         OrderState::NoMeasurement},
        {"negative harmonic", EmissionClass::B, negativeHarmonic, OverallVerdict::Incomplete,
         OrderState::NoMeasurement},
        {"NaN harmonic beside one over", EmissionClass::A, nanAndOver, OverallVerdict::Exceeded,
         OrderState::NoMeasurement},
        {"zero power, class D", EmissionClass::D, currentsWith(2.0, 0.9, 0.0),
         OverallVerdict::Incomplete, OrderState::NoPower},
        {"negative power, class D", EmissionClass::D, currentsWith(2.0, 0.9, -50.0),
         OverallVerdict::Incomplete, OrderState::NoPower},
    };
    for (const Corner& c : corners) {
        const LimitsAssessment a = AssessLimits(c.emissionClass, c.currents);
        EXPECT_EQ(a.verdict, c.verdict) << c.name;
        EXPECT_EQ(a.order(3).state, c.order3) << c.name;
        if (c.order3 != OrderState::Kept) {
            EXPECT_FALSE(a.order(3).percent) << c.name;
        }
        if (c.verdict == OverallVerdict::NoFundamental) {
            EXPECT_FALSE(a.worstOrder) << c.name;
        }
    }
}

TEST(HarmonicLimits, MeasurementGivesRmsCurrentsAndBasis)
{
    MeasurementRecord r = RealisticMeasurement();
    r.IHarmonic[3] = float(2.30 * std::numbers::sqrt2);
    const HarmonicCurrents c = CurrentsOf(r);
    EXPECT_NEAR(c.rms[1], 7.07 / std::numbers::sqrt2, 1e-6);
    EXPECT_NEAR(c.rms[3], 2.30, 1e-6);
    EXPECT_DOUBLE_EQ(c.basis.fundamentalRms, c.rms[1]);
    EXPECT_DOUBLE_EQ(c.basis.powerFactor, double(0.866f));
    EXPECT_DOUBLE_EQ(c.basis.activePower, 976.5);
}

TEST(HarmonicLimits, MaxHoldKeepsTheHighestOfEachOrderUntilReset)
{
    const auto assessed = [](double third, double fifth) {
        HarmonicCurrents c;
        c.rms[1] = 4.0;
        c.rms[3] = third;
        c.rms[5] = fifth;
        c.basis = {4.0, 0.9, 800.0};
        return AssessLimits(EmissionClass::A, c);
    };
    MaxHold hold;
    EXPECT_EQ(hold.count(), 0);
    hold.take(assessed(1.0, 1.2)); // 5th over 1.14
    hold.take(assessed(2.0, 0.5));
    hold.take(assessed(1.5, 0.6));
    EXPECT_EQ(hold.count(), 3);
    EXPECT_DOUBLE_EQ(*hold.highest(3), 2.0);
    EXPECT_DOUBLE_EQ(*hold.highest(5), 1.2);
    EXPECT_NEAR(*hold.highestPercent(3), 2.0 / 2.30 * 100, 1e-9);
    EXPECT_EQ(hold.state(3), OrderState::Kept);
    EXPECT_EQ(hold.state(5), OrderState::Exceeded);
    EXPECT_EQ(hold.state(40), OrderState::Kept); // noise-free order 40 at 0 A
    EXPECT_EQ(hold.verdict(), OverallVerdict::Exceeded);
    EXPECT_EQ(hold.worstOrder(), 5);

    hold.reset();
    EXPECT_EQ(hold.count(), 0);
    EXPECT_FALSE(hold.highest(3));
    hold.take(assessed(1.0, 0.5));
    EXPECT_EQ(hold.verdict(), OverallVerdict::Kept);

    // A measurement without a fundamental between others: the hold cannot
    // say the product kept its limits all along.
    HarmonicCurrents silent;
    hold.take(AssessLimits(EmissionClass::A, silent));
    EXPECT_EQ(hold.verdict(), OverallVerdict::Incomplete);

    // Class D above 600 W: no verdict for the hold, but the highest
    // currents are still kept.
    MaxHold big;
    HarmonicCurrents heavy;
    heavy.rms[1] = 5.0;
    heavy.rms[3] = 2.0;
    heavy.basis = {5.0, 0.9, 900.0};
    big.take(AssessLimits(EmissionClass::D, heavy));
    EXPECT_EQ(big.verdict(), OverallVerdict::NotApplicable);
    EXPECT_DOUBLE_EQ(*big.highest(3), 2.0);
    EXPECT_FALSE(big.highestPercent(3));

    // Another class starts afresh.
    HarmonicCurrents c;
    c.rms[1] = 1.0;
    c.basis = {1.0, 0.9, 100.0};
    hold.take(AssessLimits(EmissionClass::D, c));
    EXPECT_EQ(hold.count(), 1);
    EXPECT_EQ(hold.emissionClass(), EmissionClass::D);
}

TEST(HarmonicLimits, ClassLettersReadBothWays)
{
    for (EmissionClass c : {EmissionClass::A, EmissionClass::B, EmissionClass::C, EmissionClass::D})
        EXPECT_EQ(ClassFromLetter(QString(QLatin1Char(ClassLetter(c)))), c);
    EXPECT_EQ(ClassFromLetter(QStringLiteral(" c ")), EmissionClass::C);
    for (const char* bad : {"", "E", "AB", "1", "類"})
        EXPECT_FALSE(ClassFromLetter(QString::fromUtf8(bad))) << bad;
}

// The simulated appliance keeps Class A as it comes and breaks it with its
// harmonics doubled, so the view can be tried both ways against the simulator.
TEST(HarmonicLimits, SimulatedLoadKeepsClassAAndBreaksItWithStrongerHarmonics)
{
    using namespace std::chrono_literals;
    for (const auto& [scale, verdict] :
         {std::pair{1.0, OverallVerdict::Kept}, std::pair{2.0, OverallVerdict::Exceeded}}) {
        DriftingLoad load(3, LoadShape{4.2, scale});
        for (int i = 0; i < 20; ++i) {
            load.step();
            const MeasurementRecord r = BuildMeasurement(load.snapshot(), {});
            EXPECT_EQ(AssessLimits(EmissionClass::A, CurrentsOf(r)).verdict, verdict)
                << "scale " << scale;
        }
    }
}

} // namespace
