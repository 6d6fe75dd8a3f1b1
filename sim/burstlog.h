#pragma once

#include "load.h"
#include "randomsource.h"

#include <array>
#include <cstdint>
#include <optional>

inline constexpr std::size_t kBurstLogSize = 10248; // six chunks of 1708 bytes

using BurstLog = std::array<std::uint8_t, kBurstLogSize>;

// The measuring ranges chosen when the burst log is armed, from the range code
// current index × 16 + voltage index (each index 0-3); nullopt for a code
// with an index out of range.
struct BurstRanges {
    double voltsPerCode;
    double amperesPerCode;
};
std::optional<BurstRanges> RangesForCode(std::uint8_t rangeCode);

// The burst the instrument takes of `load` when its log is triggered: the two
// scale factors, then the voltage and current samples as 12-bit converter
// codes around 2047, clipped where the load exceeds the range. The burst
// catches the load being switched on: the current rises from zero with an
// inrush that decays over a few cycles. A little converter noise comes from
// `random`.
BurstLog BuildBurstLog(const LoadSnapshot& load, const BurstRanges& ranges, RandomSource& random);
