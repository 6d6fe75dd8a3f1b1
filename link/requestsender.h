#pragma once

#include "linkstate.h"

#include <cstdint>

class TComm;

// The three request builders. Each sends nothing and returns false while the
// port is closed; otherwise it writes the frame and returns true without
// judging the write. Read and byte-write frames are built in the shared
// RequestBuffer, whose byte 3 later tells which register a read answer
// belongs to; value writes use a buffer of their own and leave it alone.
class RequestSender {
public:
    RequestSender(TComm& comm, LinkState& state) : comm_(comm), state_(state) {}

    bool SendReadRequest(std::uint8_t address, std::uint16_t reg, std::uint16_t count);
    bool SendWriteValue(std::uint8_t address, std::uint16_t reg, std::uint32_t value);
    bool SendWriteBytes(std::uint8_t address, std::uint16_t reg, const std::uint8_t* bytes);

    // Sends a frame the caller built in RequestBuffer (the calibration window
    // builds its own write frames there).
    bool SendBuiltFrame(std::size_t length);

private:
    TComm& comm_;
    LinkState& state_;
};
