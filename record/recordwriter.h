#pragma once

#include "recordfile.h"
#include "recordsettings.h"

#include <QString>

#include <array>
#include <cstdint>

struct RecordState;

// The record file a recording writes and the samples it is brought up to:
// the file created for the recording's quantities, samples taken into the
// capture buffers, and the in-place saves. The record window and the
// headless `record` command write their files through it, on a RecordState.
class RecordWriter {
public:
    explicit RecordWriter(RecordState& record) : record_(record) {}

    // Starts a recording of the quantities `codes` into `path`: the capture is
    // emptied and the file written as one empty block carrying the codes
    // (replacing a regular file of that name). A failure leaves no file ready.
    RecordFileResult create(const QString& path, const std::array<std::uint8_t, 6>& codes);

    // Whether the capture holds all the samples one file can.
    bool full() const;
    // Takes the sample of `vector` (one value per quantity code) at the OLE
    // date `when`, each channel the quantity the file's codes name. False,
    // and nothing taken, when the capture is full.
    bool take(const std::array<float, kQuantityCount>& vector, double when);
    // Brings the file up to the samples taken, in place.
    RecordFileResult save();

private:
    RecordState& record_;
};
