// Timing of the instrument link against the simulated instrument: how long
// the event loop stalls while long answers are awaited, and how fast
// continuous sampling runs. Prints one line per figure.
#include "answerdialogs.h"
#include "connectioncontroller.h"
#include "eventloopwait.h"
#include "inifile.h"
#include "instrumentlink.h"
#include "linkstate.h"
#include "measurementrecord.h"
#include "median.h"
#include "portenvironment.h"
#include "portmap.h"
#include "simulatedinstrument.h"
#include "stallprobe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

namespace {

struct Link {
    Link(const QString& path, TBaudRate rate, int baudIndex)
    {
        ResetMeasurementRecord(record);
        link.InstrumentAddress = 1;
        link.BaudIndex = baudIndex;
        parts.Comm1.setDeviceResolver([path](int) { return path; });
        parts.Comm1.setBaudRate(rate);
        clock.start();
        QObject::connect(&parts.dispatcher, &ResponseDispatcher::measurementStored, [this] {
            ++measurements;
            stored.push_back(clock.nsecsElapsed() / 1e6);
        });
        parts.Comm1.setPortOpen(true);
    }

    AnswerDialogs dialogs{true, {}, true};
    LinkState link;
    MeasurementRecord record;
    InstrumentLink parts{link, record};
    int measurements = 0;
    QElapsedTimer clock;
    std::vector<double> stored; // ms after the link was opened
};

// Single tests at a slow rate: the longest stall from request to answer,
// beside the same probe on an idle loop for as long, since the machine's own
// scheduling hiccups show up in both.
void singleTestStall(SimulatedInstrument& sim, TBaudRate rate, int baudIndex, const char* name)
{
    Link link(QString::fromStdString(sim.devicePath()), rate, baudIndex);
    StallProbe probe;
    std::vector<double> busy, idle;
    double slowest = 0;
    constexpr int kRuns = 5;
    for (int run = 0; run < kRuns; ++run) {
        const int before = link.measurements;
        QElapsedTimer clock;
        probe.start();
        clock.start();
        link.parts.control.SingleTest();
        RunUntil([&] { return link.measurements > before; }, 20000);
        const qint64 took = clock.elapsed();
        slowest = std::max(slowest, took / 1000.0);
        probe.stop();
        busy.push_back(probe.longestMs());
        if (std::getenv("QPA_BENCH_VERBOSE"))
            std::printf("  run %d: stall %.2f ms beginning %.1f ms after the request\n", run,
                        probe.longestMs(), probe.longestAtMs());
        probe.start();
        RunUntil([] { return false; }, int(took));
        probe.stop();
        idle.push_back(probe.longestMs());
    }
    std::printf("%-44s longest event-loop stall per exchange: median %.2f ms, worst %.2f ms "
                "(idle loop for as long: median %.2f ms, worst %.2f ms); answer after %.2f s, "
                "%d/%d answers\n",
                name, Median(busy), *std::max_element(busy.begin(), busy.end()), Median(idle),
                *std::max_element(idle.begin(), idle.end()), slowest, link.measurements, kRuns);
}

void continuousSampling(SimulatedInstrument& sim, TBaudRate rate, int baudIndex, int bitsPerSecond,
                        const char* name, bool usbLink = false)
{
    Link link(QString::fromStdString(sim.devicePath()), rate, baudIndex);
    link.link.UsbLink = usbLink;
    int retries = 0;
    QObject::connect(&link.parts.dispatcher, &ResponseDispatcher::requestRepeated,
                     [&retries] { ++retries; });
    StallProbe probe;
    link.parts.control.ContinuousSampling();
    RunUntil([&] { return link.measurements >= 1; }, 20000); // first answer: timing settled
    const std::size_t first = link.stored.size() - 1;
    probe.start();
    RunUntil([] { return false; }, 12000);
    probe.stop();
    link.parts.control.StopTest();
    // Let the last answer arrive before the next link opens the line.
    RunUntil([&] { return !link.parts.dispatcher.awaitingAnswer(); }, 10000);
    RunUntil([] { return false; }, 500);

    const std::size_t count = link.stored.size() - 1 - first;
    const double cycleMs =
        count > 0 ? (link.stored[first + count] - link.stored[first]) / double(count) : 0;
    const double lineMs = 2532.0 * 10 / bitsPerSecond * 1000;
    // The USB link reads once the answer is in and the line has been quiet
    // for 20 ms; the serial link waits the paced steps of its rate.
    const double waitMs = usbLink ? lineMs + 20
                                  : ResponseDispatcher::kSettleMs
                                        + ResponseDispatcher::kWaitSteps
                                              * ResponseDispatcher::PauseForBaudIndex(baudIndex);
    std::printf("%-44s %.2f measurements/s (cycle %.1f ms over %zu cycles, %d retries); the "
                "design costs 50 (avg poll) + %.0f (wait) + 50 = %.0f ms, the line alone %.0f ms; "
                "longest stall %.2f ms\n",
                name, cycleMs > 0 ? 1000.0 / cycleMs : 0.0, cycleMs, count, retries, waitMs,
                100 + waitMs, lineMs, probe.longestMs());
}

// An ordinary serial port whose device vanishes during continuous sampling
// and returns at the same path: the time from its return (the link path is
// there again) to the first measurement after it, and the program's CPU time
// while the device is gone.
void deviceReturn()
{
    QTemporaryDir dir;
    const QString linkPath = dir.filePath(QStringLiteral("instrument-port"));
    SimulatedInstrument::Options options;
    options.baud = 115200;
    options.linkPath = linkPath.toStdString();
    auto sim = std::make_unique<SimulatedInstrument>(options);
    sim->start();

    IniFile sysSet(dir.filePath(QStringLiteral("SysSet.ini")));
    {
        QFile f(sysSet.path());
        f.open(QIODevice::WriteOnly);
        f.write("[CommBaudrate]\nBaudrate=7\n[CommPort]\nPort=7\n[CommAddress]\nAddress=1\n"
                "[PortMap]\nCOM7="
                + QFile::encodeName(linkPath) + "\n");
    }
    Link link(linkPath, TBaudRate::br115200, 7);
    link.parts.Comm1.setDeviceResolver([&sysSet](int n) { return PortMapDevicePath(n, &sysSet); });
    SystemPorts ports(sysSet);
    ConnectionController controller(link.link, link.parts.Comm1, link.parts.sender,
                                    link.parts.dispatcher, link.parts.control, ports, sysSet);
    controller.ScanPorts();
    RunUntil([&] { return link.link.SyncStep == 9; }, 10000);
    link.parts.control.ContinuousSampling();
    RunUntil([&] { return link.measurements >= 3; }, 10000);

    sim.reset();
    RunUntil([&] { return controller.Recovery().waitingForDevice(); }, 5000);
    const std::clock_t cpuBefore = std::clock();
    QElapsedTimer gone;
    gone.start();
    {
        // Only the program's own timers run meanwhile: no polling of ours.
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const double goneSeconds = gone.elapsed() / 1000.0;
    const double cpuShare = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC / goneSeconds;

    const int before = link.measurements;
    QElapsedTimer back;
    sim = std::make_unique<SimulatedInstrument>(options);
    sim->start();
    back.start();
    RunUntil([&] { return link.measurements > before; }, 20000);
    std::printf("%-44s first measurement %.0f ms after the device returned; CPU while it was gone "
                "%.3f %% over %.0f s\n",
                "serial device vanishes and returns, 115200:", back.nsecsElapsed() / 1e6,
                cpuShare * 100, goneSeconds);
    link.parts.control.StopTest();
    RunUntil([&] { return !link.parts.dispatcher.awaitingAnswer(); }, 10000);
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // figures appear as they are measured
    QCoreApplication app(argc, argv);
    SimulatedInstrument sim;
    std::string error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "cannot start the simulated instrument: %s\n", error.c_str());
        return 1;
    }
    singleTestStall(sim, TBaudRate::br4800, 0, "single test, 2532-byte answer, 4800 bit/s:");
    continuousSampling(sim, TBaudRate::br115200, 7, 115200, "continuous sampling, 115200 bit/s:");
    continuousSampling(sim, TBaudRate::br115200, 7, 115200,
                       "continuous sampling, USB link, 115200 bit/s:", true);
    continuousSampling(sim, TBaudRate::br9600, 1, 9600, "continuous sampling, 9600 bit/s:");
    deviceReturn();
    return 0;
}
