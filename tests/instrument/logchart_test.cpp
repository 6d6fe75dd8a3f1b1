// The log chart drawn on the recording canvas: grid, scales, the shown
// samples at every scroll and zoom, and the peak labels.
#include "logchart.h"
#include "logfixture.h"

#include "recordingcanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const QColor kBack(10, 20, 30);
const QColor kGrid(200, 200, 0);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

struct Drawn {
    RecordingCanvas canvas;

    std::vector<QPoint> trace(const QColor& color) const
    {
        for (const CanvasCall& call : canvas.callsOf(CanvasOp::Polyline))
            if (call.state.pen.color == color)
                return call.points;
        return {};
    }
    QStringList labels() const
    {
        QStringList texts;
        for (const CanvasCall& call : canvas.callsOf(CanvasOp::TextOut))
            texts << call.text;
        return texts;
    }
};

std::unique_ptr<Drawn> Draw(std::span<const std::uint8_t> log, int scroll = 0, int zoom = 1,
                            int width = 800, int height = 457)
{
    auto drawn = std::make_unique<Drawn>();
    LogChartInput input;
    input.log = log;
    input.scroll = scroll;
    input.zoom = zoom;
    input.width = width;
    input.height = height;
    input.fillSize = {1280, 1024};
    input.ChartBackColor = kBack;
    input.ChartGridColor = kGrid;
    DrawLogChart(drawn->canvas, input);
    return drawn;
}

// Peaks A = 339 (current) and B = 424 (voltage) at sample 2000, and the
// deviations 1, 3, -1, 5 at samples 0-3 of both: at H = 457 both scales are 0.5.
const auto kHalfScaleLog = MakeLog(
    0.5f, 0.0123f,
    [](int k) {
        return k < 4 ? std::array{1, 3, -1, 5}[k] : k == 2000 ? 424 : 0;
    },
    [](int k) {
        return k < 4 ? std::array{1, 3, -1, 5}[k] : k == 2000 ? -339 : 0;
    });

TEST(LogChart, BackgroundAndDottedGridOfTenRowsAndTwentyPixelColumns)
{
    const auto drawn = Draw(kHalfScaleLog, 0, 1, 100, 457);
    const auto fills = drawn->canvas.callsOf(CanvasOp::FillRect);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rect, (CanvasRect{0, 0, 1280, 1024}));
    EXPECT_EQ(fills[0].state.brush.color, kBack);

    std::vector<int> rows;
    std::vector<int> columns;
    for (const CanvasSegment& s : drawn->canvas.segments()) {
        if (s.pen.color != kGrid)
            continue;
        EXPECT_EQ(s.pen.style, PenStyle::Dot);
        if (s.from.y() == s.to.y()) {
            EXPECT_EQ(s.from.x(), 0);
            EXPECT_EQ(s.to.x(), 100);
            rows.push_back(s.from.y());
        } else {
            EXPECT_EQ(s.from.y(), 16);
            EXPECT_EQ(s.to.y(), 457 - 16);
            columns.push_back(s.from.x());
        }
    }
    ASSERT_EQ(rows.size(), 11u);
    EXPECT_EQ(rows[0], 16);
    // (H - 32) / 10 = 42.5 is a real division; halves go to the even neighbour.
    EXPECT_EQ(rows[1], 58);  // Round(42.5) = 42
    EXPECT_EQ(rows[3], 144); // Round(127.5) = 128
    EXPECT_EQ(rows[5], 228); // Round(212.5) = 212
    EXPECT_EQ(rows[10], 441);
    EXPECT_EQ(columns, (std::vector<int>{0, 20, 40, 60, 80, 100}));
}

TEST(LogChart, TracesStartAtTwoThenGoOnFromOneWithBothScalesAtOneHalf)
{
    const auto drawn = Draw(kHalfScaleLog);
    for (const QColor& color : {kRed, kGreen}) {
        const std::vector<QPoint> points = drawn->trace(color);
        ASSERT_EQ(points.size(), 800u);
        // d * s = 0.5, 1.5, -0.5, 2.5 round to 0, 2, 0, 2 (halves to even).
        EXPECT_EQ(points[0], QPoint(2, 230));
        EXPECT_EQ(points[1], QPoint(1, 228));
        EXPECT_EQ(points[2], QPoint(2, 230));
        EXPECT_EQ(points[3], QPoint(3, 228));
        EXPECT_EQ(points[799], QPoint(799, 230));
    }
    // The current is drawn first, the voltage over it.
    const auto lines = drawn->canvas.callsOf(CanvasOp::Polyline);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].state.pen.color, kRed);
    EXPECT_EQ(lines[1].state.pen.color, kGreen);
}

TEST(LogChart, PeaksComeFromSamplesUpTo2550OfTheWholeLogNotFromTheView)
{
    // Peak at sample 2000, view from 2240: the scale is still 0.5.
    const auto scrolled = Draw(kHalfScaleLog, 2240);
    EXPECT_EQ(scrolled->trace(kGreen)[0].y(), 230);
    EXPECT_EQ(scrolled->labels()[0], "電壓峰值：212V"); // 424 * 0.5

    // A larger deviation at sample 2551 or later counts for neither peak.
    const auto late = MakeLog(
        1.0f, 1.0f, [](int k) { return k == 2551 ? 1500
                                       : k == 5  ? 100
                                                 : 0; },
        [](int k) { return k == 2551 ? 1500
                           : k == 5  ? 100
                                     : 0; });
    EXPECT_EQ(Draw(late)->labels(), (QStringList{"電壓峰值：100V", "電流峰值：100A"}));
}

TEST(LogChart, FlatVoltageKeepsTheCurrentsScaleAndFlatLogShowsZero)
{
    const auto currentOnly = MakeLog(1.0f, 1.0f, Flat, [](int k) { return k == 3 ? 339 : 0; });
    const auto drawn = Draw(currentOnly);
    EXPECT_EQ(drawn->trace(kRed)[3].y(), 228 - 170 + 2); // 339 * 0.5 = 169.5 -> 170
    EXPECT_EQ(drawn->trace(kGreen)[3].y(), 230);
    EXPECT_EQ(drawn->labels()[0], "電壓峰值：0V");

    // Nothing but zeros: the current's scale is 0.00001 and both traces lie on M + 2.
    const auto flat = Draw(MakeLog(1.0f, 1.0f, Flat, Flat));
    for (const QColor& color : {kRed, kGreen})
        for (const QPoint& p : flat->trace(color))
            ASSERT_EQ(p.y(), 230);
    EXPECT_EQ(flat->labels(), (QStringList{"電壓峰值：0V", "電流峰值：0A"}));
}

TEST(LogChart, ShownSamplesFollowScrollZoomAndWidth)
{
    // Each sample's deviation is its index mod 100, so the drawn points name the samples.
    const auto indexed = MakeLog(
        1.0f, 1.0f, [](int k) { return k % 100; }, [](int k) { return k % 100; });
    struct Case {
        int scroll, zoom, width;
        std::size_t voltagePoints, currentPoints;
        int lastVoltageSample;
    };
    const Case cases[] = {
        {2240, 1, 800, 320, 312, 2559}, // the last 320 samples; the current ends at 2551
        {0, 4, 800, 640, 638, 2556},    // one in four: at most 640 fit the 2560
        {0, 1, 300, 300, 300, 299},     // a narrow box shows W
        {1920, 2, 800, 320, 316, 2558},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scroll << " " << c.zoom << " " << c.width);
        const auto drawn = Draw(indexed, c.scroll, c.zoom, c.width, 457);
        const auto voltage = drawn->trace(kGreen);
        ASSERT_EQ(voltage.size(), c.voltagePoints);
        EXPECT_EQ(drawn->trace(kRed).size(), c.currentPoints);
        // B = 99: s = 212 / 99; the last point shows the sample's deviation.
        const float s = float(212.0 / 99);
        const int d = c.lastVoltageSample % 100;
        EXPECT_EQ(voltage.back().y(), 228 - int(std::nearbyint(float(d) * s)) + 2);
        EXPECT_EQ(LogPointCount(c.scroll, c.zoom, c.width), int(c.voltagePoints));
    }
}

TEST(LogChart, LabelsAreTransparentEightPointTextsAtTheBottom)
{
    const auto peaks = MakeLog(
        0.5f, 0.0123f, [](int k) { return k == 9 ? 1000 : 0; },
        [](int k) { return k == 9 ? -1000 : 0; });
    const auto drawn = Draw(peaks);
    const auto texts = drawn->canvas.callsOf(CanvasOp::TextOut);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "電壓峰值：500V");
    EXPECT_EQ(texts[0].points[0], QPoint(5, 457 - 15));
    EXPECT_EQ(texts[0].state.font.color, kGreen);
    EXPECT_EQ(texts[1].text, "電流峰值：12.3A");
    EXPECT_EQ(texts[1].points[0], QPoint(125, 457 - 15));
    EXPECT_EQ(texts[1].state.font.color, kRed);
    for (const CanvasCall& t : texts) {
        EXPECT_EQ(t.state.textBackground, TextBackground::Transparent);
        EXPECT_EQ(t.state.font.points, 8);
    }
}

TEST(LogChart, PeakTextIsShortestDecimalOrAPlaceholder)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        int peak;
        float factor;
        const char* text;
    } cases[] = {
        {1000, 0.5f, "500"},   {1000, 0.0123f, "12.3"}, {0, 1.0f, "0"},   {3, 0.001f, "0"},
        {5, 0.001f, "0.01"},   {1, -2.5f, "-2.5"},      {1, nan, "----"}, {1, inf, "----"},
        {2047, 3e38f, "----"}, {0, nan, "----"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LogPeakText(c.peak, c.factor), c.text) << c.peak << " x " << c.factor;
}

// Every view the buttons reach, in boxes from tiny to wide, and logs with
// extreme codes and factors: nothing is read outside the block (the
// sanitizers watch) and nothing is drawn outside the shown samples.
TEST(LogChart, EveryScrollAndZoomStaysInsideTheLog)
{
    const auto extreme = MakeLog(
        std::numeric_limits<float>::quiet_NaN(), 3e38f, [](int k) { return k % 2 ? 2048 : -2047; },
        [](int k) { return k % 3 ? 2048 : -2047; });
    for (int scroll = 0; scroll <= 2240; scroll += 320)
        for (int zoom = 1; zoom <= 4; ++zoom)
            for (QSize box : {QSize(1, 1), QSize(33, 20), QSize(810, 500), QSize(3000, 1600)}) {
                const auto drawn = Draw(extreme, scroll, zoom, box.width(), box.height());
                const int n = LogPointCount(scroll, zoom, box.width());
                ASSERT_LE(drawn->trace(kGreen).size(), std::size_t(n));
                ASSERT_LE(n, 2560);
            }
    // A short or empty block, a zoom of 0 and a scroll outside the log.
    const std::array<std::uint8_t, 30> shortLog{};
    EXPECT_TRUE(Draw(shortLog, 0, 0)->trace(kRed).empty());
    EXPECT_TRUE(Draw({}, -320, 1)->trace(kGreen).empty());
    EXPECT_TRUE(Draw(kHalfScaleLog, 4000, 1)->trace(kGreen).empty());
}

} // namespace
