#include "harmonicchart.h"

#include "numberformat.h"

#include <algorithm>
#include <cmath>

namespace {

// R * a / M truncated, kept between the baseline and the 100 % line: a
// negative amplitude (from a damaged file or line) has no bar, rather than
// one hanging over the order labels under the axis, and an infinite one
// stands at full height. A NaN has no bar.
int BarHeight(float amplitude, int reach, float largest)
{
    if (largest <= 0.0f || std::isnan(amplitude))
        return 0;
    // R * a / M in one division: R * a is exact in double, so the largest
    // order comes out at exactly R and reaches y = 15.
    const double height = static_cast<double>(reach) * amplitude / largest;
    return static_cast<int>(
        std::trunc(std::clamp(height, 0.0, static_cast<double>(std::max(reach, 0)))));
}

} // namespace

HarmonicChartLayout ComputeHarmonicChart(const std::array<float, 51>& amplitudes,
                                         const ChartGeometry& g)
{
    HarmonicChartLayout layout;
    layout.baseline = 9 * g.F / 10; // T(0.9 F), exactly
    layout.reach = layout.baseline - 15;
    const int span = g.E - 8;

    // The largest finite amplitude; an infinite one then stands at full
    // height beside it. A NaN never wins the comparison.
    float largest = 0.0f;
    for (float a : amplitudes)
        if (std::isfinite(a))
            largest = std::max(largest, a);

    for (int k = 0; k <= 50; ++k) {
        layout.x[k] = static_cast<int>(RoundHalfEven(static_cast<double>(k * span) / 50.0)) + 2;
        layout.barTop[k] = layout.baseline - BarHeight(amplitudes[k], layout.reach, largest);
    }
    for (int j = 0; j < 10; ++j)
        layout.gridY[j] = layout.reach * j / 10 + layout.baseline - layout.reach;

    const int labelY = layout.baseline + 6;
    layout.labels[0] = {QStringLiteral("0"), {layout.x[0] + 1, labelY}};
    layout.labels[1] = {QStringLiteral("5"), {layout.x[5] + 2, labelY}};
    for (int n = 2; n <= 10; ++n) {
        const int k = 5 * n;
        layout.labels[n] = {QString::number(k), {layout.x[k] - 1, labelY}};
    }
    return layout;
}

CanvasRect HarmonicBar(const HarmonicChartLayout& layout, int k)
{
    return {layout.x[k] + 5, layout.barTop[k], layout.x[k] + 7, layout.baseline};
}

void DrawHarmonicChart(Canvas& canvas, const std::array<float, 51>& amplitudes,
                       const QColor& barColor, const ChartGeometry& g,
                       const CanvasRect& displayRect, const ChartColors& colors)
{
    const HarmonicChartLayout layout = ComputeHarmonicChart(amplitudes, g);

    // The background brush also fills the bars' interiors and the label
    // cells, which are opaque.
    canvas.SetBrush(CanvasBrush::Solid(colors.ChartBackColor));
    canvas.FillRect(displayRect);
    canvas.SetTextBackground(TextBackground::Opaque);
    canvas.SetPen({colors.ChartGridColor, 2, PenStyle::Solid});
    canvas.MoveTo({2, layout.baseline});
    canvas.LineTo({g.E + 3, layout.baseline});
    canvas.SetFont(ChartFont(kHarmonicLabelColor));

    const auto tick = [&](int k) {
        canvas.MoveTo({HarmonicTickX(layout, k), layout.baseline - 1});
        canvas.LineTo({HarmonicTickX(layout, k), layout.baseline + 3});
    };
    for (int k = 0; k <= 50; ++k) {
        if (k == 0) {
            canvas.TextOut(layout.labels[0].at, layout.labels[0].text);
            canvas.SetPen({colors.ChartGridColor, 1, PenStyle::Solid});
            tick(0);
            // The 10 % lines run solid up to the first bar's column, then
            // dotted across the chart.
            for (int y : layout.gridY) {
                canvas.SetPen({colors.ChartGridColor, 1, PenStyle::Solid});
                canvas.MoveTo({3, y});
                canvas.LineTo({HarmonicTickX(layout, 0), y});
                canvas.SetPen({colors.ChartGridColor, 1, PenStyle::Dot});
                canvas.LineTo({g.Wd - 1, y});
            }
            canvas.TextOut({1, 1}, QStringLiteral("100%"));
        } else if (k % 5 == 0) {
            // The pen still has the colour of the previous bar, so from
            // order 5 on the ticks share the bars' colour.
            const HarmonicLabel& label = layout.labels[k / 5];
            canvas.TextOut(label.at, label.text);
            tick(k);
        }
        canvas.SetPen({barColor, 1, PenStyle::Solid});
        canvas.Rectangle(HarmonicBar(layout, k));
    }
}
