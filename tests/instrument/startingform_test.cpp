// The logging window: arming, the download against the simulated instrument
// with its faults, the view buttons, the keyboard and the export.
#include "eventwait.h"
#include "instrumentlog.h"
#include "instrumentrig.h"
#include "logexport.h"
#include "logfixture.h"
#include "scriptedline.h"
#include "simulatedinstrument.h"
#include "testframes.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using Fault = SimulatedInstrument::Fault;
using Bytes = std::vector<std::uint8_t>;

const QString kStarted = "觸發成功，正在提取數據包";

QByteArray AsBytes(std::span<const std::uint8_t> data)
{
    return QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
}

QByteArray Frame(const Bytes& request)
{
    return AsBytes(request);
}

QByteArray ChunkRequest(int chunk)
{
    return ReadRequestFrame(1, 147, std::uint16_t(chunk * 256));
}

// Against a line the test writes by hand: the exact request bytes.
class StartingFormLineTest : public ::testing::Test {
protected:
    ScriptedLine line;
    InstrumentRig r{line.path()};
};

TEST_F(StartingFormLineTest, ArmSendsTheRangeCodeAndEntersTheArmAsLastRequest)
{
    const struct {
        int voltage, current;
        const char* frame;
    } cases[] = {
        {0, 0, "01030093 0000 B5E7"}, // "300V", "4 (大)"
        {3, 3, "01030093 0033 F5F2"}, // "25V", "1 (小)"
        {2, 1, "01030093 0012 35EA"}, // "75V", "3"
    };
    for (const auto& c : cases) {
        r.starting.VoltageRange->setCurrentIndex(c.voltage);
        r.starting.CurrentRange->setCurrentIndex(c.current);
        r.rig.link.LogChunkIndex = 0;
        r.starting.StartClick();
        EXPECT_EQ(line.waitForSent(8), QByteArray::fromHex(QByteArray(c.frame).replace(' ', "")));
        EXPECT_EQ(r.rig.dialogs.questions.back(), "啟動測量|  單擊確定后合上Starting開關!  ");
        EXPECT_EQ(r.starting.statusText(), "發送測量指令");
        EXPECT_EQ(r.rig.link.LastRequest.reg, 147);
        EXPECT_EQ(r.rig.link.LastRequest.count, c.current * 16 + c.voltage);
        EXPECT_EQ(r.rig.link.LogChunkIndex, 0);
    }
    EXPECT_TRUE(r.rig.dialogs.messages.empty());
}

TEST_F(StartingFormLineTest, ArmIsRefusedDeclinedOrFailsWithoutSending)
{
    for (SessionModeT mode : {SessionModeT::SingleTestPending, SessionModeT::ContinuousSampling}) {
        r.rig.link.SessionMode = mode;
        r.starting.StartClick();
        EXPECT_EQ(r.rig.dialogs.texts().back(), "    請先停止連續測量    ");
    }
    EXPECT_TRUE(r.rig.dialogs.questions.isEmpty()) << "refused before the question";
    r.rig.link.SessionMode = SessionModeT::Idle;

    r.rig.dialogs.yesAnswer = false;
    r.starting.StartClick();
    EXPECT_EQ(r.rig.dialogs.questions.size(), 1);

    // A closed port: the failure is shown and no send is claimed.
    r.rig.dialogs.yesAnswer = true;
    r.rig.link.LastRequest = {148, 2};
    r.rig.comm.setPortOpen(false);
    r.starting.StartClick();
    EXPECT_EQ(r.rig.dialogs.texts().back(), "啟動測量失敗，沒有正常連接儀器。");
    EXPECT_NE(r.starting.statusText(), "發送測量指令");
    EXPECT_EQ(r.rig.link.LastRequest.reg, 148);

    RunEventLoopFor(50);
    EXPECT_TRUE(line.takeSent().isEmpty());
    EXPECT_EQ(r.rig.dialogs.messages.size(), 3u);
}

TEST_F(StartingFormLineTest, SpoiledStartAcknowledgementSendsTheArmAgainNotAChunk)
{
    r.starting.CurrentRange->setCurrentIndex(1);
    r.starting.StartClick();
    const QByteArray arm = line.waitForSent(8);
    EXPECT_EQ(arm, ReadRequestFrame(1, 147, 16));
    line.write(QByteArray::fromHex("010A92FFFF")); // checksum spoiled
    EXPECT_EQ(line.waitForSent(8), arm);
    EXPECT_EQ(r.rig.link.LogChunkIndex, 0);

    // A measurement taken while armed leaves register 148 as the last
    // request; the start acknowledgement makes it (147, 1) again, whole.
    r.rig.link.LastRequest = {148, 2};
    line.write(FrameWithCrc("010A92"));
    EXPECT_EQ(line.waitForSent(8), ChunkRequest(1));
    EXPECT_EQ(r.rig.link.LastRequest.reg, 147);
    EXPECT_EQ(r.rig.link.LastRequest.count, 1);
    EXPECT_EQ(r.rig.link.LastRequest.kind, LastRequestT::Kind::Read);
    EXPECT_FALSE(r.starting.StartButton->isEnabled()) << "no new arm while chunks are fetched";
}

TEST_F(StartingFormLineTest, MissingChunkIsAskedForOnlyOnceTheLineIsQuietAndAtMostTwice)
{
    r.rig.link.LastRequest = {147, 0, LastRequestT::Kind::LogArm};
    line.write(FrameWithCrc("010A92"));
    EXPECT_EQ(line.waitForSent(8), ChunkRequest(1));
    // Quiet for the rate's whole wait (200 ms at 115200 bit/s) plus 2 s.
    EXPECT_TRUE(r.rig.dispatcher.LogChunkWatch.isActive());
    EXPECT_EQ(r.rig.dispatcher.LogChunkWatch.interval(), 2200);

    // While a chunk is still arriving it is never asked for again: the late
    // chunk would be filed as the next one.
    line.write(QByteArray(600, '\x22'));
    ASSERT_TRUE(WaitUntil([&] { return r.rig.dispatcher.awaitingAnswer(); }));
    r.rig.dispatcher.LogChunkWatchTimer();
    RunEventLoopFor(30);
    EXPECT_TRUE(line.takeSent().isEmpty());
    // The part that came is spoiled: asked for again at once, by the rule for faulty answers.
    EXPECT_EQ(line.waitForSent(8), ChunkRequest(1));

    for (int attempt = 0; attempt < 2; ++attempt) {
        r.rig.dispatcher.LogChunkWatchTimer();
        EXPECT_EQ(line.waitForSent(8), ChunkRequest(1));
    }
    r.rig.dispatcher.LogChunkWatchTimer();
    RunEventLoopFor(30);
    EXPECT_TRUE(line.takeSent().isEmpty());
    EXPECT_EQ(r.rig.link.LogChunkIndex, 0);
    EXPECT_EQ(r.rig.logProgress.back(), (std::pair{LogProgress::Failed, 1}));
    EXPECT_EQ(r.starting.statusText(), "第1數據組合提取失敗");
    EXPECT_TRUE(r.starting.StartButton->isEnabled());

    // A chunk after giving up is nobody's.
    line.write(FrameWithCrc(QByteArray(1708, '\x33')));
    RunEventLoopFor(300);
    EXPECT_TRUE(line.takeSent().isEmpty());
}

TEST_F(StartingFormLineTest, MeasurementsWaitUntilTheDownloadEnds)
{
    r.rig.link.LastRequest = {147, 0, LastRequestT::Kind::LogArm};
    line.write(FrameWithCrc("010A92"));
    EXPECT_EQ(line.waitForSent(8), ChunkRequest(1));
    r.rig.control.SingleTest();
    for (int chunk = 1; chunk <= 6; ++chunk) {
        line.write(FrameWithCrc(QByteArray(1708, char(chunk))));
        if (chunk < 6) {
            EXPECT_EQ(line.waitForSent(8), ChunkRequest(chunk + 1))
                << "nothing else between chunks";
        }
    }
    EXPECT_EQ(line.waitForSent(8), ReadRequestFrame(1, 148, 2));
    EXPECT_EQ(r.rig.logsCompleted, 1);
    EXPECT_EQ(r.rig.link.LastRequest.reg, 148);
}

// Against the simulated instrument, whose Starting switch the test closes.
class StartingFormSimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimulatedInstrument::Options options;
        options.startingSwitchByCommand = true;
        simulator = std::make_unique<SimulatedInstrument>(options);
        std::string error;
        ASSERT_TRUE(simulator->start(&error)) << error;
        r = std::make_unique<InstrumentRig>(QString::fromStdString(simulator->devicePath()));
        QObject::connect(&r->starting, &TStartingForm::statusShown,
                         [this](const QString& text) { statuses << text; });
    }

    // "啟動", the switch closed once the arm is in; returns when the log is
    // complete or failed.
    bool download()
    {
        const std::size_t before = simulator->requestCount();
        const int completed = r->rig.logsCompleted;
        r->starting.StartClick();
        if (!waitRequests(before + 1, 3000) || !closeSwitch())
            return false;
        return WaitUntil([&] { return r->rig.logsCompleted > completed; }, 10000);
    }
    // Runs the event loop until the simulator has received `count` requests.
    bool waitRequests(std::size_t count, int timeoutMs)
    {
        return WaitUntil([&] { return simulator->requestCount() >= count; }, timeoutMs);
    }
    // Once the simulator has taken the arm in.
    bool closeSwitch()
    {
        return WaitUntil([&] { return simulator->closeStartingSwitch(); }, 3000);
    }
    QByteArray instrumentLog() const { return AsBytes(r->rig.link.InstrumentLog); }
    QByteArray served() const { return AsBytes(*simulator->servedBurstLog()); }
    std::vector<QByteArray> requests() const
    {
        std::vector<QByteArray> frames;
        for (const Bytes& b : simulator->receivedRequests())
            frames.push_back(Frame(b));
        return frames;
    }

    std::unique_ptr<SimulatedInstrument> simulator;
    std::unique_ptr<InstrumentRig> r;
    QStringList statuses;
};

TEST_F(StartingFormSimTest, DownloadFetchesSixChunksInOrderAndDrawsOnce)
{
    const int drawsBefore = r->starting.drawCount();
    ASSERT_TRUE(download());
    const std::vector<QByteArray> expected = {QByteArray::fromHex("01030093 0000 B5E7"),
                                              QByteArray::fromHex("0103009301 00B477"),
                                              ChunkRequest(2),
                                              ChunkRequest(3),
                                              ChunkRequest(4),
                                              ChunkRequest(5),
                                              QByteArray::fromHex("0103009306 00B647")};
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(instrumentLog(), served());
    EXPECT_EQ(statuses, (QStringList{"發送測量指令", kStarted, "正在提取第2數據組合",
                                     "正在提取第3數據組合", "正在提取第4數據組合",
                                     "正在提取第5數據組合", "正在提取第6數據組合", "完成測量"}));
    EXPECT_EQ(r->starting.drawCount(), drawsBefore + 1);
    EXPECT_TRUE(r->starting.StartButton->isEnabled());
    EXPECT_FALSE(r->rig.dispatcher.LogChunkWatch.isActive());
}

// "啟動" is disabled while the chunks come in; Qt moves the keyboard focus on
// to the next button then. Once the download ends the focus goes back to
// "啟動", unless the user has put it elsewhere meanwhile.
TEST_F(StartingFormSimTest, FocusReturnsToStartAfterTheDownloadUnlessMovedMeanwhile)
{
    TStartingForm& f = r->starting;
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    ASSERT_EQ(QApplication::focusWidget(), f.StartButton);
    QWidget* focusWhileDisabled = nullptr;
    const auto note = QObject::connect(&f, &TStartingForm::statusShown, [&](const QString& text) {
        if (text == kStarted)
            focusWhileDisabled = QApplication::focusWidget();
    });
    ASSERT_TRUE(download());
    EXPECT_NE(focusWhileDisabled, f.StartButton);
    EXPECT_TRUE(f.StartButton->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), f.StartButton);
    QObject::disconnect(note);

    // The user moves on to "儲存" while the chunks come in.
    QObject::connect(&f, &TStartingForm::statusShown, [&](const QString& text) {
        if (text == "正在提取第3數據組合")
            f.SaveButton->setFocus();
    });
    ASSERT_TRUE(download());
    EXPECT_EQ(QApplication::focusWidget(), f.SaveButton);
}

TEST_F(StartingFormSimTest, CorruptedChunkIsAskedForAgainAtOnce)
{
    simulator->injectFaultForLogChunk(3, Fault::Corrupt);
    ASSERT_TRUE(download());
    const std::vector<QByteArray> got = requests();
    ASSERT_EQ(got.size(), 8u);
    EXPECT_EQ(got[3], ChunkRequest(3));
    EXPECT_EQ(got[4], ChunkRequest(3)); // (147, 768) again
    EXPECT_EQ(got[5], ChunkRequest(4));
    EXPECT_EQ(instrumentLog(), served());
}

TEST_F(StartingFormSimTest, SpoiledStartAcknowledgementArmsAgain)
{
    simulator->injectFaultForLogChunk(0, Fault::Corrupt);
    r->starting.StartClick();
    ASSERT_TRUE(waitRequests(1, 3000));
    ASSERT_TRUE(closeSwitch());
    ASSERT_TRUE(waitRequests(2, 3000));
    EXPECT_EQ(requests()[1], requests()[0]) << "the arm as it was sent";
    ASSERT_TRUE(closeSwitch());
    ASSERT_TRUE(WaitUntil([&] { return r->rig.logsCompleted == 1; }, 10000));
    EXPECT_EQ(instrumentLog(), served());
}

TEST_F(StartingFormSimTest, DroppedChunkIsAskedForAgainThenGivenUpKeepingTheOldLog)
{
    ASSERT_TRUE(download());
    const QByteArray first = instrumentLog();
    const int draws = r->starting.drawCount();

    auto other = MakeLog(
        2.0f, 3.0f, [](int k) { return k % 7; }, [](int k) { return -(k % 5); });
    simulator->setBurstLog(other);
    simulator->clearReceivedRequests();
    for (int i = 0; i < 3; ++i)
        simulator->injectFaultForLogChunk(4, Fault::Drop);
    r->starting.StartClick();
    ASSERT_TRUE(waitRequests(1, 3000));
    ASSERT_TRUE(closeSwitch());
    ASSERT_TRUE(waitRequests(5, 5000)); // arm, chunks 1-4
    // The line is quiet: each expiry of the watch asks for chunk 4 again.
    for (std::size_t n : {6u, 7u}) {
        ASSERT_TRUE(WaitUntil([&] { return !r->rig.dispatcher.awaitingAnswer(); }));
        r->rig.dispatcher.LogChunkWatchTimer();
        ASSERT_TRUE(waitRequests(n, 3000));
        EXPECT_EQ(requests().back(), ChunkRequest(4));
    }
    r->rig.dispatcher.LogChunkWatchTimer();
    EXPECT_EQ(r->rig.logProgress.back(), (std::pair{LogProgress::Failed, 4}));
    EXPECT_EQ(r->starting.statusText(), "第4數據組合提取失敗");
    EXPECT_EQ(instrumentLog(), first);
    EXPECT_EQ(r->starting.drawCount(), draws);

    // The next download goes through whole.
    ASSERT_TRUE(download());
    EXPECT_EQ(instrumentLog(), AsBytes(other));
}

TEST_F(StartingFormSimTest, StrayChunkIsIgnoredIdleAndArmed)
{
    simulator->setBurstLog(MakeLog(
        1.0f, 1.0f, [](int) { return 9; }, Flat));
    ASSERT_TRUE(download());
    const QByteArray before = instrumentLog();
    simulator->setBurstLog(MakeLog(
        1.0f, 1.0f, [](int) { return -9; }, Flat));

    const int handled = int(r->rig.progress.size());
    simulator->sendStrayChunk(2); // idle
    ASSERT_TRUE(WaitUntil([&] { return int(r->rig.progress.size()) > handled; }));
    ASSERT_TRUE(WaitUntil([&] { return !r->rig.dispatcher.awaitingAnswer(); }));

    simulator->clearReceivedRequests();
    r->starting.StartClick(); // armed: the switch stays open
    ASSERT_TRUE(waitRequests(1, 3000));
    const int armedHandled = int(r->rig.progress.size());
    simulator->sendStrayChunk(5);
    ASSERT_TRUE(WaitUntil([&] { return int(r->rig.progress.size()) > armedHandled; }));
    ASSERT_TRUE(WaitUntil([&] { return !r->rig.dispatcher.awaitingAnswer(); }));
    RunEventLoopFor(200);

    EXPECT_EQ(simulator->requestCount(), 1u) << "nothing asked for";
    EXPECT_EQ(instrumentLog(), before);
    EXPECT_EQ(r->rig.link.LogChunkIndex, 0);
    EXPECT_EQ(statuses.back(), "發送測量指令");
}

TEST(StartingFormView, ButtonsAreDisabledByTheFirstClickAtTheirLimit)
{
    LogView v;
    for (int i = 0; i < 7; ++i)
        v.ScrollRight();
    EXPECT_EQ(v.LogScroll, 2240);
    EXPECT_TRUE(v.scrollRightEnabled);
    v.ScrollRight(); // at the limit: disables, changes nothing
    EXPECT_EQ(v.LogScroll, 2240);
    EXPECT_FALSE(v.scrollRightEnabled);
    v.ScrollLeft(); // its opposite enables it again
    EXPECT_EQ(v.LogScroll, 1920);
    EXPECT_TRUE(v.scrollRightEnabled);

    LogView z;
    z.Finer(); // at zoom 1 already
    EXPECT_EQ(z.LogZoom, 1);
    EXPECT_FALSE(z.finerEnabled);
    for (int i = 0; i < 4; ++i)
        z.Coarser();
    EXPECT_EQ(z.LogZoom, 4);
    EXPECT_FALSE(z.coarserEnabled);
    EXPECT_TRUE(z.finerEnabled);
    z.Finer();
    EXPECT_EQ(z.LogZoom, 3);
    EXPECT_TRUE(z.coarserEnabled);

    LogView s;
    s.ScrollLeft();
    EXPECT_EQ(s.LogScroll, 0);
    EXPECT_FALSE(s.scrollLeftEnabled);
    EXPECT_TRUE(s.scrollRightEnabled);
}

class StartingFormWindowTest : public ::testing::Test {
protected:
    ScriptedLine line;
    InstrumentRig r{line.path()};
};

TEST_F(StartingFormWindowTest, CreationDrawsAZeroLogAndTheWindowsParts)
{
    TStartingForm& f = r.starting;
    EXPECT_EQ(f.windowTitle(), "啟動測量");
    EXPECT_FALSE(f.isModal());
    EXPECT_EQ(f.statusText(), "Quorvane");
    // Laid out at creation: the surface covers the paint box and no more
    // until the box outgrows it; then it covers the screen.
    const QSize box = f.StartingPic->size();
    EXPECT_GT(box.width(), 700);
    EXPECT_GT(box.height(), 400);
    EXPECT_EQ(f.surface().size(), box);
    f.show();
    f.resize(1000, 700);
    EXPECT_TRUE(WaitUntil([&] { return f.StartingPic->width() == 1000; }, 2000));
    EXPECT_GE(f.surface().width(), 2400);
    EXPECT_GE(f.surface().height(), 1600);
    f.hide();
    EXPECT_FALSE(f.VoltageRange->isEnabled());
    EXPECT_FALSE(f.CurrentRange->isEnabled());
    EXPECT_EQ(f.VoltageRange->currentText(), "300V");
    EXPECT_EQ(f.CurrentRange->itemText(3), "1 (小)");
    EXPECT_EQ(LogVoltageFactor(r.rig.link.InstrumentLog), 1.0f);
    EXPECT_EQ(LogCurrentFactor(r.rig.link.InstrumentLog), 1.0f);
    for (std::size_t i = 8; i < kInstrumentLogSize; i += 2)
        ASSERT_EQ(r.rig.link.InstrumentLog[i] | r.rig.link.InstrumentLog[i + 1] << 8, 2047) << i;
    EXPECT_EQ(f.view().LogZoom, 1);
    EXPECT_GE(f.drawCount(), 1);
}

TEST_F(StartingFormWindowTest, KeyboardStartsOnStartAndTabsThroughTheButtons)
{
    TStartingForm& f = r.starting;
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    EXPECT_EQ(QApplication::focusWidget(), f.StartButton);

    const std::vector<QWidget*> forward = {f.ScrollLeftButton, f.ScrollRightButton, f.CoarserButton,
                                           f.FinerButton};
    for (QWidget* next : forward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), f.SaveButton);

    // Space presses the focused button: the scroll right button moves the view.
    f.ScrollRightButton->setFocus();
    QTest::keyClick(f.ScrollRightButton, Qt::Key_Space);
    EXPECT_EQ(f.view().LogScroll, 320);
    // Alt+V reaches the voltage list; the mouse over the chart disables it again.
    QTest::keyClick(&f, Qt::Key_V, Qt::AltModifier);
    EXPECT_TRUE(f.VoltageRange->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), f.VoltageRange);
    QTest::mouseMove(f.StartingPic, QPoint(50, 50));
    QApplication::processEvents();
    EXPECT_FALSE(f.VoltageRange->isEnabled());
}

TEST_F(StartingFormWindowTest, ViewButtonsRedrawAndMirrorTheViewsStates)
{
    TStartingForm& f = r.starting;
    const int draws = f.drawCount();
    f.FinerClick();
    EXPECT_FALSE(f.FinerButton->isEnabled());
    f.CoarserClick();
    EXPECT_TRUE(f.FinerButton->isEnabled());
    EXPECT_EQ(f.view().LogZoom, 2);
    EXPECT_EQ(f.drawCount(), draws + 2);
}

TEST_F(StartingFormWindowTest, SaveWritesA24BitBitmapOfThePaintBoxOrCsvOrNothing)
{
    QTemporaryDir dir;
    TStartingForm& f = r.starting;
    f.resize(700, 500);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const QSize box = f.StartingPic->size();

    r.rig.dialogs.saveAnswer = QString(); // cancelled
    f.SaveClick();
    EXPECT_EQ(r.rig.dialogs.filters.back().section(";;", 0, 0), "圖像文件(.bmp) (*.bmp)");
    EXPECT_EQ(r.rig.dialogs.offeredNames.back(), "StartingTestFile.bmp");
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    const QString bmp = dir.filePath("StartingTestFile.bmp");
    r.rig.dialogs.saveAnswer = bmp;
    f.SaveClick();
    QFile file(bmp);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(30);
    ASSERT_EQ(header.left(2), "BM");
    auto le = [&](int at, int size) {
        int v = 0;
        for (int i = size - 1; i >= 0; --i)
            v = v << 8 | std::uint8_t(header[at + i]);
        return v;
    };
    EXPECT_EQ(le(18, 4), box.width());
    EXPECT_EQ(le(22, 4), box.height());
    EXPECT_EQ(le(28, 2), 24);
    file.close();

    // An existing file stays when the user does not want it replaced.
    r.rig.dialogs.yesAnswer = false;
    const QString csv = dir.filePath("log.csv");
    QFile existing(csv);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep");
    existing.close();
    r.rig.dialogs.saveAnswer = csv;
    f.SaveClick();
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), "keep");
    existing.close();
    r.rig.dialogs.yesAnswer = true;
    f.SaveClick();
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), LogCsv(r.rig.link.InstrumentLog));

    // A folder that cannot be written: a message naming the file.
    const QString unwritable = dir.filePath("missing/folder/chart.png");
    r.rig.dialogs.saveAnswer = unwritable;
    f.SaveClick();
    ASSERT_FALSE(r.rig.dialogs.messages.empty());
    EXPECT_TRUE(r.rig.dialogs.texts().back().contains(QDir::toNativeSeparators(unwritable)));
    EXPECT_FALSE(QFile::exists(unwritable));
}

TEST(LogExport, CsvHoldsEverySampleTimesItsFactorWithRoundTripDigits)
{
    const auto log = MakeLog(
        0.0123f, 0.5f, [](int k) { return k == 0      ? 1000
                                          : k == 2559 ? -3
                                                      : 0; },
        [](int k) { return k == 2551 ? -2047 : 1; });
    const QByteArray csv = LogCsv(log);
    const QList<QByteArray> lines = csv.split('\n');
    ASSERT_EQ(lines.size(), 2562); // header, 2560 samples, the empty rest after the last CRLF
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        ASSERT_TRUE(lines[i].endsWith('\r')) << i;
    EXPECT_EQ(QString::fromUtf8(lines[0]), "樣本,電壓 (V),電流 (A)\r");
    const QList<QByteArray> first = lines[1].chopped(1).split(',');
    EXPECT_EQ(first[0], "0");
    EXPECT_EQ(first[1].toDouble(), 1000.0 * double(0.0123f)) << "reads back exactly";
    EXPECT_EQ(first[2], "0.5");
    EXPECT_EQ(lines[2552], "2551,0,-1023.5\r");
    EXPECT_EQ(lines[2553], "2552,0,\r"); // beyond the block: no current
    EXPECT_EQ(lines[2560].chopped(1).split(',')[1].toDouble(), -3.0 * double(0.0123f));

    const auto broken = MakeLog(std::numeric_limits<float>::quiet_NaN(), 1.0f, Flat, Flat);
    EXPECT_TRUE(LogCsv(broken).contains("\r\n0,,0\r\n"));
}

} // namespace
