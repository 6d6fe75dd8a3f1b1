// Recording in the whole program against the simulated instrument: create a
// record file, record, stop, reopen; a record file on the command line; the
// tail of a recording when the program closes. The sampling and save timers
// are driven through their handlers.
#include "commandline.h"
#include "eventwait.h"
#include "program.h"
#include "quitsignals.h"
#include "recordcontrol.h"
#include "recordfile.h"
#include "recordingdialogs.h"
#include "recordstate.h"
#include "simulatedinstrument.h"
#include "tmainform.h"
#include "trecordform.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

class RecordingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(simulator.start());
        QFile settings(dir.filePath("SysSet.ini"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[CommPort]\nPort=150\n[CommBaudrate]\nBaudrate=7\n[CommAddress]\nAddress=5\n"
                       "[RecordSet]\nCh0=0\nCh1=1\nCh2=2\nCh3=6\nCh4=7\nCh5=10\n"
                       "[PortMap]\nCOM150=" +
                       QByteArray::fromStdString(simulator.devicePath()) + "\n");
    }

    std::unique_ptr<Program> start(QStringList arguments = {})
    {
        ProgramOptions options;
        options.settingsFolder = dir.path();
        options.programFolder = dir.path();
        options.arguments = arguments;
        return std::make_unique<Program>(options, &dialogs);
    }

    // Synchronised, continuous sampling running, a first measurement shown.
    void sampleContinuously(Program& program)
    {
        TMainForm& form = program.MainForm();
        ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "狀態：已跟儀器同步"; }, 10000));
        int stored = 0;
        QObject::connect(&program.Dispatcher(), &ResponseDispatcher::measurementStored,
                         [&stored] { ++stored; });
        form.SeSkinSpeedButton8->click();
        ASSERT_TRUE(WaitUntil([&] { return stored >= 2; }, 10000));
    }

    // One sampling tick after a fresh measurement; returns the voltage sampled.
    float tickAfterAMeasurement(Program& program)
    {
        int stored = 0;
        auto connection = QObject::connect(&program.Dispatcher(),
                                           &ResponseDispatcher::measurementStored,
                                           [&stored] { ++stored; });
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
    window.SeSkinSpeedButton12->click();
    window.SeSkinSpeedButton5->click();
    ASSERT_TRUE(program->Recording().Timer1.isActive());
    std::vector<float> volts;
    for (int i = 0; i < 4; ++i)
        volts.push_back(tickAfterAMeasurement(*program));
    program->Recording().TimerSaveTimer();
    volts.push_back(tickAfterAMeasurement(*program));
    window.SeSkinSpeedButton6->click(); // the fifth sample comes with the stop

    dialogs.openAnswer = dialogs.saveAnswer;
    window.SeSkinSpeedButton1->click();
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

TEST_F(RecordingTest, StoppingContinuousSamplingHaltsTheRecording)
{
    auto program = start();
    sampleContinuously(*program);
    dialogs.saveAnswer = dir.filePath("halt.zqr");
    program->Recording().CreateFile();
    program->Recording().Start();
    tickAfterAMeasurement(*program);
    program->MainForm().SeSkinSpeedButton9->click();
    ASSERT_TRUE(WaitUntil([&] { return program->State().link.SessionMode != 2; }));
    program->Recording().Timer1Timer();
    EXPECT_EQ(dialogs.texts(), QStringList{"   你已經停止了連續測量，記錄停止。   "});
    EXPECT_FALSE(program->Recording().Timer1.isActive());
    EXPECT_TRUE(program->Recording().TimerSave.isActive());
    EXPECT_TRUE(program->RecordForm().stopItem->isEnabled());
    EXPECT_FALSE(program->RecordForm().SeSkinSpeedButton6->isEnabled());
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
    EXPECT_FALSE(program->RecordForm().SeSkinSpeedButton4->isEnabled());
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
    const char* argv[] = {"qpa3600", name.constData()};
    auto program = start(ArgumentsFromBytes(2, argv));
    ASSERT_TRUE(WaitUntil([&] { return program->Record().ViewMode == 1 || !dialogs.messages.empty(); }, 3000));
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(program->Record().BrowseLast, 29);
    EXPECT_EQ(program->Record().BrowseBuffers.channel(0)[29], 34.0f);
}

} // namespace
