#include "glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// The shapes two looks share, with each look's measures.

struct FolderShape {
    QRectF body;
    QRectF tab; // empty: no tab
    QPolygonF flap;
};

void Folder(QPainter& p, const FolderShape& s)
{
    p.setBrush(QColor(240, 200, 90));
    p.drawRect(s.body);
    if (!s.tab.isEmpty())
        p.drawRect(s.tab);
    p.setBrush(QColor(250, 220, 120));
    p.drawPolygon(s.flap);
}

struct PrinterShape {
    QRectF body;
    qreal radius;
    QColor bodyColor;
    QRectF paperIn;  // the sheet going in, at the top
    QRectF paperOut; // the sheet coming out, over the body
    bool bodyOverPaperIn;
};

void Printer(QPainter& p, const PrinterShape& s)
{
    auto body = [&] {
        p.setBrush(s.bodyColor);
        p.drawRoundedRect(s.body, s.radius, s.radius);
    };
    if (!s.bodyOverPaperIn)
        body();
    p.setBrush(Qt::white);
    p.drawRect(s.paperIn);
    if (s.bodyOverPaperIn) {
        body();
        p.setBrush(Qt::white);
    }
    p.drawRect(s.paperOut);
}

struct MagnifierShape {
    QRectF lens;
    QLineF handle;
    qreal signHalf; // half the length of the minus and plus bars
    QPen ring;
    QBrush glass;
    QPen sign;
};

void Magnifier(QPainter& p, const MagnifierShape& s, bool plus)
{
    p.setPen(s.ring);
    p.setBrush(s.glass);
    p.drawEllipse(s.lens);
    p.drawLine(s.handle);
    p.setPen(s.sign);
    const QPointF c = s.lens.center();
    p.drawLine(QPointF(c.x() - s.signHalf, c.y()), QPointF(c.x() + s.signHalf, c.y()));
    if (plus)
        p.drawLine(QPointF(c.x(), c.y() - s.signHalf), QPointF(c.x(), c.y() + s.signHalf));
}

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c)
{
    QPainterPath path(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.drawPath(path);
}

void MainToolBarGlyph(QPainter& p, Glyph glyph)
{
    p.setPen(QPen(QColor(40, 40, 40), 1));
    switch (glyph) {
    case Glyph::Open:
        Folder(p, {QRectF(4, 10, 24, 16), QRectF(4, 7, 10, 4),
                   QPolygonF({QPointF(4, 26), QPointF(9, 14), QPointF(30, 14), QPointF(26, 26)})});
        break;
    case Glyph::Save:
        p.setBrush(QColor(60, 90, 170));
        p.drawRoundedRect(5, 5, 22, 22, 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(9, 5, 14, 8);
        p.setBrush(QColor(200, 200, 210));
        p.drawRect(10, 18, 12, 9);
        break;
    case Glyph::Print:
        Printer(p, {QRectF(4, 12, 24, 11), 2, QColor(120, 120, 130), QRectF(9, 4, 14, 10),
                    QRectF(9, 19, 14, 9), true});
        break;
    case Glyph::Version:
        p.setBrush(QColor(40, 110, 200));
        p.drawEllipse(5, 5, 22, 22);
        p.setPen(QPen(Qt::white, 3));
        p.drawLine(16, 14, 16, 22);
        p.drawPoint(16, 10);
        break;
    case Glyph::Record:
        p.setBrush(Qt::white);
        p.drawRect(4, 5, 24, 22);
        p.setPen(QPen(QColor(0, 128, 0), 2));
        p.drawPolyline(QPolygon({{6, 22}, {11, 15}, {15, 18}, {20, 10}, {26, 13}}));
        p.setPen(QPen(QColor(200, 40, 40), 2));
        p.drawPolyline(QPolygon({{6, 12}, {12, 20}, {18, 16}, {26, 22}}));
        break;
    case Glyph::HarmonicList:
        p.setBrush(Qt::white);
        p.drawRect(4, 4, 24, 24);
        for (int row = 0; row < 4; ++row)
            p.drawLine(4, 10 + 5 * row, 28, 10 + 5 * row);
        p.drawLine(12, 4, 12, 28);
        p.setBrush(QColor(0, 128, 0));
        p.drawRect(15, 21, 3, 5);
        p.drawRect(20, 16, 3, 10);
        break;
    case Glyph::StartTest: {
        p.setBrush(QColor(0, 0, 0));
        p.drawRect(4, 6, 24, 20);
        p.setPen(QPen(QColor(0, 220, 120), 2));
        QPainterPath wave;
        wave.moveTo(6, 16);
        wave.cubicTo(10, 4, 14, 4, 16, 16);
        wave.cubicTo(18, 28, 22, 28, 26, 16);
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
        break;
    }
    case Glyph::Single:
        p.setBrush(QColor(0, 150, 70));
        p.drawPolygon(QPolygon({{8, 6}, {24, 16}, {8, 26}}));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(13, 12, 13, 20);
        break;
    case Glyph::Continuous:
        p.setBrush(QColor(0, 150, 70));
        p.drawPolygon(QPolygon({{3, 6}, {16, 16}, {3, 26}}));
        p.drawPolygon(QPolygon({{15, 6}, {28, 16}, {15, 26}}));
        break;
    case Glyph::Stop:
        p.setBrush(QColor(200, 40, 40));
        p.drawRoundedRect(7, 7, 18, 18, 2, 2);
        break;
    default:
        break;
    }
}

void RecordToolBarGlyph(QPainter& p, Glyph glyph)
{
    const QColor ink(40, 40, 40);
    p.setPen(QPen(ink, 1.5));
    switch (glyph) {
    case Glyph::Open:
        Folder(p, {QRectF(4, 9, 22, 16), QRectF(),
                   QPolygonF({QPointF(6, 25), QPointF(28, 25), QPointF(28, 14)})});
        break;
    case Glyph::Create:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 4, 17, 24));
        p.setPen(QPen(QColor(0, 128, 0), 2.5));
        p.drawLine(QPointF(10, 20), QPointF(21, 20));
        p.drawLine(QPointF(15.5, 14.5), QPointF(15.5, 25.5));
        break;
    case Glyph::Print:
        Printer(p, {QRectF(4, 12, 24, 11), 0, QColor(200, 200, 200), QRectF(9, 4, 14, 8),
                    QRectF(9, 19, 14, 9), false});
        break;
    case Glyph::Settings:
        p.setBrush(QColor(150, 160, 175));
        p.drawEllipse(QRectF(6, 6, 20, 20));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(12, 12, 8, 8));
        break;
    case Glyph::StartRecording:
        p.setBrush(QColor(220, 30, 30));
        p.drawEllipse(QRectF(6, 6, 20, 20));
        break;
    case Glyph::Stop:
        p.setBrush(QColor(60, 60, 60));
        p.drawRect(QRectF(8, 8, 16, 16));
        break;
    case Glyph::Newer:
        p.setBrush(QColor(0, 100, 200));
        Triangle(p, {6, 16}, {18, 7}, {18, 25});
        p.drawRect(QRectF(20, 7, 5, 18));
        break;
    case Glyph::Older:
        p.setBrush(QColor(0, 100, 200));
        Triangle(p, {26, 16}, {14, 7}, {14, 25});
        p.drawRect(QRectF(7, 7, 5, 18));
        break;
    case Glyph::ZoomOut:
    case Glyph::ZoomIn:
        Magnifier(p,
                  {QRectF(5, 5, 16, 16), QLineF(19, 19, 27, 27), 4, QPen(ink, 2.5),
                   QColor(220, 235, 250), QPen(QColor(0, 70, 140), 2.5)},
                  glyph == Glyph::ZoomIn);
        break;
    case Glyph::ScaleUp:
        p.setBrush(ink);
        Triangle(p, {8, 22}, {24, 22}, {16, 9});
        break;
    case Glyph::ScaleDown:
        p.setBrush(ink);
        Triangle(p, {8, 10}, {24, 10}, {16, 23});
        break;
    case Glyph::ShowHide:
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(5, 10, 22, 12));
        p.setBrush(ink);
        p.drawEllipse(QRectF(12.5, 12.5, 7, 7));
        break;
    case Glyph::Range:
        p.setPen(QPen(ink, 2));
        p.drawLine(QPointF(16, 4), QPointF(16, 28));
        p.setBrush(ink);
        Triangle(p, {10, 10}, {22, 10}, {16, 3});
        Triangle(p, {10, 22}, {22, 22}, {16, 29});
        break;
    case Glyph::ExportCsv:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 4, 20, 24));
        p.setPen(QPen(QColor(0, 100, 200), 1.5));
        for (int row = 0; row < 4; ++row)
            p.drawLine(QPointF(9, 9 + 5 * row), QPointF(23, 9 + 5 * row));
        p.drawLine(QPointF(16, 7), QPointF(16, 25));
        break;
    case Glyph::ExportPng:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 6, 24, 20));
        p.setPen(QPen(QColor(0, 128, 0), 2));
        p.drawPolyline(
            QPolygonF({QPointF(6, 20), QPointF(12, 13), QPointF(18, 17), QPointF(26, 9)}));
        break;
    default:
        break;
    }
}

// Two arrows, and a magnifier with minus (more samples per pixel) or plus
// (fewer).
void PictureButtonGlyph(QPainter& p, Glyph glyph)
{
    const QColor ink(0, 64, 128);
    p.setPen(QPen(ink, 2));
    p.setBrush(ink);
    switch (glyph) {
    case Glyph::Left:
    case Glyph::Right: {
        QPainterPath arrow;
        const bool left = glyph == Glyph::Left;
        arrow.moveTo(left ? 5 : 19, 12);
        arrow.lineTo(left ? 15 : 9, 4);
        arrow.lineTo(left ? 15 : 9, 20);
        arrow.closeSubpath();
        p.drawPath(arrow);
        break;
    }
    case Glyph::ZoomOut:
    case Glyph::ZoomIn:
        Magnifier(p,
                  {QRectF(3, 3, 13, 13), QLineF(14, 14, 21, 21), 3.5, QPen(ink, 2), Qt::NoBrush,
                   QPen(ink, 2)},
                  glyph == Glyph::ZoomIn);
        break;
    default:
        break;
    }
}

QPixmap Picture(Glyph glyph, GlyphLook look)
{
    const int size = look == GlyphLook::PictureButton ? 24 : 32;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (look) {
    case GlyphLook::MainToolBar:
        MainToolBarGlyph(p, glyph);
        break;
    case GlyphLook::RecordToolBar:
        RecordToolBarGlyph(p, glyph);
        break;
    case GlyphLook::PictureButton:
        PictureButtonGlyph(p, glyph);
        break;
    }
    return pixmap;
}

// Light grey and half transparent, whatever the colours.
QPixmap Greyed(const QPixmap& pixmap)
{
    QImage grey = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb c = grey.pixel(x, y);
            const int g = 160 + qGray(c) / 4;
            grey.setPixel(x, y, qRgba(g, g, g, qAlpha(c) / 2));
        }
    return QPixmap::fromImage(grey);
}

} // namespace

QIcon GlyphIcon(Glyph glyph, GlyphLook look)
{
    const QPixmap picture = Picture(glyph, look);
    if (look != GlyphLook::MainToolBar)
        return QIcon(picture);
    QIcon icon;
    icon.addPixmap(picture, QIcon::Normal);
    icon.addPixmap(Greyed(picture), QIcon::Disabled);
    return icon;
}
