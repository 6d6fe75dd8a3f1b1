#include "chartbox.h"

#include "colorcontrast.h"

ChartGeometry MeasureChartBox(int width, int height)
{
    // One pixel of margin on each side, then two more inside which the grid
    // and the bars are laid out.
    const int wd = width - 2;
    const int hd = height - 2;
    const int f = hd - 4;
    return {wd, hd, wd - 4, f, f / 2};
}

CanvasFont ChartFont(const QColor& color)
{
    CanvasFont font;
    font.color = color;
    return font;
}

void SetCaptionStyle(Canvas& canvas, const QColor& color, const QColor& background)
{
    canvas.SetBrush(CanvasBrush::Solid(CaptionBacking(color, background)));
    canvas.SetTextBackground(TextBackground::Opaque);
    canvas.SetFont(ChartFont(color));
}
