// Band and method options, the external transformer window and the
// calibration window.
#include "eventwait.h"
#include "instrumentrig.h"
#include "linkmessages.h"
#include "scriptedline.h"
#include "simulatedinstrument.h"
#include "testframes.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(ExternalCtForm, ChecksFrequencyThenPhaseAndSendsTheTimeShift)
{
    const struct {
        const char* frequency;
        const char* phase;
        const char* message; // empty: the frame with `seconds` goes out
        float seconds;
    } cases[] = {
        {"50", "0", "", 0.0f},
        {"50", "30", "", float(1.0 / 50 * (30.0 / 360))},
        {"61", "30", "", float(1.0 / 61 * (30.0 / 360))},
        {"49", "-30", "", float(1.0 / 49 * (-30.0 / 360))},
        {"60", "-30", "", float(1.0 / 60 * (-30.0 / 360))},
        {"61.01", "0", "  頻率大於60HZ，資料無效!    ", 0},
        {"48.99", "0", "  頻率小於50HZ，資料無效!    ", 0},
        {"", "0", "  頻率小於50HZ，資料無效!    ", 0},
        {"50", "30.01", "  相位差不能大於30度，資料無效!    ", 0},
        {"50", "-30.01", "  相位差不能小於-30，資料無效!    ", 0},
        {"70", "-", "  頻率大於60HZ，資料無效!    ", 0}, // the frequency is judged first
        {"5.0.1", "0", "頻率「5.0.1」不是有效的數值，資料未儲存到儀器。", 0},
        {"50", "-", "相位差「-」不是有效的數值，資料未儲存到儀器。", 0},
        {"50", "nan", "相位差「nan」不是有效的數值，資料未儲存到儀器。", 0},
    };
    ScriptedLine line;
    InstrumentRig r(line.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frequency << " Hz " << c.phase);
        r.rig.dialogs.messages.clear();
        r.ct.Edit2->setText(c.frequency);
        r.ct.Edit1->setText(c.phase);
        r.ct.SaveButton->click();
        if (*c.message) {
            EXPECT_EQ(r.rig.dialogs.texts(), QStringList{QString::fromUtf8(c.message)});
            RunEventLoopFor(30);
            EXPECT_TRUE(line.takeSent().isEmpty());
            EXPECT_EQ(r.ct.StatusLabel->text(), ""); // a refusal leaves no "sent"
        } else {
            EXPECT_TRUE(r.rig.dialogs.messages.empty());
            EXPECT_EQ(line.waitForSent(13), WriteValueFrame(129, c.seconds));
            EXPECT_EQ(r.ct.StatusLabel->text(),
                      QStringLiteral("已傳送到儀器：相位差 %1 度，頻率 %2 Hz。")
                          .arg(QString::fromUtf8(c.phase), QString::fromUtf8(c.frequency)));
        }
    }
}

TEST(ExternalCtForm, IsModelessTakesTheMinusAndComplainsWhenThePortIsClosed)
{
    ScriptedLine line;
    InstrumentRig r(line.path());
    EXPECT_EQ(r.ct.windowTitle(), "外部互感器選項");
    EXPECT_FALSE(r.ct.isModal());
    EXPECT_EQ(r.ct.Edit1->text(), "0");
    EXPECT_EQ(r.ct.Edit2->text(), "50");
    r.ct.show();
    r.ct.Edit1->clear();
    QTest::keyClicks(r.ct.Edit1, "-2x5");
    EXPECT_EQ(r.ct.Edit1->text(), "-25");

    r.rig.comm.setPortOpen(false);
    r.ct.SaveClick();
    EXPECT_EQ(r.rig.dialogs.texts(), QStringList{kSendFailedMessage});
    EXPECT_EQ(r.ct.StatusLabel->text(), ""); // nothing went out: nothing said sent
    QTest::keyClick(&r.ct, Qt::Key_Escape);
    EXPECT_FALSE(r.ct.isVisible());
}

TEST(MeasurementOptionsChoice, ChangesTheInstrumentsOptionByteAndKeepsTheChoiceWhenClosed)
{
    SimulatedInstrument simulator;
    ASSERT_TRUE(simulator.start());
    simulator.setOptionByte(0xF0);
    InstrumentRig r(QString::fromStdString(simulator.devicePath()));
    r.rig.link.OptionByte = 0xF0;
    std::vector<OptionItem> chosen;
    QObject::connect(&r.forms.options, &MeasurementOptions::chosen,
                     [&](OptionItem item) { chosen.push_back(item); });

    r.forms.options.choose(OptionItem::N32);
    ASSERT_TRUE(WaitUntil([&] { return simulator.optionByte() == 0xF1; }));
    r.forms.options.choose(OptionItem::CSA1);
    ASSERT_TRUE(WaitUntil([&] { return simulator.optionByte() == 0xF3; }));
    r.forms.options.choose(OptionItem::N31);
    ASSERT_TRUE(WaitUntil([&] { return simulator.optionByte() == 0xF2; }));
    r.forms.options.choose(OptionItem::IEC2);
    ASSERT_TRUE(WaitUntil([&] { return simulator.optionByte() == 0xF0; }));
    EXPECT_EQ(chosen, (std::vector<OptionItem>{OptionItem::N32, OptionItem::CSA1, OptionItem::N31,
                                               OptionItem::IEC2}));
    RunEventLoopFor(200); // the acknowledgements change nothing
    EXPECT_EQ(r.rig.link.OptionByte, 0xF0);
    EXPECT_TRUE(r.rig.dialogs.messages.empty());

    r.rig.comm.setPortOpen(false);
    r.forms.options.choose(OptionItem::N32);
    EXPECT_EQ(r.rig.dialogs.texts(), QStringList{kSendFailedMessage});
    EXPECT_EQ(r.rig.link.OptionByte, 0xF1);
    EXPECT_EQ(chosen.back(), OptionItem::N32);
}

TEST(CalibrateForm, DrivesTheInstrumentsCalibration)
{
    SimulatedInstrument simulator;
    ASSERT_TRUE(simulator.start());
    InstrumentRig r(QString::fromStdString(simulator.devicePath()));
    TCalibrateForm& form = r.calibrate;
    EXPECT_EQ(form.windowTitle(), "CalibrateForm");
    EXPECT_FALSE(form.isModal());

    form.button("开锁")->click();
    form.button("110")->click();
    form.button("3A")->click();
    form.button("校准低温")->click();
    ASSERT_TRUE(WaitUntil([&] { return simulator.requestCount() >= 4; }));
    EXPECT_EQ(form.Edit1->text(), "110");
    EXPECT_EQ(form.Edit2->text(), "3");
    ASSERT_TRUE(WaitUntil([&] { return simulator.calibration().lastTemperatureCommand == 1; }));
    const CalibrationState state = simulator.calibration();
    EXPECT_TRUE(state.unlocked);
    EXPECT_EQ(state.voltageReference, 110.0f);
    EXPECT_EQ(state.currentReference, 3.0f);

    form.button("宽频")->click();
    ASSERT_TRUE(WaitUntil([&] { return simulator.optionByte() == 1; }));
    EXPECT_TRUE(r.rig.dialogs.messages.empty());
}

TEST(CalibrateForm, ClosedPortIsOpenedForCalibrationAndReportedForCommands)
{
    ScriptedLine line;
    InstrumentRig r(line.path());
    r.rig.comm.setPortOpen(false);
    r.calibrate.button("开锁")->click();
    EXPECT_EQ(r.rig.dialogs.texts(), QStringList{"请求读失败，仪器和电脑还没有连接。"});

    // The calibrate buttons open the port first.
    r.rig.dialogs.messages.clear();
    r.calibrate.button("15")->click();
    EXPECT_TRUE(r.rig.comm.PortOpen());
    EXPECT_EQ(line.waitForSent(13), WriteValueFrame(154, 15.0f));
    EXPECT_TRUE(r.rig.dialogs.messages.empty());
}

TEST(CalibrateForm, AnUnopenablePortIsReportedAndNothingIsSent)
{
    ScriptedLine line;
    InstrumentRig r(line.path());
    r.rig.comm.setPortOpen(false);
    r.rig.comm.setDeviceResolver([](int) { return QStringLiteral("/nonexistent/qpa3600"); });
    r.calibrate.voltageButton->click();
    r.calibrate.currentButton->click();
    ASSERT_EQ(r.rig.dialogs.messages.size(), 2u);
    EXPECT_EQ(r.rig.dialogs.messages[0].icon, UserDialogs::Icon::Error);
    EXPECT_FALSE(r.rig.dialogs.messages[0].text.isEmpty());
    EXPECT_FALSE(r.rig.comm.PortOpen());

    r.calibrate.Edit1->setText("2.2.0");
    r.rig.comm.setDeviceResolver([&line](int) { return line.path(); });
    r.rig.dialogs.messages.clear();
    r.calibrate.voltageButton->click();
    ASSERT_EQ(r.rig.dialogs.messages.size(), 1u);
    EXPECT_TRUE(r.rig.dialogs.messages[0].text.startsWith("电压"));
    RunEventLoopFor(50);
    EXPECT_TRUE(line.takeSent().isEmpty());
}

} // namespace
