#pragma once

#include "canvas.h"
#include "chartbox.h"

#include <QPoint>
#include <QString>

#include <array>
#include <cstdint>

struct MeasurementRecord;

// The sampled-waveform chart on WaveSurface: a 10 x 8 division grid with
// half-division ticks on the centre lines, the current trace (red) and the
// voltage trace (green) over the 512 samples, and the scale line below.

inline const QColor kCurrentTraceColor{255, 0, 0};
inline const QColor kVoltageTraceColor{0, 128, 0};
inline const QColor kScaleTextColor{0, 16, 240};

// A line drawn as MoveTo(from), LineTo(to): `to` itself is not painted.
struct ChartLine {
    QPoint from;
    QPoint to;

    bool operator==(const ChartLine&) const = default;
};

struct WaveGrid {
    std::array<ChartLine, 9> rows; // dotted, the full usable width
    std::array<ChartLine, 9>
        rowTicks; // solid, half a division below each row, on the centre column
    std::array<ChartLine, 11> columns; // dotted, the full height
    std::array<ChartLine, 11>
        columnTicks; // solid, half a division right of each column, on the centre row
};

WaveGrid ComputeWaveGrid(const ChartGeometry& g);

// How far above the centre line the largest deviation of a trace reaches:
// the current peak stays one division below half the height, the voltage
// peak touches the top grid line.
double CurrentTraceReach(const ChartGeometry& g);
double VoltageTraceReach(const ChartGeometry& g);

using TracePoints = std::array<QPoint, 512>;

// The 512 points of a trace. The deviations from `zero` are scaled so that
// the largest reaches `reach` pixels from the centre line c + 2, rounded
// halves to even; a waveform without deviation lies on the centre line.
// With `spread` the points step E / 512 to the right, the x summed in
// single precision and rounded halves to even; without it they all stand
// at x = 2.
TracePoints ComputeTracePoints(const std::array<std::uint16_t, 512>& samples, std::uint16_t zero,
                               double reach, const ChartGeometry& g, bool spread);

// "SEC/DIV:" t "ms   Vol/DIV:" u "V   Amp/DIV:" a "A   Trigger Source:Vol":
// 512 samples span four cycles, the voltage peak four divisions and the
// current peak three; "8", "50" and "1" stand in while the frequency, RMS
// voltage or RMS current is not positive.
QString ScaleLineText(const MeasurementRecord& record);

// Draws the whole chart: background over `displayRect`, grid, current and
// voltage traces, scale line.
void DrawWaveChart(Canvas& canvas, const MeasurementRecord& record, const ChartGeometry& g,
                   const CanvasRect& displayRect, const ChartColors& colors);
