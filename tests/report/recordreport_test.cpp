// The record report's printout and preview, drawn on a recording canvas.
#include "recordreport.h"

#include "pageframe.h"
#include "qtprinters.h"
#include "recordchart.h"
#include "recordfile.h"
#include "recordingcanvas.h"
#include "recordreportgeometry.h"
#include "recordstate.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace {

// A4 landscape at 1200 dpi.
const PageFrame kFrame = PageFrame::ForPage(14031, 9921);

class RecordPrintTest : public ::testing::Test {
protected:
    RecordPrintTest()
    {
        source.record = record.get();
        source.captions = {"電壓 ", "電流  ", "功率  ", "功率因數", "頻率", "相位"};
        source.status = {"採樣步長：1S", "開始：a", "結束：b", "長度：350"};
    }

    // A file in the browsing view with `last` + 1 samples; channel c of
    // sample i holds i, so a printed y tells the sample index.
    void browse(int last, int zoom = 1, int offset = 0)
    {
        record->FileReady = true;
        record->ViewMode = 1;
        record->BrowseLast = last;
        record->BrowseZoom = zoom;
        record->BrowseOffset = offset;
        for (int i = 0; i <= last; ++i)
            for (int c = 0; c < 6; ++c)
                record->BrowseBuffers.channel(c)[i] = float(i);
    }

    void print()
    {
        canvas.clear();
        printed = DrawRecordPrintBody(canvas, source, kFrame);
    }

    std::vector<CanvasCall> texts() const { return canvas.callsOf(CanvasOp::TextOut); }
    const CanvasCall* text(const QString& t) const
    {
        for (const CanvasCall& call : canvas.calls())
            if (call.op == CanvasOp::TextOut && call.text == t)
                return &call;
        return nullptr;
    }
    // The trace pieces of channel c: 10 pixels wide in its colour.
    std::vector<CanvasSegment> trace(int c) const
    {
        std::vector<CanvasSegment> pieces;
        for (const CanvasSegment& s : canvas.segments())
            if (s.pen.width == 10 && s.pen.color == kRecordChannelColors[c])
                pieces.push_back(s);
        return pieces;
    }
    std::vector<CanvasCall> polygons() const { return canvas.callsOf(CanvasOp::Polygon); }

    std::unique_ptr<RecordState> record = std::make_unique<RecordState>();
    RecordReportSource source;
    RecordingCanvas canvas{1200};
    RecordPrintGeometry g = RecordPrintGeometryFor(kFrame);
    RecordOverflow printed; // of the last print()
};

TEST(RecordPrintGeometryTest, A4LandscapeAt1200Dpi)
{
    const RecordPrintGeometry g = RecordPrintGeometryFor(kFrame);
    EXPECT_EQ(kFrame.T, 381);
    EXPECT_EQ(g.Yt, 838);               // Round(838.2)
    EXPECT_EQ(g.Hc, 9921 - 762 - 2976); // Round(2976.3)
    EXPECT_EQ(g.Yb, g.Yt + g.Hc);
    EXPECT_DOUBLE_EQ(g.ys, (9921 - 762 - 2976.3) / 500);
    EXPECT_EQ(g.plotRight, kFrame.R - 700);
    EXPECT_EQ(g.maxPoints, (kFrame.R - kFrame.L - 700) / 10);
    EXPECT_EQ(g.gridColumns, (kFrame.R - kFrame.L - 700) / 200 + 1);

    // A frame narrower than the ruler leaves no plot, no grid column, no point.
    const RecordPrintGeometry narrow = RecordPrintGeometryFor(PageFrame::ForPage(700, 1000));
    EXPECT_EQ(narrow.gridColumns, 0);
    EXPECT_LT(narrow.maxPoints, 1);
}

TEST_F(RecordPrintTest, GridRulerAndLabelsByRange)
{
    const struct {
        int range;
        const char* top;
        const char* middle;
        const char* bottom;
    } cases[] = {{0, "100%", "50%", "0%"}, {1, "100%", "0%", "-100%"}, {2, "-0%", "-50%", "-100%"}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.range);
        record->RangeMode = k.range;
        print();
        std::vector<CanvasCall> labels;
        for (const CanvasCall& t : texts())
            if (t.points[0].x() == kFrame.R - 450)
                labels.push_back(t);
        ASSERT_EQ(labels.size(), 11u);
        EXPECT_EQ(labels[0].text, k.top);
        EXPECT_EQ(labels[5].text, k.middle);
        EXPECT_EQ(labels[10].text, k.bottom);
        EXPECT_EQ(labels[0].points[0].y(), g.Yt - 60);
        EXPECT_EQ(labels[5].points[0].y(), RoundToInt(g.Hc * 0.5) + g.Yt - 60);
        EXPECT_EQ(labels[10].state.font.points, 8);
        EXPECT_EQ(labels[10].state.font.color, kReportGray);
    }

    const CanvasPen grid{QColor(221, 221, 221), 1, PenStyle::Dot};
    int rows = 0, columns = 0, longTicks = 0, shortTicks = 0;
    for (const CanvasSegment& s : canvas.segments()) {
        if (s.pen == grid && s.from.y() == s.to.y()) {
            ++rows;
            EXPECT_EQ(s.from.x(), kFrame.L);
            EXPECT_EQ(s.to.x(), kFrame.R - 700);
        } else if (s.pen == grid) {
            EXPECT_EQ(s.from.y(), g.Yt);
            EXPECT_EQ(s.to.y(), g.Yb);
            EXPECT_EQ((s.from.x() - kFrame.L) % 200, 0);
            ++columns;
        } else if (s.pen == CanvasPen{Qt::black, 3, PenStyle::Solid}) {
            EXPECT_EQ(s.to.x(), kFrame.R - 500);
            (s.from.x() == kFrame.R - 700 ? longTicks : shortTicks)++;
        }
    }
    EXPECT_EQ(rows, 11);
    EXPECT_EQ(columns, g.gridColumns);
    EXPECT_EQ(longTicks, 11);
    EXPECT_EQ(shortTicks, 40);
    const std::vector<CanvasSegment> lines = canvas.segments();
    const auto axis = std::find_if(lines.begin(), lines.end(),
                                   [](const CanvasSegment& s) { return s.pen.width == 6; });
    ASSERT_NE(axis, lines.end());
    EXPECT_EQ(axis->from, QPoint(kFrame.R - 500, g.Yt));
    EXPECT_EQ(axis->to, QPoint(kFrame.R - 500, g.Yb));
}

TEST_F(RecordPrintTest, PointCountAndSampleIndicesInBothViews)
{
    const struct {
        const char* name;
        int view, count, zoom, offset;
        int points, firstIndex;
    } cases[] = {
        {"ten samples", 0, 10, 1, 0, 9, 9},           // samples 9 down to 1
        {"zoom and offset", 0, 100, 3, 10, 29, 89},   // (99 - 10) div 3
        {"browse", 1, 40, 2, 5, 17, 39 - 5},          // BrowseLast 39
        {"page full", 1, 449999, 1, 0, 1177, 449999}, // (R - L - 700) div 10
        {"offset past the data", 0, 3, 1, 5, 0, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        browse(std::max(k.count - 1, 0));
        record->ViewMode = k.view;
        record->CaptureCount = k.count;
        record->RecZoom = record->BrowseZoom = k.zoom;
        record->RecOffset = record->BrowseOffset = k.offset;
        if (k.view == 0)
            for (int i = 0; i < k.count; ++i)
                record->CaptureBuffers.channel(0)[i] = float(i) / 100; // stays on the chart
        else
            for (int i = 0; i < k.count; ++i)
                record->BrowseBuffers.channel(0)[i] = float(i) / 1000;
        print();
        const std::vector<CanvasSegment> pieces = trace(0);
        if (k.points <= 1) {
            EXPECT_TRUE(pieces.empty());
            continue;
        }
        ASSERT_EQ(int(pieces.size()), k.points - 1);
        const double divisor = k.view == 0 ? 100 : 1000;
        for (int j = 0; j + 1 < k.points; j += std::max(1, k.points / 7)) {
            const int idx = k.firstIndex - j * k.zoom;
            EXPECT_EQ(pieces[j].from, QPoint(kFrame.L + 10 * j,
                                             g.Yb - RoundToInt(float(idx) / float(divisor) * g.ys)))
                << "point " << j;
        }
    }
}

// Stretched to three pixels a sample, the page prints samples 30 pixels
// apart, its grid a division of ten samples (300 pixels) apart and says so.
TEST_F(RecordPrintTest, StretchedViewPrintsItsSamplesGridAndDivision)
{
    browse(449);
    record->BrowseStretch = 3;
    print();
    const std::vector<CanvasSegment> pieces = trace(0);
    const int points = std::min(449, (g.maxPoints - 1) / 3 + 1);
    ASSERT_EQ(int(pieces.size()), points - 1);
    EXPECT_EQ(pieces[0].from, QPoint(kFrame.L, g.Yb - RoundToInt(449.0F * float(g.ys))));
    EXPECT_EQ(pieces[1].from.x(), kFrame.L + 30);
    EXPECT_LE(pieces.back().to.x(), g.plotRight);

    std::vector<int> gridXs;
    for (const CanvasSegment& s : canvas.segments())
        if (s.pen.style == PenStyle::Dot && s.from.x() == s.to.x())
            gridXs.push_back(s.from.x());
    ASSERT_EQ(int(gridXs.size()), (g.plotRight - g.plotLeft) / 300 + 1);
    for (std::size_t j = 0; j < gridXs.size(); ++j)
        EXPECT_EQ(gridXs[j], kFrame.L + 300 * int(j));
    EXPECT_NE(text("Time/DIV=10S"), nullptr);
}

TEST_F(RecordPrintTest, TracesFollowTheRangeAndScale)
{
    browse(3);
    record->ScaleValue[0] = 2.5f;
    const int v = RoundToInt(7.5 * g.ys); // sample 3, the newest, at the left edge
    const int expected[] = {g.Yb - v, (g.Hc / 2) - RoundToInt(v / 2.0) + g.Yt, g.Yt + v};
    for (int range = 0; range < 3; ++range) {
        record->RangeMode = range;
        if (range == 2) // negative values go down from the top line
            for (int i = 0; i <= 3; ++i)
                record->BrowseBuffers.channel(0)[i] = -float(i);
        print();
        ASSERT_FALSE(trace(0).empty()) << range;
        EXPECT_EQ(trace(0)[0].from, QPoint(kFrame.L, expected[range])) << range;
    }
    EXPECT_TRUE(printed.overTop[1]); // range 2: a positive value lies above the chart
}

struct EdgeCase {
    const char* name;
    std::vector<int> ys;
    std::vector<TraceStep> steps;
};

TEST(PrintedTraceStepsTest, EdgeRule)
{
    constexpr int L = 100, top = 50, bottom = 150;
    const EdgeCase cases[] = {
        {"inside", {60, 70}, {{{L, 60}, false}, {{L, 60}, true}, {{L + 10, 70}, true}}},
        {"leaves and returns through the top",
         {60, 10, 20, 30, 70},
         {{{L, 60}, false},
          {{L, 60}, true},
          {{L + 10, top}, true},
          {{L + 20, top}, false},
          {{L + 30, top}, false},
          {{L + 40, 70}, true}}},
        {"leaves and returns through the bottom",
         {60, 200, 190, 70},
         {{{L, 60}, false},
          {{L, 60}, true},
          {{L + 10, bottom}, true},
          {{L + 20, bottom}, false},
          {{L + 30, 70}, true}}},
        {"jumps from beyond the top to beyond the bottom",
         {60, 10, 200, 5},
         {{{L, 60}, false},
          {{L, 60}, true},
          {{L + 10, top}, true},
          {{L + 20, bottom}, true},
          {{L + 30, top}, true}}},
        {"first point outside is not brought to the edge",
         {10, 70},
         {{{L, 10}, false}, {{L, 10}, false}, {{L + 10, 70}, true}}},
        {"first point below, second above",
         {300, 10},
         {{{L, 300}, false}, {{L, 300}, false}, {{L + 10, top}, true}}},
        {"on the edges counts as inside",
         {50, 150},
         {{{L, 50}, false}, {{L, 50}, true}, {{L + 10, 150}, true}}},
        {"no point", {}, {}},
    };
    for (const EdgeCase& k : cases) {
        SCOPED_TRACE(k.name);
        const std::vector<TraceStep> steps = PrintedTraceSteps(k.ys, L, top, bottom);
        ASSERT_EQ(steps.size(), k.steps.size());
        for (std::size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(steps[i].to, k.steps[i].to) << "step " << i;
            EXPECT_EQ(steps[i].line, k.steps[i].line) << "step " << i;
        }
    }
}

TEST_F(RecordPrintTest, LeavingThroughTheTopDrawsToTheEdgeOnlyAndSetsTheMark)
{
    browse(5);
    // Newest first: sample 5 at the left. Samples 3 and 2 lie above the top.
    float* values = record->BrowseBuffers.channel(0);
    values[5] = 100;
    values[4] = 200;
    values[3] = 900;
    values[2] = 800;
    values[1] = 300;
    print();
    const std::vector<CanvasSegment> pieces = trace(0);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[1].to, QPoint(kFrame.L + 20, g.Yt));   // up to the edge
    EXPECT_EQ(pieces[2].from, QPoint(kFrame.L + 30, g.Yt)); // back from the edge
    EXPECT_EQ(pieces[2].to.y(), g.Yb - RoundToInt(300 * g.ys));
    EXPECT_TRUE(printed.overTop[0]);
    EXPECT_FALSE(printed.belowBottom[0]);
}

TEST_F(RecordPrintTest, HiddenChannelPrintsItsMarksInThePensColour)
{
    browse(4);
    record->BrowseBuffers.channel(2)[2] = 1000;  // channel 3 above the top
    record->BrowseBuffers.channel(5)[3] = -1000; // channel 6 below the bottom
    record->ChannelVisible[2] = false;
    record->ChannelVisible[5] = false;
    print();
    EXPECT_TRUE(trace(2).empty());
    EXPECT_TRUE(printed.overTop[2]);
    EXPECT_TRUE(printed.belowBottom[5]);
    EXPECT_FALSE(printed.overTop[4]);

    std::vector<CanvasCall> marks = polygons();
    ASSERT_EQ(marks.size(), 4u); // two marks, then the note's two triangles
    const int R = kFrame.R;
    const int yo = RoundToInt(2.1 * kFrame.T);
    EXPECT_EQ(marks[0].points,
              (std::vector<QPoint>{{R - 920, yo}, {R - 820, yo}, {R - 870, yo - 50}}));
    EXPECT_EQ(marks[0].state.brush, CanvasBrush::Solid(kRecordChannelColors[2]));
    // Outlined in the colour the pen had: channel 2's trace.
    EXPECT_EQ(marks[0].state.pen, (CanvasPen{kRecordChannelColors[1], 1, PenStyle::Solid}));
    const int yu = g.Hc + RoundToInt(2.3 * kFrame.T);
    EXPECT_EQ(marks[1].points,
              (std::vector<QPoint>{{R - 620, yu}, {R - 520, yu}, {R - 570, yu + 50}}));
    EXPECT_EQ(marks[1].state.pen.color, kRecordChannelColors[4]);

    // The legend's underline keeps the last mark's 1-pixel pen, in black.
    const CanvasSegment underline = [&] {
        for (const CanvasSegment& s : canvas.segments())
            if (s.from == QPoint(kFrame.L + 50, g.Hc + RoundToInt(4.4 * kFrame.T)))
                return s;
        return CanvasSegment{};
    }();
    EXPECT_EQ(underline.to, QPoint(kFrame.L + 880, g.Hc + RoundToInt(4.4 * kFrame.T)));
    EXPECT_EQ(underline.pen, (CanvasPen{Qt::black, 1, PenStyle::Solid}));
}

TEST_F(RecordPrintTest, NoFileReadyPrintsNoTracesNorMarks)
{
    record->BrowseBuffers.channel(0)[1] = 1e6f;
    print();
    for (int c = 0; c < 6; ++c)
        EXPECT_TRUE(trace(c).empty());
    EXPECT_EQ(polygons().size(), 2u); // the note's triangles only
    EXPECT_FALSE(printed.overTop[0]); // no point printed, none beyond the chart
    ASSERT_TRUE(text("Note:"));
    ASSERT_TRUE(text("Time/DIV=20S"));
    const CanvasCall* status = text("長度：350点");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->points[0], QPoint(kFrame.L + 5500, g.Hc + 5 * kFrame.T));
    const std::vector<CanvasSegment> lines = canvas.segments();
    const auto underline = std::find_if(lines.begin(), lines.end(), [&](const CanvasSegment& s) {
        return s.from == QPoint(kFrame.L + 50, g.Hc + RoundToInt(4.4 * kFrame.T));
    });
    ASSERT_NE(underline, lines.end());
    EXPECT_EQ(underline->pen.width, 6); // the ruler axis's pen
}

TEST_F(RecordPrintTest, NanInfiniteAndHugeSamplesStayOnTheSheet)
{
    browse(5);
    float* values = record->BrowseBuffers.channel(0);
    values[5] = std::numeric_limits<float>::quiet_NaN();
    values[4] = std::numeric_limits<float>::infinity();
    values[3] = 100;
    values[2] = -3e38f;
    values[1] = 3e38f;
    record->ScaleValue[0] = 10000;
    print();
    EXPECT_TRUE(printed.overTop[0]);
    EXPECT_TRUE(printed.belowBottom[0]);
    for (const CanvasSegment& s : trace(0)) {
        EXPECT_GE(s.from.y(), g.Yt - 1);
        EXPECT_LE(s.to.y(), g.Yb + 1);
    }
    EXPECT_EQ(trace(0)[0].from, QPoint(kFrame.L, g.Yb)); // NaN counts as 0

    // A first point beyond the sheet starts just past the chart's edge.
    EXPECT_EQ(PrintedSampleY(std::numeric_limits<float>::infinity(), 1, 0, g, kFrame.PH), g.Yt - 1);
    EXPECT_EQ(PrintedSampleY(-1e30f, 1, 0, g, kFrame.PH), g.Yb + 1);
    EXPECT_EQ(PrintedSampleY(1e30f, 1, 2, g, kFrame.PH), g.Yt - 1);
    // Beyond the chart but on the sheet: the point keeps its place.
    EXPECT_EQ(PrintedSampleY(520, 1, 0, g, kFrame.PH), g.Yb - RoundToInt(520 * g.ys));
}

TEST_F(RecordPrintTest, CaptionsLegendStatusAndNote)
{
    browse(10, 4);
    record->ScaleValue[0] = 0.05f;
    record->ScaleValue[1] = 10000;
    print();
    const int captionY = g.Hc + RoundToInt(2.3 * kFrame.T);
    const CanvasCall* time = text("Time/DIV=80S");
    ASSERT_TRUE(time);
    EXPECT_EQ(time->points[0], QPoint(kFrame.L + 50, captionY));
    EXPECT_EQ(time->state.font, (CanvasFont{kReportArialFace, 8, QColor(0, 128, 128), false}));
    const struct {
        const char* text;
        int c;
    } captions[] = {{"CH1/DIV=1000", 0}, {"CH2/DIV=0.005", 1}, {"CH6/DIV=50", 5}};
    for (const auto& k : captions) {
        const CanvasCall* call = text(k.text);
        ASSERT_TRUE(call) << k.text;
        EXPECT_EQ(call->points[0], QPoint(kFrame.L + 1000 * (k.c + 1), captionY));
        EXPECT_EQ(call->state.font.color, kRecordChannelColors[k.c]);
    }
    // The range of both signs shows what the record chart's caption shows.
    record->RangeMode = 1;
    print();
    EXPECT_TRUE(text(ChannelDivisionCaption(2, 1, 1.0f)));

    const int legendY = g.Hc + 4 * kFrame.T;
    ASSERT_TRUE(text("通道信號說明:"));
    EXPECT_EQ(text("通道信號說明:")->points[0], QPoint(kFrame.L + 50, legendY));
    EXPECT_EQ(text("通道信號說明:")->state.font.color, QColor(Qt::black));
    const CanvasCall* ch4 = text("CH4: 功率因數");
    ASSERT_TRUE(ch4);
    EXPECT_EQ(ch4->points[0], QPoint(kFrame.L + 1000 + 3300, legendY));
    EXPECT_EQ(ch4->state.font.color, kRecordChannelColors[3]);

    const int statusY = g.Hc + 5 * kFrame.T;
    const struct {
        const char* text;
        int x;
    } status[] = {
        {"採樣步長：1S", 50}, {"開始：a", 1500}, {"結束：b", 3500}, {"長度：350点", 5500}};
    for (const auto& k : status) {
        ASSERT_TRUE(text(k.text)) << k.text;
        EXPECT_EQ(text(k.text)->points[0], QPoint(kFrame.L + k.x, statusY));
        EXPECT_EQ(text(k.text)->state.font.color, kReportGray);
    }
    // Channel 2's mark (its values at multiplier 10000), then the note's two.
    std::vector<CanvasCall> triangles = polygons();
    ASSERT_EQ(triangles.size(), 3u);
    triangles.erase(triangles.begin());
    const int L = kFrame.L;
    const int yn = g.Hc + RoundToInt(6.2 * kFrame.T);
    const int yd = g.Hc + RoundToInt(6.2 * kFrame.T - 50);
    EXPECT_EQ(triangles[0].points,
              (std::vector<QPoint>{{L + 500, yn}, {L + 600, yn}, {L + 550, yn - 50}}));
    EXPECT_EQ(triangles[1].points,
              (std::vector<QPoint>{{L + 700, yd}, {L + 800, yd}, {L + 750, yd + 50}}));
    EXPECT_EQ(triangles[1].state.brush, CanvasBrush::Solid(kReportGray));
    EXPECT_EQ(texts().back().points[0], QPoint(L + 900, g.Hc + 6 * kFrame.T));
    EXPECT_TRUE(texts().back().text.startsWith("圖標分別為正溢出和負溢出標誌，"));
    // The footer follows in black "Arial".
    EXPECT_EQ(canvas.State().font.face, kReportArialFace);
}

TEST(RecordPreviewTest, PictureSourceDestinationLegendAndStatus)
{
    auto record = std::make_unique<RecordState>();
    RecordReportSource source;
    source.record = record.get();
    source.chartSize = QSize(690, 300);
    source.chartPicture = QImage(740, 300, QImage::Format_RGB32);
    source.captions = {"電壓 ", "b", "c", "d", "e", "f"};
    source.status = {"採樣步長：1S", "開始：", "結束：", "長度：350"};
    RecordingCanvas canvas(96);
    DrawRecordPreviewBody(canvas, source, 708, 500);

    // u = 2.3, f = Round(608 / 2.3) = 264.
    const std::vector<CanvasCall> copies = canvas.callsOf(CanvasOp::CopyImage);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].source, (CanvasRect{0, 12, 740, 300}));
    EXPECT_EQ(copies[0].rect, (CanvasRect{50, 75, 658, 339}));
    const std::vector<CanvasCall> texts = canvas.callsOf(CanvasOp::TextOut);
    ASSERT_EQ(texts.size(), 11u);
    EXPECT_EQ(texts[0].text, "通道信號說明：");
    EXPECT_EQ(texts[0].points[0], QPoint(50, 344));
    EXPECT_EQ(texts[0].state.font.points, 10);
    const std::vector<CanvasSegment> lines = canvas.segments();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].from, QPoint(50, 367));
    EXPECT_EQ(lines[0].to, QPoint(128, 367));
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(texts[1 + c].points[0], QPoint(135 + 90 * c, 354));
        EXPECT_EQ(texts[1 + c].state.font.color, kRecordChannelColors[c]);
        EXPECT_EQ(texts[1 + c].state.font.points, 8);
    }
    EXPECT_EQ(texts[1].text, "CH1: 電壓 ");
    const int xs[] = {50, 200, 350, 500};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(texts[7 + k].points[0], QPoint(xs[k], 379));
    EXPECT_EQ(texts[10].text, "長度：350点");
}

TEST(RecordPreviewTest, TallChartIsLimitedAboveTheFooterAndAnEmptyOneHasNoPicture)
{
    // At the designed shape the limit leaves the picture alone.
    EXPECT_EQ(PlaceRecordPreviewPicture({690, 300}, 708, 500, 16).height, 264);
    // u = 0.5 would give f = 1216: limited to 400 - 115 - 11 = 274, half as wide.
    const RecordPreviewPicture tall = PlaceRecordPreviewPicture({300, 600}, 708, 500, 11);
    EXPECT_EQ(tall.height, 274);
    EXPECT_EQ(tall.destination, (CanvasRect{50, 75, 50 + 137, 75 + 274}));
    EXPECT_EQ(tall.source, (CanvasRect{0, 12, 350, 600}));

    for (QSize empty : {QSize(0, 0), QSize(690, 0), QSize(0, 300)}) {
        const RecordPreviewPicture none = PlaceRecordPreviewPicture(empty, 708, 500, 11);
        EXPECT_TRUE(none.empty);
        EXPECT_EQ(none.height, 0);
    }
    RecordReportSource source;
    RecordingCanvas canvas(96);
    DrawRecordPreviewBody(canvas, source, 708, 500);
    EXPECT_TRUE(canvas.callsOf(CanvasOp::CopyImage).empty());
    EXPECT_EQ(canvas.callsOf(CanvasOp::TextOut)[0].points[0], QPoint(50, 80));
}

// A record file whose count field is INT32_MIN (bytes 00 00 00 80), as
// opened for browsing, then drawn as the record window's chart and as the
// record report: an empty recording, nothing read outside the buffers. A
// state that claims more samples than the buffers hold is drawn within them.
TEST_F(RecordPrintTest, CraftedCountFieldsAreDrawnWithinTheBuffers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("crafted.zqr"));
    {
        auto block = std::make_unique<RecordBlock>();
        std::memset(block.get(), 0, sizeof *block);
        block->Values[0].fill(1.0f);
        block->Count = INT32_MIN;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(reinterpret_cast<const char*>(block.get()), sizeof *block),
                  qint64(sizeof *block));
    }
    OpenedRecordFile opened;
    ASSERT_TRUE(OpenRecordFile(path, record->BrowseBuffers, opened).ok());
    EXPECT_EQ(opened.last, -1);

    record->FileReady = true;
    record->ViewMode = 1;
    record->BrowseLast = opened.last;
    RecordingCanvas chart, ruler;
    const RecordChartFacts facts = DrawRecordChart(*record, chart, ruler, kRecordChartDesignedWidth,
                                                   kRecordChartDesignedHeight, ChartColors{});
    EXPECT_EQ(facts.points, 0);
    print();
    EXPECT_TRUE(trace(0).empty());

    // Claims past the buffers: drawn as far as the buffers and the page go.
    for (const std::int32_t claimed : {INT32_MAX, kMaxSamples, INT32_MIN}) {
        SCOPED_TRACE(claimed);
        record->BrowseLast = claimed;
        record->BrowseOffset = claimed < 0 ? INT32_MIN : 0;
        chart.clear();
        const RecordChartFacts drawn =
            DrawRecordChart(*record, chart, ruler, kRecordChartDesignedWidth,
                            kRecordChartDesignedHeight, ChartColors{});
        EXPECT_EQ(drawn.points, claimed < 0 ? 0 : kRecordChartDesignedWidth);
        print();
        EXPECT_EQ(trace(0).empty(), claimed < 0);
    }
}

} // namespace
