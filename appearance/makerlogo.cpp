#include "makerlogo.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QPixmap MakerLogoPicture()
{
    QPixmap pixmap(121, 33);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // A round badge with one period of a sine wave, the instrument's subject.
    QLinearGradient badge(0, 0, 0, 33);
    badge.setColorAt(0, QColor(22, 92, 170));
    badge.setColorAt(1, QColor(8, 44, 96));
    p.setPen(Qt::NoPen);
    p.setBrush(badge);
    p.drawEllipse(QRectF(2, 2, 29, 29));
    QPainterPath wave;
    wave.moveTo(7, 16.5);
    wave.cubicTo(11, 5, 14, 5, 16.5, 16.5);
    wave.cubicTo(19, 28, 22, 28, 26, 16.5);
    p.setPen(QPen(QColor(255, 196, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);

    QFont name(QStringLiteral("Sans Serif"));
    name.setPixelSize(15);
    name.setBold(true);
    p.setFont(name);
    p.setPen(QColor(12, 60, 120));
    p.drawText(QRect(35, 1, 86, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quorvane"));
    QFont line = name;
    line.setPixelSize(8);
    line.setBold(false);
    p.setFont(line);
    p.setPen(QColor(90, 100, 110));
    p.drawText(QRect(35, 20, 86, 11), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("INSTRUMENTS"));
    return pixmap;
}
