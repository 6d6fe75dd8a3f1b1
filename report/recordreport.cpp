#include "recordreport.h"

#include "canvas.h"
#include "pageframe.h"
#include "recordchart.h"
#include "recordreportgeometry.h"
#include "recordstate.h"

#include <algorithm>
#include <vector>

namespace {

const QColor kLightGray{221, 221, 221};
const QColor kTeal{0, 128, 128};

const QString kLegendTitlePreview = QStringLiteral("通道信號說明：");
const QString kLegendTitlePrint = QStringLiteral("通道信號說明:");
const QString kPointsSuffix = QStringLiteral("点");
const QString kNoteText = QStringLiteral(
    "圖標分別為正溢出和負溢出標誌，當某通道大於最大或最小顯示值，會在圖的右上角或右下角顯示相應的溢出圖標。");

QString LegendText(const RecordReportSource& source, int c)
{
    return QStringLiteral("CH%1: ").arg(c + 1) + source.captions[c];
}

// ---- printout ----

void PrintGridAndRuler(Canvas& canvas, const RecordPrintGeometry& g, const PageFrame& f,
                       int rangeMode, int stretch)
{
    canvas.SetPen({kLightGray, 1, PenStyle::Dot});
    for (int i = 0; i <= 10; ++i) {
        const int y = PrintGridRowY(g, i);
        Line(canvas, {f.L, y}, {g.plotRight, y});
    }
    const int bottomRow = PrintGridRowY(g, 10);
    const PrintGridColumns columns = PrintGridColumnsAt(g, stretch);
    for (int j = 0; j < columns.count; ++j)
        Line(canvas, {f.L + columns.pitch * j, g.Yt}, {f.L + columns.pitch * j, bottomRow});

    canvas.SetPen({Qt::black, 3, PenStyle::Solid});
    for (int i = 0; i <= 50; ++i) {
        const int y = PrintRulerTickY(g, i);
        if (i % 5 == 0) {
            Line(canvas, {f.R - 700, y}, {f.R - 500, y});
            canvas.TextOut({f.R - 450, y - 60}, RulerLabel(rangeMode, i));
        } else {
            Line(canvas, {f.R - 600, y}, {f.R - 500, y});
        }
    }
    canvas.SetPen({Qt::black, 6, PenStyle::Solid});
    Line(canvas, {f.R - 500, g.Yt}, {f.R - 500, g.Yb});
}

// A trace as polylines between its moves; the pen ends on its last step, as
// if drawn with move-to and line-to calls.
void DrawTrace(Canvas& canvas, const std::vector<TraceStep>& steps)
{
    std::vector<QPoint> run;
    auto flush = [&] {
        if (run.size() >= 2)
            canvas.Polyline(run);
        run.clear();
    };
    for (const TraceStep& step : steps) {
        if (!step.line)
            flush();
        // A line to the point the pen is on paints nothing.
        if (run.empty() || run.back() != step.to)
            run.push_back(step.to);
    }
    flush();
    if (!steps.empty())
        canvas.MoveTo(steps.back().to);
}

void PrintOverflowMarks(Canvas& canvas, const RecordOverflow& overflow, int c, const PageFrame& f,
                        const RecordPrintGeometry& g)
{
    const int x = f.R - (1120 - 100 * c);
    const QColor outline = canvas.State().pen.color;
    if (overflow.overTop[c]) {
        canvas.SetPen({outline, 1, PenStyle::Solid});
        canvas.SetBrush(CanvasBrush::Solid(kRecordChannelColors[c]));
        const int yo = RoundToInt(2.1 * f.T);
        const QPoint up[] = {{x, yo}, {x + 100, yo}, {x + 50, yo - 50}};
        canvas.Polygon(up);
    }
    if (overflow.belowBottom[c]) {
        canvas.SetPen({outline, 1, PenStyle::Solid});
        canvas.SetBrush(CanvasBrush::Solid(kRecordChannelColors[c]));
        const int yu = g.Hc + RoundToInt(2.3 * f.T);
        const QPoint down[] = {{x, yu}, {x + 100, yu}, {x + 50, yu + 50}};
        canvas.Polygon(down);
    }
}

RecordOverflow PrintTraces(Canvas& canvas, const RecordState& record, const PageFrame& f,
                           const RecordPrintGeometry& g)
{
    const RecordView view = CurrentView(record);
    const int n = DrawnPointCount(view, g.maxPoints);
    const std::size_t count = std::size_t(std::max(0, n));

    std::array<std::vector<int>, kRecordChannels> ys;
    RecordOverflow overflow;
    for (int c = 0; c < kRecordChannels; ++c) {
        ys[c].resize(count);
        for (std::size_t j = 0; j < count; ++j) {
            const int idx = view.last - view.offset - int(j) * view.zoom;
            const int y = PrintedSampleY(view.channels[c][idx], record.ScaleValue[c],
                                         record.RangeMode, g, f.PH);
            ys[c][j] = y;
            if (y < g.Yt)
                overflow.overTop[c] = true;
            if (y > g.Yb)
                overflow.belowBottom[c] = true;
        }
    }
    for (int c = 0; c < kRecordChannels; ++c) {
        if (record.ChannelVisible[c]) {
            canvas.SetPen({kRecordChannelColors[c], 10, PenStyle::Solid});
            DrawTrace(canvas,
                      PrintedTraceSteps(ys[c], f.L, g.Yt, g.Yb, 10 * std::max(1, view.stretch)));
        }
        PrintOverflowMarks(canvas, overflow, c, f, g);
    }
    return overflow;
}

void PrintCaptionsLegendStatusNote(Canvas& canvas, const RecordReportSource& source,
                                   const RecordState& record, const PageFrame& f,
                                   const RecordPrintGeometry& g)
{
    const RecordView view = CurrentView(record);
    const int captionY = g.Hc + RoundToInt(2.3 * f.T);
    canvas.SetFont({kReportArialFace, 8, kTeal, false});
    canvas.TextOut({f.L + 50, captionY}, TimeDivisionCaption(view.zoom, view.stretch));
    for (int c = 0; c < kRecordChannels; ++c) {
        SetFontColor(canvas, kRecordChannelColors[c]);
        canvas.TextOut({f.L + 1000 * (c + 1), captionY},
                       ChannelDivisionCaption(c, record.RangeMode, record.ScaleValue[c]));
    }

    const int legendY = g.Hc + 4 * f.T;
    SetFontColor(canvas, Qt::black);
    canvas.TextOut({f.L + 50, legendY}, kLegendTitlePrint);
    // The underline keeps the width of the chart's last pen.
    SetPen(canvas, Qt::black, canvas.State().pen.width);
    const int underline = g.Hc + RoundToInt(4.4 * f.T);
    Line(canvas, {f.L + 50, underline}, {f.L + 880, underline});
    for (int c = 0; c < kRecordChannels; ++c) {
        SetFontColor(canvas, kRecordChannelColors[c]);
        canvas.TextOut({f.L + 1000 + 1100 * c, legendY}, LegendText(source, c));
    }

    const int statusY = g.Hc + 5 * f.T;
    SetFontColor(canvas, kReportGray);
    canvas.TextOut({f.L + 50, statusY}, source.status[0]);
    canvas.TextOut({f.L + 1500, statusY}, source.status[1]);
    canvas.TextOut({f.L + 3500, statusY}, source.status[2]);
    canvas.TextOut({f.L + 5500, statusY}, source.status[3] + kPointsSuffix);

    const int noteY = g.Hc + 6 * f.T;
    canvas.TextOut({f.L + 50, noteY}, QStringLiteral("Note:"));
    canvas.SetPen({kReportGray, 1, PenStyle::Solid});
    canvas.SetBrush(CanvasBrush::Solid(kReportGray));
    const int yn = g.Hc + RoundToInt(6.2 * f.T);
    const QPoint up[] = {{f.L + 500, yn}, {f.L + 600, yn}, {f.L + 550, yn - 50}};
    canvas.Polygon(up);
    const int yd = g.Hc + RoundToInt(6.2 * f.T - 50);
    const QPoint down[] = {{f.L + 700, yd}, {f.L + 800, yd}, {f.L + 750, yd + 50}};
    canvas.Polygon(down);
    canvas.TextOut({f.L + 900, noteY}, kNoteText);
}

} // namespace

RecordReportSource RecordReportSourceOf(const RecordState& record, QSize chartSize,
                                        const std::function<QImage()>& picture,
                                        const std::function<QString(int channel)>& caption,
                                        const std::function<QString(int panel)>& statusPanel)
{
    RecordReportSource source;
    source.record = &record;
    source.chartSize = chartSize;
    if (!chartSize.isEmpty())
        source.chartPicture = picture();
    for (int c = 0; c < kRecordChannels; ++c)
        source.captions[c] = caption(c);
    source.status = {statusPanel(0), statusPanel(2), statusPanel(3), statusPanel(4)};
    return source;
}

void DrawRecordPreviewBody(Canvas& canvas, const RecordReportSource& source, int W, int H)
{
    SetFontSize(canvas, 8);
    const int statusHeight = canvas.TextExtent(source.status[0] + kPointsSuffix).height();
    const RecordPreviewPicture picture =
        PlaceRecordPreviewPicture(source.chartSize, W, H, statusHeight);
    if (!picture.empty && !source.chartPicture.isNull())
        canvas.CopyImage(picture.destination, source.chartPicture, picture.source);
    const int f = picture.height;

    SetFontSize(canvas, 10);
    canvas.TextOut({50, f + 80}, kLegendTitlePreview);
    Line(canvas, {50, f + 103}, {128, f + 103});

    SetFontSize(canvas, 8);
    const QColor gray = canvas.State().font.color;
    for (int c = 0; c < kRecordChannels; ++c) {
        SetFontColor(canvas, kRecordChannelColors[c]);
        canvas.TextOut({135 + 90 * c, f + 90}, LegendText(source, c));
    }
    SetFontColor(canvas, gray);
    canvas.TextOut({50, f + 115}, source.status[0]);
    canvas.TextOut({200, f + 115}, source.status[1]);
    canvas.TextOut({350, f + 115}, source.status[2]);
    canvas.TextOut({500, f + 115}, source.status[3] + kPointsSuffix);
}

RecordOverflow DrawRecordPrintBody(Canvas& canvas, const RecordReportSource& source,
                                   const PageFrame& f)
{
    const RecordPrintGeometry g = RecordPrintGeometryFor(f);
    SetFontSizeAndColor(canvas, 8, kReportGray);
    const int rangeMode = source.record ? source.record->RangeMode : 0;
    const int stretch = source.record ? CurrentView(*source.record).stretch : 1;
    PrintGridAndRuler(canvas, g, f, rangeMode, stretch);
    if (!source.record)
        return {};
    const RecordState& record = *source.record;
    RecordOverflow overflow;
    if (record.FileReady)
        overflow = PrintTraces(canvas, record, f, g);
    PrintCaptionsLegendStatusNote(canvas, source, record, f, g);
    return overflow;
}

ReportDocument RecordReport(const RecordReportSource& source)
{
    ReportDocument report;
    report.kind = ReportKind::Record;
    report.jobTitle = QStringLiteral("RecordReport");
    report.printTextBackground = TextBackground::Transparent;
    report.designedLandscape = true;
    report.drawPreviewBody = [source](Canvas& canvas, int W, int H) {
        DrawRecordPreviewBody(canvas, source, W, H);
    };
    report.drawPrintBody = [source](Canvas& canvas, const PageFrame& frame, bool) {
        DrawRecordPrintBody(canvas, source, frame);
    };
    return report;
}
