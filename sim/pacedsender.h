#pragma once

#include "faultplan.h"

#include <chrono>
#include <cstddef>
#include <optional>

// Puts one transmission on the line no faster than a serial line of the given
// rate would carry it (10 bits a byte: start, 8 data, stop): at time t after a
// part begins, at most t·rate/10 of its bytes have been written. Bytes leave
// in small slices of a few milliseconds each. Not thread-safe.
class PacedSender {
public:
    using Clock = std::chrono::steady_clock;

    struct Wait {
        std::optional<Clock::time_point> until; // call pump() again by then
        bool forWritable = false;               // the device is full; wait until it drains
    };

    void begin(Transmission transmission, int bitsPerSecond, Clock::time_point now);
    bool busy() const { return part_ < transmission_.parts.size(); }

    // Writes what is due by `now` to the non-blocking `fd` and says when more
    // will be due. A transmission the device refuses outright is abandoned.
    Wait pump(int fd, Clock::time_point now);

private:
    Clock::duration timeFor(std::size_t bytes) const;
    void startPart(std::size_t index, Clock::time_point now);

    Transmission transmission_;
    int bitsPerSecond_ = 115200;
    std::size_t part_ = 0;
    std::size_t sent_ = 0;
    std::size_t sliceBytes_ = 1;
    Clock::time_point partStart_;
};
