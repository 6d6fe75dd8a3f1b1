#pragma once

#include <QString>

#include <array>
#include <optional>
#include <vector>

struct MeasurementRecord;

// The harmonic current emission limits of IEC 61000-3-2 and the comparison of
// one measurement with them: plain arithmetic, no texts. The windows, the
// page and the command word the facts announced here.
//
// This is a pre-compliance aid: it compares the orders of one measurement
// with the published limit tables, without the standard's 10-cycle windowing
// (IEC 61000-4-7), its 2.5-minute observation and smoothing, or a check of
// the test supply.

enum class EmissionClass { A, B, C, D };

inline constexpr int kFirstLimitOrder = 2;
inline constexpr int kLastLimitOrder = 40;
inline constexpr int kLimitOrderCount = kLastLimitOrder - kFirstLimitOrder + 1;
// Class D covers equipment up to this active power.
inline constexpr double kClassDMaxWatts = 600.0;

// What a limit depends on besides its order: the fundamental current (RMS,
// for Class C), the circuit power factor λ (Class C, order 3) and the active
// power (Class D).
struct LimitBasis {
    double fundamentalRms = 0.0; // A
    double powerFactor = 0.0;
    double activePower = 0.0; // W
};

// Why an order has no limit or no verdict.
enum class OrderState {
    Kept,          // measured ≤ limit
    Exceeded,      // measured > limit
    NoLimit,       // the class lists no limit for this order
    NoMeasurement, // the measured value is NaN, infinite or negative
    NoFundamental, // Class C: the fundamental current is 0, negative or not finite
    NoPowerFactor, // Class C order 3: λ outside 0..1 or not finite
    NoPower,       // Class D: active power ≤ 0 or not finite
    NotApplicable, // Class D: active power above 600 W
};

// The limit of `order` in RMS amperes in class A or B, where it depends on
// the order alone; none for an order the class does not list.
std::optional<double> FixedLimit(EmissionClass emissionClass, int order);

// The limit of `order` in RMS amperes for a measurement with `basis`, or the
// reason there is none (an order the class does not list, a basis it cannot
// be computed from, or Class D above 600 W, where the class does not apply).
struct OrderLimit {
    std::optional<double> amperes;
    OrderState missing = OrderState::NoLimit; // why `amperes` is empty
};
OrderLimit LimitOf(EmissionClass emissionClass, int order, const LimitBasis& basis);

// The verdict of `measured` against `limit`, compared unrounded: at the
// limit is kept, anything over it exceeded.
OrderState Judge(double measured, double limit);

// One order compared.
struct OrderAssessment {
    int order = 0;
    double measured = 0.0;         // RMS A as measured (may be NaN)
    std::optional<double> limit;   // RMS A
    std::optional<double> percent; // measured as a percentage of the limit
    OrderState state = OrderState::NoLimit;
};

enum class OverallVerdict {
    Kept,          // every order with a limit has a verdict and all are kept
    Exceeded,      // at least one order exceeds its limit
    Incomplete,    // none exceeded, but some orders with a limit have no verdict
    NotApplicable, // Class D above 600 W
    NoFundamental, // no fundamental current: nothing to compare
};

struct LimitsAssessment {
    EmissionClass emissionClass = EmissionClass::A;
    LimitBasis basis;
    std::array<OrderAssessment, kLimitOrderCount> orders{}; // orders 2-40
    OverallVerdict verdict = OverallVerdict::NoFundamental;
    // The order closest to or furthest over its limit (highest percentage),
    // among the orders with a verdict; none without one.
    std::optional<int> worstOrder;

    const OrderAssessment& order(int n) const { return orders[std::size_t(n - kFirstLimitOrder)]; }
    // The worst order's margin: limit less measured, in amperes and in
    // percentage points of the limit (negative: over the limit).
    std::optional<double> worstMarginAmperes() const;
    std::optional<double> worstMarginPercent() const;
};

// The measured RMS currents of orders 0-50 and the basis, as they enter the
// comparison.
struct HarmonicCurrents {
    std::array<double, 51> rms{}; // A
    LimitBasis basis;
};

// From a measurement: IHarmonic holds amplitudes (√2 × RMS), PF is λ and
// WRMS the active power.
HarmonicCurrents CurrentsOf(const MeasurementRecord& record);

LimitsAssessment AssessLimits(EmissionClass emissionClass, const HarmonicCurrents& currents);

// The highest value of each order seen since the last reset (from every
// measurement, with a verdict or without), and its highest percentage of its
// limit, each measurement judged against the limit of its
// own basis (Class C and D limits move with the fundamental and the power).
// Orders whose every measurement lacked a verdict keep no percentage.
class MaxHold {
public:
    void reset();
    // Takes one measurement's assessment; an assessment in another class
    // starts the hold afresh in that class.
    void take(const LimitsAssessment& assessment);

    int count() const { return count_; }
    std::optional<EmissionClass> emissionClass() const { return class_; }
    std::optional<double> highest(int order) const;
    std::optional<double> highestPercent(int order) const;
    // Kept or Exceeded from the highest percentage; the first reason for no
    // verdict otherwise.
    OrderState state(int order) const;
    // The whole hold's verdict, as for one measurement.
    OverallVerdict verdict() const;
    std::optional<int> worstOrder() const;

private:
    struct Held {
        std::optional<double> highest;
        std::optional<double> percent;
        OrderState lastMissing = OrderState::NoLimit;
        bool anyLimit = false;
        bool anyWithoutVerdict = false;
    };
    std::array<Held, kLimitOrderCount> held_{};
    std::optional<EmissionClass> class_;
    int count_ = 0;
    int notApplicable_ = 0;
    int noFundamental_ = 0;
};

// The class's letter, "A" to "D", and back (any letter case); none for
// another text.
char ClassLetter(EmissionClass emissionClass);
std::optional<EmissionClass> ClassFromLetter(const QString& text);
