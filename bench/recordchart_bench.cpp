// Record chart figures: one drawing of a full recording (450000 samples, all
// channels) at 1920 x 1080 at zoom 1 and 151, of a bench-like recording and
// of a full-height sawtooth on every channel, and the CSV export
// of the full recording into a file. Prints one line per figure: the
// wall-clock times, and the processor time of the drawing thread beside
// them, which a busy machine's waits for a processor do not inflate.
#include "chartbox.h"
#include "median.h"
#include "paintercanvas.h"
#include "recordchart.h"
#include "recordcsv.h"
#include "recordstate.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
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

// The worst case: every channel a sawtooth across the chart's full height,
// so that at zoom 151 one point in about 17 is a step over ~1000 rows.
void fillSawtooth(SampleBuffers& capture)
{
    for (std::int32_t i = 0; i < kMaxSamples; ++i) {
        for (int c = 0; c < 6; ++c)
            capture.channel(c)[i] = float((i * 7 + c * 50) % 1000) - 500.0f;
        capture.timestamps()[i] = 46366.5 + i / 86400.0;
    }
}

// What a bench recording looks like: mains voltage with slow drift and
// noise, a current stepping between load levels every ten minutes, the
// power that follows (above the chart at this scale), frequency, power
// factor and THD.
void fillBenchRecording(SampleBuffers& capture)
{
    for (std::int32_t i = 0; i < kMaxSamples; ++i) {
        const float load = float((i / 600) % 7) * 1.3f + 0.5f;
        const float volts =
            230.0f + 3.0f * std::sin(float(i) / 5000.0f) + float((i * 7919) % 100) / 100.0f;
        const float amps = load + float((i * 104729) % 50) / 500.0f;
        capture.channel(0)[i] = volts;
        capture.channel(1)[i] = amps;
        capture.channel(2)[i] = volts * amps * 0.95f;
        capture.channel(3)[i] = 50.0f + float((i * 17) % 10 - 5) / 100.0f;
        capture.channel(4)[i] = 0.95f - float((i * 31) % 10) / 1000.0f;
        capture.channel(5)[i] = 0.03f + float((i * 13) % 10) / 1000.0f;
        capture.timestamps()[i] = 46366.5 + i / 86400.0;
    }
}

void drawing(RecordState& record, const char* data, int zoom)
{
    constexpr int kW = 1920, kH = 1080, kRuns = 201;
    QImage chartSurface(2400, 1600, QImage::Format_RGB32);
    QImage rulerSurface(50, 1600, QImage::Format_RGB32);
    record.RecZoom = zoom;
    const ChartColors colors{QColor(0, 0, 0), QColor(0, 128, 0)};
    std::vector<double> ms, cpu;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        const double cpuStart = threadCpuMs();
        {
            QPainter chartPainter(&chartSurface);
            QPainter rulerPainter(&rulerSurface);
            PainterCanvas chart(chartPainter);
            PainterCanvas ruler(rulerPainter);
            DrawRecordChart(record, chart, ruler, kW, kH, colors);
        }
        cpu.push_back(threadCpuMs() - cpuStart);
        ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::printf("%-56s median %.2f ms, slowest %.2f ms; processor time median %.2f ms, most %.2f ms"
                " (%d runs)\n",
                qPrintable(QStringLiteral("DrawRecordChart 1920 x 1080, %1, zoom %2:")
                               .arg(QLatin1String(data))
                               .arg(zoom)),
                Median(ms), *std::max_element(ms.begin(), ms.end()), Median(cpu),
                *std::max_element(cpu.begin(), cpu.end()), kRuns);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    auto record = std::make_unique<RecordState>();
    record->CaptureCount = kMaxSamples;
    record->FileReady = true;
    record->RangeMode = 1;
    fillBenchRecording(record->CaptureBuffers);
    drawing(*record, "bench recording", 1);
    drawing(*record, "bench recording", 151);
    fillSawtooth(record->CaptureBuffers);
    drawing(*record, "sawtooth", 1);
    drawing(*record, "sawtooth", 151);

    // The export as the record window does it: into a file through
    // QSaveFile, piece by piece.
    QTemporaryDir folder;
    QSaveFile file(folder.filePath(QStringLiteral("full.csv")));
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = threadCpuMs();
    const bool written =
        file.open(QIODevice::WriteOnly)
        && WriteRecordCsv(file, record->CaptureBuffers, kMaxSamples - 1, {0, 1, 2, 6, 7, 8})
        && file.commit();
    const double ms = clock.nsecsElapsed() / 1e6;
    std::printf("%-56s %.0f ms (processor time %.0f ms), %.1f MB%s\n",
                "CSV export of 450000 samples:", ms, threadCpuMs() - cpuStart,
                QFileInfo(file.fileName()).size() / 1e6, written ? "" : ", NOT WRITTEN");
    return 0;
}
