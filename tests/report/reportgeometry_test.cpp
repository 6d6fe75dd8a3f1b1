#include "reportgeometry.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(ReportGeometry, PageFrameOfAnA4SheetAt1200Dpi)
{
    const PageFrame f = PageFrame::ForPage(9921, 14031);
    EXPECT_EQ(f.L, 551);
    EXPECT_EQ(f.T, 539);
    EXPECT_EQ(f.R, 9370);
    EXPECT_EQ(f.B, 13492);
    EXPECT_EQ(f.CX, 4960);
    EXPECT_EQ(f.FW, 8819);
    EXPECT_EQ(f.FH, 12953);
}

TEST(ReportGeometry, PreviewPageHeights)
{
    EXPECT_EQ(PreviewPageHeight(708, false), 1001);
    EXPECT_EQ(PreviewPageHeight(708, true), 500);
    EXPECT_EQ(PreviewTableColumn(708), 43);
}

TEST(ReportGeometry, PrintTableRoundsColumnAndRow)
{
    const PrintTableGeometry t = PrintTable(PageFrame::ForPage(9921, 14031));
    EXPECT_EQ(t.left, 551);
    EXPECT_EQ(t.top, 7927);
    EXPECT_EQ(t.right, 9370);
    EXPECT_EQ(t.bottom, 12698);
    EXPECT_EQ(t.column, 588); // Round(8819 / 15 = 587.93)
    EXPECT_EQ(t.row, 251);    // Round(4771 / 19 = 251.1)
}

TEST(ReportGeometry, TraceScalesTheLargestExcursionToTheHalfRange)
{
    std::array<std::uint16_t, kWaveSamples> samples;
    samples.fill(2047);
    samples[0] = 2047 + 100;
    samples[1] = 2047 - 50;
    samples[2] = 2047 + 25; // 0.5 * 58 / 2 = 14.5: halves go to the even neighbour
    const auto points = WaveTracePoints(50, 153, 58, 350.0f / 512.0f, samples, 2047, true);
    ASSERT_EQ(points.size(), 512u);
    EXPECT_EQ(points[0], QPoint(50, 95));
    EXPECT_EQ(points[1], QPoint(51, 182));         // x 0.68359375 rounds to 1
    EXPECT_EQ(points[2], QPoint(51, 139));         // x 1.3671875 rounds to 1; y 153 - 14
    EXPECT_EQ(points[511], QPoint(50 + 349, 153)); // 511 * 0.68359375 = 349.3
}

TEST(ReportGeometry, TraceWithoutWaveLengthStaysOnTheLeftEdgeAndFlatWaveOnTheCentre)
{
    std::array<std::uint16_t, kWaveSamples> samples;
    samples.fill(3000);
    for (const QPoint& p : WaveTracePoints(50, 153, 58, 0.68f, samples, 3000, false))
        EXPECT_EQ(p, QPoint(50, 153));
}

TEST(ReportGeometry, BarHeightsOverAllOrders)
{
    std::array<float, kReportHarmonicOrders> a{};
    EXPECT_EQ(HarmonicBarHeights(a, 115), (std::array<int, kReportHarmonicOrders>{}));

    a[0] = 10.0f; // order 0 counts for the maximum
    a[1] = 5.0f;
    a[2] = 1.0f;
    a[3] = std::numeric_limits<float>::quiet_NaN();
    a[4] = std::numeric_limits<float>::infinity();
    a[5] = -3.0f;
    const auto h = HarmonicBarHeights(a, 115);
    EXPECT_EQ(h[0], 115);
    EXPECT_EQ(h[1], 57); // Trunc(57.5)
    EXPECT_EQ(h[2], 11);
    EXPECT_EQ(h[3], 0);
    EXPECT_EQ(h[4], 0);
    EXPECT_EQ(h[5], 0);

    a.fill(0.0f);
    a[1] = 3.0e38f; // huge but finite
    a[2] = 1.0f;
    const auto huge = HarmonicBarHeights(a, 115);
    EXPECT_EQ(huge[1], 115);
    EXPECT_EQ(huge[2], 0);
}

TEST(ReportGeometry, ConversionsNeverOverflow)
{
    EXPECT_EQ(TruncToInt(-2.7), -2);
    EXPECT_EQ(RoundToInt(2.5), 2);
    EXPECT_EQ(RoundToInt(3.5), 4);
    EXPECT_EQ(TruncToInt(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(TruncToInt(std::nan("")), 0);
}

} // namespace
