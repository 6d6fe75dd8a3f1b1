#pragma once

#include <QWidget>

// The splash window shown while the program starts: borderless, centred,
// one picture of the instrument's name.
class TLogoForm : public QWidget {
public:
    TLogoForm();

    // Shows the window and paints it at once, before the event loop runs.
    void showNow();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};

// The splash picture, 521 x 313 pixels.
QPixmap SplashPicture();
