// The link through ser2net, as a lab reaches an instrument behind a serial
// device server: the simulated instrument's pseudo-terminal behind ser2net
// on 127.0.0.1, raw and with RFC 2217, and the program's port, connection
// and recovery in front of it.
#include "bytetransport.h"
#include "connectioncontroller.h"
#include "eventwait.h"
#include "inifile.h"
#include "linkrig.h"
#include "modbusframe.h"
#include "portenvironment.h"
#include "portmap.h"
#include "ser2net.h"
#include "simulatedinstrument.h"
#include "tcommform.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kWaitMs = 10000;

std::vector<std::uint8_t> readRequest(std::uint16_t reg, std::uint16_t count)
{
    std::vector<std::uint8_t> f(kReadRequestSize);
    BuildReadRequest(f.data(), 1, reg, count);
    return f;
}

// COM7 of the port map is `url`, at 115200 bit/s (list entry 7), address 1.
void writeSettings(const IniFile& sysSet, const QString& url)
{
    QFile f(sysSet.path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[CommBaudrate]\nBaudrate=7\n[CommPort]\nPort=7\n[CommAddress]\nAddress=1\n"
            "[PortMap]\nCOM7="
            + url.toUtf8() + "\n");
}

// The link as the program builds it, on the port map of `sysSet`.
struct NetworkLink {
    NetworkLink(const IniFile& sysSet, PortEnvironment& ports, const QString& url)
        : rig(url),
          controller(rig.link, rig.comm, rig.sender, rig.dispatcher, rig.control, ports, sysSet)
    {
        rig.comm.setDeviceResolver([&sysSet](int n) { return PortMapDevicePath(n, &sysSet); });
    }
    LinkRig rig;
    ConnectionController controller;
};

class NetworkLinkTest : public ::testing::TestWithParam<Ser2net::Mode> {
protected:
    void SetUp() override
    {
        if (!Ser2net::installed())
            GTEST_SKIP() << Ser2net::kProgram << " is missing (scripts/install-deps installs it)";
        startInstrument();
        // Raw: ser2net sets the line. RFC 2217: ser2net's own rate is wrong
        // on purpose; the program's 115200 set over the connection must take.
        const bool rfc2217 = GetParam() == Ser2net::Mode::Rfc2217;
        server = std::make_unique<Ser2net>(linkPath, GetParam(), rfc2217 ? 9600 : 115200);
        QString error;
        ASSERT_TRUE(server->start(&error)) << error.toStdString();
        writeSettings(sysSet, server->url());
    }

    // The instrument paces its answers at the rate set on its line (by
    // ser2net), behind a stable path.
    void startInstrument()
    {
        SimulatedInstrument::Options options;
        options.linkPath = linkPath.toStdString();
        instrument = std::make_unique<SimulatedInstrument>(options);
        std::string error;
        ASSERT_TRUE(instrument->start(&error)) << error;
    }

    // Scans, connects and waits for the read-back of the instrument's settings.
    void connect()
    {
        link = std::make_unique<NetworkLink>(sysSet, ports, server->url());
        link->controller.ScanPorts();
        ASSERT_TRUE(link->rig.comm.PortOpen());
        ASSERT_TRUE(WaitUntil([&] { return link->rig.link.SyncStep == 9; }, kWaitMs));
    }

    // Whether the measurement shown is one the instrument sent, value for value.
    bool showsASentMeasurement() const
    {
        const MeasurementRecord& shown = link->rig.record;
        for (const MeasurementRecord& sent : instrument->recentMeasurements())
            if (sent.URMS == shown.URMS && sent.IRMS == shown.IRMS && sent.UF == shown.UF
                && sent.WRMS == shown.WRMS && sent.KWH == shown.KWH && sent.PF == shown.PF)
                return true;
        return false;
    }

    QTemporaryDir dir;
    QString linkPath = dir.filePath(QStringLiteral("instrument-port"));
    IniFile sysSet{dir.filePath(QStringLiteral("SysSet.ini"))};
    SystemPorts ports{sysSet};
    std::unique_ptr<SimulatedInstrument> instrument;
    std::unique_ptr<Ser2net> server;
    std::unique_ptr<NetworkLink> link;
};

// The start-up chain reads the settings back first; continuous sampling then
// takes whole measurements, 0xFF bytes and all (a spoiled one fails its
// checksum and is never stored), at the rate the link names.
TEST_P(NetworkLinkTest, StartUpChainAndContinuousSamplingThroughSer2net)
{
    connect();
    const auto chain = instrument->receivedRequests();
    ASSERT_FALSE(chain.empty());
    EXPECT_EQ(chain.front(), readRequest(128, 2)) << "the option byte first, as on a local port";
    EXPECT_EQ(link->rig.readBacksComplete, 1);

    link->rig.control.ContinuousSampling();
    ASSERT_TRUE(WaitUntil([&] { return link->rig.measurementsStored >= 5; }, kWaitMs));
    EXPECT_TRUE(showsASentMeasurement());
    EXPECT_TRUE(link->rig.dialogs.texts().isEmpty());
}

// ser2net stopped: the connection is lost like a pulled adapter, the run is
// held, and a tick finds nothing to connect to. ser2net back: the next tick
// connects, the settings are read back and the run goes on.
TEST_P(NetworkLinkTest, DroppedConnectionIsRecoveredWhenSer2netReturns)
{
    connect();
    LinkRecovery& recovery = link->controller.Recovery();
    QSignalSpy lost(&recovery, &LinkRecovery::linkLost);
    QSignalSpy restored(&recovery, &LinkRecovery::linkRestored);
    QSignalSpy failed(&link->controller, &ConnectionController::openFailed);
    link->rig.control.ContinuousSampling();
    ASSERT_TRUE(WaitUntil([&] { return link->rig.measurementsStored >= 2; }, kWaitMs));

    server->stop();
    ASSERT_TRUE(WaitUntil([&] { return lost.count() == 1; }, kWaitMs));
    EXPECT_FALSE(link->rig.comm.PortOpen());
    EXPECT_TRUE(recovery.waitingForDevice());
    EXPECT_EQ(link->rig.control.runState(), RunState::WaitingForLink);

    recovery.RecoveryTick(); // nobody listens
    ASSERT_TRUE(WaitUntil([&] { return !link->rig.comm.PortOpen(); }, kWaitMs));
    EXPECT_EQ(restored.count(), 0);
    EXPECT_TRUE(recovery.waitingForDevice()) << "the next tick tries again";

    QString error;
    ASSERT_TRUE(server->start(&error)) << error.toStdString();
    instrument->clearReceivedRequests();
    const int before = link->rig.measurementsStored;
    recovery.RecoveryTick();
    ASSERT_TRUE(WaitUntil([&] { return restored.count() == 1; }, kWaitMs));
    EXPECT_FALSE(recovery.waitingForDevice());
    ASSERT_TRUE(WaitUntil([&] { return link->rig.measurementsStored > before + 2; }, kWaitMs));
    const auto requests = instrument->receivedRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front(), readRequest(128, 2)) << "the settings are read back first";
    EXPECT_EQ(link->rig.control.runState(), RunState::ContinuousSampling);
    EXPECT_TRUE(showsASentMeasurement());
    EXPECT_EQ(lost.count(), 1);
    EXPECT_EQ(failed.count(), 0) << "the attempts of the recovery are no failed opens";
    EXPECT_TRUE(link->rig.dialogs.texts().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Ser2net, NetworkLinkTest,
                         ::testing::Values(Ser2net::Mode::Raw, Ser2net::Mode::Rfc2217),
                         [](const ::testing::TestParamInfo<Ser2net::Mode>& info) {
                             return info.param == Ser2net::Mode::Raw ? "Raw" : "Rfc2217";
                         });

// What ser2net reports back after setting its device as the program asks.
TEST(Rfc2217Ser2netTest, Ser2netConfirmsTheLineSettings)
{
    if (!Ser2net::installed())
        GTEST_SKIP() << Ser2net::kProgram << " is missing (scripts/install-deps installs it)";
    SimulatedInstrument instrument;
    ASSERT_TRUE(instrument.start());
    Ser2net server(QString::fromStdString(instrument.devicePath()), Ser2net::Mode::Rfc2217, 9600);
    QString error;
    ASSERT_TRUE(server.start(&error)) << error.toStdString();

    NetworkTransport transport(
        {NetworkAddress::Protocol::Rfc2217, "127.0.0.1", std::uint16_t(server.port())});
    serial::LineSettings line;
    line.baudRate = 115200;
    transport.applyLineSettings(line);
    ASSERT_TRUE(WaitUntil([&] { return transport.advance() == ByteTransport::State::Ready; }));
    EXPECT_TRUE(transport.session().comPortAccepted());
    std::uint8_t buffer[64];
    ASSERT_TRUE(WaitUntil([&] {
        EXPECT_GE(transport.readReady(buffer, sizeof buffer), 0);
        return transport.session().confirmed().control.has_value();
    }));
    const Rfc2217Session::Confirmed& c = transport.session().confirmed();
    EXPECT_EQ(c.baudRate, 115200u);
    EXPECT_EQ(c.dataSize, 8);
    EXPECT_EQ(c.parity, 1);   // none
    EXPECT_EQ(c.stopSize, 1); // one
    EXPECT_EQ(c.control, 1);  // no flow control
    EXPECT_TRUE(transport.session().sendsBinary());
    EXPECT_TRUE(transport.session().receivesBinary());
}

// A network port that cannot be had: the open gives no sign of trouble at
// first (nothing waits for the name or the server), then the port closes
// and the failure names its reason and the address, worded for the window.
TEST(NetworkPortFailureTest, UnreachablePortsAreReportedWithTheirReason)
{
    const QString refusedUrl = QStringLiteral("tcp://127.0.0.1:%1").arg(Ser2net::freePort());
    const struct Case {
        QString url;
        ECommError::Reason reason;
        const char* named; // in the window's message
        bool waitsForTheName;
    } cases[] = {
        {refusedUrl, ECommError::Reason::Refused, "拒絕連線", false},
        {QStringLiteral("rfc2217://no-such-bench.invalid:4001"), ECommError::Reason::HostNotFound,
         "no-such-bench.invalid", true},
        {QStringLiteral("telnet://bench-3:23"), ECommError::Reason::BadAddress, "rfc2217://",
         false},
        {QStringLiteral("tcp://bench-3"), ECommError::Reason::BadAddress, "tcp://bench-3", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        QTemporaryDir dir;
        IniFile sysSet(dir.filePath(QStringLiteral("SysSet.ini")));
        writeSettings(sysSet, c.url);
        SystemPorts ports(sysSet);
        // The rig opens a port of its own first; it is closed before anything runs.
        NetworkLink link(sysSet, ports, refusedUrl);
        link.rig.comm.setPortOpen(false);
        std::vector<ECommError> failed;
        QObject::connect(&link.controller, &ConnectionController::openFailed,
                         [&](const ECommError& e) { failed.push_back(e); });
        std::vector<LinkStatus> statuses;
        QObject::connect(&link.controller, &ConnectionController::linkStatusChanged,
                         [&](LinkStatus s) { statuses.push_back(s); });

        link.controller.ScanPorts();
        if (c.waitsForTheName) {
            EXPECT_TRUE(link.rig.comm.Connecting()) << "the open did not wait for the name";
        }
        ASSERT_TRUE(WaitUntil([&] { return failed.size() == 1; }, kWaitMs));
        const ECommError& error = failed.front();
        EXPECT_EQ(error.reason(), c.reason);
        EXPECT_EQ(error.device(), c.url);
        EXPECT_FALSE(link.rig.comm.PortOpen());
        ASSERT_FALSE(statuses.empty());
        EXPECT_EQ(statuses.back(), LinkStatus::Failed);
        EXPECT_TRUE(TCommForm::PortErrorText(error, {}).contains(QString::fromUtf8(c.named)));
        RunEventLoopFor(50);
        EXPECT_EQ(failed.size(), 1u) << "reported once";
    }
}

} // namespace
