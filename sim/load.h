#pragma once

#include "randomsource.h"

#include <array>
#include <cstdint>

inline constexpr int kHarmonicOrders = 51; // orders 0 (the DC level) to 50

// The single-phase load on the simulated instrument's inputs at one moment:
// mains voltage and load current as sums of harmonics. Element k of each array
// belongs to order k; element 0 is a small DC level, the others are peak
// amplitudes and sine phases relative to the voltage trigger (the moment the
// fundamental of the voltage rises through zero).
struct LoadSnapshot {
    double frequency = 50.0;                                // Hz
    std::array<double, kHarmonicOrders> voltageAmplitude{}; // V
    std::array<double, kHarmonicOrders> voltagePhase{};     // rad
    std::array<double, kHarmonicOrders> currentAmplitude{}; // A
    std::array<double, kHarmonicOrders> currentPhase{};     // rad

    double voltageAt(double seconds) const;
    double currentAt(double seconds) const;

    // The same load seen with the current advanced by `seconds`, as the
    // instrument corrects the phase error of an external current transformer.
    LoadSnapshot withCurrentShifted(double seconds) const;
};

// What kind of appliance draws the load's current: its RMS value around which
// it drifts, and how strong its harmonics are against those of the usual
// rectifier-fed appliance (1: as usual, 2: twice the share at every listed
// order, 0: a pure sine with only the noise residue).
struct LoadShape {
    double currentRms = 4.2; // A
    double harmonicScale = 1.0;

    bool operator==(const LoadShape&) const = default;
};

// A load that drifts a little from one look to the next: mains near 230 V and
// 50 Hz with a few odd harmonics, a current of a few amperes lagging the
// voltage, with more harmonic content. The same seed gives the same sequence.
class DriftingLoad {
public:
    explicit DriftingLoad(std::uint32_t seed, LoadShape shape = {});

    const LoadSnapshot& snapshot() const { return snapshot_; }
    // One step of drift, taken before each measurement.
    void step();

private:
    void rebuildSnapshot();

    RandomSource random_;
    LoadShape shape_;
    double frequency_;
    double voltageRms_;
    double currentRms_;
    double lagDegrees_;
    std::array<double, kHarmonicOrders> voltageShape_{}; // amplitude ratio to the fundamental
    std::array<double, kHarmonicOrders> currentShape_{};
    std::array<double, kHarmonicOrders> voltageNoise_{}; // fixed residue of the other orders
    std::array<double, kHarmonicOrders> currentNoise_{};
    LoadSnapshot snapshot_;
};
