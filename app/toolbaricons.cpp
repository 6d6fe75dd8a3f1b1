#include "toolbaricons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 32;

void drawOpen(QPainter& p)
{
    p.setBrush(QColor(240, 200, 90));
    p.drawRect(4, 10, 24, 16);
    p.drawRect(4, 7, 10, 4);
    p.setBrush(QColor(250, 220, 120));
    p.drawPolygon(QPolygon({{4, 26}, {9, 14}, {30, 14}, {26, 26}}));
}

void drawSave(QPainter& p)
{
    p.setBrush(QColor(60, 90, 170));
    p.drawRoundedRect(5, 5, 22, 22, 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(9, 5, 14, 8);
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(10, 18, 12, 9);
}

void drawPrint(QPainter& p)
{
    p.setBrush(Qt::white);
    p.drawRect(9, 4, 14, 10);
    p.setBrush(QColor(120, 120, 130));
    p.drawRoundedRect(4, 12, 24, 11, 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(9, 19, 14, 9);
}

void drawVersion(QPainter& p)
{
    p.setBrush(QColor(40, 110, 200));
    p.drawEllipse(5, 5, 22, 22);
    p.setPen(QPen(Qt::white, 3));
    p.drawLine(16, 14, 16, 22);
    p.drawPoint(16, 10);
}

void drawRecord(QPainter& p)
{
    p.setBrush(Qt::white);
    p.drawRect(4, 5, 24, 22);
    p.setPen(QPen(QColor(0, 128, 0), 2));
    p.drawPolyline(QPolygon({{6, 22}, {11, 15}, {15, 18}, {20, 10}, {26, 13}}));
    p.setPen(QPen(QColor(200, 40, 40), 2));
    p.drawPolyline(QPolygon({{6, 12}, {12, 20}, {18, 16}, {26, 22}}));
}

void drawHarmonicList(QPainter& p)
{
    p.setBrush(Qt::white);
    p.drawRect(4, 4, 24, 24);
    for (int row = 0; row < 4; ++row)
        p.drawLine(4, 10 + 5 * row, 28, 10 + 5 * row);
    p.drawLine(12, 4, 12, 28);
    p.setBrush(QColor(0, 128, 0));
    p.drawRect(15, 21, 3, 5);
    p.drawRect(20, 16, 3, 10);
}

void drawStartTest(QPainter& p)
{
    p.setBrush(QColor(0, 0, 0));
    p.drawRect(4, 6, 24, 20);
    p.setPen(QPen(QColor(0, 220, 120), 2));
    QPainterPath wave;
    wave.moveTo(6, 16);
    wave.cubicTo(10, 4, 14, 4, 16, 16);
    wave.cubicTo(18, 28, 22, 28, 26, 16);
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
}

void drawSingle(QPainter& p)
{
    p.setBrush(QColor(0, 150, 70));
    p.drawPolygon(QPolygon({{8, 6}, {24, 16}, {8, 26}}));
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(13, 12, 13, 20);
}

void drawContinuous(QPainter& p)
{
    p.setBrush(QColor(0, 150, 70));
    p.drawPolygon(QPolygon({{3, 6}, {16, 16}, {3, 26}}));
    p.drawPolygon(QPolygon({{15, 6}, {28, 16}, {15, 26}}));
}

void drawStop(QPainter& p)
{
    p.setBrush(QColor(200, 40, 40));
    p.drawRoundedRect(7, 7, 18, 18, 2, 2);
}

QPixmap glyph(ToolIcon kind, bool disabled)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    switch (kind) {
    case ToolIcon::Open: drawOpen(p); break;
    case ToolIcon::Save: drawSave(p); break;
    case ToolIcon::Print: drawPrint(p); break;
    case ToolIcon::Version: drawVersion(p); break;
    case ToolIcon::Record: drawRecord(p); break;
    case ToolIcon::HarmonicList: drawHarmonicList(p); break;
    case ToolIcon::StartTest: drawStartTest(p); break;
    case ToolIcon::Single: drawSingle(p); break;
    case ToolIcon::Continuous: drawContinuous(p); break;
    case ToolIcon::Stop: drawStop(p); break;
    }
    p.end();
    if (disabled) {
        QImage grey = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < grey.height(); ++y)
            for (int x = 0; x < grey.width(); ++x) {
                const QRgb c = grey.pixel(x, y);
                const int g = 160 + qGray(c) / 4;
                grey.setPixel(x, y, qRgba(g, g, g, qAlpha(c) / 2));
            }
        return QPixmap::fromImage(grey);
    }
    return pixmap;
}

} // namespace

QIcon ToolbarIcon(ToolIcon kind)
{
    QIcon icon;
    icon.addPixmap(glyph(kind, false), QIcon::Normal);
    icon.addPixmap(glyph(kind, true), QIcon::Disabled);
    return icon;
}
