#include "instrumentlog.h"

#include <bit>
#include <cstdlib>

namespace {

constexpr std::size_t kVoltageFactorOffset = 0;
constexpr std::size_t kCurrentFactorOffset = 4;
constexpr std::size_t kVoltageSamplesOffset = 24;
constexpr std::size_t kCurrentSamplesOffset = 5144;

float FloatAt(std::span<const std::uint8_t> log, std::size_t offset)
{
    if (log.size() < offset + 4)
        return 0.0f;
    const std::uint32_t bits = std::uint32_t(log[offset]) | std::uint32_t(log[offset + 1]) << 8
                               | std::uint32_t(log[offset + 2]) << 16
                               | std::uint32_t(log[offset + 3]) << 24;
    return std::bit_cast<float>(bits);
}

} // namespace

float LogVoltageFactor(std::span<const std::uint8_t> log)
{
    return FloatAt(log, kVoltageFactorOffset);
}

float LogCurrentFactor(std::span<const std::uint8_t> log)
{
    return FloatAt(log, kCurrentFactorOffset);
}

std::optional<int> LogDeviation(std::span<const std::uint8_t> log, LogChannel channel, long long k)
{
    const bool voltage = channel == LogChannel::Voltage;
    const long long count = voltage ? kLogSampleCount : kLogCurrentSampleCount;
    if (k < 0 || k >= count)
        return std::nullopt;
    const std::size_t offset =
        (voltage ? kVoltageSamplesOffset : kCurrentSamplesOffset) + std::size_t(k) * 2;
    if (log.size() < offset + 2)
        return std::nullopt;
    return int(log[offset] | log[offset + 1] << 8) - kLogZeroCode;
}

int LogPeak(std::span<const std::uint8_t> log, LogChannel channel)
{
    int peak = 0;
    for (int k = 0; k < kLogPeakSampleCount; ++k)
        if (const std::optional<int> d = LogDeviation(log, channel, k))
            peak = std::max(peak, std::abs(*d));
    return peak;
}
