#pragma once

#include "reportpages.h"
#include "savefile.h"

#include <QPageLayout>
#include <QPageSize>
#include <QString>

struct ReportInfo;

// The PDF's Creator, and its Title is the report's job title.
extern const QString kReportPdfCreator;

// Writes `report` as a one-page PDF of `paper` in `orientation`, drawn at
// 1200 dpi as on a printer. The page is drawn in memory and then saved
// through SaveFile, so a failure leaves an existing file as it was, creates
// none, and says why.
SaveResult WriteReportPdf(const QString& path, const ReportDocument& report, const ReportInfo& info,
                          const QPageSize& paper, QPageLayout::Orientation orientation);

// The file name a save offers for a job title: the title with ".pdf", every
// character a file name cannot hold (path separators, the characters other
// systems refuse, control characters) as "_".
QString PdfFileNameFor(const QString& jobTitle);
