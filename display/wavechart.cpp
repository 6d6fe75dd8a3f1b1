#include "wavechart.h"

#include "measurementrecord.h"
#include "numberformat.h"

#include <algorithm>
#include <cstdlib>

WaveGrid ComputeWaveGrid(const ChartGeometry& g)
{
    // T(x) of the rational grid positions is C++ integer division, which
    // truncates toward zero the same way.
    WaveGrid grid;
    const int centreX = g.E / 2;
    for (int i = 0; i <= 8; ++i) {
        const int y = g.F * i / 8 + 2;
        grid.rows[i] = {{2, y}, {g.E + 2, y}};
        const int tickY = (2 * g.F * i + g.F) / 16 + 2; // F*i/8 + F/16
        grid.rowTicks[i] = {{centreX - 1, tickY}, {centreX + 6, tickY}};
    }
    const int centreY = g.F / 2;
    for (int i = 0; i <= 10; ++i) {
        const int x = i * g.E / 10 + 2;
        grid.columns[i] = {{x, 2}, {x, g.Hd - 2}};
        const int tickX = (2 * i * g.E + g.E) / 20 + 2; // i*E/10 + E/20
        grid.columnTicks[i] = {{tickX, centreY - 1}, {tickX, centreY + 6}};
    }
    return grid;
}

double CurrentTraceReach(const ChartGeometry& g)
{
    return g.c - g.Hd / 8.0;
}

double VoltageTraceReach(const ChartGeometry& g)
{
    return g.c;
}

TracePoints ComputeTracePoints(const std::array<std::uint16_t, 512>& samples, std::uint16_t zero,
                               double reach, const ChartGeometry& g, bool spread)
{
    std::array<int, 512> deviation;
    int largest = 0;
    for (std::size_t k = 0; k < samples.size(); ++k) {
        deviation[k] = static_cast<int>(samples[k]) - static_cast<int>(zero);
        largest = std::max(largest, std::abs(deviation[k]));
    }
    // deviation * reach / largest in one division: the product is exact, so
    // a point that falls exactly half-way between two pixels is rounded to
    // even instead of by the rounding noise of a stored scale factor.
    const auto pixelY = [&](int v) {
        const int lift = largest == 0 ? 0 : static_cast<int>(RoundHalfEven(v * reach / largest));
        return g.c - lift + 2;
    };
    TracePoints points;
    points[0] = QPoint(2, pixelY(deviation[0]));
    const float step = spread ? static_cast<float>(g.E) / 512.0f : 0.0f;
    float x = 0.0f;
    for (std::size_t k = 1; k < points.size(); ++k) {
        x += step;
        points[k] = QPoint(static_cast<int>(RoundHalfEven(x)) + 2, pixelY(deviation[k]));
    }
    return points;
}

QString ScaleLineText(const MeasurementRecord& record)
{
    const auto hundredths = [](double x) {
        return FormatGeneral(RoundHalfEven(x * 100.0) / 100.0);
    };
    // 512 samples are four cycles over ten divisions: 0.4 / f seconds each.
    const QString t = record.UF > 0
                          ? FormatGeneral(RoundHalfEven(0.4 / record.UF * 100000.0) / 100.0)
                          : QStringLiteral("8");
    const QString u = record.URMS > 0 ? hundredths(record.UPP / 4.0) : QStringLiteral("50");
    const QString a = record.IRMS > 0 ? hundredths(record.IPP / 3.0) : QStringLiteral("1");
    return QStringLiteral("SEC/DIV:") + t + QStringLiteral("ms   ") + QStringLiteral("Vol/DIV:") + u
           + QStringLiteral("V   ") + QStringLiteral("Amp/DIV:") + a + QStringLiteral("A   ")
           + QStringLiteral("Trigger Source:") + QStringLiteral("Vol");
}

namespace {

void DrawLine(Canvas& canvas, const ChartLine& line)
{
    canvas.MoveTo(line.from);
    canvas.LineTo(line.to);
}

void DrawTrace(Canvas& canvas, const TracePoints& points, const QColor& color)
{
    canvas.SetPen({color, 1, PenStyle::Solid});
    canvas.MoveTo(points[0]);
    for (std::size_t k = 1; k < points.size(); ++k)
        canvas.LineTo(points[k]);
}

} // namespace

void DrawWaveChart(Canvas& canvas, const MeasurementRecord& record, const ChartGeometry& g,
                   const CanvasRect& displayRect, const ChartColors& colors)
{
    canvas.SetBrush(CanvasBrush::Solid(colors.ChartBackColor));
    canvas.FillRect(displayRect);

    const CanvasPen dotted{colors.ChartGridColor, 1, PenStyle::Dot};
    const CanvasPen solid{colors.ChartGridColor, 1, PenStyle::Solid};
    const WaveGrid grid = ComputeWaveGrid(g);
    // The ticks after the last row and the last column fall half a division
    // outside the chart box, where the paint box never shows them: they are
    // left out rather than painted beyond the box.
    const auto inBox = [&](const ChartLine& line) {
        return std::max(line.from.y(), line.to.y()) < displayRect.bottom
               && std::max(line.from.x(), line.to.x()) < displayRect.right;
    };
    for (std::size_t i = 0; i < grid.rows.size(); ++i) {
        canvas.SetPen(dotted);
        DrawLine(canvas, grid.rows[i]);
        canvas.SetPen(solid);
        if (inBox(grid.rowTicks[i]))
            DrawLine(canvas, grid.rowTicks[i]);
    }
    for (std::size_t i = 0; i < grid.columns.size(); ++i) {
        canvas.SetPen(dotted);
        DrawLine(canvas, grid.columns[i]);
        canvas.SetPen(solid);
        if (inBox(grid.columnTicks[i]))
            DrawLine(canvas, grid.columnTicks[i]);
    }

    // Current first, so the voltage trace stays on top where they cross.
    const bool spread = record.WaveLength != 0;
    DrawTrace(canvas,
              ComputeTracePoints(record.IWave, record.IWaveZero, CurrentTraceReach(g), g, spread),
              kCurrentTraceColor);
    DrawTrace(canvas,
              ComputeTracePoints(record.UWave, record.UWaveZero, VoltageTraceReach(g), g, spread),
              kVoltageTraceColor);

    canvas.SetTextBackground(TextBackground::Transparent);
    canvas.SetFont(ChartFont(kScaleTextColor));
    // A box narrower than the line ends it at the box's edge.
    canvas.TextOutClipped(QPoint(5, g.Hd - 10), ScaleLineText(record), displayRect.right);
}
