#include "measurementrecord.h"
#include "modbusframe.h"
#include "registermap.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<std::uint8_t> hex(const char* text)
{
    const QByteArray bytes = QByteArray::fromHex(text);
    return {bytes.begin(), bytes.end()};
}

std::vector<std::uint8_t> withCrc(std::vector<std::uint8_t> frame)
{
    frame.resize(frame.size() + 2);
    AppendCrc(frame.data(), frame.size() - 2);
    return frame;
}

TEST(ModbusCrc16, MatchesThePublishedCheckValueAndPacksLowByteFirst)
{
    const char text[] = "123456789";
    EXPECT_EQ(ModbusCrc16(reinterpret_cast<const std::uint8_t*>(text), 9), 0x4B37);

    auto frame = withCrc(hex("010300940002"));
    EXPECT_EQ(frame, hex("0103009400028 5E7"));
    EXPECT_TRUE(AnswerChecksumValid(frame.data(), frame.size()));
    frame[2] ^= 0x01;
    EXPECT_FALSE(AnswerChecksumValid(frame.data(), frame.size()));
}

TEST(RequestFrames, ReadAndWriteFramesAreByteExact)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> built;
        const char* expected;
    };
    auto read = [](std::uint8_t address, std::uint16_t reg, std::uint16_t count) {
        std::vector<std::uint8_t> f(kReadRequestSize);
        BuildReadRequest(f.data(), address, reg, count);
        return f;
    };
    auto write = [](std::uint8_t address, std::uint16_t reg, float value) {
        const std::uint32_t bits = FloatBits(value);
        const std::uint8_t data[4] = {std::uint8_t(bits), std::uint8_t(bits >> 8),
                                      std::uint8_t(bits >> 16), std::uint8_t(bits >> 24)};
        std::vector<std::uint8_t> f(kWriteRequestSize);
        BuildWriteRequest(f.data(), address, reg, data);
        return f;
    };
    const Case cases[] = {
        {"measurement read", read(1, 148, 2), "0103009400 0285E7"},
        {"threshold 300.0", write(1, 118, 300.0f), "0110007600020400009643 5AF0"},
        {"chunk 3 count high byte", read(1, 147, 768), nullptr},
        {"goodbye count 0", read(2, 186, 0), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.expected) {
            EXPECT_EQ(c.built, hex(c.expected));
        }
        EXPECT_TRUE(AnswerChecksumValid(c.built.data(), c.built.size()));
    }
    EXPECT_EQ(std::vector<std::uint8_t>(cases[2].built.begin(), cases[2].built.begin() + 6),
              hex("010300930300"));
    EXPECT_EQ(std::vector<std::uint8_t>(cases[3].built.begin(), cases[3].built.begin() + 6),
              hex("020300ba0000"));

    const auto one = write(1, 129, 1.0f);
    EXPECT_EQ(std::vector<std::uint8_t>(one.begin() + 7, one.begin() + 11), hex("0000803F"));
}

TEST(DecodeFloat, ReadsLittleEndianIeeeSingles)
{
    EXPECT_EQ(DecodeFloat(hex("00009643").data()), 300.0f);
    EXPECT_EQ(DecodeFloat(hex("0000803F").data()), 1.0f);
    EXPECT_TRUE(std::isnan(DecodeFloat(hex("0000C07F").data())));
    EXPECT_TRUE(std::isinf(DecodeFloat(hex("0000807F").data())));
}

TEST(EncodeFloat, WritesLeastSignificantByteFirstAndRoundTrips)
{
    for (const float value : {300.0f, 0.2f, -5.0f, 220.0f, 1.03125f}) {
        std::uint8_t bytes[4];
        EncodeFloat(value, bytes);
        EXPECT_EQ(DecodeFloat(bytes), value);
    }
    std::uint8_t bytes[4];
    EncodeFloat(300.0f, bytes);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 4), hex("00009643"));
}

TEST(ClassifyAnswer, LengthDecidesBeforeTheFunctionByte)
{
    std::vector<std::uint8_t> measurement(kMeasurementAnswerSize, 0x03);
    AppendCrc(measurement.data(), measurement.size() - 2);
    std::vector<std::uint8_t> chunk(kLogChunkAnswerSize, 0x09);
    AppendCrc(chunk.data(), chunk.size() - 2);
    std::vector<std::uint8_t> tooLong(kAnswerBufferSize + 1, 0x03);
    AppendCrc(tooLong.data(), tooLong.size() - 2);

    struct Case {
        const char* name;
        std::vector<std::uint8_t> answer;
        AnswerKind kind;
    };
    const Case cases[] = {
        {"measurement whatever its first bytes", measurement, AnswerKind::Measurement},
        {"log chunk whatever its second byte", chunk, AnswerKind::LogChunk},
        {"5-byte read answer", withCrc(hex("010377")), AnswerKind::ReadAnswer},
        {"write acknowledgement", withCrc(hex("010976")), AnswerKind::WriteAck},
        {"log start acknowledgement", withCrc(hex("010a92")), AnswerKind::LogStartAck},
        {"function 10 without 146", withCrc(hex("010a91")), AnswerKind::Ignored},
        {"unknown function", withCrc(hex("018302")), AnswerKind::Ignored},
        {"four bytes with a valid checksum", withCrc(hex("0103")), AnswerKind::Invalid},
        {"empty", {}, AnswerKind::Invalid},
        {"checksum mismatch", hex("0103770000"), AnswerKind::Invalid},
        {"longer than the answer buffer", tooLong, AnswerKind::Invalid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ClassifyAnswer(c.answer.data(), c.answer.size()), c.kind);
    }
    measurement[100] ^= 0xFF;
    EXPECT_EQ(ClassifyAnswer(measurement.data(), measurement.size()), AnswerKind::Invalid);
}

TEST(MeasurementRecord, StartValuesAndNonFiniteSanitising)
{
    MeasurementRecord record;
    record.Reserved.fill(0xAB);
    ResetMeasurementRecord(record);
    EXPECT_EQ(record.WaveLength, 512);
    EXPECT_EQ(record.UWave[0], 2047);
    EXPECT_EQ(record.IWave[511], 2047);
    EXPECT_EQ(record.UWaveZero, 2047);
    EXPECT_EQ(record.Aux1, 1.0f);
    EXPECT_EQ(record.URMS, 0.0f);
    EXPECT_EQ(record.Reserved[5521], 0);

    // An answer whose PF is the NaN pattern 00 00 C0 7F, IPA +Inf and KWH
    // -Inf: those read 0; a NaN or an infinity in the harmonics stays,
    // Reserved is untouched.
    std::vector<std::uint8_t> data(kMeasurementDataSize, 0);
    const auto put = [&](const char* bytes, std::size_t offset) {
        const auto value = hex(bytes);
        std::copy(value.begin(), value.end(), data.begin() + offset);
    };
    put("0000C07F", offsetof(MeasurementRecord, PF));
    put("0000C07F", offsetof(MeasurementRecord, Aux2));
    put("0000807F", offsetof(MeasurementRecord, IPA));
    put("000080FF", offsetof(MeasurementRecord, KWH));
    put("0000C07F", offsetof(MeasurementRecord, UHarmonic) + 8);
    put("0000807F", offsetof(MeasurementRecord, IHarmonic) + 12);
    const auto volts = hex("00006643"); // 230.0
    std::copy(volts.begin(), volts.end(), data.begin());
    record.Reserved.fill(0x5A);
    StoreMeasurementAnswer(record, data.data());
    EXPECT_EQ(record.URMS, 230.0f);
    EXPECT_EQ(record.PF, 0.0f);
    EXPECT_EQ(record.Aux2, 0.0f);
    EXPECT_EQ(record.IPA, 0.0f);
    EXPECT_EQ(record.KWH, 0.0f);
    EXPECT_TRUE(std::isnan(record.UHarmonic[2]));
    EXPECT_TRUE(std::isinf(record.IHarmonic[3]));
    EXPECT_EQ(record.Reserved[0], 0x5A);
}

} // namespace
