#include "logchart.h"

#include "canvas.h"
#include "numberformat.h"

#include <QPoint>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kMargin = 16;
constexpr int kGridRows = 10;
constexpr int kGridColumnWidth = 20;
constexpr int kTraceFirstX = 2; // the first point of a trace; the others start at x = 1
constexpr int kLabelFromBottom = 15;
constexpr int kVoltageLabelX = 5;
constexpr int kCurrentLabelX = 125;
constexpr float kFlatScale = 0.00001f; // the current's scale when it never leaves zero
// Label numbers beyond this have no sensible text (and would lose digits).
constexpr double kLargestLabelHundredths = 1e15;

const QColor kVoltageColor(0, 128, 0);
const QColor kCurrentColor(255, 0, 0);

// The y of a deviation: M - Round(d * s) + 2, with d * s held as a 32-bit
// float before it is rounded (halves to even).
int TraceY(int middle, int deviation, float scale)
{
    const float scaled = float(deviation) * scale;
    // Far outside any paint box: saturate before the conversion to int.
    const double rounded = std::clamp(double(std::nearbyint(scaled)), -1e8, 1e8);
    return middle - int(rounded) + 2;
}

void DrawTrace(Canvas& canvas, const LogChartInput& input, LogChannel channel, int count,
               int middle, float scale, const QColor& color)
{
    const int zoom = std::max(input.zoom, 1);
    std::vector<QPoint> points;
    points.reserve(std::size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const std::optional<int> d =
            LogDeviation(input.log, channel, (long long)input.scroll + (long long)zoom * i);
        if (!d) // past the last sample of the block: the trace ends
            break;
        points.emplace_back(i == 0 ? kTraceFirstX : i, TraceY(middle, *d, scale));
    }
    if (points.size() < 2)
        return;
    canvas.SetPen({color, 1, PenStyle::Solid});
    canvas.Polyline(points);
}

} // namespace

int LogPointCount(int scroll, int zoom, int width)
{
    const long long n = (2560LL - scroll) / std::max(zoom, 1);
    return int(std::clamp<long long>(std::min<long long>(n, width), 0, kLogSampleCount));
}

int LogGridRowY(int height, int i)
{
    return int(RoundHalfEven(double(height - 2 * kMargin) * i / kGridRows)) + kMargin;
}

QString LogPeakText(int peak, float factor)
{
    const double hundredths = double(peak) * double(factor) * 100.0;
    if (!std::isfinite(hundredths) || std::abs(hundredths) >= kLargestLabelHundredths)
        return kLogPeakPlaceholder;
    return FormatGeneral(RoundHalfEven(hundredths) / 100.0);
}

void DrawLogChart(Canvas& canvas, const LogChartInput& input)
{
    const int W = input.width;
    const int H = input.height;
    const int M = H / 2;

    canvas.SetBrush(CanvasBrush::Solid(input.ChartBackColor));
    canvas.FillRect({0, 0, input.fillSize.width(), input.fillSize.height()});

    canvas.SetPen({input.ChartGridColor, 1, PenStyle::Dot});
    for (int i = 0; i <= kGridRows; ++i) {
        const int y = LogGridRowY(H, i);
        canvas.MoveTo({0, y});
        canvas.LineTo({W, y});
    }
    for (int i = 0; i <= W / kGridColumnWidth; ++i) {
        canvas.MoveTo({kGridColumnWidth * i, kMargin});
        canvas.LineTo({kGridColumnWidth * i, H - kMargin});
    }

    const int n = LogPointCount(input.scroll, input.zoom, W);
    const int A = LogPeak(input.log, LogChannel::Current);
    const int B = LogPeak(input.log, LogChannel::Voltage);
    // The largest current reaches one grid row below the top margin.
    float scale = A > 0 ? float(((M - kMargin) - (H - 2 * kMargin) / 10.0) / A) : kFlatScale;
    DrawTrace(canvas, input, LogChannel::Current, n, M, scale, kCurrentColor);
    if (B > 0)
        scale = float(double(M - kMargin) / B);
    DrawTrace(canvas, input, LogChannel::Voltage, n, M, scale, kVoltageColor);

    canvas.SetTextBackground(TextBackground::Transparent);
    CanvasFont font;
    font.points = 8;
    font.color = kVoltageColor;
    canvas.SetFont(font);
    canvas.TextOut({kVoltageLabelX, H - kLabelFromBottom},
                   QStringLiteral("電壓峰值：") + LogPeakText(B, LogVoltageFactor(input.log))
                       + QStringLiteral("V"));
    font.color = kCurrentColor;
    canvas.SetFont(font);
    canvas.TextOut({kCurrentLabelX, H - kLabelFromBottom},
                   QStringLiteral("電流峰值：") + LogPeakText(A, LogCurrentFactor(input.log))
                       + QStringLiteral("A"));
}
