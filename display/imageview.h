#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

// A widget that only shows an image drawn elsewhere: painting copies the
// image's pixels to the same place in the widget and never draws, so a
// window redraws its off-screen image and calls update(). The image and the
// part shown belong to the window and may change between paints.
class ImageView : public QWidget {
public:
    // `shownPart`, where given, limits the copy to that part of the image
    // (the part the last drawing covered).
    ImageView(const QImage& image, QWidget* parent, const QRect* shownPart = nullptr);

    std::function<void()> onResize; // the image is to be drawn at the new size
    std::function<void(QPoint)> onMouseMove;
    std::function<void()> onMouseEnter;
    std::function<void()> onDoubleClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const QImage& image_;
    const QRect* shownPart_;
};
