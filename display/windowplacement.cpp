#include "windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QPoint PositionInside(const QRect& frame, const QRect& available)
{
    const auto axis = [](int start, int length, int areaStart, int areaLength) {
        // Too far right (down) first, then too far left (up): a window larger
        // than the area ends at its start.
        start = std::min(start, areaStart + areaLength - length);
        return std::max(start, areaStart);
    };
    return {axis(frame.x(), frame.width(), available.x(), available.width()),
            axis(frame.y(), frame.height(), available.y(), available.height())};
}

void KeepInsideScreen(QWidget& window)
{
    const QRect frame = window.frameGeometry();
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QPoint inside = PositionInside(frame, screen->availableGeometry());
    if (inside != frame.topLeft())
        window.move(inside);
}
