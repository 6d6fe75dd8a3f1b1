#include "reportgeometry.h"

#include "numberformat.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Keeps a converted value inside int, so a huge or broken value can never
// make an integer conversion undefined.
int ClampToInt(double x)
{
    if (std::isnan(x))
        return 0;
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(x, lo, hi));
}

} // namespace

int TruncToInt(double x)
{
    return ClampToInt(std::trunc(x));
}

int RoundToInt(double x)
{
    return ClampToInt(RoundHalfEven(x));
}

PageFrame PageFrame::ForPage(int pageWidth, int pageHeight)
{
    PageFrame f;
    f.PW = pageWidth;
    f.PH = pageHeight;
    f.L = pageWidth / 18;
    f.T = pageHeight / 26;
    f.R = pageWidth - pageWidth / 18;
    f.B = pageHeight - pageHeight / 26;
    f.CX = pageWidth / 2;
    f.FW = f.R - f.L;
    f.FH = f.B - f.T;
    return f;
}

int PreviewPageHeight(int width, bool landscape)
{
    return landscape ? TruncToInt(width / 1.414) : TruncToInt(width * 1.414);
}

std::vector<QPoint> WaveTracePoints(int x0, int yc, int halfRange, float step,
                                    const std::array<std::uint16_t, kWaveSamples>& samples,
                                    std::uint16_t zero, bool spread)
{
    std::array<int, kWaveSamples> q{};
    int largest = 0;
    for (int i = 0; i < kWaveSamples; ++i) {
        q[i] = int(samples[i]) - int(zero);
        largest = std::max(largest, std::abs(q[i]));
    }
    // The scale is a 32-bit float, as are the products and the x position,
    // so the points fall on the same pixels as the instrument's printouts.
    const float scale = largest > 0 ? float(halfRange) / float(largest) : 0.0f;
    const float dx = spread ? step : 0.0f;

    std::vector<QPoint> points;
    points.reserve(kWaveSamples);
    float x = 0.0f;
    for (int i = 0; i < kWaveSamples; ++i) {
        if (i > 0)
            x = x + dx;
        const float y = float(q[i]) * scale;
        points.emplace_back(x0 + RoundToInt(x), yc - RoundToInt(y));
    }
    return points;
}

std::array<int, kReportHarmonicOrders>
HarmonicBarHeights(const std::array<float, kReportHarmonicOrders>& amplitudes, int fullHeight)
{
    double largest = 0.0;
    for (float a : amplitudes) {
        if (std::isfinite(a))
            largest = std::max(largest, double(a));
    }
    std::array<int, kReportHarmonicOrders> heights{};
    if (!(largest > 0.0))
        return heights;
    const double scale = fullHeight / largest;
    for (int k = 0; k < kReportHarmonicOrders; ++k) {
        const double a = amplitudes[k];
        if (std::isfinite(a) && a > 0.0)
            heights[k] = std::min(fullHeight, TruncToInt(scale * a));
    }
    return heights;
}

int PreviewTableColumn(int width)
{
    return RoundToInt((width - 190) / 12.0);
}

PrintTableGeometry PrintTable(const PageFrame& f)
{
    PrintTableGeometry g;
    g.left = f.L;
    g.top = TruncToInt(0.565 * f.PH);
    g.right = f.PW - f.L;
    g.bottom = TruncToInt(0.905 * f.PH);
    g.column = RoundToInt((g.right - g.left) / 15.0);
    g.row = RoundToInt((g.bottom - g.top) / 19.0);
    return g;
}

int TextTopClearOfRule(int wantedTop, int cellHeight, int ruleY, int ruleWidth)
{
    const int width = std::max(1, ruleWidth);
    // A wide pen covers about half its width above the line's y.
    const int ruleTop = ruleY - (width + 1) / 2;
    return std::min(wantedTop, ruleTop - width - cellHeight);
}
