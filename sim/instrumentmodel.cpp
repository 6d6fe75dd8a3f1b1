#include "instrumentmodel.h"

#include "answerframes.h"
#include "instrumentregisters.h"
#include "measurementbuilder.h"
#include "modbusframe.h"

namespace {

constexpr double kWattSecondsPerKwh = 3.6e6;
// The burst noise draws from a stream of its own, so arming a log does not
// change the measurements that follow.
constexpr std::uint32_t kConverterNoiseSeedOffset = 0x5eed;

std::uint16_t BigEndian16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

// A read answer whose byte count is 4 and whose first data byte carries a
// setting byte: address, 3, 4, value, 0, 0, 0, crc lo, crc hi.
std::vector<std::uint8_t> SettingByteAnswer(std::uint8_t address, std::uint8_t value)
{
    return ReadAnswerFrame(address, {value, 0, 0, 0});
}

// address, 3, 4, float LE (4 bytes), crc lo, crc hi
std::vector<std::uint8_t> FloatAnswer(std::uint8_t address, float value)
{
    const std::uint32_t bits = FloatBits(value);
    return ReadAnswerFrame(
        address, {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                  static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)});
}

} // namespace

InstrumentModel::InstrumentModel(std::uint32_t seed, std::chrono::milliseconds triggerDelay,
                                 Clock::time_point switchedOn, LoadShape loadShape)
    : load_(seed, loadShape), converterNoise_(seed + kConverterNoiseSeedOffset),
      triggerDelay_(triggerDelay), energyCountedUntil_(switchedOn)
{
    powerWatts_ = ActivePower(observedLoad());
}

std::optional<Answer> InstrumentModel::answer(const std::vector<std::uint8_t>& request,
                                              Clock::time_point now)
{
    if (request.size() == kReadRequestSize && request[1] == kFunctionRead)
        return answerRead(request[0], BigEndian16(&request[2]), BigEndian16(&request[4]), now);
    if (request.size() == kWriteRequestSize && request[1] == kFunctionWrite)
        return answerWrite(request[0], BigEndian16(&request[2]), &request[7]);
    return std::nullopt;
}

std::optional<Answer> InstrumentModel::answerRead(std::uint8_t address, std::uint16_t reg,
                                                  std::uint16_t count, Clock::time_point now)
{
    const std::optional<RegisterEntry> entry = FindRegister(reg);
    if (!entry || !entry->readable)
        return std::nullopt;
    switch (entry->role) {
    case RegisterRole::Threshold:
        return Answer{FloatAnswer(address, settings_.thresholds[reg - kFirstThresholdRegister])};
    case RegisterRole::AlarmFlags:
        return Answer{SettingByteAnswer(address, settings_.alarmFlags)};
    case RegisterRole::OptionByte:
        return Answer{SettingByteAnswer(address, settings_.optionByte)};
    case RegisterRole::Log:
        return answerLog(address, count);
    case RegisterRole::Measurement:
        return measurementAnswer(now);
    case RegisterRole::KeepAlive:
        // address, 3, 30, fifteen zero registers, crc lo, crc hi (35 bytes):
        // the client only needs to see that the instrument is there.
        return Answer{
            ReadAnswerFrame(address, std::vector<std::uint8_t>(2 * kKeepAliveRegisterCount))};
    case RegisterRole::Goodbye:
    default:
        return std::nullopt;
    }
}

std::optional<Answer> InstrumentModel::answerWrite(std::uint8_t address, std::uint16_t reg,
                                                   const std::uint8_t* data)
{
    const std::optional<RegisterEntry> entry = FindRegister(reg);
    if (!entry || !entry->writable)
        return std::nullopt;
    switch (entry->role) {
    case RegisterRole::Threshold:
        settings_.thresholds[reg - kFirstThresholdRegister] = DecodeFloat(data);
        break;
    case RegisterRole::AlarmFlags:
        settings_.alarmFlags = data[0];
        break;
    case RegisterRole::OptionByte:
        settings_.optionByte = data[0];
        break;
    case RegisterRole::ExternalCtShift:
        settings_.externalCtShift = DecodeFloat(data);
        break;
    case RegisterRole::CalibrationUnlock:
        calibration_.unlocked = data[0] == kCalibrationUnlockCode;
        break;
    case RegisterRole::CalibrateVoltage:
        if (calibration_.unlocked)
            calibration_.voltageReference = DecodeFloat(data);
        break;
    case RegisterRole::CalibrateCurrent:
        if (calibration_.unlocked)
            calibration_.currentReference = DecodeFloat(data);
        break;
    case RegisterRole::CalibrateTemperature:
        if (calibration_.unlocked) {
            calibration_.lastTemperatureCommand = data[0];
            if (data[0] == 2)
                calibration_.temperatureCompensation = false;
            else if (data[0] == 3)
                calibration_.temperatureCompensation = true;
        }
        break;
    default:
        return std::nullopt;
    }
    // Every accepted write is acknowledged, also a calibration command the
    // locked instrument ignores: the acknowledgement says it was received.
    return Answer{WriteAcknowledgeFrame(address, reg)};
}

std::optional<Answer> InstrumentModel::answerLog(std::uint8_t address, std::uint16_t count)
{
    const int chunk = count >> 8;
    const auto rangeCode = static_cast<std::uint8_t>(count & 0xFF);
    if (chunk == 0) {
        // Arming: the burst is taken of the load as it is now and reported
        // once the trigger has closed, after the trigger delay.
        const std::optional<BurstRanges> ranges = RangesForCode(rangeCode);
        if (!ranges)
            return std::nullopt;
        logRangeCode_ = rangeCode;
        log_ = takeBurst(*ranges);
        return Answer{LogStartedFrame(address), triggerDelay_};
    }
    if (rangeCode != 0 || chunk > kLogChunkCountMax)
        return std::nullopt;
    if (!log_) // never armed: the memory holds a burst taken with the largest ranges
        log_ = takeBurst(*RangesForCode(0));
    return Answer{LogChunkFrame(*log_, chunk)};
}

BurstLog InstrumentModel::takeBurst(const BurstRanges& ranges)
{
    return presetLog_ ? *presetLog_ : BuildBurstLog(observedLoad(), ranges, converterNoise_);
}

Answer InstrumentModel::measurementAnswer(Clock::time_point now)
{
    // The counter integrates the power that flowed since the last look; the
    // load then drifts on to the state this measurement reports.
    if (now > energyCountedUntil_) {
        const double seconds = std::chrono::duration<double>(now - energyCountedUntil_).count();
        energyKwh_ += powerWatts_ * seconds / kWattSecondsPerKwh;
        energyCountedUntil_ = now;
    }
    load_.step();
    const LoadSnapshot observed = observedLoad();
    powerWatts_ = ActivePower(observed);
    MeasurementSettings settings;
    settings.thdRelativeToRms = (settings_.optionByte & 0x02) != 0;
    settings.energyKwh = energyKwh_;
    return Answer{MeasurementFrame(BuildMeasurement(observed, settings))};
}

LoadSnapshot InstrumentModel::observedLoad() const
{
    return load_.snapshot().withCurrentShifted(settings_.externalCtShift);
}
