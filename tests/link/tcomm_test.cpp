#include "tcomm.h"

#include "serialdevice.h"

#include "eventwait.h"
#include "ptypair.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <time.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace {

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return bytes;
}

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The port under test runs against the slave of a pseudo-terminal; COM2 (the
// component's default port) is that slave unless a test maps more devices.
class TCommTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok()) << "no pseudo-terminal available";
        devices[2] = pty.slavePath();
        comm.setDeviceResolver([this](int comNumber) { return resolve(comNumber); });
    }

    QString resolve(int comNumber) const
    {
        const auto found = devices.find(comNumber);
        return found == devices.end() ? QString() : found->second;
    }

    void openPort()
    {
        ASSERT_NO_THROW(comm.setPortOpen(true));
        ASSERT_TRUE(comm.PortOpen());
    }

    bool waitForCount(int count)
    {
        return WaitUntil([&] { return comm.DataCount() == count; }, 10000);
    }

    bool waitForFarEnd(PtyPair& end, const QByteArray& expected)
    {
        QByteArray got;
        const bool arrived = WaitUntil(
            [&] {
                got += end.receive();
                return got.size() >= expected.size();
            },
            10000);
        EXPECT_EQ(got, expected);
        return arrived && got == expected;
    }

    termios2 slave()
    {
        termios2 t{};
        EXPECT_TRUE(pty.slaveSettings(&t));
        return t;
    }

    // Why the open failed; nothing when it opened.
    std::optional<ECommError> openError(TComm& port)
    {
        try {
            port.setPortOpen(true);
        } catch (const ECommError& e) {
            return e;
        }
        return std::nullopt;
    }

    PtyPair pty;
    std::map<int, QString> devices;
    TComm comm;
    // What the port refused, in order.
    std::vector<ECommError::Reason> refusals;
    QMetaObject::Connection refusalLog = QObject::connect(
        &comm, &TComm::refused, [this](ECommError::Reason reason) { refusals.push_back(reason); });
};

// ---- receive events -------------------------------------------------------

TEST_F(TCommTest, ReceiveEventRaisedWhileInputWaitsAndHandlerReadsIt)
{
    comm.setRThreshold(1);
    int events = 0;
    QByteArray received;
    QObject::connect(&comm, &TComm::OnReceiveData, [&] {
        ++events;
        received += comm.ReadInputBytes();
    });
    openPort();

    ASSERT_TRUE(pty.send("\x01\x03\x02"));
    ASSERT_TRUE(WaitUntil([&] { return received.size() >= 3; }, 10000));
    EXPECT_EQ(received, QByteArray("\x01\x03\x02"));

    // Nothing waits any more: no further events.
    const int afterRead = events;
    RunEventLoopFor(400);
    EXPECT_EQ(events, afterRead);
    EXPECT_TRUE(refusals.empty());
}

TEST_F(TCommTest, ThresholdZeroRaisesNoEventAndHigherThresholdWaitsForEnoughBytes)
{
    int events = 0;
    QObject::connect(&comm, &TComm::OnReceiveData, [&] { ++events; });
    openPort();

    ASSERT_TRUE(pty.send("abc"));
    ASSERT_TRUE(waitForCount(3));
    RunEventLoopFor(400);
    EXPECT_EQ(events, 0) << "RThreshold 0 raises no receive event";

    comm.setRThreshold(4);
    RunEventLoopFor(400);
    EXPECT_EQ(events, 0) << "3 waiting bytes are below a threshold of 4";

    ASSERT_TRUE(pty.send("d"));
    EXPECT_TRUE(WaitUntil([&] { return events > 0; }, 10000));
    EXPECT_EQ(comm.DataCount(), 4) << "the component itself does not read";
}

// ---- reading --------------------------------------------------------------

TEST_F(TCommTest, InputLenZeroReadsWhatIsQueuedAndLaterBytesStay)
{
    openPort();
    ASSERT_TRUE(pty.send("hello"));
    ASSERT_TRUE(waitForCount(5));
    EXPECT_EQ(comm.ReadInputBytes(), QByteArray("hello"));
    EXPECT_TRUE(comm.LastReadFresh());

    ASSERT_TRUE(pty.send("later"));
    ASSERT_TRUE(waitForCount(5));
    EXPECT_EQ(comm.ReadInputBytes(), QByteArray("later"));
    EXPECT_EQ(comm.DataCount(), 0);
}

TEST_F(TCommTest, InputLenLimitsEachRead)
{
    openPort();
    comm.InputLen = 3;
    ASSERT_TRUE(pty.send("hello"));
    ASSERT_TRUE(waitForCount(5));
    EXPECT_EQ(comm.ReadInputBytes(), QByteArray("hel"));
    EXPECT_EQ(comm.DataCount(), 2);
    EXPECT_EQ(comm.ReadInputBytes(), QByteArray("lo"))
        << "fewer waiting than InputLen: what is there";
    EXPECT_TRUE(comm.LastReadFresh());
}

TEST_F(TCommTest, EmptyQueueReturnsPreviousInputAndTextStopsAtZeroByte)
{
    openPort();
    ASSERT_TRUE(pty.send(QByteArray("AB\0CD", 5)));
    ASSERT_TRUE(waitForCount(5));
    EXPECT_EQ(comm.Input(), QStringLiteral("AB"));
    EXPECT_TRUE(comm.LastReadFresh());

    EXPECT_EQ(comm.ReadInputBytes(), QByteArray("AB\0CD", 5));
    EXPECT_FALSE(comm.LastReadFresh());
    EXPECT_EQ(comm.Input(), QStringLiteral("AB"));

    comm.setPortOpen(false);
    EXPECT_EQ(comm.ReadInputBytes(), QByteArray("AB\0CD", 5))
        << "a closed port keeps the last input";
    EXPECT_FALSE(comm.LastReadFresh());
}

TEST_F(TCommTest, UpTo4096WaitingBytesAreReadMoreAreDiscarded)
{
    struct Case {
        int size;
        bool read;
    };
    const Case cases[] = {{4096, true}, {4097, false}, {4095, true}, {6000, false}};

    openPort();
    ASSERT_TRUE(pty.send("prev"));
    ASSERT_TRUE(waitForCount(4));
    QByteArray previous = comm.ReadInputBytes();
    ASSERT_EQ(previous, QByteArray("prev"));

    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const QByteArray burst = pattern(c.size);
        ASSERT_TRUE(pty.send(burst));
        ASSERT_TRUE(waitForCount(c.size)) << "counted " << comm.DataCount();

        const QByteArray got = comm.ReadInputBytes();
        EXPECT_EQ(comm.LastReadFresh(), c.read);
        EXPECT_EQ(got, c.read ? burst : previous);
        EXPECT_EQ(comm.DataCount(), 0) << "read or discarded, the queue is empty";
        previous = got;
    }
}

TEST_F(TCommTest, DataCountCountsAndSettingZeroDiscardsInput)
{
    EXPECT_EQ(comm.DataCount(), 0);
    openPort();
    ASSERT_TRUE(pty.send("0123456789"));
    ASSERT_TRUE(waitForCount(10));

    comm.setDataCount(5);
    EXPECT_EQ(comm.DataCount(), 10) << "only 0 discards";

    comm.setDataCount(0);
    EXPECT_EQ(comm.DataCount(), 0);
    ASSERT_TRUE(pty.send("new"));
    ASSERT_TRUE(waitForCount(3));
    EXPECT_EQ(comm.ReadInputBytes(), QByteArray("new"));
}

// ---- writing --------------------------------------------------------------

TEST_F(TCommTest, WriteReachesTheFarEndByteForByte)
{
    openPort();
    QByteArray frame;
    for (int i = 0; i < 512; ++i)
        frame += static_cast<char>(i & 0xFF); // every value, including 0x11/0x13 and CR/LF
    EXPECT_TRUE(
        comm.WriteData(reinterpret_cast<const std::uint8_t*>(frame.constData()), frame.size()));
    waitForFarEnd(pty, frame);
}

TEST_F(TCommTest, WriteToAStalledLineReturnsAfterABoundedWait)
{
    openPort();
    // Far more than the pseudo-terminal buffers while nobody reads the far end.
    const QByteArray big = pattern(256 * 1024);
    EXPECT_TRUE(comm.WriteData(reinterpret_cast<const std::uint8_t*>(big.constData()), big.size()));
    const QByteArray arrived = pty.receive();
    EXPECT_GT(arrived.size(), 0);
    EXPECT_LT(arrived.size(), big.size());
    EXPECT_EQ(arrived, big.left(arrived.size()));
}

TEST_F(TCommTest, WriteWhileClosedIsRefusedAndFails)
{
    const std::uint8_t frame[] = {1, 3, 0, 128, 0, 2};
    EXPECT_FALSE(comm.WriteData(frame, sizeof frame));
    EXPECT_EQ(refusals, std::vector{ECommError::Reason::NotOpen});
    EXPECT_TRUE(pty.receive().isEmpty());
}

// ---- opening and closing --------------------------------------------------

TEST_F(TCommTest, OpenWhileOpenIsRefusedAndKeepsThePort)
{
    openPort();
    const QString path = comm.devicePath();
    EXPECT_EQ(path, pty.slavePath());
    devices[2] = QStringLiteral("/nonexistent/elsewhere");
    comm.setPortOpen(true);
    EXPECT_EQ(refusals, std::vector{ECommError::Reason::AlreadyOpen});
    EXPECT_TRUE(comm.PortOpen());
    EXPECT_EQ(comm.devicePath(), path);

    comm.setPortOpen(false);
    comm.setPortOpen(false);
    EXPECT_FALSE(comm.PortOpen());
    EXPECT_TRUE(comm.devicePath().isEmpty());
    EXPECT_EQ(refusals.size(), 1u) << "closing a closed port says nothing";
}

TEST_F(TCommTest, OpenFailuresRaiseECommErrorAndLeaveThePortClosed)
{
    struct Case {
        const char* device;
        ECommError::Reason reason;
    };
    const Case cases[] = {
        {"/nonexistent/ttyQPA", ECommError::Reason::OpenFailed},
        {"", ECommError::Reason::OpenFailed}, // no device for the port number
        {"/dev/null", ECommError::Reason::NotSerial},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        devices[2] = QString::fromLatin1(c.device);
        const std::optional<ECommError> error = openError(comm);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->reason(), c.reason);
        EXPECT_FALSE(comm.PortOpen());
    }
    EXPECT_TRUE(refusals.empty());

    devices[2] = pty.slavePath();
    openPort();
}

// Changes the filesystem user of the calling thread only, so that a root test
// process meets permission checks like an ordinary user; restores it after.
class FilesystemUserGuard {
public:
    explicit FilesystemUserGuard(uid_t uid)
    {
        previous_ = static_cast<uid_t>(::setfsuid(uid));
        active_ = static_cast<uid_t>(::setfsuid(uid)) == uid;
    }
    ~FilesystemUserGuard() { ::setfsuid(previous_); }
    bool active() const { return active_; }

private:
    uid_t previous_;
    bool active_;
};

TEST_F(TCommTest, PermissionDeniedIsToldAsSuch)
{
    const QByteArray slavePath = pty.slavePath().toLocal8Bit();
    ASSERT_EQ(::chmod(slavePath.constData(), 0), 0);
    std::optional<ECommError> error;
    {
        std::unique_ptr<FilesystemUserGuard> asNobody;
        if (::geteuid() == 0) {
            asNobody = std::make_unique<FilesystemUserGuard>(65534);
            if (!asNobody->active())
                GTEST_SKIP() << "cannot drop filesystem privileges";
        }
        error = openError(comm);
    }
    ::chmod(slavePath.constData(), 0620);

    EXPECT_FALSE(comm.PortOpen());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->reason(), ECommError::Reason::NoPermission);
    EXPECT_EQ(error->device(), pty.slavePath());
}

TEST_F(TCommTest, HeldPortCannotBeOpenedByAnotherComponentOrLocker)
{
    const QByteArray slavePath = pty.slavePath().toLocal8Bit();
    // Opened before the port is claimed, so that it works without root too.
    const int probe = ::open(slavePath.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(probe, 0);
    openPort();

    TComm second;
    second.setDeviceResolver([this](int comNumber) { return resolve(comNumber); });
    // The holder is this process itself, so no other program is named.
    const auto heldByOther = [&] {
        const std::optional<ECommError> error = openError(second);
        return error && error->reason() == ECommError::Reason::HeldByOther
               && error->device() == pty.slavePath() && error->holders().empty();
    };
    EXPECT_TRUE(heldByOther());
    EXPECT_FALSE(second.PortOpen());

    EXPECT_NE(::flock(probe, LOCK_EX | LOCK_NB), 0);
    int exclusive = 0;
    ASSERT_EQ(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);

    comm.setPortOpen(false);
    ASSERT_EQ(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0) << "closing gives up the claim";
    EXPECT_EQ(::flock(probe, LOCK_EX | LOCK_NB), 0);
    EXPECT_TRUE(heldByOther()) << "the other holder's lock refuses us";

    ::close(probe);
    EXPECT_NO_THROW(second.setPortOpen(true));
    EXPECT_TRUE(second.PortOpen());
    EXPECT_TRUE(refusals.empty());
}

TEST_F(TCommTest, DestructionReleasesThePort)
{
    {
        TComm first;
        first.setDeviceResolver([this](int comNumber) { return resolve(comNumber); });
        first.setPortOpen(true);
        ASSERT_TRUE(first.PortOpen());
    }
    openPort();
}

TEST_F(TCommTest, CommPortChangeTakesEffectAtTheNextOpen)
{
    PtyPair other;
    ASSERT_TRUE(other.ok());
    devices[5] = other.slavePath();
    openPort();

    comm.setCommPort(4); // COM5
    EXPECT_EQ(comm.CommPort(), 4);
    EXPECT_EQ(comm.devicePath(), pty.slavePath());
    const std::uint8_t byte = 0x5A;
    comm.WriteData(&byte, 1);
    waitForFarEnd(pty, "\x5A");

    comm.setPortOpen(false);
    openPort();
    EXPECT_EQ(comm.devicePath(), other.slavePath());
    comm.WriteData(&byte, 1);
    waitForFarEnd(other, "\x5A");
    EXPECT_TRUE(pty.receive().isEmpty());
}

// ---- line settings --------------------------------------------------------

TEST_F(TCommTest, EveryBaudRateIsProgrammedExactly)
{
    struct Rate {
        TBaudRate rate;
        int bitsPerSecond;
    };
    const Rate rates[] = {
        {TBaudRate::br110, 110},     {TBaudRate::br300, 300},       {TBaudRate::br600, 600},
        {TBaudRate::br1200, 1200},   {TBaudRate::br2400, 2400},     {TBaudRate::br4800, 4800},
        {TBaudRate::br9600, 9600},   {TBaudRate::br14400, 14400},   {TBaudRate::br19200, 19200},
        {TBaudRate::br38400, 38400}, {TBaudRate::br56000, 56000},   {TBaudRate::br57600, 57600},
        {TBaudRate::br76800, 76800}, {TBaudRate::br115200, 115200}, {TBaudRate::br230400, 230400},
    };

    comm.setBaudRate(TBaudRate::br76800);
    openPort();
    EXPECT_EQ(slave().c_ospeed, 76800u) << "a rate set while closed applies at the open";

    // Each change on the open port reaches the device at once.
    for (const Rate& r : rates) {
        SCOPED_TRACE(r.bitsPerSecond);
        EXPECT_EQ(BaudRateValue(r.rate), r.bitsPerSecond);
        comm.setBaudRate(r.rate);
        const termios2 t = slave();
        EXPECT_EQ(t.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER));
        EXPECT_EQ(t.c_ospeed, static_cast<speed_t>(r.bitsPerSecond));
        EXPECT_EQ(t.c_ispeed, static_cast<speed_t>(r.bitsPerSecond));
    }
}

TEST_F(TCommTest, UnchangedSettingDoesNotTouchTheDevice)
{
    comm.setBaudRate(TBaudRate::br115200);
    openPort();

    // Mark the device behind the component's back.
    termios2 marked = slave();
    marked.c_ispeed = marked.c_ospeed = 1234;
    ASSERT_TRUE(pty.setSlaveSettings(marked));

    comm.setBaudRate(TBaudRate::br115200);
    comm.setDataBits(TDataBits::DB8);
    comm.setParity(TParity::None);
    comm.setStopBits(TStopBits::SB1);
    comm.setHwHandShaking(THWHandShaking::hhNone);
    comm.setSwHandShaking(TSWHandShaking::shNone);
    EXPECT_EQ(slave().c_ospeed, 1234u);

    comm.setParity(TParity::Even);
    EXPECT_EQ(slave().c_ospeed, 115200u) << "a changed setting reprograms the whole line";
}

TEST_F(TCommTest, OpenProgramsARawLineWithTheDefaults)
{
    // A cooked line as a terminal would leave it.
    termios2 cooked = slave();
    cooked.c_iflag |= ICRNL | IXON | ISTRIP;
    cooked.c_oflag |= OPOST | ONLCR;
    cooked.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    cooked.c_cflag = (cooked.c_cflag & ~(CSIZE | CLOCAL)) | CS7 | PARENB;
    cooked.c_cc[VMIN] = 1;
    ASSERT_TRUE(pty.setSlaveSettings(cooked));

    openPort();
    const termios2 t = slave();
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON | IXOFF | ISTRIP | INPCK), 0u);
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
              static_cast<tcflag_t>(CS8 | CLOCAL | CREAD));
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(t.c_ospeed, 9600u);
}

// A pseudo-terminal always keeps CS8 and drops PARENB, so the character size
// and the parity enable are checked on the composed settings below; what the
// device keeps is checked on the device.
TEST_F(TCommTest, LineSettingsReachTheOpenDevice)
{
    struct Case {
        const char* name;
        std::function<void(TComm&)> change;
        tcflag_t cflagMask, cflag;
        tcflag_t iflagMask, iflag;
    };
    const tcflag_t parityKind = PARODD | CMSPAR;
    const tcflag_t flow = IXON | IXOFF;
    const Case cases[] = {
        {"odd", [](TComm& c) { c.setParity(TParity::Odd); }, parityKind, PARODD, INPCK, INPCK},
        {"even", [](TComm& c) { c.setParity(TParity::Even); }, parityKind, 0, INPCK, INPCK},
        {"mark", [](TComm& c) { c.setParity(TParity::Mark); }, parityKind, PARODD | CMSPAR, INPCK,
         INPCK},
        {"space", [](TComm& c) { c.setParity(TParity::Space); }, parityKind, CMSPAR, INPCK, INPCK},
        {"no parity", [](TComm& c) { c.setParity(TParity::None); }, parityKind, 0, INPCK, 0},
        {"1.5 stop", [](TComm& c) { c.setStopBits(TStopBits::SB1_5); }, CSTOPB, CSTOPB, 0, 0},
        {"2 stop", [](TComm& c) { c.setStopBits(TStopBits::SB2); }, CSTOPB, CSTOPB, 0, 0},
        {"1 stop", [](TComm& c) { c.setStopBits(TStopBits::SB1); }, CSTOPB, 0, 0, 0},
        {"RTS/CTS", [](TComm& c) { c.setHwHandShaking(THWHandShaking::hhRTSCTS); }, CRTSCTS,
         CRTSCTS, 0, 0},
        {"RTS on", [](TComm& c) { c.setHwHandShaking(THWHandShaking::hhNoneRTSON); }, CRTSCTS, 0, 0,
         0},
        {"XON/XOFF", [](TComm& c) { c.setSwHandShaking(TSWHandShaking::shXonXoff); }, 0, 0, flow,
         flow},
        {"no XON/XOFF", [](TComm& c) { c.setSwHandShaking(TSWHandShaking::shNone); }, 0, 0, flow,
         0},
    };

    openPort();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.change(comm);
        const termios2 t = slave();
        EXPECT_EQ(t.c_cflag & c.cflagMask, c.cflag);
        EXPECT_EQ(t.c_iflag & c.iflagMask, c.iflag);
        EXPECT_EQ(t.c_ospeed, 9600u);
    }
}

TEST(SerialLineSettings, CharacterSizeAndParityAreComposed)
{
    using P = serial::LineSettings::Parity;
    struct Case {
        int dataBits;
        P parity;
        tcflag_t cflag; // of CSIZE | PARENB | PARODD | CMSPAR
    };
    const Case cases[] = {
        {5, P::None, CS5},
        {6, P::Odd, CS6 | PARENB | PARODD},
        {7, P::Even, CS7 | PARENB},
        {8, P::Mark, CS8 | PARENB | PARODD | CMSPAR},
        {8, P::Space, CS8 | PARENB | CMSPAR},
        {8, P::None, CS8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataBits);
        SCOPED_TRACE(static_cast<int>(c.parity));
        serial::LineSettings line;
        line.dataBits = c.dataBits;
        line.parity = c.parity;
        line.baudRate = 56000;
        termios2 t{};
        t.c_cflag = CS8 | PARENB | PARODD | CMSPAR | HUPCL; // all to be replaced but HUPCL
        t.c_cc[VINTR] = 3;
        serial::ComposeLineSettings(t, line);
        EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR), c.cflag);
        EXPECT_EQ(t.c_cflag & (HUPCL | CLOCAL | CREAD),
                  static_cast<tcflag_t>(HUPCL | CLOCAL | CREAD));
        EXPECT_EQ(t.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER));
        EXPECT_EQ(t.c_ispeed, 56000u);
        EXPECT_EQ(t.c_ospeed, 56000u);
        EXPECT_EQ(t.c_cc[VINTR], 3) << "fields the line does not concern keep their values";
    }
}

TEST_F(TCommTest, ModemLinesOnlyWhileOpen)
{
    comm.setDTREnabled(true);
    comm.setRTSEnabled(true);
    EXPECT_FALSE(comm.DTREnabled());
    EXPECT_FALSE(comm.RTSEnabled());
    try {
        comm.UpdateModemStatus();
        ADD_FAILURE() << "no ECommError";
    } catch (const ECommError& e) {
        EXPECT_EQ(e.reason(), ECommError::Reason::NotOpen);
    }

    openPort();
    comm.setDTREnabled(true);
    comm.setRTSEnabled(true);
    EXPECT_TRUE(comm.DTREnabled());
    EXPECT_TRUE(comm.RTSEnabled());
    // A pseudo-terminal has no modem lines: the sample fails and changes nothing.
    EXPECT_NO_THROW(comm.UpdateModemStatus());
    EXPECT_EQ(comm.CommEvent(), 0u);
    EXPECT_FALSE(comm.CDHolding() || comm.DSRHolding() || comm.RIHolding() || comm.CTSHolding());
}

// ---- a device that goes away ----------------------------------------------

TEST_F(TCommTest, VanishedDeviceIsIgnoredUntilClosedAndPollingGoesOn)
{
    comm.setRThreshold(1);
    int receiveEvents = 0, errorEvents = 0, modemEvents = 0;
    QObject::connect(&comm, &TComm::OnReceiveData, [&] { ++receiveEvents; });
    QObject::connect(&comm, &TComm::OnReceiveError, [&](std::uint32_t) { ++errorEvents; });
    QObject::connect(&comm, &TComm::OnModemStateChange, [&](std::uint32_t) { ++modemEvents; });
    openPort();

    // Unread input keeps raising events while the device is there.
    ASSERT_TRUE(pty.send("xyz"));
    ASSERT_TRUE(WaitUntil([&] { return receiveEvents >= 2; }, 10000));

    pty.closeMaster();
    const int beforeVanish = receiveEvents;
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = threadCpuSeconds();
    RunEventLoopFor(1000);
    const double cpuUsed = threadCpuSeconds() - cpuBefore;
    const double wallSeconds = wall.elapsed() / 1000.0;

    EXPECT_LE(receiveEvents, beforeVanish + 1) << "at most a poll already under way";
    EXPECT_EQ(errorEvents, 0);
    EXPECT_EQ(modemEvents, 0);
    EXPECT_EQ(comm.CommError(), 0u);
    // A processor-bound loop would use about all of the time; polling uses little.
    EXPECT_LT(cpuUsed, 0.5 * wallSeconds) << "cpu " << cpuUsed << " s in " << wallSeconds << " s";

    EXPECT_TRUE(comm.PortOpen());
    EXPECT_EQ(comm.DataCount(), 0);
    comm.ReadInputBytes();
    EXPECT_FALSE(comm.LastReadFresh());
    const std::uint8_t frame[] = {1, 3, 0, 187, 0, 15};
    EXPECT_TRUE(comm.WriteData(frame, sizeof frame));
    EXPECT_NO_THROW(comm.UpdateModemStatus());
    comm.setPortOpen(false);
    EXPECT_FALSE(comm.PortOpen());
    EXPECT_TRUE(refusals.empty());

    // The adapter comes back under the same port number: the poll never stopped.
    PtyPair again;
    ASSERT_TRUE(again.ok());
    devices[2] = again.slavePath();
    openPort();
    const int beforeReopen = receiveEvents;
    ASSERT_TRUE(again.send("!"));
    EXPECT_TRUE(WaitUntil([&] { return receiveEvents > beforeReopen; }, 10000));
    comm.setPortOpen(false);
}

TEST(TCommDefaults, ConstructionStateAndDefaultDeviceMapping)
{
    TComm comm;
    EXPECT_EQ(comm.CommPort(), pnCOM2);
    EXPECT_FALSE(comm.PortOpen());
    EXPECT_EQ(comm.BaudRate(), TBaudRate::br9600);
    EXPECT_EQ(comm.HwHandShaking(), THWHandShaking::hhNone);
    EXPECT_EQ(comm.SwHandShaking(), TSWHandShaking::shNone);
    EXPECT_EQ(comm.DataBits(), TDataBits::DB8);
    EXPECT_EQ(comm.Parity(), TParity::None);
    EXPECT_EQ(comm.StopBits(), TStopBits::SB1);
    EXPECT_EQ(comm.RThreshold(), 0);
    EXPECT_EQ(comm.InputLen, 0);
    EXPECT_EQ(comm.CommEvent(), 0u);
    EXPECT_EQ(comm.CommError(), 0u);
    EXPECT_TRUE(comm.Input().isEmpty());

    // Without a settings file nothing stands for COM255.
    comm.setCommPort(pnCOM255);
    EXPECT_THROW(comm.setPortOpen(true), ECommError);
    EXPECT_FALSE(comm.PortOpen());
}

} // namespace
