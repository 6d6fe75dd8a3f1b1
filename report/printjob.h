#pragma once

#include "reportpages.h"

class QPrinter;

// How a print job ended. The window turns this into its message.
enum class PrintOutcome {
    Printed,
    NotStarted, // no printer, or the device refused to start (e.g. an unwritable file)
    Failed,     // started, but the printer reported an error at the end
};

// Prepares `printer` for the reports: high resolution, the whole sheet as the
// page (no margins), so the frame counts from the paper edge.
void PrepareReportPrinter(QPrinter& printer);

// Prints `report` as one page on `printer` with its current settings, no
// dialog: job title, page frame from the sheet's size in device pixels,
// fonts by orientation.
PrintOutcome PrintReport(QPrinter& printer, const ReportDocument& report, const ReportInfo& info);
