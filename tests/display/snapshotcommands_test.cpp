#include "snapshotcommands.h"

#include "qtprinters.h"
#include "recordingdialogs.h"
#include "sharedstate.h"
#include "snapshotbytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Also remembers the name the save dialog offers and the open dialog's folder.
class FileDialogs : public RecordingDialogs {
public:
    QString openFileName(const QString& caption, const QString& filter,
                         const QString& folder) override
    {
        openFolder = folder;
        return RecordingDialogs::openFileName(caption, filter, folder);
    }
    QString saveFileName(const QString& caption, const QString& filter,
                         const QString& defaultName) override
    {
        offeredName = defaultName;
        return RecordingDialogs::saveFileName(caption, filter, defaultName);
    }

    QString offeredName;
    QString openFolder = QStringLiteral("not asked");
};

class SnapshotCommandsTest : public ::testing::Test {
protected:
    SnapshotCommandsTest()
    {
        InitLinkAndMeasurement(state);
        commands.saved = [this](const QString& p) { savedPaths << p; };
        commands.opened = [this](const QString& p, const QDateTime& taken) {
            openedPaths << p;
            openedTimes << taken;
        };
    }

    QString path(const QString& name) const { return folder.filePath(name); }
    QByteArray shownRecord() const { return RecordBytes(state.MeasurementRecord); }

    QTemporaryDir folder;
    SharedState state;
    FileDialogs dialogs;
    int draws = 0;
    SnapshotCommands commands{state, dialogs, [this] { ++draws; }};
    QStringList savedPaths;
    QStringList openedPaths;
    QList<QDateTime> openedTimes;
};

TEST_F(SnapshotCommandsTest, SaveOffersTestFileAndWritesTheShownRecord)
{
    state.MeasurementRecord = RecordWithRandomReserved(11);
    dialogs.saveAnswer = path("TestFile.zqm");
    commands.Save();
    EXPECT_EQ(dialogs.filters, QStringList{"Quorvane測量檔案(.zqm) (*.zqm)"});
    EXPECT_EQ(dialogs.offeredName, "TestFile.zqm");
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(FileBytes(path("TestFile.zqm")), shownRecord());
    EXPECT_EQ(savedPaths, QStringList{path("TestFile.zqm")}); // the status bar names it
}

TEST_F(SnapshotCommandsTest, NameWithoutExtensionIsSavedAsTyped)
{
    dialogs.saveAnswer = path("plain");
    commands.Save();
    EXPECT_EQ(FileBytes(path("plain")).size(), 8052);
}

TEST_F(SnapshotCommandsTest, ExistingFileIsReplacedOnlyAfterYes)
{
    const QByteArray old = RandomBytes(100, 12);
    ASSERT_TRUE(WriteFileBytes(path("old.zqm"), old));
    dialogs.saveAnswer = path("old.zqm");

    dialogs.yesAnswer = false;
    commands.Save();
    EXPECT_EQ(dialogs.questions, QStringList{"檔案存在|  檔案已經存在，是否覆蓋"});
    EXPECT_EQ(FileBytes(path("old.zqm")), old);

    dialogs.yesAnswer = true;
    commands.Save();
    EXPECT_EQ(dialogs.questions.size(), 2);
    EXPECT_EQ(FileBytes(path("old.zqm")), shownRecord());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SnapshotCommandsTest, FailedSaveIsReportedAsAnError)
{
    ASSERT_TRUE(WriteFileBytes(path("plain"), "x"));
    dialogs.saveAnswer = path("plain/new.zqm");
    commands.Save();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Error);
    EXPECT_TRUE(dialogs.messages[0].text.contains(path("plain/new.zqm")));
    EXPECT_TRUE(savedPaths.isEmpty());
}

TEST_F(SnapshotCommandsTest, CancelledDialogsDoNothing)
{
    const QByteArray before = shownRecord();
    commands.Save();
    commands.Open();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(draws, 0);
    EXPECT_EQ(shownRecord(), before);
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(SnapshotCommandsTest, OpenTakesTheFileAndRedraws)
{
    const MeasurementRecord saved = RecordWithRandomReserved(13);
    ASSERT_TRUE(WriteFileBytes(path("any name"), RecordBytes(saved) + "trailing"));
    // The time the snapshot stands for is its file's: when it was saved.
    const QDateTime savedAt(QDate(2025, 12, 9), QTime(12, 34, 56));
    {
        QFile file(path("any name"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(savedAt, QFileDevice::FileModificationTime));
    }
    state.MeasurementTime = QDateTime::currentDateTime(); // the last live measurement
    dialogs.openAnswer = path("any name");
    commands.Open();
    EXPECT_EQ(state.MeasurementTime, savedAt);
    EXPECT_EQ(SnapshotTakenTime(path("any name")), savedAt);
    EXPECT_EQ(openedPaths, QStringList{path("any name")});
    EXPECT_EQ(openedTimes, QList<QDateTime>{savedAt});
    EXPECT_EQ(dialogs.filters, QStringList{"QuorvaneFile (*.zqm);;AllFile (*)"});
    EXPECT_EQ(dialogs.openFolder, "");
    EXPECT_EQ(shownRecord(), RecordBytes(saved));
    EXPECT_EQ(draws, 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SnapshotCommandsTest, ShortFileIsRefusedAndChangesNothing)
{
    state.MeasurementRecord = RecordWithRandomReserved(14);
    const QByteArray before = shownRecord();
    ASSERT_TRUE(WriteFileBytes(path("short.zqm"), RandomBytes(8000, 15)));
    dialogs.openAnswer = path("short.zqm");
    commands.Open();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Error);
    EXPECT_TRUE(dialogs.messages[0].text.contains(path("short.zqm")));
    EXPECT_EQ(shownRecord(), before);
    EXPECT_EQ(draws, 0);
}

TEST_F(SnapshotCommandsTest, NamedPipeChosenUnderAllFilesIsRefusedWithoutWaiting)
{
    const QByteArray before = shownRecord();
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
    dialogs.openAnswer = path("pipe");
    commands.Open();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Error);
    EXPECT_EQ(dialogs.messages[0].text, "無法開啟檔案，這不是一般檔案：" + path("pipe"));
    EXPECT_EQ(shownRecord(), before);
    EXPECT_EQ(draws, 0);
}

TEST(StartFile, ArgumentsGiveTheFileAndItsKind)
{
    const struct {
        QStringList arguments;
        const char* file;
        StartFileKind kind;
    } cases[] = {
        {{"/data/a.zqm"}, "/data/a.zqm", StartFileKind::Snapshot},
        {{"/data/a.ZQM"}, "/data/a.ZQM", StartFileKind::Snapshot},
        {{"/data/a.Zqm"}, "/data/a.Zqm", StartFileKind::Snapshot},
        {{"/data/a.zqr"}, "/data/a.zqr", StartFileKind::RecordFile},
        {{"/data/a.ZQR"}, "/data/a.ZQR", StartFileKind::RecordFile},
        {{"/data/a.Zqr"}, "/data/a.Zqr", StartFileKind::RecordFile},
        // every letter case, as the desktop's file types claim them
        {{"/data/a.zQM"}, "/data/a.zQM", StartFileKind::Snapshot},
        {{"/data/a.zqM"}, "/data/a.zqM", StartFileKind::Snapshot},
        {{"/data/a.zqR"}, "/data/a.zqR", StartFileKind::RecordFile},
        {{"/data/a.zQr"}, "/data/a.zQr", StartFileKind::RecordFile},
        {{"/data/a.txt"}, "/data/a.txt", StartFileKind::None},
        {{"/data/a.zqx"}, "/data/a.zqx", StartFileKind::None},
        {{"zq"}, "zq", StartFileKind::None},
        {{"/my data/run 1.zqm"}, "/my data/run 1.zqm", StartFileKind::Snapshot},
        {{"\"/my data/run 1.ZQM\""}, "/my data/run 1.ZQM", StartFileKind::Snapshot},
        {{"  \"/my data/run 1.Zqr\"  "}, "/my data/run 1.Zqr", StartFileKind::RecordFile},
        // a path split at its blanks by whoever started the program
        {{"/my", "data/run", "1.zqm"}, "/my data/run 1.zqm", StartFileKind::Snapshot},
        {{"\"/my", "data/run.zqr\""}, "/my data/run.zqr", StartFileKind::RecordFile},
        {{"\"/data/a.zqm"}, "/data/a.zqm", StartFileKind::Snapshot},
        {{"/data/a.zqm", "--verbose"}, "/data/a.zqm --verbose", StartFileKind::None},
    };
    for (const auto& c : cases) {
        const QString file = StartFileFromArguments(c.arguments);
        EXPECT_EQ(file, QString::fromUtf8(c.file)) << c.arguments.join('|').toStdString();
        EXPECT_EQ(KindOfStartFile(file), c.kind) << c.file;
    }
}

TEST_F(SnapshotCommandsTest, CommandLineSnapshotIsShownAtOnce)
{
    const MeasurementRecord saved = RecordWithRandomReserved(16);
    ASSERT_TRUE(WriteFileBytes(path("run 1.Zqm"), RecordBytes(saved)));
    const QString quoted = QLatin1Char('"') + path("run 1.Zqm") + QLatin1Char('"');
    EXPECT_EQ(commands.OpenFromCommandLine({quoted}), StartFileKind::Snapshot);
    EXPECT_TRUE(state.link.OpenedWithFile);
    EXPECT_EQ(state.CommandLineFile, path("run 1.Zqm"));
    EXPECT_EQ(shownRecord(), RecordBytes(saved));
    EXPECT_EQ(draws, 1);
}

TEST_F(SnapshotCommandsTest, CommandLineRecordFileIsLeftToTheRecordWindow)
{
    const QByteArray before = shownRecord();
    EXPECT_EQ(commands.OpenFromCommandLine({"/data/run 1.ZQR"}), StartFileKind::RecordFile);
    EXPECT_TRUE(state.link.OpenedWithFile);
    EXPECT_EQ(state.CommandLineFile, "/data/run 1.ZQR");
    EXPECT_EQ(shownRecord(), before);
    EXPECT_EQ(draws, 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SnapshotCommandsTest, CommandLineWithoutAFileItKnows)
{
    const QByteArray before = shownRecord();
    EXPECT_EQ(commands.OpenFromCommandLine({}), StartFileKind::None);
    EXPECT_FALSE(state.link.OpenedWithFile);
    EXPECT_TRUE(state.CommandLineFile.isEmpty());

    EXPECT_EQ(commands.OpenFromCommandLine({"/data/a.zqx"}), StartFileKind::None);
    EXPECT_TRUE(state.link.OpenedWithFile);
    EXPECT_EQ(state.CommandLineFile, "/data/a.zqx");
    EXPECT_EQ(shownRecord(), before);
    EXPECT_EQ(draws, 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SnapshotCommandsTest, MissingCommandLineSnapshotIsReportedAndStartGoesOn)
{
    const QByteArray before = shownRecord();
    EXPECT_EQ(commands.OpenFromCommandLine({path("gone.zqm")}), StartFileKind::Snapshot);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Error);
    EXPECT_TRUE(dialogs.messages[0].text.contains(path("gone.zqm")));
    EXPECT_EQ(shownRecord(), before);
    EXPECT_EQ(draws, 0);
}

} // namespace
