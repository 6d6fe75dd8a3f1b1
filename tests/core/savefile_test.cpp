// The one way the program saves a file: complete or not at all, never
// through another user's link, never onto a device.
#include "savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Every entry of the folder, hidden ones too: a save leaves nothing behind.
QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray Pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char('a' + i % 23);
    return bytes;
}

bool Symlink(const QString& target, const QString& link)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData())
           == 0;
}

TEST(SaveFile, ReplacesTheFileKeepingItsPermissionsAndGivesItsIdentity)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.csv");
    WriteBytes(path, "earlier");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);

    // Written in many small pieces, more than one gathered piece in all.
    const QByteArray content = Pattern(200000);
    const SaveResult result = SaveFile(path, [&](QIODevice& device) {
        for (qsizetype at = 0; at < content.size(); at += 1000)
            if (device.write(content.mid(at, 1000)) != qMin<qsizetype>(1000, content.size() - at))
                return false;
        return true;
    });
    ASSERT_TRUE(result.ok()) << SaveFailureReason(result).toStdString();
    EXPECT_EQ(FileBytes(path), content);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_TRUE(result.identity.known);
    EXPECT_EQ(result.identity.device, info.st_dev);
    EXPECT_EQ(result.identity.inode, info.st_ino);
    EXPECT_EQ(Entries(dir.path()), QStringList{"out.csv"});

    // A new file, and an empty one.
    EXPECT_TRUE(SaveFile(dir.filePath("new.bin"), QByteArray()).ok());
    EXPECT_EQ(FileBytes(dir.filePath("new.bin")), QByteArray());
}

// A disk with room for `room` bytes of the file: every cut leaves the old
// file whole, no new file behind, and the reason of the system.
TEST(SaveFile, ADiskThatFillsUpAtAnySizeLeavesTheOldFileAndSaysWhy)
{
    struct Case {
        qsizetype size;
        qint64 room;
        int errorNumber;
    };
    const Case cases[] = {
        {8052, 0, ENOSPC},        {8052, 1, ENOSPC},        {8052, 4096, ENOSPC},
        {8052, 8051, ENOSPC},     {8052, 8052, ENOSPC}, // it all fits; the sync fails
        {200000, 65535, ENOSPC},  {200000, 65536, ENOSPC},  {200000, 65537, ENOSPC},
        {200000, 199999, ENOSPC}, {200000, 200000, ENOSPC}, {200000, 100000, EDQUOT},
        {200000, 131072, EIO},    {0, 0, ENOSPC},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("kept.pdf");
    const QByteArray old = "the earlier report";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " bytes, room for " << c.room);
        WriteBytes(path, old);
        SaveResult result;
        {
            ScopedSaveFault fault(c.room, c.errorNumber);
            result = SaveFile(path, Pattern(c.size));
        }
        EXPECT_EQ(result.failure, SaveFailure::WriteFailed);
        EXPECT_EQ(result.errorNumber, c.errorNumber);
        EXPECT_EQ(FileBytes(path), old);
        EXPECT_EQ(Entries(dir.path()), QStringList{"kept.pdf"});
    }
    EXPECT_EQ(SaveFailureReason({SaveFailure::WriteFailed, ENOSPC, path, {}}), "磁碟空間不足");
    // With the room back the same save goes through.
    EXPECT_TRUE(SaveFile(path, Pattern(8052)).ok());
    EXPECT_EQ(FileBytes(path), Pattern(8052));
}

TEST(SaveFile, AWriterThatCannotProduceItsContentCommitsNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("chart.png");
    WriteBytes(path, "old");
    const SaveResult result = SaveFile(path, [](QIODevice& device) {
        device.write("half a picture");
        return false;
    });
    EXPECT_EQ(result.failure, SaveFailure::ContentFailed);
    EXPECT_EQ(FileBytes(path), "old");
    EXPECT_EQ(Entries(dir.path()), QStringList{"chart.png"});
}

// Names that lead to something else than a regular file, through the
// user's own links or directly: refused, naming what stands there, and it
// stays as it was.
TEST(SaveFile, ANameThatLeadsToNoRegularFileIsRefused)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.pdf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = dir.filePath("folder.pdf");
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_TRUE(Symlink("pipe.pdf", dir.filePath("to-pipe.pdf")));
    // A device node like /dev/full, made here where only root may make one.
    const QString device = dir.filePath("full.pdf");
    const bool haveDevice =
        ::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0;

    struct Case {
        QString name;
        QString refused;
    };
    std::vector<Case> cases = {{fifo, fifo}, {folder, folder}, {dir.filePath("to-pipe.pdf"), fifo}};
    if (haveDevice)
        cases.push_back({device, device});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const SaveResult result = SaveFile(c.name, QByteArray("report"));
        EXPECT_EQ(result.failure, SaveFailure::NotRegular);
        EXPECT_EQ(result.file, c.refused);
        EXPECT_TRUE(SaveFailureReason(result).contains(c.refused));
    }
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    ASSERT_EQ(::lstat(QFile::encodeName(dir.filePath("to-pipe.pdf")).constData(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    if (haveDevice) {
        ASSERT_EQ(::lstat(QFile::encodeName(device).constData(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

// The user's own links are followed: the file they lead to is replaced and
// the link stays, as editors keep a link to a settings file.
TEST(SaveFile, TheUsersOwnLinksLeadToTheFileTheyName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkdir(dir.filePath("real")));
    WriteBytes(dir.filePath("real/SysSet.ini"), "old");
    ASSERT_TRUE(Symlink("real/SysSet.ini", dir.filePath("middle.ini")));
    ASSERT_TRUE(Symlink(dir.filePath("middle.ini"), dir.filePath("SysSet.ini")));
    ASSERT_TRUE(Symlink("real/new.ini", dir.filePath("dangling.ini")));

    const SaveResult result = SaveFile(dir.filePath("SysSet.ini"), QByteArray("new"));
    ASSERT_TRUE(result.ok()) << SaveFailureReason(result).toStdString();
    EXPECT_EQ(result.file, dir.filePath("real/SysSet.ini"));
    EXPECT_EQ(FileBytes(dir.filePath("real/SysSet.ini")), "new");
    EXPECT_TRUE(QFileInfo(dir.filePath("SysSet.ini")).isSymLink());
    EXPECT_TRUE(QFileInfo(dir.filePath("middle.ini")).isSymLink());

    ASSERT_TRUE(SaveFile(dir.filePath("dangling.ini"), QByteArray("made")).ok());
    EXPECT_EQ(FileBytes(dir.filePath("real/new.ini")), "made");
    EXPECT_TRUE(QFileInfo(dir.filePath("dangling.ini")).isSymLink());
}

// Someone else's link is not followed, in a folder everyone may write to as
// in any other, unless that someone owns the folder. Giving a link another
// owner takes root; the test runs as root on CI and is skipped otherwise.
TEST(SaveFile, AnotherUsersLinkIsNotFollowed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a link to another user takes root";
    QTemporaryDir dir;
    const QString victim = dir.filePath("victim.dat");
    WriteBytes(victim, "the user's data");
    for (const mode_t folderMode : {mode_t(01777), mode_t(0755)}) {
        SCOPED_TRACE(folderMode);
        const QString shared = dir.filePath(QString::number(folderMode, 8));
        ASSERT_TRUE(QDir().mkdir(shared));
        ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), folderMode), 0);
        const QString planted = shared + "/report.pdf";
        ASSERT_TRUE(Symlink(victim, planted));
        ASSERT_EQ(::lchown(QFile::encodeName(planted).constData(), kNobody, kNobody), 0);

        const SaveResult result = SaveFile(planted, QByteArray("%PDF"));
        EXPECT_EQ(result.failure, SaveFailure::ForeignLink);
        EXPECT_EQ(result.file, planted);
        EXPECT_TRUE(SaveFailureReason(result).contains(planted));
        EXPECT_EQ(FileBytes(victim), "the user's data");
        EXPECT_TRUE(QFileInfo(planted).isSymLink());
        EXPECT_EQ(Entries(shared), QStringList{"report.pdf"});

        // The folder's owner's own link is theirs to place.
        ASSERT_EQ(::chown(QFile::encodeName(shared).constData(), kNobody, kNobody), 0);
        EXPECT_TRUE(SaveFile(planted, QByteArray("%PDF")).ok());
        EXPECT_EQ(FileBytes(victim), "%PDF");
        WriteBytes(victim, "the user's data");
    }
}

} // namespace
