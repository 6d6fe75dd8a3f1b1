#pragma once

#include "recordreport.h"

#include <QString>

#include <optional>

struct RecordState;

// A report written from the command line, as the arguments name it:
// qpa3600 --report-pdf OUT.pdf [--paper A4|A3|Letter|Legal]
//         [--orientation portrait|landscape] [--autoscale] FILE
struct CommandLineReport {
    QString outputPath;     // the PDF to write
    QString paper;          // "A4", "A3", "Letter" or "Legal"; empty: A4
    QString orientation;    // "portrait" or "landscape"; empty: the report's own sheet
    QString inputFile;      // a snapshot or a record file
    QString settingsFolder; // where "EnterInfo.ini" is read
    bool autoscale = false; // a recording's chart autoscaled (a snapshot refuses it)
};

// Writes the report of `request.inputFile` as a one-page PDF without any
// window, port or settings write: a snapshot gives the analysis report, a
// record file the record report as the record window shows the file right
// after opening it. Returns the exit code: 0 when the PDF was written,
// otherwise 1 with a message on standard error and no file. An output that
// is the input file (under any name) or is named like a snapshot or record
// file is refused. Paths are lossless UTF-8 (losslessutf8.h): the files
// opened and written are those of the names' exact bytes.
int WriteCommandLineReport(const CommandLineReport& request);

// The record report's source for the record file `path`, read into `record`,
// as the record window shows the file right after opening it in a fresh
// program: the browsing view at its start, the file's captions, the status
// panels its chart writes at the designed size; no chart picture. Nothing,
// with the record window's message on standard error, when the file cannot
// be read. With `autoscale`, the chart as the record window's autoscale
// leaves it at the designed size.
std::optional<RecordReportSource>
CommandLineRecordReportSource(const QString& path, RecordState& record, bool autoscale = false);
