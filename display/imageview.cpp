#include "imageview.h"

#include "measurementview.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

ImageView::ImageView(const QImage& image, QWidget* parent, const QRect* shownPart)
    : QWidget(parent), image_(image), shownPart_(shownPart)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    CopySurface(painter, image_, shownPart_ ? *shownPart_ & event->rect() : event->rect());
}

void ImageView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (onResize)
        onResize();
}

void ImageView::enterEvent(QEnterEvent* event)
{
    if (onMouseEnter)
        onMouseEnter();
    QWidget::enterEvent(event);
}

void ImageView::mouseMoveEvent(QMouseEvent* event)
{
    if (onMouseMove)
        onMouseMove(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

void ImageView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (onDoubleClick)
        onDoubleClick();
    QWidget::mouseDoubleClickEvent(event);
}
