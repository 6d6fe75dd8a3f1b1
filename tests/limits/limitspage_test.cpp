#include "limitspage.h"

#include "limitschart.h"
#include "limitstexts.h"
#include "pageframe.h"
#include "recordingcanvas.h"
#include "reportinfo.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A 4 A appliance whose 3rd harmonic is over Class A's limit and 5th near it.
LimitsPageContent Content(bool withHold)
{
    HarmonicCurrents c;
    c.rms[1] = 4.0;
    c.rms[3] = 2.5;
    c.rms[5] = 1.0;
    c.basis = {4.0, 0.88, 830.0};
    LimitsPageContent content;
    content.assessment = AssessLimits(EmissionClass::A, c);
    content.taken = QDateTime(QDate(2026, 12, 11), QTime(9, 30, 5));
    if (withHold) {
        MaxHold hold;
        hold.take(content.assessment);
        c.rms[7] = 0.9; // over 0.77 a moment earlier
        hold.take(AssessLimits(EmissionClass::A, c));
        content.hold = hold;
    }
    return content;
}

std::vector<QString> Texts(const RecordingCanvas& canvas)
{
    std::vector<QString> texts;
    for (const CanvasCall& call : canvas.callsOf(CanvasOp::TextOut))
        texts.push_back(call.text);
    return texts;
}

bool Has(const std::vector<QString>& texts, const QString& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(LimitsPage, PrintedPageCarriesClassTimeVerdictTableChartAndNote)
{
    const PageFrame frame = PageFrame::ForPage(9921, 14031); // A4 at 1200 dpi
    ReportInfo info;
    info.ProjectName = QStringLiteral("電源供應器");
    const LimitsPageContent content = Content(false);
    const ReportDocument report = HarmonicLimitsReport(content, info);
    EXPECT_EQ(report.kind, ReportKind::HarmonicLimits);
    EXPECT_EQ(report.jobTitle, QStringLiteral("電源供應器HarmonicLimits"));

    RecordingCanvas canvas(1200);
    DrawPrintedPage(canvas, report, frame, false, info);
    const std::vector<QString> texts = Texts(canvas);
    // The title in its two halves.
    EXPECT_TRUE(Has(texts, QStringLiteral("諧波預")));
    EXPECT_TRUE(Has(texts, QStringLiteral("檢報告")));
    EXPECT_TRUE(Has(texts, MeasurementTakenText(content.taken)));
    EXPECT_TRUE(Has(texts, QStringLiteral("IEC 61000-3-2 諧波電流發射限值　")
                               + ClassCaption(EmissionClass::A)));
    EXPECT_TRUE(Has(texts, OverallVerdictText(OverallVerdict::Exceeded, {})));
    EXPECT_TRUE(Has(texts, QStringLiteral("項目：電源供應器")));
    // Every order 2-40 has its row: the order, and order 3's figures.
    for (int n = kFirstLimitOrder; n <= kLastLimitOrder; ++n)
        EXPECT_TRUE(Has(texts, QString::number(n))) << n;
    EXPECT_TRUE(Has(texts, QStringLiteral("2.5000")));
    EXPECT_TRUE(Has(texts, QStringLiteral("108.70%")));
    EXPECT_TRUE(Has(texts, QStringLiteral("超限")));
    // Without a hold, no hold columns.
    EXPECT_FALSE(Has(texts, QStringLiteral("最大值(A)")));
    // The note, broken into lines, says it all.
    QString note;
    bool inNote = false;
    for (const QString& t : texts) {
        if (t.startsWith(QStringLiteral("說明：")))
            inNote = true;
        if (inNote && !t.startsWith(QStringLiteral("項目")))
            note += t;
        if (t.startsWith(QStringLiteral("項目")))
            break;
    }
    EXPECT_TRUE(note.contains(QStringLiteral("IEC 61000-4-7"))) << note.toStdString();
    EXPECT_TRUE(note.contains(QStringLiteral("試驗電源。")));

    // The 100 % line of the chart in the limit's colour, across the chart.
    const LimitsChartColors colors;
    const auto segments = canvas.segments();
    const bool limitLine = std::any_of(segments.begin(), segments.end(), [&](const auto& s) {
        return s.pen.color == colors.limitLine && s.from.y() == s.to.y()
               && s.to.x() - s.from.x() > frame.FW / 2;
    });
    EXPECT_TRUE(limitLine);
    // Order 3 over its limit: a red bar; order 5 under it: a green one.
    int red = 0;
    int green = 0;
    for (const CanvasCall& call : canvas.callsOf(CanvasOp::FillRect)) {
        red += call.state.brush.color == colors.exceeded;
        green += call.state.brush.color == colors.kept;
    }
    EXPECT_EQ(red, 1);
    EXPECT_GE(green, 1);

    // At printer resolution the body stays inside its part of the frame.
    RecordingCanvas body(1200);
    const CanvasRect area{frame.L, frame.T + frame.FH / 20, frame.R, frame.T + frame.FH * 9 / 10};
    DrawLimitsPageBody(body, area, content, 9);
    EXPECT_TRUE(body.CallsOutside(area).empty());
}

TEST(LimitsPage, HeldValuesGetTheirColumnsAndMarks)
{
    const LimitsPageContent content = Content(true);
    RecordingCanvas canvas(96);
    DrawLimitsPageBody(canvas, {50, 80, 658, 893}, content, 8);
    const std::vector<QString> texts = Texts(canvas);
    EXPECT_TRUE(Has(texts, QStringLiteral("最大值(A)")));
    EXPECT_TRUE(Has(texts, QStringLiteral("0.9000"))); // order 7's highest
    EXPECT_TRUE(Has(texts, QStringLiteral("116.88%")));
    // A hold mark for each order with a limit in Class A.
    const LimitsChartColors colors;
    int marks = 0;
    for (const CanvasSegment& s : canvas.segments())
        marks += s.pen.color == colors.hold;
    EXPECT_EQ(marks, kLimitOrderCount); // Class A lists every order 2-40
    const std::vector<CanvasCall> outside = canvas.CallsOutside({50, 80, 658, 893});
    EXPECT_TRUE(outside.empty());
}

TEST(LimitsPage, NoVerdictIsSaidAndDrawsNoBars)
{
    LimitsPageContent content;
    content.assessment = AssessLimits(EmissionClass::C, HarmonicCurrents{});
    RecordingCanvas canvas(96);
    DrawLimitsPageBody(canvas, {50, 80, 658, 893}, content, 8);
    const std::vector<QString> texts = Texts(canvas);
    EXPECT_TRUE(Has(texts, OverallVerdictText(OverallVerdict::NoFundamental, {})));
    EXPECT_TRUE(Has(texts, QStringLiteral("無基波")));
    EXPECT_FALSE(Has(texts, QStringLiteral("合格")));
    const LimitsChartColors colors;
    for (const CanvasCall& call : canvas.callsOf(CanvasOp::FillRect))
        EXPECT_NE(call.state.brush.color, colors.kept);
}

TEST(LimitsChart, ScaleReachesTheHighestPercentageInSteps)
{
    EXPECT_EQ(LimitsChartTop(0.0), 150.0);
    EXPECT_EQ(LimitsChartTop(149.0), 150.0);
    EXPECT_EQ(LimitsChartTop(151.0), 200.0);
    EXPECT_EQ(LimitsChartTop(420.0), 450.0);
    EXPECT_EQ(LimitsChartTop(5000.0), 1000.0);
    EXPECT_EQ(LimitsChartTop(std::numeric_limits<double>::infinity()), 1000.0);
    EXPECT_EQ(LimitsChartStep(150.0), 50.0);
    EXPECT_EQ(LimitsChartStep(450.0), 100.0);
    EXPECT_EQ(LimitsChartStep(1000.0), 200.0);
}

} // namespace
