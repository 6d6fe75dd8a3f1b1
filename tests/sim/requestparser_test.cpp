#include "hexbytes.h"
#include "requestparser.h"

#include <gtest/gtest.h>

namespace {

const std::string kRead148 = "01 03 00 94 00 02 85 E7";
const std::string kWrite118 = "01 10 00 76 00 02 04 00 00 96 43 5A F0";

struct StreamCase {
    const char* name;
    std::vector<std::string> pieces; // arriving one after the other
    std::vector<std::string> frames; // expected, in order
};

void PrintTo(const StreamCase& param, std::ostream* out)
{
    *out << param.name;
}

class RequestParserStream : public ::testing::TestWithParam<StreamCase> {};

TEST_P(RequestParserStream, YieldsTheValidRequestsInOrder)
{
    RequestParser parser;
    std::vector<std::string> frames;
    for (const std::string& piece : GetParam().pieces) {
        const std::vector<std::uint8_t> bytes = Hex(piece);
        for (const auto& frame : parser.feed(bytes.data(), bytes.size()))
            frames.push_back(ToHex(frame));
    }
    std::vector<std::string> expected;
    for (const std::string& frame : GetParam().frames)
        expected.push_back(ToHex(Hex(frame)));
    EXPECT_EQ(frames, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, RequestParserStream,
    ::testing::Values(
        StreamCase{"ReadAndWriteBackToBack", {kRead148 + " " + kWrite118}, {kRead148, kWrite118}},
        StreamCase{"ByteByByte", {"01", "03", "00", "94", "00", "02", "85", "E7"}, {kRead148}},
        StreamCase{"WriteInTwoPieces", {"01 10 00 76 00 02", "04 00 00 96 43 5A F0"}, {kWrite118}},
        StreamCase{"NoiseBeforeARequest", {"FF 00 7E 13 " + kRead148}, {kRead148}},
        // Noise that looks like the start of a write: the read inside it is
        // found before 13 bytes have gathered.
        StreamCase{"NoiseLookingLikeAWriteStart", {"01 10 " + kRead148}, {kRead148}},
        StreamCase{"BadChecksumSkipped", {"01 03 00 94 00 02 85 E8 " + kWrite118}, {kWrite118}},
        StreamCase{"UnknownFunctionSkipped", {"01 06 00 76 00 01 A9 D0 " + kRead148}, {kRead148}},
        StreamCase{"PartialFrameThenNewRequest", {"01 03 00 94 00", kRead148}, {kRead148}},
        StreamCase{"IncompleteFrameHeldBack", {"01 03 00 94 00 02 85"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RequestParser, KeepsNoMoreThanAPossibleFrameStart)
{
    RequestParser parser;
    std::vector<std::uint8_t> noise(500, 0x10);
    EXPECT_TRUE(parser.feed(noise.data(), noise.size()).empty());
    EXPECT_LT(parser.pendingBytes(), 13u);
    const std::vector<std::uint8_t> request = Hex(kRead148);
    const auto frames = parser.feed(request.data(), request.size());
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], request);
}

} // namespace
