// Capture, start and stop, the save timer, creating and opening record files,
// and the command states they leave, driven through the timer handlers.
#include "recordcontrol.h"
#include "recordfile.h"
#include "recordfixture.h"
#include "recordingdialogs.h"
#include "recordstate.h"
#include "sharedstate.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

class RecordControlTest : public ::testing::Test {
protected:
    RecordControlTest()
    {
        InitLinkAndMeasurement(shared);
        shared.link.SessionMode = 2;
        control.setClock([this] { return now; });
    }

    // Creates `name` in the test folder as the record file.
    bool create(const QString& name = "run.zqr")
    {
        dialogs.saveAnswer = dir.filePath(name);
        control.CreateFile();
        return record->FileReady && record->RecordFileName == dialogs.saveAnswer;
    }

    // One sampling tick with `volts` as the measured RMS voltage.
    void sample(float volts)
    {
        shared.MeasurementRecord.URMS = volts;
        control.Timer1Timer();
        now = now.addSecs(1);
    }

    OpenedRecordFile reopen(const QString& name = "run.zqr")
    {
        OpenedRecordFile opened;
        EXPECT_TRUE(OpenRecordFile(dir.filePath(name), *browse, opened).ok());
        return opened;
    }

    QTemporaryDir dir;
    SharedState shared;
    std::unique_ptr<RecordState> record = std::make_unique<RecordState>();
    std::unique_ptr<SampleBuffers> browse = std::make_unique<SampleBuffers>();
    RecordingDialogs dialogs;
    RecordControl control{*record, shared, dialogs};
    QDateTime now{QDate(2026, 12, 10), QTime(12, 0)};
};

TEST(OleDateTest, CountsLocalDaysFromTheEpochAndTheLocalTimeOfDay)
{
    EXPECT_EQ(OleDateFromLocal(QDateTime(QDate(1899, 12, 30), QTime(6, 0))), 0.25);
    EXPECT_EQ(OleDateFromLocal(QDateTime(QDate(2026, 12, 10), QTime(12, 0))), 46366.5);
    EXPECT_EQ(OleDateFromLocal(QDateTime(QDate(1899, 12, 29), QTime(0, 0))), -1.0);
    const QDateTime t(QDate(2026, 3, 29), QTime(2, 30, 15, 250));
    EXPECT_EQ(LocalFromOleDate(OleDateFromLocal(t)), t);
}

TEST_F(RecordControlTest, CommandStatesFollowTheRecording)
{
    using S = RecordCommandStates;
    // start / stop / settings buttons, then the items "啟動記錄", "停止記錄", "設置".
    EXPECT_EQ(control.states(), (S{false, false, true, false, false, true})); // idle
    ASSERT_TRUE(create());
    EXPECT_EQ(control.states(), (S{true, false, true, true, false, true})); // file ready
    control.Start();
    EXPECT_EQ(control.states(), (S{false, true, false, false, true, false})); // recording
    EXPECT_TRUE(control.Timer1.isActive());
    EXPECT_TRUE(control.TimerSave.isActive());
    EXPECT_TRUE(control.GridTimer.isActive());
    control.Stop();
    EXPECT_EQ(control.states(), (S{false, false, true, false, false, true})); // stopped
    EXPECT_FALSE(control.Timer1.isActive() || control.TimerSave.isActive()
                 || control.GridTimer.isActive());

    ASSERT_TRUE(create("second.zqr"));
    control.Start();
    shared.link.SessionMode = 0;
    sample(1);
    // Sampling halted: saving runs on, "停止記錄" stays enabled.
    EXPECT_EQ(control.states(), (S{false, false, false, false, true, false}));
    EXPECT_FALSE(control.Timer1.isActive());
    EXPECT_TRUE(control.TimerSave.isActive());
    EXPECT_EQ(dialogs.texts().last(), "   你已經停止了連續測量，記錄停止。   ");

    ASSERT_TRUE(control.OpenPath(dir.filePath("run.zqr"))); // browsing
    EXPECT_EQ(control.states(), (S{false, false, false, false, true, false}));
    EXPECT_EQ(record->ViewMode, 1);
    EXPECT_TRUE(control.TimerSave.isActive()) << "opening leaves a recording running";
}

TEST_F(RecordControlTest, StartRefusesOutsideContinuousSamplingAndWithoutAFile)
{
    shared.link.SessionMode = 1;
    control.Start();
    EXPECT_EQ(dialogs.texts(),
              QStringList{"   要開啟記錄必須在連續測量模式，記錄沒有成功啟動。 "});
    shared.link.SessionMode = 2;
    control.Start();
    EXPECT_EQ(dialogs.texts().last(), "    請建立記錄檔案！    ");
    EXPECT_FALSE(control.Timer1.isActive() || control.TimerSave.isActive());
    EXPECT_EQ(control.states(), RecordCommandStates{});
}

TEST_F(RecordControlTest, SamplesTheChosenQuantitiesAndZeroForCodesWithoutOne)
{
    control.ApplySettings({{0, 1, 6, 11, -1, 13}, 2, 2});
    ASSERT_TRUE(create());
    control.Start();
    MeasurementRecord& m = shared.MeasurementRecord;
    m.IRMS = 4.5f;
    m.UF = 50.02f;
    sample(230.5f);
    sample(231.0f);
    ASSERT_EQ(record->CaptureCount, 2);
    const SampleBuffers& capture = record->CaptureBuffers;
    EXPECT_EQ(capture.channel(0)[1], 231.0f);
    EXPECT_EQ(capture.channel(1)[1], 4.5f);
    EXPECT_EQ(capture.channel(2)[1], 50.02f);
    EXPECT_EQ(capture.channel(3)[1], 0.0f); // a temperature input
    EXPECT_EQ(capture.channel(4)[1], 0.0f); // no list entry chosen
    EXPECT_EQ(capture.channel(5)[1], 0.0f); // no such quantity
    EXPECT_EQ(capture.timestamps()[0], 46366.5);
    EXPECT_EQ(capture.timestamps()[1], 46366.5 + 1 / 86400.0);
}

TEST_F(RecordControlTest, FileKeepsTheCodesOfItsCreationAndStopSavesTheTail)
{
    control.ApplySettings({{0, 0, 0, 0, 0, 0}, 0, 1});
    ASSERT_TRUE(create());
    control.ApplySettings({{1, 1, 1, 1, 1, 1}, 0, 1}); // after creating, before starting
    control.Start();
    shared.MeasurementRecord.IRMS = 2.5f;
    for (int i = 0; i < 10; ++i)
        sample(230);
    control.TimerSaveTimer();
    for (int i = 0; i < 5; ++i)
        sample(230);
    control.Stop(); // between two saves

    const OpenedRecordFile opened = reopen();
    EXPECT_EQ(opened.last, 14);
    EXPECT_EQ(opened.codes, (std::array<std::int32_t, 6>{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(browse->channel(0)[14], 2.5f); // the current quantity is what is sampled
}

TEST_F(RecordControlTest, TheLastSampleFillsTheFileStopsAndIsSaved)
{
    control.ApplySettings({{0, 3, 3, 3, 3, 3}, 2, 2});
    ASSERT_TRUE(create());
    control.Start();
    FillTestSamples(record->CaptureBuffers, 0, kMaxSamples - 3);
    record->CaptureCount = kMaxSamples - 3;
    for (int i = 0; i < 3; ++i)
        sample(99);
    EXPECT_EQ(record->CaptureCount, kMaxSamples);
    EXPECT_FALSE(control.Timer1.isActive() || control.TimerSave.isActive());
    EXPECT_TRUE(control.GridTimer.isActive());
    EXPECT_EQ(dialogs.texts(), QStringList{"   記錄已經超過檔案最大限制，請重新建立檔案.    "});
    EXPECT_EQ(control.states(),
              (RecordCommandStates{false, false, false, false, true, false}));
    control.Timer1Timer(); // a stray tick never writes past the buffers
    EXPECT_EQ(record->CaptureCount, kMaxSamples);

    const OpenedRecordFile opened = reopen();
    EXPECT_EQ(opened.blocks, 450);
    EXPECT_EQ(opened.last, kMaxSamples - 1);
    EXPECT_EQ(browse->channel(0)[kMaxSamples - 1], 99.0f);
    EXPECT_EQ(browse->channel(3)[1000], TestValue(1000, 3));
    EXPECT_EQ(browse->channel(3)[kMaxSamples - 1], 0.0f);
}

TEST_F(RecordControlTest, AFailingSaveIsReportedOnceAndRetriedEachTick)
{
    ASSERT_TRUE(create());
    control.Start();
    sample(1);
    const QString path = dir.filePath("run.zqr");
    ASSERT_TRUE(QFile::rename(path, dir.filePath("aside")));
    for (int i = 0; i < 3; ++i) {
        sample(2);
        control.TimerSaveTimer();
    }
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("找不到檔案：")) << dialogs.texts()[0].toStdString();
    ASSERT_TRUE(QFile::rename(dir.filePath("aside"), path));
    control.TimerSaveTimer();
    EXPECT_EQ(reopen().last, 3);
    ASSERT_TRUE(QFile::remove(path));
    control.TimerSaveTimer();
    EXPECT_EQ(dialogs.messages.size(), 2u) << "a new failure after a success is reported again";
}

TEST_F(RecordControlTest, CreatingDuringARecordingEndsItFirst)
{
    ASSERT_TRUE(create("first.zqr"));
    control.Start();
    for (int i = 0; i < 7; ++i)
        sample(10);
    ASSERT_TRUE(create("second.zqr"));
    EXPECT_FALSE(control.TimerSave.isActive());
    EXPECT_EQ(record->CaptureCount, 0);
    EXPECT_EQ(reopen("first.zqr").last, 6) << "the old file got its final save";
    const QByteArray first = FileBytes(dir.filePath("first.zqr"));

    control.Start();
    for (int i = 0; i < 3; ++i)
        sample(20);
    control.TimerSaveTimer();
    control.Stop();
    EXPECT_EQ(FileBytes(dir.filePath("first.zqr")), first) << "the old file is not written again";
    EXPECT_EQ(reopen("second.zqr").last, 2);
}

TEST_F(RecordControlTest, CreateCancelledDeclinedOrFailingKeepsTheFileInUse)
{
    ASSERT_TRUE(create());
    const QString inUse = record->RecordFileName;
    WriteTestFile(dir.filePath("taken.zqr"), 2, 1500);
    const QByteArray taken = FileBytes(dir.filePath("taken.zqr"));
    record->CaptureCount = 5;

    dialogs.saveAnswer.clear(); // cancelled
    control.CreateFile();
    EXPECT_EQ(record->CaptureCount, 0) << "the reset comes before the dialog";
    EXPECT_TRUE(dialogs.questions.isEmpty());

    dialogs.yesAnswer = false; // declined
    dialogs.saveAnswer = dir.filePath("taken.zqr");
    control.CreateFile();
    EXPECT_EQ(dialogs.questions, QStringList{"檔案存在|  檔案已經存在，是否覆蓋？  "});
    EXPECT_EQ(FileBytes(dir.filePath("taken.zqr")), taken);

    dialogs.saveAnswer = dir.filePath("gone/new.zqr"); // a folder that cannot be written
    control.CreateFile();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("無法建立檔案："));

    EXPECT_TRUE(record->FileReady);
    EXPECT_EQ(record->RecordFileName, inUse);
    EXPECT_EQ(dialogs.filters.first(), "Quorvane記錄檔案(.zqr) (*.zqr)");
}

TEST_F(RecordControlTest, RedrawsAfterSamplesOpeningAndTheDelayedRedrawOnly)
{
    int redraws = 0;
    QObject::connect(&control, &RecordControl::redrawRequested, [&] { ++redraws; });
    ASSERT_TRUE(create());
    control.Start();
    EXPECT_EQ(redraws, 0) << "creating and starting do not draw";
    sample(1);
    EXPECT_EQ(redraws, 1);
    control.TimerSaveTimer();
    control.GridTimerTimer();
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(record->GridShift, 1);
    ASSERT_TRUE(control.OpenPath(dir.filePath("run.zqr")));
    EXPECT_EQ(redraws, 2);
    EXPECT_EQ(record->BrowseLast, 0);
    control.ScrollBar1ChangeTimerTimer();
    EXPECT_EQ(redraws, 3);
    EXPECT_FALSE(control.ScrollBar1ChangeTimer.isActive());
}

TEST_F(RecordControlTest, OpenRefusalsAreReportedAndChangeNothing)
{
    QFile shortFile(dir.filePath("short.zqr"));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(QByteArray(32015, '\1'));
    shortFile.close();
    record->BrowseLast = 77;
    EXPECT_FALSE(control.OpenPath(shortFile.fileName()));
    EXPECT_EQ(record->BrowseLast, 77);
    EXPECT_EQ(record->ViewMode, 0);
    EXPECT_FALSE(record->FileReady);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains("32016"));

    int redraws = 0;
    QObject::connect(&control, &RecordControl::redrawRequested, [&] { ++redraws; });
    control.OpenFile(); // the dialog is cancelled: only a redraw
    EXPECT_EQ(redraws, 1);
}

TEST_F(RecordControlTest, SettingsOutsideTheTablesKeepThePeriodsInUse)
{
    struct Case {
        int step, interval;
        int stepMs, intervalMs;
    };
    for (const Case& c : {Case{-1, 7, 3000, 20000}, Case{11, 5, 30000, 60000},
                          Case{12, -1, 30000, 60000}, Case{0, 0, 1000, 10000}}) {
        control.ApplySettings({{2, 2, 2, 2, 2, 2}, c.step, c.interval});
        EXPECT_EQ(control.Timer1.interval(), c.stepMs) << c.step;
        EXPECT_EQ(control.TimerSave.interval(), c.intervalMs) << c.interval;
        EXPECT_EQ(record->SampleStepMs, c.stepMs);
        EXPECT_EQ(record->SaveIntervalMs, c.intervalMs);
    }
}

} // namespace
