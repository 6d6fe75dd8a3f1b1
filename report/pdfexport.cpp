#include "pdfexport.h"

#include "paintercanvas.h"
#include "pdftextmap.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

const QString kReportPdfCreator = QStringLiteral("Quorvane QPA3600");

namespace {

// Device pixels per inch of the page: the printed layouts' absolute offsets
// are laid out for this resolution.
constexpr int kPdfResolution = 1200;

} // namespace

PdfWriteOutcome WriteReportPdf(const QString& path, const ReportDocument& report,
                               const ReportInfo& info, const QPageSize& paper,
                               QPageLayout::Orientation orientation)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return PdfWriteOutcome::CannotCreate;
    // Written to memory first: the text map is mended before the file gets it.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfResolution);
        writer.setTitle(report.jobTitle);
        writer.setCreator(kReportPdfCreator);
        writer.setPageLayout(QPageLayout(paper, orientation, QMarginsF(0, 0, 0, 0)));
        const QRect page = writer.pageLayout().fullRectPixels(kPdfResolution);
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return PdfWriteOutcome::WriteFailed;
        }
        {
            PainterCanvas canvas(painter);
            DrawPrintedPage(canvas, report, PageFrame::ForPage(page.width(), page.height()),
                            orientation == QPageLayout::Landscape, info);
        }
        painter.end();
    }
    QByteArray pdf = buffer.buffer();
    MapRadicalsToIdeographs(pdf);
    if (file.write(pdf) != pdf.size()) {
        file.cancelWriting();
        return PdfWriteOutcome::WriteFailed;
    }
    return file.commit() ? PdfWriteOutcome::Written : PdfWriteOutcome::WriteFailed;
}

QString PdfFileNameFor(const QString& jobTitle)
{
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    QString name = jobTitle;
    for (QChar& c : name) {
        if (c.category() == QChar::Other_Control || refused.contains(c))
            c = QLatin1Char('_');
    }
    return name + QStringLiteral(".pdf");
}
