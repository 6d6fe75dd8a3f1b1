#pragma once

#include <QPixmap>

// The maker's logo of the version window, 121 x 33 pixels.
QPixmap MakerLogoPicture();
