#include "tlogoform.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <cmath>

QPixmap SplashPicture()
{
    QPixmap pixmap(521, 313);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 313);
    sky.setColorAt(0, QColor(8, 40, 84));
    sky.setColorAt(1, QColor(2, 12, 30));
    p.fillRect(pixmap.rect(), sky);

    // A voltage and a current trace across the picture, as on the live view.
    auto trace = [&p](double amplitude, double phase, const QColor& color, double harmonic) {
        QPainterPath path;
        for (int x = 0; x <= 521; x += 2) {
            const double t = x / 521.0 * 4 * M_PI;
            const double y = 170 - amplitude * (std::sin(t + phase) + harmonic * std::sin(3 * t));
            x == 0 ? path.moveTo(x, y) : path.lineTo(x, y);
        }
        p.setPen(QPen(color, 2));
        p.drawPath(path);
    };
    p.setPen(QPen(QColor(40, 80, 120), 1, Qt::DotLine));
    for (int x = 0; x < 521; x += 52)
        p.drawLine(x, 90, x, 250);
    for (int y = 90; y <= 250; y += 40)
        p.drawLine(0, y, 521, y);
    trace(70, 0, QColor(0, 200, 90), 0.05);
    trace(45, -0.6, QColor(240, 70, 50), 0.25);

    p.setPen(Qt::white);
    QFont title(QStringLiteral("Sans Serif"));
    title.setPixelSize(44);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(0, 20, 521, 60), Qt::AlignCenter, QStringLiteral("QPA3600"));
    QFont sub = title;
    sub.setPixelSize(18);
    sub.setBold(false);
    p.setFont(sub);
    p.drawText(QRect(0, 262, 521, 24), Qt::AlignCenter, QStringLiteral("Power Analyzer"));
    sub.setPixelSize(12);
    p.setFont(sub);
    p.setPen(QColor(150, 180, 210));
    p.drawText(QRect(0, 286, 521, 20), Qt::AlignCenter, QStringLiteral("Quorvane"));
    return pixmap;
}

TLogoForm::TLogoForm() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("LogoForm"));
    picture_ = SplashPicture();
    setFixedSize(521, 315);
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TLogoForm::showNow()
{
    show();
    repaint();
    QApplication::processEvents();
}

void TLogoForm::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}
