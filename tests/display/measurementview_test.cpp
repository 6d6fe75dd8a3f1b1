#include "measurementview.h"

#include "harmonicchart.h"
#include "measurementrecord.h"
#include "qtprinters.h"
#include "wavechart.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <limits>

namespace {

MeasurementRecord StartRecord()
{
    MeasurementRecord record{};
    ResetMeasurementRecord(record);
    return record;
}

bool HasColourAbove(const QImage& image, QRgb color, int width, int rowEnd)
{
    for (int y = 0; y < rowEnd; ++y)
        for (int x = 0; x < width; ++x)
            if (image.pixel(x, y) == color)
                return true;
    return false;
}

TEST(DisplaySurfaces, StartBlackAtHalfTheScreenAndCopyTheWholeScreen)
{
    const DisplaySurfaces surfaces(QSize(1921, 1081));
    for (const QImage* surface :
         {&surfaces.WaveSurface, &surfaces.UHarmonicSurface, &surfaces.IHarmonicSurface}) {
        EXPECT_EQ(surface->size(), QSize(960, 540));
        EXPECT_EQ(surface->pixel(0, 0), 0xff000000);
        EXPECT_EQ(surface->pixel(959, 539), 0xff000000);
    }
    EXPECT_EQ(surfaces.DisplayRect, QRect(0, 0, 1921, 1081));
}

TEST(DisplaySurfaces, PaintBeforeAnyMeasurementCopiesTheBlankSurface)
{
    const DisplaySurfaces surfaces(QSize(100, 60));
    QImage box(80, 50, QImage::Format_RGB32);
    box.fill(Qt::white);
    {
        QPainter painter(&box);
        CopySurface(painter, surfaces.WaveSurface, surfaces.DisplayRect);
    }
    EXPECT_EQ(box.pixel(49, 29), 0xff000000);
    EXPECT_EQ(box.pixel(50, 29), 0xffffffff); // beyond the 50 x 30 surface
}

class MeasurementViewTest : public ::testing::Test {
protected:
    DisplaySurfaces surfaces{QSize(1920, 1080)};
    const ChartColors colors{QColor(255, 255, 255), QColor(128, 128, 128)};
    const QSize box{528, 280};
};

TEST_F(MeasurementViewTest, StartRecordDrawsFlatTracesAndNoBars)
{
    MeasurementRecord record = StartRecord();
    const PanelTexts texts = DrawMeasurementView(record, surfaces, box, colors);

    EXPECT_EQ(texts[PanelId::Panel_URMS], "0.0V");
    EXPECT_EQ(texts[PanelId::Panel_UF], "0.00Hz");
    EXPECT_EQ(surfaces.DisplayRect, QRect(0, 0, 528, 280));

    const QImage& wave = surfaces.WaveSurface;
    EXPECT_EQ(wave.pixel(100, 139), kVoltageTraceColor.rgb()); // drawn over the current trace
    EXPECT_EQ(wave.pixel(522, 139), kVoltageTraceColor.rgb());
    EXPECT_NE(wave.pixel(523, 139), kVoltageTraceColor.rgb()); // the last point is excluded
    EXPECT_NE(wave.pixel(100, 138), kVoltageTraceColor.rgb());
    EXPECT_EQ(wave.pixel(527, 279), colors.ChartBackColor.rgb());
    EXPECT_EQ(wave.pixel(528, 0), 0xff000000); // outside the chart box the surface is untouched

    // y0 = 246: nothing of a bar colour rises above the axis.
    EXPECT_FALSE(HasColourAbove(surfaces.UHarmonicSurface, kVoltageBarColor.rgb(), 528, 245));
    EXPECT_FALSE(HasColourAbove(surfaces.IHarmonicSurface, kCurrentBarColor.rgb(), 528, 245));
}

TEST_F(MeasurementViewTest, DrawsEachSpectrumOnItsOwnSurface)
{
    MeasurementRecord record = StartRecord();
    record.UHarmonic[1] = 325.0f;
    record.IHarmonic[3] = 2.0f;
    record.PQ = std::numeric_limits<float>::quiet_NaN();
    const PanelTexts texts = DrawMeasurementView(record, surfaces, box, colors);

    EXPECT_EQ(texts[PanelId::Panel_PQ], "0.0");
    EXPECT_EQ(record.PQ, 0.0f);
    // Order 1 at x = 12 and order 3 at x = 33 each reach y = 15 on their own chart.
    EXPECT_EQ(surfaces.UHarmonicSurface.pixel(17, 15), kVoltageBarColor.rgb());
    EXPECT_EQ(surfaces.UHarmonicSurface.pixel(38, 16), colors.ChartBackColor.rgb());
    EXPECT_EQ(surfaces.IHarmonicSurface.pixel(38, 15), kCurrentBarColor.rgb());
    EXPECT_EQ(surfaces.IHarmonicSurface.pixel(17, 16), colors.ChartBackColor.rgb());
}

TEST_F(MeasurementViewTest, PaintCopiesTheChartBoxOnly)
{
    MeasurementRecord record = StartRecord();
    DrawMeasurementView(record, surfaces, box, colors);

    QImage pic(600, 300, QImage::Format_RGB32);
    pic.fill(Qt::blue);
    {
        QPainter painter(&pic);
        CopySurface(painter, surfaces.WaveSurface, surfaces.DisplayRect);
    }
    EXPECT_EQ(pic.pixel(0, 0), colors.ChartBackColor.rgb());
    EXPECT_EQ(pic.pixel(100, 139), kVoltageTraceColor.rgb());
    EXPECT_EQ(pic.pixel(528, 10), QColor(Qt::blue).rgb());
}

} // namespace
