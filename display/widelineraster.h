#pragma once

#include <QPoint>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

// The pixels of a line of an even pen width of 2 or more, with round ends,
// within columns 0 .. width - 1 and rows 0 .. height - 1. The stroke is
// centred on the pixel corner at the top left of each end point (an
// even-width pen covers whole pixels that way), and a pixel is painted when
// its centre lies inside the stroke: closer than half the pen width to the
// segment between the two corners. A line to the same point paints nothing,
// as the painter's stroke of a zero-length line does.
//
// This is the shape the painter fills for such a stroke without
// antialiasing; the painter places the outline on a 1/64-pixel grid, so a
// pixel whose centre lies within 1/64 pixel of the outline may come out the
// other way there.
//
// The pixels come as blocks: paint(x0, x1, y0, y1) paints columns x0 .. x1
// of rows y0 .. y1. A shallow line comes as one block per row. A steep line
// over few columns (a trend chart's step from one column to the next) is
// worked out column by column, a few computations instead of one per row,
// and comes as one block per column, or, for a long step, as the stretches
// of rows that the same columns cover. Pen widths up to kMaxWideLinePen.
inline constexpr int kMaxWideLinePen = 16;
template <class Paint>
void ForEachWideLineBlock(QPoint from, QPoint to, int penWidth, int width, int height,
                          Paint&& paint);

namespace wideline_detail {

// floor(x) and ceil(x) for x in [-8, 2^31 - 9], without a call into the
// maths library.
inline int FloorSmall(double x)
{
    return int(x + 8.0) - 8;
}
inline int CeilSmall(double x)
{
    const int f = FloorSmall(x);
    return f + (double(f) < x ? 1 : 0);
}

// The runs of a segment from (ax, ay) to (bx, by), bx != ax, on the rows
// 0 .. rows - 1, each clipped to 0 .. columns - 1.
template <class Run>
void RowRuns(double ax, double ay, double bx, double by, double r, int columns, int rows, Run&& run)
{
    const double dx = bx - ax, dy = by - ay;
    const double length2 = dx * dx + dy * dy;
    const double rLength = r * std::sqrt(length2);
    const double invDx = 1.0 / dx;
    const double invDy = dy != 0 ? 1.0 / dy : 0.0;
    const double r2 = r * r;
    // Every run is clipped to the columns; keeping the ends a few pixels
    // beyond them keeps the integer conversions small.
    const double minX = -4.0, maxX = columns + 4.0;

    const int firstRow = int(std::clamp(std::floor(std::min(ay, by) - r - 0.5), 0.0, double(rows)));
    const int lastRow =
        int(std::clamp(std::ceil(std::max(ay, by) + r - 0.5), -1.0, double(rows - 1)));
    for (int y = firstRow; y <= lastRow; ++y) {
        const double cy = y + 0.5;
        const double v = cy - ay;
        double lo = HUGE_VAL, hi = -HUGE_VAL;
        // The round ends: discs of radius r around both end corners.
        const double hA = r2 - v * v;
        if (hA > 0) {
            const double h = std::sqrt(hA);
            lo = ax - h;
            hi = ax + h;
        }
        const double w = cy - by;
        const double hB = r2 - w * w;
        if (hB > 0) {
            const double h = std::sqrt(hB);
            lo = std::min(lo, bx - h);
            hi = std::max(hi, bx + h);
        }
        // The band along the segment, u = x - ax: |u dy - v dx| < r L and
        // 0 <= u dx + v dy <= L^2.
        double bandLo, bandHi;
        if (dy != 0) {
            const double a = (v * dx - rLength) * invDy, b = (v * dx + rLength) * invDy;
            bandLo = std::min(a, b);
            bandHi = std::max(a, b);
        } else {
            bandLo = -HUGE_VAL;
            bandHi = std::abs(v) < r ? HUGE_VAL : -HUGE_VAL;
        }
        const double a = -v * dy * invDx, b = (length2 - v * dy) * invDx;
        bandLo = std::max(bandLo, std::min(a, b));
        bandHi = std::min(bandHi, std::max(a, b));
        if (bandLo < bandHi) {
            lo = std::min(lo, ax + bandLo);
            hi = std::max(hi, ax + bandHi);
        }
        if (!(lo < hi))
            continue;
        // Pixel x is painted when lo < x + 0.5 < hi.
        const int first = std::max(0, FloorSmall(std::clamp(lo, minX, maxX) - 0.5) + 1);
        const int last = std::min(columns - 1, CeilSmall(std::clamp(hi, minX, maxX) - 0.5) - 1);
        if (first <= last)
            run(y, first, last);
    }
}

} // namespace wideline_detail

template <class Paint>
void ForEachWideLineBlock(QPoint from, QPoint to, int penWidth, int width, int height,
                          Paint&& paint)
{
    if (from == to || width <= 0 || height <= 0)
        return;
    const double r = std::clamp(penWidth, 2, kMaxWideLinePen) / 2.0;
    const long long dx = static_cast<long long>(to.x()) - from.x();
    const long long dy = static_cast<long long>(to.y()) - from.y();
    constexpr int kFewColumns = 32;
    if (std::llabs(dy) <= std::llabs(dx) || std::llabs(dx) + kMaxWideLinePen + 2 > kFewColumns) {
        // A shallow line, or a steep one across many columns: row by row.
        wideline_detail::RowRuns(from.x(), from.y(), to.x(), to.y(), r, width, height,
                                 [&](int y, int x0, int x1) { paint(x0, x1, y, y); });
        return;
    }
    // A steep line over few columns: with rows and columns swapped it is a
    // shallow line, one run of rows per column (at most |dx| + pen width + 3
    // columns, within kFewColumns + 1).
    const auto swappedRuns = [&](auto&& run) {
        wideline_detail::RowRuns(from.y(), from.x(), to.y(), to.x(), r, height, width, run);
    };
    // A short step is painted column by column.
    constexpr long long kLongStep = 64;
    if (std::llabs(dy) < kLongStep) {
        swappedRuns([&](int x, int y0, int y1) { paint(x, x, y0, y1); });
        return;
    }
    // A long step (a chart's jump across its height) is painted row after
    // row across its few columns: each row's cache line is then fetched once
    // instead of once per column.
    struct ColumnRun {
        int x, y0, y1;
    };
    std::array<ColumnRun, kFewColumns + 2> columns;
    // The rows where a column's run starts or ends; between two of them the
    // same columns cover every row.
    std::array<int, 2 * (kFewColumns + 2)> edges;
    int count = 0;
    swappedRuns([&](int x, int y0, int y1) {
        edges[std::size_t(2 * count)] = y0;
        edges[std::size_t(2 * count + 1)] = y1 + 1;
        columns[std::size_t(count++)] = {x, y0, y1};
    });
    std::sort(edges.begin(), edges.begin() + 2 * count);
    for (int e = 0; e + 1 < 2 * count; ++e) {
        const int y0 = edges[std::size_t(e)], y1 = edges[std::size_t(e + 1)] - 1;
        if (y1 < y0)
            continue;
        // The stroke is convex, so the columns covering these rows are
        // adjacent.
        const auto covers = [&](const ColumnRun& c) { return c.y0 <= y0 && y0 <= c.y1; };
        int first = 0;
        while (first < count && !covers(columns[std::size_t(first)]))
            ++first;
        if (first == count)
            continue;
        int last = first;
        while (last + 1 < count && covers(columns[std::size_t(last + 1)]))
            ++last;
        paint(columns[std::size_t(first)].x, columns[std::size_t(last)].x, y0, y1);
    }
}
