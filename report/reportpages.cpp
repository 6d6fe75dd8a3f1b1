#include "reportpages.h"

#include "analysisreport.h"
#include "reportinfo.h"

ReportDocument AnalysisReport(const MeasurementRecord& record, const ReportInfo& info,
                              const QDateTime& taken)
{
    ReportDocument report;
    report.kind = ReportKind::Analysis;
    report.taken = MeasurementTakenText(taken);
    report.jobTitle = info.ProjectName + QStringLiteral("TestReport");
    report.drawPreviewBody = [&record](Canvas& canvas, int W, int) {
        DrawAnalysisPreviewBody(canvas, record, W);
    };
    report.drawPrintBody = [&record](Canvas& canvas, const PageFrame& frame, bool landscape) {
        DrawAnalysisPrintBody(canvas, record, frame, landscape);
    };
    return report;
}

void DrawPreviewPage(Canvas& canvas, const ReportDocument& report, int W, int H,
                     const ReportInfo& info)
{
    DrawPreviewHeader(canvas, W, H, report.kind, report.taken);
    // The analysis report writes its information lines before the body, the
    // record report after it.
    if (report.kind == ReportKind::Analysis)
        DrawPreviewInfoLines(canvas, W, H, report.kind, info);
    if (report.drawPreviewBody)
        report.drawPreviewBody(canvas, W, H);
    if (report.kind != ReportKind::Analysis)
        DrawPreviewInfoLines(canvas, W, H, report.kind, info);
}

void DrawPrintedPage(Canvas& canvas, const ReportDocument& report, const PageFrame& frame,
                     bool landscape, const ReportInfo& info)
{
    canvas.SetTextBackground(report.printTextBackground);
    DrawPrintHeader(canvas, frame, report.kind, landscape, report.taken);
    if (report.drawPrintBody)
        report.drawPrintBody(canvas, frame, landscape);
    DrawPrintFooter(canvas, frame, report.kind, info);
}
