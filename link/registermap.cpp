#include "registermap.h"

#include "modbusframe.h"

// Answer layouts (all end in the checksum, low byte first):
//   measurement  2532 bytes: 2530 bytes of measurement data, no header
//   log chunk    1710 bytes: 1708 bytes of log data, no header
//   read answer  addr, 3, byte count, data ...
//   write ack    addr, 9, low byte of the register written
//   log start    addr, 10, 146
// The length decides first, the function byte only otherwise; the address and
// the byte count are not examined.
AnswerKind ClassifyAnswer(const std::uint8_t* data, std::size_t length)
{
    if (length <= 4 || length > kAnswerBufferSize || !AnswerChecksumValid(data, length))
        return AnswerKind::Invalid;
    if (length == kMeasurementAnswerSize)
        return AnswerKind::Measurement;
    if (length == kLogChunkAnswerSize)
        return AnswerKind::LogChunk;
    switch (data[1]) {
    case kFunctionRead:
        return AnswerKind::ReadAnswer;
    case kFunctionWriteAck:
        return AnswerKind::WriteAck;
    case kFunctionLogStartAck:
        return data[2] == kLogStartAckMark ? AnswerKind::LogStartAck : AnswerKind::Ignored;
    default:
        return AnswerKind::Ignored;
    }
}
