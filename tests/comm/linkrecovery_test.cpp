// The link against the simulated instrument on a port named through the COM
// map, as the program runs it: the USB link at the instrument's pace, and an
// ordinary serial device that vanishes and comes back at the same path.
#include "alarmsync.h"
#include "connectioncontroller.h"
#include "eventwait.h"
#include "inifile.h"
#include "linkrig.h"
#include "logarming.h"
#include "modbusframe.h"
#include "portenvironment.h"
#include "portmap.h"
#include "recordcontrol.h"
#include "recordfile.h"
#include "recordstate.h"
#include "sharedstate.h"
#include "simulatedinstrument.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
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
                "[PortMap]\nCOM7="
                + QFile::encodeName(linkPath) + "\n");
        if (usbMarked)
            f.write("COM7Id=USB\\VID_0483&PID_5732\\0001\n");
        f.close();
        rig = std::make_unique<LinkRig>(linkPath);
        rig->comm.setDeviceResolver([this](int n) { return PortMapDevicePath(n, &sysSet); });
        rig->link.UsbDeviceMark = QStringLiteral("5732");
        controller = std::make_unique<ConnectionController>(
            rig->link, rig->comm, rig->sender, rig->dispatcher, rig->control, ports, sysSet);
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
    EXPECT_EQ(rig->link.SessionMode, SessionModeT::ContinuousSampling)
        << "the run is held, not stopped";
    EXPECT_EQ(rig->control.runState(), RunState::WaitingForLink);
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
    EXPECT_EQ(rig->control.runState(), RunState::ContinuousSampling);
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
    EXPECT_EQ(rig->control.runState(), RunState::Stopped);
}

// A recording runs on the measurements of the link; the device vanishes and
// returns. What was recorded before stays in the file, the recording goes on
// taking and saving samples while the device is gone, and new measurements
// reach it again once the device is back.
TEST_F(SimulatedLinkTest, UnplugWhileRecordingLosesNothingAndRecordingGoesOn)
{
    connect(false);
    SharedState shared;
    InitLinkAndMeasurement(shared);
    auto record = std::make_unique<RecordState>();
    RecordingDialogs recordDialogs;
    recordDialogs.saveAnswer = dir.filePath(QStringLiteral("unplugged.zqr"));
    RecordControl recording(*record, shared, recordDialogs);
    // The recording samples what the link stores, as the program's windows share it.
    QObject::connect(&rig->dispatcher, &ResponseDispatcher::measurementStored, [&] {
        shared.MeasurementRecord = rig->record;
        shared.link.SessionMode = rig->link.SessionMode;
        shared.link.Arrivals = rig->link.Arrivals;
    });
    int saves = 0;
    recording.setFileSaver([&saves, &record](const QString& path, const SampleBuffers& capture,
                                             std::int32_t count, std::int32_t savedCount,
                                             RecordBlock& assembly) {
        ++saves;
        return SaveRecordFile(path, record->RecordFileIdentity, capture, count, savedCount,
                              assembly);
    });
    recording.ApplySettings({{0, 0, 0, 0, 0, 0}, 0, 0});
    recording.CreateFile();
    ASSERT_TRUE(record->FileReady);
    rig->control.ContinuousSampling();
    ASSERT_TRUE(WaitUntil([&] { return rig->measurementsStored >= 1; }));
    recording.Start();
    recording.Timer1.setInterval(20);
    recording.TimerSave.setInterval(100);
    ASSERT_TRUE(WaitUntil([&] { return record->SavedCount >= 10; }));

    instrument.reset();
    ASSERT_TRUE(WaitUntil([&] { return controller->Recovery().waitingForDevice(); }));
    const std::int32_t takenBeforeLoss = record->CaptureCount;
    const int measuredBeforeLoss = rig->measurementsStored;
    const int savesBeforeLoss = saves;
    ASSERT_TRUE(WaitUntil([&] { return saves >= savesBeforeLoss + 5; }))
        << "the recording goes on saving while the device is gone";
    EXPECT_LE(record->CaptureCount, takenBeforeLoss + 1)
        << "the last measurement is not recorded again while the device is gone";

    instrument = startInstrument();
    controller->Recovery().RecoveryTick();
    ASSERT_TRUE(WaitUntil([&] { return rig->measurementsStored > measuredBeforeLoss + 2; }, 10000));
    const std::int32_t takenAfterReturn = record->CaptureCount;
    ASSERT_TRUE(WaitUntil([&] { return record->SavedCount >= takenAfterReturn; }));
    recording.Stop();

    auto browse = std::make_unique<SampleBuffers>();
    OpenedRecordFile opened;
    ASSERT_TRUE(OpenRecordFile(recordDialogs.saveAnswer, *browse, opened).ok());
    EXPECT_GE(opened.last + 1, takenAfterReturn);
    for (std::int32_t i = 0; i < takenAfterReturn; ++i)
        ASSERT_EQ(browse->channel(0)[i], record->CaptureBuffers.channel(0)[i]) << "sample " << i;
    EXPECT_TRUE(recordDialogs.texts().isEmpty()) << recordDialogs.texts().join('|').toStdString();
}

// The device vanishes in the middle of the alarm write-back: the chain is
// given up and says so, nothing is sent to the dead device, and once it is
// back the settings are read back from the instrument.
TEST_F(SimulatedLinkTest, UnplugDuringTheAlarmWriteBackReportsItUnfinished)
{
    connect(false);
    AlarmSync alarms(rig->link, rig->dispatcher);
    QSignalSpy stalled(&alarms, &AlarmSync::stalled);
    // The acknowledgement of the fourth threshold never comes: the device
    // goes while the chain waits for it.
    instrument->injectFaultFor(121, SimulatedInstrument::Fault::Drop);
    alarms.startWriteBack({250, 200, 5, 4, 60, 40, 0.99f, 0.5f}, 0x5a);
    ASSERT_TRUE(WaitUntil([&] { return rig->writeAcks.size() == 3; }));
    instrument.reset();
    ASSERT_TRUE(WaitUntil([&] { return controller->Recovery().waitingForDevice(); }));
    EXPECT_FALSE(rig->comm.PortOpen());

    alarms.stallTimeout();
    ASSERT_EQ(stalled.count(), 1) << "a half-done write-back says so";
    EXPECT_EQ(stalled.at(0).at(0).value<AlarmSync::Chain>(), AlarmSync::Chain::WriteBack);
    EXPECT_EQ(alarms.running(), AlarmSync::Chain::None);
    EXPECT_EQ(rig->writeAcks, (std::vector<int>{118, 119, 120}));

    instrument = startInstrument();
    rig->link.SyncStep = 0;
    controller->Recovery().RecoveryTick();
    ASSERT_TRUE(WaitUntil([&] { return rig->link.SyncStep == 9; }));
    const auto requests = instrument->receivedRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0], readRequest(128, 2)) << "the settings are read back first";
}

// The device vanishes while the burst log's chunks are being fetched: the
// download is given up and says which chunk it stopped at, the previous log
// stays whole, and once the device is back a new arming fetches all of it.
TEST_F(SimulatedLinkTest, UnplugDuringTheLogDownloadKeepsThePreviousLog)
{
    connect(false);
    std::fill(rig->link.InstrumentLog.begin(), rig->link.InstrumentLog.end(), std::uint8_t(0x5a));
    const auto previous = rig->link.InstrumentLog;
    LogArming arming(rig->link, rig->dispatcher, rig->dialogs);
    // Chunk 3 never comes: the device goes while the download waits for it.
    instrument->injectFaultForLogChunk(3, SimulatedInstrument::Fault::Drop);
    arming.Start(0, 0);
    ASSERT_TRUE(WaitUntil(
        [&] {
            return std::count(rig->logProgress.begin(), rig->logProgress.end(),
                              std::pair{LogProgress::ChunkRequested, 3})
                   == 1;
        },
        10000));
    instrument.reset();
    ASSERT_TRUE(WaitUntil([&] { return controller->Recovery().waitingForDevice(); }));
    EXPECT_FALSE(rig->comm.PortOpen());

    // The chunk watch asks twice more (into the closed port), then gives up.
    for (int i = 0; i < 3; ++i)
        rig->dispatcher.LogChunkWatchTimer();
    ASSERT_FALSE(rig->logProgress.empty());
    EXPECT_EQ(rig->logProgress.back(), std::pair(LogProgress::Failed, 3))
        << "the window says where it stopped";
    EXPECT_EQ(rig->link.LogChunkIndex, 0);
    EXPECT_EQ(rig->link.InstrumentLog, previous) << "no half-fetched log";
    EXPECT_EQ(rig->logsCompleted, 0);

    instrument = startInstrument();
    rig->link.SyncStep = 0;
    controller->Recovery().RecoveryTick();
    ASSERT_TRUE(WaitUntil([&] { return rig->link.SyncStep == 9; }));
    arming.Start(0, 0);
    ASSERT_TRUE(WaitUntil([&] { return rig->logsCompleted == 1; }, 15000));
    const std::optional<BurstLog> served = instrument->servedBurstLog();
    ASSERT_TRUE(served);
    EXPECT_TRUE(std::equal(served->begin(), served->end(), rig->link.InstrumentLog.begin()));
}

} // namespace
