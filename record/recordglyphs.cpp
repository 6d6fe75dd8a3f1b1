#include "recordglyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c)
{
    QPainterPath path(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.drawPath(path);
}

void Magnifier(QPainter& p, bool plus)
{
    p.setPen(QPen(QColor(40, 40, 40), 2.5));
    p.setBrush(QColor(220, 235, 250));
    p.drawEllipse(QRectF(5, 5, 16, 16));
    p.drawLine(QPointF(19, 19), QPointF(27, 27));
    p.setPen(QPen(QColor(0, 70, 140), 2.5));
    p.drawLine(QPointF(9, 13), QPointF(17, 13));
    if (plus)
        p.drawLine(QPointF(13, 9), QPointF(13, 17));
}

} // namespace

QIcon RecordGlyphIcon(RecordGlyph glyph)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 40, 40);
    p.setPen(QPen(ink, 1.5));
    switch (glyph) {
    case RecordGlyph::Open:
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(4, 9, 22, 16));
        p.setBrush(QColor(250, 220, 120));
        Triangle(p, {6, 25}, {28, 25}, {28, 14});
        break;
    case RecordGlyph::Create:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 4, 17, 24));
        p.setPen(QPen(QColor(0, 128, 0), 2.5));
        p.drawLine(QPointF(10, 20), QPointF(21, 20));
        p.drawLine(QPointF(15.5, 14.5), QPointF(15.5, 25.5));
        break;
    case RecordGlyph::Print:
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4, 12, 24, 11));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 4, 14, 8));
        p.drawRect(QRectF(9, 19, 14, 9));
        break;
    case RecordGlyph::Settings:
        p.setBrush(QColor(150, 160, 175));
        p.drawEllipse(QRectF(6, 6, 20, 20));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(12, 12, 8, 8));
        break;
    case RecordGlyph::Start:
        p.setBrush(QColor(220, 30, 30));
        p.drawEllipse(QRectF(6, 6, 20, 20));
        break;
    case RecordGlyph::Stop:
        p.setBrush(QColor(60, 60, 60));
        p.drawRect(QRectF(8, 8, 16, 16));
        break;
    case RecordGlyph::Newer:
        p.setBrush(QColor(0, 100, 200));
        Triangle(p, {6, 16}, {18, 7}, {18, 25});
        p.drawRect(QRectF(20, 7, 5, 18));
        break;
    case RecordGlyph::Older:
        p.setBrush(QColor(0, 100, 200));
        Triangle(p, {26, 16}, {14, 7}, {14, 25});
        p.drawRect(QRectF(7, 7, 5, 18));
        break;
    case RecordGlyph::ZoomOut:
        Magnifier(p, false);
        break;
    case RecordGlyph::ZoomIn:
        Magnifier(p, true);
        break;
    case RecordGlyph::ScaleUp:
        p.setBrush(ink);
        Triangle(p, {8, 22}, {24, 22}, {16, 9});
        break;
    case RecordGlyph::ScaleDown:
        p.setBrush(ink);
        Triangle(p, {8, 10}, {24, 10}, {16, 23});
        break;
    case RecordGlyph::ShowHide:
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(5, 10, 22, 12));
        p.setBrush(ink);
        p.drawEllipse(QRectF(12.5, 12.5, 7, 7));
        break;
    case RecordGlyph::Range:
        p.setPen(QPen(ink, 2));
        p.drawLine(QPointF(16, 4), QPointF(16, 28));
        p.setBrush(ink);
        Triangle(p, {10, 10}, {22, 10}, {16, 3});
        Triangle(p, {10, 22}, {22, 22}, {16, 29});
        break;
    case RecordGlyph::ExportCsv:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 4, 20, 24));
        p.setPen(QPen(QColor(0, 100, 200), 1.5));
        for (int row = 0; row < 4; ++row)
            p.drawLine(QPointF(9, 9 + 5 * row), QPointF(23, 9 + 5 * row));
        p.drawLine(QPointF(16, 7), QPointF(16, 25));
        break;
    case RecordGlyph::ExportPng:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 6, 24, 20));
        p.setPen(QPen(QColor(0, 128, 0), 2));
        p.drawPolyline(QPolygonF({QPointF(6, 20), QPointF(12, 13), QPointF(18, 17),
                                  QPointF(26, 9)}));
        break;
    }
    return QIcon(pixmap);
}
