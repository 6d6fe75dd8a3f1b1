// The record settings window with "SysSet.ini", and the record window's
// frame: menus, status panels, captions, pen images and command states.
#include "inifile.h"
#include "recordchart.h"
#include "recordcontrol.h"
#include "recordfixture.h"
#include "recordingdialogs.h"
#include "recordsettings.h"
#include "recordstate.h"
#include "sharedstate.h"
#include "trecordform.h"
#include "trecsetform.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <ostream>

namespace {

class RecordWindowsTest : public ::testing::Test {
protected:
    void writeSettings(const QByteArray& text)
    {
        QFile file(sysSet.path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    // Creates both windows as the program does, reading "SysSet.ini".
    void createWindows()
    {
        form = std::make_unique<TRecordForm>(control, *record, shared,
                                             QCoreApplication::applicationDirPath());
        control.ApplySettings(ReadRecordSettings(sysSet));
        settings = std::make_unique<TRecSetForm>(sysSet, control, dialogs, form.get());
    }

    QTemporaryDir dir;
    IniFile sysSet{dir.filePath("SysSet.ini")};
    SharedState shared;
    std::unique_ptr<RecordState> record = std::make_unique<RecordState>();
    RecordingDialogs dialogs;
    RecordControl control{*record, shared, dialogs};
    std::unique_ptr<TRecordForm> form;
    std::unique_ptr<TRecSetForm> settings;
};

struct StoredCase {
    const char* name;
    QByteArray section;   // the RecordSet section's lines
    int stepSelection;    // of the sampling-step list
    int channelSelection; // of channel 1's list
    int stepMs;           // sampling period in use
    const char* panel0;
};

void PrintTo(const StoredCase& c, std::ostream* os)
{
    *os << c.name;
}

class RecordSettingsStored : public RecordWindowsTest,
                             public ::testing::WithParamInterface<StoredCase> {};

TEST_P(RecordSettingsStored, SelectsWhatItCanAndNeverRunsAnUndefinedPeriod)
{
    const StoredCase& c = GetParam();
    if (!c.section.isNull())
        writeSettings("[RecordSet]\n" + c.section);
    createWindows();
    EXPECT_EQ(settings->ComboBox2->currentIndex(), c.stepSelection);
    EXPECT_EQ(settings->channelLists[0]->currentIndex(), c.channelSelection);
    EXPECT_EQ(control.Timer1.interval(), c.stepMs);
    EXPECT_EQ(form->statusText(0), QString::fromUtf8(c.panel0));
}

INSTANTIATE_TEST_SUITE_P(
    Values, RecordSettingsStored,
    ::testing::Values(
        StoredCase{"NoFile", QByteArray(), 2, 2, 3000, "採樣步長：3S"},
        StoredCase{"Index11", "SampingSetp=11\nCh0=12\n", -1, 12, 30000, "採樣步長：30S"},
        StoredCase{"OutOfRange", "SampingSetp=12\nCh0=13\n", -1, -1, 3000, "採樣步長：3S"},
        StoredCase{"NotANumber", "SampingSetp=abc\nCh0=abc\n", -1, -1, 3000, "採樣步長：3S"},
        StoredCase{"Empty", "SampingSetp=\nCh0=\n", -1, -1, 3000, "採樣步長：3S"},
        StoredCase{"TooLargeForAnInteger", "SampingSetp=99999999999\nCh0=4294967298\n", -1, -1,
                   3000, "採樣步長：3S"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecordWindowsTest, ConfirmingAFreshInstallationWritesTheDefaults)
{
    createWindows();
    EXPECT_EQ(settings->windowTitle(), "記錄設置");
    EXPECT_EQ(settings->channelLists[2]->currentText(), " 功率");
    EXPECT_EQ(settings->ComboBox2->currentText(), "3 S");
    EXPECT_EQ(settings->ComboBox1->currentText(), "20 S");
    EXPECT_EQ(settings->ComboBox2->count(), 11);
    EXPECT_EQ(settings->channelLists[5]->itemText(12), " 溫度3");
    EXPECT_FALSE(settings->ComboBox9->isEnabled());
    EXPECT_EQ(settings->ComboBox9->currentText(), "此功能正在完成中");

    settings->Button1Click();
    const QString expected = "[RecordSet]\nCh0=2\nCh1=2\nCh2=2\nCh3=2\nCh4=2\nCh5=2\n"
                             "SampingSetp=2\nSaveSetp=2\nTInCommNO=-1\n";
    EXPECT_EQ(QString::fromUtf8(FileBytes(sysSet.path())), expected);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RecordWindowsTest, ConfirmAppliesEverythingThenWarnsOnceAboutTemperatureInputs)
{
    createWindows();
    settings->channelLists[1]->setCurrentIndex(11);
    settings->channelLists[4]->setCurrentIndex(12);
    settings->ComboBox2->setCurrentIndex(10);
    settings->ComboBox1->setCurrentIndex(5);
    settings->Button1Click();

    EXPECT_EQ(control.Timer1.interval(), 15000);
    EXPECT_EQ(control.TimerSave.interval(), 60000);
    EXPECT_EQ(form->statusText(0), "採樣步長：15S");
    EXPECT_EQ(form->statusText(1), "存儲間隔時間：60S");
    EXPECT_EQ(record->ChannelCodes, (std::array<std::int32_t, 6>{2, 11, 2, 2, 12, 2}));
    EXPECT_EQ(form->channelCaption(1), "溫度2");
    EXPECT_EQ(sysSet.ReadString("RecordSet", "Ch4", ""), "12");
    EXPECT_EQ(sysSet.ReadString("RecordSet", "SampingSetp", ""), "10");
    EXPECT_EQ(dialogs.texts(),
              QStringList{"你在輸入中選擇了溫度輸入，\r\r"
                          "請確認你的電腦已經連接到本公司生產的QTMX系列多路溫度檢測儀。"});
}

TEST_F(RecordWindowsTest, CancelKeepsTheChangedListsAndTouchesNothingElse)
{
    writeSettings("; kept as written\n[RecordSet]\nch0 = 0\nSampingSetp=4\n");
    createWindows();
    const QByteArray before = FileBytes(sysSet.path());
    settings->channelLists[0]->setCurrentIndex(7);
    settings->Button2Click();
    EXPECT_EQ(FileBytes(sysSet.path()), before);
    EXPECT_EQ(record->ChannelCodes[0], 0);
    EXPECT_EQ(form->channelCaption(0), "電壓");
    EXPECT_EQ(settings->channelLists[0]->currentIndex(), 7);
}

TEST_F(RecordWindowsTest, RecordWindowStartsWithItsFrameAndFollowsTheCommandStates)
{
    createWindows();
    EXPECT_EQ(form->windowTitle(), "記錄");
    // A record report drawn without the window assumes this chart size.
    EXPECT_EQ(form->chartSize(), QSize(kRecordChartDesignedWidth, kRecordChartDesignedHeight));
    QStringList menus;
    for (QAction* menu : form->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, (QStringList{"檔案(&F)", "選項 (&O)", "檢閱 (&V)", "操作 (&R)", "匯出(&E)"}));
    EXPECT_FALSE(form->printItem->isEnabled());
    const QStringList panels{
        "採樣步長：3S", "存儲間隔時間：20S",   "開始：", "結束：", "記錄長度：",
        "模式：記錄",   "顯示範圍：只顯示正值"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(form->statusText(i), panels[i]) << i;
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(form->channelCaption(c), "功率");
        EXPECT_TRUE(form->penImageLoaded(c)) << "PenData beside the program, channel " << c;
        EXPECT_EQ(form->parameters->labels[c]->text(), QString("CH%1 ").arg(c + 1));
        EXPECT_EQ(form->parameters->labels[12 + c]->text(), "Value：");
    }
    EXPECT_FALSE(form->tools->SeSkinSpeedButton5->isEnabled());
    EXPECT_FALSE(form->tools->SeSkinSpeedButton6->isEnabled());
    EXPECT_TRUE(form->tools->SeSkinSpeedButton4->isEnabled());
    EXPECT_FALSE(form->startItem->isEnabled());
    EXPECT_FALSE(form->stopItem->isEnabled());

    control.ApplySettings({{-1, 0, 1, 2, 3, 300}, 0, 0});
    EXPECT_EQ(form->channelCaption(0), "");
    EXPECT_EQ(form->channelCaption(5), "");

    QSignalSpy reportRequests(form.get(), &TRecordForm::recordReportRequested);
    form->tools->SeSkinSpeedButton3->click();
    EXPECT_EQ(reportRequests.count(), 1);

    dialogs.saveAnswer = dir.filePath("a.zqr");
    form->tools->SeSkinSpeedButton12->click();
    EXPECT_TRUE(form->tools->SeSkinSpeedButton5->isEnabled());
    EXPECT_TRUE(form->startItem->isEnabled());
    shared.link.SessionMode = SessionModeT::ContinuousSampling;
    form->startItem->trigger();
    EXPECT_FALSE(form->tools->SeSkinSpeedButton5->isEnabled());
    EXPECT_TRUE(form->tools->SeSkinSpeedButton6->isEnabled());
    EXPECT_FALSE(form->settingsItem->isEnabled());
    form->tools->SeSkinSpeedButton6->click();
    EXPECT_FALSE(form->stopItem->isEnabled());
    EXPECT_TRUE(form->tools->SeSkinSpeedButton4->isEnabled());
}

TEST_F(RecordWindowsTest, ClosingOnlyHidesTheWindowAndTheRecordingGoesOn)
{
    createWindows();
    dialogs.saveAnswer = dir.filePath("a.zqr");
    control.CreateFile();
    shared.link.SessionMode = SessionModeT::ContinuousSampling;
    control.Start();
    form->show();
    form->exitItem->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(control.Timer1.isActive());
    EXPECT_TRUE(control.TimerSave.isActive());
}

// The status bar names the file being written, and the next of its series
// once a full one went on in it.
TEST_F(RecordWindowsTest, TheStatusBarNamesTheFileOfTheSeriesBeingWritten)
{
    createWindows();
    EXPECT_EQ(form->recordFileText(), "");
    control.writer().setFileCapacity(2);
    qint64 nowMs = 50'000;
    shared.link.Arrivals.clock = [&] { return nowMs; };
    dialogs.saveAnswer = dir.filePath("a.zqr");
    control.CreateFile();
    EXPECT_EQ(form->recordFileText(), "") << "the file just chosen needs no word";
    shared.link.SessionMode = SessionModeT::ContinuousSampling;
    control.Start();
    for (int i = 0; i < 3; ++i) {
        shared.link.Arrivals.noteArrival();
        control.Timer1Timer();
        nowMs += 3000;
    }
    EXPECT_EQ(form->recordFileText(), "第 2 個檔案");
    EXPECT_TRUE(form->findChild<QLabel*>("recordFileLabel")
                    ->toolTip()
                    .startsWith("記錄檔案：a-0002.zqr（第 2 個）\n"));
    EXPECT_TRUE(control.Timer1.isActive());
}

// What the recording has to tell shows in the notice line, and a failing
// save in a message that does not block: waiting for the instrument, samples
// repeating measurements, a save failure and its end.
TEST_F(RecordWindowsTest, TheNoticeLineAndTheSaveMessageTellWithoutBlocking)
{
    createWindows();
    qint64 nowMs = 50'000;
    shared.link.Arrivals.clock = [&] { return nowMs; };
    bool failing = false;
    control.setFileSaver([&](const QString& path, const SampleBuffers& capture, std::int32_t count,
                             std::int32_t savedCount, RecordBlock& assembly) {
        return failing ? RecordFileResult{RecordFileFailure::WriteFailed, ENOSPC}
                       : SaveRecordFile(path, record->RecordFileIdentity, capture, count,
                                        savedCount, assembly);
    });
    dialogs.saveAnswer = dir.filePath("a.zqr");
    control.CreateFile();
    shared.link.SessionMode = SessionModeT::ContinuousSampling;
    EXPECT_EQ(form->noticeText(), "");

    control.Start();
    control.Timer1Timer(); // no measurement yet
    EXPECT_EQ(form->noticeText(),
              "記錄等待儀器：沒有收到新的測量資料，暫不取樣；測量資料恢復後自動繼續記錄。");
    shared.link.Arrivals.noteArrival();
    nowMs += 4000; // a slow line: measurements 4 s apart, the step is 3 s
    shared.link.Arrivals.noteArrival();
    control.Timer1Timer();
    EXPECT_EQ(record->CaptureCount, 1);
    EXPECT_EQ(form->noticeText(), "注意：採樣步長 3 秒短於儀器的測量週期（約 4.0 "
                                  "秒），相鄰的記錄點會重複同一次測量的數值。");

    failing = true;
    control.TimerSaveTimer();
    control.TimerSaveTimer();
    ASSERT_NE(form->saveMessage, nullptr);
    EXPECT_TRUE(form->saveMessage->isVisible());
    EXPECT_EQ(form->saveMessage->windowModality(), Qt::NonModal);
    EXPECT_TRUE(form->saveMessage->text().startsWith("寫入記錄檔案失敗："));
    EXPECT_TRUE(form->saveMessage->text().endsWith(
        "記錄繼續進行，資料暫存在記憶體中；每個存儲間隔都會再嘗試寫入檔案。"));
    EXPECT_TRUE(
        form->noticeText().contains("起儲存失敗，記錄繼續進行，每個存儲間隔都會再嘗試寫入。"));
    EXPECT_TRUE(dialogs.messages.empty());

    failing = false;
    control.TimerSaveTimer();
    EXPECT_EQ(form->saveMessage->windowTitle(), "記錄檔案已恢復儲存");
    EXPECT_TRUE(form->saveMessage->text().contains("已恢復儲存"));
    EXPECT_TRUE(form->noticeText().contains("記錄檔案已恢復儲存（"));
    form->saveMessage->close();

    control.Stop();
    control.CreateFile();
    control.Start();
    EXPECT_EQ(form->noticeText(), "") << "a new recording starts without the old notices";
}

} // namespace
