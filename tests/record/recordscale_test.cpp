// Autoscale and the zoom in past one sample a column: the scales and range
// chosen for value shapes, checked on the recorded chart (every drawn point
// between the top and bottom grid rows, no overflow mark); the grid, the
// "Time/DIV=" caption, paging and the column <-> sample mapping at stretched
// levels.
#include "recordautoscale.h"
#include "recordbrowser.h"
#include "recordchart.h"
#include "recordingcanvas.h"
#include "recordstate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr int kW = 600;
constexpr int kH = 352; // plot band 16 .. 336

const ChartColors kColors{QColor(0, 0, 0), QColor(0, 128, 0)};

class RecordScaleTest : public ::testing::Test {
protected:
    RecordScaleTest() { browser.setChartWidth(kW); }

    // `count` samples in the browsing view, channel c's sample i = value(c, i).
    void browse(int count, const std::function<float(int c, int i)>& value)
    {
        state->FileReady = true;
        state->ViewMode = 1;
        state->BrowseLast = count - 1;
        for (int i = 0; i < count; ++i) {
            for (int c = 0; c < 6; ++c)
                state->BrowseBuffers.channel(c)[i] = value(c, i);
            state->BrowseBuffers.timestamps()[i] = 46000.5 + i / 86400.0;
        }
    }

    RecordChartFacts draw()
    {
        chart.clear();
        ruler.clear();
        return DrawRecordChart(*state, chart, ruler, kW, kH, kColors);
    }

    // The drawn columns of the time grid: the dotted lines from row 16 down.
    std::vector<int> gridColumns() const
    {
        std::vector<int> xs;
        for (const CanvasSegment& s : chart.segments())
            if (s.pen.style == PenStyle::Dot && s.from.y() == 16 && s.from.x() == s.to.x())
                xs.push_back(s.from.x());
        return xs;
    }

    QString timeCaption() const
    {
        for (const CanvasCall& call : chart.callsOf(CanvasOp::TextOut))
            if (call.text.startsWith("Time/DIV="))
                return call.text;
        return {};
    }

    std::unique_ptr<RecordState> state = std::make_unique<RecordState>();
    RecordingCanvas chart;
    RecordingCanvas ruler;
    int redraws = 0;
    RecordBrowser browser{*state, BrowseHooks{[this] { ++redraws; }, [] {}, [](int) {}}};
};

struct ShapeCase {
    const char* name;
    std::function<float(int c, int i)> value;
    int rangeMode;
    std::array<int, 6> scaleIndex; // -1: the channel keeps its scale (3)
};

class AutoscaleShapes : public RecordScaleTest, public ::testing::WithParamInterface<ShapeCase> {};

// The scales a bench engineer expects for each shape, and on the drawing:
// every shown channel's points inside the plot band, and no overflow mark.
TEST_P(AutoscaleShapes, FitsEveryShownTraceIntoThePlotBand)
{
    const ShapeCase& shape = GetParam();
    browse(400, shape.value);
    browser.Autoscale();
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(state->RangeMode, shape.rangeMode);
    for (int c = 0; c < 6; ++c) {
        const int expected = shape.scaleIndex[c] < 0 ? 3 : shape.scaleIndex[c];
        EXPECT_EQ(state->ScaleIndex[c], expected) << "channel " << c;
        if (shape.scaleIndex[c] >= 0) {
            EXPECT_EQ(state->ScaleValue[c], ScaleTable[std::size_t(expected)]) << c;
            EXPECT_EQ(browser.controls().scaleUp[c], expected < 16) << c;
            EXPECT_EQ(browser.controls().scaleDown[c], expected > 0) << c;
        }
    }
    const RecordChartFacts facts = draw();
    EXPECT_EQ(facts.points, 399);
    for (int c = 0; c < 6; ++c) {
        EXPECT_FALSE(facts.overflow.overTop[c]) << c;
        EXPECT_FALSE(facts.overflow.belowBottom[c]) << c;
    }
    for (const CanvasCall& call : chart.callsOf(CanvasOp::Polyline))
        for (const QPoint& p : call.points) {
            EXPECT_GE(p.y(), 16) << shape.name;
            EXPECT_LE(p.y(), kH - 16) << shape.name;
        }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, AutoscaleShapes,
    ::testing::Values(
        // Full scale is value x multiplier = 500. 230 V flat: 230 x 2.5 = 575
        // passes it, 230 x 1 fits; 76.7 x 5 fits, x 10 not; a channel all zero
        // keeps its scale and asks for no sign.
        ShapeCase{"Flat",
                  [](int c, int) { return c == 5 ? 0.0f : 230.0f / float(c + 1); },
                  0,
                  {4, 5, 6, 6, 7, -1}},
        // Every value negative: the negative range, scaled by the deepest
        // (-4.9 x 100, -9.8 x 50, -14.7 x 25, -19.6 x 25, -24.5 x 10, -29.4 x 10).
        ShapeCase{"Negative",
                  [](int c, int i) { return -float(c + 1) * float(i % 50) / 10.0f; },
                  2,
                  {10, 9, 8, 8, 7, 7}},
        // Above 500 x the coarsest step nothing fits: the coarsest is used
        // (checked only for the others' band); 9000 fits at 0.05.
        ShapeCase{"Huge",
                  [](int c, int i) { return c == 0 ? 9000.0f : 1e-4f * float(i % 7 + 1); },
                  0,
                  {0, 16, 16, 16, 16, 16}},
        // One channel dips below zero: both signs for all, 500 over half the
        // band each way (0.5 x 1000 just fits, -20 x 25).
        ShapeCase{"Mixed",
                  [](int c, int i) {
                      if (c == 2)
                          return float(i % 40) - 20.0f;
                      return 0.5f + float(c) * 0.1f;
                  },
                  1,
                  {13, 12, 8, 12, 12, 12}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecordScaleTest, AutoscaleLeavesHiddenChannelsAndAChannelAloneKeepsTheRange)
{
    browse(400, [](int c, int i) { return c == 1 ? -50.0f : 2.0f + float(i % 3); });
    state->ChannelVisible[1] = false;
    browser.Autoscale();
    // The hidden negative channel asks for no sign and keeps its scale.
    EXPECT_EQ(state->RangeMode, 0);
    EXPECT_EQ(state->ScaleIndex[1], 3);
    EXPECT_EQ(state->ScaleIndex[0], 10); // 4 x 100 = 400 fits, 4 x 250 does not

    // A single channel in the positive range: only its positive part counts.
    state->ChannelVisible[1] = true;
    state->BrowseBuffers.channel(1)[300] = 3.0f;
    browser.AutoscaleChannel(1);
    EXPECT_EQ(state->RangeMode, 0);
    EXPECT_EQ(state->ScaleIndex[1], 10); // 3 x 100 = 300 fits, 3 x 250 does not
    EXPECT_EQ(state->ScaleIndex[0], 10);

    // NaN and infinities a damaged file holds are passed over.
    state->BrowseBuffers.channel(1)[200] = std::numeric_limits<float>::infinity();
    state->BrowseBuffers.channel(1)[201] = std::numeric_limits<float>::quiet_NaN();
    browser.AutoscaleChannel(1);
    EXPECT_EQ(state->ScaleIndex[1], 10);

    // Nothing but zeros: nothing changes.
    const std::array<int, 6> before = state->ScaleIndex;
    browse(400, [](int, int) { return 0.0f; });
    browser.Autoscale();
    EXPECT_EQ(state->ScaleIndex, before);
    EXPECT_EQ(state->RangeMode, 0);
}

TEST_F(RecordScaleTest, AutoscaleFitsOnlyThePointsInView)
{
    // Newest 100 samples small, the older ones large: scrolled back, the
    // scale follows what is shown.
    browse(2000, [](int, int i) { return i >= 1900 ? 1.0f : 100.0f; });
    state->BrowseOffset = 0;
    state->BrowseStretch = 6; // 100 points over 600 columns
    browser.Autoscale();
    EXPECT_EQ(state->ScaleIndex[0], 12); // 1 x 500 fits exactly
    state->BrowseStretch = 1;
    browser.Autoscale();
    EXPECT_EQ(state->ScaleIndex[0], 6); // 100 x 5 = 500
}

struct StretchCase {
    int stretch;
    int divisionSamples;
    int divisionPixels;
    const char* caption;
    const char* stepPanel;
};

class StretchLevels : public RecordScaleTest, public ::testing::WithParamInterface<StretchCase> {};

// At each level: the grid, its caption, the drawn points at their columns,
// and column -> sample -> column agreeing for every drawn sample.
TEST_P(StretchLevels, GridCaptionPointsAndReadoutAgree)
{
    const StretchCase& level = GetParam();
    browse(1000, [](int c, int i) { return float(c) + float(i % 10); });
    state->BrowseOffset = 7;
    state->BrowseStretch = level.stretch;
    const RecordChartFacts facts = draw();
    EXPECT_EQ(facts.stretch, level.stretch);
    EXPECT_EQ(GridDivisionAt(level.stretch).samples, level.divisionSamples);
    EXPECT_EQ(timeCaption(), level.caption);
    EXPECT_EQ(ZoomPanelText(facts), level.stepPanel);
    EXPECT_EQ(ZoomPanelForms(facts).front(), level.stepPanel);
    EXPECT_EQ(ZoomPanelForms(facts).size(), level.stretch > 1 ? 3U : 1U);
    const std::vector<int> columns = gridColumns();
    ASSERT_FALSE(columns.empty());
    for (std::size_t i = 0; i < columns.size(); ++i)
        EXPECT_EQ(columns[i], int(i) * level.divisionPixels);
    EXPECT_GT(columns.back() + level.divisionPixels, kW - 1);

    const int points = (kW - 1) / level.stretch + 1;
    EXPECT_EQ(facts.points, std::min(points, 999 - 7));
    const std::vector<QPoint> trace = chart.callsOf(CanvasOp::Polyline).front().points;
    // The start at the left edge, the points, and stretched one more run on
    // past the edge.
    ASSERT_EQ(trace.size(), std::size_t(facts.points) + (level.stretch > 1 ? 2 : 1));
    for (int p = 0; p < facts.points; ++p)
        EXPECT_EQ(trace[std::size_t(p) + 1].x(), p * level.stretch);
    if (level.stretch > 1) {
        EXPECT_GE(trace.back().x(), kW);
    }
    // From a stretch of 8 each drawn sample of each shown channel gets a dot.
    const auto dots = std::count_if(chart.calls().begin(), chart.calls().end(), [](const auto& c) {
        return c.op == CanvasOp::FillRect && c.rect.right - c.rect.left == 5;
    });
    EXPECT_EQ(dots, level.stretch >= 8 ? 6 * facts.points : 0);
    EXPECT_EQ(facts.endTime, state->BrowseBuffers.timestamps()[999 - 7]);
    EXPECT_EQ(facts.startTime, state->BrowseBuffers.timestamps()[999 - 7 - (facts.points - 1)]);

    for (int p = 0; p < facts.points; ++p) {
        const int sample = 999 - 7 - p;
        const std::optional<int> column = browser.ColumnOfSample(sample);
        ASSERT_TRUE(column) << sample;
        EXPECT_EQ(*column, p * level.stretch);
        EXPECT_EQ(browser.ReadoutIndex(*column), sample);
        // Every column reads out the sample drawn nearest to it.
        for (int x = std::max(0, *column - (level.stretch - 1) / 2);
             x <= std::min(kW - 1, *column + level.stretch / 2 - (level.stretch % 2 == 0)); ++x)
            EXPECT_EQ(browser.ReadoutIndex(x), sample) << "column " << x;
    }
    EXPECT_FALSE(browser.ColumnOfSample(999 - 7 - facts.points));
    EXPECT_FALSE(browser.ColumnOfSample(999 - 6)); // skipped by the offset
}

INSTANTIATE_TEST_SUITE_P(Levels, StretchLevels,
                         ::testing::Values(StretchCase{1, 20, 20, "Time/DIV=20S", "採樣步長：1S"},
                                           StretchCase{2, 10, 20, "Time/DIV=10S", "採樣步長：1/2S"},
                                           StretchCase{3, 10, 30, "Time/DIV=10S", "採樣步長：1/3S"},
                                           StretchCase{7, 4, 28, "Time/DIV=4S", "採樣步長：1/7S"},
                                           StretchCase{13, 2, 26, "Time/DIV=2S", "採樣步長：1/13S"},
                                           StretchCase{60, 1, 60, "Time/DIV=1S",
                                                       "採樣步長：1/60S"}));

TEST_F(RecordScaleTest, ColumnOfSampleAtZoomAboveOneIsTheColumnHoldingIt)
{
    browse(5000, [](int, int i) { return float(i); });
    state->BrowseZoom = 4;
    for (int sample : {4999, 4996, 4995, 4992, 2600}) {
        const std::optional<int> column = browser.ColumnOfSample(sample);
        ASSERT_TRUE(column) << sample;
        EXPECT_EQ(*column, (4999 - sample) / 4);
        const std::optional<int> drawn = browser.ReadoutIndex(*column);
        ASSERT_TRUE(drawn);
        EXPECT_EQ(*drawn, 4999 - *column * 4); // the column's drawn sample
        EXPECT_LE(*drawn - sample, 3);
    }
    EXPECT_FALSE(browser.ColumnOfSample(4999 - 600 * 4)); // past the right edge
    EXPECT_FALSE(browser.ColumnOfSample(0));
    // In the recording view the newest drawn sample is CaptureCount - 1.
    state->ViewMode = 0;
    state->FileReady = true;
    state->CaptureCount = 50;
    EXPECT_EQ(browser.ColumnOfSample(49), 0);
    EXPECT_EQ(browser.ReadoutIndex(0), 49);
    EXPECT_FALSE(browser.ColumnOfSample(50));
}

TEST_F(RecordScaleTest, StretchGoesOnFromZoomOneToTenSamplesAndBack)
{
    browse(72, [](int, int i) { return float(i); });
    state->BrowseZoom = 2;
    browser.StretchIn(); // the zoom first
    EXPECT_EQ(state->BrowseZoom, 1);
    EXPECT_EQ(state->BrowseStretch, 1);
    EXPECT_TRUE(browser.controls().stretchIn);
    const int limit = RecordBrowser::StretchLimit(kW);
    EXPECT_EQ(limit, 60);
    for (int s = 2; s <= limit; ++s) {
        browser.StretchIn();
        EXPECT_EQ(state->BrowseStretch, s);
        EXPECT_EQ(browser.controls().stretchIn, s < limit);
        EXPECT_TRUE(browser.controls().zoomOut);
    }
    browser.StretchIn(); // at the limit nothing changes
    EXPECT_EQ(state->BrowseStretch, limit);
    EXPECT_EQ(draw().points, 10);

    browser.ZoomOut();
    EXPECT_EQ(state->BrowseStretch, limit - 1);
    EXPECT_TRUE(browser.controls().stretchIn);
    EXPECT_TRUE(browser.controls().zoomIn);
    while (state->BrowseStretch > 1)
        browser.ZoomOut();
    // Back at one sample a column the zoom out goes on as before: 72
    // samples do not fill 95% of the chart.
    browser.ZoomOut();
    EXPECT_EQ(state->BrowseZoom, 1);
    EXPECT_FALSE(browser.controls().zoomOut);
}

TEST_F(RecordScaleTest, PagingKeepsItsShareOfTheChartWhenStretched)
{
    browse(2000, [](int, int i) { return float(i); });
    state->BrowseStretch = 10; // 60 samples shown
    // 500 / 10 samples older, then re-quantised by the scroll bar as at
    // any zoom: Near(50 x 450 / 1999) = 11, 11 x 1999 div 450 = 48.
    browser.PageOlder();
    EXPECT_EQ(state->BrowseOffset, 48);
    browser.PageNewer(); // 300 / 10 newer: 18, position 4, 4 x 1999 div 450
    EXPECT_EQ(state->BrowseOffset, 17);
    // The scroll bar may go back until 95% of the chart stays filled: at
    // S = 10 that is 58 samples, not 570.
    browser.ScrollMoved(440); // a = 1954, 45 samples left: refused
    EXPECT_EQ(state->BrowseOffset, 17);
    browser.ScrollMoved(430); // a = 1910, 89 samples left
    EXPECT_EQ(state->BrowseOffset, 1910);
}

TEST_F(RecordScaleTest, TrackBarEndsAStretchAndARecordingStartsWithout)
{
    browse(100000, [](int, int i) { return float(i); });
    state->BrowseStretch = 5;
    browser.TrackMoved(148); // zoom 3
    EXPECT_EQ(state->BrowseZoom, 3);
    EXPECT_EQ(state->BrowseStretch, 1);
    state->RecStretch = 4;
    browser.RecordingStarted();
    EXPECT_EQ(state->RecStretch, 1);
}

} // namespace
