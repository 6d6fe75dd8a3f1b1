#include "pageframe.h"

#include "measurementtime.h"
#include "reportinfo.h"

const QString kReportFace = QStringLiteral("Noto Sans Mono CJK TC");
const QString kReportArialFace = QStringLiteral("Liberation Sans,") + kReportFace;

namespace {

const QString kInstrument = QStringLiteral("Quorvane QPA3600");

QString Title(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Analysis:
        break;
    case ReportKind::Record:
        return QStringLiteral("電量記錄報告");
    case ReportKind::HarmonicLimits:
        return QStringLiteral("諧波預檢報告");
    }
    return QStringLiteral("電量分析報告");
}

} // namespace

void SetPen(Canvas& canvas, const QColor& color, int width, PenStyle style)
{
    canvas.SetPen({color, width, style});
}

void SetPenWidth(Canvas& canvas, int width)
{
    CanvasPen pen = canvas.State().pen;
    pen.width = width;
    canvas.SetPen(pen);
}

void SetPenStyleWidth(Canvas& canvas, PenStyle style, int width)
{
    CanvasPen pen = canvas.State().pen;
    pen.style = style;
    pen.width = width;
    canvas.SetPen(pen);
}

void SetPenWidthColor(Canvas& canvas, int width, const QColor& color)
{
    CanvasPen pen = canvas.State().pen;
    pen.width = width;
    pen.color = color;
    canvas.SetPen(pen);
}

void Line(Canvas& canvas, QPoint from, QPoint to)
{
    canvas.MoveTo(from);
    canvas.LineTo(to);
}

void SetFontSizeAndColor(Canvas& canvas, int points, const QColor& color)
{
    CanvasFont font = canvas.State().font;
    font.face = kReportFace;
    font.points = points;
    font.color = color;
    canvas.SetFont(font);
}

void SetFontSize(Canvas& canvas, int points)
{
    SetFontSizeAndColor(canvas, points, canvas.State().font.color);
}

void SetFontColor(Canvas& canvas, const QColor& color)
{
    CanvasFont font = canvas.State().font;
    font.color = color;
    canvas.SetFont(font);
}

QString MeasurementTakenText(const QDateTime& when)
{
    return when.isValid() ? QStringLiteral("提取時間：") + MeasurementTimeText(when) : QString();
}

void DrawPreviewHeader(Canvas& canvas, int W, int H, ReportKind kind, const QString& taken)
{
    constexpr int kRuleY = 70;
    constexpr int kRuleWidth = 2;
    SetFontSizeAndColor(canvas, 20, kReportGray);
    const QString title = Title(kind);
    canvas.TextOut(
        {W / 2 - 70, TextTopClearOfRule(30, canvas.TextExtent(title).height(), kRuleY, kRuleWidth)},
        title);
    if (kind == ReportKind::Analysis || !taken.isEmpty()) {
        SetFontSize(canvas, 10);
        const int y = TextTopClearOfRule(45, canvas.TextExtent(QStringLiteral("第1頁")).height(),
                                         kRuleY, kRuleWidth);
        if (kind == ReportKind::Analysis)
            canvas.TextOut({W - 80, y}, QStringLiteral("第1頁"));
        if (!taken.isEmpty())
            canvas.TextOutClipped({50, y}, taken, W / 2 - 70);
    }
    SetPenWidthColor(canvas, kRuleWidth, kReportGray);
    Line(canvas, {50, kRuleY}, {W - 50, kRuleY});
    Line(canvas, {50, H - 100}, {W - 50, H - 100});
}

void DrawPreviewInfoLines(Canvas& canvas, int W, int H, ReportKind kind, const ReportInfo& info)
{
    const QString instrument = kind == ReportKind::Analysis
                                   ? QStringLiteral("測量儀器：") + kInstrument
                                   : QStringLiteral("測量儀器") + kInstrument;
    // Each item ends where the next one of its row starts, the last at the
    // frame's right edge, so long texts never overlap.
    const int right = W - 50;
    canvas.TextOutClipped({50, H - 90}, QStringLiteral("項目：") + info.ProjectName, 250);
    canvas.TextOutClipped({250, H - 90}, QStringLiteral("測量企業：") + info.company, 520);
    canvas.TextOutClipped({520, H - 90}, QStringLiteral("操作員：") + info.conner, right);
    canvas.TextOutClipped({520, H - 70}, QStringLiteral("環境溫度：") + TemperatureText(info),
                          right);
    canvas.TextOutClipped({50, H - 70}, QStringLiteral("測量日期：") + info.date, 250);
    canvas.TextOutClipped({250, H - 70}, instrument, 520);
}

void DrawPrintHeader(Canvas& canvas, const PageFrame& f, ReportKind kind, bool landscape,
                     const QString& taken)
{
    const int ruleY = f.T + TruncToInt(0.027 * f.FH);
    const int ruleWidth = TruncToInt(0.0015 * f.FH);

    // The title is centred on CX in two halves: the second is drawn from
    // CX, and the first ends where the second's width puts it on the left.
    const QString title = Title(kind);
    SetFontSizeAndColor(canvas, landscape ? 14 : 17, Qt::black);
    const int titleTop =
        TextTopClearOfRule(f.T, canvas.TextExtent(title).height(), ruleY, ruleWidth);
    canvas.TextOut({f.CX, titleTop}, title.mid(3));
    const int after = canvas.State().penPosition.x();
    canvas.TextOut({2 * f.CX - after, titleTop}, title.left(3));

    SetFontSizeAndColor(canvas, landscape ? 7 : 10, kReportGray);
    const QString label = QStringLiteral("第1頁");
    const int labelTop = TextTopClearOfRule(TruncToInt(0.01 * f.FH + f.T),
                                            canvas.TextExtent(label).height(), ruleY, ruleWidth);
    if (!taken.isEmpty())
        canvas.TextOutClipped({f.L, labelTop}, taken, 2 * f.CX - after);
    // The label's x is a share of the frame width counted from the paper
    // edge, not from L.
    canvas.TextOut({TruncToInt(0.985 * f.FW), labelTop}, label);

    SetPenWidthColor(canvas, ruleWidth, kReportGray);
    const int y = ruleY;
    Line(canvas, {f.L, y}, {f.R, y});
    SetPenWidthColor(canvas, 1, Qt::black);
}

void DrawPrintFooter(Canvas& canvas, const PageFrame& f, ReportKind kind, const ReportInfo& info)
{
    SetPenWidthColor(canvas, TruncToInt(0.0015 * f.FH), kReportGray);
    const int rule = f.T + TruncToInt(0.95 * f.FH);
    Line(canvas, {f.L, rule}, {f.R, rule});

    SetFontColor(canvas, Qt::black);
    const int row1 = f.T + TruncToInt(0.955 * f.FH);
    const int row2 = f.T + TruncToInt(0.975 * f.FH);
    const int x2 = f.L + TruncToInt(0.37 * f.FW);
    const int x3 = f.L + TruncToInt(0.74 * f.FW);
    const QString dateLabel =
        kind == ReportKind::Analysis ? QStringLiteral("日期：") : QStringLiteral("測量日期：");
    canvas.TextOutClipped({f.L, row1}, QStringLiteral("項目：") + info.ProjectName, x2);
    canvas.TextOutClipped({x2, row1}, QStringLiteral("測量企業：") + info.company, x3);
    canvas.TextOutClipped({x3, row1}, QStringLiteral("操作員：") + info.conner, f.R);
    canvas.TextOutClipped({f.L, row2}, dateLabel + info.date, x2);
    canvas.TextOutClipped({x2, row2}, QStringLiteral("測量儀器：") + kInstrument, x3);
    canvas.TextOutClipped({x3, row2}, QStringLiteral("環境溫度：") + TemperatureText(info), f.R);
}
