// The alarm settings' chains against the simulated instrument: how long a
// read-back (128, 118-126: ten exchanges) and a write-back (118-126: nine)
// take from the window, beside a model of one exchange (line time of request
// and answer, one 100 ms port poll, the 20 ms settle), and the longest
// event-loop stall while a chain runs. Prints one line per figure.
#include "alarmsync.h"
#include "eventloopwait.h"
#include "instrumentlink.h"
#include "linkstate.h"
#include "measurementrecord.h"
#include "median.h"
#include "simulatedinstrument.h"
#include "stallprobe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// One exchange as modelled: request and answer on the line (10 bits a byte),
// one port poll and the settle.
double modelMs(int requestBytes, int answerBytes, int bitsPerSecond)
{
    return (requestBytes + answerBytes) * 10.0 * 1000.0 / bitsPerSecond + 100.0 + 20.0;
}

void chains(SimulatedInstrument& sim, TBaudRate rate, int baudIndex, int bitsPerSecond)
{
    LinkState link;
    MeasurementRecord record;
    ResetMeasurementRecord(record);
    link.InstrumentAddress = 1;
    link.BaudIndex = baudIndex;
    InstrumentLink parts{link, record};
    parts.Comm1.setDeviceResolver([&sim](int) { return QString::fromStdString(sim.devicePath()); });
    parts.Comm1.setBaudRate(rate);
    parts.Comm1.setPortOpen(true);
    AlarmSync sync(link, parts.dispatcher);
    int stalls = 0;
    QObject::connect(&sync, &AlarmSync::stalled, [&stalls] { ++stalls; });

    StallProbe probe;
    std::vector<double> readMs, writeMs, stallMs;
    constexpr int kRuns = 7;
    const std::array<float, 8> values{300, 0, 20, 0, 6000, 0, 1, 0};
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        probe.start();
        clock.start();
        sync.startReadBack(ReadBackStart::UserRequest);
        RunUntil([&] { return sync.running() == AlarmSync::Chain::None; }, 20000, 1);
        readMs.push_back(clock.nsecsElapsed() / 1e6);
        stallMs.push_back(probe.longestMs());
        clock.start();
        probe.start();
        sync.startWriteBack(values, std::uint8_t(run));
        RunUntil([&] { return sync.running() == AlarmSync::Chain::None; }, 20000, 1);
        writeMs.push_back(clock.nsecsElapsed() / 1e6);
        stallMs.push_back(probe.longestMs());
        probe.stop();
    }
    const double readModel = modelMs(8, 9, bitsPerSecond) * 10;
    const double writeModel = modelMs(13, 5, bitsPerSecond) * 9;
    // The port polls on a free-running 100 ms timer: the settle, the next
    // request and its answer all fit into one period, so each exchange takes
    // whole polls (one while settle and line time stay under 100 ms).
    const auto polls = [bitsPerSecond](int requestBytes, int answerBytes) {
        return std::ceil(modelMs(requestBytes, answerBytes, bitsPerSecond) / 100.0 - 1.0) * 100.0;
    };
    const double readPolls = polls(8, 9) * 10;
    const double writePolls = polls(13, 5) * 9;
    const auto off = [](double measured, double model) {
        return 100.0 * (measured - model) / model;
    };
    std::printf(
        "alarm chains, %6d bit/s: read-back median %.0f ms (line+poll+settle model %.0f ms, "
        "%+.1f %%; whole-poll model %.0f ms, %+.1f %%), write-back median %.0f ms (model "
        "%.0f ms, %+.1f %%; whole-poll model %.0f ms, %+.1f %%); longest event-loop stall "
        "median %.2f ms, worst %.2f ms; %d stalled chains\n",
        bitsPerSecond, Median(readMs), readModel, off(Median(readMs), readModel), readPolls,
        off(Median(readMs), readPolls), Median(writeMs), writeModel,
        off(Median(writeMs), writeModel), writePolls, off(Median(writeMs), writePolls),
        Median(stallMs), *std::max_element(stallMs.begin(), stallMs.end()), stalls);
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCoreApplication app(argc, argv);
    SimulatedInstrument sim;
    std::string error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "cannot start the simulated instrument: %s\n", error.c_str());
        return 1;
    }
    chains(sim, TBaudRate::br115200, 7, 115200);
    chains(sim, TBaudRate::br9600, 1, 9600);
    return 0;
}
