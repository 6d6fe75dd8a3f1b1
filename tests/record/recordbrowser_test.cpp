// The browsing commands on the record state: zoom, paging, the scroll and
// track bars with their position setters, scales, visibility, ranges, the
// view switch and the read-out index.
#include "recordbrowser.h"
#include "recordchart.h"
#include "recordstate.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

namespace {

class RecordBrowserTest : public ::testing::Test {
protected:
    RecordBrowserTest() { browser.setChartWidth(600); }

    void recording(int count)
    {
        state->FileReady = true;
        state->CaptureCount = count;
    }

    std::unique_ptr<RecordState> state = std::make_unique<RecordState>();
    int redraws = 0;
    int redrawTimerStarts = 0;
    std::vector<int> gridPeriods;
    RecordBrowser browser{*state,
                          BrowseHooks{[this] { ++redraws; }, [this] { ++redrawTimerStarts; },
                                      [this](int ms) { gridPeriods.push_back(ms); }}};
};

TEST_F(RecordBrowserTest, ZoomLimitsDisableTheirCommandsUntilTheOppositeOne)
{
    recording(100);
    browser.ZoomOut(); // 100 div 1 is not above 570
    EXPECT_EQ(state->RecZoom, 1);
    EXPECT_FALSE(browser.controls().zoomOut);
    EXPECT_TRUE(browser.controls().zoomIn);
    browser.ZoomIn();
    EXPECT_EQ(state->RecZoom, 1);
    EXPECT_FALSE(browser.controls().zoomIn);
    EXPECT_TRUE(browser.controls().zoomOut);
    EXPECT_EQ(redraws, 2);
    EXPECT_EQ(gridPeriods, (std::vector<int>{1000, 1000}));
}

TEST_F(RecordBrowserTest, ZoomOutStepsTheTrackBarAndTheGridPeriod)
{
    recording(10000);
    browser.ZoomOut();
    browser.ZoomOut();
    EXPECT_EQ(state->RecZoom, 3);
    EXPECT_EQ(browser.controls().trackPosition, 148);
    EXPECT_EQ(gridPeriods.back(), 3000);
    browser.ZoomIn();
    EXPECT_EQ(state->RecZoom, 2);
    EXPECT_EQ(browser.controls().trackPosition, 149);
    EXPECT_EQ(gridPeriods.back(), 2000);
}

TEST_F(RecordBrowserTest, ZoomInTheBrowsingViewLeavesTheGridPeriod)
{
    state->FileReady = true;
    state->ViewMode = 1;
    state->BrowseLast = 10000;
    state->BrowseZoom = 5;
    browser.ZoomIn();
    EXPECT_EQ(state->BrowseZoom, 4);
    // Only the track bar's change handling sets it, in either view.
    EXPECT_EQ(gridPeriods, (std::vector<int>{4000}));
    EXPECT_EQ(state->RecZoom, 1);
}

TEST_F(RecordBrowserTest, PagingOlderWithTwelveHundredSamples)
{
    recording(1200);
    browser.PageOlder();
    EXPECT_EQ(browser.controls().scrollPosition, 188); // Near(500 * 450 / 1200)
    EXPECT_EQ(state->RecOffset, 501);                  // 188 * 1200 div 450, 570 < 699
    EXPECT_EQ(redrawTimerStarts, 1);
    EXPECT_TRUE(browser.controls().older);
    browser.PageOlder(); // 1001 is not below 699
    EXPECT_EQ(state->RecOffset, 501);
    EXPECT_FALSE(browser.controls().older);
    browser.PageNewer();
    EXPECT_TRUE(browser.controls().older);
}

TEST_F(RecordBrowserTest, PagingOlderInTheBrowsingViewComparesWithBrowseLast)
{
    state->FileReady = true;
    state->ViewMode = 1;
    state->BrowseLast = 1200;
    state->BrowseOffset = 600;
    browser.PageOlder(); // 1100 < 1200, where the recording view would refuse
    EXPECT_EQ(state->BrowseOffset, 1100);
    // Near(412.5) = 412; the scroll bar's 1098 would leave 102 samples: kept.
    EXPECT_EQ(browser.controls().scrollPosition, 412);
    EXPECT_TRUE(browser.controls().older);
}

TEST_F(RecordBrowserTest, PagingNewer)
{
    recording(1000);
    state->RecOffset = 200;
    browser.PageNewer();
    EXPECT_EQ(state->RecOffset, 0);
    EXPECT_TRUE(browser.controls().newer);
    browser.PageNewer();
    EXPECT_FALSE(browser.controls().newer);
    EXPECT_EQ(state->RecOffset, 0);
}

TEST_F(RecordBrowserTest, ScrollBarHasNoEffectOnThreeHundredSamples)
{
    recording(300);
    browser.ScrollMoved(200);
    EXPECT_EQ(state->RecOffset, 0);
    EXPECT_EQ(redrawTimerStarts, 0);
}

TEST_F(RecordBrowserTest, ScrollBarKeepsNinetyFivePercentOfTheWidthFilled)
{
    recording(2000);
    browser.ScrollMoved(225); // a = 1000, 570 < 1000
    EXPECT_EQ(state->RecOffset, 1000);
    browser.ScrollMoved(440); // a = 1955, 570 is not below 45
    EXPECT_EQ(state->RecOffset, 1000);
    EXPECT_EQ(redrawTimerStarts, 1);
}

TEST_F(RecordBrowserTest, PositionSetterRunsTheHandlingWhenTheRequestDiffers)
{
    recording(100000);
    // 200 differs from 150 and is clamped back to 150: the handling runs.
    browser.SetTrackPosition(200);
    EXPECT_EQ(browser.controls().trackPosition, 150);
    EXPECT_EQ(redrawTimerStarts, 1);
    EXPECT_EQ(gridPeriods, (std::vector<int>{1000}));
    // The position it already has: nothing.
    browser.SetTrackPosition(150);
    EXPECT_EQ(redrawTimerStarts, 1);

    browser.SetScrollPosition(-5);
    EXPECT_EQ(browser.controls().scrollPosition, 0);
    EXPECT_EQ(redrawTimerStarts, 2);
}

TEST_F(RecordBrowserTest, TrackBarRefusesAZoomThatFillsLessThanHalfTheChart)
{
    recording(30000);
    browser.TrackMoved(100); // Z' = 51: 588 > 300
    EXPECT_EQ(state->RecZoom, 51);
    browser.TrackMoved(0); // Z' = 151: 198 is not above 300
    EXPECT_EQ(state->RecZoom, 51);
    EXPECT_EQ(redrawTimerStarts, 2);
    EXPECT_EQ(gridPeriods, (std::vector<int>{51000}));
}

TEST_F(RecordBrowserTest, ScaleStepsFromTheStartValue)
{
    browser.ScaleUp(0);
    EXPECT_EQ(state->ScaleValue[0], 1.0f);
    EXPECT_EQ(ChannelDivisionCaption(0, 0, state->ScaleValue[0]), "CH1/DIV=50");
    browser.ScaleUp(0);
    EXPECT_EQ(state->ScaleValue[0], 2.5f);
    EXPECT_EQ(ChannelDivisionCaption(0, 0, state->ScaleValue[0]), "CH1/DIV=20");

    auto fresh = std::make_unique<RecordState>();
    RecordBrowser other(*fresh, BrowseHooks{[] {}, [] {}, [](int) {}});
    other.ScaleDown(1);
    EXPECT_EQ(fresh->ScaleValue[1], 0.25f);
    for (int i = 0; i < 3; ++i)
        other.ScaleDown(1);
    EXPECT_EQ(fresh->ScaleIndex[1], 0);
    EXPECT_FALSE(other.controls().scaleDown[1]);
    for (int i = 0; i < 16; ++i)
        other.ScaleUp(1);
    EXPECT_EQ(fresh->ScaleValue[1], 10000.0f);
    EXPECT_FALSE(other.controls().scaleUp[1]);
    EXPECT_TRUE(other.controls().scaleDown[1]);
}

TEST_F(RecordBrowserTest, HidingAChannelDisablesItsScalesAndShowingKeepsTheLimits)
{
    browser.ToggleChannel(2);
    EXPECT_FALSE(state->ChannelVisible[2]);
    EXPECT_FALSE(browser.controls().scaleUp[2]);
    EXPECT_FALSE(browser.controls().scaleDown[2]);
    state->ScaleIndex[2] = 0;
    browser.ToggleChannel(2);
    EXPECT_TRUE(state->ChannelVisible[2]);
    EXPECT_TRUE(browser.controls().scaleUp[2]);
    EXPECT_FALSE(browser.controls().scaleDown[2]);
}

TEST_F(RecordBrowserTest, ThreeRangePressesReturnToPositiveValues)
{
    const char* panels[] = {"顯示範圍：正值和負值  ", "顯示範圍：負值     ", "顯示範圍：正值     "};
    for (const char* panel : panels) {
        browser.CycleRange();
        EXPECT_EQ(RangePanelText(state->RangeMode), QString::fromUtf8(panel));
    }
    EXPECT_EQ(state->RangeMode, 0);
    EXPECT_EQ(redraws, 3);
}

TEST_F(RecordBrowserTest, ReadoutIndexFollowsTheDrawnColumns)
{
    recording(100);
    state->RecZoom = 2;
    state->RecOffset = 3;
    const struct {
        int x;
        std::optional<int> idx;
    } cases[] = {
        {0, 96}, {1, 94}, {47, 2}, {48, std::nullopt}, {-1, std::nullopt}, {600, std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(browser.ReadoutIndex(c.x), c.idx) << c.x;

    state->ViewMode = 1;
    state->BrowseLast = 10;
    EXPECT_EQ(browser.ReadoutIndex(0), 10);
    EXPECT_EQ(browser.ReadoutIndex(9), 1);
    EXPECT_EQ(browser.ReadoutIndex(10), std::nullopt); // sample 0 gives none
}

// The columns of the cursors: every sample falls in the column whose
// read-out covers it, in both views and at any zoom and offset.
TEST_F(RecordBrowserTest, ColumnOfSampleIsTheInverseOfTheReadout)
{
    const struct {
        int viewMode;
        int zoom;
        int offset;
    } views[] = {{0, 1, 0}, {0, 3, 7}, {1, 1, 0}, {1, 4, 5}, {1, 151, 0}};
    recording(2000);
    state->BrowseLast = 1999;
    for (const auto& v : views) {
        state->ViewMode = v.viewMode;
        (v.viewMode == 0 ? state->RecZoom : state->BrowseZoom) = v.zoom;
        (v.viewMode == 0 ? state->RecOffset : state->BrowseOffset) = v.offset;
        for (int x = 0; x < 600; ++x) {
            const std::optional<int> idx = browser.ReadoutIndex(x);
            if (!idx)
                continue;
            EXPECT_EQ(browser.ColumnOfSample(*idx), x) << v.viewMode << " " << v.zoom << " " << x;
            // The samples between two read-outs belong to the same column.
            for (int k = 1; k<v.zoom&& * idx - k> 0; ++k)
                EXPECT_EQ(browser.ColumnOfSample(*idx - k), x) << v.zoom << " " << x;
        }
    }
    state->ViewMode = 1;
    state->BrowseZoom = 1;
    state->BrowseOffset = 100;
    EXPECT_EQ(browser.ColumnOfSample(1899), 0);
    EXPECT_EQ(browser.ColumnOfSample(1900), std::nullopt); // paged out, newer than the view
    EXPECT_EQ(browser.ColumnOfSample(1300), 599);
    EXPECT_EQ(browser.ColumnOfSample(1299), std::nullopt); // past the chart's width
    EXPECT_EQ(browser.ColumnOfSample(-1), std::nullopt);
}

TEST_F(RecordBrowserTest, BrowsingBeforeAnyFileGivesNoReadout)
{
    recording(50);
    browser.SwitchView();
    EXPECT_EQ(state->ViewMode, 1);
    EXPECT_EQ(browser.ReadoutIndex(0), std::nullopt);
    EXPECT_EQ(browser.controls().trackPosition, 150);
    browser.SwitchView();
    EXPECT_EQ(state->ViewMode, 0);
    EXPECT_EQ(browser.ReadoutIndex(0), 49);
}

TEST_F(RecordBrowserTest, ViewSwitchKeepsEachViewsZoomAndOffset)
{
    recording(100000);
    state->RecZoom = 10;
    state->RecOffset = 5000;
    state->BrowseLast = 90000;
    state->BrowseZoom = 20;
    browser.SwitchView();
    EXPECT_EQ(browser.controls().trackPosition, 131);
    EXPECT_EQ(state->BrowseZoom, 20);
    browser.SwitchView();
    EXPECT_EQ(browser.controls().trackPosition, 141);
    EXPECT_EQ(browser.controls().scrollPosition, 22); // Near(5000 * 450 / 100000)
    EXPECT_EQ(state->RecZoom, 10);
}

TEST_F(RecordBrowserTest, OpeningAShorterFileDropsAnOffsetPastItsData)
{
    state->BrowseZoom = 4;
    state->BrowseOffset = 2000;
    state->BrowseLast = 2003;
    browser.FileOpened(); // 3 div 4 = 0 points
    EXPECT_EQ(state->BrowseOffset, 0);
    EXPECT_EQ(state->BrowseZoom, 4);
    state->BrowseOffset = 1000;
    browser.FileOpened();
    EXPECT_EQ(state->BrowseOffset, 1000);
}

TEST(RecordReadout, ValuesToThreeDecimalsAndDamagedNumbers)
{
    EXPECT_EQ(ReadoutValueText(230.12345f), "值：230.123");
    EXPECT_EQ(ReadoutValueText(0.5f), "值：0.5");
    EXPECT_EQ(ReadoutValueText(-2.0f), "值：-2");
    EXPECT_EQ(ReadoutValueText(std::numeric_limits<float>::quiet_NaN()), "值：NaN");
    EXPECT_EQ(ReadoutValueText(std::numeric_limits<float>::infinity()), "值：INF");
    EXPECT_FALSE(ReadoutValueText(1e38f).isEmpty());
}

} // namespace
