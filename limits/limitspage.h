#pragma once

#include "canvas.h"
#include "harmoniclimits.h"
#include "reportpages.h"

#include <QDateTime>

#include <optional>

// The harmonic limits page: the class, the measurement's time, the
// assessment's verdict and worst order, the bar chart, the table (with the
// held highest values when there are any) and the method note, drawn
// through the report machinery on the preview and the printed page alike.

struct LimitsPageContent {
    LimitsAssessment assessment;
    std::optional<MaxHold> hold; // the highest values of continuous sampling
    QDateTime taken;             // invalid: not stated
};

ReportDocument HarmonicLimitsReport(const LimitsPageContent& content, const ReportInfo& info);

// The body in `area`, its texts at `points` or smaller where the table
// would not fit otherwise (down to 5 points).
void DrawLimitsPageBody(Canvas& canvas, const CanvasRect& area, const LimitsPageContent& content,
                        int points);

// `text` broken into lines no wider than `width` in the canvas's current
// font, at blanks where a line has one, otherwise between any characters.
QStringList WrappedLines(const Canvas& canvas, const QString& text, int width);
