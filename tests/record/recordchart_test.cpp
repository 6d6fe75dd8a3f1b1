// The record chart on recorded canvas calls at the chart's worked sizes and
// values, its captions and ruler labels, untrusted numbers, and one drawing
// checked on pixels.
#include "colorcontrast.h"
#include "recordchart.h"
#include "recordingcanvas.h"
#include "recordstate.h"

#include <QImage>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr int kW = 600;
constexpr int kH = 352; // k = 0.64, plot band 16 .. 336

const ChartColors kColors{QColor(0, 0, 0), QColor(0, 128, 0)};

class RecordChartTest : public ::testing::Test {
protected:
    // A recording of `count` samples in the recording view, every channel
    // holding `value` unless `fill` says otherwise.
    void record(int count, float value)
    {
        state->FileReady = true;
        state->CaptureCount = count;
        for (int i = 0; i < count; ++i) {
            for (int c = 0; c < 6; ++c)
                state->CaptureBuffers.channel(c)[i] = value;
            state->CaptureBuffers.timestamps()[i] = 45000.5 + i / 86400.0;
        }
    }

    RecordChartFacts draw(int w = kW, int h = kH)
    {
        chart.clear();
        ruler.clear();
        return DrawRecordChart(*state, chart, ruler, w, h, kColors);
    }

    // The polyline drawn in `colour`, empty when none was.
    std::vector<QPoint> traceOf(const QColor& colour) const
    {
        for (const CanvasCall& call : chart.callsOf(CanvasOp::Polyline)) {
            if (call.state.pen.color == colour)
                return call.points;
        }
        return {};
    }

    std::vector<CanvasCall> polygons() const { return chart.callsOf(CanvasOp::Polygon); }

    QStringList texts(const RecordingCanvas& canvas) const
    {
        QStringList all;
        for (const CanvasCall& call : canvas.callsOf(CanvasOp::TextOut))
            all << call.text;
        return all;
    }

    std::unique_ptr<RecordState> state = std::make_unique<RecordState>();
    RecordingCanvas chart;
    RecordingCanvas ruler;
};

TEST_F(RecordChartTest, StartUpChartShowsGridCaptionsAndRulerOnly)
{
    const RecordChartFacts facts = draw();
    EXPECT_FALSE(facts.dataDrawn);
    EXPECT_TRUE(chart.callsOf(CanvasOp::Polyline).empty());
    EXPECT_TRUE(polygons().empty());

    const auto fills = chart.callsOf(CanvasOp::FillRect);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rect, (CanvasRect{0, 0, kW, kH}));
    EXPECT_EQ(fills[0].state.brush.color, kColors.ChartBackColor);

    // 11 rows, then the columns x = 0, 20 .. 580, all dotted in the grid
    // colour; x = 600 would lie beyond the chart's last column.
    const auto lines = chart.callsOf(CanvasOp::LineTo);
    ASSERT_EQ(lines.size(), 11u + 30u);
    const int rows[] = {16, 48, 80, 112, 144, 176, 208, 240, 272, 304, 336};
    for (int b = 0; b <= 10; ++b) {
        EXPECT_EQ(lines[b].start, QPoint(0, rows[b]));
        EXPECT_EQ(lines[b].points[0], QPoint(kW, rows[b]));
        EXPECT_EQ(lines[b].state.pen, (CanvasPen{kColors.ChartGridColor, 1, PenStyle::Dot}));
    }
    EXPECT_EQ(lines[11].start, QPoint(0, 16));
    EXPECT_EQ(lines[40].points[0], QPoint(580, 336));
    EXPECT_TRUE(chart.CallsOutside({0, 0, kW, kH}).empty());

    const auto captions = chart.callsOf(CanvasOp::TextOut);
    ASSERT_EQ(captions.size(), 7u);
    EXPECT_EQ(captions[0].text, "Time/DIV=20S");
    EXPECT_EQ(captions[0].points[0], QPoint(5, kH - 12));
    EXPECT_EQ(captions[0].state.font.color, QColor(0, 128, 128));
    EXPECT_EQ(captions[0].state.textBackground, TextBackground::Opaque);
    EXPECT_EQ(captions[0].state.brush.color, kColors.ChartBackColor);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(captions[1 + c].text, QStringLiteral("CH%1/DIV=50").arg(c + 1));
        EXPECT_EQ(captions[1 + c].points[0], QPoint(100 + 85 * c, kH - 12));
        EXPECT_EQ(captions[1 + c].state.font.color, kRecordChannelColors[c]);
    }
    EXPECT_EQ(texts(ruler).first(), "100%");
    EXPECT_EQ(texts(ruler).last(), "0%");
}

TEST_F(RecordChartTest, TenSamplesDrawNinePointsNewestAtColumnZero)
{
    record(10, 0);
    for (int i = 0; i < 10; ++i)
        state->CaptureBuffers.channel(0)[i] = float(100 * i);
    const RecordChartFacts facts = draw();
    EXPECT_EQ(facts.points, 9);
    EXPECT_EQ(LengthPanelText(facts), "長度：9");
    EXPECT_EQ(ZoomPanelText(facts), "採樣步長：1S");

    const std::vector<QPoint> trace = traceOf(kRecordChannelColors[0]);
    ASSERT_EQ(trace.size(), 10u);
    // Starts at the left edge at the first point's height; sample 0 never shows.
    EXPECT_EQ(trace[0], trace[1]);
    for (int x = 0; x < 9; ++x) {
        const int sample = 9 - x;
        EXPECT_EQ(trace[x + 1], QPoint(x, 336 - int(std::nearbyint(100.0 * sample * 0.64f))));
    }
    EXPECT_EQ(facts.penTops[0], trace[0].y() - 7);
    EXPECT_EQ(facts.endTime, state->CaptureBuffers.timestamps()[9]);
    EXPECT_EQ(facts.startTime, state->CaptureBuffers.timestamps()[1]);
}

struct HeightCase {
    const char* name;
    int range;
    float value;
    int y;
    bool over;
    bool below;
};

class RecordChartHeights : public RecordChartTest,
                           public ::testing::WithParamInterface<HeightCase> {};

TEST_P(RecordChartHeights, MapsValuesAndFlagsOnlyWhatLeavesThePaintBox)
{
    const HeightCase& c = GetParam();
    record(3, c.value);
    state->RangeMode = c.range;
    const RecordChartFacts facts = draw();
    EXPECT_EQ(traceOf(kRecordChannelColors[0]).at(1).y(), c.y);
    EXPECT_EQ(facts.overflow.overTop[0], c.over);
    EXPECT_EQ(facts.overflow.belowBottom[0], c.below);
    EXPECT_EQ(polygons().size(), (c.over || c.below) ? 6u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RecordChartHeights,
    ::testing::Values(HeightCase{"Voltage230", 0, 230, 189, false, false},
                      HeightCase{"AboveBandInsideBox", 0, 520, 3, false, false},
                      HeightCase{"AboveBox", 0, 600, -48, true, false},
                      HeightCase{"BothSignsMinusFullScale", 1, -500, 336, false, false},
                      HeightCase{"BothSignsZero", 1, 0, 176, false, false},
                      HeightCase{"NegativeRangeZeroOnTop", 2, 0, 16, false, false},
                      HeightCase{"NegativeRangePositiveAbove", 2, 100, -48, true, false},
                      HeightCase{"NegativeRangeFullScale", 2, -500, 336, false, false},
                      HeightCase{"BelowBox", 0, -100, 400, false, true},
                      HeightCase{"NaNDrawnAsZero", 0, std::numeric_limits<float>::quiet_NaN(), 336,
                                 false, false},
                      HeightCase{"Infinity", 0, std::numeric_limits<float>::infinity(),
                                 int(336 - 1e8), true, false},
                      HeightCase{"MinusInfinity", 0, -std::numeric_limits<float>::infinity(),
                                 int(336 + 1e8), false, true},
                      HeightCase{"Huge", 0, 1e38f, int(336 - 1e8), true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecordChartTest, UpTriangleSitsAtItsChannelsPlace)
{
    record(3, 0);
    state->CaptureBuffers.channel(1)[2] = 600;
    draw();
    const auto marks = polygons();
    ASSERT_EQ(marks.size(), 1u);
    const int x0 = kW - 72 + 12;
    EXPECT_EQ(marks[0].points, (std::vector<QPoint>{{x0, 5}, {x0 + 10, 5}, {x0 + 5, 0}}));
    EXPECT_EQ(marks[0].state.brush.color, kRecordChannelColors[1]);
    EXPECT_EQ(marks[0].state.pen.width, 1);
}

TEST_F(RecordChartTest, HiddenChannelKeepsItsTriangleButLosesTraceAndPen)
{
    record(3, 0);
    state->CaptureBuffers.channel(2)[2] = -100;
    state->ChannelVisible[2] = false;
    const RecordChartFacts facts = draw();
    // Blue is drawn lighter on the black chart, as every trace that would
    // hardly show on its background.
    const QColor blueTrace = TraceColorOn(kRecordChannelColors[2], kColors.ChartBackColor);
    EXPECT_TRUE(traceOf(blueTrace).empty());
    EXPECT_FALSE(facts.penTops[2].has_value());
    const auto marks = polygons();
    ASSERT_EQ(marks.size(), 1u);
    const int x0 = kW - 72 + 24;
    EXPECT_EQ(marks[0].points,
              (std::vector<QPoint>{{x0, kH - 6}, {x0 + 10, kH - 6}, {x0 + 5, kH - 1}}));
    EXPECT_EQ(marks[0].state.brush.color, blueTrace);
    // The outline keeps the colour of the pen last used: channel 2's trace.
    EXPECT_EQ(marks[0].state.pen, (CanvasPen{kRecordChannelColors[1], 1, PenStyle::Solid}));
}

TEST_F(RecordChartTest, NoPointToDrawLeavesTracesOutAndPanelsWithoutTimes)
{
    for (const int offset : {0, 5}) {
        record(offset == 0 ? 0 : 3, 230);
        state->RecOffset = offset;
        const RecordChartFacts facts = draw();
        EXPECT_TRUE(chart.callsOf(CanvasOp::Polyline).empty());
        for (int c = 0; c < 6; ++c)
            EXPECT_EQ(facts.penTops[c], -7);
        EXPECT_EQ(facts.overflow.overTop, (std::array<bool, 6>{}));
        EXPECT_EQ(StartPanelText(facts), "開始：");
        EXPECT_EQ(EndPanelText(facts), "結束：");
        EXPECT_EQ(LengthPanelText(facts), "長度：0");
    }
}

TEST_F(RecordChartTest, WideZoomAndOffsetPickEveryZthSampleAndCapAtTheWidth)
{
    record(1000, 0);
    for (int i = 0; i < 1000; ++i)
        state->CaptureBuffers.channel(0)[i] = float(i % 500);
    state->RecZoom = 3;
    state->RecOffset = 10;
    const RecordChartFacts facts = draw(100, kH);
    EXPECT_EQ(facts.points, 100); // (999 - 10) div 3 = 329, capped at W
    const std::vector<QPoint> trace = traceOf(kRecordChannelColors[0]);
    ASSERT_EQ(trace.size(), 101u);
    const int idx = 999 - 10 - 99 * 3;
    EXPECT_EQ(trace[100].y(), 336 - int(std::nearbyint((idx % 500) * double(0.64f))));
    EXPECT_EQ(facts.startTime, state->CaptureBuffers.timestamps()[idx]);
    EXPECT_EQ(TimeDivisionCaption(3), "Time/DIV=60S");
}

TEST_F(RecordChartTest, BrowsingViewUsesItsBuffersGreenCaptionAndFixedGrid)
{
    state->FileReady = true;
    state->ViewMode = 1;
    state->GridShift = 7;
    state->BrowseLast = 4;
    state->BrowseBuffers.channel(0)[4] = 230;
    draw();
    EXPECT_EQ(traceOf(kRecordChannelColors[0]).size(), 5u);
    EXPECT_EQ(traceOf(kRecordChannelColors[0])[1].y(), 189);
    EXPECT_EQ(chart.callsOf(CanvasOp::TextOut)[0].state.font.color, QColor(0, 128, 0));
    EXPECT_EQ(chart.callsOf(CanvasOp::LineTo)[11].start, QPoint(0, 16));

    state->ViewMode = 0;
    draw();
    EXPECT_EQ(chart.callsOf(CanvasOp::LineTo)[11].start, QPoint(7, 16));
}

struct CaptionCase {
    int range;
    float scale;
    const char* caption;
};

TEST(RecordChartCaptions, ShowTheUnitsPerDivisionInShortestForm)
{
    const CaptionCase cases[] = {
        {0, 1.0f, "CH1/DIV=50"},  {0, 0.05f, "CH1/DIV=1000"}, {0, 10000, "CH1/DIV=0.005"},
        {0, 2.5f, "CH1/DIV=20"},  {2, 0.5f, "CH1/DIV=100"},   {0, 0.25f, "CH1/DIV=200"},
        {1, 1.0f, "CH1/DIV=100"}, {1, 10000, "CH1/DIV=0.01"}, {0, 250, "CH1/DIV=0.2"},
    };
    for (const CaptionCase& c : cases)
        EXPECT_EQ(ChannelDivisionCaption(0, c.range, c.scale), c.caption) << c.caption;
}

TEST(RecordChartRuler, LabelsEveryFifthTickByRange)
{
    const struct {
        int range;
        const char* top;
        const char* middle;
        const char* bottom;
    } cases[] = {{0, "100%", "50%", "0%"}, {1, "100%", "0%", "-100%"}, {2, "-0%", "-50%", "-100%"}};
    for (const auto& c : cases) {
        auto state = std::make_unique<RecordState>();
        state->RangeMode = c.range;
        RecordingCanvas chart;
        RecordingCanvas ruler;
        DrawRecordChart(*state, chart, ruler, kW, kH, kColors);
        const auto labels = ruler.callsOf(CanvasOp::TextOut);
        ASSERT_EQ(labels.size(), 11u);
        EXPECT_EQ(labels[0].text, c.top);
        EXPECT_EQ(labels[5].text, c.middle);
        EXPECT_EQ(labels[10].text, c.bottom);
        EXPECT_EQ(labels[0].points[0], QPoint(20, 16 - 6));
        EXPECT_EQ(labels[10].points[0], QPoint(20, 336 - 6));
        // 51 ticks and the axis.
        const auto lines = ruler.callsOf(CanvasOp::LineTo);
        ASSERT_EQ(lines.size(), 52u);
        EXPECT_EQ(lines[0].start, QPoint(3, 16));
        EXPECT_EQ(lines[1].start, QPoint(7, RulerTickY(kH, 1)));
        EXPECT_EQ(lines[51].state.pen.width, 2);
        EXPECT_EQ(lines[51].points[0], QPoint(13, kH - 16));
    }
}

TEST(RecordChartTimes, TimestampsThatAreNoDateGiveNoText)
{
    for (const double bad : {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(), 1e300, -1e300}) {
        EXPECT_TRUE(RecordDateTimeText(bad).isEmpty());
        EXPECT_TRUE(RecordDateText(bad).isEmpty());
        EXPECT_TRUE(RecordTimeText(bad).isEmpty());
    }
    const QString text = RecordDateTimeText(45000.5);
    EXPECT_TRUE(text.contains(QLatin1Char(' ')));
    EXPECT_TRUE(text.contains(QStringLiteral("12")));
}

TEST(RecordChartPixels, DrawsTracesGridAndRulerOnTheSurfaces)
{
    auto state = std::make_unique<RecordState>();
    state->FileReady = true;
    state->CaptureCount = 50;
    for (int i = 0; i < 50; ++i)
        state->CaptureBuffers.channel(0)[i] = 230;
    const ChartColors colors{QColor(0, 0, 0), QColor(128, 128, 128)};
    const QImage image = RenderRecordChartImage(*state, 200, kH, colors);
    ASSERT_EQ(image.size(), QSize(250, kH));
    // The 2-pixel trace of channel 1 at y 189 along the drawn columns.
    EXPECT_EQ(image.pixelColor(20, 189), kRecordChannelColors[0]);
    EXPECT_EQ(image.pixelColor(45, 189), kRecordChannelColors[0]);
    // Background between the grid lines, a dotted grid pixel on row 16.
    EXPECT_EQ(image.pixelColor(110, 30), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(0, 16), QColor(128, 128, 128));
    // Ruler: white, its axis black at x = 13 in the ruler.
    EXPECT_EQ(image.pixelColor(200 + 40, 100), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(200 + 13, 100), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(200 + 5, 16), QColor(0, 0, 0)); // long tick
}

// A record file of random bytes in the browsing view, drawn at a roomy and
// at a narrow size: the grid, captions, marks and ruler stay on their
// surfaces; traces leave only across the top and bottom edges (values beyond
// the band, marked by the triangles), never across the sides.
TEST_F(RecordChartTest, RandomFileContentsStayOnTheChart)
{
    QRandomGenerator random(15);
    state->FileReady = true;
    state->ViewMode = 1;
    state->BrowseLast = 1999;
    for (int c = 0; c < 6; ++c)
        random.fillRange(reinterpret_cast<quint32*>(state->BrowseBuffers.channel(c)), 2000);
    random.fillRange(reinterpret_cast<quint32*>(state->BrowseBuffers.timestamps()), 4000);
    for (const QSize size : {QSize(kW, kH), QSize(240, 60)}) {
        for (int range = 0; range < 3; ++range) {
            state->RangeMode = range;
            draw(size.width(), size.height());
            EXPECT_TRUE(ruler.CallsOutside({0, 0, kRecordRulerWidth, size.height()}).empty());
            for (const CanvasCall& call : chart.CallsOutside({0, 0, size.width(), size.height()})) {
                ASSERT_EQ(call.op, CanvasOp::Polyline)
                    << "width " << size.width() << " " << call.text.toStdString();
                const CanvasRect area = *chart.PaintedArea(call);
                EXPECT_GE(area.left, 0);
                EXPECT_LE(area.right, size.width());
            }
        }
    }
}

} // namespace
