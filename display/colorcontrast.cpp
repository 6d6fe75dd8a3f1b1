#include "colorcontrast.h"

#include <algorithm>
#include <cmath>

namespace {

// An sRGB channel of 0-1 back to linear light.
double Linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// `color` moved `step` 255ths of the way towards `target`.
QColor MixedTowards(const QColor& color, const QColor& target, int step)
{
    const auto mix = [step](int from, int to) { return from + (to - from) * step / 255; };
    return QColor(mix(color.red(), target.red()), mix(color.green(), target.green()),
                  mix(color.blue(), target.blue()));
}

// The fewest steps towards `target` at which `color` stands out on
// `background`; 256 when even `target` itself does not.
int StepsToContrast(const QColor& color, const QColor& target, const QColor& background)
{
    for (int step = 0; step <= 255; ++step)
        if (ContrastRatio(MixedTowards(color, target, step), background) >= kMinCaptionContrast)
            return step;
    return 256;
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

QColor TraceColorOn(const QColor& palette, const QColor& background)
{
    const QColor rgb = palette.toRgb();
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    const int darker = StepsToContrast(rgb, black, background);
    const int lighter = StepsToContrast(rgb, white, background);
    // Black or white stands out on any background by at least 4.5:1, so one
    // of the two always gets there.
    return darker <= lighter ? MixedTowards(rgb, black, darker) : MixedTowards(rgb, white, lighter);
}
