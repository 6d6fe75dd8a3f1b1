// Recording figures: opening a full record file against reading it with
// cat, the time a save tick holds the event loop on the disk, continuous
// sampling with and without a recording, and the memory of the whole
// program with a full recording captured and a full file open. Prints one
// line per figure.
#include "answerdialogs.h"
#include "instrumentlink.h"
#include "median.h"
#include "programrig.h"
#include "recordcontrol.h"
#include "recordfile.h"
#include "recordstate.h"
#include "sharedstate.h"
#include "simulatedinstrument.h"
#include "stallprobe.h"
#include "tmainform.h"
#include "trecordform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

double worst(const std::vector<double>& values)
{
    return *std::max_element(values.begin(), values.end());
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Resident and peak memory of this process in MiB, from /proc.
std::pair<double, double> residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    double rss = 0, peak = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                rss = line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
            if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
        }
    }
    return {rss, peak};
}

// A complete recording of 450000 samples in `capture`.
void fillFullRecording(SampleBuffers& capture)
{
    for (std::int32_t i = 0; i < kMaxSamples; ++i) {
        for (int c = 0; c < 6; ++c)
            capture.channel(c)[i] = 230.0f + float(i % 1000) / 100 + float(c);
        capture.timestamps()[i] = 46366.5 + i / 86400.0;
    }
}

QString writeFullFile(const QString& folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("full.zqr"));
    auto capture = std::make_unique<SampleBuffers>();
    fillFullRecording(*capture);
    auto block = std::make_unique<RecordBlock>();
    *block = RecordBlock{};
    block->Codes = {0, 1, 2, 6, 7, 8};
    const FileIdentity file = CreateRecordFile(path, *block).created.identity;
    SaveRecordFile(path, file, *capture, kMaxSamples, 0, *block);
    return path;
}

void memoryOfTheProgram(const QString& fullFile)
{
    QTemporaryDir settings;
    AnswerDialogs dialogs{true, {}, true};
    const auto running =
        StartProgram(settings.path(), dialogs, {}, QCoreApplication::applicationDirPath());
    Program& program = *running;
    program.MainForm().show();
    program.RecordForm().show();
    runFor(300);
    const auto [started, startPeak] = residentMiB();

    fillFullRecording(program.Record().CaptureBuffers);
    program.Record().CaptureCount = kMaxSamples;
    program.Recording().OpenPath(fullFile);
    program.RecordForm().DrawRecordChart();
    runFor(300);
    const auto [full, peak] = residentMiB();
    std::printf("%-44s %.1f MiB resident (started: %.1f MiB; peak while opening %.1f MiB)\n",
                "program, full recording and full file open:", full, started, peak);
}

void openVersusCat(const QString& path)
{
    auto browse = std::make_unique<SampleBuffers>();
    OpenedRecordFile opened;
    OpenRecordFile(path, *browse, opened); // warm the cache and the buffers
    constexpr int kRuns = 21;
    std::vector<double> openMs, readMs, catMs;
    std::vector<char> chunk(128 * 1024);
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        OpenRecordFile(path, *browse, opened);
        openMs.push_back(clock.nsecsElapsed() / 1e6);

        // What cat does: read() in 128 KiB pieces until the end.
        clock.restart();
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        while (::read(fd, chunk.data(), chunk.size()) > 0) {
        }
        ::close(fd);
        readMs.push_back(clock.nsecsElapsed() / 1e6);

        QProcess cat;
        cat.setStandardOutputFile(QProcess::nullDevice());
        clock.restart();
        cat.start(QStringLiteral("cat"), {path});
        cat.waitForFinished();
        catMs.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::printf("%-44s open %.2f ms; cat %.2f ms (process included), a cat-like read loop "
                "%.2f ms in-process: %.2f times cat, %.2f times the read loop (medians of %d, "
                "%d blocks)\n",
                "opening a 450-block file, warm cache:", Median(openMs), Median(catMs),
                Median(readMs), Median(openMs) / Median(catMs), Median(openMs) / Median(readMs),
                kRuns, opened.blocks);
}

void saveTicks(const QString& folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("ticks.zqr"));
    auto capture = std::make_unique<SampleBuffers>();
    fillFullRecording(*capture);
    auto block = std::make_unique<RecordBlock>();
    *block = RecordBlock{};
    const FileIdentity file = CreateRecordFile(path, *block).created.identity;
    std::vector<double> ms;
    std::int32_t saved = 0;
    // A 1 s step saved every 10 s: ten samples per save, over 3000 samples.
    for (std::int32_t count = 10; count <= 3000; count += 10) {
        QElapsedTimer clock;
        clock.start();
        SaveRecordFile(path, file, *capture, count, saved, *block);
        ms.push_back(clock.nsecsElapsed() / 1e6);
        saved = count;
    }
    std::printf("%-44s median %.2f ms, worst %.2f ms over %zu saves (two data syncs each)\n",
                "save tick on the disk of the build folder:", Median(ms), worst(ms), ms.size());
}

// Continuous sampling at 115200 bit/s for 12 s, with or without a recording
// of a 1 s step saved every 10 s.
void sampling(SimulatedInstrument& sim, const QString& folder, bool recording)
{
    AnswerDialogs dialogs{true, {}, true};
    SharedState shared;
    InitLinkAndMeasurement(shared);
    shared.link.InstrumentAddress = 1;
    shared.link.BaudIndex = 7;
    InstrumentLink parts{shared.link, shared.MeasurementRecord};
    const QString device = QString::fromStdString(sim.devicePath());
    parts.Comm1.setDeviceResolver([device](int) { return device; });
    parts.Comm1.setBaudRate(TBaudRate::br115200);
    parts.Comm1.setPortOpen(true);
    std::vector<double> stored;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&parts.dispatcher, &ResponseDispatcher::measurementStored,
                     [&] { stored.push_back(clock.nsecsElapsed() / 1e6); });

    auto record = std::make_unique<RecordState>();
    RecordControl control(*record, shared, dialogs);
    parts.control.ContinuousSampling();
    runFor(1000);
    if (recording) {
        control.ApplySettings({{0, 1, 2, 3, 4, 5}, 0, 0});
        dialogs.savePath = QDir(folder).filePath(QStringLiteral("sampling.zqr"));
        control.CreateFile();
        control.Start();
    }
    StallProbe probe;
    const std::size_t first = stored.size();
    probe.start();
    runFor(12000);
    probe.stop();
    control.Stop();
    parts.control.StopTest();
    runFor(1000);
    const std::size_t count = stored.size() - first;
    const double cycle = count > 1 ? (stored.back() - stored[first]) / double(count - 1) : 0;
    std::printf("%-44s %.2f measurements/s over %zu; longest stall %.2f ms; %d samples "
                "recorded\n",
                recording ? "continuous sampling, 115200, recording:"
                          : "continuous sampling, 115200, no recording:",
                cycle > 0 ? 1000.0 / cycle : 0.0, count, probe.longestMs(),
                int(record->CaptureCount));
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    // A folder on the disk the program's files would live on, not a RAM disk.
    QTemporaryDir folder(QCoreApplication::applicationDirPath()
                         + QStringLiteral("/record-bench-XXXXXX"));
    const QString full = writeFullFile(folder.path());

    memoryOfTheProgram(full);
    openVersusCat(full);
    saveTicks(folder.path());

    SimulatedInstrument sim;
    std::string error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "cannot start the simulated instrument: %s\n", error.c_str());
        return 1;
    }
    sampling(sim, folder.path(), false);
    sampling(sim, folder.path(), true);
    return 0;
}
