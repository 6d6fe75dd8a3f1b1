#include "harmonicchart.h"

#include "paintercanvas.h"
#include "qtprinters.h"
#include "recordingcanvas.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <limits>

namespace {

// The design chart box, 528 x 280: E 522, F 274, so y0 = T(246.6) = 246,
// R = 231 and E' = 514.
const ChartGeometry kDesign = MeasureChartBox(528, 280);

using Amplitudes = std::array<float, 51>;

TEST(HarmonicChart, LaysOutOrdersGridAndLabels)
{
    const HarmonicChartLayout layout = ComputeHarmonicChart(Amplitudes{}, kDesign);

    EXPECT_EQ(layout.baseline, 246);
    EXPECT_EQ(layout.reach, 231);
    EXPECT_EQ(layout.x[0], 2);
    EXPECT_EQ(layout.x[1], 12); // N(10.28) + 2
    EXPECT_EQ(layout.x[7], 74); // N(71.96) + 2
    EXPECT_EQ(layout.x[50], 516);
    EXPECT_EQ(layout.gridY[0], 15);  // the 100 % line
    EXPECT_EQ(layout.gridY[1], 38);  // T(23.1) + 15
    EXPECT_EQ(layout.gridY[9], 222); // T(207.9) + 15

    EXPECT_EQ(layout.labels[0].text, "0");
    EXPECT_EQ(layout.labels[0].at, QPoint(3, 252));
    EXPECT_EQ(layout.labels[1].text, "5");
    EXPECT_EQ(layout.labels[1].at, QPoint(layout.x[5] + 2, 252));
    EXPECT_EQ(layout.labels[2].text, "10");
    EXPECT_EQ(layout.labels[2].at, QPoint(layout.x[10] - 1, 252));
    EXPECT_EQ(layout.labels[10].text, "50");
    EXPECT_EQ(layout.labels[10].at, QPoint(515, 252));
}

TEST(HarmonicChart, OrderPositionsRoundHalvesToEven)
{
    // E' = 525: order 1 lies at 10.5 and order 3 at 31.5.
    const HarmonicChartLayout layout =
        ComputeHarmonicChart(Amplitudes{}, MeasureChartBox(539, 280));
    EXPECT_EQ(layout.x[1], 10 + 2);
    EXPECT_EQ(layout.x[3], 32 + 2);
}

TEST(HarmonicChart, BarsAreRelativeToTheLargestOrder)
{
    Amplitudes a{};
    // An amplitude for which a stored scale R / M times M falls just short
    // of R; the largest bar must still reach y = 15.
    a[1] = 0.08659f;
    a[3] = a[1] / 2;
    a[2] = -a[1] / 10;
    a[4] = std::numeric_limits<float>::quiet_NaN();
    const HarmonicChartLayout layout = ComputeHarmonicChart(a, kDesign);

    EXPECT_EQ(layout.barTop[1], 15);
    EXPECT_EQ(layout.barTop[3], 246 - 115); // T(115.5)
    EXPECT_EQ(layout.barTop[2], 246);
    EXPECT_EQ(layout.barTop[4], 246);
    EXPECT_EQ(layout.barTop[0], 246);
    EXPECT_EQ(HarmonicBar(layout, 1), (CanvasRect{17, 15, 19, 246}));

    const HarmonicChartLayout empty = ComputeHarmonicChart(Amplitudes{}, kDesign);
    for (int top : empty.barTop)
        EXPECT_EQ(top, 246);
}

// Amplitudes a damaged snapshot or line can carry: every bar stays between
// the 100 % line and the axis, clear of the order labels under it, and the
// whole chart stays on its paint box.
TEST(HarmonicChart, HostileAmplitudesStayInTheirBox)
{
    static constexpr float inf = std::numeric_limits<float>::infinity();
    static constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    static constexpr float big = std::numeric_limits<float>::max();
    const struct {
        const char* name;
        Amplitudes a;
    } cases[] = {
        {"negative",
         [] {
             Amplitudes a{};
             a.fill(-5.0f);
             a[1] = 1.0f;
             return a;
         }()},
        {"all negative",
         [] {
             Amplitudes a{};
             a.fill(-1e30f);
             return a;
         }()},
        {"huge",
         [] {
             Amplitudes a{};
             a.fill(big);
             a[3] = -big;
             return a;
         }()},
        {"infinite",
         [] {
             Amplitudes a{};
             a[1] = inf;
             a[2] = 3.0f;
             a[3] = -inf;
             return a;
         }()},
        {"nan",
         [] {
             Amplitudes a{};
             a.fill(nan);
             a[5] = 2.0f;
             return a;
         }()},
        {"tiny",
         [] {
             Amplitudes a{};
             a.fill(1e-45f);
             a[7] = -1e-45f;
             return a;
         }()},
    };
    for (const auto& c : cases) {
        const HarmonicChartLayout layout = ComputeHarmonicChart(c.a, kDesign);
        for (int k = 0; k <= 50; ++k) {
            EXPECT_GE(layout.barTop[k], 15) << c.name << " order " << k;
            EXPECT_LE(layout.barTop[k], layout.baseline) << c.name << " order " << k;
        }
        RecordingCanvas canvas;
        DrawHarmonicChart(canvas, c.a, kVoltageBarColor, kDesign, {0, 0, 528, 280}, ChartColors{});
        EXPECT_TRUE(canvas.CallsOutside({0, 0, 528, 280}).empty()) << c.name;
    }
    Amplitudes withInfinity{};
    withInfinity[1] = inf;
    withInfinity[2] = 3.0f;
    const HarmonicChartLayout layout = ComputeHarmonicChart(withInfinity, kDesign);
    EXPECT_EQ(layout.barTop[1], 15) << "an infinite amplitude stands at full height";
    EXPECT_EQ(layout.barTop[2], 15) << "the largest finite one too";
}

TEST(HarmonicChart, DrawsAxisGridLabelsAndOneBarPerOrder)
{
    Amplitudes a{};
    a[1] = 100.0f;
    RecordingCanvas canvas;
    const ChartColors colors{QColor(0, 0, 0), QColor(90, 90, 90)};
    DrawHarmonicChart(canvas, a, kCurrentBarColor, kDesign, {0, 0, 528, 280}, colors);

    const std::vector<CanvasSegment> segments = canvas.segments();
    ASSERT_FALSE(segments.empty());
    EXPECT_EQ(segments[0].from, QPoint(2, 246));
    EXPECT_EQ(segments[0].to, QPoint(525, 246)); // E + 3
    EXPECT_EQ(segments[0].pen, (CanvasPen{colors.ChartGridColor, 2, PenStyle::Solid}));

    // Ten 10 % lines: solid up to the first bar's column, dotted on to Wd - 1.
    int solidGrid = 0;
    int dottedGrid = 0;
    for (const CanvasSegment& s : segments) {
        if (s.from.y() != s.to.y() || s.from.y() >= 246)
            continue;
        if (s.pen.style == PenStyle::Dot) {
            ++dottedGrid;
            EXPECT_EQ(s.from.x(), 7);
            EXPECT_EQ(s.to.x(), 525);
        } else {
            ++solidGrid;
            EXPECT_EQ(s.from.x(), 3);
            EXPECT_EQ(s.to.x(), 7);
        }
    }
    EXPECT_EQ(solidGrid, 10);
    EXPECT_EQ(dottedGrid, 10);

    const std::vector<CanvasCall> bars = canvas.callsOf(CanvasOp::Rectangle);
    ASSERT_EQ(bars.size(), 51u);
    EXPECT_EQ(bars[1].rect, (CanvasRect{17, 15, 19, 246}));
    EXPECT_EQ(bars[1].state.pen, (CanvasPen{kCurrentBarColor, 1, PenStyle::Solid}));
    EXPECT_EQ(bars[1].state.brush, CanvasBrush::Solid(colors.ChartBackColor));

    QStringList texts;
    for (const CanvasCall& call : canvas.callsOf(CanvasOp::TextOut)) {
        texts << call.text;
        EXPECT_EQ(call.state.font.color, kHarmonicLabelColor);
        EXPECT_EQ(call.state.textBackground, TextBackground::Opaque);
    }
    EXPECT_EQ(texts.join(QLatin1Char(' ')), "0 100% 5 10 15 20 25 30 35 40 45 50");
}

class HarmonicPixels : public ::testing::Test {
protected:
    const QColor back{0, 0, 0};
    const QColor grid{128, 128, 128};

    QImage draw(const Amplitudes& a)
    {
        QImage image(528, 280, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        DrawHarmonicChart(canvas, a, kVoltageBarColor, kDesign, {0, 0, 528, 280},
                          ChartColors{back, grid});
        return image;
    }
};

TEST_F(HarmonicPixels, BarsAreTwoPixelColumnsEndingAboveTheBaseline)
{
    Amplitudes a{};
    a[1] = 230.0f;
    a[3] = 115.0f;
    const QImage image = draw(a);
    const QRgb bar = kVoltageBarColor.rgb();

    // Order 1 (x = 12): columns 17 and 18 from y = 15 down to y0 - 1 = 245.
    EXPECT_EQ(image.pixel(17, 15), bar);
    EXPECT_EQ(image.pixel(18, 15), bar);
    EXPECT_EQ(image.pixel(17, 245), bar);
    EXPECT_EQ(image.pixel(18, 100), bar);
    EXPECT_EQ(image.pixel(17, 14), back.rgb());
    EXPECT_EQ(image.pixel(19, 100), back.rgb()); // right edge excluded
    EXPECT_EQ(image.pixel(16, 100), back.rgb());
    EXPECT_NE(image.pixel(17, 246), bar); // the baseline row is not the bar's

    // Order 3 (x = N(30.84) + 2 = 33): half height, top at 246 - 115 = 131.
    EXPECT_EQ(image.pixel(38, 131), bar);
    EXPECT_EQ(image.pixel(39, 131), bar);
    EXPECT_EQ(image.pixel(38, 125), back.rgb());

    // Order 2 (x = 23) has no amplitude: nothing of the bar colour above the baseline.
    for (int y = 0; y < 245; ++y)
        ASSERT_NE(image.pixel(28, y), bar) << y;
}

TEST_F(HarmonicPixels, BaselineAndHundredPercentLineUseTheGridColour)
{
    const QImage image = draw(Amplitudes{});
    const QRgb gridRgb = grid.rgb();

    EXPECT_EQ(image.pixel(100, 246), gridRgb);
    EXPECT_EQ(image.pixel(100, 245), gridRgb); // the axis is 2 pixels thick
    EXPECT_EQ(image.pixel(100, 247), back.rgb());
    // The 100 % line: solid from x = 3 to 6, then dotted (3 on, 3 off).
    EXPECT_EQ(image.pixel(3, 15), gridRgb);
    EXPECT_EQ(image.pixel(6, 15), gridRgb);
    EXPECT_EQ(image.pixel(7, 15), gridRgb);
    EXPECT_EQ(image.pixel(10, 15), back.rgb());
}

} // namespace
