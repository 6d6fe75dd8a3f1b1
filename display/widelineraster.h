#pragma once

#include <QPoint>

#include <algorithm>
#include <cmath>

// Visits the pixels of a line of an even pen width of 2 or more, with round
// ends, as horizontal spans within columns 0 .. width - 1 and rows
// 0 .. height - 1: visit(y, x0, x1) paints x0 .. x1 of row y. The stroke is
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
template <class Visit>
void ForEachWideLineSpan(QPoint from, QPoint to, int penWidth, int width, int height, Visit&& visit)
{
    if (from == to || width <= 0 || height <= 0)
        return;
    const double r = penWidth / 2.0;
    const double ax = from.x(), ay = from.y();
    const double dx = double(to.x()) - ax, dy = double(to.y()) - ay;
    const double length2 = dx * dx + dy * dy;
    const double rLength = r * std::sqrt(length2);
    const double bx = ax + dx, by = ay + dy;

    // Rows whose centre can lie inside the stroke.
    const int firstRow = int(std::clamp(std::floor(std::min(ay, by) - r - 0.5), 0.0, double(height)));
    const int lastRow = int(std::clamp(std::ceil(std::max(ay, by) + r - 0.5), -1.0, double(height - 1)));
    for (int y = firstRow; y <= lastRow; ++y) {
        const double cy = y + 0.5;
        const double v = cy - ay;
        double lo = HUGE_VAL, hi = -HUGE_VAL;
        const auto cover = [&](double a, double b) {
            if (a < b) {
                lo = std::min(lo, a);
                hi = std::max(hi, b);
            }
        };
        // The round ends: discs of radius r around both end corners.
        for (const auto& [px, py] : {std::pair(ax, ay), std::pair(bx, by)}) {
            const double h2 = r * r - (cy - py) * (cy - py);
            if (h2 > 0) {
                const double h = std::sqrt(h2);
                cover(px - h, px + h);
            }
        }
        // The band along the segment, u = x - ax: |u dy - v dx| < r L and
        // 0 <= u dx + v dy <= L^2.
        double bandLo = -HUGE_VAL, bandHi = HUGE_VAL;
        if (dy != 0) {
            const double a = (v * dx - rLength) / dy, b = (v * dx + rLength) / dy;
            bandLo = std::min(a, b);
            bandHi = std::max(a, b);
        } else if (std::abs(v * dx) >= rLength) {
            bandHi = bandLo; // the row misses a horizontal band
        }
        if (dx != 0) {
            const double a = -v * dy / dx, b = (length2 - v * dy) / dx;
            bandLo = std::max(bandLo, std::min(a, b));
            bandHi = std::min(bandHi, std::max(a, b));
        } else if (v * dy < 0 || v * dy > length2) {
            bandHi = bandLo; // the row passes beside a vertical segment's ends
        }
        cover(ax + bandLo, ax + bandHi);
        if (!(lo < hi))
            continue;
        // Pixel x is painted when lo < x + 0.5 < hi.
        const double first = std::floor(lo - 0.5) + 1;
        const double last = std::ceil(hi - 0.5) - 1;
        const int x0 = int(std::max(0.0, first));
        const int x1 = int(std::min(double(width - 1), last));
        if (x0 <= x1)
            visit(y, x0, x1);
    }
}
