#include "wavechart.h"

#include "measurementrecord.h"
#include "qtprinters.h"
#include "recordingcanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

// The design chart box, 528 x 280: Wd 526, Hd 278, E 522, F 274, c 137.
const ChartGeometry kDesign = MeasureChartBox(528, 280);

MeasurementRecord StartRecord()
{
    MeasurementRecord record{};
    ResetMeasurementRecord(record);
    return record;
}

// Four cycles of a 50 Hz measurement of 230 V and 1.06 A.
MeasurementRecord SineRecord()
{
    MeasurementRecord record = StartRecord();
    record.URMS = 230.0f;
    record.UPP = 311.1f;
    record.UF = 50.0f;
    record.IRMS = 1.06f;
    record.IPP = 1.5f;
    for (int k = 0; k < 512; ++k) {
        const double phase = 2 * std::numbers::pi * 4 * k / 512;
        record.UWave[k] = static_cast<std::uint16_t>(2047 + std::lround(1500 * std::sin(phase)));
        record.IWave[k] =
            static_cast<std::uint16_t>(2047 + std::lround(700 * std::sin(phase - 0.5)));
    }
    return record;
}

TEST(WaveChart, GeometryOfTheDesignBox)
{
    EXPECT_EQ(kDesign, (ChartGeometry{526, 278, 522, 274, 137}));
}

TEST(WaveChart, GridHasTenByEightDivisionsWithHalfDivisionTicks)
{
    const WaveGrid grid = ComputeWaveGrid(kDesign);

    EXPECT_EQ(grid.rows[0], (ChartLine{{2, 2}, {524, 2}}));
    EXPECT_EQ(grid.rows[1], (ChartLine{{2, 36}, {524, 36}})); // T(34.25) + 2
    EXPECT_EQ(grid.rows[4], (ChartLine{{2, 139}, {524, 139}}));
    EXPECT_EQ(grid.rows[8], (ChartLine{{2, 276}, {524, 276}}));
    // y' = T(F i / 8 + F / 16) + 2 across the centre column T(E / 2) = 261
    EXPECT_EQ(grid.rowTicks[0], (ChartLine{{260, 19}, {267, 19}}));
    EXPECT_EQ(grid.rowTicks[7], (ChartLine{{260, 258}, {267, 258}})); // T(256.875) + 2

    EXPECT_EQ(grid.columns[0], (ChartLine{{2, 2}, {2, 276}}));
    EXPECT_EQ(grid.columns[3], (ChartLine{{158, 2}, {158, 276}})); // T(156.6) + 2
    EXPECT_EQ(grid.columns[10], (ChartLine{{524, 2}, {524, 276}}));
    // x' = T(i E / 10 + E / 20) + 2 on the centre row T(F / 2) = 137
    EXPECT_EQ(grid.columnTicks[0], (ChartLine{{28, 136}, {28, 143}}));
    EXPECT_EQ(grid.columnTicks[9], (ChartLine{{497, 136}, {497, 143}})); // T(495.9) + 2
}

TEST(WaveChart, ScaleLineShowsDivisionsOrTheirFallbacks)
{
    MeasurementRecord measured = SineRecord();
    EXPECT_EQ(ScaleLineText(measured),
              "SEC/DIV:8ms   Vol/DIV:77.78V   Amp/DIV:0.5A   Trigger Source:Vol");

    EXPECT_EQ(ScaleLineText(StartRecord()),
              "SEC/DIV:8ms   Vol/DIV:50V   Amp/DIV:1A   Trigger Source:Vol");

    // 0.4 / 60 s = 6.666.. ms; the fallbacks follow the frequency and the
    // RMS values, not the peaks.
    MeasurementRecord partly = SineRecord();
    partly.UF = 60.0f;
    partly.URMS = 0.0f;
    partly.IRMS = -1.0f;
    EXPECT_EQ(ScaleLineText(partly),
              "SEC/DIV:6.67ms   Vol/DIV:50V   Amp/DIV:1A   Trigger Source:Vol");
}

TEST(WaveChart, TraceXAccumulatesAndRoundsHalvesToEven)
{
    // E = 524: the step 524 / 512 puts point 64 at 65.5 and point 192 at 196.5.
    const ChartGeometry g = MeasureChartBox(530, 280);
    MeasurementRecord record = StartRecord();
    const TracePoints points =
        ComputeTracePoints(record.UWave, record.UWaveZero, VoltageTraceReach(g), g, true);

    EXPECT_EQ(points[0].x(), 2);
    EXPECT_EQ(points[1].x(), 3);
    EXPECT_EQ(points[64].x(), 66 + 2);
    EXPECT_EQ(points[192].x(), 196 + 2);
    EXPECT_EQ(points[511].x(), 523 + 2); // 522.98
}

TEST(WaveChart, TraceScalesTheLargestDeviationToItsReach)
{
    MeasurementRecord record = StartRecord();
    record.UWave[0] = 2049; // +2, the largest
    record.UWave[1] = 2048; // +1: 137 / 2 = 68.5 rounds to 68
    record.UWave[2] = 2045; // -2
    const TracePoints voltage = ComputeTracePoints(record.UWave, record.UWaveZero,
                                                   VoltageTraceReach(kDesign), kDesign, true);
    EXPECT_EQ(voltage[0].y(), 2); // the top grid line
    EXPECT_EQ(voltage[1].y(), 137 - 68 + 2);
    EXPECT_EQ(voltage[2].y(), 276); // the bottom grid line
    EXPECT_EQ(voltage[3].y(), 139);

    // The current peak stays a division (Hd / 8) short: 137 - 34.75 = 102.25.
    const TracePoints current = ComputeTracePoints(record.UWave, record.UWaveZero,
                                                   CurrentTraceReach(kDesign), kDesign, true);
    EXPECT_EQ(current[0].y(), 137 - 102 + 2);
    EXPECT_EQ(current[1].y(), 137 - 51 + 2);
}

TEST(WaveChart, FlatWaveformsDrawHorizontalLinesThroughTheCentre)
{
    RecordingCanvas canvas;
    const ChartColors colors{QColor(0, 0, 0), QColor(128, 128, 128)};
    DrawWaveChart(canvas, StartRecord(), kDesign, {0, 0, 528, 280}, colors);

    int red = 0;
    int green = 0;
    for (const CanvasSegment& s : canvas.segments()) {
        if (s.pen.color != kCurrentTraceColor && s.pen.color != kVoltageTraceColor)
            continue;
        (s.pen.color == kCurrentTraceColor ? red : green)++;
        EXPECT_EQ(s.from.y(), 139);
        EXPECT_EQ(s.to.y(), 139);
        EXPECT_EQ(s.pen.width, 1);
    }
    EXPECT_EQ(red, 511);
    EXPECT_EQ(green, 511);
}

TEST(WaveChart, ZeroWaveLengthDrawsVerticalStrokesAtTheLeftEdge)
{
    MeasurementRecord record = SineRecord();
    record.WaveLength = 0;
    RecordingCanvas canvas;
    DrawWaveChart(canvas, record, kDesign, {0, 0, 528, 280}, ChartColors{});

    int traced = 0;
    bool rises = false;
    for (const CanvasSegment& s : canvas.segments()) {
        if (s.pen.color != kCurrentTraceColor && s.pen.color != kVoltageTraceColor)
            continue;
        ++traced;
        EXPECT_EQ(s.from.x(), 2);
        EXPECT_EQ(s.to.x(), 2);
        rises = rises || s.from.y() != s.to.y();
    }
    EXPECT_EQ(traced, 2 * 511);
    EXPECT_TRUE(rises);
}

TEST(WaveChart, DrawsBackgroundGridTracesAndScaleLineInOrder)
{
    RecordingCanvas canvas;
    const ChartColors colors{QColor(10, 20, 30), QColor(200, 200, 0)};
    const MeasurementRecord record = SineRecord();
    DrawWaveChart(canvas, record, kDesign, {0, 0, 528, 280}, colors);

    const std::vector<CanvasCall> fills = canvas.callsOf(CanvasOp::FillRect);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rect, (CanvasRect{0, 0, 528, 280}));
    EXPECT_EQ(fills[0].state.brush, CanvasBrush::Solid(colors.ChartBackColor));
    EXPECT_EQ(canvas.calls().front().op, CanvasOp::SetBrush);

    int dotted = 0;
    int ticks = 0;
    for (const CanvasSegment& s : canvas.segments()) {
        if (s.pen.color != colors.ChartGridColor)
            continue;
        EXPECT_EQ(s.pen.width, 1);
        (s.pen.style == PenStyle::Dot ? dotted : ticks)++;
    }
    EXPECT_EQ(dotted, 9 + 11);
    // The ticks after the last row and column would fall outside the box.
    EXPECT_EQ(ticks, 8 + 10);
    EXPECT_TRUE(canvas.CallsOutside({0, 0, 528, 280}).empty());

    // The voltage trace follows the current one, and the scale line comes last.
    const std::vector<CanvasSegment> segments = canvas.segments();
    EXPECT_EQ(segments.back().pen.color, kVoltageTraceColor);
    EXPECT_EQ(segments[segments.size() - 512].pen.color, kCurrentTraceColor);
    const CanvasCall& text = canvas.calls().back();
    ASSERT_EQ(text.op, CanvasOp::TextOut);
    EXPECT_EQ(text.points.front(), QPoint(5, 268));
    EXPECT_EQ(text.text, ScaleLineText(record));
    EXPECT_EQ(text.clipRight, 528) << "ended at the box's edge";
    EXPECT_EQ(text.state.textBackground, TextBackground::Transparent);
    EXPECT_EQ(text.state.font.color, kScaleTextColor);
}

} // namespace
