// Recording in the whole program against the simulated instrument: create a
// record file, record, stop, reopen; a record file on the command line; the
// tail of a recording when the program closes. The sampling and save timers
// are driven through their handlers.
#include "commandline.h"
#include "eventwait.h"
#include "programrig.h"
#include "quitsignals.h"
#include "recordcontrol.h"
#include "recordfile.h"
#include "recordingdialogs.h"
#include "recordstate.h"
#include "sharedstate.h"
#include "simulatedinstrument.h"
#include "tmainform.h"
#include "trecordform.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

class RecordingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(simulator.start());
        writeSettings(7);
    }

    // The line at the rate of entry `baudIndex` of the baud-rate list.
    void writeSettings(int baudIndex)
    {
        ASSERT_TRUE(WriteWholeFile(
            dir.filePath("SysSet.ini"),
            PortSettings(QByteArray::fromStdString(simulator.devicePath()), baudIndex, 5,
                         "[RecordSet]\nCh0=0\nCh1=1\nCh2=2\nCh3=6\nCh4=7\nCh5=10\n")));
    }

    std::unique_ptr<Program> start(const QStringList& arguments = {})
    {
        return StartProgram(dir.path(), dialogs, arguments);
    }

    // Synchronised, continuous sampling running, a first measurement shown.
    void sampleContinuously(Program& program)
    {
        TMainForm& form = program.MainForm();
        ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "狀態：已跟儀器同步"; }, 10000));
        int stored = 0;
        // Gone with this function's frame: measurements go on coming after it.
        auto counting = QObject::connect(
            &program.Dispatcher(), &ResponseDispatcher::measurementStored, [&stored] { ++stored; });
        form.SeSkinSpeedButton8->click();
        const bool measured = WaitUntil([&] { return stored >= 2; }, 10000);
        QObject::disconnect(counting);
        ASSERT_TRUE(measured);
    }

    // One sampling tick after a fresh measurement; returns the voltage sampled.
    float tickAfterAMeasurement(Program& program)
    {
        int stored = 0;
        auto connection = QObject::connect(
            &program.Dispatcher(), &ResponseDispatcher::measurementStored, [&stored] { ++stored; });
        EXPECT_TRUE(WaitUntil([&] { return stored >= 1; }, 5000));
        QObject::disconnect(connection);
        const float volts = program.State().MeasurementRecord.URMS;
        program.Recording().Timer1Timer();
        return volts;
    }

    QTemporaryDir dir;
    SimulatedInstrument simulator;
    RecordingDialogs dialogs;
};

TEST_F(RecordingTest, RecordsTheInstrumentsValuesAndReopensTheFile)
{
    auto program = start();
    sampleContinuously(*program);
    TRecordForm& window = program->RecordForm();
    for (QAction* item : program->MainForm().findChildren<QAction*>())
        if (item->text() == "記錄 ")
            item->trigger();
    EXPECT_TRUE(window.isVisible());

    dialogs.saveAnswer = dir.filePath("bench.zqr");
    window.tools->SeSkinSpeedButton12->click();
    window.tools->SeSkinSpeedButton5->click();
    ASSERT_TRUE(program->Recording().Timer1.isActive());
    std::vector<float> volts;
    volts.reserve(5);
    for (int i = 0; i < 4; ++i)
        volts.push_back(tickAfterAMeasurement(*program));
    program->Recording().TimerSaveTimer();
    volts.push_back(tickAfterAMeasurement(*program));
    window.tools->SeSkinSpeedButton6->click(); // the fifth sample comes with the stop

    dialogs.openAnswer = dialogs.saveAnswer;
    window.tools->SeSkinSpeedButton1->click();
    const RecordState& record = program->Record();
    ASSERT_EQ(record.BrowseLast, 4);
    EXPECT_EQ(window.statusText(5), "模式：查閱");
    EXPECT_EQ(record.BrowseChannelCodes, (std::array<std::int32_t, 6>{0, 1, 2, 6, 7, 10}));
    for (int i = 0; i < 5; ++i) {
        EXPECT_GT(volts[i], 100.0f);
        EXPECT_EQ(record.BrowseBuffers.channel(0)[i], volts[i]) << i;
        EXPECT_EQ(record.BrowseBuffers.channel(5)[i], 0.0f) << "a temperature input";
        if (i > 0) {
            EXPECT_GT(record.BrowseBuffers.timestamps()[i],
                      record.BrowseBuffers.timestamps()[i - 1]);
        }
    }
    EXPECT_GT(record.BrowseBuffers.channel(3)[4], 45.0f); // frequency
    EXPECT_TRUE(dialogs.messages.empty());
}

// The README's order: create the file, choose the quantities, start. The
// file's code bytes are those of its samples, and so are the captions of the
// reopened file.
TEST_F(RecordingTest, TheReadmeOrderLabelsTheFileWithTheQuantitiesRecorded)
{
    auto program = start();
    sampleContinuously(*program);
    TRecordForm& window = program->RecordForm();
    dialogs.saveAnswer = dir.filePath("readme.zqr");
    window.tools->SeSkinSpeedButton12->click();
    // "記錄設置": CH1 電壓 .. CH6 虛功率.
    program->Recording().ApplySettings({{0, 6, 1, 2, 3, 4}, 0, 0});
    window.tools->SeSkinSpeedButton5->click();
    std::vector<float> hertz;
    for (int i = 0; i < 3; ++i) {
        tickAfterAMeasurement(*program);
        hertz.push_back(program->State().MeasurementRecord.UF);
    }
    window.tools->SeSkinSpeedButton6->click();

    QFile file(dialogs.saveAnswer);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), qsizetype(kRecordBlockSize));
    EXPECT_EQ(bytes.mid(32000, 6), QByteArray("\x00\x06\x01\x02\x03\x04", 6));
    dialogs.openAnswer = dialogs.saveAnswer;
    window.tools->SeSkinSpeedButton1->click();
    EXPECT_EQ(window.channelCaption(1), "頻率");
    EXPECT_EQ(window.channelCaption(5), "虛功率");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(program->Record().BrowseBuffers.channel(1)[i], hertz[i]) << i;
    EXPECT_TRUE(dialogs.messages.empty());
}

// The instrument falls silent (it answers nothing more, as the simulator's
// --silent-after does) during a recording at a 1 s step; a minute of ticks
// follows, the clock of the measurements moved on a second per tick.
TEST_F(RecordingTest, ASilentInstrumentIsNotRecordedAndTheWindowSaysItWaits)
{
    auto program = start();
    sampleContinuously(*program);
    qint64 ahead = 0;
    MeasurementArrivals& arrivals = program->State().link.Arrivals;
    arrivals.clock = [real = arrivals.clock, &ahead] { return real() + ahead; };
    RecordControl& recording = program->Recording();
    dialogs.saveAnswer = dir.filePath("silence.zqr");
    recording.CreateFile();
    recording.ApplySettings({{0, 0, 0, 0, 0, 0}, 0, 0});
    recording.Start();
    recording.Timer1.stop(); // the test takes the steps
    for (int i = 0; i < 3; ++i)
        tickAfterAMeasurement(*program);
    ASSERT_EQ(program->Record().CaptureCount, 3);

    simulator.injectFault(SimulatedInstrument::Fault::Silent);
    ASSERT_TRUE(WaitUntil(
        [&] { return simulator.faultsApplied(SimulatedInstrument::Fault::Silent) >= 1; }));
    const std::int32_t beforeSilence = program->Record().CaptureCount;
    for (int second = 0; second < 60; ++second) {
        ahead += 1000;
        QCoreApplication::processEvents();
        recording.Timer1Timer();
    }
    const std::int32_t duringSilence = program->Record().CaptureCount - beforeSilence;
    std::printf("samples recorded in 60 s of silence at a 1 s step: %d\n", int(duringSilence));
    EXPECT_LE(duringSilence, 2);
    EXPECT_TRUE(recording.waitingForInstrument());
    EXPECT_TRUE(program->RecordForm().noticeText().startsWith("記錄等待儀器："));
    recording.TimerSaveTimer();
    recording.Stop();
    auto browse = std::make_unique<SampleBuffers>();
    OpenedRecordFile opened;
    ASSERT_TRUE(OpenRecordFile(dialogs.saveAnswer, *browse, opened).ok());
    EXPECT_EQ(opened.last + 1, beforeSilence + duringSilence);
    EXPECT_TRUE(dialogs.messages.empty());
}

// At 9600 bit/s a measurement takes longer than the 1 s step: every tick still
// samples, repeating measurements, and the window says so once.
TEST_F(RecordingTest, ASlowLineRecordsAtTheStepAndWarnsOfRepeatedMeasurements)
{
    writeSettings(1);
    auto program = start();
    sampleContinuously(*program);
    RecordControl& recording = program->Recording();
    QSignalSpy repeats(&recording, &RecordControl::samplesRepeatMeasurements);
    dialogs.saveAnswer = dir.filePath("slow.zqr");
    recording.CreateFile();
    recording.ApplySettings({{0, 0, 0, 0, 0, 0}, 0, 0});
    recording.Start();
    recording.Timer1.stop(); // the test takes the steps
    for (int i = 0; i < 3; ++i) {
        tickAfterAMeasurement(*program);
        recording.Timer1Timer(); // the next step, before the next measurement
    }
    EXPECT_EQ(program->Record().CaptureCount, 6);
    EXPECT_FALSE(recording.waitingForInstrument());
    ASSERT_EQ(repeats.size(), 1);
    const qint64 cycleMs = repeats[0][1].toLongLong();
    std::printf("measurement cycle at 9600 bit/s: %lld ms\n", static_cast<long long>(cycleMs));
    EXPECT_GT(cycleMs, 1000);
    EXPECT_TRUE(
        program->RecordForm().noticeText().startsWith("注意：採樣步長 1 秒短於儀器的測量週期"));
    recording.Stop();
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RecordingTest, StoppingContinuousSamplingHaltsTheRecording)
{
    auto program = start();
    sampleContinuously(*program);
    dialogs.saveAnswer = dir.filePath("halt.zqr");
    program->Recording().CreateFile();
    program->Recording().Start();
    tickAfterAMeasurement(*program);
    program->MainForm().SeSkinSpeedButton9->click();
    ASSERT_TRUE(WaitUntil(
        [&] { return program->State().link.SessionMode != SessionModeT::ContinuousSampling; }));
    program->Recording().Timer1Timer();
    EXPECT_EQ(dialogs.texts(), QStringList{"   你已經停止了連續測量，記錄停止。   "});
    EXPECT_FALSE(program->Recording().Timer1.isActive());
    EXPECT_TRUE(program->Recording().TimerSave.isActive());
    EXPECT_TRUE(program->RecordForm().stopItem->isEnabled());
    EXPECT_FALSE(program->RecordForm().tools->SeSkinSpeedButton6->isEnabled());
}

TEST_F(RecordingTest, ClosingTheProgramMidRecordingKeepsTheTail)
{
    auto program = start();
    sampleContinuously(*program);
    dialogs.saveAnswer = dir.filePath("tail.zqr");
    program->Recording().CreateFile();
    program->Recording().Start();
    for (int i = 0; i < 3; ++i)
        tickAfterAMeasurement(*program);
    // SIGTERM ends the program through the main window's close.
    CloseOnQuitSignals(&program->MainForm());
    std::raise(SIGTERM);
    auto browse = std::make_unique<SampleBuffers>();
    OpenedRecordFile opened;
    ASSERT_TRUE(WaitUntil([&] {
        return OpenRecordFile(dialogs.saveAnswer, *browse, opened).ok() && opened.last == 2;
    }));
}

TEST_F(RecordingTest, ARecordFileOnTheCommandLineOpensInTheBrowsingView)
{
    const QString path = dir.filePath("earlier run.zqr");
    {
        auto capture = std::make_unique<SampleBuffers>();
        for (int i = 0; i < 1200; ++i) {
            capture->channel(0)[i] = 220.0f + i;
            capture->timestamps()[i] = 46366.5 + i / 86400.0;
        }
        auto block = std::make_unique<RecordBlock>();
        block->Codes = {0, 1, 2, 3, 4, 5};
        block->Count = 0;
        const RecordFileResult created = CreateRecordFile(path, *block);
        ASSERT_TRUE(created.ok());
        ASSERT_TRUE(SaveRecordFile(path, created.created.identity, *capture, 1200, 0, *block).ok());
    }
    auto program = start({path});
    ASSERT_TRUE(WaitUntil([&] { return program->Record().ViewMode == 1; }, 3000));
    EXPECT_TRUE(program->RecordForm().isVisible());
    EXPECT_EQ(program->Record().BrowseLast, 1199);
    EXPECT_EQ(program->Record().BrowseBuffers.channel(0)[1199], 1419.0f);
    EXPECT_EQ(program->RecordForm().channelCaption(3), "視在功率");
    EXPECT_EQ(program->RecordForm().statusText(5), "模式：查閱");
    EXPECT_FALSE(program->RecordForm().tools->SeSkinSpeedButton4->isEnabled());
}

TEST_F(RecordingTest, AnUnreadableCommandLineFileIsReportedAndTheProgramRunsOn)
{
    auto program = start({dir.filePath("missing.zqr")});
    ASSERT_TRUE(WaitUntil([&] { return !dialogs.messages.empty(); }, 3000));
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("找不到檔案："));
    EXPECT_EQ(program->Record().ViewMode, 0);
    EXPECT_TRUE(program->RecordForm().isVisible());
}

// A record file named with bytes that are not UTF-8 and an extension in
// mixed case, as a file manager hands it on: the record window opens it.
TEST_F(RecordingTest, ACommandLineRecordFileIsOpenedByTheBytesOfItsName)
{
    const QString plain = dir.filePath("plain.zqr");
    {
        auto capture = std::make_unique<SampleBuffers>();
        for (int i = 0; i < 30; ++i)
            capture->channel(0)[i] = 5.0f + i;
        auto block = std::make_unique<RecordBlock>();
        block->Codes = {0, 1, 2, 3, 4, 5};
        block->Count = 0;
        const RecordFileResult created = CreateRecordFile(plain, *block);
        ASSERT_TRUE(created.ok());
        ASSERT_TRUE(SaveRecordFile(plain, created.created.identity, *capture, 30, 0, *block).ok());
    }
    const QByteArray name = QFile::encodeName(dir.path()) + "/r\xe9sultat \xff.zQr";
    ASSERT_EQ(::rename(QFile::encodeName(plain).constData(), name.constData()), 0);
    // QTemporaryDir cannot remove a name that is no UTF-8: it goes by its bytes.
    const auto removeByBytes = qScopeGuard([&name] { ::unlink(name.constData()); });
    const char* argv[] = {"qpa3600", name.constData()};
    auto program = start(ArgumentsFromBytes(2, argv));
    ASSERT_TRUE(WaitUntil(
        [&] { return program->Record().ViewMode == 1 || !dialogs.messages.empty(); }, 3000));
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(program->Record().BrowseLast, 29);
    EXPECT_EQ(program->Record().BrowseBuffers.channel(0)[29], 34.0f);
}

} // namespace
