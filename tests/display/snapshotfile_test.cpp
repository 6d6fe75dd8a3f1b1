#include "snapshotfile.h"

#include "measurementrecord.h"
#include "qtprinters.h"
#include "snapshotbytes.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

class SnapshotFileTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
};

TEST_F(SnapshotFileTest, SaveWritesTheRecordAsItLiesInMemory)
{
    MeasurementRecord start{};
    ResetMeasurementRecord(start);
    ASSERT_TRUE(SaveSnapshotFile(path("start.zqm"), start).ok());
    const QByteArray bytes = FileBytes(path("start.zqm"));
    ASSERT_EQ(bytes.size(), 8052);
    EXPECT_EQ(bytes, RecordBytes(start));
    // WaveLength 512 at byte 476, the first voltage sample 2047 at byte 478.
    EXPECT_EQ(bytes.mid(476, 4), QByteArray::fromHex("0002ff07"));
    EXPECT_EQ(bytes.mid(2530), QByteArray(8052 - 2530, '\0'));
}

TEST_F(SnapshotFileTest, SaveOpenSaveGivesIdenticalFiles)
{
    const MeasurementRecord original = RecordWithRandomReserved(7);
    ASSERT_TRUE(SaveSnapshotFile(path("a.zqm"), original).ok());

    MeasurementRecord read{};
    ASSERT_TRUE(OpenSnapshotFile(path("a.zqm"), read).ok());
    EXPECT_EQ(RecordBytes(read), RecordBytes(original));
    ASSERT_TRUE(SaveSnapshotFile(path("b.zqm"), read).ok());
    EXPECT_EQ(FileBytes(path("b.zqm")), FileBytes(path("a.zqm")));
}

TEST_F(SnapshotFileTest, LongerFileGivesItsFirstRecord)
{
    const QByteArray bytes = RandomBytes(10000, 3);
    ASSERT_TRUE(WriteFileBytes(path("long.bin"), bytes));
    MeasurementRecord record{};
    ASSERT_TRUE(OpenSnapshotFile(path("long.bin"), record).ok());
    EXPECT_EQ(RecordBytes(record), bytes.left(8052));
}

TEST_F(SnapshotFileTest, IncompleteOrMissingFileLeavesTheRecordAlone)
{
    ASSERT_TRUE(WriteFileBytes(path("short.zqm"), RandomBytes(8000, 4)));
    ASSERT_TRUE(WriteFileBytes(path("empty.zqm"), {}));
    const struct {
        QString name;
        const char* fragment;
    } cases[] = {
        {QStringLiteral("short.zqm"), "8052"},
        {QStringLiteral("empty.zqm"), "8052"},
        {QStringLiteral("missing.zqm"), "無法開啟檔案"},
        {QStringLiteral(""), "無法開啟檔案"}, // the folder itself
    };
    for (const auto& c : cases) {
        const MeasurementRecord before = RecordWithRandomReserved(5);
        MeasurementRecord record = before;
        const SnapshotFileResult result = OpenSnapshotFile(path(c.name), record);
        EXPECT_FALSE(result.ok()) << c.name.toStdString();
        EXPECT_TRUE(result.error.contains(QString::fromUtf8(c.fragment)))
            << result.error.toStdString();
        EXPECT_TRUE(result.error.contains(QDir::toNativeSeparators(path(c.name))))
            << result.error.toStdString();
        EXPECT_EQ(RecordBytes(record), RecordBytes(before)) << c.name.toStdString();
    }
}

// Opening a named pipe must not wait for a writer: the open dialog's
// "AllFile" filter and the command line both reach this code.
TEST_F(SnapshotFileTest, NamedPipeOrFolderIsRefusedAtOnceNamingIt)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.zqm")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.zqm"));
    for (const QString& name : {QStringLiteral("pipe.zqm"), QStringLiteral("folder.zqm")}) {
        SCOPED_TRACE(name.toStdString());
        const MeasurementRecord before = RecordWithRandomReserved(6);
        MeasurementRecord record = before;
        const SnapshotFileResult result = OpenSnapshotFile(path(name), record);
        EXPECT_EQ(result.error, QStringLiteral("無法開啟檔案，這不是一般檔案：")
                                    + QDir::toNativeSeparators(path(name)));
        EXPECT_EQ(RecordBytes(record), RecordBytes(before));
    }
}

// A file may hold any bit pattern; values that are not finite numbers read
// as 0, as they do from the instrument, and every other byte as saved.
TEST_F(SnapshotFileTest, NonFiniteValuesReadAsZero)
{
    constexpr float inf = std::numeric_limits<float>::infinity();
    MeasurementRecord saved = RecordWithRandomReserved(8);
    saved.URMS = inf;
    saved.IRMS = -inf;
    saved.PF = std::numeric_limits<float>::quiet_NaN();
    saved.KWH = -inf;
    saved.Aux2 = inf;
    saved.UF = 50.0f;
    saved.UHarmonic[3] = inf; // the spectra keep their bytes
    saved.IHarmonic[5] = std::numeric_limits<float>::quiet_NaN();
    ASSERT_TRUE(WriteFileBytes(path("odd.zqm"), RecordBytes(saved)));

    MeasurementRecord read{};
    ASSERT_TRUE(OpenSnapshotFile(path("odd.zqm"), read).ok());
    MeasurementRecord expected = saved;
    expected.URMS = expected.IRMS = expected.PF = expected.KWH = expected.Aux2 = 0.0f;
    EXPECT_EQ(RecordBytes(read), RecordBytes(expected));
}

TEST_F(SnapshotFileTest, SaveIntoAFolderThatCannotExistIsReported)
{
    ASSERT_TRUE(WriteFileBytes(path("plain"), "not a folder"));
    const MeasurementRecord record = RecordWithRandomReserved(6);
    for (const QString& target :
         {path("plain/new.zqm"), QStringLiteral("/proc/qpa-snapshot.zqm")}) {
        const SnapshotFileResult result = SaveSnapshotFile(target, record);
        EXPECT_FALSE(result.ok()) << target.toStdString();
        EXPECT_TRUE(result.error.contains(target)) << result.error.toStdString();
    }
    EXPECT_EQ(FileBytes(path("plain")), "not a folder");
}

// A file size limit makes the write fail part-way, as a full disk does, and
// holds for every user. The limit and the signal it raises are put back.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(SnapshotFileTest, FailedWriteKeepsTheExistingFile)
{
    const QByteArray old = RandomBytes(8052, 8);
    ASSERT_TRUE(WriteFileBytes(path("kept.zqm"), old));

    SnapshotFileResult result;
    {
        FileSizeLimit limit(4096);
        result = SaveSnapshotFile(path("kept.zqm"), RecordWithRandomReserved(9));
    }
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(path("kept.zqm"))) << result.error.toStdString();
    EXPECT_EQ(FileBytes(path("kept.zqm")), old);
    // No half-written temporary is left beside it.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"kept.zqm"});
}

} // namespace
