#include "canvas.h"

int FontPixelHeight(int points, int dotsPerInch)
{
    // Rounded like the platform's point-to-pixel conversion (MulDiv), so an
    // 8-point chart caption is 11 pixels high on a 96 dpi screen.
    const long long scaled = static_cast<long long>(points) * dotsPerInch;
    return static_cast<int>(scaled >= 0 ? (scaled + 36) / 72 : (scaled - 36) / 72);
}
