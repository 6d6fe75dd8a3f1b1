#pragma once

#include "recordblock.h"

#include <QString>

#include <array>
#include <cstdint>

class SampleBuffers;

inline constexpr int kMaxRecordBlocks = 450;

// What went wrong with a record file; the record window words it.
enum class RecordFileFailure {
    None,
    Missing,       // no such file
    NotRegular,    // a folder, a pipe, a device
    Unreadable,    // the system refused to open it
    NoWholeBlock,  // shorter than one block
    TooManyBlocks, // more blocks than a recording can hold
    ReadFailed,
    CreateFailed,
    WriteFailed,
};

struct RecordFileResult {
    RecordFileFailure failure = RecordFileFailure::None;
    int errorNumber = 0; // the system's errno where one is known
    bool ok() const { return failure == RecordFileFailure::None; }
};

// Fills `block` with block k of a capture holding `count` samples: values and
// timestamps of samples k*1000 .. k*1000+999, entries at or past `count` as 0,
// the count field `countField`. The code bytes are left as they are.
void AssembleBlock(RecordBlock& block, const SampleBuffers& capture, std::int32_t count, int k,
                   std::int32_t countField);

// Writes `block` as the whole new file (replacing one of that name): through
// a temporary file that takes the name only when complete, then the folder
// is synced so that the name survives a power loss.
RecordFileResult CreateRecordFile(const QString& path, const RecordBlock& block);

// Brings the file up to `count` samples of `capture`, in place. `savedCount`
// is the count the file's last block carried after the last completed save;
// `assembly` is the block buffer to assemble in. See the .cpp for the steps.
RecordFileResult SaveRecordFile(const QString& path, const SampleBuffers& capture,
                                std::int32_t count, std::int32_t savedCount,
                                RecordBlock& assembly);

// A record file read for browsing.
struct OpenedRecordFile {
    int blocks = 0;           // whole blocks read
    std::int32_t last = -1;   // BrowseLast: index of the last valid sample, -1 for none
    std::array<std::int32_t, 6> codes{}; // code bytes of the last block
};

// Reads every whole block of `path` into `browse`. The file is read whole
// into a staging set of buffers that then takes the place of `browse`, so a
// refused or failing read leaves `browse` and `opened` untouched. Entries
// past the file's blocks are 0. A trailing partial block is ignored.
RecordFileResult OpenRecordFile(const QString& path, SampleBuffers& browse,
                                OpenedRecordFile& opened);
