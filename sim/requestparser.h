#pragma once

#include <cstdint>
#include <deque>
#include <vector>

// Cuts the byte stream a client writes into request frames: 8-byte reads
// (function 3) and 13-byte writes (function 16) whose checksum holds. Bytes
// that do not begin such a frame are skipped one at a time, so the parser
// finds its way back to the next request after line noise, a partial frame or
// a frame with a bad checksum.
class RequestParser {
public:
    // Appends received bytes and returns the frames completed by them, in order.
    std::vector<std::vector<std::uint8_t>> feed(const std::uint8_t* data, std::size_t length);

    // Bytes held back because they may still become the start of a frame.
    std::size_t pendingBytes() const { return buffer_.size(); }

private:
    std::deque<std::uint8_t> buffer_;
};
