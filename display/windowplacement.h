#pragma once

#include <QRect>

class QWidget;

// Where a window whose frame is `frame` goes so that it lies inside
// `available` (a screen's area without panels and docks): moved by as little
// as it takes, and to the area's top-left corner on a side where it is larger
// than the area, so that its title bar and its top-left stay reachable.
QPoint PositionInside(const QRect& frame, const QRect& available);

// Moves the top-level `window` inside the available area of the screen it
// is mostly on (the primary screen when it is on none). Called before the
// window shows, after anything that placed it.
void KeepInsideScreen(QWidget& window);
