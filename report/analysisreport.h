#pragma once

#include "reportgeometry.h"

class Canvas;
struct MeasurementRecord;

// The body of the analysis report: waveform box, the two harmonic charts, the
// value list and the harmonic table. The preview is laid out in screen pixels
// for a page `W` wide; the printout in shares of the printed page.

// Expects the state the preview frame leaves (gray pen, gray font of 10
// points).
void DrawAnalysisPreviewBody(Canvas& canvas, const MeasurementRecord& record, int W);

// Expects the state the print header leaves (black pen of width 1). Leaves
// the table's font size for the footer.
void DrawAnalysisPrintBody(Canvas& canvas, const MeasurementRecord& record, const PageFrame& frame,
                           bool landscape);
