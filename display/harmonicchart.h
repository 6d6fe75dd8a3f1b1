#pragma once

#include "canvas.h"
#include "chartbox.h"

#include <QPoint>
#include <QString>

#include <array>

// The harmonic bar charts on UHarmonicSurface and IHarmonicSurface: one
// 2-pixel column per order 0-50 standing on a baseline, heights relative to
// the largest order, which reaches y = 15 and is marked "100%", with
// 10 % grid lines, ticks and labels every fifth order.

inline const QColor kHarmonicLabelColor{0, 128, 128};
inline const QColor kVoltageBarColor{0, 128, 0};
inline const QColor kCurrentBarColor{223, 48, 32};

struct HarmonicLabel {
    QString text;
    QPoint at; // top-left of the text
};

struct HarmonicChartLayout {
    int baseline = 0;             // y0 = T(0.9 F); the axis runs from (2, y0) to (E + 3, y0)
    int reach = 0;                // R = y0 - 15, the height of the largest bar
    std::array<int, 51> x{};      // x_k = N(k E' / 50) + 2 with E' = E - 8
    std::array<int, 51> barTop{}; // y0 - T(R a_k / M); y0 when nothing rises
    std::array<int, 10> gridY{};  // 100 %, 90 %, ... 10 % of R
    std::array<HarmonicLabel, 11> labels; // orders 0, 5, ... 50
};

// The chart's positions for 51 amplitudes. The largest of 0 and the finite
// amplitudes, M, is the full height; with M = 0 no bar rises. Bars stay
// between the baseline and the 100 % line: amplitudes below zero and NaN
// have none, infinite ones stand at full height.
HarmonicChartLayout ComputeHarmonicChart(const std::array<float, 51>& amplitudes,
                                         const ChartGeometry& g);

// The outline of order k's bar, from (x_k + 5, top) to (x_k + 7, y0): the
// 2-pixel column x_k + 5 .. x_k + 6 down to the row above the baseline.
CanvasRect HarmonicBar(const HarmonicChartLayout& layout, int k);

// The x of the tick under order k (drawn for the labelled orders).
inline int HarmonicTickX(const HarmonicChartLayout& layout, int k)
{
    return layout.x[k] + 5;
}

void DrawHarmonicChart(Canvas& canvas, const std::array<float, 51>& amplitudes,
                       const QColor& barColor, const ChartGeometry& g,
                       const CanvasRect& displayRect, const ChartColors& colors);
