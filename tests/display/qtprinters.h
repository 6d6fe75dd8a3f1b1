#pragma once

#include "canvas.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

#include <ostream>

// Readable failure messages for the Qt and canvas values the display tests
// compare.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(const QPoint& p, std::ostream* os)
{
    *os << '(' << p.x() << ", " << p.y() << ')';
}

inline void PrintTo(const QRect& r, std::ostream* os)
{
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ')';
}

inline void PrintTo(const QColor& c, std::ostream* os)
{
    *os << "rgb(" << c.red() << ", " << c.green() << ", " << c.blue() << ')';
}

inline void PrintTo(const CanvasRect& r, std::ostream* os)
{
    *os << "CanvasRect(" << r.left << ", " << r.top << " to " << r.right << ", " << r.bottom << ')';
}
