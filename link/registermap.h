#pragma once

#include <cstddef>
#include <cstdint>

// The instrument's registers, as the program uses them.
namespace Register {
inline constexpr std::uint16_t AlarmFirst = 118; // 118-125: AL1H, AL1L ... AL4L (floats)
inline constexpr std::uint16_t AlarmLast = 125;
inline constexpr std::uint16_t AlarmFlags = 126; // bit k switches threshold k+1
inline constexpr std::uint16_t Options = 128;    // bit 0 wide band, bit 1 CSA method
inline constexpr std::uint16_t ExternalCtPhase = 129;
inline constexpr std::uint16_t Log = 147; // start (ranges in count) or chunk n (n*256)
inline constexpr std::uint16_t Measurement = 148;
inline constexpr std::uint16_t CalibrateVoltage = 154;
inline constexpr std::uint16_t CalibrateCurrent = 158;
inline constexpr std::uint16_t CalibrateTemperature = 166;
inline constexpr std::uint16_t CalibrationUnlock = 185;
inline constexpr std::uint16_t Goodbye = 186;   // read with count 0, not answered
inline constexpr std::uint16_t KeepAlive = 187; // read with count 15
} // namespace Register

inline constexpr std::size_t kMeasurementAnswerSize = 2532;
inline constexpr std::size_t kLogChunkAnswerSize = 1710;
inline constexpr std::size_t kAnswerBufferSize = 2660; // longest input the dispatcher takes

inline constexpr std::uint8_t kFunctionWriteAck = 9;
inline constexpr std::uint8_t kFunctionLogStartAck = 10;
inline constexpr std::uint8_t kLogStartAckMark = 146;

enum class AnswerKind {
    Invalid,     // too short, too long or failing its checksum: ask again
    Measurement, // 2532 bytes, whatever the first bytes are
    LogChunk,    // 1710 bytes, whatever the second byte is
    ReadAnswer,  // function 3
    WriteAck,    // function 9, byte 2 names the register written
    LogStartAck, // function 10 with byte 2 = 146
    Ignored,     // a valid answer of no kind the program acts on
};

AnswerKind ClassifyAnswer(const std::uint8_t* data, std::size_t length);
