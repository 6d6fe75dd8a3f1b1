#include "displaylayout.h"
#include "measurementrecord.h"
#include "measurementview.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

namespace {

// A 230 V, 50 Hz supply feeding a rectifier load: a slightly flattened
// voltage and a current rich in odd harmonics.
MeasurementRecord RealisticRecord()
{
    MeasurementRecord r{};
    ResetMeasurementRecord(r);
    r.URMS = 230.12f;
    r.UPP = 325.3f;
    r.UF = 50.01f;
    r.IRMS = 4.213f;
    r.IPP = 6.82f;
    r.IPA = 12.3f;
    r.PF = 0.968f;
    r.WRMS = 938.4f;
    r.PS = 969.5f;
    r.PQ = 243.7f;
    r.VTHD = 0.021f;
    r.ITHD = 0.318f;
    r.VKF = 1.414f;
    r.IKF = 1.62f;
    r.KWH = 12.345f;
    for (int k = 0; k <= 50; ++k) {
        const bool odd = k % 2 == 1;
        r.UHarmonic[k] = k == 1 ? 325.0f : (odd ? 6.5f / k : 0.05f);
        r.IHarmonic[k] = k == 1 ? 6.0f : (odd ? 1.9f / k : 0.01f);
    }
    for (int k = 0; k < 512; ++k) {
        const double p = 2 * std::numbers::pi * 4 * k / 512;
        r.UWave[k] = static_cast<std::uint16_t>(2047 + std::lround(1500 * std::sin(p) - 40 * std::sin(3 * p)));
        r.IWave[k] = static_cast<std::uint16_t>(
            2047 + std::lround(600 * std::sin(p - 0.2) + 180 * std::sin(3 * p) + 90 * std::sin(5 * p)));
    }
    return r;
}

void DrawView(benchmark::State& state)
{
    const QSize box(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    DisplaySurfaces surfaces(QSize(1920, 1080));
    MeasurementRecord record = RealisticRecord();
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
