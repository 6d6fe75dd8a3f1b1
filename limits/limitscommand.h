#pragma once

#include <QString>

// "qpa3600 --harmonic-limits FILE.zqm --class A|B|C|D [--format text|csv|json]":
// the harmonic limits table and verdict of a snapshot, without a window, a
// display or the instrument's port.
struct LimitsCommandRequest {
    QString inputFile;
    QString emissionClass; // "A" to "D", any letter case
    QString format;        // "text" (the default), "csv" or "json"
};

// Exit codes: every limit kept, a limit exceeded, bad input. A snapshot that
// allows no verdict (no fundamental, Class D above 600 W, an order that
// cannot be computed and none exceeded) is bad input for the question: its
// table is printed all the same and the reason goes to standard error.
inline constexpr int kLimitsKept = 0;
inline constexpr int kLimitsBadInput = 1;
inline constexpr int kLimitsExceeded = 3;

struct LimitsCommandOutcome {
    int exitCode = kLimitsKept;
    QString output; // standard output
    QString error;  // one line for standard error, empty when there is nothing to say
};

LimitsCommandOutcome RunHarmonicLimits(const LimitsCommandRequest& request);
