#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// Statistics of a span of samples of a recording: per channel the count of
// finite values, their minimum, maximum and mean, and for the quantities
// that accumulate (current, active, apparent and reactive power) the energy
// by trapezoids over the samples' own timestamps. No widgets: the record
// window's cursor panel and "--stats" both read these numbers.

// What a channel's quantity integrates to over time.
enum class EnergyUnit { None, AmpereHours, WattHours, VoltAmpereHours, VarHours };
EnergyUnit EnergyUnitOf(std::int32_t quantityCode);
QString EnergyUnitText(EnergyUnit unit); // "Ah", "Wh", "VAh", "varh"; empty for None

struct ChannelStatistics {
    std::int32_t code = -1; // the channel's quantity code
    int count = 0;          // finite values in the span; NaN and infinities are left out
    double minimum = 0;     // of the finite values (count > 0 only)
    double maximum = 0;
    double mean = 0;
    std::optional<double> energy; // for the quantities of EnergyUnitOf, in its unit
};

struct SpanStatistics {
    int first = 0;        // the span's first sample (its oldest)
    int last = -1;        // its last sample, inclusive; last < first: no span
    double firstTime = 0; // OLE dates of the first and last sample
    double lastTime = 0;
    // The typical time between samples: the median of the span's positive
    // steps, in seconds; 0 without two samples. An interval longer than
    // three of these is a gap the energy does not bridge.
    double stepSeconds = 0;
    std::array<ChannelStatistics, 6> channels{};
};

// The samples first..last (clamped to the buffers, inclusive) of six
// channels with their timestamps (OLE dates, ascending as recorded).
struct SpanSource {
    std::array<const float*, 6> channels{};
    const double* timestamps = nullptr;
    std::array<std::int32_t, 6> codes{};
};
SpanStatistics ComputeSpanStatistics(const SpanSource& source, int first, int last);

// The first and last sample whose time lies between `from` and `to` (OLE
// dates, inclusive) among samples 0..last; none when no sample does.
struct SampleSpan {
    int first = 0;
    int last = -1;
};
std::optional<SampleSpan> SamplesBetween(const double* timestamps, int last, double from,
                                         double to);

// A figure as the cursor panel and the text of "--stats" show it: seven
// significant digits ("230.2126", "0.08875", "1.5e+06").
QString StatisticText(double value);

// A cursor's or a span's time to the millisecond, as the cursor panel shows
// it and "--stats" takes and prints it: "2026-12-11T01:02:03.456"; "" for
// no date. Whole seconds would hide that a sample lies after the second
// shown.
QString StatisticTime(double oleDate);

// A time difference as the panels show it: "12.000 s" below a minute, then
// "1:02:03.500" (hours:minutes:seconds), negative with a leading "-".
QString DurationText(double seconds);
