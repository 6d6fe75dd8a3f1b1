#pragma once

#include "recordblock.h"
#include "savefile.h"

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
    CreateRefused, // creating it: the name is another user's link or no regular file
    Replaced,      // saving: the name no longer leads to the file that was created
};

struct RecordFileResult {
    RecordFileResult() = default;
    RecordFileResult(RecordFileFailure failure, int errorNumber)
        : failure(failure), errorNumber(errorNumber)
    {
    }

    RecordFileFailure failure = RecordFileFailure::None;
    int errorNumber = 0; // the system's errno where one is known
    SaveResult created;  // CreateRecordFile: the save's own outcome and the file's identity
    bool ok() const { return failure == RecordFileFailure::None; }
};

// Fills `block` with block k of a capture holding `count` samples: values and
// timestamps of samples k*1000 .. k*1000+999, entries at or past `count` as 0,
// the count field `countField`. The code bytes are left as they are.
void AssembleBlock(RecordBlock& block, const SampleBuffers& capture, std::int32_t count, int k,
                   std::int32_t countField);

// Writes `block` as the whole new file (replacing one of that name) through
// SaveFile, which refuses another user's link and a name that leads to no
// regular file. `created.identity` of the result is the new file's.
RecordFileResult CreateRecordFile(const QString& path, const RecordBlock& block);

// Brings the file `identity` (as CreateRecordFile gave it) up to `count`
// samples of `capture`, in place. The name is opened without following a
// link, and a file at `path` that is not that one is left alone: Replaced.
// `savedCount` is the count the file's last block carried after the last
// completed save; `assembly` is the block buffer to assemble in. See the
// .cpp for the steps.
RecordFileResult SaveRecordFile(const QString& path, const FileIdentity& identity,
                                const SampleBuffers& capture, std::int32_t count,
                                std::int32_t savedCount, RecordBlock& assembly);

// A record file read for browsing.
struct OpenedRecordFile {
    int blocks = 0;                      // whole blocks read
    std::int32_t last = -1;              // BrowseLast: index of the last valid sample, -1 for none
    std::array<std::int32_t, 6> codes{}; // code bytes of the last block
};

// Reads every whole block of `path` into `browse`. The file is read whole
// into a staging set of buffers that then takes the place of `browse`, so a
// refused or failing read leaves `browse` and `opened` untouched. Entries
// past the file's blocks are 0. A trailing partial block is ignored.
RecordFileResult OpenRecordFile(const QString& path, SampleBuffers& browse,
                                OpenedRecordFile& opened);
