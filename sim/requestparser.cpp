#include "requestparser.h"

#include "modbusframe.h"

#include <algorithm>
#include <array>

namespace {

// What the bytes from `start` on are: a complete frame of `length` bytes, not
// a frame, or not yet decidable because bytes are missing.
enum class Candidate { Frame, NotAFrame, Incomplete };

struct Scan {
    Candidate candidate;
    std::size_t length;
};

std::size_t FrameLengthFor(std::uint8_t function)
{
    if (function == kFunctionRead)
        return kReadRequestSize;
    if (function == kFunctionWrite)
        return kWriteRequestSize;
    return 0;
}

Scan ScanAt(const std::deque<std::uint8_t>& buffer, std::size_t start)
{
    const std::size_t available = buffer.size() - start;
    if (available < 2)
        return {Candidate::Incomplete, 0};
    const std::size_t length = FrameLengthFor(buffer[start + 1]);
    if (length == 0)
        return {Candidate::NotAFrame, 0};
    if (available < length)
        return {Candidate::Incomplete, length};
    std::array<std::uint8_t, kWriteRequestSize> frame{};
    std::copy_n(buffer.begin() + static_cast<std::ptrdiff_t>(start), length, frame.begin());
    if (!AnswerChecksumValid(frame.data(), length))
        return {Candidate::NotAFrame, 0};
    return {Candidate::Frame, length};
}

} // namespace

std::vector<std::vector<std::uint8_t>> RequestParser::feed(const std::uint8_t* data,
                                                           std::size_t length)
{
    buffer_.insert(buffer_.end(), data, data + length);
    std::vector<std::vector<std::uint8_t>> frames;
    while (!buffer_.empty()) {
        Scan head = ScanAt(buffer_, 0);
        if (head.candidate == Candidate::Incomplete) {
            // The head may be the start of a request still arriving, or noise
            // that merely looks like one; a complete frame further on settles
            // it in favour of noise, otherwise wait for more bytes.
            std::size_t next = 1;
            while (next < buffer_.size() && ScanAt(buffer_, next).candidate != Candidate::Frame)
                ++next;
            if (next >= buffer_.size())
                break;
            buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(next));
            continue;
        }
        if (head.candidate == Candidate::NotAFrame) {
            buffer_.pop_front();
            continue;
        }
        frames.emplace_back(buffer_.begin(),
                            buffer_.begin() + static_cast<std::ptrdiff_t>(head.length));
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(head.length));
    }
    return frames;
}
