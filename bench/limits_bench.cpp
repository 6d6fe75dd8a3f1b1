#include "harmoniclimits.h"
#include "limitschart.h"
#include "measurements.h"
#include "paintercanvas.h"
#include "tlimitsform.h"

#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>

namespace {

// Two measurements taken in turn, so that every update changes the texts.
std::array<MeasurementRecord, 2> Measurements()
{
    MeasurementRecord a = RectifierMeasurement();
    MeasurementRecord b = a;
    for (float& h : b.IHarmonic)
        h *= 1.01f;
    return {a, b};
}

void AssessOneMeasurement(benchmark::State& state)
{
    const auto records = Measurements();
    MaxHold hold;
    std::size_t k = 0;
    for (auto _ : state) {
        const LimitsAssessment a =
            AssessLimits(EmissionClass(state.range(0)), CurrentsOf(records[k++ % 2]));
        hold.take(a);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(AssessOneMeasurement)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

void DrawChart(benchmark::State& state)
{
    const auto records = Measurements();
    const LimitsAssessment a = AssessLimits(EmissionClass::A, CurrentsOf(records[0]));
    MaxHold hold;
    hold.take(a);
    QImage image(QSize(int(state.range(0)), int(state.range(1))), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        DrawLimitsChart(canvas, {0, 0, image.width(), image.height()}, a, &hold,
                        LimitsChartColors());
    }
}
BENCHMARK(DrawChart)->Args({740, 190})->Args({1900, 400})->Unit(benchmark::kMicrosecond);

// What the window does for each measurement of continuous sampling while it
// shows: compare, hold, refill the table and labels, redraw the chart.
void WindowPerMeasurement(benchmark::State& state)
{
    QTemporaryDir dir;
    TLimitsForm form(IniFile(dir.filePath(QStringLiteral("SysSet.ini"))));
    form.resize(int(state.range(0)), int(state.range(1)));
    form.show();
    QApplication::processEvents();
    const auto records = Measurements();
    const QDateTime when = QDateTime::currentDateTime();
    std::size_t k = 0;
    for (auto _ : state) {
        form.showMeasurement(records[k++ % 2], when, MeasurementSource::ContinuousSampling);
        // The table's repaint is part of the cost.
        QApplication::processEvents();
    }
}
BENCHMARK(WindowPerMeasurement)
    ->Args({760, 720})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
