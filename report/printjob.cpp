#include "printjob.h"

#include "paintercanvas.h"
#include "pdfexport.h"

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
    return printer.printerState() == QPrinter::Error ? PrintOutcome::Failed : PrintOutcome::Printed;
}
