// Capture, start and stop, the save timer, creating and opening record files,
// and the command states they leave, driven through the timer handlers.
#include "recordcontrol.h"
#include "recordfile.h"
#include "recordfixture.h"
#include "recordingdialogs.h"
#include "recordstate.h"
#include "sharedstate.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

namespace {

class RecordControlTest : public ::testing::Test {
protected:
    RecordControlTest()
    {
        InitLinkAndMeasurement(shared);
        shared.link.SessionMode = SessionModeT::ContinuousSampling;
        control.setClock([this] { return now; });
        shared.link.Arrivals.clock = [this] { return nowMs; };
    }

    // Both clocks move on by `ms`.
    void pass(qint64 ms)
    {
        now = now.addMSecs(ms);
        nowMs += ms;
    }

    // Creates `name` in the test folder as the record file.
    bool create(const QString& name = "run.zqr")
    {
        dialogs.saveAnswer = dir.filePath(name);
        control.CreateFile();
        return record->FileReady && record->RecordFileName == dialogs.saveAnswer;
    }

    // A measurement comes in as the dispatcher stores it.
    void measure(float volts)
    {
        shared.MeasurementRecord.URMS = volts;
        shared.link.Arrivals.noteArrival();
    }

    // A fresh measurement with `volts` as the RMS voltage, one sampling tick
    // at once, and a second later.
    void sample(float volts)
    {
        measure(volts);
        control.Timer1Timer();
        pass(1000);
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
    qint64 nowMs = 1'000'000; // the monotonic clock of the measurement arrivals
};

std::array<std::uint8_t, 6> CodeBytesOf(const QByteArray& file, int block)
{
    std::array<std::uint8_t, 6> codes{};
    std::memcpy(codes.data(), file.constData() + qsizetype(block) * kRecordBlockSize + 32000, 6);
    return codes;
}

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
    shared.link.SessionMode = SessionModeT::Idle;
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
    shared.link.SessionMode = SessionModeT::SingleTestPending;
    control.Start();
    EXPECT_EQ(dialogs.texts(), QStringList{"   要開啟記錄必須在連續測量模式，記錄沒有成功啟動。 "});
    shared.link.SessionMode = SessionModeT::ContinuousSampling;
    control.Start();
    EXPECT_EQ(dialogs.texts().last(), "    請建立記錄檔案！    ");
    EXPECT_FALSE(control.Timer1.isActive() || control.TimerSave.isActive());
    EXPECT_EQ(control.states(), RecordCommandStates{});
}

// Outside continuous sampling, "啟動記錄" with a record file offers to start
// sampling: Yes starts it and then the recording, in front of the main
// window; No starts nothing. Without a file, while sampling cannot start, or
// when the command leaves sampling off (a single test took the line), the
// refusal stands as before and nothing is asked.
TEST_F(RecordControlTest, StartOffersToStartContinuousSampling)
{
    const QString refusal = "   要開啟記錄必須在連續測量模式，記錄沒有成功啟動。 ";
    const QString question =
        "記錄|  要開啟記錄必須在連續測量模式。現在開始連續採樣並啟動記錄嗎？  ";
    using Mode = SessionModeT;
    const struct {
        const char* name;
        bool file, available, yes;
        SessionModeT modeAfterCommand;
        bool asked, commandRun, recording;
        QStringList messages;
    } cases[] = {
        {"yes", true, true, true, Mode::ContinuousSampling, true, true, true, {}},
        {"no", true, true, false, Mode::ContinuousSampling, true, false, false, {}},
        {"no file", false, true, true, Mode::ContinuousSampling, false, false, false, {refusal}},
        {"sampling unavailable",
         true,
         false,
         true,
         Mode::ContinuousSampling,
         false,
         false,
         false,
         {refusal}},
        {"sampling did not start",
         true,
         true,
         true,
         Mode::SingleTestPending,
         true,
         true,
         false,
         {refusal}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto state = std::make_unique<RecordState>();
        SharedState link;
        InitLinkAndMeasurement(link);
        RecordingDialogs answers;
        answers.yesAnswer = c.yes;
        RecordControl recording(*state, link, answers);
        if (c.file) {
            answers.saveAnswer = dir.filePath(QString::fromLatin1(c.name) + ".zqr");
            recording.CreateFile();
            ASSERT_TRUE(state->FileReady);
        }
        int commands = 0;
        int shown = 0;
        QObject::connect(&recording, &RecordControl::showRequested, [&] { ++shown; });
        recording.setSamplingStarter({[&] { return c.available; },
                                      [&](const std::function<void()>& started) {
                                          ++commands;
                                          link.link.SessionMode = c.modeAfterCommand;
                                          started();
                                      }});
        recording.Start();
        EXPECT_EQ(answers.questions, c.asked ? QStringList{question} : QStringList{});
        EXPECT_EQ(commands, c.commandRun ? 1 : 0);
        EXPECT_EQ(recording.Timer1.isActive(), c.recording);
        EXPECT_EQ(recording.TimerSave.isActive(), c.recording);
        EXPECT_EQ(recording.states().stopButton, c.recording);
        EXPECT_EQ(shown, c.recording ? 1 : 0);
        EXPECT_EQ(answers.texts(), c.messages);
    }
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

// As the README has it: create the file, then choose the quantities, then
// start. The file names the quantities its samples hold from before the first
// sample on, in every block.
TEST_F(RecordControlTest, FileTakesTheCodesInForceWhenTheRecordingStarts)
{
    control.ApplySettings({{0, 0, 0, 0, 0, 0}, 0, 1});
    ASSERT_TRUE(create());
    EXPECT_EQ(CodeBytesOf(FileBytes(dir.filePath("run.zqr")), 0),
              (std::array<std::uint8_t, 6>{0, 0, 0, 0, 0, 0}));
    // CH1 voltage .. CH6 reactive power, chosen after creating, before starting.
    control.ApplySettings({{0, 1, 6, 7, 10, 4}, 0, 1});
    control.Start();
    const std::array<std::uint8_t, 6> chosen{0, 1, 6, 7, 10, 4};
    QByteArray bytes = FileBytes(dir.filePath("run.zqr"));
    ASSERT_EQ(bytes.size(), qsizetype(kRecordBlockSize));
    EXPECT_EQ(CodeBytesOf(bytes, 0), chosen) << "written before the first sample";
    EXPECT_EQ(CountFieldOf(bytes, 0), 0);

    MeasurementRecord& m = shared.MeasurementRecord;
    m.IRMS = 2.5f;
    m.UF = 50.0f;
    m.PQ = -120.0f;
    for (int i = 0; i < 1010; ++i)
        sample(230);
    control.TimerSaveTimer();
    for (int i = 0; i < 5; ++i)
        sample(231);
    control.Stop(); // between two saves

    bytes = FileBytes(dir.filePath("run.zqr"));
    ASSERT_EQ(bytes.size(), qsizetype(2 * kRecordBlockSize));
    EXPECT_EQ(CodeBytesOf(bytes, 0), chosen);
    EXPECT_EQ(CodeBytesOf(bytes, 1), chosen);
    const OpenedRecordFile opened = reopen();
    EXPECT_EQ(opened.last, 1014);
    EXPECT_EQ(opened.codes, (std::array<std::int32_t, 6>{0, 1, 6, 7, 10, 4}));
    EXPECT_EQ(browse->channel(0)[1014], 231.0f);
    EXPECT_EQ(browse->channel(1)[1014], 2.5f);
    EXPECT_EQ(browse->channel(2)[0], 50.0f);
    EXPECT_EQ(browse->channel(4)[0], 0.0f); // a temperature input
    EXPECT_EQ(browse->channel(5)[0], -120.0f);

    // The recording view's CSV names the quantities of its samples, whatever
    // the settings say after the stop.
    control.ApplySettings({{9, 9, 9, 9, 9, 9}, 0, 1});
    dialogs.saveAnswer = dir.filePath("run.csv");
    control.ExportCsv();
    const QByteArray csv = FileBytes(dir.filePath("run.csv"));
    const QString header = QString::fromUtf8(csv.left(csv.indexOf("\r\n")));
    EXPECT_TRUE(header.contains("CH1 電壓")) << header.toStdString();
    EXPECT_TRUE(header.contains("CH3 頻率")) << header.toStdString();
    EXPECT_TRUE(header.contains("CH6 虛功率")) << header.toStdString();
    EXPECT_FALSE(header.contains("電流THD")) << header.toStdString();
}

// A file with samples is never continued under other codes: starting asks
// for a new file and writes nothing. A start that cannot write the codes does
// not start.
TEST_F(RecordControlTest, StartNeverContinuesAFileWithOtherCodesOrWithoutItsCodes)
{
    control.ApplySettings({{0, 1, 2, 3, 4, 5}, 0, 1});
    ASSERT_TRUE(create());
    control.Start();
    for (int i = 0; i < 3; ++i)
        sample(230);
    control.Stop();
    const QByteArray saved = FileBytes(dir.filePath("run.zqr"));

    control.ApplySettings({{6, 6, 6, 6, 6, 6}, 0, 1});
    control.Start(); // as a command, although the window offers no start here
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains("請先建立新檔"));
    EXPECT_FALSE(control.Timer1.isActive() || control.TimerSave.isActive());
    EXPECT_EQ(FileBytes(dir.filePath("run.zqr")), saved);
    EXPECT_EQ(record->CaptureCount, 3);

    ASSERT_TRUE(create("second.zqr"));
    control.setFileSaver(
        [](const QString&, const SampleBuffers&, std::int32_t, std::int32_t, RecordBlock&) {
            return RecordFileResult{RecordFileFailure::WriteFailed, ENOSPC};
        });
    control.Start();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[1].text.startsWith("寫入記錄檔案失敗："));
    EXPECT_FALSE(control.Timer1.isActive() || control.TimerSave.isActive());
    EXPECT_TRUE(control.states().startButton) << "the user may try again";
}

// The sample after a file's last goes into the next file of its series,
// which the window is told of; the full file has every one of its samples,
// and the recording goes on.
TEST_F(RecordControlTest, AFullFileGoesOnInTheNextFileOfItsSeries)
{
    QSignalSpy files(&control, &RecordControl::recordFileChanged);
    control.ApplySettings({{0, 3, 3, 3, 3, 3}, 2, 2});
    ASSERT_TRUE(create());
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0], (QVariantList{dir.filePath("run.zqr"), 1}));
    control.Start();
    FillTestSamples(record->CaptureBuffers, 0, kMaxSamples - 3);
    record->CaptureCount = kMaxSamples - 3;
    for (int i = 0; i < 4; ++i)
        sample(float(99 + i));
    EXPECT_EQ(record->CaptureCount, 1);
    EXPECT_EQ(record->RecordFileName, dir.filePath("run-0002.zqr"));
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[1], (QVariantList{dir.filePath("run-0002.zqr"), 2}));
    EXPECT_TRUE(control.Timer1.isActive() && control.TimerSave.isActive());
    EXPECT_TRUE(dialogs.texts().isEmpty());
    control.Stop();

    const OpenedRecordFile full = reopen();
    EXPECT_EQ(full.blocks, 450);
    EXPECT_EQ(full.last, kMaxSamples - 1);
    EXPECT_EQ(browse->channel(0)[kMaxSamples - 1], 101.0f);
    EXPECT_EQ(browse->channel(3)[1000], TestValue(1000, 3));
    const double lastTime = browse->timestamps()[kMaxSamples - 1];
    const OpenedRecordFile next = reopen("run-0002.zqr");
    EXPECT_EQ(next.blocks, 1);
    EXPECT_EQ(next.last, 0);
    EXPECT_EQ(next.codes, (std::array<std::int32_t, 6>{0, 3, 3, 3, 3, 3}));
    EXPECT_EQ(browse->channel(0)[0], 102.0f);
    EXPECT_GT(browse->timestamps()[0], lastTime);
}

// Over several files at a lowered capacity, every sample is in exactly one
// file, in order; "打開舊檔" opens any file of the series.
TEST_F(RecordControlTest, NoSampleIsLostOverASeriesAndEachFileOpens)
{
    control.writer().setFileCapacity(4);
    control.ApplySettings({{0, 0, 0, 0, 0, 0}, 2, 2});
    ASSERT_TRUE(create());
    control.Start();
    for (int i = 1; i <= 11; ++i)
        sample(float(i));
    control.Stop();
    float expected = 1;
    for (const char* name : {"run.zqr", "run-0002.zqr", "run-0003.zqr"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(control.OpenPath(dir.filePath(QString::fromUtf8(name))));
        EXPECT_EQ(record->BrowseFileName, dir.filePath(QString::fromUtf8(name)));
        for (std::int32_t i = 0; i <= record->BrowseLast; ++i)
            EXPECT_EQ(record->BrowseBuffers.channel(5)[i], expected++);
    }
    EXPECT_EQ(expected, 12.0f);
    EXPECT_FALSE(QFile::exists(dir.filePath("run-0004.zqr")));
}

// A next file of the series that is there already (an earlier recording's)
// is never overwritten: the recording stops with every sample in the full
// file and says why.
TEST_F(RecordControlTest, ANextFileThatIsThereStopsTheRecordingUntouched)
{
    control.writer().setFileCapacity(3);
    WriteTestFile(dir.filePath("run-0002.zqr"), 1, 500);
    const QByteArray earlier = FileBytes(dir.filePath("run-0002.zqr"));
    control.ApplySettings({{0, 0, 0, 0, 0, 0}, 2, 2});
    ASSERT_TRUE(create());
    control.Start();
    for (int i = 1; i <= 4; ++i)
        sample(float(i));
    EXPECT_FALSE(control.Timer1.isActive() || control.TimerSave.isActive());
    EXPECT_EQ(control.states(), (RecordCommandStates{false, false, true, false, false, true}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(dir.filePath("run-0002.zqr")));
    EXPECT_TRUE(dialogs.messages[0].text.contains("為免覆蓋"));
    EXPECT_EQ(FileBytes(dir.filePath("run-0002.zqr")), earlier);
    control.Timer1Timer(); // a stray tick takes nothing
    EXPECT_EQ(record->CaptureCount, 3);
    EXPECT_EQ(reopen().last, 2);
    EXPECT_EQ(browse->channel(0)[2], 3.0f);
}

// A file that went away, then a device that refuses a few saves: each spell
// is announced once and never waits on the user; every tick saves, and the
// return of saving is announced.
TEST_F(RecordControlTest, FailingSavesAreAnnouncedOnceAndTriedAtEveryTick)
{
    int saves = 0;
    int failuresToCome = 0;
    control.setFileSaver([&](const QString& path, const SampleBuffers& capture, std::int32_t count,
                             std::int32_t savedCount, RecordBlock& assembly) {
        ++saves;
        if (failuresToCome > 0) {
            --failuresToCome;
            return RecordFileResult{RecordFileFailure::WriteFailed, ENOSPC};
        }
        return SaveRecordFile(path, record->RecordFileIdentity, capture, count, savedCount,
                              assembly);
    });
    QSignalSpy failed(&control, &RecordControl::saveFailed);
    QSignalSpy recovered(&control, &RecordControl::saveRecovered);
    control.ApplySettings({{0, 0, 0, 0, 0, 0}, 0, 1});
    ASSERT_TRUE(create());
    control.Start();
    sample(1);
    const QString path = dir.filePath("run.zqr");
    ASSERT_TRUE(QFile::rename(path, dir.filePath("aside")));
    const int savesBefore = saves;
    for (int i = 0; i < 3; ++i) {
        sample(2);
        control.TimerSaveTimer();
    }
    EXPECT_EQ(saves - savesBefore, 3) << "every tick tries";
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed[0][0].value<RecordFileResult>().failure, RecordFileFailure::Missing);
    EXPECT_TRUE(RecordFileFailureText(failed[0][0].value<RecordFileResult>(), path)
                    .startsWith("找不到檔案："));
    EXPECT_TRUE(recovered.isEmpty());
    ASSERT_TRUE(QFile::rename(dir.filePath("aside"), path));
    control.TimerSaveTimer();
    EXPECT_EQ(recovered.size(), 1);
    EXPECT_EQ(reopen().last, 3);

    // A full disk for five ticks, then room again.
    failuresToCome = 5;
    const int savesAtFailure = saves;
    for (int i = 0; i < 8; ++i) {
        sample(float(10 + i));
        control.TimerSaveTimer();
    }
    EXPECT_EQ(saves - savesAtFailure, 8);
    EXPECT_EQ(failed.size(), 2) << "a new spell is announced again, once";
    EXPECT_EQ(failed[1][0].value<RecordFileResult>().errorNumber, ENOSPC);
    EXPECT_EQ(recovered.size(), 2);
    EXPECT_EQ(reopen().last, 11);
    EXPECT_EQ(browse->channel(0)[11], 17.0f);
    EXPECT_TRUE(dialogs.messages.empty()) << "nothing modal while recording";

    // Stopping in a spell: the stop's save fails as well and still does not block.
    failuresToCome = 1;
    sample(30);
    control.TimerSaveTimer();
    control.Stop();
    EXPECT_EQ(failed.size(), 3);
    EXPECT_EQ(recovered.size(), 3) << "the stop's save got through";
    EXPECT_EQ(reopen().last, 12);
    EXPECT_TRUE(dialogs.messages.empty());
}

// Stale measurements are not recorded. Each case: the sampling step, the
// measurement cycle of the line, and the age of the newest measurement at
// the tick; a tick takes a sample while that age is below twice the larger
// of step and cycle.
TEST_F(RecordControlTest, ATickSamplesOnlyWhileMeasurementsAreArriving)
{
    struct Case {
        int stepIndex;
        qint64 cycleMs;
        qint64 ageMs;
        bool sampled;
    };
    const Case cases[] = {
        {2, 300, 0, true},      {2, 300, 5999, true},   {2, 300, 6000, false},
        {0, 300, 1999, true},   {0, 300, 2000, false},  {0, 2700, 5399, true},
        {0, 2700, 5400, false}, {11, 300, 59999, true}, {11, 300, 60000, false},
        {0, 5500, 10999, true}, {9, 5500, 19999, true}, {9, 5500, 20000, false},
    };
    for (const Case& c : cases) {
        control.ApplySettings({{0, 0, 0, 0, 0, 0}, c.stepIndex, 1});
        ASSERT_TRUE(create());
        control.Start();
        shared.link.Arrivals.lastMs = -1;
        measure(1);
        pass(c.cycleMs);
        measure(2);
        pass(c.ageMs);
        control.Timer1Timer();
        EXPECT_EQ(record->CaptureCount, c.sampled ? 1 : 0)
            << "step " << record->SampleStepMs << " cycle " << c.cycleMs << " age " << c.ageMs;
        EXPECT_EQ(control.waitingForInstrument(), !c.sampled);
    }

    // No measurement at all since the program started.
    SharedState fresh;
    InitLinkAndMeasurement(fresh);
    fresh.link.SessionMode = SessionModeT::ContinuousSampling;
    RecordControl other(*record, fresh, dialogs);
    dialogs.saveAnswer = dir.filePath("other.zqr");
    other.CreateFile();
    other.Start();
    other.Timer1Timer();
    EXPECT_EQ(record->CaptureCount, 0);
    EXPECT_TRUE(other.waitingForInstrument());
}

// The instrument falls silent for 60 s during a recording at a 1 s step with
// measurements every 300 ms: the last measurement is recorded once and no
// tick after it takes a sample; the recording says once that it waits, and
// goes on when measurements come again.
TEST_F(RecordControlTest, ASilentInstrumentIsWaitedForAndNotRecorded)
{
    QSignalSpy waiting(&control, &RecordControl::waitingForInstrumentChanged);
    control.ApplySettings({{0, 0, 0, 0, 0, 0}, 0, 1});
    ASSERT_TRUE(create());
    control.Start();
    for (int t = 0; t < 10'000; t += 100) { // 10 s of measurements and ticks
        if (t % 300 == 0)
            measure(float(t));
        if (t % 1000 == 0)
            control.Timer1Timer();
        pass(100);
    }
    const std::int32_t beforeSilence = record->CaptureCount;
    EXPECT_EQ(beforeSilence, 10);
    for (int t = 0; t < 60'000; t += 100) { // silence
        if (t % 1000 == 0)
            control.Timer1Timer();
        pass(100);
    }
    EXPECT_EQ(record->CaptureCount - beforeSilence, 1) << "the last measurement, once";
    ASSERT_EQ(waiting.size(), 1);
    EXPECT_TRUE(waiting[0][0].toBool());
    EXPECT_TRUE(control.TimerSave.isActive() && control.Timer1.isActive());

    const std::int32_t beforeReturn = record->CaptureCount;
    measure(500);
    control.Timer1Timer();
    EXPECT_EQ(record->CaptureCount, beforeReturn + 1);
    EXPECT_EQ(record->CaptureBuffers.channel(0)[beforeReturn], 500.0f);
    ASSERT_EQ(waiting.size(), 2);
    EXPECT_FALSE(waiting[1][0].toBool());
}

// Faults on the line: every fifth measurement is lost and asked for again
// 2 s later. At a step longer than the cycle no measurement is recorded twice.
TEST_F(RecordControlTest, ALostMeasurementIsNotRecordedTwice)
{
    control.ApplySettings({{0, 0, 0, 0, 0, 0}, 0, 1}); // 1 s
    ASSERT_TRUE(create());
    control.Start();
    qint64 next = 0;
    int arrival = 0;
    int ticksWithANewMeasurement = 0;
    int arrivalAtLastTick = 0;
    for (qint64 t = 0; t < 120'000; t += 100) {
        if (t == next) {
            measure(float(++arrival));
            next += arrival % 5 == 4 ? 2300 : 300;
        }
        if (t % 1000 == 0) {
            ticksWithANewMeasurement += arrival != arrivalAtLastTick;
            arrivalAtLastTick = arrival;
            control.Timer1Timer();
        }
        pass(100);
    }
    const float* volts = record->CaptureBuffers.channel(0);
    int repeated = 0;
    for (std::int32_t i = 1; i < record->CaptureCount; ++i)
        repeated += volts[i] == volts[i - 1];
    EXPECT_EQ(repeated, 0);
    EXPECT_EQ(record->CaptureCount, ticksWithANewMeasurement);
    EXPECT_FALSE(control.waitingForInstrument());
}

// A step shorter than the measurement cycle records at its step, repeating
// measurements, and says so once per recording; a cycle measured across a
// pause of continuous sampling before the start does not count.
TEST_F(RecordControlTest, AStepShorterThanTheCycleRepeatsMeasurementsAndSaysSoOnce)
{
    QSignalSpy repeats(&control, &RecordControl::samplesRepeatMeasurements);
    control.ApplySettings({{0, 0, 0, 0, 0, 0}, 0, 1}); // 1 s
    ASSERT_TRUE(create());
    measure(1);
    pass(300'000); // sampling paused five minutes, then started again
    measure(2);
    pass(2700);
    control.Start();
    for (int t = 0; t < 30'000; t += 100) { // a slow line: a measurement every 2.7 s
        if (t % 2700 == 0)
            measure(float(t));
        if (t % 1000 == 0)
            control.Timer1Timer();
        pass(100);
    }
    EXPECT_EQ(record->CaptureCount, 30) << "every step took its sample";
    EXPECT_FALSE(control.waitingForInstrument());
    ASSERT_EQ(repeats.size(), 1);
    EXPECT_EQ(repeats[0][0].toInt(), 1000);
    EXPECT_EQ(repeats[0][1].toLongLong(), 2700);
    control.Stop();

    // At a step longer than the cycle nothing is said.
    control.ApplySettings({{0, 0, 0, 0, 0, 0}, 4, 1}); // 5 s
    ASSERT_TRUE(create("second.zqr"));
    control.Start();
    for (int t = 0; t < 30'000; t += 100) {
        if (t % 2700 == 0)
            measure(float(t));
        if (t % 5000 == 0)
            control.Timer1Timer();
        pass(100);
    }
    EXPECT_EQ(record->CaptureCount, 6);
    EXPECT_EQ(repeats.size(), 1);
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
