#pragma once

#include "spanstatistics.h"

#include <QWidget>

#include <array>
#include <optional>

class QLabel;
class QTableWidget;

// What the record window's cursor panel shows: the cursors' times, the
// values under them and the statistics of the span (A..B, or the whole
// recording), for the channels shown.
struct CursorReading {
    std::optional<double> timeA; // OLE dates of the cursors' samples
    std::optional<double> timeB;
    std::array<std::optional<float>, 6> valueA{};
    std::array<std::optional<float>, 6> valueB{};
    std::array<bool, 6> shown{};
    bool span = false; // the statistics cover A..B; otherwise the whole recording
    SpanStatistics statistics;
};

// The panel "游標與統計": the two cursors' times and Δt above a table with a
// row per shown channel: its quantity and unit, the values at A and B, their
// difference, and minimum, maximum, mean and energy over the span.
class SpanStatisticsPanel : public QWidget {
public:
    explicit SpanStatisticsPanel(QWidget* parent = nullptr);

    void showReading(const CursorReading& reading);
    // The panel as lines of text: the cursors, Δt and span, then a line per
    // shown channel (for a picture or a report of the chart).
    QStringList summaryLines() const;

    QLabel* cursorALabel = nullptr;
    QLabel* cursorBLabel = nullptr;
    QLabel* deltaLabel = nullptr;
    QLabel* spanLabel = nullptr;
    QTableWidget* table = nullptr;
};
