// The link against the simulated instrument on a port named through the COM
// map, as the program runs it: the USB link at the instrument's pace, and an
// ordinary serial device that vanishes and comes back at the same path.
#include "connectioncontroller.h"
#include "eventwait.h"
#include "inifile.h"
#include "linkrig.h"
#include "modbusframe.h"
#include "portenvironment.h"
#include "portmap.h"
#include "simulatedinstrument.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kPort = 7;

std::vector<std::uint8_t> readRequest(std::uint16_t reg, std::uint16_t count)
{
    std::vector<std::uint8_t> f(kReadRequestSize);
    BuildReadRequest(f.data(), 1, reg, count);
    return f;
}

class SimulatedLinkTest : public ::testing::Test {
protected:
    // Starts an instrument paced at 115200 bit/s behind the stable link path.
    std::unique_ptr<SimulatedInstrument> startInstrument()
    {
        SimulatedInstrument::Options options;
        options.baud = 115200;
        options.linkPath = linkPath.toStdString();
        auto instrument = std::make_unique<SimulatedInstrument>(options);
        std::string error;
        EXPECT_TRUE(instrument->start(&error)) << error;
        return instrument;
    }

    // COM7 is the link path, marked as the instrument's USB port or not.
    void connect(bool usbMarked)
    {
        QFile f(sysSet.path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[CommBaudrate]\nBaudrate=7\n[CommPort]\nPort=7\n[CommAddress]\nAddress=1\n"
                "[PortMap]\nCOM7=" + QFile::encodeName(linkPath) + "\n");
        if (usbMarked)
            f.write("COM7Id=USB\\VID_0483&PID_5732\\0001\n");
        f.close();
        rig = std::make_unique<LinkRig>(linkPath);
        rig->comm.setDeviceResolver([this](int n) { return PortMapDevicePath(n, &sysSet); });
        rig->link.UsbDeviceMark = QStringLiteral("5732");
        controller = std::make_unique<ConnectionController>(
            rig->link, rig->comm, rig->sender, rig->dispatcher, rig->control, ports,
            rig->dialogs, sysSet);
        QObject::connect(&rig->dispatcher, &ResponseDispatcher::requestRepeated,
                         [this] { ++retries; });
        controller->ScanPorts();
        ASSERT_TRUE(rig->comm.PortOpen());
        ASSERT_EQ(rig->link.UsbLink, usbMarked);
        ASSERT_TRUE(WaitUntil([&] { return rig->link.SyncStep == 9; }));
    }

    QTemporaryDir dir;
    QString linkPath = dir.filePath(QStringLiteral("instrument-port"));
    IniFile sysSet{dir.filePath(QStringLiteral("SysSet.ini"))};
    SystemPorts ports{sysSet};
    std::unique_ptr<SimulatedInstrument> instrument = startInstrument();
    std::unique_ptr<LinkRig> rig;
    std::unique_ptr<ConnectionController> controller;
    int retries = 0;
};

TEST_F(SimulatedLinkTest, UsbLinkTakesWholeAnswersThatStreamAtTheInstrumentsPace)
{
    connect(true);
    rig->control.ContinuousSampling();
    ASSERT_TRUE(WaitUntil([&] { return rig->measurementsStored >= 5; }, 10000));
    EXPECT_EQ(retries, 0) << "no answer was read half-way";
    EXPECT_NEAR(rig->record.UF, 50.0f, 1.0f);
    EXPECT_TRUE(rig->dialogs.texts().isEmpty());
}

TEST_F(SimulatedLinkTest, VanishedSerialDeviceIsWaitedForAndTheRunResumesWhenItReturns)
{
    connect(false);
    QSignalSpy lost(&controller->Recovery(), &LinkRecovery::linkLost);
    QSignalSpy restored(&controller->Recovery(), &LinkRecovery::linkRestored);
    rig->control.ContinuousSampling();
    ASSERT_TRUE(WaitUntil([&] { return rig->measurementsStored >= 2; }));

    instrument.reset(); // the device and its link path are gone
    ASSERT_TRUE(WaitUntil([&] { return lost.count() == 1; }));
    EXPECT_FALSE(rig->comm.PortOpen()) << "nothing more is written to a dead device";
    EXPECT_TRUE(controller->Recovery().waitingForDevice());
    EXPECT_FALSE(rig->control.ReReadTimer.isActive());
    EXPECT_EQ(rig->link.SessionMode, 2) << "the run is held, not stopped";
    controller->Recovery().RecoveryTick(); // still gone: nothing happens
    EXPECT_FALSE(rig->comm.PortOpen());
    EXPECT_EQ(restored.count(), 0);

    instrument = startInstrument();
    const int before = rig->measurementsStored;
    controller->Recovery().RecoveryTick();
    ASSERT_EQ(restored.count(), 1);
    EXPECT_TRUE(rig->comm.PortOpen());
    EXPECT_FALSE(controller->Recovery().waitingForDevice());
    ASSERT_TRUE(WaitUntil([&] { return rig->measurementsStored > before + 1; }, 10000));
    const auto requests = instrument->receivedRequests();
    ASSERT_GE(requests.size(), 11u);
    EXPECT_EQ(requests[0], readRequest(128, 2)) << "the settings are read back first";
    EXPECT_EQ(requests[10], readRequest(148, 2)) << "then the run goes on";
    EXPECT_TRUE(rig->dialogs.texts().isEmpty());
    EXPECT_EQ(lost.count(), 1);
}

TEST_F(SimulatedLinkTest, RunStoppedWhileTheDeviceWasGoneDoesNotResume)
{
    connect(false);
    rig->control.ContinuousSampling();
    ASSERT_TRUE(WaitUntil([&] { return rig->measurementsStored >= 1; }));
    instrument.reset();
    ASSERT_TRUE(WaitUntil([&] { return controller->Recovery().waitingForDevice(); }));
    rig->control.StopTest();

    instrument = startInstrument();
    controller->Recovery().RecoveryTick();
    ASSERT_TRUE(WaitUntil([&] { return rig->link.SyncStep == 9; }));
    RunEventLoopFor(400);
    for (const auto& request : instrument->receivedRequests())
        EXPECT_NE(request, readRequest(148, 2));
}

} // namespace
