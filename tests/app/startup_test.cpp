// The whole program, started as a user starts it, against the simulated
// instrument on a pseudo-terminal.
#include "commandline.h"
#include "eventwait.h"
#include "instrumentforms.h"
#include "instrumentlink.h"
#include "linkstate.h"
#include "linkstatus.h"
#include "measurementarea.h"
#include "measurementrecord.h"
#include "measurementtime.h"
#include "programrig.h"
#include "recordingdialogs.h"
#include "simulatedinstrument.h"
#include "tcommform.h"
#include "tmainform.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <sys/stat.h>

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(simulator.start());
        ASSERT_TRUE(
            WriteWholeFile(dir.filePath("SysSet.ini"),
                           PortSettings(QByteArray::fromStdString(simulator.devicePath()))));
    }

    std::unique_ptr<Program> start(const QStringList& arguments = {})
    {
        return StartProgram(dir.path(), dialogs, arguments);
    }

    QTemporaryDir dir;
    SimulatedInstrument simulator;
    RecordingDialogs dialogs;
};

TEST_F(StartupTest, ConnectsToTheSavedPortAndSynchronisesWithTheInstrument)
{
    auto program = start();
    TMainForm& form = program->MainForm();
    ASSERT_TRUE(simulator.waitForRequests(1, 5000));
    const auto first = simulator.receivedRequests().front();
    EXPECT_EQ(first, (std::vector<std::uint8_t>{5, 3, 0, 128, 0, 2, first[6], first[7]}));

    ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "狀態：已跟儀器同步"; }, 10000))
        << form.statusText(0).toStdString();
    EXPECT_EQ(program->State().link.SyncStep, 9);
    std::vector<int> registers;
    for (const auto& request : simulator.receivedRequests())
        registers.push_back(request[3]);
    EXPECT_EQ(registers, (std::vector<int>{128, 118, 119, 120, 121, 122, 123, 124, 125, 126}));
    EXPECT_TRUE(form.SeSkinSpeedButton7->isEnabled());
    EXPECT_TRUE(form.SeSkinSpeedButton8->isEnabled());
    EXPECT_FALSE(form.SeSkinSpeedButton9->isEnabled());
    EXPECT_TRUE(dialogs.messages.empty());

    // The appearance window's creation restored (and, at a first start, wrote)
    // the chart colours.
    EXPECT_EQ(program->State().ChartBackColor, 0xFFEEEEEEu);
    EXPECT_EQ(program->State().ChartGridColor, 0xFFAAAAAAu);
    EXPECT_EQ(program->SysSet().ReadString("skinSet", "Skin", ""), "2");
}

// A request of the link that did not go out is worded by the main window
// when nobody asked for it in a window; the alarm and logging windows and the
// connection word the starts of their own chains.
TEST(MainWindowSendFailure, WordsTheRequestsNoWindowAskedFor)
{
    const QString text = "提取數據失敗，請檢查是否已經連接儀器！   ";
    const struct {
        const char* name;
        LinkChain chain;
        std::uint8_t reg;
        ReadBackStart start;
        bool worded;
    } cases[] = {
        {"a run's measurement", LinkChain::Measurement, 148, ReadBackStart::PortOpened, true},
        {"a read-back step", LinkChain::ReadBack, 118, ReadBackStart::UserRequest, true},
        {"the last read-back step", LinkChain::ReadBack, 126, ReadBackStart::UserRefresh, true},
        {"the read-back after the device came back", LinkChain::ReadBack, 128,
         ReadBackStart::LinkRestored, true},
        {"the read-back on opening the port", LinkChain::ReadBack, 128, ReadBackStart::PortOpened,
         false},
        {"the alarm window's read-back", LinkChain::ReadBack, 128, ReadBackStart::UserRequest,
         false},
        {"the alarm window's read again", LinkChain::ReadBack, 128, ReadBackStart::UserRefresh,
         false},
        {"the write-back", LinkChain::WriteBack, 118, ReadBackStart::PortOpened, false},
        {"the log's arm", LinkChain::LogArm, 147, ReadBackStart::PortOpened, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SendFailure failure;
        failure.chain = c.chain;
        failure.reg = c.reg;
        failure.start = c.start;
        EXPECT_EQ(TMainForm::SendFailureMessage(failure), c.worded ? text : QString());
    }
}

TEST_F(StartupTest, ASingleTestOnAClosedPortIsWordedOnceByTheMainWindow)
{
    auto program = start();
    TMainForm& form = program->MainForm();
    ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "狀態：已跟儀器同步"; }, 10000));
    program->Comm1().setPortOpen(false);
    form.SeSkinSpeedButton7->click();
    EXPECT_EQ(dialogs.texts(), QStringList{"提取數據失敗，請檢查是否已經連接儀器！   "});
    EXPECT_EQ(program->State().link.SessionMode, SessionModeT::SingleTestPending);
}

TEST_F(StartupTest, SingleAndContinuousShowLiveValues)
{
    auto program = start();
    TMainForm& form = program->MainForm();
    ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "狀態：已跟儀器同步"; }, 10000));

    form.SeSkinSpeedButton7->click();
    ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "提取數據成功"; }, 5000));
    EXPECT_GT(program->State().MeasurementRecord.URMS, 100.0f);
    EXPECT_TRUE(program->Display().panelText(PanelId::Panel_URMS).endsWith("V"));
    EXPECT_TRUE(program->Display().panelText(PanelId::Panel_UF).startsWith("5"));
    EXPECT_TRUE(form.statusText(4).startsWith("提取時間"));
    EXPECT_TRUE(form.SeSkinSpeedButton7->isEnabled());

    form.SeSkinSpeedButton8->click();
    const std::size_t before = simulator.requestCount();
    ASSERT_TRUE(WaitUntil([&] { return simulator.requestCount() >= before + 4; }, 10000));
    EXPECT_FALSE(form.C1->isEnabled());
    EXPECT_TRUE(form.N14->isEnabled());
    form.SeSkinSpeedButton9->click();
    ASSERT_TRUE(WaitUntil([&] { return !program->Dispatcher().awaitingAnswer(); }));
    RunEventLoopFor(400);
    const std::size_t stopped = simulator.requestCount();
    RunEventLoopFor(400);
    EXPECT_EQ(simulator.requestCount(), stopped);
    EXPECT_TRUE(form.C1->isEnabled());
}

TEST_F(StartupTest, CommunicationWindowShowsTheRestoredLinkAndFiltersTheAddress)
{
    auto program = start();
    TCommForm& window = program->CommForm();
    EXPECT_EQ(window.windowTitle(), "通訊設置");
    EXPECT_EQ(window.ComboBox1->count(), 8);
    EXPECT_EQ(window.ComboBox1->itemText(5), "57,6Kbps");
    EXPECT_EQ(window.ComboBox1->currentIndex(), 7);
    EXPECT_EQ(window.Edit1->text(), "5");
    QAbstractButton* saved = window.RadioGroup2->checkedButton();
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->text(), "COM150    ");

    window.Edit1->setFocus();
    window.Edit1->end(false);
    QTest::keyClicks(window.Edit1, "x7-");
    EXPECT_EQ(window.Edit1->text(), "57");
    EXPECT_NE(window.Edit1->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(program->State().link.InstrumentAddress, 57);
    QTest::keyClick(window.Edit1, Qt::Key_Backspace);
    QTest::keyClicks(window.Edit1, "0");
    EXPECT_EQ(program->State().link.InstrumentAddress, 50);
    EXPECT_EQ(program->SysSet().ReadString("CommAddress", "Address", ""), "50");
    window.Edit1->clear();
    EXPECT_EQ(window.Edit1->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(program->SysSet().ReadString("CommAddress", "Address", ""), "50");
}

TEST_F(StartupTest, RecordFileOnTheCommandLineIsHandedOnAfterASecond)
{
    auto program = start({"/data/run 1.Zqr"});
    EXPECT_TRUE(program->State().link.OpenedWithFile);
    EXPECT_EQ(program->State().CommandLineFile, "/data/run 1.Zqr");
    EXPECT_TRUE(program->MainForm().MOpenTimer.isActive());
    bool handedOn = false;
    QObject::connect(&program->MainForm(), &TMainForm::recordFileOpenRequested,
                     [&] { handedOn = true; });
    ASSERT_TRUE(WaitUntil([&] { return handedOn; }, 3000));
    EXPECT_FALSE(program->MainForm().MOpenTimer.isActive());
}

TEST_F(StartupTest, SnapshotFileOnTheCommandLineIsShownAtOnce)
{
    MeasurementRecord saved;
    ResetMeasurementRecord(saved);
    saved.URMS = 123.5f;
    saved.Reserved.fill(0x3C);
    const QString path = dir.filePath("bench run.ZQM");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(&saved), sizeof saved);
    file.close();

    // Unquoted in a shell, the name with its blank arrives as two words; the
    // command line hands them on and they are taken as one file name.
    const CommandLine commandLine = ParseCommandLine(path.split(' '));
    ASSERT_EQ(commandLine.action, CommandLine::Action::Run);
    auto program = start(commandLine.arguments);
    EXPECT_EQ(program->State().MeasurementRecord.URMS, 123.5f);
    EXPECT_EQ(program->State().MeasurementRecord.Reserved[100], 0x3C);
    EXPECT_EQ(program->Display().panelText(PanelId::Panel_URMS), "123.5V");
    EXPECT_EQ(program->State().CommandLineFile, path);
    EXPECT_FALSE(program->MainForm().MOpenTimer.isActive());
    // A snapshot's time is its file's; the main window shows that one.
    const QDateTime taken = QFileInfo(path).lastModified();
    EXPECT_EQ(program->State().MeasurementTime, taken);
    EXPECT_EQ(program->MainForm().statusText(4), "提取時間" + MeasurementTimeText(taken));
}

TEST_F(StartupTest, SavingASnapshotNamesTheFileAndOpeningOneShowsItsTime)
{
    auto program = start();
    TMainForm& form = program->MainForm();
    ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "狀態：已跟儀器同步"; }, 10000));
    form.SeSkinSpeedButton7->click(); // a live measurement first
    ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "提取數據成功"; }, 5000));
    const QDateTime live = program->State().MeasurementTime;
    ASSERT_TRUE(live.isValid());

    const QString path = dir.filePath("saved.zqm");
    dialogs.saveAnswer = path;
    emit form.saveFileRequested();
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(form.statusBar()->currentMessage(), "已儲存檔案：" + QDir::toNativeSeparators(path));

    const QDateTime earlier(QDate(2025, 12, 9), QTime(8, 0, 0));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(earlier, QFileDevice::FileModificationTime));
    }
    dialogs.openAnswer = path;
    emit form.openFileRequested();
    EXPECT_EQ(program->State().MeasurementTime, earlier);
    EXPECT_EQ(form.statusText(4), "提取時間" + MeasurementTimeText(earlier));
    EXPECT_EQ(form.statusText(0), "已開啟檔案：saved.zqm");
    EXPECT_TRUE(dialogs.messages.empty());
}

// A snapshot whose name holds bytes that are not UTF-8, its extension in
// mixed case: shown at start, as one with an ordinary name.
TEST_F(StartupTest, SnapshotNamedWithAnyBytesIsShownAtOnce)
{
    MeasurementRecord saved;
    ResetMeasurementRecord(saved);
    saved.URMS = 231.5f;
    const QString plain = dir.filePath("plain.zqm");
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(&saved), sizeof saved);
    file.close();
    const QByteArray name = QFile::encodeName(dir.path()) + "/caf\xe9 run.zqM";
    ASSERT_EQ(::rename(QFile::encodeName(plain).constData(), name.constData()), 0);

    const char* argv[] = {"qpa3600", name.constData()};
    const CommandLine commandLine = ParseCommandLine(ArgumentsFromBytes(2, argv));
    ASSERT_EQ(commandLine.action, CommandLine::Action::Run);
    auto program = start(commandLine.arguments);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(program->State().MeasurementRecord.URMS, 231.5f);
}

// "qpa3600 pipe.zqm" with a named pipe, or a folder of that name: the start
// goes on at once, the user learns why the file was not shown.
TEST_F(StartupTest, SnapshotThatIsNoRegularFileIsRefusedAndStartGoesOn)
{
    struct Case {
        const char* name;
        std::function<bool(const QString&)> make;
    };
    const Case cases[] = {
        {"pipe.zqm", [](const QString& p) { return ::mkfifo(QFile::encodeName(p), 0600) == 0; }},
        {"folder.zqm", [](const QString& p) { return QDir().mkdir(p); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        ASSERT_TRUE(c.make(path));
        dialogs.messages.clear();
        auto program = start({path});
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "無法開啟檔案，這不是一般檔案：" + path);
        EXPECT_EQ(program->State().MeasurementRecord.URMS, 0.0f);
        program->MainForm().show();
        EXPECT_TRUE(program->MainForm().isVisible());
    }
}

TEST_F(StartupTest, SnapshotWithInfiniteValuesShowsThemAsZero)
{
    MeasurementRecord saved;
    ResetMeasurementRecord(saved);
    saved.URMS = std::numeric_limits<float>::infinity();
    saved.IRMS = -std::numeric_limits<float>::infinity();
    saved.PF = std::numeric_limits<float>::quiet_NaN();
    const QString path = dir.filePath("odd.zqm");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(&saved), sizeof saved);
    file.close();

    auto program = start({path});
    EXPECT_TRUE(dialogs.messages.empty());
    for (PanelId panel : {PanelId::Panel_URMS, PanelId::Panel_IRMS, PanelId::Panel_PF}) {
        const QString text = program->Display().panelText(panel);
        EXPECT_FALSE(text.contains("INF", Qt::CaseInsensitive)
                     || text.contains("NAN", Qt::CaseInsensitive))
            << text.toStdString();
    }
    EXPECT_EQ(program->Display().panelText(PanelId::Panel_URMS), "0.0V");
}

// The settings file is read once and written only when a value changes: a
// start with every setting already saved leaves it alone, whatever its bytes.
TEST_F(StartupTest, StartWithEverySettingSavedLeavesTheSettingsFileAlone)
{
    const QString settings = dir.filePath("SysSet.ini");
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray bytes = "; \xB3\x5D\xA9\x77\r\n[CommPort]\r\nPort=150\r\n[CommBaudrate]\r\n"
                             "Baudrate=7\r\n[CommAddress]\r\nAddress=5\r\n[SkinSet]\r\nSkin=2\r\n"
                             "[WaveSet]\r\nWaveBackground=2\r\nScaleColor=2\r\n[PortMap]\r\n"
                             "COM150="
                             + QByteArray::fromStdString(simulator.devicePath())
                             + "\r\nCOM9=/dev/serial/by-id/usb-Caf\xE9_adapter\r\n";
    file.write(bytes);
    file.close();
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(settings).constData(), &before), 0);

    auto program = start();
    ASSERT_TRUE(WaitUntil([&] { return program->MainForm().statusText(0) == "狀態：已跟儀器同步"; },
                          10000));
    program.reset();
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(settings).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes);
}

// A named pipe or a folder where "SysSet.ini" belongs: the program starts on
// its defaults without waiting and leaves the path as it is.
TEST_F(StartupTest, SettingsPathThatIsNoRegularFileGivesTheDefaults)
{
    struct Case {
        const char* name;
        std::function<bool(const QString&)> make;
        mode_t type;
    };
    const Case cases[] = {
        {"pipe", [](const QString& p) { return ::mkfifo(QFile::encodeName(p), 0600) == 0; },
         S_IFIFO},
        {"folder", [](const QString& p) { return QDir().mkdir(p); }, S_IFDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const QString settings = folder.filePath("SysSet.ini");
        ASSERT_TRUE(c.make(settings));
        auto program = StartProgram(folder.path(), dialogs);
        EXPECT_EQ(program->SysSet().ReadString("CommPort", "Port", "none"), "none");
        EXPECT_EQ(program->State().ChartBackColor, 0xFFEEEEEEu); // the default colours
        program.reset();
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(settings).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & S_IFMT, c.type);
    }
}

TEST_F(StartupTest, ClosingOnASerialLinkSendsNothing)
{
    auto program = start();
    ASSERT_TRUE(WaitUntil([&] { return program->MainForm().statusText(0) == "狀態：已跟儀器同步"; },
                          10000));
    const std::size_t before = simulator.requestCount();
    program->MainForm().close();
    RunEventLoopFor(300);
    EXPECT_EQ(simulator.requestCount(), before);
}

} // namespace

namespace {

TEST_F(StartupTest, InstrumentMenusReachTheInstrument)
{
    auto program = start();
    TMainForm& form = program->MainForm();
    ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "狀態：已跟儀器同步"; }, 10000));
    EXPECT_EQ(form.N31->text(), "窄頻 &(Y)<"); // marked by the read at connection

    form.N32->trigger();
    ASSERT_TRUE(WaitUntil([&] { return simulator.optionByte() == 1; }));
    EXPECT_EQ(form.N31->text(), "窄頻&(Y)");
    EXPECT_EQ(form.N32->text(), "寬頻&(Z)<");
    form.CSA1->trigger();
    ASSERT_TRUE(WaitUntil([&] { return simulator.optionByte() == 3; }));
    EXPECT_EQ(form.IEC2->text(), "%f： IEC方式 &(Y)");
    EXPECT_EQ(form.CSA1->text(), "%r:  CSA方式 &(Z)<");

    // The alarm window's read-back reads the option byte again and marks the
    // menu with the read-back captions.
    form.N11->trigger();
    TAlarmForm& alarm = *program->Instrument().AlarmForm;
    EXPECT_TRUE(alarm.isVisible());
    ASSERT_TRUE(WaitUntil([&] { return alarm.Label7->text() == "狀態：已跟儀器同步"; }, 10000));
    EXPECT_EQ(alarm.Edit[0]->text(), "300");
    EXPECT_EQ(form.N32->text(), "寬頻 &(Z)<");
    EXPECT_EQ(form.CSA1->text(), "%r： CSA方式 &(Z)<");
    alarm.close();

    EXPECT_FALSE(form.calibrateItem->isVisible());
    form.calibrateItem->trigger();
    EXPECT_TRUE(program->Instrument().CalibrateForm->isVisible());
    emit form.externalCtRequested();
    EXPECT_TRUE(program->Instrument().External_CT_form->isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace

namespace {

// Panel 1 says what the run does, from the start through single tests,
// continuous sampling, a lost and a recovered link and a stop.
TEST_F(StartupTest, StatusShowsTheRunStateThroughStartStopAndLinkLoss)
{
    auto program = start();
    TMainForm& form = program->MainForm();
    ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "狀態：已跟儀器同步"; }, 10000));
    const auto shows = [&](const char* text) {
        return WaitUntil([&] { return form.statusText(1) == QString::fromUtf8(text); }, 5000);
    };
    EXPECT_TRUE(shows("测试状态：停止"));

    const struct Step {
        const char* name;
        std::function<void()> act;
        const char* shown;
    } steps[] = {
        {"single test", [&] { form.SeSkinSpeedButton7->click(); }, "测试状态：单次测试"},
        {"its answer", [] {}, "测试状态：停止"},
        {"continuous", [&] { form.SeSkinSpeedButton8->click(); }, "测试状态：连续采样"},
        {"link lost", [&] { program->Control().SuspendRun(); }, "测试状态：等待重连"},
        {"link back", [&] { program->Control().ResumeRun(); }, "测试状态：连续采样"},
        {"stop", [&] { form.SeSkinSpeedButton9->click(); }, "测试状态：停止"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_TRUE(shows(step.shown)) << form.statusText(1).toStdString();
    }
    // Every state fits its panel.
    QLabel* panel = nullptr;
    for (QLabel* label : form.statusBar()->findChildren<QLabel*>())
        if (label->text() == "测试状态：停止")
            panel = label;
    ASSERT_NE(panel, nullptr);
    for (RunState state : {RunState::Stopped, RunState::SingleTest, RunState::ContinuousSampling,
                           RunState::WaitingForLink})
        EXPECT_LE(panel->fontMetrics().horizontalAdvance(TMainForm::RunStateText(state)),
                  panel->contentsRect().width());
}

// A live value beyond a threshold the instrument has switched on: its panel
// turns to the alarm colours and the status bar names the threshold.
TEST_F(StartupTest, AValueBeyondAnInstrumentsThresholdIsShownAsAnAlarm)
{
    simulator.setThreshold(1, 100.0f); // the simulated voltage is about 230 V
    simulator.setThreshold(7, 0.5f);   // and its power factor below 1
    simulator.setAlarmFlags(0x41);
    auto program = start();
    TMainForm& form = program->MainForm();
    ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "狀態：已跟儀器同步"; }, 10000));
    EXPECT_EQ(form.alarmStatusText(), "");

    form.SeSkinSpeedButton7->click();
    ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "提取數據成功"; }, 5000));
    const float pf = program->State().MeasurementRecord.PF;
    ASSERT_GT(pf, 0.5f);
    EXPECT_EQ(form.alarmStatusText(), "警報：電壓上限 100V、PF上限 0.5");
    for (std::size_t i = 0; i < kPanelCount; ++i) {
        const PanelId id = PanelId(i);
        EXPECT_EQ(program->Display().panelInAlarm(id),
                  id == PanelId::Panel_URMS || id == PanelId::Panel_PF)
            << PlaceOfPanel(id).name.toStdString();
    }
    auto* urms = form.findChild<QLabel*>("Panel_URMS");
    ASSERT_NE(urms, nullptr);
    EXPECT_EQ(urms->palette().color(QPalette::Window), QColor(208, 0, 0));
    auto* uf = form.findChild<QLabel*>("Panel_UF");
    ASSERT_NE(uf, nullptr);
    EXPECT_EQ(uf->palette().color(QPalette::Window), QColor(Qt::white));
}

// The demonstration runs its simulated instrument at 115200 bit/s whatever
// rate is saved; a rate picked in the run is used, and the settings file is
// left as it was.
TEST_F(StartupTest, DemoRunsAtTheFastestRateWithoutChangingTheSavedOne)
{
    const QString settings = dir.filePath("SysSet.ini");
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray bytes = "[CommPort]\r\nPort=3\r\n[CommBaudrate]\r\nBaudrate=2\r\n"
                             "[CommAddress]\r\nAddress=1\r\n[SkinSet]\r\nSkin=2\r\n"
                             "[WaveSet]\r\nWaveBackground=2\r\nScaleColor=2\r\n";
    file.write(bytes);
    file.close();

    ProgramOptions options;
    options.settingsFolder = dir.path();
    options.programFolder = dir.path();
    options.demo = true;
    auto program = std::make_unique<Program>(options, &dialogs);
    TMainForm& form = program->MainForm();
    ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "狀態：已跟儀器同步"; }, 10000));
    EXPECT_EQ(program->Comm1().BaudRate(), TBaudRate::br115200);
    EXPECT_EQ(program->CommForm().ComboBox1->currentText(), "115.2Kbps");
    form.SeSkinSpeedButton7->click();
    ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "提取數據成功"; }, 5000));

    // The user picks 38.4 kbit/s: it is the rate of the rest of the run, a
    // new scan included.
    program->CommForm().ComboBox1->setCurrentIndex(4);
    EXPECT_EQ(program->Comm1().BaudRate(), TBaudRate::br38400);
    program->Connection().ScanPorts();
    EXPECT_EQ(program->Comm1().BaudRate(), TBaudRate::br38400);
    EXPECT_EQ(program->CommForm().ComboBox1->currentText(), "38.4Kbps");
    form.SeSkinSpeedButton7->click();
    ASSERT_TRUE(WaitUntil([&] { return form.statusText(0) == "提取數據成功"; }, 5000));
    EXPECT_TRUE(dialogs.messages.empty());

    program.reset();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes);
}

// The main window words every state of the link in its status bar; the
// synchronised state in the alarm window's words.
TEST(MainFormTexts, EachLinkStatusHasItsStatusBarText)
{
    const struct {
        LinkStatus status;
        const char* text;
    } cases[] = {
        {LinkStatus::Searching, "正在搜索通訊端口！"},
        {LinkStatus::PortOpened, "已經開啟通訊口"},
        {LinkStatus::Connected, "已經連接"},
        {LinkStatus::Failed, "連接失敗"},
        {LinkStatus::PortInUse, "連接失敗：端口正被其他程式使用"},
        {LinkStatus::InstrumentLost, "連接儀器失敗!"},
        {LinkStatus::InstrumentReconnected, "已經連接儀器!"},
        {LinkStatus::DeviceLost, "連接中斷，等待儀器重新連接"},
        {LinkStatus::DeviceRestored, "已經重新連接儀器"},
        {LinkStatus::Synchronised, "狀態：已跟儀器同步"},
    };
    LinkState link;
    MeasurementRecord record;
    RecordingDialogs dialogs;
    InstrumentLink parts(link, record);
    TMainForm form(parts.control);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        form.showLinkStatus(c.status);
        EXPECT_EQ(form.statusText(0), QString::fromUtf8(c.text));
    }
}

// What the port refuses in the running program is said in an error box in
// the communication window's words.
TEST(ProgramPortRefusals, WritingToTheClosedPortIsToldInAnErrorBox)
{
    QTemporaryDir dir;
    RecordingDialogs dialogs;
    ProgramOptions options;
    options.settingsFolder = dir.path();
    options.programFolder = dir.path();
    Program program(options, &dialogs);
    program.Comm1().setPortOpen(false); // whatever the scan found on this machine
    dialogs.messages.clear();
    const std::uint8_t frame[] = {1, 3, 0, 128, 0, 2};
    EXPECT_FALSE(program.Comm1().WriteData(frame, sizeof frame));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "COM Port is not opened yet!");
    EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Error);
}

} // namespace
