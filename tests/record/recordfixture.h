#pragma once

#include "recordfile.h"
#include "recordstate.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstring>
#include <memory>

// Sample i of channel c in the test recordings, distinct for every sample.
inline float TestValue(std::int32_t i, int c)
{
    return float(i) * 8.0f + float(c) + 0.25f;
}

inline double TestTime(std::int32_t i)
{
    return 46000.5 + i / 86400.0;
}

// Fills samples [from, to) of `capture` with the test pattern.
inline void FillTestSamples(SampleBuffers& capture, std::int32_t from, std::int32_t to)
{
    for (std::int32_t i = from; i < to; ++i) {
        for (int c = 0; c < 6; ++c)
            capture.channel(c)[i] = TestValue(i, c);
        capture.timestamps()[i] = TestTime(i);
    }
}

inline QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline std::int32_t CountFieldOf(const QByteArray& bytes, int block)
{
    std::int32_t count = 0;
    std::memcpy(&count, bytes.constData() + qsizetype(block) * kRecordBlockSize + kBlockCountOffset,
                sizeof count);
    return count;
}

// A file of `blocks` blocks, each carrying `count` and `codes`, with the
// test pattern as values.
inline void WriteTestFile(const QString& path, int blocks, std::int32_t count,
                          std::uint8_t code = 2, qint64 extraBytes = 0)
{
    auto capture = std::make_unique<SampleBuffers>();
    FillTestSamples(*capture, 0, std::min<std::int32_t>(blocks * 1000, kMaxSamples));
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    auto block = std::make_unique<RecordBlock>();
    block->Codes.fill(code);
    for (int k = 0; k < blocks; ++k) {
        AssembleBlock(*block, *capture, std::min(blocks, kMaxRecordBlocks) * 1000, k % 450, count);
        file.write(reinterpret_cast<const char*>(block.get()), sizeof *block);
    }
    file.write(QByteArray(extraBytes, '\x5A'));
}
