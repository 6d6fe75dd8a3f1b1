#include "recordreportgeometry.h"

#include "recordchart.h"

#include <algorithm>

RecordPreviewPicture PlaceRecordPreviewPicture(QSize chart, int W, int H, int statusHeight)
{
    RecordPreviewPicture p;
    if (chart.width() <= 0 || chart.height() <= 0)
        return p;
    p.empty = false;
    const float u = float(chart.width()) / float(chart.height());
    p.height = RoundToInt((W - 100) / double(u));
    int width = W - 100;
    // The status line's last row must stay above the footer rule.
    const int tallest = std::max(0, (H - 100) - 115 - statusHeight);
    if (p.height > tallest) {
        width = std::min(width, RoundToInt(tallest * double(u)));
        p.height = tallest;
    }
    p.source = {0, 12, chart.width() + kRecordRulerWidth, chart.height()};
    p.destination = {50, 75, 50 + width, 75 + p.height};
    return p;
}

RecordPrintGeometry RecordPrintGeometryFor(const PageFrame& f)
{
    RecordPrintGeometry g;
    g.Yt = RoundToInt(2.2 * f.T);
    g.Hc = f.PH - 2 * f.T - RoundToInt(0.3 * f.PH);
    g.Yb = g.Yt + g.Hc;
    g.ys = (f.PH - 2 * f.T - 0.3 * f.PH) / 500.0;
    g.plotLeft = f.L;
    g.plotRight = f.R - 700;
    const int plotWidth = f.R - f.L - 700;
    g.maxPoints = plotWidth / 10;
    g.gridColumns = plotWidth < 0 ? 0 : plotWidth / 200 + 1;
    return g;
}

PrintGridColumns PrintGridColumnsAt(const RecordPrintGeometry& g, int stretch)
{
    if (stretch <= 1)
        return {200, g.gridColumns};
    const int pitch = 10 * GridDivisionAt(stretch).pixels;
    const int plotWidth = g.plotRight - g.plotLeft;
    return {pitch, plotWidth < 0 ? 0 : plotWidth / pitch + 1};
}

int PrintGridRowY(const RecordPrintGeometry& g, int i)
{
    return RoundToInt(g.Hc * (i / 10.0)) + g.Yt;
}

int PrintRulerTickY(const RecordPrintGeometry& g, int i)
{
    return RoundToInt(g.Hc * (i / 50.0)) + g.Yt;
}

int PrintedSampleY(float sample, float scale, int rangeMode, const RecordPrintGeometry& g,
                   int pageHeight)
{
    // ScaledRaw saturates infinities and huge values far beyond any page,
    // yet inside int after the range arithmetic; what lands off the sheet is
    // then brought just past the chart's edge.
    const int y = RangeY(ScaledRaw(sample, scale, g.ys), rangeMode, g.band());
    if (y < 0)
        return g.Yt - 1;
    if (y > pageHeight)
        return g.Yb + 1;
    return y;
}

std::vector<TraceStep> PrintedTraceSteps(std::span<const int> ys, int left, int top, int bottom,
                                         int pitch)
{
    std::vector<TraceStep> steps;
    if (ys.empty())
        return steps;
    steps.reserve(ys.size() + 1);
    steps.push_back({{left, ys[0]}, false});
    int previous = ys[0];
    for (std::size_t j = 0; j < ys.size(); ++j) {
        const int x = left + pitch * int(j);
        int y = ys[j];
        bool line = true;
        if (j == 0) {
            line = y >= top && y <= bottom;
        } else if (y < top) {
            y = top;
            line = previous > top;
        } else if (y > bottom) {
            y = bottom;
            line = previous < bottom;
        }
        steps.push_back({{x, y}, line});
        previous = y;
    }
    return steps;
}
