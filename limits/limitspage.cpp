#include "limitspage.h"

#include "limitschart.h"
#include "limitstexts.h"
#include "pageframe.h"
#include "reportinfo.h"

#include <memory>

namespace {

constexpr int kLeastPoints = 5;
constexpr int kTableRows = kLimitOrderCount + 1; // the headings and orders 2-40
constexpr double kChartShare = 0.24;             // of the body's height

QString BasisText(const LimitBasis& basis)
{
    return QStringLiteral("基波電流 %1 A　功率因數 %2　有功功率 %3 W")
        .arg(FixedText(basis.fundamentalRms, 4), FixedText(basis.powerFactor, 3),
             FixedText(basis.activePower, 1));
}

QString HoldText(const MaxHold& hold)
{
    return QStringLiteral("最大值保持：%1 次量測　").arg(hold.count())
           + OverallVerdictText(hold.verdict(), {});
}

// The heading lines above the chart.
QStringList HeadLines(const LimitsPageContent& content)
{
    const LimitsAssessment& a = content.assessment;
    QStringList lines{QStringLiteral("IEC 61000-3-2 諧波電流發射限值　")
                          + ClassCaption(a.emissionClass),
                      BasisText(a.basis), OverallVerdictText(a.verdict, a.basis)};
    if (a.worstOrder)
        lines << WorstOrderText(*a.worstOrder, *a.order(*a.worstOrder).percent,
                                *a.worstMarginAmperes());
    if (content.hold && content.hold->count() > 0)
        lines << HoldText(*content.hold);
    return lines;
}

void DrawTable(Canvas& canvas, const CanvasRect& area, const LimitsPageContent& content,
               int rowHeight)
{
    const MaxHold* hold = content.hold && content.hold->count() > 0 ? &*content.hold : nullptr;
    const QStringList headings = LimitsHeadings(hold != nullptr);
    const int columns = int(headings.size());
    // The last rule stays inside the area, whose right edge is excluded.
    const int width = (area.right - area.left - 1) / columns;
    const QColor black = Qt::black;
    const QColor red(210, 30, 30);
    const int pad = rowHeight / 4;

    const auto row = [&](int index, const QStringList& cells) {
        const int y = area.top + index * rowHeight;
        for (int c = 0; c < columns; ++c) {
            const bool over = cells[c] == OrderStateText(OrderState::Exceeded);
            SetFontColor(canvas, over ? red : black);
            canvas.TextOutClipped({area.left + c * width + pad, y + 1}, cells[c],
                                  area.left + (c + 1) * width);
        }
    };
    row(0, headings);
    for (const OrderAssessment& o : content.assessment.orders)
        row(o.order - kFirstLimitOrder + 1, LimitsRowTexts(o, hold));
    SetFontColor(canvas, black);

    SetPenWidthColor(canvas, 1, kReportGray);
    const int bottom = area.top + kTableRows * rowHeight;
    for (int r = 0; r <= kTableRows; ++r)
        if (r <= 1 || r == kTableRows || (r - 1) % 5 == 0)
            Line(canvas, {area.left, area.top + r * rowHeight},
                 {area.left + columns * width, area.top + r * rowHeight});
    for (int c = 0; c <= columns; ++c)
        Line(canvas, {area.left + c * width, area.top}, {area.left + c * width, bottom});
}

} // namespace

QStringList WrappedLines(const Canvas& canvas, const QString& text, int width)
{
    QStringList lines;
    QString line;
    for (const QChar ch : text) {
        const QString longer = line + ch;
        if (!line.isEmpty() && canvas.TextExtent(longer).width() > width) {
            // Back to the last blank, when the line has one past its start.
            const qsizetype blank = line.lastIndexOf(QLatin1Char(' '));
            if (blank > 0) {
                lines << line.left(blank);
                line = line.mid(blank + 1) + ch;
            } else {
                lines << line;
                line = ch;
            }
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

void DrawLimitsPageBody(Canvas& canvas, const CanvasRect& area, const LimitsPageContent& content,
                        int points)
{
    const int height = area.bottom - area.top;
    const int width = area.right - area.left;
    const QStringList head = HeadLines(content);
    // The largest size at which heading, chart, table and note fit.
    int lineHeight = 0;
    QStringList note;
    for (;; --points) {
        SetFontSizeAndColor(canvas, points, Qt::black);
        lineHeight = canvas.TextExtent(QStringLiteral("0次")).height() + 2;
        note = WrappedLines(canvas, MethodNoteText(), width);
        const int needed = int((head.size() + kTableRows + note.size() + 2) * lineHeight);
        if (needed + int(kChartShare * height) <= height || points <= kLeastPoints)
            break;
    }

    canvas.SetTextBackground(TextBackground::Transparent);
    int y = area.top;
    for (const QString& line : head) {
        const bool over = line == OverallVerdictText(OverallVerdict::Exceeded, {});
        SetFontColor(canvas, over ? QColor(210, 30, 30) : QColor(Qt::black));
        canvas.TextOutClipped({area.left, y}, line, area.right);
        y += lineHeight;
    }
    SetFontColor(canvas, Qt::black);
    y += lineHeight / 2;

    const int chartHeight = int(kChartShare * height);
    const LimitsChartColors colors;
    DrawLimitsChart(canvas, {area.left, y, area.right, y + chartHeight}, content.assessment,
                    content.hold && content.hold->count() > 0 ? &*content.hold : nullptr, colors);
    canvas.SetTextBackground(TextBackground::Transparent);
    SetFontColor(canvas, Qt::black);
    y += chartHeight + lineHeight / 2;

    DrawTable(canvas, {area.left, y, area.right, y + kTableRows * lineHeight}, content, lineHeight);
    y += kTableRows * lineHeight + lineHeight / 2;
    SetFontColor(canvas, Qt::black);
    for (const QString& line : note) {
        canvas.TextOutClipped({area.left, y}, line, area.right);
        y += lineHeight;
    }
}

ReportDocument HarmonicLimitsReport(const LimitsPageContent& content, const ReportInfo& info)
{
    ReportDocument report;
    report.kind = ReportKind::HarmonicLimits;
    report.taken = MeasurementTakenText(content.taken);
    report.jobTitle = info.ProjectName + QStringLiteral("HarmonicLimits");
    report.printTextBackground = TextBackground::Transparent;
    const auto shared = std::make_shared<const LimitsPageContent>(content);
    report.drawPreviewBody = [shared](Canvas& canvas, int W, int H) {
        // Between the header rule (70) and the footer rule (H - 100).
        DrawLimitsPageBody(canvas, {50, 80, W - 50, H - 108}, *shared, 8);
    };
    report.drawPrintBody = [shared](Canvas& canvas, const PageFrame& frame, bool landscape) {
        const int top = frame.T + TruncToInt(0.035 * frame.FH);
        const int bottom = frame.T + TruncToInt(0.94 * frame.FH);
        DrawLimitsPageBody(canvas, {frame.L, top, frame.R, bottom}, *shared, landscape ? 7 : 9);
        SetFontSize(canvas, landscape ? 7 : 10);
    };
    return report;
}
