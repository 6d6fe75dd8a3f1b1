// The alarm thresholds window against the simulated instrument, and its
// handling of bad input, lost answers and a closed port.
#include "eventwait.h"
#include "instrumentrig.h"
#include "scriptedline.h"
#include "simulatedinstrument.h"
#include "testframes.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Fault = SimulatedInstrument::Fault;

const QString kSendFailed = "提取數據失敗，請檢查是否已經連接儀器！   ";

std::vector<int> RegistersOf(const std::vector<std::vector<std::uint8_t>>& requests)
{
    std::vector<int> registers;
    registers.reserve(requests.size());
    for (const auto& request : requests)
        registers.push_back(request[2] << 8 | request[3]);
    return registers;
}

class AlarmFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(simulator.start(&error)) << error;
        r = std::make_unique<InstrumentRig>(QString::fromStdString(simulator.devicePath()));
    }

    bool waitForLabel(const QString& text, int timeoutMs = 5000)
    {
        return WaitUntil([&] { return r->alarm.Label7->text() == text; }, timeoutMs);
    }
    bool buttonsEnabled() const
    {
        return r->alarm.ReadButton->isEnabled() && r->alarm.SaveButton->isEnabled();
    }

    SimulatedInstrument simulator;
    std::unique_ptr<InstrumentRig> r;
};

TEST_F(AlarmFormTest, OpenReadsEachRegisterOnceAndShowsTheInstrumentsSettings)
{
    const float values[8] = {123.45678f, 1.03125f, -5.0f, 0.0f, 6000.0f, 0.5f, 0.99999f, 1e-5f};
    for (int i = 0; i < 8; ++i)
        simulator.setThreshold(i + 1, values[i]);
    simulator.setAlarmFlags(0xA5);

    r->alarm.OpenFromMenu();
    EXPECT_TRUE(r->alarm.isVisible());
    EXPECT_TRUE(r->alarm.isModal());
    EXPECT_EQ(r->alarm.Label7->text(), "正在請求儀器數據......");
    EXPECT_EQ(r->rig.link.LastRequest.reg, 128);
    EXPECT_EQ(r->rig.link.LastRequest.count, 2);
    EXPECT_FALSE(r->alarm.ReadButton->isEnabled()) << "a second chain would interleave";
    EXPECT_FALSE(r->alarm.SaveButton->isEnabled());
    EXPECT_TRUE(r->alarm.CloseButton->isEnabled());

    ASSERT_TRUE(waitForLabel("狀態：已跟儀器同步")) << r->alarm.Label7->text().toStdString();
    EXPECT_EQ(RegistersOf(simulator.receivedRequests()),
              (std::vector<int>{128, 118, 119, 120, 121, 122, 123, 124, 125, 126}));
    const char* shown[8] = {"123.4568", "1.0312", "-5", "0", "6000", "0.5", "1", "0"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(r->alarm.Edit[std::size_t(i)]->text(), shown[i]) << "Edit" << i + 1;
    const bool ticked[8] = {true, false, true, false, false, true, false, true};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(r->alarm.CheckBox[std::size_t(k)]->isChecked(), ticked[k]) << "CheckBox" << k + 1;
    EXPECT_TRUE(buttonsEnabled());
    EXPECT_FALSE(r->forms.alarmSync.StallTimer.isActive());
    EXPECT_TRUE(r->rig.dialogs.messages.empty());

    // "獲取儀器資料" runs the chain again and leaves the last request alone.
    simulator.clearReceivedRequests();
    simulator.setThreshold(4, 7.25f);
    r->rig.link.LastRequest = {148, 2};
    r->alarm.ReadButton->click();
    EXPECT_EQ(r->alarm.Label7->text(), "正在提取資料......");
    ASSERT_TRUE(waitForLabel("狀態：已跟儀器同步"));
    EXPECT_EQ(r->alarm.Edit[3]->text(), "7.25");
    EXPECT_EQ(simulator.requestCount(), 10u);
}

TEST_F(AlarmFormTest, SaveLeavesExactlyTheWindowsValuesInTheInstrument)
{
    r->setAlarmFields({"250.5", "", " 180 ", "0.001", "3500", "-1", "0.95", ".8"}, 0x5A);
    r->alarm.SaveButton->click();
    EXPECT_FALSE(r->alarm.SaveButton->isEnabled());
    EXPECT_EQ(r->rig.link.LastRequest.reg, 118);
    EXPECT_EQ(r->rig.link.LastRequest.kind, LastRequestT::Kind::WriteValue);
    QStringList labels;
    QObject::connect(&r->rig.dispatcher, &ResponseDispatcher::alarmWriteAcknowledged,
                     [&] { labels << r->alarm.Label7->text(); });
    ASSERT_TRUE(waitForLabel("完成傳送"));

    const float expected[8] = {250.5f, 0.0f, 180.0f, 0.001f, 3500.0f, -1.0f, 0.95f, 0.8f};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(simulator.threshold(i + 1), expected[i]) << "threshold " << i + 1;
        EXPECT_EQ(r->rig.link.AlarmSettings.threshold(i + 1), expected[i]);
    }
    EXPECT_EQ(simulator.alarmFlags(), 0x5A);
    EXPECT_EQ(RegistersOf(simulator.receivedRequests()),
              (std::vector<int>{118, 119, 120, 121, 122, 123, 124, 125, 126}));
    EXPECT_EQ(labels, (QStringList{"正在傳送 AL1L﹝", "正在傳送 AL2H﹝", "正在傳送 AL2L﹝",
                                   "正在傳送 AL3H﹝", "正在傳送 AL3L﹝", "正在傳送 AL4H﹝",
                                   "正在傳送 AL4L﹝", "正在完成傳送 ", "完成傳送"}));
    EXPECT_TRUE(buttonsEnabled());
    EXPECT_TRUE(r->rig.dialogs.messages.empty());
}

// A lost answer stops a chain; two seconds without progress give it up.
TEST_F(AlarmFormTest, ADroppedAcknowledgementEndsTheWriteInTheFailureText)
{
    simulator.injectFaultFor(121, Fault::Drop);
    r->setAlarmFields({"2", "1", "4", "3", "6", "5", "8", "7"}, 0);
    r->alarm.SaveClick();
    ASSERT_TRUE(WaitUntil([&] { return simulator.requestCount() >= 4; }));
    RunEventLoopFor(300);
    EXPECT_EQ(simulator.requestCount(), 4u) << "nothing follows the lost acknowledgement";
    EXPECT_EQ(r->alarm.Label7->text(), "正在傳送 AL2L﹝");
    EXPECT_TRUE(r->forms.alarmSync.StallTimer.isActive());
    EXPECT_EQ(r->forms.alarmSync.StallTimer.interval(), 2000);
    EXPECT_FALSE(buttonsEnabled());

    r->forms.alarmSync.stallTimeout();
    EXPECT_EQ(r->alarm.Label7->text(), "狀態：傳送失敗    ");
    ASSERT_EQ(r->rig.dialogs.messages.size(), 1u);
    EXPECT_TRUE(r->rig.dialogs.messages[0].text.contains("未能全部存入儀器"));
    EXPECT_TRUE(buttonsEnabled());
    RunEventLoopFor(200);
    EXPECT_EQ(simulator.requestCount(), 4u) << "no extra frames";

    // Repeated by the user, the write goes through.
    r->alarm.SaveClick();
    ASSERT_TRUE(waitForLabel("完成傳送"));
    EXPECT_EQ(simulator.threshold(8), 7.0f);
}

TEST_F(AlarmFormTest, ALostAnswerEndsTheReadBackAndASpoiledOneIsAskedForAgain)
{
    simulator.injectFaultFor(122, Fault::Corrupt);
    simulator.injectFaultFor(124, Fault::Drop);
    r->alarm.OpenFromMenu();
    ASSERT_TRUE(
        WaitUntil([&] { return simulator.requestCount() >= 9; })); // 128, 118-124, 122 again
    RunEventLoopFor(300);
    EXPECT_EQ(RegistersOf(simulator.receivedRequests()),
              (std::vector<int>{128, 118, 119, 120, 121, 122, 122, 123, 124}));
    EXPECT_TRUE(r->forms.alarmSync.StallTimer.isActive());
    r->forms.alarmSync.stallTimeout();
    EXPECT_EQ(r->alarm.Label7->text(), "狀態：同步失敗    ");
    ASSERT_EQ(r->rig.dialogs.messages.size(), 1u);
    EXPECT_TRUE(r->rig.dialogs.messages[0].text.contains("未能讀取全部報警值"));
    EXPECT_TRUE(buttonsEnabled());
}

TEST_F(AlarmFormTest, BadTextsInAnyFieldStoreAndSendNothing)
{
    const char* bad[] = {".",   "1.2.3", "-",
                         "1,5", "1e5",   "nan",
                         "inf", "12abc", "1000000000000000000000000000000000000000"};
    const char* names[8] = {"電壓上限值", "電壓下限值", "電流上限值", "電流下限值",
                            "功率上限值", "功率下限值", "PF上限值",   "PF下限值"};
    const AlarmSettingsT before = r->rig.link.AlarmSettings;
    r->alarm.Label7->setText("狀態：已跟儀器同步");
    r->alarm.show();
    r->alarm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&r->alarm));
    for (std::size_t field = 0; field < 8; ++field) {
        for (const char* text : bad) {
            SCOPED_TRACE(testing::Message() << "Edit" << field + 1 << " " << text);
            r->setAlarmFields({"1", "2", "3", "4", "5", "6", "7", "8"}, 0xFF);
            r->alarm.Edit[field]->setText(text);
            r->rig.dialogs.messages.clear();
            r->alarm.SaveClick();
            ASSERT_EQ(r->rig.dialogs.messages.size(), 1u);
            EXPECT_TRUE(
                r->rig.dialogs.messages[0].text.startsWith(QString::fromUtf8(names[field])));
            EXPECT_TRUE(r->rig.dialogs.messages[0].text.contains(text));
            EXPECT_EQ(QApplication::focusWidget(), r->alarm.Edit[field]) << "focus on the field";
            EXPECT_EQ(r->rig.link.AlarmSettings.threshold(1), before.threshold(1));
            EXPECT_EQ(r->rig.link.AlarmSettings.AlarmFlags, before.AlarmFlags);
            EXPECT_TRUE(buttonsEnabled());
            EXPECT_EQ(r->alarm.Label7->text(), "狀態：已跟儀器同步");
        }
    }
    RunEventLoopFor(200);
    EXPECT_EQ(simulator.requestCount(), 0u);
}

// An upper limit below its lower one is refused before anything is stored
// or sent, naming both fields, with the upper one focused; equal limits are
// a pair the instrument takes.
TEST_F(AlarmFormTest, UpperBelowLowerIsRefusedNamingBothFieldsAndSendsNothing)
{
    const struct Case {
        std::size_t upper; // its field; the lower one follows it
        const char* upperText;
        const char* lowerText;
        const char* message;
    } cases[] = {
        {0, "100", "200.5", "電壓上限值「100」低於電壓下限值「200.5」，資料未儲存到儀器。"},
        {2, "0.5", "1", "電流上限值「0.5」低於電流下限值「1」，資料未儲存到儀器。"},
        {4, "", "10", "功率上限值「」低於功率下限值「10」，資料未儲存到儀器。"},
        {6, "0.8", "0.85", "PF上限值「0.8」低於PF下限值「0.85」，資料未儲存到儀器。"},
    };
    const AlarmSettingsT before = r->rig.link.AlarmSettings;
    r->alarm.Label7->setText("狀態：已跟儀器同步");
    r->alarm.show();
    r->alarm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&r->alarm));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        r->setAlarmFields({"300", "0", "20", "0", "6000", "0", "1", "0"}, 0xFF);
        r->alarm.Edit[c.upper]->setText(c.upperText);
        r->alarm.Edit[c.upper + 1]->setText(c.lowerText);
        r->alarm.CloseButton->setFocus();
        r->rig.dialogs.messages.clear();
        r->alarm.SaveClick();
        ASSERT_EQ(r->rig.dialogs.messages.size(), 1u);
        EXPECT_EQ(r->rig.dialogs.messages[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(r->rig.dialogs.messages[0].icon, UserDialogs::Icon::Warning);
        EXPECT_EQ(QApplication::focusWidget(), r->alarm.Edit[c.upper]);
        for (int i = 1; i <= 8; ++i)
            EXPECT_EQ(r->rig.link.AlarmSettings.threshold(i), before.threshold(i)) << i;
        EXPECT_EQ(r->rig.link.AlarmSettings.AlarmFlags, before.AlarmFlags);
        EXPECT_TRUE(buttonsEnabled());
        EXPECT_EQ(r->alarm.Label7->text(), "狀態：已跟儀器同步");
    }
    RunEventLoopFor(200);
    EXPECT_EQ(simulator.requestCount(), 0u) << "nothing went on the line";

    r->rig.dialogs.messages.clear();
    r->setAlarmFields({"230", "230", "5", "5", "0", "0", "0.9", "0.9"}, 0xFF);
    r->alarm.SaveClick();
    ASSERT_TRUE(waitForLabel("完成傳送"));
    EXPECT_EQ(simulator.threshold(1), 230.0f);
    EXPECT_EQ(simulator.threshold(8), 0.9f);
    EXPECT_TRUE(r->rig.dialogs.messages.empty());
}

TEST_F(AlarmFormTest, WithThePortClosedNothingIsSentAndTheWindowSaysSo)
{
    r->rig.comm.setPortOpen(false);
    r->alarm.OpenFromMenu();
    EXPECT_TRUE(r->alarm.isVisible());
    EXPECT_EQ(r->rig.dialogs.texts(), QStringList{"同步失敗，請檢查是否已經連接儀器！   "});
    EXPECT_TRUE(buttonsEnabled());

    r->rig.dialogs.messages.clear();
    r->alarm.ReadClick();
    EXPECT_EQ(r->rig.dialogs.texts(), QStringList{kSendFailed});

    r->rig.dialogs.messages.clear();
    r->alarm.SaveClick();
    EXPECT_EQ(r->rig.dialogs.texts(), QStringList{kSendFailed});
    EXPECT_EQ(r->alarm.Label7->text(), "狀態：傳送失敗    ");
    EXPECT_TRUE(buttonsEnabled());
    EXPECT_FALSE(r->forms.alarmSync.StallTimer.isActive());
    RunEventLoopFor(150);
    EXPECT_EQ(simulator.requestCount(), 0u);
}

TEST_F(AlarmFormTest, KeysEditTheFieldsAndEnterPressesNoButton)
{
    r->alarm.show();
    QLineEdit* edit = r->alarm.Edit[0];
    edit->setText("12");
    edit->setFocus();
    QTest::keyClicks(edit, "a-3,.5");
    EXPECT_EQ(edit->text(), "123.5");
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "235");
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit->selectedText(), "235");
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter);
    RunEventLoopFor(150);
    EXPECT_EQ(simulator.requestCount(), 0u);
    EXPECT_NE(r->alarm.Label7->text(), "正在存儲資料");
    EXPECT_TRUE(r->alarm.isVisible());
}

} // namespace
