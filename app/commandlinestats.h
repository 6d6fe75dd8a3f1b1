#pragma once

#include "spanstatistics.h"

#include <QString>

#include <optional>

// "qpa3600 --stats FILE.zqr [--from TIME] [--to TIME] [--format text|csv|json]":
// the statistics of a record file's channels over a span of time, without a
// window, a display or the instrument's port.
struct StatisticsRequest {
    QString inputFile;
    QString from;   // TIME, empty: the first sample
    QString to;     // TIME, empty: the last sample
    QString format; // "text" (the default), "csv" or "json"
};

// What the command prints and returns: the exit code 0 with the table on
// standard output, or 1 with one line on standard error and nothing else.
struct StatisticsOutcome {
    int exitCode = 0;
    QString output;
    QString error;
};

// The times TIME may take, all in the recording's own local time:
//   2026-12-11T01:02:03[.456] or "2026-12-11 01:02:03" (seconds optional),
//   01:02[:03[.456]] a time of day: its first moment at or after the first
//     sample (for --to, at or after --from), on the day after the start
//     when the start's time of day is later,
//   +SECONDS (decimal) after the first sample.
// As an OLE date, or none for a text that is none of these.
std::optional<double> StatisticsTime(const QString& text, double firstSample,
                                     std::optional<double> notBefore);

StatisticsOutcome RunStatistics(const StatisticsRequest& request);

// The same numbers as text: the shortest decimal that reads back to the
// same double ("0.1527777777777778"); "" for none.
QString StatisticNumber(std::optional<double> value);
