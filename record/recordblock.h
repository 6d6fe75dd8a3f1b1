#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "record blocks are written as they lie in memory, little-endian");

inline constexpr int kBlockSamples = 1000;

// The unit of a record file: 1000 samples of the six channels, their
// timestamps, the channels' quantity codes and the count of the whole
// recording when the block was written. Written and read byte for byte, so
// the compiler checks every offset below.
struct RecordBlock {
    std::array<std::array<float, kBlockSamples>, 6> Values; // channel-major
    std::array<double, kBlockSamples> Timestamps;           // OLE dates, local time
    std::array<std::uint8_t, 6> Codes;                      // quantity codes of channels 1-6
    std::array<std::uint8_t, 2> Reserved1;                  // written as 0
    std::int32_t Count;
    std::array<std::uint8_t, 4> Reserved2; // written as 0
};

inline constexpr std::size_t kRecordBlockSize = 32016;
inline constexpr std::size_t kBlockCountOffset = 32008;

static_assert(sizeof(RecordBlock) == kRecordBlockSize);
static_assert(offsetof(RecordBlock, Values) == 0);
static_assert(offsetof(RecordBlock, Timestamps) == 24000);
static_assert(offsetof(RecordBlock, Codes) == 32000);
static_assert(offsetof(RecordBlock, Reserved1) == 32006);
static_assert(offsetof(RecordBlock, Count) == kBlockCountOffset);
static_assert(offsetof(RecordBlock, Reserved2) == 32012);
