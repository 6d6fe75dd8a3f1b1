#pragma once

#include "linkstate.h"

#include <array>
#include <bit>
#include <cstdint>
#include <functional>

// An instrument log built from its two factors and two sample functions
// (deviation from the zero code by sample index); every other word is the
// zero code.
inline std::array<std::uint8_t, kInstrumentLogSize> MakeLog(float voltageFactor,
                                                            float currentFactor,
                                                            const std::function<int(int)>& voltage,
                                                            const std::function<int(int)>& current)
{
    std::array<std::uint8_t, kInstrumentLogSize> log{};
    auto put16 = [&log](std::size_t offset, int value) {
        log[offset] = std::uint8_t(value & 0xFF);
        log[offset + 1] = std::uint8_t((value >> 8) & 0xFF);
    };
    auto put32 = [&log](std::size_t offset, float value) {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            log[offset + i] = std::uint8_t(bits >> (8 * i));
    };
    put32(0, voltageFactor);
    put32(4, currentFactor);
    for (std::size_t offset = 8; offset < 24; offset += 2)
        put16(offset, 2047);
    for (int k = 0; k < 2560; ++k)
        put16(24 + 2 * k, 2047 + voltage(k));
    for (int k = 0; k < 2552; ++k)
        put16(5144 + 2 * k, 2047 + current(k));
    return log;
}

inline int Flat(int)
{
    return 0;
}
