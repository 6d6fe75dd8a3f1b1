#include "burstlog.h"

#include "measurementbuilder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

// Full-scale RMS values of the ranges, by index (0 = the largest range).
constexpr double kVoltageRangeRms[] = {300.0, 150.0, 75.0, 25.0};
constexpr double kCurrentRangeRms[] = {20.0, 10.0, 5.0, 2.0};

// Layout of the log, little-endian throughout:
//   0     float   volts per converter step
//   4     float   amperes per converter step
//   8     16 bytes unused (zero)
//   24    u16[2560] voltage samples, zero at 2047
//   5144  u16[2552] current samples to the end of the block, zero at 2047
constexpr std::size_t kVoltageScaleOffset = 0;
constexpr std::size_t kCurrentScaleOffset = 4;
constexpr std::size_t kVoltageSamplesOffset = 24;
constexpr std::size_t kVoltageSampleCount = 2560;
constexpr std::size_t kCurrentSamplesOffset = 5144;
constexpr std::size_t kCurrentSampleCount = (kBurstLogSize - kCurrentSamplesOffset) / 2;
constexpr double kNoiseCodes = 1.0; // largest converter noise, in steps

// The burst catches the load being switched on: no current until this
// sample, then the load's current with an inrush of kInrushRatio times its
// own size on top, decaying with a time constant of kInrushCycles mains
// cycles. Its first peaks exceed the current range unless the range is
// chosen with room to spare, and are clipped like the converter clips them.
constexpr std::size_t kSwitchOnSample = 400;
constexpr double kInrushRatio = 1.5;
constexpr double kInrushCycles = 2.5;

double BurstCurrent(const LoadSnapshot& load, double seconds, double switchOnSeconds)
{
    if (seconds < switchOnSeconds)
        return 0.0;
    const double sinceOn = seconds - switchOnSeconds;
    const double inrush = kInrushRatio * std::exp(-sinceOn * load.frequency / kInrushCycles);
    return load.currentAt(seconds) * (1.0 + inrush);
}

void PutFloat(BurstLog& log, std::size_t offset, float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        log[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

void PutCode(BurstLog& log, std::size_t offset, double value, double unitsPerCode,
             RandomSource& random)
{
    const double code =
        std::round(kZeroCode + value / unitsPerCode + kNoiseCodes * random.symmetric());
    const auto clipped = static_cast<std::uint16_t>(std::clamp(code, 0.0, double(kLargestCode)));
    log[offset] = static_cast<std::uint8_t>(clipped & 0xFF);
    log[offset + 1] = static_cast<std::uint8_t>(clipped >> 8);
}

} // namespace

std::optional<BurstRanges> RangesForCode(std::uint8_t rangeCode)
{
    const int voltageIndex = rangeCode & 0x0F;
    const int currentIndex = rangeCode >> 4;
    if (voltageIndex > 3 || currentIndex > 3)
        return std::nullopt;
    // A sine at the range's full-scale RMS value just reaches the converter's
    // end codes.
    return BurstRanges{kVoltageRangeRms[voltageIndex] * std::numbers::sqrt2 / kZeroCode,
                       kCurrentRangeRms[currentIndex] * std::numbers::sqrt2 / kZeroCode};
}

BurstLog BuildBurstLog(const LoadSnapshot& load, const BurstRanges& ranges, RandomSource& random)
{
    BurstLog log{};
    PutFloat(log, kVoltageScaleOffset, float(ranges.voltsPerCode));
    PutFloat(log, kCurrentScaleOffset, float(ranges.amperesPerCode));
    const double sampleStep = 1.0 / (kWaveSamplesPerCycle * load.frequency);
    for (std::size_t k = 0; k < kVoltageSampleCount; ++k)
        PutCode(log, kVoltageSamplesOffset + 2 * k, load.voltageAt(k * sampleStep),
                ranges.voltsPerCode, random);
    const double switchOn = kSwitchOnSample * sampleStep;
    for (std::size_t k = 0; k < kCurrentSampleCount; ++k)
        PutCode(log, kCurrentSamplesOffset + 2 * k, BurstCurrent(load, k * sampleStep, switchOn),
                ranges.amperesPerCode, random);
    return log;
}
