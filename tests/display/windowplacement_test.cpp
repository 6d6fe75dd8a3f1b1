// A window about to show is brought inside the screen's available area.
#include "windowplacement.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

TEST(WindowPlacementTest, AWindowOutsideTheAreaIsMovedInByAsLittleAsItTakes)
{
    // A 1280 x 1024 screen with a 24-pixel panel at its top.
    const QRect area(0, 24, 1280, 1000);
    const struct Case {
        const char* name;
        QRect frame;
        QPoint expected;
    } cases[] = {
        {"inside stays", {100, 100, 800, 600}, {100, 100}},
        {"above and left of the screen", {-313, -166, 797, 598}, {0, 24}},
        {"under the panel", {200, 10, 400, 300}, {200, 24}},
        {"past the right and bottom edges", {1000, 900, 400, 300}, {880, 724}},
        {"exactly filling the area", {0, 24, 1280, 1000}, {0, 24}},
        {"wider and taller than the area", {-50, 500, 1500, 1100}, {0, 24}},
        {"on a second screen to the right", {1500, 100, 400, 300}, {880, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PositionInside(c.frame, area), c.expected);
    }
}

TEST(WindowPlacementTest, KeepInsideScreenMovesATopLevelWindow)
{
    QMainWindow window;
    window.resize(300, 200);
    window.move(-313, -166);
    KeepInsideScreen(window);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(available.contains(window.frameGeometry())) << window.x() << "," << window.y();
    window.move(available.topLeft() + QPoint(20, 30));
    KeepInsideScreen(window);
    EXPECT_EQ(window.pos(), available.topLeft() + QPoint(20, 30));
}

} // namespace
