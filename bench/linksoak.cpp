// Line fault soak: the program's link samples continuously against the
// simulated instrument while every fault the simulator offers spoils its
// answers at high rates, until a given number of faults went on the line.
// With --chains the alarm read-back and write-back chains and the burst log
// download (armed as the log window's "啟動" arms it) run between stretches
// of measurements as well. A chain gives up at the first answer that never
// comes (the user repeats the command), so at the sampling's fault rates,
// where about two answers in three are spoiled, a ten-step chain hardly ever
// completes; while a chain or download runs the faults come at one answer in
// --chain-faults-every of each kind instead (default 50, about one answer in
// nine spoiled; 0 keeps the sampling's rates).
//
//   link_soak [--chains] [--faults N] [--reread-ms MS] [--fast] [--chain-faults-every N]
//
// --fast runs the line at 230400 bit/s and reads answers once the line goes
// quiet (as on the USB link) instead of the paced wait of the 115200 entry,
// and spoils more answers, so that the faults add up about five times sooner.
//
// Prints: exchanges, faults by kind, measurements accepted, accepted ones the
// simulator never sent (must be 0), the longest gap between accepted
// measurements while sampling runs, RSS after warm-up and at the end, CPU
// time. The simulator runs in this process and remembers a fingerprint of
// each measurement it sent (about 40 bytes each), which the RSS figure
// includes.
#include "alarmsync.h"
#include "answerdialogs.h"
#include "eventloopwait.h"
#include "instrumentlink.h"
#include "linkstate.h"
#include "logarming.h"
#include "measurementrecord.h"
#include "registermap.h"
#include "simulatedinstrument.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

namespace {

using Fault = SimulatedInstrument::Fault;

long RssKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

constexpr std::array<std::pair<Fault, const char*>, 6> kFaultNames{{
    {Fault::Drop, "drop"},
    {Fault::Corrupt, "corrupt"},
    {Fault::Truncate, "truncate"},
    {Fault::Split, "split"},
    {Fault::Garbage, "garbage"},
    {Fault::Silent, "silence"},
}};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bool chains = false;
    std::size_t faultTarget = 10000;
    int reReadMs = 2000;
    bool fast = false;
    int chainFaultsEvery = 50;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--chains"))
            chains = true;
        else if (!std::strcmp(argv[i], "--faults") && i + 1 < argc)
            faultTarget = std::size_t(std::atol(argv[++i]));
        else if (!std::strcmp(argv[i], "--fast"))
            fast = true;
        else if (!std::strcmp(argv[i], "--reread-ms") && i + 1 < argc)
            reReadMs = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--chain-faults-every") && i + 1 < argc)
            chainFaultsEvery = std::atoi(argv[++i]);
    }

    SimulatedInstrument::Options options;
    options.triggerDelaySeconds = 0.05;
    options.seed = 15;
    SimulatedInstrument sim(options);
    std::string error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    // Every kind at once; when two fall on the same answer the first listed
    // in Fault wins. The simulator's Silent fault ends all answers for good,
    // so silence comes as runs of dropped answers instead (see below).
    const auto samplingFaults = [&] {
        sim.setPeriodicFault(Fault::Drop, fast ? 11 : 13);
        sim.setPeriodicFault(Fault::Corrupt, fast ? 3 : 5);
        sim.setPeriodicFault(Fault::Truncate, fast ? 5 : 7);
        sim.setPeriodicFault(Fault::Split, fast ? 4 : 6);
        sim.setPeriodicFault(Fault::Garbage, fast ? 7 : 9);
    };
    const auto chainFaults = [&] {
        if (chainFaultsEvery <= 0)
            return;
        for (const auto& [fault, name] : kFaultNames)
            if (fault != Fault::Silent) // silence comes as dropped answers (below)
                sim.setPeriodicFault(fault, chainFaultsEvery);
    };
    samplingFaults();
    sim.setSplitPauseMs(40);

    AnswerDialogs dialogs{true, {}, true};
    LinkState link;
    link.InstrumentAddress = 1;
    link.BaudIndex = fast ? -1 : 7; // 7: 115200 bit/s, as the communication window sets it
    MeasurementRecord record;
    ResetMeasurementRecord(record);
    InstrumentLink parts(link, record);
    const QString device = QString::fromStdString(sim.devicePath());
    parts.Comm1.setDeviceResolver([device](int) { return device; });
    parts.Comm1.setBaudRate(fast ? TBaudRate::br230400 : TBaudRate::br115200);
    parts.control.ReReadTimer.setInterval(reReadMs);
    parts.Comm1.setPortOpen(true);
    AlarmSync alarms(link, parts.dispatcher);
    LogArming arming(link, parts.dispatcher, dialogs);

    QElapsedTimer clock;
    clock.start();
    long accepted = 0;
    long wrong = 0;
    qint64 lastAcceptedMs = -1;
    qint64 longestGapMs = 0;
    long rssStart = -1;
    double cpuStart = 0;
    qint64 wallStart = 0;
    QObject::connect(&parts.dispatcher, &ResponseDispatcher::measurementStored, [&] {
        ++accepted;
        if (!sim.sentMeasurement(reinterpret_cast<const std::uint8_t*>(&record)))
            ++wrong;
        const qint64 now = clock.elapsed();
        if (lastAcceptedMs >= 0)
            longestGapMs = std::max(longestGapMs, now - lastAcceptedMs);
        lastAcceptedMs = now;
        if (accepted == 50) { // warmed up: buffers and caches in place
            rssStart = RssKb();
            cpuStart = CpuSeconds();
            wallStart = now;
        }
    });
    int logsComplete = 0;
    int logsFailed = 0;
    QObject::connect(&parts.dispatcher, &ResponseDispatcher::logProgress,
                     [&](LogProgress stage, int) {
                         if (stage == LogProgress::Complete)
                             ++logsComplete;
                         else if (stage == LogProgress::Failed)
                             ++logsFailed;
                     });
    int readBacks = 0;
    QObject::connect(&parts.dispatcher, &ResponseDispatcher::readBackComplete,
                     [&] { ++readBacks; });
    int writeBacks = 0;
    QObject::connect(&parts.dispatcher, &ResponseDispatcher::alarmWriteAcknowledged, [&](int reg) {
        if (reg == Register::AlarmFlags)
            ++writeBacks;
    });
    int stalledChains = 0;
    QObject::connect(&alarms, &AlarmSync::stalled, [&] { ++stalledChains; });
    int armsUnanswered = 0;
    std::array<int, 3> started{}; // read-backs, write-backs, log downloads

    const auto faults = [&] {
        std::size_t sum = 0;
        for (const auto& [fault, name] : kFaultNames)
            sum += sim.faultsApplied(fault);
        return sum;
    };
    // The simulator logs every request it receives; that log lives in this
    // process too, so it is emptied as the soak goes (counted first) to keep
    // the RSS figure the program's own.
    std::size_t exchanges = 0;
    const auto countExchanges = [&] {
        exchanges += sim.requestCount();
        sim.clearReceivedRequests();
        return exchanges;
    };
    std::size_t nextReport = 1000;
    // A line of the running figures every 1000 faults, so a soak stopped
    // early still tells where it stood.
    const auto progress = [&] {
        const std::size_t f = faults();
        if (f < nextReport)
            return;
        nextReport += 1000;
        std::printf(
            "  %6.0f s: %zu faults, %zu exchanges, %ld accepted, %ld never sent, longest gap "
            "%.2f s, RSS %ld kB\n",
            clock.elapsed() / 1000.0, f, countExchanges(), accepted, wrong, longestGapMs / 1000.0,
            RssKb());
        std::fflush(stdout);
    };
    int silences = 0;
    long nextSilenceAt = 150;
    int round = 0;
    parts.control.ContinuousSampling();
    while (faults() < faultTarget) {
        // A stretch of sampling.
        const long until = accepted + 20;
        RunUntil([&] { return accepted >= until || faults() >= faultTarget; }, 60000);
        countExchanges();
        progress();
        if (accepted >= nextSilenceAt) {
            // The line goes quiet for a while: four answers in a row are lost.
            for (int i = 0; i < 4; ++i)
                sim.injectFault(Fault::Drop);
            ++silences;
            nextSilenceAt += 150;
        }
        if (!chains)
            continue;
        // Between measurements: one chain, then sampling goes on.
        parts.control.StopTest();
        RunUntil([&] { return !parts.dispatcher.awaitingAnswer(); }, 5000);
        RunUntil([] { return false; }, 300); // the last measurement answer has been taken
        const int kind = round++ % 3;
        ++started[kind];
        chainFaults();
        if (kind == 0) {
            alarms.startReadBack(ReadBackStart::UserRequest);
        } else if (kind == 1) {
            alarms.startWriteBack({250, 200, 5, 4, 60, 40, 0.99f, 0.5f}, std::uint8_t(round));
        } else {
            arming.Start(0, 0); // "啟動" with the first ranges; the dialogs answer Yes
        }
        if (kind < 2) {
            // Until the chain completes or is given up after its stall time.
            RunUntil([&] { return alarms.running() == AlarmSync::Chain::None; }, 120000);
        } else {
            // Until the six chunks are in or the download is given up; an
            // arm whose start acknowledgement was lost stays armed (the
            // instrument's switch is the user's), so that wait has an end.
            const int before = logsComplete + logsFailed;
            RunUntil([&] { return logsComplete + logsFailed > before; }, 20000);
            if (logsComplete + logsFailed == before)
                ++armsUnanswered;
        }
        samplingFaults();
        link.LogChunkIndex = 0;
        RunUntil([&] { return !parts.dispatcher.awaitingAnswer(); }, 5000);
        RunUntil([] { return false; }, 300);
        // The gap figure is that of sampling: the stretch stopped for the
        // chain does not count.
        lastAcceptedMs = -1;
        parts.control.ContinuousSampling();
        progress();
    }
    parts.control.StopTest();
    const qint64 wallEnd = clock.elapsed();
    const double cpuEnd = CpuSeconds();
    const long rssEnd = RssKb();

    std::printf("mode: %s, %s, re-read timer %d ms\n",
                chains ? "sampling with chains and log download" : "continuous sampling",
                fast ? "230400 bit/s read when quiet" : "115200 bit/s paced wait", reReadMs);
    std::printf("run time: %.1f s\n", wallEnd / 1000.0);
    std::printf("exchanges (requests the instrument received): %zu\n", countExchanges());
    std::printf("faults injected: %zu (", faults());
    for (const auto& [fault, name] : kFaultNames)
        std::printf(" %s %zu", name, sim.faultsApplied(fault));
    std::printf(" ), silences (4 answers lost in a row): %d\n", silences);
    std::printf("measurements accepted: %ld\n", accepted);
    std::printf("accepted but never sent by the instrument: %ld\n", wrong);
    std::printf("longest gap between accepted measurements: %.2f s\n", longestGapMs / 1000.0);
    if (chains) {
        if (chainFaultsEvery > 0)
            std::printf("while chains and downloads ran: each fault kind on one answer in %d\n",
                        chainFaultsEvery);
        else
            std::printf("while chains and downloads ran: the sampling's fault rates\n");
        std::printf(
            "chains: read-backs %d, complete %d; write-backs %d, complete %d; given up after "
            "a lost answer %d\n",
            started[0], readBacks, started[1], writeBacks, stalledChains);
        std::printf(
            "log downloads armed %d: complete %d, given up after a lost chunk %d, start never "
            "acknowledged %d\n",
            started[2], logsComplete, logsFailed, armsUnanswered);
    }
    std::printf("RSS after 50 measurements: %ld kB, at the end: %ld kB (drift %+ld kB)\n", rssStart,
                rssEnd, rssEnd - rssStart);
    std::printf("CPU: %.1f s over %.1f s (%.1f %%)\n", cpuEnd - cpuStart,
                (wallEnd - wallStart) / 1000.0,
                100.0 * (cpuEnd - cpuStart) / std::max(0.001, (wallEnd - wallStart) / 1000.0));
    std::printf("messages shown: %d\n", dialogs.messages);
    return wrong == 0 ? 0 : 1;
}
