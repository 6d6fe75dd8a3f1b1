#pragma once

#include <cstdint>
#include <random>

// Seeded pseudo-random numbers that come out the same on every platform: the
// engine's sequence is fixed by the standard, and the conversions below are
// our own rather than the library's distributions, whose results may differ
// between implementations.
class RandomSource {
public:
    explicit RandomSource(std::uint32_t seed) : engine_(seed) {}

    // Uniform in [0, 1).
    double unit() { return static_cast<double>(engine_() >> 8) / 16777216.0; }
    // Uniform in [-1, 1).
    double symmetric() { return 2.0 * unit() - 1.0; }
    // Uniform in [0, bound), bound > 0.
    std::uint32_t below(std::uint32_t bound) { return static_cast<std::uint32_t>(unit() * bound); }
    std::uint8_t byte() { return static_cast<std::uint8_t>(engine_() >> 24); }

private:
    std::mt19937 engine_;
};
