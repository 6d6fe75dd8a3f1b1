#pragma once

#include "load.h"
#include "measurementrecord.h"

#include <cstdint>

// How the instrument evaluates what it sees.
struct MeasurementSettings {
    bool thdRelativeToRms =
        false;              // option byte bit 1: THD over the whole RMS value, not the fundamental
    double energyKwh = 0.0; // the energy counter at this moment
};

inline constexpr int kWaveSamplesPerCycle = 128; // 512 samples span four cycles
inline constexpr std::uint16_t kZeroCode = 2047;
inline constexpr std::uint16_t kLargestCode = 4095;
inline constexpr double kWaveVoltsPerCode = 500.0 / 2047.0;
inline constexpr double kWaveAmperesPerCode = 12.0 / 2047.0;

// The measurement the instrument reports for `load`: the fifteen quantities,
// both spectra, and four cycles of both waveforms as 12-bit converter codes.
// Every quantity follows from the load and from the others as the instrument
// computes them: peaks of the sampled waveforms, PF = cos(IPA), WRMS =
// URMS·IRMS·PF, PS = URMS·IRMS, PQ = URMS·IRMS·sin(IPA), crest factor =
// peak / RMS. `Reserved` is left zero.
MeasurementRecord BuildMeasurement(const LoadSnapshot& load, const MeasurementSettings& settings);

// Active power of `load` as BuildMeasurement reports it, in watts.
double ActivePower(const LoadSnapshot& load);

// Total harmonic distortion of one spectrum (peak amplitudes by order).
double TotalHarmonicDistortion(const std::array<double, kHarmonicOrders>& amplitude,
                               bool relativeToRms);
