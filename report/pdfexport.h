#pragma once

#include "reportpages.h"

#include <QPageLayout>
#include <QPageSize>
#include <QString>

struct ReportInfo;

// The PDF's Creator, and its Title is the report's job title.
extern const QString kReportPdfCreator;

// How writing a report PDF ended; the caller words it.
enum class PdfWriteOutcome {
    Written,
    CannotCreate, // the file could not be opened for writing
    WriteFailed,  // drawing or storing it failed
};

// Writes `report` as a one-page PDF of `paper` in `orientation`, drawn at
// 1200 dpi as on a printer. The page goes to a temporary file that takes
// the name only once complete, so a failure leaves an existing file as it
// was and creates none.
PdfWriteOutcome WriteReportPdf(const QString& path, const ReportDocument& report,
                               const ReportInfo& info, const QPageSize& paper,
                               QPageLayout::Orientation orientation);

// The file name a save offers for a job title: the title with ".pdf", every
// character a file name cannot hold (path separators, the characters other
// systems refuse, control characters) as "_".
QString PdfFileNameFor(const QString& jobTitle);
