#pragma once

#include "canvas.h"
#include "reportgeometry.h"

#include <QDateTime>
#include <QString>

#include <cstdint>

struct ReportInfo;

// Which report the preview window shows and prints.
// The harmonic limits page is a one-page report of its own, drawn by the
// limits view's code through ReportDocument.
enum class ReportKind : std::uint8_t { Analysis = 0, Record = 1, HarmonicLimits = 2 };

// The face of every report text. The generic sans-serif face falls back to
// Japanese glyph forms for Chinese; this one has the Traditional Chinese
// forms, and its half-width Latin digits keep "100.0%" inside the printed
// table's columns, as the classic Chinese system fonts did.
extern const QString kReportFace;

inline const QColor kReportGray{128, 128, 128};

// The face the record report's printout names "Arial" from its scale
// captions on: Liberation Sans, metric-compatible with it, and the report
// face for the Chinese characters it lacks. Named outright rather than left
// to the font configuration's aliases, which pick whatever is installed.
extern const QString kReportArialFace;

// The reports' pen: a new one, or the current one with its width, style or
// colour changed.
void SetPen(Canvas& canvas, const QColor& color, int width, PenStyle style = PenStyle::Solid);
void SetPenWidth(Canvas& canvas, int width);
void SetPenStyleWidth(Canvas& canvas, PenStyle style, int width);
void SetPenWidthColor(Canvas& canvas, int width, const QColor& color);
// A line from `from` to `to` in the current pen; the pen position ends at `to`.
void Line(Canvas& canvas, QPoint from, QPoint to);

// The current font with another size (and colour); the face becomes the
// report's.
void SetFontSize(Canvas& canvas, int points);
void SetFontSizeAndColor(Canvas& canvas, int points, const QColor& color);
// The current font in another colour, its face and size kept.
void SetFontColor(Canvas& canvas, const QColor& color);

// Preview page (screen pixels, page W x H): title, the analysis report's page
// label, the header and footer rules. `taken`, when not empty, is the
// measurement's time, written left on the page label's row in its font.
void DrawPreviewHeader(Canvas& canvas, int W, int H, ReportKind kind,
                       const QString& taken = QString());
// The information lines under the footer rule, in the current font size.
void DrawPreviewInfoLines(Canvas& canvas, int W, int H, ReportKind kind, const ReportInfo& info);

// Printed page (device pixels): title halves, page label, header rule. The
// title and label sizes follow the orientation. `taken` as for the preview,
// from the frame's left edge.
void DrawPrintHeader(Canvas& canvas, const PageFrame& frame, ReportKind kind, bool landscape,
                     const QString& taken = QString());

// "提取時間：" and the time as the main window shows it, for a report's
// header; empty for an invalid time (nothing measured yet).
QString MeasurementTakenText(const QDateTime& when);
// Footer rule and information lines, in black in the current face and size.
void DrawPrintFooter(Canvas& canvas, const PageFrame& frame, ReportKind kind,
                     const ReportInfo& info);
