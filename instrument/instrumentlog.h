#pragma once

#include <cstdint>
#include <optional>
#include <span>

// Reading the instrument's burst log (the 10248 bytes of InstrumentLog),
// little-endian throughout:
//   0     float     volts per converter step (voltage factor)
//   4     float     amperes per converter step (current factor)
//   8     16 bytes  not used here
//   24    u16[2560] voltage samples, zero at 2047
//   5144  u16       current samples up to the end of the block, zero at 2047
// The current's 2560 positions run 8 samples past the block's end; only the
// 2552 inside it exist. Every reader takes any number of bytes: what lies
// beyond the given bytes counts as missing, so an untrusted or short block
// is read safely.

inline constexpr int kLogSampleCount = 2560;        // positions of each trace
inline constexpr int kLogCurrentSampleCount = 2552; // current samples inside the block
inline constexpr int kLogPeakSampleCount = 2551;    // samples the peaks are taken from
inline constexpr int kLogZeroCode = 2047;

enum class LogChannel { Voltage, Current };

float LogVoltageFactor(std::span<const std::uint8_t> log);
float LogCurrentFactor(std::span<const std::uint8_t> log);

// Code minus 2047 of sample `k` of a channel; nullopt for a sample that does
// not exist (outside 0-2559, beyond the block, or beyond the given bytes).
std::optional<int> LogDeviation(std::span<const std::uint8_t> log, LogChannel channel, long long k);

// The largest absolute deviation among samples 0-2550 of a channel (A for
// the current, B for the voltage).
int LogPeak(std::span<const std::uint8_t> log, LogChannel channel);
