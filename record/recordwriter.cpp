#include "recordwriter.h"

#include "recordstate.h"

#include <QFileInfo>

#include <algorithm>
#include <memory>

RecordWriter::RecordWriter(RecordState& record)
    : record_(record),
      saver_([this](const QString& path, const SampleBuffers& capture, std::int32_t count,
                    std::int32_t savedCount, RecordBlock& assembly) {
          // Only ever into the file the series created.
          return SaveRecordFile(path, record_.RecordFileIdentity, capture, count, savedCount,
                                assembly);
      }),
      capacity_(kMaxSamples)
{
}

void RecordWriter::setFileCapacity(std::int32_t samples)
{
    capacity_ = std::clamp(samples, 1, kMaxSamples);
}

QString RecordWriter::SeriesFileName(const QString& first, int number)
{
    if (number <= 1)
        return first;
    const QString suffix = QFileInfo(first).suffix();
    const QString stem = suffix.isEmpty() ? first : first.chopped(suffix.size() + 1);
    const QString numbered = stem + QStringLiteral("-%1").arg(number, 4, 10, QLatin1Char('0'));
    return suffix.isEmpty() ? numbered : numbered + QLatin1Char('.') + suffix;
}

RecordFileResult RecordWriter::create(const QString& path, const std::array<std::uint8_t, 6>& codes)
{
    RecordFileResult result = startFile(path, codes);
    if (!result.ok())
        return result;
    first_ = path;
    number_ = 1;
    seriesSamples_ = 0;
    record_.SaveFailureReported = false;
    return result;
}

// The state changes only once the file is there: a failure leaves the
// recording's state as it was (after a full file: that file, saved).
RecordFileResult RecordWriter::startFile(const QString& path, std::array<std::uint8_t, 6> codes)
{
    auto block = std::make_unique<RecordBlock>();
    block->Codes = codes;
    block->Count = 0;
    RecordFileResult result = CreateRecordFile(path, *block);
    if (!result.ok())
        return result;
    record_.SaveBlock = *block;
    record_.FileReady = true;
    record_.RecordFileName = path;
    record_.RecordFileIdentity = result.created.identity;
    record_.CaptureCount = 0;
    record_.SavedCount = 0;
    return result;
}

bool RecordWriter::full() const
{
    return record_.CaptureCount >= capacity_;
}

RecordWriter::TakeResult RecordWriter::take(const std::array<float, kQuantityCount>& vector,
                                            double when)
{
    TakeResult result;
    if (full()) { // never past the buffers
        result = nextFile();
        if (result.taken != Taken::NextFile)
            return result;
    }
    const std::int32_t i = record_.CaptureCount;
    for (int k = 0; k < kRecordChannels; ++k) {
        // The quantities the file names, so that its codes always fit its
        // samples; a code that names no quantity records 0.0.
        const int code = record_.SaveBlock.Codes[std::size_t(k)];
        record_.CaptureBuffers.channel(k)[i] =
            code < kQuantityCount ? vector[std::size_t(code)] : 0.0f;
    }
    record_.CaptureBuffers.timestamps()[i] = when;
    record_.CaptureCount += 1;
    ++seriesSamples_;
    return result;
}

// The full file gets its last samples before the capture starts over for
// the next one, so that no sample falls between the two. A name that is
// taken is never overwritten: it may be an earlier recording's file.
RecordWriter::TakeResult RecordWriter::nextFile()
{
    TakeResult result;
    const RecordFileResult saved = save();
    if (!saved.ok()) {
        result.taken = Taken::FullUnsaved;
        result.file = saved;
        return result;
    }
    result.path = SeriesFileName(first_, number_ + 1);
    const QFileInfo next(result.path);
    if (next.exists() || next.isSymLink()) {
        result.taken = Taken::NextExists;
        return result;
    }
    if (complete_)
        complete_(record_.RecordFileName, number_);
    const RecordFileResult started = startFile(result.path, record_.SaveBlock.Codes);
    if (!started.ok()) {
        result.taken = Taken::NextFailed;
        result.file = started;
        return result;
    }
    ++number_;
    result.taken = Taken::NextFile;
    return result;
}

RecordFileResult RecordWriter::save()
{
    RecordFileResult result = saver_(record_.RecordFileName, record_.CaptureBuffers,
                                     record_.CaptureCount, record_.SavedCount, record_.SaveBlock);
    if (result.ok())
        record_.SavedCount = record_.CaptureCount;
    return result;
}
