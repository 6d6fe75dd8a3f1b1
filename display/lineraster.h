#pragma once

#include "canvas.h"

#include <QPoint>

#include <array>
#include <cstdlib>

// Visits the pixels of a 1-pixel line from `from` towards `to` in drawing
// order, the end point excluded; a line to the same point visits nothing.
// Along the major axis every step paints one pixel; the minor coordinate is
// the exact line rounded to the nearest pixel, halves staying on the side of
// the start.
template <class Visit>
void ForEachLinePixel(QPoint from, QPoint to, Visit&& visit)
{
    const long long dx = static_cast<long long>(to.x()) - from.x();
    const long long dy = static_cast<long long>(to.y()) - from.y();
    const long long adx = std::llabs(dx);
    const long long ady = std::llabs(dy);
    const int sx = dx < 0 ? -1 : 1;
    const int sy = dy < 0 ? -1 : 1;
    // Grid lines are horizontal or vertical: no minor steps to work out.
    if (ady == 0) {
        for (long long i = 0; i < adx; ++i)
            visit(from.x() + static_cast<int>(i) * sx, from.y());
        return;
    }
    if (adx == 0) {
        for (long long i = 0; i < ady; ++i)
            visit(from.x(), from.y() + static_cast<int>(i) * sy);
        return;
    }
    if (adx >= ady) {
        for (long long i = 0; i < adx; ++i) {
            const long long minor = (2 * i * ady + adx - 1) / (2 * adx);
            visit(from.x() + static_cast<int>(i) * sx, from.y() + static_cast<int>(minor) * sy);
        }
    } else {
        for (long long i = 0; i < ady; ++i) {
            const long long minor = (2 * i * adx + ady - 1) / (2 * ady);
            visit(from.x() + static_cast<int>(minor) * sx, from.y() + static_cast<int>(i) * sy);
        }
    }
}

// The on/off sequence of a styled 1-pixel pen, pixel by pixel along a line.
class LinePattern {
public:
    explicit LinePattern(PenStyle style = PenStyle::Solid) { setStyle(style); }

    void setStyle(PenStyle style)
    {
        style_ = style;
        restart();
    }
    void restart() { position_ = 0; }

    // Whether the next pixel along the line is painted.
    bool next()
    {
        if (style_ == PenStyle::Solid)
            return true;
        // Dot: 3 on, 3 off. Dash-dot: 9 on, 6 off, 3 on, 6 off.
        static constexpr std::array<bool, 6> dot{true, true, true, false, false, false};
        static constexpr std::array<int, 4> dashDotEnds{9, 15, 18, 24};
        bool on;
        if (style_ == PenStyle::Dot) {
            on = dot[position_ % 6];
        } else {
            const int p = position_ % 24;
            on = p < dashDotEnds[0] || (p >= dashDotEnds[1] && p < dashDotEnds[2]);
        }
        position_ = (position_ + 1) % 24; // both patterns repeat within 24 pixels
        return on;
    }

private:
    PenStyle style_ = PenStyle::Solid;
    int position_ = 0;
};
