#include "displaylayout.h"
#include "measurementrecord.h"
#include "measurements.h"
#include "measurementview.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {

void DrawView(benchmark::State& state)
{
    const QSize box(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    DisplaySurfaces surfaces(QSize(1920, 1080));
    MeasurementRecord record = RectifierMeasurement();
    const ChartColors colors{QColor(0, 0, 0), QColor(0, 128, 0)};
    for (auto _ : state) {
        PanelTexts texts = DrawMeasurementView(record, surfaces, box, colors);
        benchmark::DoNotOptimize(texts);
        benchmark::ClobberMemory();
    }
}

// The design window's chart box, and the largest box a window filling a
// 1920 x 1080 screen gets.
const QRect kLargest = LayoutDisplay(1920, 1080).Pic1;

BENCHMARK(DrawView)
    ->Args({528, 280})
    ->Args({kLargest.width(), kLargest.height()})
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

} // namespace

// Fonts need a GUI application; the offscreen platform serves.
int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
