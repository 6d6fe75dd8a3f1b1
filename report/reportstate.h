#pragma once

#include "pageframe.h"

// The report chosen by the command that opened the preview, kept for the
// program's life and read by every preview build and print.
struct ReportState {
    ::ReportKind ReportKind = ::ReportKind::Analysis;
};
