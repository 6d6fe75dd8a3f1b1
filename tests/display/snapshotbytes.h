#pragma once

#include "measurementrecord.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstring>
#include <random>

// Helpers of the snapshot file tests: files as plain bytes and records whose
// every byte, Reserved included, is known.

inline QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline bool WriteFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray RandomBytes(qsizetype size, unsigned seed)
{
    std::mt19937 generator(seed);
    QByteArray bytes(size, '\0');
    for (char& b : bytes)
        b = static_cast<char>(generator() & 0xFF);
    return bytes;
}

inline QByteArray RecordBytes(const MeasurementRecord& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof record);
}

// A start record with random bytes in Reserved and a few values set.
inline MeasurementRecord RecordWithRandomReserved(unsigned seed)
{
    MeasurementRecord record{};
    ResetMeasurementRecord(record);
    record.URMS = 230.5f;
    record.UHarmonic[1] = 311.127f;
    record.IWave[100] = 4000;
    const QByteArray reserved = RandomBytes(sizeof record.Reserved, seed);
    std::memcpy(record.Reserved.data(), reserved.constData(), sizeof record.Reserved);
    return record;
}
