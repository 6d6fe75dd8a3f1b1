#pragma once

#include "canvas.h"

#include <QColor>

// What the three live charts share: the geometry derived from the paint box
// (all three boxes have the size of Pic1), the two chart colours of the
// appearance settings, and the font of the chart captions.

struct ChartGeometry {
    int Wd; // box width - 2
    int Hd; // box height - 2
    int E;  // usable width, Wd - 4
    int F;  // usable height, Hd - 4
    int c;  // waveform centre line F div 2, before the 2-pixel offset

    bool operator==(const ChartGeometry&) const = default;
};

ChartGeometry MeasureChartBox(int width, int height);

struct ChartColors {
    QColor ChartBackColor = Qt::black; // chart background
    QColor ChartGridColor = Qt::black; // grid, ticks, axes
};

// Chart captions: the default sans-serif face at 8 points in `color`.
CanvasFont ChartFont(const QColor& color);
// An opaque caption in `color` on `background`: the caption font and, as the
// brush that fills its cell, the background or, where the colour would
// hardly show on it, a backing chip that sets it off.
void SetCaptionStyle(Canvas& canvas, const QColor& color, const QColor& background);
