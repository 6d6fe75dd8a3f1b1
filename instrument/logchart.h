#pragma once

#include "instrumentlog.h"

#include <QColor>
#include <QSize>
#include <QString>

class Canvas;

// Everything DrawLogChart draws from, as plain values: the log's bytes (any
// length, see instrumentlog.h), the view and the paint box's size.
struct LogChartInput {
    std::span<const std::uint8_t> log;
    int scroll = 0; // LogScroll: first sample shown
    int zoom = 1;   // LogZoom: sample step between neighbouring pixels (below 1 counts as 1)
    int width = 0;  // W of the paint box
    int height = 0; // H of the paint box
    QSize fillSize; // the area filled with the background: the screen's size
    QColor ChartBackColor = Qt::black;
    QColor ChartGridColor = Qt::black;
};

// The log chart: background, a dotted grid of ten rows and 20-pixel columns
// between margins of 16 pixels, the current trace in red, the voltage trace
// in dark green over it, and the two peak labels at the bottom.
//
// The current is scaled so that its largest deviation A reaches one grid row
// below the top margin, the voltage so that its largest deviation B reaches
// the margin; a voltage that stays at zero keeps the current's scale. Each
// trace starts at x = 2 and goes on from x = 1, one pixel per shown sample.
// The current trace ends at sample 2551, the last inside the block.
void DrawLogChart(Canvas& canvas, const LogChartInput& input);

// n = (2560 - scroll) div zoom, at most W: the samples each trace shows.
int LogPointCount(int scroll, int zoom, int width);

// y = Round((H - 32) * i / 10) + 16 of grid row i (0-10), halves to even.
int LogGridRowY(int height, int i);

// The number of a peak label: Round(peak * factor * 100) / 100 in its
// shortest decimal form ("500", "12.3", "0"), or a placeholder when the
// factor makes it NaN, infinite or too large to show.
QString LogPeakText(int peak, float factor);
inline const QString kLogPeakPlaceholder = QStringLiteral("----");
