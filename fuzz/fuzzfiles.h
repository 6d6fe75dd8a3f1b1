#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>

// A folder of its own for the files a target writes, removed at exit.
inline QString FuzzFolder()
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    return dir.path();
}

// Writes `bytes` as the whole file at `path`.
inline void WriteFuzzFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}
