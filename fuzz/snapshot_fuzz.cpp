// A snapshot file of any content and length: it opens only with at least a
// whole record, leaves the record untouched otherwise, comes in with finite
// values and every other byte as it lies in the file, and saves back the
// same bytes.
#include "fuzzfiles.h"
#include "measurementrecord.h"
#include "snapshotfile.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = FuzzFolder() + QStringLiteral("/fuzz.zqm");
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    WriteFuzzFile(path, bytes);

    MeasurementRecord record;
    std::memset(&record, 0x5a, sizeof record);
    const SnapshotFileResult opened = OpenSnapshotFile(path, record);
    if (size < kMeasurementRecordSize) {
        if (opened.ok())
            std::abort(); // a cut-off file must be refused
        for (std::size_t i = 0; i < sizeof record; ++i)
            if (reinterpret_cast<const std::uint8_t*>(&record)[i] != 0x5a)
                std::abort(); // and leave the record as it was
        return 0;
    }
    if (!opened.ok())
        std::abort();
    const float* quantities = &record.URMS;
    for (int i = 0; i < 15; ++i)
        if (!std::isfinite(quantities[i]))
            std::abort();
    if (!std::isfinite(record.Aux1) || !std::isfinite(record.Aux2))
        std::abort();
    // Harmonics onwards are taken byte for byte.
    const std::size_t from = offsetof(MeasurementRecord, UHarmonic);
    const std::size_t to = offsetof(MeasurementRecord, Aux1);
    if (std::memcmp(reinterpret_cast<const char*>(&record) + from, data + from, to - from) != 0
        || std::memcmp(reinterpret_cast<const char*>(&record) + to + 8, data + to + 8,
                       kMeasurementRecordSize - to - 8)
               != 0)
        std::abort();

    const QString saved = FuzzFolder() + QStringLiteral("/saved.zqm");
    if (!SaveSnapshotFile(saved, record).ok())
        std::abort();
    MeasurementRecord again;
    // The record is the file's bytes (no padding): they must come back bit for bit.
    const bool read = OpenSnapshotFile(saved, again).ok();
    // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
    if (!read || std::memcmp(&again, &record, sizeof record) != 0)
        std::abort();
    return 0;
}
