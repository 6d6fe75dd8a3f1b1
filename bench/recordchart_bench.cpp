// Record chart figures: one drawing of a full recording (450000 samples, all
// channels, both signs) at 1920 x 1080 at zoom 1 and 151, and the CSV export
// of the full recording into a file. Prints one line per figure: the
// wall-clock times, and the processor time of the drawing thread beside
// them, which a busy machine's waits for a processor do not inflate.
#include "chartbox.h"
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
#include <ctime>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void fillFullRecording(SampleBuffers& capture)
{
    for (std::int32_t i = 0; i < kMaxSamples; ++i) {
        for (int c = 0; c < 6; ++c)
            capture.channel(c)[i] = float((i * 7 + c * 50) % 1000) - 500.0f;
        capture.timestamps()[i] = 46366.5 + i / 86400.0;
    }
}

void drawing(RecordState& record, int zoom)
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
    std::printf("%-44s median %.2f ms, slowest %.2f ms; processor time median %.2f ms, most %.2f ms"
                " (%d runs)\n",
                qPrintable(QStringLiteral("DrawRecordChart 1920 x 1080, zoom %1:").arg(zoom)),
                medianOf(ms), *std::max_element(ms.begin(), ms.end()), medianOf(cpu),
                *std::max_element(cpu.begin(), cpu.end()), kRuns);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    auto record = std::make_unique<RecordState>();
    fillFullRecording(record->CaptureBuffers);
    record->CaptureCount = kMaxSamples;
    record->FileReady = true;
    record->RangeMode = 1;
    drawing(*record, 1);
    drawing(*record, 151);

    // The export as the record window does it: into a file through
    // QSaveFile, piece by piece.
    QTemporaryDir folder;
    QSaveFile file(folder.filePath(QStringLiteral("full.csv")));
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = threadCpuMs();
    const bool written = file.open(QIODevice::WriteOnly)
                         && WriteRecordCsv(file, record->CaptureBuffers, kMaxSamples - 1, {0, 1, 2, 6, 7, 8})
                         && file.commit();
    const double ms = clock.nsecsElapsed() / 1e6;
    std::printf("%-44s %.0f ms (processor time %.0f ms), %.1f MB%s\n", "CSV export of 450000 samples:",
                ms, threadCpuMs() - cpuStart, QFileInfo(file.fileName()).size() / 1e6,
                written ? "" : ", NOT WRITTEN");
    return 0;
}
