#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The registers the simulated instrument knows, and what a read or a write of
// each one does. A request for a register missing from this table, or of a
// kind the register does not take, goes unanswered.
enum class RegisterRole : std::uint8_t {
    Threshold,            // 118-125: alarm thresholds AL1H ... AL4L, one float each
    AlarmFlags,           // 126: bit k switches threshold k+1 on
    OptionByte,           // 128: bit 0 wide current band, bit 1 THD relative to the RMS value
    ExternalCtShift,      // 129: time shift in seconds that corrects the current's phase
    Log,                  // 147: arm the burst log (ranges in the count) or fetch chunk n (n*256)
    Measurement,          // 148: the 2532-byte measurement
    CalibrateVoltage,     // 154: reference voltage applied by a calibrator
    CalibrateCurrent,     // 158: reference current applied by a calibrator
    CalibrateTemperature, // 166: 0 room, 1 low temperature, 2 compensation off, 3 on
    CalibrationUnlock,    // 185: unlock code 0xB6
    Goodbye,              // 186: the client leaves; never answered
    KeepAlive,            // 187: read of 15 registers, a sign of life
};

struct RegisterEntry {
    std::uint16_t first;
    std::uint16_t last;
    RegisterRole role;
    bool readable;
    bool writable;
};

inline constexpr std::array<RegisterEntry, 12> kInstrumentRegisters{{
    {118, 125, RegisterRole::Threshold, true, true},
    {126, 126, RegisterRole::AlarmFlags, true, true},
    {128, 128, RegisterRole::OptionByte, true, true},
    {129, 129, RegisterRole::ExternalCtShift, false, true},
    {147, 147, RegisterRole::Log, true, false},
    {148, 148, RegisterRole::Measurement, true, false},
    {154, 154, RegisterRole::CalibrateVoltage, false, true},
    {158, 158, RegisterRole::CalibrateCurrent, false, true},
    {166, 166, RegisterRole::CalibrateTemperature, false, true},
    {185, 185, RegisterRole::CalibrationUnlock, false, true},
    {186, 186, RegisterRole::Goodbye, true, false},
    {187, 187, RegisterRole::KeepAlive, true, false},
}};

inline constexpr std::uint16_t kFirstThresholdRegister = 118;
inline constexpr int kThresholdCount = 8;
inline constexpr std::uint8_t kCalibrationUnlockCode = 0xB6;
inline constexpr std::uint16_t kKeepAliveRegisterCount = 15;

// Answer function codes beside the standard read answer (3).
inline constexpr std::uint8_t kFunctionWriteAcknowledge = 9;
inline constexpr std::uint8_t kFunctionLogStarted = 10;
inline constexpr std::uint8_t kLogStartedMark = 146;

inline constexpr std::size_t kMeasurementAnswerLength = 2532;
inline constexpr std::size_t kLogChunkAnswerLength = 1710;
inline constexpr int kLogChunkCountMax = 6;

inline constexpr std::optional<RegisterEntry> FindRegister(std::uint16_t reg)
{
    for (const RegisterEntry& entry : kInstrumentRegisters)
        if (reg >= entry.first && reg <= entry.last)
            return entry;
    return std::nullopt;
}
