#include "regularfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace {

TEST(OpenRegularFile, TakesOnlyRegularFilesAndNeverBlocks)
{
    QTemporaryDir dir;
    const QString regular = dir.filePath("run.zqm");
    {
        QFile file(regular);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("bytes");
    }
    const QString fifo = dir.filePath("pipe.zqm");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = dir.filePath("folder.zqm");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString link = dir.filePath("link.zqm");
    ASSERT_TRUE(QFile::link(regular, link));

    struct Case {
        QString path;
        QIODevice::OpenMode mode;
        FileOpenError expected;
        int errorNumber; // -1: whatever the system says
        Links links = Links::Followed;
    };
    const Case cases[] = {
        {regular, QIODevice::ReadOnly, FileOpenError::None, 0},
        {regular, QIODevice::ReadWrite, FileOpenError::None, 0},
        {dir.filePath("missing.zqm"), QIODevice::ReadOnly, FileOpenError::Missing, ENOENT},
        {dir.filePath("missing/run.zqm"), QIODevice::ReadOnly, FileOpenError::Missing, ENOENT},
        {regular + "/below", QIODevice::ReadOnly, FileOpenError::Missing, ENOTDIR},
        {folder, QIODevice::ReadOnly, FileOpenError::NotRegular, -1},
        {folder, QIODevice::ReadWrite, FileOpenError::NotRegular, EISDIR},
        {fifo, QIODevice::ReadOnly, FileOpenError::NotRegular, -1}, // no writer: must not wait
        {fifo, QIODevice::ReadWrite, FileOpenError::NotRegular, -1},
        {"/dev/null", QIODevice::ReadOnly, FileOpenError::NotRegular, -1},
        {link, QIODevice::ReadWrite, FileOpenError::None, 0},
        {link, QIODevice::ReadWrite, FileOpenError::NotRegular, ELOOP, Links::NotFollowed},
        {regular, QIODevice::ReadWrite, FileOpenError::None, 0, Links::NotFollowed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString()
                     + (c.mode == QIODevice::ReadOnly ? " read" : " read-write")
                     + (c.links == Links::NotFollowed ? " not following links" : ""));
        QFile file(c.path);
        int errorNumber = 12345;
        EXPECT_EQ(OpenRegularFile(file, c.mode, &errorNumber, c.links), c.expected);
        if (c.errorNumber >= 0) {
            EXPECT_EQ(errorNumber, c.errorNumber);
        }
        EXPECT_EQ(file.isOpen(), c.expected == FileOpenError::None);
        if (c.expected == FileOpenError::None) {
            EXPECT_EQ(file.readAll(), "bytes");
        }
    }
    EXPECT_FALSE(SystemReason(ENOENT).isEmpty());
    EXPECT_TRUE(SystemReason(0).isEmpty());
}

} // namespace
