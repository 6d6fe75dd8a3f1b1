#pragma once

#include "canvas.h"
#include "reportgeometry.h"

#include <QString>

#include <cstdint>

struct ReportInfo;

// Which report the preview window shows and prints.
enum class ReportKind : std::uint8_t { Analysis = 0, Record = 1 };

// The face of every report text. The generic sans-serif face falls back to
// Japanese glyph forms for Chinese; this one has the Traditional Chinese
// forms, and its half-width Latin digits keep "100.0%" inside the printed
// table's columns, as the classic Chinese system fonts did.
extern const QString kReportFace;

inline const QColor kReportGray{128, 128, 128};

// The current font with another size or colour; the face becomes the
// report's.
void SetFontSize(Canvas& canvas, int points);
void SetFontColor(Canvas& canvas, const QColor& color);
void SetFontSizeAndColor(Canvas& canvas, int points, const QColor& color);

// Preview page (screen pixels, page W x H): title, the analysis report's page
// label, the header and footer rules.
void DrawPreviewHeader(Canvas& canvas, int W, int H, ReportKind kind);
// The information lines under the footer rule, in the current font size.
void DrawPreviewInfoLines(Canvas& canvas, int W, int H, ReportKind kind, const ReportInfo& info);

// Printed page (device pixels): title halves, page label, header rule. The
// title and label sizes follow the orientation.
void DrawPrintHeader(Canvas& canvas, const PageFrame& frame, ReportKind kind, bool landscape);
// Footer rule and information lines, in black at the current font size.
void DrawPrintFooter(Canvas& canvas, const PageFrame& frame, ReportKind kind,
                     const ReportInfo& info);
