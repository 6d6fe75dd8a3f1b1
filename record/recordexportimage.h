#pragma once

#include "chartbox.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class Canvas;
struct RecordState;

// The record chart as a picture that explains itself: a title with the file
// name and the time span shown, the chart and its ruler, a time axis with
// labels, a legend of the shown channels (name, unit and units per division
// in their colours) and, when a span of samples is marked, its two edges on
// the chart and the lines that describe it.

// A marked span: its first and last sample and the text lines that go with
// it (times, differences, statistics), made by the window.
struct RecordExportSpan {
    int first = 0;
    int last = 0;
    QStringList lines;
};

// The time of the sample drawn in chart column `column`.
struct RecordAxisTick {
    int column = 0;
    double time = 0;
};

struct RecordExportContent {
    QString fileName;                // shown in the title, without its folder
    std::optional<double> startTime; // oldest and newest sample in view
    std::optional<double> endTime;
    std::vector<RecordAxisTick> axis;  // one a label, left to right
    std::array<std::int32_t, 6> codes; // the channels' quantities
    std::optional<RecordExportSpan> span;
    // The chart column where a sample is drawn; none when it is not in view.
    std::function<std::optional<int>(int sample)> columnOfSample;
};

// The columns of the chart `width` wide with `points` drawn points that
// carry the time axis's labels: every 100 pixels where there is a point, and
// the oldest point drawn where no label stands within 60 pixels of it.
std::vector<int> RecordAxisColumns(int width, int points);

// "trend.zqr   2026-12-11 01:02:03 – 2026-12-11 03:04:05": the title line.
QString RecordExportTitle(const RecordExportContent& content);
// "CH1 電壓 (V)   50/DIV": a shown channel in the legend.
QString RecordLegendText(int channel, std::int32_t code, int rangeMode, float scale);

// Draws the picture on `canvas` with the chart picture `chart` ((W + 50) x
// H, as the window drew it) and returns its size; drawn on a recording
// canvas it lays the picture out without painting.
QSize DrawRecordExport(Canvas& canvas, const QImage& chart, const RecordState& record,
                       const RecordExportContent& content, const ChartColors& colors);
// The picture itself.
QImage RenderRecordExport(const QImage& chart, const RecordState& record,
                          const RecordExportContent& content, const ChartColors& colors);
