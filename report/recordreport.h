#pragma once

#include "recordchart.h"
#include "reportgeometry.h"
#include "reportpages.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <array>
#include <functional>

class Canvas;
struct RecordState;
struct ReportInfo;

// What the record report takes from the record window at the moment it is
// drawn.
struct RecordReportSource {
    // Traces, view, scales and range.
    const RecordState* record = nullptr;
    // Chart and ruler side by side, (W + 50) x H, as the window last drew
    // them; W x H the chart's size as laid out (empty: no picture).
    QImage chartPicture;
    QSize chartSize;
    std::array<QString, 6> captions; // the channel captions, "電壓 " and so on
    // Status panels 0, 2, 3 and 4 as the screen chart last wrote them.
    std::array<QString, 4> status;
};

// The one way the record report's source is built, for the record window and
// for the command line alike: `record`, the chart of `chartSize` as laid out
// (`picture` is asked for chart and ruler only when that is not empty), and
// the channel captions and status panels 0, 2, 3 and 4 as the window shows
// them (`caption` of channels 0-5, `statusPanel` of panels 0, 2, 3, 4).
RecordReportSource RecordReportSourceOf(const RecordState& record, QSize chartSize,
                                        const std::function<QImage()>& picture,
                                        const std::function<QString(int channel)>& caption,
                                        const std::function<QString(int panel)>& statusPanel);

// Expects the state the preview frame leaves (gray pen of width 2, gray
// font). Leaves the gray font of 8 points for the information lines.
void DrawRecordPreviewBody(Canvas& canvas, const RecordReportSource& source, int W, int H);

// Expects the state the print header leaves. Returns the overflow of the
// printed points (none when no file is ready). Leaves black "Arial" of 8
// points for the footer.
RecordOverflow DrawRecordPrintBody(Canvas& canvas, const RecordReportSource& source,
                                   const PageFrame& frame);

// The record report: job title "RecordReport", a landscape sheet, text
// without background on the printed page.
ReportDocument RecordReport(const RecordReportSource& source);
