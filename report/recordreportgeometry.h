#pragma once

#include "canvas.h"
#include "recordchart.h"
#include "reportgeometry.h"

#include <QPoint>
#include <QSize>

#include <span>
#include <vector>

// Geometry of the record report as plain arithmetic: where the preview puts
// the chart picture, and the printed chart's band, points and trace rule.

// The chart picture on the preview page: `source` in the picture of chart
// and ruler ((W + 50) x H), `destination` on the page, `height` the f the
// legend and status lines are placed from. `empty` when the chart has no
// area, and then nothing is copied and f is 0.
struct RecordPreviewPicture {
    CanvasRect source;
    CanvasRect destination;
    int height = 0;
    bool empty = true;
};

// The picture for a chart of `chart` pixels on a page W x H: the chart
// without its top 12 rows plus the ruler, stretched to the page's width less
// 50 on each side, f = Round((W - 100) / u) with u the chart's aspect ratio
// as a 32-bit float. A chart so tall that the status line (`statusHeight`
// pixels high, f + 115 down) would reach the footer rule at H - 100 is
// limited to the tallest f that keeps it above, its width shrinking in
// proportion.
RecordPreviewPicture PlaceRecordPreviewPicture(QSize chart, int W, int H, int statusHeight);

// The printed chart in device pixels.
struct RecordPrintGeometry {
    int Yt = 0;          // chart top, Round(2.2 T)
    int Hc = 0;          // chart height, PH - 2 T - Round(0.3 PH)
    int Yb = 0;          // chart bottom, Yt + Hc
    double ys = 0;       // pixels per scaled unit, (PH - 2 T - 0.3 PH) / 500
    int plotLeft = 0;    // L
    int plotRight = 0;   // R - 700, where the grid ends and the ruler's ticks start
    int maxPoints = 0;   // (R - L - 700) div 10, one point per 10 pixels
    int gridColumns = 0; // vertical grid lines, 0 when the plot has no width
    RangeBand band() const { return {Yt, Yb, Hc / 2 + Yt}; }
};
RecordPrintGeometry RecordPrintGeometryFor(const PageFrame& frame);

// The printed grid's columns, `stretch` pixels per sample as on the screen:
// ten printed pixels for each pixel of the screen's division.
struct PrintGridColumns {
    int pitch = 200; // printed pixels between two vertical lines
    int count = 0;   // lines, 0 when the plot has no width
};
PrintGridColumns PrintGridColumnsAt(const RecordPrintGeometry& g, int stretch);

// Row i (0-10) of the grid and tick i (0-50) of the ruler.
int PrintGridRowY(const RecordPrintGeometry& g, int i);
int PrintRulerTickY(const RecordPrintGeometry& g, int i);

// The y of a sample on the printed chart: scaled as the record chart scales
// (NaN as 0) and placed by the display range. A sample that is not finite or
// would land off the sheet (a damaged file) sits one pixel past the edge it
// went beyond, so the trace rule and the overflow marks treat it as any
// sample beyond the chart.
int PrintedSampleY(float sample, float scale, int rangeMode, const RecordPrintGeometry& g,
                   int pageHeight);

// One step of a printed trace: a move, or a line from the previous step.
struct TraceStep {
    QPoint to;
    bool line = false;
    bool operator==(const TraceStep&) const = default;
};

// The steps of a trace through the points `ys` (point j at x = left + pitch
// j, ten pixels a point unless the chart is stretched):
// a move to the first point, a line to it when it lies on the chart, then
// for each later point a point beyond the top or bottom is brought to that
// edge, with a line there only when the previous point (as brought) was not
// already on or beyond it. So a trace runs to the edge where it leaves, not
// along it while outside, from the edge where it returns, and edge to edge
// on a jump across; the first point is never brought to the edge.
std::vector<TraceStep> PrintedTraceSteps(std::span<const int> ys, int left, int top, int bottom,
                                         int pitch = 10);
