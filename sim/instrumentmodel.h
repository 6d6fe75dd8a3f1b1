#pragma once

#include "burstlog.h"
#include "load.h"
#include "randomsource.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

// An answer as the instrument puts it on the line.
struct Answer {
    std::vector<std::uint8_t> bytes;
    std::chrono::milliseconds delay{0}; // before its first byte leaves
};

// What the instrument keeps between requests, as writes change it.
struct InstrumentSettings {
    // Registers 118-125: AL1H, AL1L, AL2H, AL2L, AL3H, AL3L, AL4H, AL4L.
    std::array<float, 8> thresholds{300.0f, 0.0f, 20.0f, 0.0f, 6000.0f, 0.0f, 1.0f, 0.0f};
    std::uint8_t alarmFlags = 0;  // register 126
    std::uint8_t optionByte = 0;  // register 128
    float externalCtShift = 0.0f; // register 129, seconds
};

// Calibration commands as the instrument took them. Reference values and
// temperature commands are taken only while calibration is unlocked; the
// simulated converter has no error to correct, so they change no measurement.
struct CalibrationState {
    bool unlocked = false;
    std::optional<float> voltageReference;              // register 154
    std::optional<float> currentReference;              // register 158
    std::optional<std::uint8_t> lastTemperatureCommand; // register 166
    bool temperatureCompensation = true;                // commands 2 (off) and 3 (on)
};

// The instrument behind its serial line, without the line: maps one request
// frame (with a valid checksum) to the answer the instrument sends, or to none.
// Not thread-safe; the caller serialises access.
class InstrumentModel {
public:
    using Clock = std::chrono::steady_clock;

    InstrumentModel(std::uint32_t seed, std::chrono::milliseconds triggerDelay,
                    Clock::time_point switchedOn, LoadShape loadShape = {});

    // `now` drives the energy counter, which runs from switch-on.
    std::optional<Answer> answer(const std::vector<std::uint8_t>& request, Clock::time_point now);

    InstrumentSettings& settings() { return settings_; }
    const InstrumentSettings& settings() const { return settings_; }
    const CalibrationState& calibration() const { return calibration_; }
    // The range code of the last armed burst log (0 before the first).
    std::uint8_t logRangeCode() const { return logRangeCode_; }
    // The burst the next arming takes (any 10248 bytes), instead of one of
    // the load; nullopt goes back to the load.
    void setBurstLog(std::optional<BurstLog> log) { presetLog_ = log; }
    // The burst the chunks are served from (nullopt before any was taken).
    const std::optional<BurstLog>& servedBurstLog() const { return log_; }

private:
    std::optional<Answer> answerRead(std::uint8_t address, std::uint16_t reg, std::uint16_t count,
                                     Clock::time_point now);
    std::optional<Answer> answerWrite(std::uint8_t address, std::uint16_t reg,
                                      const std::uint8_t* data);
    std::optional<Answer> answerLog(std::uint8_t address, std::uint16_t count);
    Answer measurementAnswer(Clock::time_point now);
    LoadSnapshot observedLoad() const;

    DriftingLoad load_;
    RandomSource converterNoise_;
    std::chrono::milliseconds triggerDelay_;
    InstrumentSettings settings_;
    CalibrationState calibration_;
    std::uint8_t logRangeCode_ = 0;
    std::optional<BurstLog> log_;
    std::optional<BurstLog> presetLog_;
    BurstLog takeBurst(const BurstRanges& ranges);
    double energyKwh_ = 0.0;
    double powerWatts_ = 0.0; // active power since the last measurement
    Clock::time_point energyCountedUntil_;
};
