#include "analysisreport.h"

#include "measurements.h"
#include "measurementtime.h"
#include "pageframe.h"
#include "paintercanvas.h"
#include "qtprinters.h"
#include "recordingcanvas.h"
#include "recordreport.h"
#include "reportinfo.h"
#include "reportpages.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

const QColor kGray(128, 128, 128);

// A text call found in a recording; a missing one reads as "<missing>" at
// (-1, -1), so a failed look-up fails its comparison instead of crashing.
struct FoundText {
    std::optional<CanvasCall> call;

    explicit operator bool() const { return call.has_value(); }
    const CanvasCall* operator->() const
    {
        static const CanvasCall missing = [] {
            CanvasCall c{};
            c.op = CanvasOp::TextOut;
            c.points = {QPoint(-1, -1)};
            c.text = QStringLiteral("<missing>");
            return c;
        }();
        return call ? &*call : &missing;
    }
};

// The text drawn at `at`, if any, with the state it was drawn in.
FoundText TextAt(const RecordingCanvas& canvas, QPoint at)
{
    for (const CanvasCall& c : canvas.callsOf(CanvasOp::TextOut))
        if (c.points.at(0) == at)
            return {c};
    return {};
}

FoundText Text(const RecordingCanvas& canvas, const QString& text)
{
    for (const CanvasCall& c : canvas.callsOf(CanvasOp::TextOut))
        if (c.text == text)
            return {c};
    return {};
}

bool HasSegment(const RecordingCanvas& canvas, QPoint from, QPoint to, int width)
{
    const auto segments = canvas.segments();
    return std::any_of(segments.begin(), segments.end(), [&](const CanvasSegment& s) {
        return s.from == from && s.to == to && s.pen.width == width;
    });
}

// A preview page as the window builds it: a fresh surface set to 20 points.
RecordingCanvas Preview(const MeasurementRecord& record, const ReportInfo& info = {})
{
    RecordingCanvas canvas(96);
    SetFontSize(canvas, 20);
    DrawPreviewPage(canvas, AnalysisReport(record, info), 708, 1001, info);
    return canvas;
}

RecordingCanvas Printed(const MeasurementRecord& record, bool landscape,
                        const ReportInfo& info = {})
{
    RecordingCanvas canvas(1200);
    const PageFrame frame =
        landscape ? PageFrame::ForPage(14031, 9921) : PageFrame::ForPage(9921, 14031);
    DrawPrintedPage(canvas, AnalysisReport(record, info), frame, landscape, info);
    return canvas;
}

TEST(AnalysisPreview, FrameAndInformationLines)
{
    ReportInfo info;
    info.temperature = QStringLiteral("25");
    info.units = QStringLiteral("1");
    const RecordingCanvas canvas = Preview(ZeroMeasurement(), info);

    const auto title = TextAt(canvas, {284, 30});
    ASSERT_TRUE(title);
    EXPECT_EQ(title->text, "電量分析報告");
    EXPECT_EQ(title->state.font.points, 20);
    EXPECT_EQ(title->state.font.color, kGray);
    const auto label = TextAt(canvas, {628, 45});
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text, "第1頁");
    EXPECT_EQ(label->state.font.points, 10);
    EXPECT_TRUE(HasSegment(canvas, {50, 70}, {658, 70}, 2));
    EXPECT_TRUE(HasSegment(canvas, {50, 901}, {658, 901}, 2));

    const struct {
        QPoint at;
        const char* text;
    } lines[] = {
        {{50, 911}, "項目："},     {{250, 911}, "測量企業："},
        {{520, 911}, "操作員："},  {{520, 931}, "環境溫度：25℃"},
        {{50, 931}, "測量日期："}, {{250, 931}, "測量儀器：Quorvane QPA3600"},
    };
    for (const auto& l : lines) {
        const auto call = TextAt(canvas, l.at);
        ASSERT_TRUE(call) << l.text;
        EXPECT_EQ(call->text, QString::fromUtf8(l.text));
        EXPECT_EQ(call->state.font.points, 10);
    }
    // The information lines come before the body.
    const auto& calls = canvas.calls();
    const auto index = [&](const QString& text) {
        return std::find_if(
                   calls.begin(), calls.end(),
                   [&](const CanvasCall& c) { return c.op == CanvasOp::TextOut && c.text == text; })
               - calls.begin();
    };
    EXPECT_LT(index(QStringLiteral("測量儀器：Quorvane QPA3600")),
              index(QStringLiteral("採樣數據")));
}

TEST(AnalysisPreview, BoxesCaptionsAndValueRows)
{
    const RecordingCanvas zero = Preview(ZeroMeasurement());
    std::vector<CanvasRect> boxes;
    for (const CanvasCall& c : zero.callsOf(CanvasOp::Rectangle))
        boxes.push_back(c.rect);
    EXPECT_EQ(
        boxes,
        (std::vector<CanvasRect>{
            {50, 80, 400, 227}, {50, 237, 400, 384}, {50, 394, 400, 541}, {50, 560, 660, 883}}));
    for (const auto& [at, text] :
         {std::pair{QPoint(58, 72), "採樣數據"}, std::pair{QPoint(58, 227), "電壓諧波分佈"},
          std::pair{QPoint(58, 385), "電流諧波分佈"}}) {
        const auto caption = TextAt(zero, at);
        ASSERT_TRUE(caption) << text;
        EXPECT_EQ(caption->text, QString::fromUtf8(text));
        EXPECT_EQ(caption->state.textBackground, TextBackground::Opaque);
        EXPECT_EQ(caption->state.brush.color, QColor(Qt::white));
    }
    EXPECT_EQ(TextAt(zero, {420, 90})->text, "電壓 trms： 0 V");
    EXPECT_EQ(TextAt(zero, {420, 90 + 32 * 10})->text, "電壓波形因數： 0 ");

    const RecordingCanvas real = Preview(RealisticMeasurement());
    const char* rows[] = {
        "電壓 trms： 220.13 V",    "峰值電壓： 311.5 V",   "頻率：50 Hz",
        "電流 trms： 5.123 A",     "峰值電流： 7.5 A",     "電流相位： 30.25 度",
        "功率： 976.5 W",          "功率因數： 0.866",     "視在功率：     1127.5 VA",
        "虛功率：     563.75 VAR", "電壓波形因數： 1.41 ", "電流波形因數： 1.46 ",
        "電壓THD： 5.1 %",         "電流THD： 12.3 %"};
    for (int n = 0; n < 14; ++n) {
        const auto row = TextAt(real, {420, 90 + 32 * n});
        ASSERT_TRUE(row) << n;
        EXPECT_EQ(row->text, QString::fromUtf8(rows[n]));
        EXPECT_EQ(row->state.font.color, kGray);
    }
}

TEST(AnalysisPreview, TableLinesFollowTheColumnWidth)
{
    const RecordingCanvas canvas = Preview(ZeroMeasurement());
    const int c = 43;
    const struct {
        int x, top, bottom, width;
    } verticals[] = {{80, 560, 883, 1},          {80 + c, 577, 883, 1},
                     {80 + 4 * c, 560, 882, 2},  {110 + 4 * c, 560, 883, 1},
                     {110 + 8 * c, 560, 882, 2}, {140 + 11 * c, 577, 883, 1}};
    for (const auto& v : verticals)
        EXPECT_TRUE(HasSegment(canvas, {v.x, v.top}, {v.x, v.bottom}, v.width)) << v.x;
    for (int j = 0; j <= 17; ++j)
        EXPECT_TRUE(HasSegment(canvas, {50, 577 + 17 * j}, {658, 577 + 17 * j}, 1)) << j;
    EXPECT_TRUE(HasSegment(canvas, {50, 550}, {658, 550}, 2));
    EXPECT_EQ(TextAt(canvas, {558, 540})->text, " 各次諧波含量 ");
    for (int y : {101, 153, 206}) {
        EXPECT_TRUE(HasSegment(canvas, {50, y}, {400, y}, 1));
    }
}

TEST(AnalysisPreview, ZeroMeasurementDrawsFlatTracesNoBarsAndZeroCells)
{
    const RecordingCanvas canvas = Preview(ZeroMeasurement());
    const auto traces = canvas.callsOf(CanvasOp::Polyline);
    ASSERT_EQ(traces.size(), 2u);
    EXPECT_EQ(traces[0].state.pen, (CanvasPen{kGray, 1, PenStyle::Solid})); // current first
    EXPECT_EQ(traces[1].state.pen, (CanvasPen{kGray, 2, PenStyle::Solid}));
    for (const CanvasCall& t : traces)
        for (const QPoint& p : t.points)
            EXPECT_EQ(p.y(), 153);
    EXPECT_EQ(traces[1].points.back(), QPoint(50 + 349, 153));

    // Every bar is a line from the axis to two pixels above it: nothing rises.
    for (int k = 0; k < 51; ++k) {
        EXPECT_TRUE(HasSegment(canvas, {58 + 6 * k, 361}, {58 + 6 * k, 359}, 2)) << k;
        EXPECT_TRUE(HasSegment(canvas, {58 + 6 * k, 518}, {58 + 6 * k, 516}, 2)) << k;
    }
    EXPECT_EQ(TextAt(canvas, {86, 596})->text, "0.00");
    EXPECT_EQ(TextAt(canvas, {128, 613})->text, "0.0%");
    EXPECT_EQ(TextAt(canvas, {615, 596 + 17 * 16})->text, "0.0%");
    EXPECT_EQ(TextAt(canvas, {463, 596 + 17 * 16})->text, "50");
}

TEST(AnalysisPreview, RealisticCellsBarsAndLabels)
{
    const RecordingCanvas canvas = Preview(RealisticMeasurement());
    EXPECT_EQ(TextAt(canvas, {86, 613})->text, "220.03");
    EXPECT_EQ(TextAt(canvas, {128, 613})->text, "100.0%");
    EXPECT_EQ(TextAt(canvas, {128, 596 + 17 * 5})->text, "2.63%");
    EXPECT_EQ(TextAt(canvas, {171, 613})->text, "5.00");
    EXPECT_EQ(TextAt(canvas, {213, 596 + 17 * 3})->text, "10.0%");
    // The fundamental is the tallest bar: 115 pixels above the axis.
    EXPECT_TRUE(HasSegment(canvas, {64, 361 - 115}, {64, 359}, 2));
    EXPECT_TRUE(
        HasSegment(canvas, {64 + 12, 361 - 5}, {64 + 12, 359}, 2)); // Trunc(115 * 15.556 / 311.127)
    const auto label = TextAt(canvas, {53 + 6 * 50, 364});
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text, "50");
    EXPECT_EQ(label->state.font.points, 6);
    EXPECT_EQ(label->state.font.color, QColor(Qt::black));
    EXPECT_FALSE(TextAt(canvas, {53 + 6 * 2, 364}));
}

TEST(AnalysisPrint, FramePortraitAndLandscape)
{
    const RecordingCanvas portrait = Printed(ZeroMeasurement(), false);
    // 17 points at 1200 dpi: 283-pixel cells, 142 pixels a character here.
    const auto second = TextAt(portrait, {4960, 539});
    ASSERT_TRUE(second);
    EXPECT_EQ(second->text, "析報告");
    EXPECT_EQ(second->state.font.points, 17);
    EXPECT_EQ(second->state.font.color, QColor(Qt::black));
    const auto first = TextAt(portrait, {2 * 4960 - (4960 + 3 * 142), 539});
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text, "電量分");
    const auto label = TextAt(portrait, {8686, 668});
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text, "第1頁");
    EXPECT_EQ(label->state.font.points, 10);
    EXPECT_TRUE(HasSegment(portrait, {551, 888}, {9370, 888}, 19));
    EXPECT_TRUE(HasSegment(portrait, {551, 12844}, {9370, 12844}, 19));
    const auto footer = TextAt(portrait, {551, 13168});
    ASSERT_TRUE(footer);
    EXPECT_EQ(footer->text, "日期：");
    EXPECT_EQ(footer->state.font.points, 10);
    EXPECT_EQ(footer->state.font.color, QColor(Qt::black));
    EXPECT_EQ(TextAt(portrait, {3814, 12909})->text, "測量企業：");
    EXPECT_EQ(TextAt(portrait, {7077, 13168})->text, "環境溫度：");

    const RecordingCanvas landscape = Printed(ZeroMeasurement(), true);
    EXPECT_EQ(Text(landscape, QStringLiteral("析報告"))->state.font.points, 14);
    EXPECT_EQ(Text(landscape, QStringLiteral("第1頁"))->state.font.points, 7);
    EXPECT_EQ(Text(landscape, QStringLiteral("項目："))->state.font.points, 6);
    EXPECT_EQ(Text(landscape, QStringLiteral(" 採樣資料 "))->state.font.points, 7);
}

TEST(AnalysisPrint, BodyPositions)
{
    const RecordingCanvas canvas = Printed(RealisticMeasurement(), false);
    const auto rects = canvas.callsOf(CanvasOp::Rectangle);
    ASSERT_GE(rects.size(), 1u);
    EXPECT_EQ(rects[0].rect, (CanvasRect{551, 1010, 6007, 3114}));
    EXPECT_EQ(TextAt(canvas, {714, 912})->text, " 採樣資料 ");
    EXPECT_EQ(TextAt(canvas, {6096, 1192})->text, " 電壓 trms：     220.13 V");
    EXPECT_EQ(TextAt(canvas, {6096, 1192 + 10 * 463})->text, " 電壓波形因數： 1.41");
    EXPECT_EQ(TextAt(canvas, {6096, 1192 + 12 * 463})->text, " 電壓THD：     5.12 %");
    EXPECT_EQ(TextAt(canvas, {6096, 1192 + 12 * 463})->state.font.points, 12);

    // Traces: current red, then voltage green, grid redrawn between them.
    const auto traces = canvas.callsOf(CanvasOp::Polyline);
    ASSERT_EQ(traces.size(), 2u);
    EXPECT_EQ(traces[0].state.pen, (CanvasPen{QColor(255, 0, 0), 10, PenStyle::Solid}));
    EXPECT_EQ(traces[1].state.pen, (CanvasPen{QColor(0, 128, 0), 19, PenStyle::Solid}));
    EXPECT_EQ(traces[0].points[0].x(), 551);
    EXPECT_EQ(traces[0].points[511].x(), 551 + 5445); // 511 * 10.65625 = 5445.3
    int redGrid = 0;
    for (const CanvasSegment& s : canvas.segments())
        if (s.pen == CanvasPen{QColor(255, 0, 0), 1, PenStyle::DashDot})
            ++redGrid;
    EXPECT_EQ(redGrid, 3);

    // Table: data row 1 holds order 1, its relative voltage cell "100.0%".
    const auto cell = TextAt(canvas, {551 + 2 * 588 + 58, 8730});
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->text, "100.0%");
    EXPECT_EQ(cell->state.textBackground, TextBackground::Transparent);
    EXPECT_EQ(cell->state.font.points, 10);
    EXPECT_EQ(TextAt(canvas, {551 + 176, 8730})->text, "1");
    EXPECT_EQ(Text(canvas, QStringLiteral("階 數"))->points[0], QPoint(551 + 58, 7927 + 251 + 50));
    EXPECT_TRUE(HasSegment(canvas, {551 + 5 * 588, 7927}, {551 + 5 * 588, 12698}, 15));
    EXPECT_TRUE(HasSegment(canvas, {551 + 2 * 588, 7927 + 251}, {551 + 2 * 588, 12698}, 1));
}

} // namespace

namespace {

TEST(AnalysisReportMends, LongTextsEndWhereTheNextItemStarts)
{
    ReportInfo info;
    info.ProjectName = QString(200, QChar(0x9805)); // 200 characters
    const RecordingCanvas preview = Preview(ZeroMeasurement(), info);
    const auto project = Text(preview, QStringLiteral("項目：") + info.ProjectName);
    ASSERT_TRUE(project);
    EXPECT_EQ(project->clipRight, 250); // the company's x
    EXPECT_EQ(TextAt(preview, {520, 911})->clipRight, 658);
    EXPECT_EQ(TextAt(preview, {420, 90})->clipRight, 658);

    const RecordingCanvas printed = Printed(ZeroMeasurement(), false, info);
    EXPECT_EQ(Text(printed, QStringLiteral("項目：") + info.ProjectName)->clipRight, 3814);
    EXPECT_EQ(TextAt(printed, {7077, 12909})->clipRight, 9370);
}

TEST(AnalysisReportMends, HugeAmplitudeStaysInItsCell)
{
    MeasurementRecord r = ZeroMeasurement();
    r.UHarmonic[1] = 3.0e38f;
    r.UHarmonic[2] = std::numeric_limits<float>::quiet_NaN();
    const RecordingCanvas preview = Preview(r);
    const auto huge = TextAt(preview, {86, 613});
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->clipRight, 80 + 43);
    EXPECT_EQ(TextAt(preview, {128, 613})->clipRight, 80 + 2 * 43);
    EXPECT_EQ(TextAt(preview, {615, 596})->clipRight, 660);
    // Not finite: no bar, and the general format's text.
    EXPECT_EQ(TextAt(preview, {86, 630})->text, "NAN");
    EXPECT_TRUE(HasSegment(preview, {58 + 12, 361}, {58 + 12, 359}, 2));

    const RecordingCanvas printed = Printed(r, false);
    const auto cell = TextAt(printed, {551 + 588 + 58, 8730});
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->clipRight, 551 + 2 * 588);
    EXPECT_EQ(TextAt(printed, {551 + 14 * 588 + 58, 8479})->clipRight, 9370);
}

// Values at the edge of a float, in every value row and every table cell:
// each number ends by its field's right edge and still tells its magnitude,
// in the preview and on both printed sheets.
TEST(AnalysisReportMends, HugeValuesFitTheirFieldsWithTheirExponent)
{
    MeasurementRecord r = ZeroMeasurement();
    for (float* value : {&r.URMS, &r.UPP, &r.UF, &r.IRMS, &r.IPP, &r.IPA, &r.PF, &r.WRMS, &r.PS,
                         &r.PQ, &r.VKF, &r.IKF})
        *value = 3.4e38f;
    r.PQ = -3.4e38f;
    r.VTHD = r.ITHD = 3.4e36f; // 3.4e38 %
    for (int k = 0; k < 51; ++k) {
        r.UHarmonic[k] = 3.4e38f;
        r.IHarmonic[k] = k == 1 ? 1.0f : 3.3e38f; // relative values of 3.3e40 %
    }
    const struct {
        const char* name;
        RecordingCanvas canvas;
        int resolution;
    } pages[] = {
        {"preview", Preview(r), 96},
        {"portrait", Printed(r, false), 1200},
        {"landscape", Printed(r, true), 1200},
    };
    static const QRegularExpression number(QStringLiteral("-?\\d+(\\.\\d+)?(E[+-]\\d+)?"));
    for (const auto& page : pages) {
        SCOPED_TRACE(page.name);
        int huge = 0;
        for (const CanvasCall& call : page.canvas.callsOf(CanvasOp::TextOut)) {
            if (!call.clipRight)
                continue;
            const int charWidth =
                (FontPixelHeight(call.state.font.points, page.resolution) + 1) / 2;
            EXPECT_LE(call.points.at(0).x() + int(call.text.size()) * charWidth, *call.clipRight)
                << call.text.toStdString();
            const QRegularExpressionMatch m = number.match(call.text);
            if (!m.hasMatch() || !m.captured().contains(QLatin1Char('E')))
                continue;
            // A shortened number keeps its exponent: within a factor of ten
            // of what was measured (at least one digit fits every field).
            const double shown = std::abs(m.captured().toDouble());
            EXPECT_GT(shown, 1e37) << call.text.toStdString();
            EXPECT_LT(shown, 1e42) << call.text.toStdString();
            ++huge;
        }
        // 14 value rows, 51 voltage amplitudes (their relative values are
        // 100 %), 50 current amplitudes and relative values.
        EXPECT_GE(huge, 14 + 51 + 50 + 50);
    }
}

TEST(ReportHeader, TextsStayClearOfTheHeaderRuleWithTheReportFont)
{
    // The cells measured as the printer and PDF draw them, with the report
    // font's line height, on every paper and resolution.
    const MeasurementRecord record = RealisticMeasurement();
    const ReportInfo info;
    const QDateTime taken(QDate(2026, 3, 5), QTime(14, 2, 7));
    const ReportDocument reports[] = {AnalysisReport(record, info, taken),
                                      RecordReport(RecordReportSource{})};
    struct Page {
        const char* name;
        int resolution;
        int width, height; // 0: the preview
        bool landscape;
    };
    const Page pages[] = {
        {"preview", 96, 0, 0, false},
        {"A4 1200", 1200, 9921, 14031, false},
        {"A4 1200 landscape", 1200, 14031, 9921, true},
        {"A3 600", 600, 7016, 9921, false},
        {"A3 600 landscape", 600, 9921, 7016, true},
        {"Letter 300", 300, 2550, 3300, false},
        {"Legal 1200 landscape", 1200, 16800, 10200, true},
    };
    for (const ReportDocument& report : reports) {
        for (const Page& page : pages) {
            SCOPED_TRACE(std::string(page.name)
                         + (report.kind == ReportKind::Analysis ? " analysis" : " record"));
            RecordingCanvas canvas(page.resolution, PainterTextExtent);
            int ruleY = 70, ruleWidth = 2;
            if (page.width == 0) {
                SetFontSize(canvas, 20);
                DrawPreviewPage(canvas, report, 708,
                                report.kind == ReportKind::Analysis ? 1001 : 500, info);
            } else {
                const PageFrame frame = PageFrame::ForPage(page.width, page.height);
                ruleY = frame.T + TruncToInt(0.027 * frame.FH);
                ruleWidth = TruncToInt(0.0015 * frame.FH);
                DrawPrintedPage(canvas, report, frame, page.landscape, info);
            }
            int texts = 0;
            bool ruleFound = false;
            for (const CanvasCall& call : canvas.calls()) {
                if (call.op == CanvasOp::LineTo && call.start.y() == ruleY
                    && call.points[0].y() == ruleY) {
                    EXPECT_EQ(call.state.pen.width, ruleWidth);
                    ruleFound = true;
                    break;
                }
                if (call.op != CanvasOp::TextOut)
                    continue;
                ++texts;
                const QSize cell = PainterTextExtent(call.state.font, page.resolution, call.text);
                EXPECT_LE(call.points[0].y() + cell.height(), ruleY - (ruleWidth + 1) / 2)
                    << call.text.toStdString();
                EXPECT_GE(call.points[0].y(), 0) << call.text.toStdString();
            }
            EXPECT_TRUE(ruleFound);
            // Title halves (or title), page label, and the analysis report's time.
            EXPECT_EQ(texts, report.kind == ReportKind::Analysis ? (page.width ? 4 : 3)
                                                                 : (page.width ? 3 : 1));
        }
    }
}

TEST(ReportHeader, TheAnalysisReportSaysWhenItsMeasurementWasTaken)
{
    const QDateTime taken(QDate(2026, 3, 5), QTime(14, 2, 7));
    const QString text = QStringLiteral("提取時間：") + MeasurementTimeText(taken);
    const ReportInfo info;
    const MeasurementRecord record = ZeroMeasurement();

    const RecordingCanvas preview = [&] {
        RecordingCanvas canvas(96);
        SetFontSize(canvas, 20);
        DrawPreviewPage(canvas, AnalysisReport(record, info, taken), 708, 1001, info);
        return canvas;
    }();
    const auto shown = Text(preview, text);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->points[0], QPoint(50, 45)); // left on the page label's row
    EXPECT_EQ(shown->state.font, Text(preview, QStringLiteral("第1頁"))->state.font);

    RecordingCanvas printed(1200);
    const PageFrame frame = PageFrame::ForPage(9921, 14031);
    DrawPrintedPage(printed, AnalysisReport(record, info, taken), frame, false, info);
    const auto printedText = Text(printed, text);
    ASSERT_TRUE(printedText);
    EXPECT_EQ(printedText->points[0].x(), frame.L);
    EXPECT_EQ(printedText->points[0].y(), Text(printed, QStringLiteral("第1頁"))->points[0].y());

    // Nothing measured yet: no time is stated.
    const RecordingCanvas untimed = Preview(record);
    for (const CanvasCall& call : untimed.calls())
        EXPECT_FALSE(call.text.startsWith(QStringLiteral("提取時間")));
}

} // namespace
