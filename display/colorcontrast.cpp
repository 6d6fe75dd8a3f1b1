#include "colorcontrast.h"

#include <algorithm>
#include <cmath>

namespace {

// An sRGB channel of 0-1 back to linear light.
double Linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF())
           + 0.0722 * Linear(rgb.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::optional<QColor> CaptionChipColor(const QColor& text, const QColor& background)
{
    if (ContrastRatio(text, background) >= kMinCaptionContrast)
        return std::nullopt;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return ContrastRatio(text, black) >= ContrastRatio(text, white) ? black : white;
}

QColor CaptionBacking(const QColor& text, const QColor& background)
{
    return CaptionChipColor(text, background).value_or(background);
}
