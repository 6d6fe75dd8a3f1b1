// Autoscale and redraw of a full recording (450000 samples in the browsing
// view, a bench-like recording on all six channels): the autoscale command
// alone, the redraw after it, at the record window's designed chart size
// and at 1920 x 1080, at one sample a column, at the widest zoom and at the
// widest stretch. Prints the median and slowest wall-clock times of each.
#include "chartbox.h"
#include "median.h"
#include "paintercanvas.h"
#include "recordbrowser.h"
#include "recordchart.h"
#include "recordstate.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

void fillBenchRecording(SampleBuffers& data)
{
    for (std::int32_t i = 0; i < kMaxSamples; ++i) {
        const float load = float((i / 600) % 7) * 1.3f + 0.5f;
        const float volts =
            230.0f + 3.0f * std::sin(float(i) / 5000.0f) + float((i * 7919) % 100) / 100.0f;
        const float amps = load + float((i * 104729) % 50) / 500.0f;
        data.channel(0)[i] = volts;
        data.channel(1)[i] = amps;
        data.channel(2)[i] = volts * amps * 0.95f;
        data.channel(3)[i] = -volts * amps * 0.2f; // reactive power, capacitive
        data.channel(4)[i] = 0.95f - float((i * 31) % 10) / 1000.0f;
        data.channel(5)[i] = 0.03f + float((i * 13) % 10) / 1000.0f;
        data.timestamps()[i] = 46366.5 + i / 86400.0;
    }
}

void report(const char* what, int w, int h, const char* level, std::vector<double> ms)
{
    std::printf("%-10s %4d x %-4d %-22s median %7.3f ms, slowest %7.3f ms (%zu runs)\n", what, w, h,
                level, Median(ms), *std::max_element(ms.begin(), ms.end()), ms.size());
}

std::vector<double> timed(int runs, const std::function<void()>& work)
{
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        work();
        ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    auto record = std::make_unique<RecordState>();
    fillBenchRecording(record->BrowseBuffers);
    record->BrowseLast = kMaxSamples - 1;
    record->ViewMode = 1;
    record->FileReady = true;
    RecordBrowser browser(*record, BrowseHooks{[] {}, [] {}, [](int) {}});
    QImage chartSurface(2400, 1600, QImage::Format_RGB32);
    QImage rulerSurface(50, 1600, QImage::Format_RGB32);
    const ChartColors colors{QColor(0, 0, 0), QColor(0, 128, 0)};

    const struct {
        int w, h;
    } sizes[] = {{kRecordChartDesignedWidth, kRecordChartDesignedHeight}, {1920, 1080}};
    for (const auto& size : sizes) {
        browser.setChartWidth(size.w);
        const struct {
            const char* name;
            int zoom, stretch;
        } levels[] = {{"zoom 1", 1, 1},
                      {"zoom 151 (widest)", 151, 1},
                      {"widest stretch", 1, RecordBrowser::StretchLimit(size.w)}};
        for (const auto& level : levels) {
            record->BrowseZoom = level.zoom;
            record->BrowseStretch = level.stretch;
            record->BrowseOffset = 0;
            report("autoscale", size.w, size.h, level.name, timed(201, [&] {
                       record->ScaleIndex.fill(16);
                       browser.Autoscale();
                   }));
            report("redraw", size.w, size.h, level.name, timed(101, [&] {
                       QPainter chartPainter(&chartSurface);
                       QPainter rulerPainter(&rulerSurface);
                       PainterCanvas chart(chartPainter);
                       PainterCanvas ruler(rulerPainter);
                       DrawRecordChart(*record, chart, ruler, size.w, size.h, colors);
                   }));
        }
    }
    return 0;
}
