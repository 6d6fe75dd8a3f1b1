#include "pdfexport.h"

#include "paintercanvas.h"
#include "pdftextmap.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

const QString kReportPdfCreator = QStringLiteral("Quorvane QPA3600");

namespace {

// Device pixels per inch of the page: the printed layouts' absolute offsets
// are laid out for this resolution.
constexpr int kPdfResolution = 1200;

} // namespace

SaveResult WriteReportPdf(const QString& path, const ReportDocument& report, const ReportInfo& info,
                          const QPageSize& paper, QPageLayout::Orientation orientation)
{
    // The PDF writer reports no failure of its device, so the page is drawn
    // into memory and only the finished bytes go to the file.
    QByteArray bytes;
    bool drawn = false;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfResolution);
        writer.setTitle(report.jobTitle);
        writer.setCreator(kReportPdfCreator);
        writer.setPageLayout(QPageLayout(paper, orientation, QMarginsF(0, 0, 0, 0)));
        const QRect page = writer.pageLayout().fullRectPixels(kPdfResolution);
        QPainter painter;
        if (painter.begin(&writer)) {
            {
                PainterCanvas canvas(painter);
                DrawPrintedPage(canvas, report, PageFrame::ForPage(page.width(), page.height()),
                                orientation == QPageLayout::Landscape, info);
            }
            drawn = painter.end();
        }
    }
    if (!drawn)
        return {SaveFailure::ContentFailed, 0, path, {}};
    // The text map is mended before the file gets the bytes.
    MapRadicalsToIdeographs(bytes);
    return SaveFile(path, bytes);
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
