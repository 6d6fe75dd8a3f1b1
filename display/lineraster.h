#pragma once

#include "canvas.h"

#include <QPoint>

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
    const bool xMajor = adx >= ady;
    const long long major = xMajor ? adx : ady;
    const long long minorSpan = xMajor ? ady : adx;
    // minor(i) = (2 i minorSpan + major - 1) div (2 major), kept as quotient
    // and remainder from step to step: a long line costs no division per
    // pixel. The numerator grows by 2 minorSpan <= 2 major a step, so the
    // quotient grows by at most one.
    const long long denominator = 2 * major;
    long long minor = 0;
    long long remainder = major - 1;
    int x = from.x();
    int y = from.y();
    for (long long i = 0; i < major; ++i) {
        if (xMajor)
            visit(x + static_cast<int>(i) * sx, y + static_cast<int>(minor) * sy);
        else
            visit(x + static_cast<int>(minor) * sx, y + static_cast<int>(i) * sy);
        remainder += 2 * minorSpan;
        if (remainder >= denominator) {
            remainder -= denominator;
            ++minor;
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
        const bool on = onAt(position_);
        position_ = (position_ + 1) % 24; // both patterns repeat within 24 pixels
        return on;
    }

    // Moves on by `count` pixels, as that many calls of next() would.
    void skip(long long count) { position_ = int((position_ + count % 24) % 24); }

    // Whether pixel `position` (0 = first) of a line started afresh is painted.
    bool onAt(long long position) const
    {
        // Dot: 3 on, 3 off. Dash-dot: 9 on, 6 off, 3 on, 6 off.
        switch (style_) {
        case PenStyle::Dot:
            return position % 6 < 3;
        case PenStyle::DashDot: {
            const long long p = position % 24;
            return p < 9 || (p >= 15 && p < 18);
        }
        default:
            return true;
        }
    }

private:
    PenStyle style_ = PenStyle::Solid;
    int position_ = 0;
};
