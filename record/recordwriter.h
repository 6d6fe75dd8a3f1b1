#pragma once

#include "recordfile.h"
#include "recordsettings.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

class SampleBuffers;
struct RecordState;

// The record files a recording writes and the samples they are brought up
// to: a series of files (NAME.zqr, NAME-0002.zqr, ...), each a complete
// record file of at most one capture's samples, the capture's samples, and
// the in-place saves. A recording that fills a file goes on in the next file
// of its series with the sample that did not fit. The record window and the
// headless `record` command write their files through it, on a RecordState.
class RecordWriter {
public:
    explicit RecordWriter(RecordState& record);

    // What writes the record file in place (SaveRecordFile into the file the
    // series created); tests put a failing or counting one in its place.
    using FileSaver = std::function<RecordFileResult(const QString& path, const SampleBuffers&,
                                                     std::int32_t count, std::int32_t savedCount,
                                                     RecordBlock& assembly)>;
    void setFileSaver(FileSaver saver) { saver_ = std::move(saver); }

    // The samples one file of the series takes before the next one starts:
    // kMaxSamples, as many as the capture holds; tests lower it.
    void setFileCapacity(std::int32_t samples);

    // Called with a file of the series whose last sample has just been saved,
    // before the next file starts: the samples of `path` are still the
    // capture's (0 .. CaptureCount - 1).
    void setFileComplete(std::function<void(const QString& path, int number)> complete)
    {
        complete_ = std::move(complete);
    }

    // Starts a recording of the quantities `codes` into a series whose first
    // file is `path`: the capture is emptied and the file written as one
    // empty block carrying the codes (replacing a regular file of that
    // name). A failure leaves no file ready.
    RecordFileResult create(const QString& path, const std::array<std::uint8_t, 6>& codes);

    // Whether the capture holds all the samples a file takes and the series
    // could not go on.
    bool full() const;

    // What became of a sample.
    enum class Taken {
        Taken,      // into the file being written
        NextFile,   // the file was full: into the next file of the series, now being written
        NextExists, // the next file's name is taken by a file this series did not make
        NextFailed, // the next file could not be made
        FullUnsaved // the full file's last save failed: the series cannot go on yet
    };
    struct TakeResult {
        Taken taken = Taken::Taken;
        RecordFileResult file; // NextFailed, FullUnsaved
        QString path;          // NextFile, NextExists, NextFailed: the next file
    };
    // Takes the sample of `vector` (one value per quantity code) at the OLE
    // date `when`, each channel the quantity the file's codes name. Only
    // Taken and NextFile took it.
    TakeResult take(const std::array<float, kQuantityCount>& vector, double when);

    // Brings the file being written up to the samples taken, in place.
    RecordFileResult save();

    // The number of the file being written in its series, 1 for the first.
    int fileNumber() const { return number_; }
    // Samples taken since create(), over every file of the series.
    qint64 seriesSamples() const { return seriesSamples_; }

    // File `number` of the series whose first file is `first`: "NAME.zqr",
    // then "NAME-0002.zqr", "NAME-0003.zqr" ... (the number before the
    // suffix, at least four digits).
    static QString SeriesFileName(const QString& first, int number);

private:
    RecordFileResult startFile(const QString& path, std::array<std::uint8_t, 6> codes);
    TakeResult nextFile();

    RecordState& record_;
    FileSaver saver_;
    std::function<void(const QString&, int)> complete_;
    std::int32_t capacity_;
    QString first_;
    int number_ = 0;
    qint64 seriesSamples_ = 0;
};
