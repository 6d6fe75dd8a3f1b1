// Span statistics: the figures of the record window's cursor panel over a
// full recording (450000 samples, six channels, four of them integrated to
// energy) and over half of it, and the wall time of "qpa3600 --stats" for a
// full record file of 450 blocks in each output form. Prints one line per
// figure: wall-clock times, and the processor time of the thread beside
// them, which a busy machine's waits for a processor do not inflate.
#include "median.h"
#include "recordblock.h"
#include "recordfile.h"
#include "recordstate.h"
#include "spanstatistics.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// A bench recording at a 3 s step: voltage, a current stepping between
// load levels, the powers that follow and the power factor; a pause of an
// hour in the middle.
void fillRecording(SampleBuffers& data)
{
    for (std::int32_t i = 0; i < kMaxSamples; ++i) {
        const float load = float((i / 600) % 7) * 1.3f + 0.5f;
        const float volts = 230.0f + 3.0f * std::sin(float(i) / 5000.0f);
        data.channel(0)[i] = volts * load * 0.95f;
        data.channel(1)[i] = load;
        data.channel(2)[i] = volts;
        data.channel(3)[i] = volts * load;
        data.channel(4)[i] = volts * load * 0.31f;
        data.channel(5)[i] = 0.95f - float((i * 31) % 10) / 1000.0f;
        data.timestamps()[i] = 46366.5 + (i * 3 + (i >= kMaxSamples / 2 ? 3600 : 0)) / 86400.0;
    }
}

void statistics(const SpanSource& source, const char* what, int first, int last)
{
    constexpr int kRuns = 51;
    std::vector<double> ms, cpu;
    double sink = 0;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        const double cpuStart = threadCpuMs();
        const SpanStatistics s = ComputeSpanStatistics(source, first, last);
        cpu.push_back(threadCpuMs() - cpuStart);
        ms.push_back(clock.nsecsElapsed() / 1e6);
        sink += *s.channels[0].energy;
    }
    std::printf("%-44s median %.2f ms, slowest %.2f ms; processor time median %.2f ms "
                "(%d runs; %.0f Wh)\n",
                what, Median(ms), *std::max_element(ms.begin(), ms.end()), Median(cpu), kRuns,
                sink / kRuns);
}

double runProgram(const QString& program, const QStringList& arguments)
{
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (process.exitCode() != 0)
        std::printf("  failed: %s\n", process.readAllStandardError().constData());
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    auto data = std::make_unique<SampleBuffers>();
    fillRecording(*data);
    SpanSource source;
    for (int c = 0; c < 6; ++c)
        source.channels[std::size_t(c)] = data->channel(c);
    source.timestamps = data->timestamps();
    source.codes = {2, 1, 0, 3, 4, 7};
    statistics(source, "statistics of 450000 samples, 6 channels:", 0, kMaxSamples - 1);
    statistics(source, "statistics of 225000 samples, 6 channels:", kMaxSamples / 4,
               kMaxSamples / 4 + kMaxSamples / 2 - 1);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.zqr"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        auto block = std::make_unique<RecordBlock>();
        block->Codes = {2, 1, 0, 3, 4, 7};
        for (int k = 0; k < kMaxRecordBlocks; ++k) {
            AssembleBlock(*block, *data, kMaxSamples, k, kMaxSamples);
            file.write(reinterpret_cast<const char*>(block.get()), sizeof *block);
        }
    }
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/qpa3600");
    for (const char* format : {"text", "csv", "json"}) {
        std::vector<double> walls;
        for (int run = 0; run < 7; ++run)
            walls.push_back(
                runProgram(program, {QStringLiteral("--stats"), path, QStringLiteral("--format"),
                                     QLatin1String(format)}));
        std::printf("qpa3600 --stats (450 blocks) --format %-4s  median %.0f ms, min %.0f ms "
                    "(7 runs)\n",
                    format, Median(walls), *std::min_element(walls.begin(), walls.end()));
    }
    return 0;
}
