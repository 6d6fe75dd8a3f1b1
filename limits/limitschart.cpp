#include "limitschart.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kLeastTop = 150.0;
constexpr double kMostTop = 1000.0;

int YOf(double percent, double top, int plotTop, int plotBottom)
{
    const double share = std::clamp(percent / top, 0.0, 1.0);
    return plotBottom - int(std::lround(share * (plotBottom - plotTop)));
}

} // namespace

double LimitsChartTop(double highestPercent)
{
    if (!std::isfinite(highestPercent) || highestPercent <= kLeastTop)
        return std::isinf(highestPercent) ? kMostTop : kLeastTop;
    return std::min(kMostTop, std::ceil(highestPercent / 50.0) * 50.0);
}

double LimitsChartStep(double top)
{
    if (top <= 300.0)
        return 50.0;
    if (top <= 600.0)
        return 100.0;
    return 200.0;
}

void DrawLimitsChart(Canvas& canvas, const CanvasRect& area, const LimitsAssessment& assessment,
                     const MaxHold* hold, const LimitsChartColors& colors)
{
    double highest = 0.0;
    for (const OrderAssessment& o : assessment.orders) {
        highest = std::max(highest, o.percent.value_or(0.0));
        if (hold)
            highest = std::max(highest, hold->highestPercent(o.order).value_or(0.0));
    }
    const double top = LimitsChartTop(highest);
    const double step = LimitsChartStep(top);

    canvas.SetBrush(CanvasBrush::Solid(colors.background));
    canvas.FillRect(area);
    CanvasFont font = canvas.State().font;
    font.color = colors.text;
    canvas.SetFont(font);
    canvas.SetTextBackground(TextBackground::Transparent);
    const QSize label = canvas.TextExtent(QStringLiteral("1000%"));
    const int plotLeft = area.left + label.width() + label.height() / 2;
    const int plotRight = area.right - label.height() / 2;
    const int plotTop = area.top + label.height() / 2;
    const int plotBottom = area.bottom - label.height() - 2;
    if (plotRight - plotLeft < kLimitOrderCount || plotBottom - plotTop < 10)
        return; // no room for a chart anyone could read

    // Grid and scale.
    canvas.SetPen({colors.grid, 1, PenStyle::Solid});
    for (double p = 0.0; p <= top + 1e-9; p += step) {
        const int y = YOf(p, top, plotTop, plotBottom);
        canvas.MoveTo({plotLeft, y});
        canvas.LineTo({plotRight, y});
        const QString text = QStringLiteral("%1%").arg(p, 0, 'f', 0);
        const QSize size = canvas.TextExtent(text);
        canvas.TextOut({plotLeft - size.width() - label.height() / 4, y - size.height() / 2}, text);
    }

    const double slot = double(plotRight - plotLeft) / kLimitOrderCount;
    const int barWidth = std::max(1, int(slot * 0.6));
    const int penWidth = std::max(1, label.height() / 8);
    for (const OrderAssessment& o : assessment.orders) {
        const int left =
            plotLeft + int(slot * (o.order - kFirstLimitOrder) + (slot - barWidth) / 2);
        if (o.percent) {
            const QColor color = o.state == OrderState::Exceeded ? colors.exceeded : colors.kept;
            canvas.SetBrush(CanvasBrush::Solid(color));
            canvas.FillRect(
                {left, YOf(*o.percent, top, plotTop, plotBottom), left + barWidth, plotBottom});
        }
        if (hold) {
            if (const std::optional<double> p = hold->highestPercent(o.order)) {
                const int y = YOf(*p, top, plotTop, plotBottom);
                canvas.SetPen({colors.hold, penWidth, PenStyle::Solid});
                canvas.MoveTo({left - 1, y});
                canvas.LineTo({left + barWidth + 1, y});
            }
        }
        if (o.order == kFirstLimitOrder || o.order % 5 == 0) {
            const QString text = QString::number(o.order);
            const int centre = left + barWidth / 2;
            canvas.TextOut({centre - canvas.TextExtent(text).width() / 2, plotBottom + 2}, text);
        }
    }

    // The limit over everything, and the axis.
    canvas.SetPen({colors.limitLine, penWidth * 2, PenStyle::Solid});
    const int limitY = YOf(100.0, top, plotTop, plotBottom);
    canvas.MoveTo({plotLeft, limitY});
    canvas.LineTo({plotRight, limitY});
    canvas.SetPen({colors.text, 1, PenStyle::Solid});
    canvas.MoveTo({plotLeft, plotTop});
    canvas.LineTo({plotLeft, plotBottom});
    canvas.LineTo({plotRight, plotBottom});
}
