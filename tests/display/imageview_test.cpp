#include "imageview.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

namespace {

QImage Gradient(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 4, 100));
    return image;
}

// The view shows the image's pixels at their own place, and what the image
// holds at the paint, not at the view's making.
TEST(ImageView, ShowsTheImageAsItIsAtEachPaint)
{
    QImage image = Gradient({60, 50});
    ImageView view(image, nullptr);
    view.resize(40, 30);
    QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, image.copy(0, 0, 40, 30));

    image.fill(qRgb(10, 200, 30));
    shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(39, 29), qRgb(10, 200, 30));
}

// With a shown part, only that part of the image is copied; the rest of the
// view is left to what was there (here a known fill).
TEST(ImageView, CopiesOnlyTheShownPart)
{
    const QImage image = Gradient({60, 50});
    QRect part(0, 0, 20, 10);
    ImageView view(image, nullptr, &part);
    view.resize(40, 30);
    QPixmap target(40, 30);
    target.fill(Qt::black);
    view.render(&target);
    QImage shown = target.toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.copy(part), image.copy(part));
    EXPECT_EQ(shown.pixel(30, 20), qRgb(0, 0, 0));

    part = QRect(0, 0, 40, 30); // the owner's part, read at the next paint
    target.fill(Qt::black);
    view.render(&target);
    EXPECT_EQ(target.toImage().convertToFormat(QImage::Format_RGB32), image.copy(part));
}

TEST(ImageView, HandsResizeMouseAndDoubleClickToTheWindow)
{
    const QImage image = Gradient({60, 50});
    ImageView view(image, nullptr);
    view.setMouseTracking(true);
    int resized = 0, entered = 0, doubleClicks = 0;
    QPoint moved;
    view.onResize = [&] { ++resized; };
    view.onMouseEnter = [&] { ++entered; };
    view.onMouseMove = [&](QPoint at) { moved = at; };
    view.onDoubleClick = [&] { ++doubleClicks; };
    view.resize(40, 30);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_GE(resized, 1);
    const int enteredBefore = entered; // the platform may report an entry of its own
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&view, &enter);
    EXPECT_EQ(entered, enteredBefore + 1);
    QTest::mouseMove(&view, QPoint(12, 7));
    EXPECT_EQ(moved, QPoint(12, 7));
    QTest::mouseDClick(&view, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(doubleClicks, 1);
}

} // namespace
