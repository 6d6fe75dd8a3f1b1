#pragma once

#include <QString>

struct MeasurementRecord;

// Outcome of reading or writing a snapshot file: `error` is empty on
// success, otherwise the message shown to the user, naming the file.
struct SnapshotFileResult {
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// Writes the whole record, all 8052 bytes as they lie in memory (Reserved
// included), to `path` through SaveFile: a failed save leaves an existing
// file as it was and its message gives the reason (a full disk, a name that
// is no regular file, another user's link).
SnapshotFileResult SaveSnapshotFile(const QString& path, const MeasurementRecord& record);

// Reads the first 8052 bytes of `path` into `record` and sanitises the values
// as a measurement from the instrument is (SanitiseMeasurementValues). A
// longer file is taken by its first 8052 bytes; a shorter or unreadable one,
// or anything but a regular file, is refused and `record` is left untouched.
SnapshotFileResult OpenSnapshotFile(const QString& path, MeasurementRecord& record);
