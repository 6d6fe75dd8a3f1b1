#include "load.h"

#include <cmath>
#include <numbers>

namespace {

struct HarmonicShare {
    int order;
    double ratio;      // amplitude relative to the fundamental
    double phaseShare; // sine phase, as a fraction of a full turn
};

// Mains as a distribution grid delivers it: a sine flattened at its crests,
// mostly by the 3rd and 5th harmonic.
constexpr HarmonicShare kVoltageHarmonics[] = {
    {3, 0.030, 0.00}, {5, 0.020, 0.50}, {7, 0.010, 0.10}, {9, 0.005, 0.30}, {11, 0.003, 0.80},
};

// A rectifier-fed appliance: a peaky current rich in odd harmonics.
constexpr HarmonicShare kCurrentHarmonics[] = {
    {3, 0.30, 0.45},   {5, 0.15, 0.05},   {7, 0.080, 0.55},  {9, 0.040, 0.15},
    {11, 0.025, 0.70}, {13, 0.015, 0.25}, {15, 0.010, 0.85},
};

struct Drift {
    double mean;
    double spread; // largest change per step
};

constexpr Drift kFrequencyDrift{50.0, 0.01};
constexpr Drift kVoltageDrift{230.0, 0.6};
constexpr Drift kCurrentDrift{4.2, 0.08}; // of the usual appliance; others drift in proportion
constexpr Drift kLagDrift{28.0, 0.8};
constexpr double kPullBack = 0.2;      // share of the distance to the mean recovered per step
constexpr double kShapeJitter = 0.05;  // relative change of a harmonic's share per step
constexpr double kNoiseFloor = 0.0008; // largest residue of the unlisted orders
constexpr double kVoltageDc = 0.08;    // V
constexpr double kCurrentDc = 0.003;   // A

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// The current's drift around the shape's RMS value, as wide in proportion.
Drift CurrentDrift(const LoadShape& shape)
{
    const double scale = shape.currentRms / kCurrentDrift.mean;
    return {shape.currentRms, kCurrentDrift.spread * scale};
}

double Walk(double value, const Drift& drift, RandomSource& random)
{
    return value + kPullBack * (drift.mean - value) + drift.spread * random.symmetric();
}

double SumOfHarmonics(const std::array<double, kHarmonicOrders>& amplitude,
                      const std::array<double, kHarmonicOrders>& phase, double frequency,
                      double seconds)
{
    double sum = amplitude[0];
    for (int k = 1; k < kHarmonicOrders; ++k)
        if (amplitude[k] != 0.0)
            sum += amplitude[k] * std::sin(kTwoPi * k * frequency * seconds + phase[k]);
    return sum;
}

} // namespace

double LoadSnapshot::voltageAt(double seconds) const
{
    return SumOfHarmonics(voltageAmplitude, voltagePhase, frequency, seconds);
}

double LoadSnapshot::currentAt(double seconds) const
{
    return SumOfHarmonics(currentAmplitude, currentPhase, frequency, seconds);
}

LoadSnapshot LoadSnapshot::withCurrentShifted(double seconds) const
{
    LoadSnapshot shifted = *this;
    for (int k = 1; k < kHarmonicOrders; ++k)
        shifted.currentPhase[k] += kTwoPi * k * frequency * seconds;
    return shifted;
}

DriftingLoad::DriftingLoad(std::uint32_t seed, LoadShape shape)
    : random_(seed), shape_(shape),
      frequency_(kFrequencyDrift.mean + kFrequencyDrift.spread * random_.symmetric()),
      voltageRms_(kVoltageDrift.mean + 2.0 * kVoltageDrift.spread * random_.symmetric()),
      currentRms_(CurrentDrift(shape_).mean
                  + 2.0 * CurrentDrift(shape_).spread * random_.symmetric()),
      lagDegrees_(kLagDrift.mean + kLagDrift.spread * random_.symmetric())
{
    for (int k = 2; k < kHarmonicOrders; ++k) {
        voltageNoise_[k] = kNoiseFloor * random_.unit();
        currentNoise_[k] = kNoiseFloor * random_.unit();
    }
    for (const HarmonicShare& share : kVoltageHarmonics)
        voltageShape_[share.order] = share.ratio;
    for (const HarmonicShare& share : kCurrentHarmonics)
        currentShape_[share.order] = share.ratio * shape_.harmonicScale;
    rebuildSnapshot();
}

void DriftingLoad::step()
{
    frequency_ = Walk(frequency_, kFrequencyDrift, random_);
    voltageRms_ = Walk(voltageRms_, kVoltageDrift, random_);
    currentRms_ = Walk(currentRms_, CurrentDrift(shape_), random_);
    lagDegrees_ = Walk(lagDegrees_, kLagDrift, random_);
    for (const HarmonicShare& share : kVoltageHarmonics)
        voltageShape_[share.order] = share.ratio * (1.0 + kShapeJitter * random_.symmetric());
    for (const HarmonicShare& share : kCurrentHarmonics)
        currentShape_[share.order] =
            share.ratio * shape_.harmonicScale * (1.0 + kShapeJitter * random_.symmetric());
    rebuildSnapshot();
}

void DriftingLoad::rebuildSnapshot()
{
    LoadSnapshot next;
    next.frequency = frequency_;

    // The RMS values set the fundamental; the harmonics ride on top of it, as
    // on a real line whose nominal voltage is the fundamental's.
    const double voltagePeak = std::numbers::sqrt2 * voltageRms_;
    const double currentPeak = std::numbers::sqrt2 * currentRms_;
    const double lag = lagDegrees_ * std::numbers::pi / 180.0;

    next.voltageAmplitude[0] = kVoltageDc;
    next.currentAmplitude[0] = kCurrentDc;
    next.voltageAmplitude[1] = voltagePeak;
    next.currentAmplitude[1] = currentPeak;
    next.currentPhase[1] = -lag;
    for (int k = 2; k < kHarmonicOrders; ++k) {
        next.voltageAmplitude[k] = voltagePeak * (voltageShape_[k] + voltageNoise_[k]);
        next.currentAmplitude[k] = currentPeak * (currentShape_[k] + currentNoise_[k]);
    }
    for (const HarmonicShare& share : kVoltageHarmonics)
        next.voltagePhase[share.order] = kTwoPi * share.phaseShare;
    for (const HarmonicShare& share : kCurrentHarmonics)
        next.currentPhase[share.order] = kTwoPi * share.phaseShare - share.order * lag;
    snapshot_ = next;
}
