#include "printjob.h"

#include "paintercanvas.h"
#include "pdfexport.h"
#include "pdftextmap.h"

#include <QPainter>
#include <QPrinter>

void PrepareReportPrinter(QPrinter& printer)
{
    printer.setFullPage(true);
}

PrintOutcome PrintReport(QPrinter& printer, const ReportDocument& report, const ReportInfo& info)
{
    printer.setFullPage(true);
    printer.setDocName(report.jobTitle);
    printer.setCreator(kReportPdfCreator);
    const QRect page = printer.pageLayout().fullRectPixels(printer.resolution());
    const PageFrame frame = PageFrame::ForPage(page.width(), page.height());
    const bool landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;

    QPainter painter;
    if (!painter.begin(&printer))
        return PrintOutcome::NotStarted;
    {
        PainterCanvas canvas(painter);
        DrawPrintedPage(canvas, report, frame, landscape, info);
    }
    painter.end();
    if (printer.printerState() == QPrinter::Error)
        return PrintOutcome::Failed;
    // Printed to a PDF file: its text should copy and search as written.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()
        && !MapRadicalsToIdeographsInFile(printer.outputFileName()))
        return PrintOutcome::Failed;
    return PrintOutcome::Printed;
}
