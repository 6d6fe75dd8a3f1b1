// Record blocks and record files: the byte layout, saving in place across
// block boundaries and failures, creating, and opening with its refusals.
#include "recordfile.h"
#include "recordfixture.h"
#include "recordstate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <ostream>
#include <variant>
#include <vector>

namespace {

std::uint32_t BitsOf(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float FloatOfBits(std::uint32_t bits)
{
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

TEST(RecordBlockTest, BytesLieWhereTheLayoutSaysAndComeBackUnchangedWithNaNPayloads)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("layout.zqr");
    auto capture = std::make_unique<SampleBuffers>();
    FillTestSamples(*capture, 0, 1500);
    capture->channel(2)[7] = FloatOfBits(0x7FA00123u);    // a signalling NaN with a payload
    capture->channel(5)[1200] = FloatOfBits(0xFFC0BEEFu); // a quiet negative one

    auto block = std::make_unique<RecordBlock>();
    block->Codes = {0, 1, 7, 12, 255, 9};
    block->Count = 0;
    const RecordFileResult created = CreateRecordFile(path, *block);
    ASSERT_TRUE(created.ok());
    ASSERT_TRUE(SaveRecordFile(path, created.created.identity, *capture, 1500, 0, *block).ok());

    const QByteArray bytes = FileBytes(path);
    ASSERT_EQ(bytes.size(), 2 * 32016);
    auto u32 = [&](qsizetype offset) {
        std::uint32_t v = 0;
        std::memcpy(&v, bytes.constData() + offset, 4);
        return v;
    };
    // Channel k of sample j at k * 4000 + 4 * j of its block.
    EXPECT_EQ(u32(2 * 4000 + 4 * 7), 0x7FA00123u);
    EXPECT_EQ(u32(32016 + 5 * 4000 + 4 * 200), 0xFFC0BEEFu);
    EXPECT_EQ(u32(3 * 4000 + 4 * 10), BitsOf(TestValue(10, 3)));
    double time = 0;
    std::memcpy(&time, bytes.constData() + 32016 + 24000 + 8 * 499, 8);
    EXPECT_EQ(time, TestTime(1499));
    EXPECT_EQ(bytes.mid(32000, 6), QByteArray::fromHex("0001070cff09"));
    EXPECT_EQ(bytes.mid(32006, 2), QByteArray(2, '\0'));
    EXPECT_EQ(CountFieldOf(bytes, 0), 1500);
    EXPECT_EQ(CountFieldOf(bytes, 1), 1500);
    EXPECT_EQ(bytes.mid(32012, 4), QByteArray(4, '\0'));
    EXPECT_EQ(bytes.mid(32016 + 32012, 4), QByteArray(4, '\0'));
    // Entries past the count are written as 0.
    EXPECT_EQ(u32(32016 + 4 * 500), 0u);

    auto browse = std::make_unique<SampleBuffers>();
    OpenedRecordFile opened;
    ASSERT_TRUE(OpenRecordFile(path, *browse, opened).ok());
    EXPECT_EQ(opened.blocks, 2);
    EXPECT_EQ(opened.last, 1499);
    EXPECT_EQ(opened.codes, (std::array<std::int32_t, 6>{0, 1, 7, 12, 255, 9}));
    // The values read back bit for bit as they were written.
    for (int c = 0; c < 6; ++c)
        // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison): the bits are the point
        EXPECT_EQ(std::memcmp(browse->channel(c), capture->channel(c), 1500 * sizeof(float)), 0);
    // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison): the bits are the point
    EXPECT_EQ(std::memcmp(browse->timestamps(), capture->timestamps(), 1500 * sizeof(double)), 0);
}

// One save sequence: steps on a recording and its file, then what the file
// must hold.
struct Take {
    std::int32_t upTo;
};
struct Save {
    bool succeeds = true;
};
struct MoveFileAway {};
struct MoveFileBack {};
struct CutFile {
    qint64 size;
};
struct AppendToFile {
    qint64 bytes;
};
using Step = std::variant<Take, Save, MoveFileAway, MoveFileBack, CutFile, AppendToFile>;

struct SaveCase {
    const char* name;
    std::vector<Step> steps;
    int blocks;         // whole blocks of the file at the end
    std::int32_t count; // count field of its last block
};

void PrintTo(const SaveCase& c, std::ostream* os)
{
    *os << c.name;
}

class RecordSaveSequence : public ::testing::TestWithParam<SaveCase> {};

TEST_P(RecordSaveSequence, FileHoldsEverySavedSample)
{
    const SaveCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath("run.zqr");
    const QString away = dir.filePath("away.zqr");
    auto capture = std::make_unique<SampleBuffers>();
    auto block = std::make_unique<RecordBlock>();
    block->Codes = {3, 1, 4, 1, 5, 9};
    block->Count = 0;
    const RecordFileResult created = CreateRecordFile(path, *block);
    ASSERT_TRUE(created.ok());

    std::int32_t count = 0;
    std::int32_t saved = 0;
    for (const Step& step : c.steps) {
        if (auto* take = std::get_if<Take>(&step)) {
            FillTestSamples(*capture, count, take->upTo);
            count = take->upTo;
        } else if (auto* save = std::get_if<Save>(&step)) {
            const bool ok =
                SaveRecordFile(path, created.created.identity, *capture, count, saved, *block).ok();
            ASSERT_EQ(ok, save->succeeds) << "at count " << count;
            if (ok)
                saved = count;
        } else if (std::holds_alternative<MoveFileAway>(step)) {
            ASSERT_TRUE(QFile::rename(path, away));
        } else if (std::holds_alternative<MoveFileBack>(step)) {
            ASSERT_TRUE(QFile::rename(away, path));
        } else if (auto* cut = std::get_if<CutFile>(&step)) {
            ASSERT_TRUE(QFile::resize(path, cut->size));
        } else if (auto* append = std::get_if<AppendToFile>(&step)) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::Append));
            file.write(QByteArray(append->bytes, '\x77'));
        }
    }

    const QByteArray bytes = FileBytes(path);
    ASSERT_EQ(bytes.size(), qsizetype(c.blocks) * 32016);
    EXPECT_EQ(CountFieldOf(bytes, c.blocks - 1), c.count);
    auto browse = std::make_unique<SampleBuffers>();
    OpenedRecordFile opened;
    ASSERT_TRUE(OpenRecordFile(path, *browse, opened).ok());
    EXPECT_EQ(opened.last, c.count - 1);
    EXPECT_EQ(opened.codes, (std::array<std::int32_t, 6>{3, 1, 4, 1, 5, 9}));
    for (std::int32_t i = 0; i < c.count; ++i) {
        for (int ch = 0; ch < 6; ++ch)
            ASSERT_EQ(browse->channel(ch)[i], TestValue(i, ch)) << "sample " << i;
        ASSERT_EQ(browse->timestamps()[i], TestTime(i)) << "sample " << i;
    }
    for (std::int32_t i = c.count; i < c.blocks * 1000; ++i) {
        ASSERT_EQ(browse->channel(0)[i], 0.0f) << "sample " << i;
        ASSERT_EQ(browse->timestamps()[i], 0.0) << "sample " << i;
    }
}

std::vector<Step> TakeAndSaveEvery(std::int32_t step, std::int32_t upTo)
{
    std::vector<Step> steps;
    for (std::int32_t n = step; n < upTo; n += step) {
        steps.push_back(Take{n});
        steps.push_back(Save{});
    }
    steps.push_back(Take{upTo});
    steps.push_back(Save{});
    return steps;
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, RecordSaveSequence,
    ::testing::Values(
        SaveCase{"SavedAfterSample2500", TakeAndSaveEvery(20, 2500), 3, 2500},
        SaveCase{"NothingTakenYet", {Save{}}, 1, 0},
        SaveCase{"Exactly1000", {Take{1000}, Save{}}, 2, 1000},
        SaveCase{"BoundaryBetweenTwoSaves", {Take{990}, Save{}, Take{1010}, Save{}}, 2, 1010},
        SaveCase{"FailuresOverTwoBoundariesThenRecovery",
                 {Take{500}, Save{}, MoveFileAway{}, Take{1200}, Save{false}, Take{2300},
                  Save{false}, MoveFileBack{}, Take{2350}, Save{}},
                 3,
                 2350},
        SaveCase{"FileCutOutside",
                 {Take{2500}, Save{}, CutFile{32016 + 100}, Take{2600}, Save{}},
                 3,
                 2600},
        SaveCase{
            "FileEmptiedOutside", {Take{1500}, Save{}, CutFile{0}, Take{1600}, Save{}}, 2, 1600},
        SaveCase{"FileGrownOutside",
                 {Take{1500}, Save{}, AppendToFile{5 * 32016 + 7}, Take{1600}, Save{}},
                 2,
                 1600},
        SaveCase{"FullRecording", TakeAndSaveEvery(7000, 450000), 450, 450000}),
    [](const auto& info) { return std::string(info.param.name); });

// The files the opener meets, and what it makes of them.
struct OpenCase {
    const char* name;
    int blocks;
    std::int32_t count;
    qint64 extraBytes;
    std::uint8_t code;
    RecordFileFailure failure;
    std::int32_t last; // BrowseLast when opened
};

void PrintTo(const OpenCase& c, std::ostream* os)
{
    *os << c.name;
}

class RecordOpen : public ::testing::TestWithParam<OpenCase> {};

TEST_P(RecordOpen, OpensWhatItCanAndLeavesTheBuffersAloneOtherwise)
{
    const OpenCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath("open.zqr");
    WriteTestFile(path, c.blocks, c.count, c.code, c.extraBytes);

    auto browse = std::make_unique<SampleBuffers>();
    browse->channel(0)[0] = -7.0f;
    OpenedRecordFile opened;
    opened.last = 1234;
    const RecordFileResult result = OpenRecordFile(path, *browse, opened);
    EXPECT_EQ(result.failure, c.failure);
    if (c.failure != RecordFileFailure::None) {
        EXPECT_EQ(browse->channel(0)[0], -7.0f);
        EXPECT_EQ(opened.last, 1234);
        return;
    }
    EXPECT_EQ(opened.blocks, c.blocks);
    EXPECT_EQ(opened.last, c.last);
    EXPECT_EQ(opened.codes[0], c.code);
    EXPECT_EQ(browse->channel(0)[0], TestValue(0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RecordOpen,
    ::testing::Values(
        OpenCase{"Empty", 0, 0, 0, 2, RecordFileFailure::NoWholeBlock, 0},
        OpenCase{"OneByteShortOfABlock", 0, 0, 32015, 2, RecordFileFailure::NoWholeBlock, 0},
        OpenCase{"TooManyBlocks", 451, 451000, 0, 2, RecordFileFailure::TooManyBlocks, 0},
        OpenCase{"LargestFile", 450, 450000, 0, 2, RecordFileFailure::None, 449999},
        OpenCase{"CountAboveTheBlocks", 2, 5000, 0, 2, RecordFileFailure::None, 1999},
        OpenCase{"NegativeCount", 1, -20, 0, 2, RecordFileFailure::None, -1},
        // 00 00 00 80: count - 1 does not fit 32 bits
        OpenCase{"CountInt32Min", 1, INT32_MIN, 0, 2, RecordFileFailure::None, -1},
        OpenCase{"CountInt32MinInTheLastOfThree", 3, INT32_MIN, 0, 2, RecordFileFailure::None, -1},
        OpenCase{"CountInt32Max", 2, INT32_MAX, 0, 2, RecordFileFailure::None, 1999},
        OpenCase{"PartialTailIgnored", 2, 1500, 20000, 2, RecordFileFailure::None, 1499},
        OpenCase{"CodesNamingNoQuantity", 1, 10, 0, 255, RecordFileFailure::None, 9},
        OpenCase{"SavedAfterItsFirstSample", 1, 1, 0, 2, RecordFileFailure::None, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordOpenTest, RefusesWhatIsNoRegularFile)
{
    QTemporaryDir dir;
    auto browse = std::make_unique<SampleBuffers>();
    OpenedRecordFile opened;
    EXPECT_EQ(OpenRecordFile(dir.filePath("none.zqr"), *browse, opened).failure,
              RecordFileFailure::Missing);
    EXPECT_EQ(OpenRecordFile(dir.path(), *browse, opened).failure, RecordFileFailure::NotRegular);
}

TEST(RecordCreateTest, ReplacesAFileWithOneBlockAndFailsInAnUnwritableFolder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("old.zqr");
    WriteTestFile(path, 3, 2500);
    auto block = std::make_unique<RecordBlock>();
    block->Codes = {0, 1, 2, 3, 4, 5};
    block->Count = 0;
    ASSERT_TRUE(CreateRecordFile(path, *block).ok());
    const QByteArray bytes = FileBytes(path);
    ASSERT_EQ(bytes.size(), 32016);
    EXPECT_EQ(bytes.left(32000), QByteArray(32000, '\0'));
    EXPECT_EQ(CountFieldOf(bytes, 0), 0);

    // A folder that does not exist stands for one the program may not write.
    EXPECT_EQ(CreateRecordFile(dir.filePath("gone/new.zqr"), *block).failure,
              RecordFileFailure::CreateFailed);
}

} // namespace
