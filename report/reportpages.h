#pragma once

#include "pageframe.h"

#include <QDateTime>
#include <QString>

#include <functional>

class Canvas;
struct MeasurementRecord;
struct ReportInfo;

// One report as the preview window and the print job see it: its kind, the
// job title, and how its body draws on each page. The record report adds a
// second instance of this, without changes to the page code.
struct ReportDocument {
    ReportKind kind = ReportKind::Analysis;
    QString jobTitle;
    // Preview body on a page W x H (screen pixels).
    std::function<void(Canvas&, int W, int H)> drawPreviewBody;
    // Printed body on a page with `frame` (device pixels).
    std::function<void(Canvas&, const PageFrame& frame, bool landscape)> drawPrintBody;
    // The text background of the whole printed page, frame included.
    TextBackground printTextBackground = TextBackground::Opaque;
    // The orientation of the sheet the layout is designed for, used until
    // the user chooses one.
    bool designedLandscape = false;
    // The header's note of when the measurement was taken; empty for none.
    QString taken;
};

// The analysis report of `record` with the job title from `info`; its header
// says when the measurement was taken unless `taken` is invalid.
ReportDocument AnalysisReport(const MeasurementRecord& record, const ReportInfo& info,
                              const QDateTime& taken = QDateTime());

// The whole preview page, frame and body, in the order the report kind
// draws them. The canvas keeps whatever state it had; the page is expected
// to be filled white already.
void DrawPreviewPage(Canvas& canvas, const ReportDocument& report, int W, int H,
                     const ReportInfo& info);

// The whole printed page: header, body, footer.
void DrawPrintedPage(Canvas& canvas, const ReportDocument& report, const PageFrame& frame,
                     bool landscape, const ReportInfo& info);
