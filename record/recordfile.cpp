#include "recordfile.h"

#include "recordstate.h"
#include "regularfile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

// A record file ("*.zqr") is a plain sequence of 32016-byte RecordBlocks,
// block b holding samples b*1000 .. b*1000+999, with no header. The count
// field of the last block is the number of valid samples of the recording.

namespace {

RecordFileFailure FromOpenError(FileOpenError error)
{
    switch (error) {
    case FileOpenError::None:
        return RecordFileFailure::None;
    case FileOpenError::Missing:
        return RecordFileFailure::Missing;
    case FileOpenError::NotRegular:
        return RecordFileFailure::NotRegular;
    case FileOpenError::Unreadable:
        break;
    }
    return RecordFileFailure::Unreadable;
}

// Opens the record file for the in-place save only while its name still
// leads to the file created for the recording. The name is not followed when
// it is a link: a link put in the file's place would otherwise have the save
// overwrite and cut whatever it leads to. A link or another file in its
// place is Replaced; a file gone from its name (moved aside, perhaps to come
// back) and a refusal of the system (a read-only remount, permissions) are
// failures the next save may get past.
RecordFileResult OpenCreatedFile(QFile& file, const FileIdentity& identity)
{
    int code = 0;
    const FileOpenError opened =
        OpenRegularFile(file, QIODevice::ReadWrite, &code, Links::NotFollowed);
    if (opened == FileOpenError::NotRegular)
        return {RecordFileFailure::Replaced, code};
    if (opened != FileOpenError::None)
        return {FromOpenError(opened), code};
    struct stat info {};
    if (::fstat(file.handle(), &info) != 0)
        return {RecordFileFailure::Unreadable, errno};
    if (!identity.known || info.st_dev != identity.device || info.st_ino != identity.inode) {
        file.close();
        return {RecordFileFailure::Replaced, 0};
    }
    return {};
}

// The bytes of a block after its timestamps.
struct BlockTail {
    std::array<std::uint8_t, 6> Codes;
    std::array<std::uint8_t, 2> Reserved1;
    std::int32_t Count;
    std::array<std::uint8_t, 4> Reserved2;
};
static_assert(sizeof(BlockTail) == kRecordBlockSize - offsetof(RecordBlock, Codes));
static_assert(offsetof(BlockTail, Count) == kBlockCountOffset - offsetof(RecordBlock, Codes));

bool WriteAt(QFile& file, qint64 offset, const void* data, qint64 size)
{
    return file.seek(offset) && file.write(static_cast<const char*>(data), size) == size;
}

bool DataSync(QFile& file)
{
    return file.flush() && ::fdatasync(file.handle()) == 0;
}

} // namespace

void AssembleBlock(RecordBlock& block, const SampleBuffers& capture, std::int32_t count, int k,
                   std::int32_t countField)
{
    const std::int32_t first = k * kBlockSamples;
    const int valid = std::clamp(count - first, 0, kBlockSamples);
    for (int c = 0; c < 6; ++c) {
        std::memcpy(block.Values[c].data(), capture.channel(c) + first, valid * sizeof(float));
        std::fill(block.Values[c].begin() + valid, block.Values[c].end(), 0.0f);
    }
    std::memcpy(block.Timestamps.data(), capture.timestamps() + first, valid * sizeof(double));
    std::fill(block.Timestamps.begin() + valid, block.Timestamps.end(), 0.0);
    block.Reserved1 = {};
    block.Reserved2 = {};
    block.Count = countField;
}

RecordFileResult CreateRecordFile(const QString& path, const RecordBlock& block)
{
    RecordFileResult result;
    result.created = SaveFile(
        path, QByteArray::fromRawData(reinterpret_cast<const char*>(&block), kRecordBlockSize));
    switch (result.created.failure) {
    case SaveFailure::None:
        break;
    case SaveFailure::ForeignLink:
    case SaveFailure::NotRegular:
        result.failure = RecordFileFailure::CreateRefused;
        break;
    case SaveFailure::CannotCreate:
        result.failure = RecordFileFailure::CreateFailed;
        break;
    case SaveFailure::WriteFailed:
    case SaveFailure::Incomplete:
    case SaveFailure::ContentFailed:
    case SaveFailure::CommitFailed:
        result.failure = RecordFileFailure::WriteFailed;
        break;
    }
    result.errorNumber = result.created.errorNumber;
    return result;
}

// With n whole blocks in the file and b the block of the newest sample, the
// save writes blocks max(0, min(b, n-1)) .. b: normally the block the last
// save ended in and, past a block boundary, the new one. Starting from the
// file's own last block rather than from what the previous save wrote means
// a failed save, an interrupted append or a file cut from outside still
// gets every block it misses. A file longer than b+1 blocks is cut back.
//
// The blocks are written carrying the count of the last completed save and
// made durable first; only then the new count goes into their count fields
// and is made durable in turn. Whatever moment the program dies at, the
// count of the file's last block never covers a sample that is not on disk.
RecordFileResult SaveRecordFile(const QString& path, const FileIdentity& identity,
                                const SampleBuffers& capture, std::int32_t count,
                                std::int32_t savedCount, RecordBlock& assembly)
{
    QFile file(path);
    if (RecordFileResult opened = OpenCreatedFile(file, identity); !opened.ok())
        return opened;

    const auto blockSize = qint64(kRecordBlockSize);
    const auto n = int(file.size() / blockSize);
    // At 450000 samples the newest sample lies in block 449, the last one.
    const int b = std::min(count / kBlockSamples, kMaxRecordBlocks - 1);
    const int first = std::max(0, std::min(b, n - 1));

    for (int k = first; k <= b; ++k) {
        AssembleBlock(assembly, capture, count, k, savedCount);
        if (!WriteAt(file, k * blockSize, &assembly, blockSize))
            return {RecordFileFailure::WriteFailed, errno};
    }
    if (file.size() > (b + 1) * blockSize && !file.resize((b + 1) * blockSize))
        return {RecordFileFailure::WriteFailed, errno};
    if (!DataSync(file))
        return {RecordFileFailure::WriteFailed, errno};

    if (count != savedCount) {
        for (int k = first; k <= b; ++k)
            if (!WriteAt(file, k * blockSize + qint64(kBlockCountOffset), &count, sizeof count))
                return {RecordFileFailure::WriteFailed, errno};
        if (!DataSync(file))
            return {RecordFileFailure::WriteFailed, errno};
    }
    assembly.Count = count;
    return {};
}

RecordFileResult OpenRecordFile(const QString& path, SampleBuffers& browse,
                                OpenedRecordFile& opened)
{
    QFile file(path);
    int code = 0;
    const FileOpenError openError = OpenRegularFile(file, QIODevice::ReadOnly, &code);
    if (openError != FileOpenError::None)
        return {FromOpenError(openError), code};

    const auto blockSize = qint64(kRecordBlockSize);
    const qint64 blocks = file.size() / blockSize;
    if (blocks < 1)
        return {RecordFileFailure::NoWholeBlock, 0};
    if (blocks > kMaxRecordBlocks)
        return {RecordFileFailure::TooManyBlocks, 0};

    // Every block is read with one scattered read straight into its place in
    // a second set of sample buffers: channel k's 1000 values into channel
    // k's array, the timestamps into the timestamp array, the last 16 bytes
    // into `tail`. The set takes the place of the browse buffers only once
    // the whole file has arrived, so a failing read leaves them as they were.
    auto staging = std::make_unique<SampleBuffers>();
    BlockTail tail{};
    const int fd = file.handle();
    for (qint64 k = 0; k < blocks; ++k) {
        const std::size_t first = std::size_t(k) * kBlockSamples;
        std::array<iovec, 8> parts{};
        for (int c = 0; c < 6; ++c)
            parts[c] = {staging->channel(c) + first, kBlockSamples * sizeof(float)};
        parts[6] = {staging->timestamps() + first, kBlockSamples * sizeof(double)};
        parts[7] = {&tail, sizeof tail};
        ssize_t got;
        do
            got = ::preadv(fd, parts.data(), int(parts.size()), off_t(k * blockSize));
        while (got < 0 && errno == EINTR);
        if (got != blockSize)
            return {RecordFileFailure::ReadFailed, got < 0 ? errno : 0};
    }
    browse.swap(*staging);

    opened.blocks = int(blocks);
    // The count may claim more than the blocks hold, or be negative down to
    // INT32_MIN (where count - 1 no longer fits 32 bits): it is clamped to the
    // samples that are in the file, in 64 bits, before anything uses it.
    const std::int64_t held = blocks * kBlockSamples;
    opened.last = std::int32_t(std::clamp<std::int64_t>(tail.Count, 0, held) - 1);
    for (int c = 0; c < 6; ++c)
        opened.codes[c] = tail.Codes[c];
    return {};
}
