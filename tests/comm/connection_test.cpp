#include "connectioncontroller.h"
#include "eventwait.h"
#include "inifile.h"
#include "linkrig.h"
#include "modbusframe.h"
#include "portenvironment.h"
#include "ptypair.h"
#include "scriptedline.h"
#include "tcommform.h"
#include "testframes.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <set>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Ports as the test declares them: which can be opened, which carry an id.
class FakePorts : public PortEnvironment {
public:
    void refresh() override { ++refreshes; }
    bool canOpen(int n) override { return openable.count(n) > 0; }
    QString deviceId(int n) override { return ids.value(n); }
    QString deniedDevice(int n) override { return denied.value(n); }
    std::optional<BusyPort> busyPort(int n) override
    {
        return busy.contains(n) ? std::optional<BusyPort>(busy.value(n)) : std::nullopt;
    }

    std::set<int> openable;
    QHash<int, BusyPort> busy; // held by another program
    QHash<int, QString> ids;
    QHash<int, QString> denied; // devices this user may not open
    int refreshes = 0;
};

const QString kUsbId = QStringLiteral("USB\\VID_0483&PID_5732\\0001");

class ConnectionTest : public ::testing::Test {
protected:
    ConnectionTest()
    {
        rig.comm.setPortOpen(false);
        rig.comm.setBaudRate(TBaudRate::br115200);
        rig.link.UsbDeviceMark = QStringLiteral("5732");
        rig.link.InstrumentAddress = 0;
        // Every port number of the test reaches the same scripted line.
        const QString path = line.path();
        // Each call returns its own copy of the captured path.
        rig.comm.setDeviceResolver(
            [path](int) { return path; }); // NOLINT(performance-no-automatic-move)
        QObject::connect(&controller, &ConnectionController::linkStatusChanged,
                         [this](LinkStatus s) { status << s; });
    }

    void writeSettings(const QByteArray& text)
    {
        QFile f(sysSet.path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QTemporaryDir dir;
    IniFile sysSet{dir.filePath(QStringLiteral("SysSet.ini"))};
    ScriptedLine line;
    LinkRig rig{line.path()};
    FakePorts ports;
    ConnectionController controller{rig.link,    rig.comm, rig.sender, rig.dispatcher,
                                    rig.control, ports,    sysSet};
    // The window tells the user what the controller announces.
    TCommForm form{controller, rig.dialogs};
    QList<LinkStatus> status;

    // The port list as the window shows it.
    QStringList itemTexts() const
    {
        QStringList texts;
        for (const ConnectionController::PortItem& item : controller.portItems())
            texts << TCommForm::PortItemText(item.number, item.usb);
        return texts;
    }
};

TEST_F(ConnectionTest, MissingSettingsGiveTheDefaultsAndNoPortMessage)
{
    QSignalSpy baud(&controller, &ConnectionController::baudIndexChanged);
    ports.openable = {1, 3};
    controller.ScanPorts();

    EXPECT_EQ(baud.takeFirst().at(0).toInt(), 2);
    EXPECT_EQ(rig.comm.BaudRate(), TBaudRate::br14400);
    EXPECT_EQ(rig.link.BaudIndex, 2);
    EXPECT_EQ(rig.link.CurrentPort, 2);
    EXPECT_EQ(rig.link.InstrumentAddress, 2);
    EXPECT_EQ(sysSet.ReadString("CommAddress", "Address", "none"), "2");
    EXPECT_EQ(itemTexts(), (QStringList{"COM1    ", "COM3    "}));
    EXPECT_EQ(controller.selectedPortItem(), -1);

    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "       沒有找到預設端口，請檢查：\r\r"
                                            "               儀器電源是否開啟。\r"
                                            "               連接儀器的通訊網路。\r"
                                            "               更換了USB口，請重新設置。       ");
    EXPECT_FALSE(rig.control.states().singleButton);
    EXPECT_FALSE(rig.control.states().N13);
    EXPECT_EQ(status, (QList<LinkStatus>{LinkStatus::Searching, LinkStatus::Failed}));
    EXPECT_TRUE(rig.link.PortListReady);
    EXPECT_FALSE(rig.comm.PortOpen());
}

TEST_F(ConnectionTest, BaudIndexOutsideTheListOrNotANumberSelectsNothing)
{
    for (const char* saved : {"9", "-1", "fast"}) {
        SCOPED_TRACE(saved);
        writeSettings(QByteArray("[CommBaudrate]\nBaudrate=") + saved + "\n");
        QSignalSpy baud(&controller, &ConnectionController::baudIndexChanged);
        controller.ScanPorts();
        EXPECT_EQ(baud.takeFirst().at(0).toInt(), -1);
        EXPECT_EQ(rig.comm.BaudRate(), TBaudRate::br115200);
        EXPECT_EQ(rig.link.BaudIndex, -1);
    }
}

TEST_F(ConnectionTest, SavedPortConnectsAndStartsTheReadBackWithTheSavedAddress)
{
    writeSettings("[CommPort]\nPort=12\n[CommAddress]\nAddress=7\n[CommBaudrate]\nBaudrate=7\n");
    ports.openable = {3, 12, 40};
    rig.link.SyncStep = 9;
    controller.ScanPorts();

    EXPECT_EQ(itemTexts(), (QStringList{"COM3    ", "COM12    ", "COM40    "}));
    EXPECT_EQ(controller.selectedPortItem(), 1);
    EXPECT_TRUE(rig.comm.PortOpen());
    EXPECT_EQ(rig.comm.CommPort(), 11);
    EXPECT_FALSE(rig.link.UsbLink);
    EXPECT_EQ(rig.link.SyncStep, 0);
    EXPECT_EQ(line.waitForSent(8), ReadRequestFrame(7, 128, 2));
    EXPECT_TRUE(rig.control.states().singleButton && rig.control.states().continuousButton);
    EXPECT_TRUE(rig.control.states().N12 && rig.control.states().N13);
    EXPECT_EQ(status.last(), LinkStatus::PortOpened);
    EXPECT_TRUE(rig.dialogs.messages.empty());
    // The first read arms no retry.
    EXPECT_FALSE(rig.control.ReReadTimer.isActive());
}

TEST_F(ConnectionTest, SavedPortOutsideOneTo255NamesNoPort)
{
    // 263 would wrap to COM7 in a byte.
    ports.openable = {7, 255};
    for (const char* saved : {"263", "0", "-1", "256", "99999999999", "seven"}) {
        SCOPED_TRACE(saved);
        rig.dialogs.messages.clear();
        writeSettings(QByteArray("[CommPort]\nPort=") + saved + "\n");
        controller.ScanPorts();
        EXPECT_EQ(rig.link.CurrentPort, 0);
        EXPECT_EQ(controller.selectedPortItem(), -1);
        EXPECT_FALSE(rig.comm.PortOpen());
        EXPECT_EQ(rig.dialogs.messages.size(), 1u);
    }
    writeSettings("[CommPort]\nPort=255\n");
    controller.ScanPorts();
    EXPECT_EQ(rig.link.CurrentPort, 255);
    EXPECT_TRUE(rig.comm.PortOpen());
}

TEST_F(ConnectionTest, ClickOnThePortInUseKeepsTheLinkAndItsAnswer)
{
    writeSettings("[CommPort]\nPort=4\n");
    ports.openable = {4};
    controller.ScanPorts();
    ASSERT_EQ(line.waitForSent(8), ReadRequestFrame(2, 128, 2));
    line.write(FrameWithCrc("01030403000000")); // the answer is on its way
    ASSERT_TRUE(WaitUntil([&] { return rig.comm.DataCount() > 0; }));
    controller.PortListClicked(0);
    EXPECT_TRUE(rig.comm.PortOpen());
    ASSERT_TRUE(WaitUntil([&] { return rig.link.OptionByte == 3; })) << "the answer was kept";
    EXPECT_EQ(status.last(), LinkStatus::PortOpened);
}

TEST_F(ConnectionTest, InstrumentUsbPortsAreMarkedAndOnlyTheSavedOneIsTheUsbLink)
{
    writeSettings("[CommPort]\nPort=7\n");
    ports.openable = {5, 7, 9};
    ports.ids = {{7, kUsbId}, {9, kUsbId}, {5, "USB\\VID_0403&PID_6001\\A1"}};
    controller.ScanPorts();
    EXPECT_EQ(itemTexts(), (QStringList{"COM5    ", "COM7         通過USB連接QPA3600",
                                        "COM9         通過USB連接QPA3600"}));
    EXPECT_TRUE(rig.link.UsbLink);
    EXPECT_EQ(rig.link.UsbPortList[0], 7);
    EXPECT_EQ(rig.link.UsbPortList[1], 9);
    EXPECT_EQ(rig.link.UsbPortList[2], 0);
    EXPECT_EQ(ports.refreshes, 1);

    // A click on an ordinary port leaves the USB link; nothing is sent.
    line.waitForSent(8);
    controller.PortListClicked(0);
    EXPECT_FALSE(rig.link.UsbLink);
    EXPECT_EQ(rig.link.CurrentPort, 5);
    EXPECT_EQ(sysSet.ReadString("CommPort", "Port", ""), "5");
    EXPECT_EQ(status.last(), LinkStatus::Connected);
    EXPECT_TRUE(rig.comm.PortOpen());
    rig.comm.PollPort();
    RunPendingEvents();
    EXPECT_TRUE(line.takeSent().isEmpty());
}

TEST_F(ConnectionTest, NoPortMessageNamesTheDevicesTheUserMayNotOpen)
{
    writeSettings("[CommPort]\nPort=33\n");
    ports.openable = {3};
    // COM7 is mapped onto the same device as COM33: it is named once.
    ports.denied = {{33, "/dev/ttyUSB0"}, {65, "/dev/ttyACM0"}, {7, "/dev/ttyUSB0"}};
    controller.ScanPorts();

    EXPECT_EQ(itemTexts(), QStringList{"COM3    "}) << "openable ports listed as before";
    EXPECT_EQ(controller.deniedDevices(), (QStringList{"/dev/ttyUSB0", "/dev/ttyACM0"}));
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    const QString text = rig.dialogs.messages[0].text;
    const QString hint = text.mid(TCommForm::kNoPortMessage.size());
    EXPECT_TRUE(text.startsWith(TCommForm::kNoPortMessage));
    EXPECT_TRUE(hint.startsWith("\r               無權開啟 /dev/ttyUSB0、/dev/ttyACM0："))
        << hint.toStdString();
    EXPECT_EQ(hint.count('\r'), 1) << "one more line";
    for (const char* part : {"70-qpa3600.rules", "dialout", "重新登入"})
        EXPECT_TRUE(hint.contains(QString::fromUtf8(part))) << part;

    // Many adapters: four named, all counted.
    const QStringList many{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB3",
                           "/dev/ttyUSB4"};
    const QString manyText = TCommForm::NoPortMessage(many, "ann");
    EXPECT_TRUE(manyText.contains("/dev/ttyUSB3 等 5 個裝置：")) << manyText.toStdString();
    EXPECT_FALSE(manyText.contains("/dev/ttyUSB4"));
    EXPECT_TRUE(manyText.contains("sudo adduser ann dialout"));
    EXPECT_EQ(TCommForm::NoPortMessage({}, "ann"), TCommForm::kNoPortMessage);
}

TEST_F(ConnectionTest, SavedPortHeldByAnotherProgramIsNamedWithItsHolder)
{
    const struct {
        std::vector<serial::DeviceHolder> holders;
        const char* says;
    } cases[] = {
        {{{4711, "qpa3600"}},
         "預設端口 COM33（/dev/ttyUSB0）正被其他程式使用：qpa3600（PID 4711）。"},
        {{{12, "cat"}, {40, "minicom"}},
         "預設端口 COM33（/dev/ttyUSB0）正被其他程式使用：cat（PID 12）、minicom（PID 40）。"},
        {{}, "預設端口 COM33（/dev/ttyUSB0）正被其他程式使用。"}, // held by a process out of sight
    };
    writeSettings("[CommPort]\nPort=33\n");
    ports.openable = {3};
    for (const auto& c : cases) {
        rig.dialogs.messages.clear();
        status.clear();
        ports.busy = {{33, {"/dev/ttyUSB0", c.holders}}};
        controller.ScanPorts();
        EXPECT_EQ(itemTexts(), QStringList{"COM3    "});
        ASSERT_EQ(rig.dialogs.messages.size(), 1u);
        const QString text = rig.dialogs.messages[0].text;
        EXPECT_EQ(text, TCommForm::PortInUseMessage(33, "/dev/ttyUSB0", c.holders));
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.says))) << text.toStdString();
        EXPECT_FALSE(text.contains("沒有找到預設端口"));
        EXPECT_EQ(status.last(), LinkStatus::PortInUse);
        EXPECT_FALSE(rig.comm.PortOpen());
    }
    // Another port held makes no difference to the saved one's message.
    rig.dialogs.messages.clear();
    ports.busy = {{3, {"/dev/ttyS2", {}}}};
    ports.openable = {};
    controller.ScanPorts();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, TCommForm::kNoPortMessage);
}

TEST_F(ConnectionTest, APortThatWillNotOpenIsToldInAnErrorBox)
{
    writeSettings("[CommPort]\nPort=4\n");
    ports.openable = {4};
    rig.comm.setDeviceResolver([](int) { return QStringLiteral("/nonexistent/ttyQPA"); });
    controller.ScanPorts();
    EXPECT_FALSE(rig.comm.PortOpen());
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text,
              "通讯出现异常！请检查连接是否正确或重新启动程序和仪器。");
    EXPECT_EQ(rig.dialogs.messages[0].icon, UserDialogs::Icon::Error);
    EXPECT_EQ(status, (QList<LinkStatus>{LinkStatus::Searching, LinkStatus::Failed}));
}

// The window's words for each reason the port gives; the permission advice
// is the same one the no-port message gives.
TEST(CommFormTexts, PortErrorTextByReason)
{
    using R = ECommError::Reason;
    const QString failed = QStringLiteral("通讯出现异常！请检查连接是否正确或重新启动程序和仪器。");
    const struct {
        ECommError error;
        QString text;
    } cases[] = {
        {ECommError(R::OpenFailed), failed},
        {ECommError(R::NotSerial, "/dev/null"), "Cannot setup comm buffer"},
        {ECommError(R::HeldByOther, "/dev/ttyUSB0"), failed + "\n/dev/ttyUSB0 正被其他程序使用。"},
        {ECommError(R::HeldByOther, "/dev/ttyUSB0", {{12, "cat"}, {40, "minicom"}}),
         failed + "\n/dev/ttyUSB0 正被其他程序使用：cat（PID 12）、minicom（PID 40）。"},
        {ECommError(R::NoPermission, "/dev/ttyUSB0"),
         failed
             + "\n無權開啟 /dev/ttyUSB0：請安裝 udev 規則 70-qpa3600.rules"
               "（qpa3600 套件已附，讓登入的使用者開啟儀器的 USB 口），"
               "或將使用者加入 dialout 群組（sudo adduser ann dialout）後重新登入。"},
        {ECommError(R::NotOpen), "COM Port is not opened yet!"},
        {ECommError(R::AlreadyOpen), "COM Port has been opened!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(TCommForm::PortErrorText(c.error, "ann"), c.text);
    }
    const QString advice = TCommForm::PermissionAdvice("/dev/ttyUSB0", "ann");
    EXPECT_TRUE(TCommForm::NoPortMessage({"/dev/ttyUSB0"}, "ann").endsWith(advice));
    EXPECT_TRUE(TCommForm::PortErrorText(ECommError(R::NoPermission, "/dev/ttyUSB0"), "ann")
                    .endsWith(advice));
    EXPECT_TRUE(
        TCommForm::PermissionAdvice("/dev/ttyUSB0", "").contains("sudo adduser $USER dialout"));
}

TEST_F(ConnectionTest, DevicesWithoutPermissionStayQuietWhenTheSavedPortOpens)
{
    writeSettings("[CommPort]\nPort=3\n");
    ports.openable = {3};
    ports.denied = {{33, "/dev/ttyUSB0"}};
    controller.ScanPorts();
    EXPECT_TRUE(rig.comm.PortOpen());
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

// The window hands a click on its port list to the controller: a click on the
// port in use keeps the link as it is, a click on another port connects.
TEST_F(ConnectionTest, ReclickInTheWindowKeepsThePortInUse)
{
    writeSettings("[CommPort]\nPort=4\n");
    ports.openable = {4, 5};
    controller.ScanPorts();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_EQ(form.RadioGroup2->buttons().size(), 2);
    QAbstractButton* inUse = form.RadioGroup2->button(0);
    ASSERT_TRUE(inUse->isChecked());
    QSignalSpy clicks(form.RadioGroup2, &QButtonGroup::idClicked);
    status.clear();
    // On the round indicator: a radio button takes clicks on its indicator
    // and caption only.
    const QPoint indicator(6, inUse->height() / 2);
    QTest::mouseClick(inUse, Qt::LeftButton, {}, indicator);
    QTest::mouseClick(inUse, Qt::LeftButton, {}, indicator);
    ASSERT_EQ(clicks.size(), 2) << "the clicks reached the list";
    EXPECT_TRUE(rig.comm.PortOpen());
    EXPECT_TRUE(status.isEmpty()) << "not closed and reopened: " << status.size() << " statuses";

    QTest::mouseClick(form.RadioGroup2->button(1), Qt::LeftButton, {}, indicator);
    EXPECT_EQ(status, QList<LinkStatus>{LinkStatus::Connected});
    EXPECT_EQ(rig.link.CurrentPort, 5);
}

TEST_F(ConnectionTest, StartedWithAFileTheFirstScanStaysQuiet)
{
    rig.link.OpenedWithFile = true;
    controller.ScanPorts();
    EXPECT_TRUE(rig.dialogs.messages.empty());
    EXPECT_FALSE(rig.link.OpenedWithFile);
    controller.ScanPorts(); // the button: now the message shows
    EXPECT_EQ(rig.dialogs.messages.size(), 1u);
}

TEST_F(ConnectionTest, ClicksDuringAScanAreIgnored)
{
    ports.openable = {4};
    controller.ScanPorts();
    rig.link.PortListReady = false;
    controller.PortListClicked(0);
    EXPECT_FALSE(rig.comm.PortOpen());
    EXPECT_EQ(sysSet.ReadString("CommPort", "Port", "none"), "none");
}

TEST_F(ConnectionTest, BaudChangeIsSavedAndReopensTheLink)
{
    writeSettings("[CommPort]\nPort=4\n");
    ports.openable = {4};
    controller.ScanPorts();
    ASSERT_TRUE(rig.comm.PortOpen());
    controller.BaudRateChanged(0);
    EXPECT_EQ(sysSet.ReadString("CommBaudrate", "Baudrate", ""), "0");
    EXPECT_EQ(rig.comm.BaudRate(), TBaudRate::br4800);
    EXPECT_EQ(rig.link.BaudIndex, 0);
    EXPECT_TRUE(rig.comm.PortOpen());
    controller.BaudRateChanged(-1); // typed text that is no item
    EXPECT_EQ(sysSet.ReadString("CommBaudrate", "Baudrate", ""), "-1");
    EXPECT_EQ(rig.comm.BaudRate(), TBaudRate::br4800);
}

TEST_F(ConnectionTest, AddressFieldSavesOnlyAddressesFromOneTo255)
{
    const struct {
        const char* text;
        bool valid;
        int address;
    } cases[] = {{"17", true, 17}, {"255", true, 255}, {"0", false, 0},
                 {"", false, 0},   {"256", false, 0},  {"1", true, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        QSignalSpy shown(&controller, &ConnectionController::addressTextChanged);
        controller.AddressChanged(c.text);
        EXPECT_EQ(shown.takeFirst().at(1).toBool(), c.valid);
        EXPECT_EQ(controller.addressValid(), c.valid);
        if (c.valid) {
            EXPECT_EQ(sysSet.ReadString("CommAddress", "Address", ""), c.text);
        }
        if (c.valid || c.address == 0) {
            EXPECT_EQ(rig.link.InstrumentAddress, c.address);
        }
    }
    EXPECT_EQ(sysSet.ReadString("CommAddress", "Address", ""), "1");
    for (QChar key : QStringLiteral("0123456789\b"))
        EXPECT_TRUE(ConnectionController::AddressKeyAccepted(key));
    for (QChar key : QStringLiteral("a-. +"))
        EXPECT_FALSE(ConnectionController::AddressKeyAccepted(key));
}

TEST_F(ConnectionTest, WatchdogKeepsASilentUsbLinkAliveAndReopensIt)
{
    writeSettings("[CommPort]\nPort=7\n[CommAddress]\nAddress=3\n");
    ports.openable = {7};
    ports.ids = {{7, kUsbId}};
    controller.ScanPorts();
    EXPECT_EQ(line.waitForSent(8), ReadRequestFrame(3, 128, 2));
    rig.link.UsbWatch.noteActivity();

    // The watchdog's 100 ms ticks, one by one, until `done` (at most 40).
    ASSERT_TRUE(controller.Timer1.isActive());
    auto tickUntil = [&](const std::function<bool()>& done) {
        for (int tick = 0; tick < 40 && !done(); ++tick) {
            FireTimer(controller.Timer1);
            RunPendingEvents();
        }
        return done();
    };
    auto nextSent = [&] {
        QByteArray sent;
        tickUntil([&] {
            sent += line.takeSent();
            return sent.size() >= 8;
        });
        return sent;
    };

    // 11 silent ticks: keep-alive; 16: close, test, reopen and keep-alive.
    EXPECT_EQ(nextSent(), ReadRequestFrame(3, 187, 15));
    EXPECT_EQ(nextSent(), ReadRequestFrame(3, 187, 15));
    EXPECT_EQ(status.last(), LinkStatus::InstrumentReconnected);
    EXPECT_TRUE(rig.comm.PortOpen());

    // The device is gone: the port stays closed and the test is repeated.
    ports.openable.clear();
    ASSERT_TRUE(tickUntil([&] { return status.last() == LinkStatus::InstrumentLost; }));
    EXPECT_FALSE(rig.comm.PortOpen());
    ports.openable = {7};
    ASSERT_TRUE(tickUntil([&] { return status.last() == LinkStatus::InstrumentReconnected; }));
    EXPECT_TRUE(rig.comm.PortOpen());
}

TEST_F(ConnectionTest, WatchdogCountsButSendsNothingOnASerialLink)
{
    writeSettings("[CommPort]\nPort=4\n");
    ports.openable = {4};
    controller.ScanPorts();
    line.waitForSent(8);
    const int before = rig.link.UsbWatch.reopenTicks();
    ASSERT_TRUE(controller.Timer1.isActive());
    for (int tick = 0; tick < 18; ++tick) { // 1.8 s of the watchdog's 100 ms ticks
        FireTimer(controller.Timer1);
        RunPendingEvents();
    }
    EXPECT_GT(rig.link.UsbWatch.reopenTicks(), before + 10);
    EXPECT_TRUE(line.takeSent().isEmpty());
}

// The real port test: a device held by another program is not offered.
TEST(SystemPortsTest, PortHeldByAnotherOpenerIsNotListed)
{
    QTemporaryDir dir;
    ScriptedLine line;
    IniFile sysSet(dir.filePath("SysSet.ini"));
    sysSet.WriteString("PortMap", "com150", line.path());
    sysSet.WriteString("PortMap", "COM151Id", kUsbId);
    SystemPorts ports(sysSet);
    ports.refresh();
    EXPECT_TRUE(ports.canOpen(150));
    EXPECT_TRUE(ports.deviceId(151).contains("5732"));
    EXPECT_FALSE(ports.canOpen(151)); // no device behind it

    const int holder = ::open(line.path().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(ports.canOpen(150));
    ::close(holder);
    EXPECT_TRUE(ports.canOpen(150));
}

// A program that holds the port open without any lock (`cat /dev/ttyUSB0`
// left running): the port is in use, named with the program and its pid,
// and the link refuses to open it; once the program ends it is free again.
TEST(SystemPortsTest, PortHeldOpenWithoutALockIsInUseAndNamesItsHolder)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QTemporaryDir dir;
    IniFile sysSet(dir.filePath("SysSet.ini"));
    sysSet.WriteString("PortMap", "COM150", pty.slavePath());
    SystemPorts ports(sysSet);
    ports.refresh();
    ASSERT_TRUE(ports.canOpen(150));
    EXPECT_FALSE(ports.busyPort(150));

    // The child opens the device itself: nothing of this process is shared.
    QProcess holder;
    holder.start("sh", {"-c", "exec sleep 600 <\"$0\"", pty.slavePath()});
    ASSERT_TRUE(holder.waitForStarted());
    const serial::DeviceHolder expected{long(holder.processId()), "sleep"};
    const QByteArray device = QFile::encodeName(pty.slavePath());
    ASSERT_TRUE(WaitUntil([&] {
        const auto held = serial::OtherDeviceHolders(device.constData());
        return held.size() == 1 && held[0] == expected;
    }));

    EXPECT_FALSE(ports.canOpen(150));
    EXPECT_EQ(SerialDeviceAccess(pty.slavePath()), DeviceAccess::Busy);
    const auto busy = ports.busyPort(150);
    ASSERT_TRUE(busy);
    EXPECT_EQ(busy->device, pty.slavePath());
    EXPECT_EQ(busy->holders, std::vector<serial::DeviceHolder>{expected});
    const QString message = TCommForm::PortInUseMessage(150, busy->device, busy->holders);
    EXPECT_TRUE(message.contains(QStringLiteral("sleep（PID %1）").arg(expected.pid)))
        << message.toStdString();

    // Opened directly (a click in the list), the link refuses it as well.
    const serial::OpenResult opened = serial::OpenSerialDevice(device.constData());
    EXPECT_EQ(opened.status, serial::OpenStatus::Held);
    EXPECT_EQ(opened.fd, -1);
    EXPECT_EQ(opened.holders, std::vector<serial::DeviceHolder>{expected});

    holder.kill();
    holder.waitForFinished();
    EXPECT_TRUE(serial::OtherDeviceHolders(device.constData()).empty());
    EXPECT_TRUE(ports.canOpen(150));
    const serial::OpenResult free = serial::OpenSerialDevice(device.constData());
    ASSERT_EQ(free.status, serial::OpenStatus::Ok);
    serial::CloseSerialDevice(free.fd);
}

} // namespace
