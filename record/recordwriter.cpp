#include "recordwriter.h"

#include "recordstate.h"

RecordFileResult RecordWriter::create(const QString& path, const std::array<std::uint8_t, 6>& codes)
{
    record_.FileReady = false;
    record_.RecordFileName.clear();
    record_.RecordFileIdentity = {};
    record_.CaptureCount = 0;
    record_.SavedCount = 0;
    record_.SaveFailureReported = false;
    record_.SaveBlock = RecordBlock{};
    record_.SaveBlock.Codes = codes;
    record_.SaveBlock.Count = 0;
    RecordFileResult result = CreateRecordFile(path, record_.SaveBlock);
    if (!result.ok())
        return result;
    record_.FileReady = true;
    record_.RecordFileName = path;
    record_.RecordFileIdentity = result.created.identity;
    return result;
}

bool RecordWriter::full() const
{
    return record_.CaptureCount >= kMaxSamples;
}

bool RecordWriter::take(const std::array<float, kQuantityCount>& vector, double when)
{
    if (full()) // never past the buffers
        return false;
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
    return true;
}

RecordFileResult RecordWriter::save()
{
    const RecordFileResult result =
        SaveRecordFile(record_.RecordFileName, record_.RecordFileIdentity, record_.CaptureBuffers,
                       record_.CaptureCount, record_.SavedCount, record_.SaveBlock);
    if (result.ok())
        record_.SavedCount = record_.CaptureCount;
    return result;
}
