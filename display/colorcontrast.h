#pragma once

#include <QColor>

#include <optional>

// Contrast of two colours as the web's accessibility guidelines measure it:
// (L1 + 0.05) / (L2 + 0.05) of their relative luminances, 1 for equal
// colours up to 21 for black on white.
double RelativeLuminance(const QColor& color);
double ContrastRatio(const QColor& a, const QColor& b);

// Below this a caption is hard to read on its background.
inline constexpr double kMinCaptionContrast = 3.0;

// The colour of the small backing chip a caption of `text` colour needs on
// `background`: none when the caption already stands out; otherwise black or
// white, whichever sets the caption off more.
std::optional<QColor> CaptionChipColor(const QColor& text, const QColor& background);
// What the caption's cell is filled with: the chip where one is needed,
// otherwise the background itself.
QColor CaptionBacking(const QColor& text, const QColor& background);

// The colour a trace of palette colour `palette` is drawn in on
// `background`: the palette colour where it stands out, otherwise the
// nearest shade of it (mixed with black or white, whichever needs less) that
// reaches kMinCaptionContrast. A line cannot sit on a chip as a caption can.
QColor TraceColorOn(const QColor& palette, const QColor& background);
