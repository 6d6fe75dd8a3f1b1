#include "hexbytes.h"
#include "instrumentmodel.h"
#include "measurementbuilder.h"
#include "measurementrecord.h"
#include "modbusframe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using namespace std::chrono_literals;
using Clock = InstrumentModel::Clock;

const Clock::time_point kSwitchOn{};

std::vector<std::uint8_t> Read(std::uint16_t reg, std::uint16_t count, std::uint8_t address = 1)
{
    std::vector<std::uint8_t> frame(kReadRequestSize);
    BuildReadRequest(frame.data(), address, reg, count);
    return frame;
}

std::vector<std::uint8_t> Write(std::uint16_t reg, std::vector<std::uint8_t> data,
                                std::uint8_t address = 1)
{
    std::vector<std::uint8_t> frame(kWriteRequestSize);
    BuildWriteRequest(frame.data(), address, reg, data.data());
    return frame;
}

std::vector<std::uint8_t> WriteFloat(std::uint16_t reg, float value)
{
    const std::uint32_t bits = FloatBits(value);
    return Write(reg, {std::uint8_t(bits), std::uint8_t(bits >> 8), std::uint8_t(bits >> 16),
                       std::uint8_t(bits >> 24)});
}

MeasurementRecord Decode(const std::vector<std::uint8_t>& answer)
{
    MeasurementRecord record;
    ResetMeasurementRecord(record);
    std::memcpy(&record, answer.data(), kMeasurementDataSize);
    return record;
}

std::optional<std::vector<std::uint8_t>> Bytes(const std::optional<Answer>& answer)
{
    if (!answer)
        return std::nullopt;
    return answer->bytes;
}

struct ExchangeCase {
    const char* name;
    std::vector<std::uint8_t> request;
    std::optional<std::string> answer; // without checksum; nullopt = no answer
};

void PrintTo(const ExchangeCase& param, std::ostream* out)
{
    *out << param.name;
}

class InstrumentModelExchange : public ::testing::TestWithParam<ExchangeCase> {};

TEST_P(InstrumentModelExchange, AnswersAsTheRegisterMapSays)
{
    InstrumentModel model(7, 250ms, kSwitchOn);
    const auto answer = Bytes(model.answer(GetParam().request, kSwitchOn + 1s));
    if (!GetParam().answer) {
        EXPECT_FALSE(answer) << ToHex(*answer);
        return;
    }
    ASSERT_TRUE(answer);
    EXPECT_EQ(ToHex(*answer), ToHex(WithCrc(Hex(*GetParam().answer))));
}

INSTANTIATE_TEST_SUITE_P(
    Registers, InstrumentModelExchange,
    ::testing::Values(
        // Start values: AL1H 300.0, AL2H 20.0, AL3H 6000.0, AL4H 1.0, the others 0.
        ExchangeCase{"ReadAL1H", Read(118, 2), "01 03 04 00 00 96 43"},
        ExchangeCase{"ReadAL1L", Read(119, 2), "01 03 04 00 00 00 00"},
        ExchangeCase{"ReadAL3H", Read(122, 2), "01 03 04 00 80 BB 45"},
        ExchangeCase{"ReadAL4H", Read(124, 2), "01 03 04 00 00 80 3F"},
        ExchangeCase{"ReadFlags", Read(126, 2), "01 03 04 00 00 00 00"},
        ExchangeCase{"ReadOptionByte", Read(128, 2), "01 03 04 00 00 00 00"},
        ExchangeCase{"AnswersWithTheRequestsAddress", Read(119, 2, 0x2A), "2A 03 04 00 00 00 00"},
        ExchangeCase{
            "KeepAlive", Read(187, 15),
            "01 03 1E 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
            "00 00 00 00 00 00 00"},
        ExchangeCase{"GoodbyeNotAnswered", Read(186, 0), std::nullopt},
        ExchangeCase{"UnknownRegisterRead", Read(127, 2), std::nullopt},
        ExchangeCase{"WriteOnlyRegisterRead", Read(129, 2), std::nullopt},
        ExchangeCase{"ReadOnlyRegisterWrite", WriteFloat(148, 1.0f), std::nullopt},
        ExchangeCase{"UnknownRegisterWrite", WriteFloat(200, 1.0f), std::nullopt},
        ExchangeCase{"WriteThreshold", WriteFloat(118, 300.0f), "01 09 76"},
        ExchangeCase{"WriteLastThreshold", WriteFloat(125, 0.5f), "01 09 7D"},
        ExchangeCase{"WriteFlags", Write(126, {0xFF, 0, 0, 0}), "01 09 7E"},
        ExchangeCase{"WriteOptionByte", Write(128, {3, 0, 0, 0}), "01 09 80"},
        ExchangeCase{"WriteExternalCt", WriteFloat(129, 0.0016667f), "01 09 81"},
        ExchangeCase{"CalibrateVoltage", WriteFloat(154, 220.0f), "01 09 9A"},
        ExchangeCase{"CalibrateCurrent", WriteFloat(158, 0.2f), "01 09 9E"},
        ExchangeCase{"CalibrateTemperature", Write(166, {1, 0, 0, 0}), "01 09 A6"},
        ExchangeCase{"CalibrationUnlock", Write(185, {0xB6, 0, 0, 0}), "01 09 B9"},
        ExchangeCase{"LogChunkBeyondSix", Read(147, 7 * 256), std::nullopt},
        ExchangeCase{"LogChunkWithRangeByte", Read(147, 2 * 256 + 1), std::nullopt},
        ExchangeCase{"LogRangeIndexTooLarge", Read(147, 0x04), std::nullopt},
        ExchangeCase{"LogCurrentIndexTooLarge", Read(147, 0x40), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InstrumentModel, WritesChangeWhatReadsReturn)
{
    InstrumentModel model(7, 250ms, kSwitchOn);
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(model.answer(WriteFloat(118 + i, 10.5f * (i + 1)), kSwitchOn));
    ASSERT_TRUE(model.answer(Write(126, {0xA5, 0xEE, 0xEE, 0xEE}), kSwitchOn));
    ASSERT_TRUE(model.answer(Write(128, {0x03, 0, 0, 0}), kSwitchOn));

    for (int i = 0; i < 8; ++i) {
        const auto answer = Bytes(model.answer(Read(118 + i, 2), kSwitchOn));
        ASSERT_TRUE(answer);
        EXPECT_FLOAT_EQ(DecodeFloat(&(*answer)[3]), 10.5f * (i + 1)) << "register " << 118 + i;
    }
    EXPECT_EQ(ToHex(*Bytes(model.answer(Read(126, 2), kSwitchOn))),
              ToHex(WithCrc(Hex("01 03 04 A5 00 00 00"))));
    EXPECT_EQ(ToHex(*Bytes(model.answer(Read(128, 2), kSwitchOn))),
              ToHex(WithCrc(Hex("01 03 04 03 00 00 00"))));
}

TEST(InstrumentModel, CalibrationCommandsTakeEffectOnlyWhileUnlocked)
{
    InstrumentModel model(7, 250ms, kSwitchOn);
    ASSERT_TRUE(model.answer(WriteFloat(154, 220.0f), kSwitchOn));
    ASSERT_TRUE(model.answer(Write(166, {2, 0, 0, 0}), kSwitchOn));
    EXPECT_FALSE(model.calibration().voltageReference);
    EXPECT_TRUE(model.calibration().temperatureCompensation);

    ASSERT_TRUE(model.answer(Write(185, {0xB6, 0, 0, 0}), kSwitchOn));
    ASSERT_TRUE(model.answer(WriteFloat(154, 220.0f), kSwitchOn));
    ASSERT_TRUE(model.answer(WriteFloat(158, 0.2f), kSwitchOn));
    ASSERT_TRUE(model.answer(Write(166, {2, 0, 0, 0}), kSwitchOn));
    EXPECT_TRUE(model.calibration().unlocked);
    EXPECT_EQ(model.calibration().voltageReference, 220.0f);
    EXPECT_EQ(model.calibration().currentReference, 0.2f);
    EXPECT_FALSE(model.calibration().temperatureCompensation);

    ASSERT_TRUE(model.answer(Write(185, {0x00, 0, 0, 0}), kSwitchOn));
    EXPECT_FALSE(model.calibration().unlocked);
}

// Checks what a user of the values can rely on: each quantity agrees with the
// others and with the spectra and waveforms it was computed from.
void ExpectConsistent(const MeasurementRecord& m)
{
    SCOPED_TRACE(::testing::Message()
                 << "URMS " << m.URMS << " IRMS " << m.IRMS << " IPA " << m.IPA);
    EXPECT_GT(m.URMS, 220.0f);
    EXPECT_LT(m.URMS, 240.0f);
    EXPECT_GT(m.IRMS, 3.0f);
    EXPECT_LT(m.IRMS, 6.0f);
    EXPECT_NEAR(m.UF, 50.0f, 0.2f);
    EXPECT_GT(m.IPA, 10.0f); // the current lags
    EXPECT_LT(m.IPA, 60.0f);

    const double rad = m.IPA * M_PI / 180.0;
    EXPECT_NEAR(m.PF, std::cos(rad), 1e-5);
    EXPECT_NEAR(m.PS, m.URMS * m.IRMS, 1e-3 * m.PS);
    EXPECT_NEAR(m.WRMS, m.URMS * m.IRMS * m.PF, 1e-3 * m.PS);
    EXPECT_NEAR(m.PQ, m.URMS * m.IRMS * std::sin(rad), 1e-3 * m.PS);
    EXPECT_NEAR(m.VKF, m.UPP / m.URMS, 1e-4);
    EXPECT_NEAR(m.IKF, m.IPP / m.IRMS, 1e-4);

    // Spectra: element 1 the fundamental's amplitude, RMS from all orders.
    double uSquares = m.UHarmonic[0] * m.UHarmonic[0];
    double iSquares = m.IHarmonic[0] * m.IHarmonic[0];
    double uHarmonics = 0, iHarmonics = 0;
    for (int k = 1; k < 51; ++k) {
        EXPECT_GE(m.UHarmonic[k], 0.0f);
        EXPECT_GE(m.IHarmonic[k], 0.0f);
        uSquares += m.UHarmonic[k] * m.UHarmonic[k] / 2.0;
        iSquares += m.IHarmonic[k] * m.IHarmonic[k] / 2.0;
        if (k >= 2) {
            uHarmonics += m.UHarmonic[k] * m.UHarmonic[k];
            iHarmonics += m.IHarmonic[k] * m.IHarmonic[k];
        }
    }
    EXPECT_NEAR(std::sqrt(uSquares), m.URMS, 1e-3 * m.URMS);
    EXPECT_NEAR(std::sqrt(iSquares), m.IRMS, 1e-3 * m.IRMS);
    EXPECT_LT(std::abs(m.UHarmonic[0]), 0.01f * m.UHarmonic[1]);
    EXPECT_LT(std::abs(m.IHarmonic[0]), 0.01f * m.IHarmonic[1]);
    EXPECT_NEAR(m.VTHD, std::sqrt(uHarmonics) / m.UHarmonic[1], 1e-5);
    EXPECT_NEAR(m.ITHD, std::sqrt(iHarmonics) / m.IHarmonic[1], 1e-5);
    EXPECT_GT(m.VTHD, 0.01f);
    EXPECT_LT(m.VTHD, 0.08f);
    EXPECT_GT(m.ITHD, m.VTHD);

    // Waveforms: raw codes around 2047 whose peaks are UPP and IPP, four cycles.
    EXPECT_EQ(m.WaveLength, 512);
    EXPECT_EQ(m.UWaveZero, 2047);
    EXPECT_EQ(m.IWaveZero, 2047);
    EXPECT_EQ(m.Aux1, 1.0f);
    EXPECT_EQ(m.Aux2, 1.0f);
    int uPeakCodes = 0, iPeakCodes = 0, rising = 0;
    for (int k = 0; k < 512; ++k) {
        EXPECT_LE(m.UWave[k], 4095);
        EXPECT_LE(m.IWave[k], 4095);
        uPeakCodes = std::max(uPeakCodes, std::abs(m.UWave[k] - 2047));
        iPeakCodes = std::max(iPeakCodes, std::abs(m.IWave[k] - 2047));
        if (k > 0 && m.UWave[k - 1] < 2047 && m.UWave[k] >= 2047)
            ++rising;
    }
    EXPECT_EQ(rising, 3) << "the trace starts on a rising zero crossing and spans four cycles";
    EXPECT_NEAR(uPeakCodes * kWaveVoltsPerCode, m.UPP, kWaveVoltsPerCode);
    EXPECT_NEAR(iPeakCodes * kWaveAmperesPerCode, m.IPP, kWaveAmperesPerCode);
}

TEST(InstrumentModel, MeasurementsAreConsistentAndDrift)
{
    InstrumentModel model(7, 250ms, kSwitchOn);
    std::vector<MeasurementRecord> measurements;
    for (int i = 0; i < 20; ++i) {
        const auto answer = Bytes(model.answer(Read(148, 2), kSwitchOn + i * 500ms));
        ASSERT_TRUE(answer);
        ASSERT_EQ(answer->size(), 2532u);
        EXPECT_TRUE(AnswerChecksumValid(answer->data(), answer->size()));
        measurements.push_back(Decode(*answer));
        ExpectConsistent(measurements.back());
    }
    for (std::size_t i = 1; i < measurements.size(); ++i) {
        EXPECT_NE(measurements[i].URMS, measurements[i - 1].URMS);
        EXPECT_NEAR(measurements[i].URMS, measurements[i - 1].URMS, 3.0f);
        EXPECT_NE(measurements[i].IRMS, measurements[i - 1].IRMS);
        EXPECT_GE(measurements[i].KWH, measurements[i - 1].KWH);
    }
}

TEST(InstrumentModel, SameSeedSameMeasurementsOtherSeedOthers)
{
    InstrumentModel first(7, 250ms, kSwitchOn);
    InstrumentModel again(7, 250ms, kSwitchOn);
    InstrumentModel other(8, 250ms, kSwitchOn);
    for (int i = 0; i < 5; ++i) {
        const auto at = kSwitchOn + i * 1s;
        const auto a = Bytes(first.answer(Read(148, 2), at));
        const auto b = Bytes(again.answer(Read(148, 2), at));
        const auto c = Bytes(other.answer(Read(148, 2), at));
        ASSERT_TRUE(a && b && c);
        EXPECT_EQ(*a, *b);
        EXPECT_NE(*a, *c);
    }
}

// The load's shape sets the current it drifts around and scales every listed
// harmonic's share of the fundamental, so that an appliance can be made to
// keep or break the emission limits.
TEST(InstrumentModel, LoadShapeSetsTheCurrentAndScalesItsHarmonics)
{
    InstrumentModel usual(7, 250ms, kSwitchOn);
    InstrumentModel strong(7, 250ms, kSwitchOn, LoadShape{4.2, 2.0});
    InstrumentModel small(7, 250ms, kSwitchOn, LoadShape{1.5, 1.0});
    for (int i = 0; i < 5; ++i) {
        const auto at = kSwitchOn + i * 1s;
        const auto a = Bytes(usual.answer(Read(148, 2), at));
        const auto b = Bytes(strong.answer(Read(148, 2), at));
        const auto c = Bytes(small.answer(Read(148, 2), at));
        ASSERT_TRUE(a && b && c);
        const MeasurementRecord u = Decode(*a);
        const MeasurementRecord s = Decode(*b);
        const MeasurementRecord l = Decode(*c);
        // The 3rd harmonic: 30 % of the fundamental (within the 5 % jitter and
        // the noise residue), 60 % with twice the harmonics.
        EXPECT_NEAR(u.IHarmonic[3] / u.IHarmonic[1], 0.30, 0.02);
        EXPECT_NEAR(s.IHarmonic[3] / s.IHarmonic[1], 0.60, 0.04);
        EXPECT_NEAR(l.IHarmonic[1] / std::sqrt(2.0f), 1.5, 0.1);
    }
}

TEST(InstrumentModel, EnergyCountsTheActivePowerOverTime)
{
    InstrumentModel model(7, 250ms, kSwitchOn);
    const MeasurementRecord first = Decode(*Bytes(model.answer(Read(148, 2), kSwitchOn)));
    EXPECT_EQ(first.KWH, 0.0f);
    // An hour later the counter holds about one hour of the power reported
    // then (the load drifts only a little).
    const MeasurementRecord later = Decode(*Bytes(model.answer(Read(148, 2), kSwitchOn + 1h)));
    EXPECT_NEAR(later.KWH, first.WRMS / 1000.0f, 0.01f * first.WRMS / 1000.0f);
}

TEST(InstrumentModel, OptionBitOneTakesDistortionRelativeToTheWholeRms)
{
    InstrumentModel iec(7, 250ms, kSwitchOn);
    InstrumentModel csa(7, 250ms, kSwitchOn);
    ASSERT_TRUE(csa.answer(Write(128, {0x02, 0, 0, 0}), kSwitchOn));
    const MeasurementRecord a = Decode(*Bytes(iec.answer(Read(148, 2), kSwitchOn)));
    const MeasurementRecord b = Decode(*Bytes(csa.answer(Read(148, 2), kSwitchOn)));
    EXPECT_NEAR(b.ITHD, a.ITHD / std::sqrt(1.0 + a.ITHD * a.ITHD), 1e-5);
    EXPECT_NEAR(b.VTHD, a.VTHD / std::sqrt(1.0 + a.VTHD * a.VTHD), 1e-5);
    EXPECT_EQ(a.URMS, b.URMS);
}

TEST(InstrumentModel, ExternalCtShiftCorrectsThePhaseAngle)
{
    InstrumentModel plain(7, 250ms, kSwitchOn);
    InstrumentModel corrected(7, 250ms, kSwitchOn);
    const float shift = (1.0f / 50.0f) * (10.0f / 360.0f); // 10 degrees at 50 Hz
    ASSERT_TRUE(corrected.answer(WriteFloat(129, shift), kSwitchOn));
    const MeasurementRecord a = Decode(*Bytes(plain.answer(Read(148, 2), kSwitchOn)));
    const MeasurementRecord b = Decode(*Bytes(corrected.answer(Read(148, 2), kSwitchOn)));
    EXPECT_NEAR(a.IPA - b.IPA, 360.0 * a.UF * shift, 1e-3);
    EXPECT_NEAR(b.PF, std::cos(b.IPA * M_PI / 180.0), 1e-5);
    EXPECT_FLOAT_EQ(a.IRMS, b.IRMS);
}

struct LogView {
    float voltsPerCode;
    float amperesPerCode;
    std::vector<int> voltage; // deviations from 2047
    std::vector<int> current;
};

LogView FetchLog(InstrumentModel& model)
{
    std::vector<std::uint8_t> log;
    for (int chunk = 1; chunk <= 6; ++chunk) {
        const auto answer = Bytes(model.answer(Read(147, chunk * 256), kSwitchOn));
        EXPECT_TRUE(answer);
        if (!answer)
            return {};
        EXPECT_EQ(answer->size(), 1710u);
        EXPECT_TRUE(AnswerChecksumValid(answer->data(), answer->size())) << "chunk " << chunk;
        log.insert(log.end(), answer->begin(), answer->end() - 2);
    }
    EXPECT_EQ(log.size(), 10248u);
    LogView view{DecodeFloat(&log[0]), DecodeFloat(&log[4]), {}, {}};
    for (std::size_t at = 8; at < 24; ++at)
        EXPECT_EQ(log[at], 0) << "unused byte " << at;
    for (std::size_t at = 24; at < 5144; at += 2)
        view.voltage.push_back(log[at] + 256 * log[at + 1] - 2047);
    for (std::size_t at = 5144; at < 10248; at += 2)
        view.current.push_back(log[at] + 256 * log[at + 1] - 2047);
    return view;
}

int LargestDeviation(const std::vector<int>& samples, std::size_t from = 0,
                     std::size_t to = std::size_t(-1))
{
    int largest = 0;
    for (std::size_t k = from; k < std::min(to, samples.size()); ++k)
        largest = std::max(largest, std::abs(samples[k]));
    return largest;
}

// The last two cycles of the current, where the inrush of the switched-on
// load has died down.
constexpr std::size_t kSettledCurrent = 2552 - 256;

TEST(InstrumentModel, ArmedLogIsAcknowledgedAfterTheTriggerDelayAndFetchedInSixChunks)
{
    InstrumentModel model(7, 250ms, kSwitchOn);
    const MeasurementRecord live = Decode(*Bytes(model.answer(Read(148, 2), kSwitchOn)));

    // 75 V range (voltage index 2) with current index 1: 18 = 0x12.
    const auto start = model.answer(Read(147, 0x12), kSwitchOn);
    ASSERT_TRUE(start);
    EXPECT_EQ(ToHex(start->bytes), ToHex(WithCrc(Hex("01 0A 92"))));
    EXPECT_EQ(start->delay, 250ms);
    EXPECT_EQ(model.logRangeCode(), 0x12);

    const LogView log = FetchLog(model);
    ASSERT_EQ(log.voltage.size(), 2560u);
    ASSERT_EQ(log.current.size(), 2552u);
    EXPECT_NEAR(log.voltsPerCode, 75.0 * std::sqrt(2.0) / 2047, 1e-6);
    EXPECT_NEAR(log.amperesPerCode, 10.0 * std::sqrt(2.0) / 2047, 1e-6);
    // 230 V does not fit the 75 V range: the converter clips.
    EXPECT_EQ(LargestDeviation(log.voltage), 2048);
    // Once the inrush has died down the current fits its range and peaks as
    // in the live measurement.
    EXPECT_NEAR(LargestDeviation(log.current, kSettledCurrent) * log.amperesPerCode, live.IPP,
                0.05 * live.IPP);
}

TEST(InstrumentModel, LogInTheLargestRangesShowsTheWholeWave)
{
    InstrumentModel model(7, 0ms, kSwitchOn);
    const MeasurementRecord live = Decode(*Bytes(model.answer(Read(148, 2), kSwitchOn)));
    ASSERT_TRUE(model.answer(Read(147, 0x00), kSwitchOn));
    const LogView log = FetchLog(model);
    EXPECT_NEAR(LargestDeviation(log.voltage) * log.voltsPerCode, live.UPP, 0.03 * live.UPP);
    EXPECT_NEAR(LargestDeviation(log.current, kSettledCurrent) * log.amperesPerCode, live.IPP,
                0.05 * live.IPP);
    // Twenty cycles of 128 samples: the voltage rises through zero about
    // twenty times.
    int rising = 0;
    for (std::size_t k = 1; k < log.voltage.size(); ++k)
        if (log.voltage[k - 1] < -5 && log.voltage[k] >= -5)
            ++rising;
    EXPECT_NEAR(rising, 20, 1);
}

TEST(InstrumentModel, LogCatchesTheLoadSwitchedOnWithAnInrushThatDecays)
{
    const struct {
        std::uint16_t rangeCode;
        bool inrushClipped;
    } cases[] = {{0x00, false}, {0x10, true}}; // current ranges 20 A and 10 A
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rangeCode);
        InstrumentModel model(7, 0ms, kSwitchOn);
        ASSERT_TRUE(model.answer(Read(147, c.rangeCode), kSwitchOn));
        const LogView log = FetchLog(model);
        // No current before the switching, only the converter's noise.
        EXPECT_LE(LargestDeviation(log.current, 0, 400), 1);
        const int firstCycle = LargestDeviation(log.current, 400, 528);
        const int lastCycles = LargestDeviation(log.current, kSettledCurrent);
        EXPECT_EQ(firstCycle >= 2047, c.inrushClipped);
        EXPECT_LT(lastCycles, 2047) << "the settled current fits";
        // The inrush decays cycle by cycle.
        const int secondCycle = LargestDeviation(log.current, 528, 656);
        const int fifthCycle = LargestDeviation(log.current, 912, 1040);
        EXPECT_LT(fifthCycle, 2047);
        if (!c.inrushClipped) {
            EXPECT_GT(firstCycle, 3 * lastCycles / 2);
            EXPECT_GT(secondCycle, fifthCycle);
        }
    }
}

TEST(InstrumentModel, BurstSetByTheTestIsServedAsItIs)
{
    InstrumentModel model(7, 0ms, kSwitchOn);
    BurstLog burst{};
    for (std::size_t i = 0; i < burst.size(); ++i)
        burst[i] = std::uint8_t(i * 7 + 3);
    model.setBurstLog(burst);
    ASSERT_TRUE(model.answer(Read(147, 0x21), kSwitchOn));
    ASSERT_TRUE(model.servedBurstLog());
    EXPECT_EQ(*model.servedBurstLog(), burst);
    std::vector<std::uint8_t> fetched;
    for (int chunk = 1; chunk <= 6; ++chunk) {
        const auto answer = Bytes(model.answer(Read(147, chunk * 256), kSwitchOn));
        ASSERT_TRUE(answer);
        fetched.insert(fetched.end(), answer->begin(), answer->end() - 2);
    }
    EXPECT_TRUE(std::equal(fetched.begin(), fetched.end(), burst.begin(), burst.end()));
}

} // namespace
