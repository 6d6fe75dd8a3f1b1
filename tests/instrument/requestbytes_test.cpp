// The bytes each instrument command puts on the line, at address 1.
#include "eventwait.h"
#include "instrumentrig.h"
#include "scriptedline.h"
#include "testframes.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(text);
}

QByteArray TemperatureFrame(std::uint8_t code)
{
    const std::uint8_t data[4] = {code, 0, 0, 0};
    return WriteBytesFrame(166, data);
}

TEST(InstrumentRequestBytes, EachCommandSendsItsFrame)
{
    const struct {
        const char* name;
        std::function<void(InstrumentRig&, ScriptedLine&)> command;
        QByteArray expected; // the last frame sent
    } cases[] = {
        {"300.0 to 118",
         [](InstrumentRig& r, ScriptedLine&) {
             r.setAlarmFields({"300", "0", "20", "0", "6000", "0", "1", "0"}, 0);
             r.alarm.SaveClick();
         },
         Hex("01 10 00 76 00 02 04 00 00 96 43 5A F0")},
        {"flags 255 to 126 after the acknowledgement of 125",
         [](InstrumentRig& r, ScriptedLine& line) {
             r.setAlarmFields({"2", "1", "4", "3", "6", "5", "8", "7"}, 0xFF);
             r.alarm.SaveClick();
             for (int reg = 118; reg <= 125; ++reg) {
                 line.waitForSent(13);
                 line.write(WriteAck(std::uint8_t(reg)));
             }
         },
         Hex("01 10 00 7E 00 02 04 FF 00 00 00 45 13")},
        {"N32 with OptionByte 2",
         [](InstrumentRig& r, ScriptedLine&) {
             r.rig.link.OptionByte = 2;
             r.forms.options.choose(OptionItem::N32);
         },
         Hex("01 10 00 80 00 02 04 03 00 00 00 FB 8B")},
        {"CT 30 degrees at 50 Hz",
         [](InstrumentRig& r, ScriptedLine&) {
             r.ct.Edit1->setText("30");
             r.ct.Edit2->setText("50");
             r.ct.SaveClick();
         },
         Hex("01 10 00 81 00 02 04 0E 74 DA 3A A3 82")},
        {"preset 220 V",
         [](InstrumentRig& r, ScriptedLine&) { r.calibrate.button("220")->click(); },
         Hex("01 10 00 9A 00 02 04 00 00 5C 43 02 4D")},
        {"preset 0.2 A",
         [](InstrumentRig& r, ScriptedLine&) { r.calibrate.button("0.2A")->click(); },
         Hex("01 10 00 9E 00 02 04 CD CC 4C 3E 30 CC")},
        {"empty voltage field",
         [](InstrumentRig& r, ScriptedLine&) {
             r.calibrate.Edit1->clear();
             r.calibrate.voltageButton->click();
         },
         WriteValueFrame(154, 0.0f)},
        {"unlock", [](InstrumentRig& r, ScriptedLine&) { r.calibrate.button("开锁")->click(); },
         Hex("01 10 00 B9 00 02 04 B6 00 00 00 1E F9")},
        {"room temperature",
         [](InstrumentRig& r, ScriptedLine&) { r.calibrate.button("校准常温")->click(); },
         TemperatureFrame(0)},
        {"low temperature",
         [](InstrumentRig& r, ScriptedLine&) { r.calibrate.button("校准低温")->click(); },
         TemperatureFrame(1)},
        {"compensation off",
         [](InstrumentRig& r, ScriptedLine&) { r.calibrate.button("关闭温度补偿")->click(); },
         TemperatureFrame(2)},
        {"compensation on",
         [](InstrumentRig& r, ScriptedLine&) { r.calibrate.button("开启温度补偿")->click(); },
         TemperatureFrame(3)},
        {"narrow band from the calibration window",
         [](InstrumentRig& r, ScriptedLine&) {
             r.rig.link.OptionByte = 0x83;
             r.calibrate.button("窄频")->click();
         },
         Hex("01 10 00 80 00 02 04 82 00 00 00")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedLine line;
        InstrumentRig r(line.path());
        c.command(r, line);
        QByteArray expected = c.expected;
        if (expected.size() == 11)
            expected = FrameWithCrc(expected);
        const QByteArray sent = line.waitForSent(13);
        ASSERT_GE(sent.size(), 13);
        EXPECT_EQ(sent.right(13).toHex(' '), expected.toHex(' '));
        EXPECT_TRUE(r.rig.dialogs.messages.empty());
    }
}

// The voltage frame is built where read requests are built, so a read answer
// that follows counts as one of register 154; the current frame is not.
TEST(InstrumentRequestBytes, OnlyTheVoltageFrameTakesOverTheRequestBuffer)
{
    ScriptedLine line;
    InstrumentRig r(line.path());
    r.rig.sender.SendReadRequest(1, 120, 2);
    r.calibrate.button("1A")->click();
    line.waitForSent(8 + 13);
    EXPECT_EQ(r.rig.link.RequestBuffer[3], 120);
    r.calibrate.button("55")->click();
    line.waitForSent(13);
    EXPECT_EQ(r.rig.link.RequestBuffer[3], 154);
}

} // namespace
