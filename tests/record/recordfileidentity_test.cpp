// The in-place save writes into the file the recording created and nothing
// else: not through a link put in its place, not into another file moved
// there; the recording then stops with a message.
#include "recordcontrol.h"
#include "recordfile.h"
#include "recordfixture.h"
#include "recordingdialogs.h"
#include "recordstate.h"
#include "sharedstate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct SwapCase {
    const char* name;
    // Puts something else at `path`; `victim` is a file of the user's.
    std::function<void(const QString& path, const QString& victim)> swap;
};

void PrintTo(const SwapCase& c, std::ostream* os)
{
    *os << c.name;
}

bool Rename(const QString& from, const QString& to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

const SwapCase kSwaps[] = {
    {"LinkRenamedOverIt",
     [](const QString& path, const QString& victim) {
         const QString link = path + ".link";
         ASSERT_EQ(
             ::symlink(QFile::encodeName(victim).constData(), QFile::encodeName(link).constData()),
             0);
         ASSERT_TRUE(Rename(link, path));
     }},
    {"AnotherFileRenamedOverIt",
     [](const QString& path, const QString&) {
         const QString copy = path + ".copy";
         ASSERT_TRUE(QFile::copy(path, copy));
         ASSERT_TRUE(Rename(copy, path));
     }},
    {"NamedPipeInItsPlace",
     [](const QString& path, const QString&) {
         ASSERT_TRUE(QFile::remove(path));
         ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
     }},
};

class RecordFileSwapped : public ::testing::TestWithParam<SwapCase> {};

TEST_P(RecordFileSwapped, TheSaveRefusesAndWritesNothingThere)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("run.zqr");
    const QString victim = dir.filePath("victim.dat");
    const QByteArray victimBytes(50000, 'v');
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(victimBytes);
    }
    auto capture = std::make_unique<SampleBuffers>();
    FillTestSamples(*capture, 0, 1500);
    auto block = std::make_unique<RecordBlock>();
    const RecordFileResult created = CreateRecordFile(path, *block);
    ASSERT_TRUE(created.ok());
    ASSERT_TRUE(SaveRecordFile(path, created.created.identity, *capture, 500, 0, *block).ok());

    GetParam().swap(path, victim);
    struct stat before {};
    ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &before), 0);

    const RecordFileResult saved =
        SaveRecordFile(path, created.created.identity, *capture, 1500, 500, *block);
    EXPECT_EQ(saved.failure, RecordFileFailure::Replaced);
    EXPECT_EQ(FileBytes(victim), victimBytes);
    struct stat after {};
    ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

INSTANTIATE_TEST_SUITE_P(, RecordFileSwapped, ::testing::ValuesIn(kSwaps),
                         [](const auto& info) { return std::string(info.param.name); });

// In the record window: the save that finds a link in the file's place says
// so, naming the file, stops the recording and asks for a new file; the
// samples stay for the CSV export.
TEST(RecordFileSwappedWhileRecording, TheRecordingStopsWithAMessage)
{
    QTemporaryDir dir;
    SharedState shared;
    InitLinkAndMeasurement(shared);
    shared.link.SessionMode = SessionModeT::ContinuousSampling;
    auto record = std::make_unique<RecordState>();
    RecordingDialogs dialogs;
    RecordControl control(*record, shared, dialogs);
    const QString path = dir.filePath("run.zqr");
    dialogs.saveAnswer = path;
    control.CreateFile();
    ASSERT_TRUE(record->FileReady);
    control.Start();
    // A fresh measurement before each tick: only those are sampled.
    shared.link.Arrivals.noteArrival();
    control.Timer1Timer();
    control.TimerSaveTimer();
    ASSERT_TRUE(dialogs.messages.empty());

    const QString victim = dir.filePath("victim.dat");
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the user's data");
    }
    kSwaps[0].swap(path, victim);
    shared.link.Arrivals.noteArrival();
    control.Timer1Timer();
    control.TimerSaveTimer();

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QDir::toNativeSeparators(path)))
        << dialogs.texts()[0].toStdString();
    EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Error);
    EXPECT_EQ(FileBytes(victim), "the user's data");
    EXPECT_FALSE(control.Timer1.isActive());
    EXPECT_FALSE(control.TimerSave.isActive());
    // The file is let go; its samples stay to be shown and exported.
    EXPECT_TRUE(record->RecordFileName.isEmpty());
    EXPECT_TRUE(record->FileReady);
    EXPECT_FALSE(control.states().startButton);
    EXPECT_FALSE(control.states().stopButton);
    EXPECT_EQ(record->CaptureCount, 2);

    // Stopping and closing write nothing more, and say nothing more.
    control.Stop();
    control.SaveOnExit();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(FileBytes(victim), "the user's data");
    // Starting again asks for a file.
    control.Start();
    EXPECT_FALSE(control.Timer1.isActive());
    EXPECT_EQ(dialogs.texts().last(), "    請建立記錄檔案！    ");
}

} // namespace
