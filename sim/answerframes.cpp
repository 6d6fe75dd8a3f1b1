#include "answerframes.h"

#include "instrumentregisters.h"
#include "linkstate.h"
#include "modbusframe.h"

#include <algorithm>
#include <cstring>

namespace {

void AppendChecksum(std::vector<std::uint8_t>& frame)
{
    const std::size_t length = frame.size();
    frame.resize(length + 2);
    AppendCrc(frame.data(), length);
}

} // namespace

// address, 3, byte count n, n data bytes, crc lo, crc hi
std::vector<std::uint8_t> ReadAnswerFrame(std::uint8_t address,
                                          const std::vector<std::uint8_t>& data)
{
    // Sized once: growing a three-byte vector by insert makes GCC 12 at -O3
    // warn about a copy it has not proved to be in bounds.
    std::vector<std::uint8_t> frame(3 + data.size());
    frame[0] = address;
    frame[1] = kFunctionRead;
    frame[2] = static_cast<std::uint8_t>(data.size());
    std::copy(data.begin(), data.end(), frame.begin() + 3);
    AppendChecksum(frame);
    return frame;
}

// address, 9, register low byte, crc lo, crc hi  (5 bytes)
std::vector<std::uint8_t> WriteAcknowledgeFrame(std::uint8_t address, std::uint16_t reg)
{
    std::vector<std::uint8_t> frame{address, kFunctionWriteAcknowledge,
                                    static_cast<std::uint8_t>(reg & 0xFF)};
    AppendChecksum(frame);
    return frame;
}

// address, 10, 146, crc lo, crc hi  (5 bytes)
std::vector<std::uint8_t> LogStartedFrame(std::uint8_t address)
{
    std::vector<std::uint8_t> frame{address, kFunctionLogStarted, kLogStartedMark};
    AppendChecksum(frame);
    return frame;
}

// bytes 0-2529 the record's first 2530 bytes as they lie in memory (no
// address, function or count byte), 2530-2531 crc lo, crc hi
std::vector<std::uint8_t> MeasurementFrame(const MeasurementRecord& record)
{
    std::vector<std::uint8_t> frame(kMeasurementDataSize);
    std::memcpy(frame.data(), &record, kMeasurementDataSize);
    AppendChecksum(frame);
    return frame;
}

// bytes 0-1707 the log's bytes (chunk-1)*1708 onward (no header),
// 1708-1709 crc lo, crc hi
std::vector<std::uint8_t> LogChunkFrame(const BurstLog& log, int chunk)
{
    const auto start = log.begin() + static_cast<std::ptrdiff_t>((chunk - 1) * kLogChunkSize);
    std::vector<std::uint8_t> frame(start, start + static_cast<std::ptrdiff_t>(kLogChunkSize));
    AppendChecksum(frame);
    return frame;
}
