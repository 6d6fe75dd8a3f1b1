#include "spanstatistics.h"

#include "recordstate.h"

#include <QTime>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr double kSecondsPerHour = 3600.0;
// An interval counts as a gap when it is longer than this many steps; the
// millisecond of slack keeps an interval of exactly three steps, whose
// timestamps carry the rounding of OLE dates, on the bridged side.
constexpr double kGapSteps = 3.0;
constexpr double kGapSlackSeconds = 0.001;

// The seconds between two samples; NaN when either time is no number.
double IntervalSeconds(const double* times, int i)
{
    return (times[i + 1] - times[i]) * kSecondsPerDay;
}

double MedianStep(const double* times, int first, int last)
{
    std::vector<double> steps;
    steps.reserve(std::size_t(std::max(0, last - first)));
    for (int i = first; i < last; ++i) {
        const double dt = IntervalSeconds(times, i);
        if (dt > 0 && std::isfinite(dt))
            steps.push_back(dt);
    }
    if (steps.empty())
        return 0;
    const auto middle = steps.begin() + std::ptrdiff_t(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return *middle;
}

ChannelStatistics ChannelOver(const float* values, const double* times, int first, int last,
                              std::int32_t code, double gapSeconds)
{
    ChannelStatistics s;
    s.code = code;
    double sum = 0;
    double minimum = std::numeric_limits<double>::infinity();
    double maximum = -minimum;
    int count = 0;
    for (int i = first; i <= last; ++i) {
        const double v = values[i];
        if (!std::isfinite(v))
            continue;
        ++count;
        sum += v;
        minimum = std::min(minimum, v);
        maximum = std::max(maximum, v);
    }
    s.count = count;
    if (count > 0) {
        s.minimum = minimum;
        s.maximum = maximum;
        s.mean = sum / count;
    }
    if (EnergyUnitOf(code) == EnergyUnit::None)
        return s;
    // Trapezoids between neighbouring samples whose values are both known
    // and whose interval is a step forward, not a gap.
    double valueSeconds = 0;
    for (int i = first; i < last; ++i) {
        const double dt = IntervalSeconds(times, i);
        if (!(dt > 0 && dt <= gapSeconds))
            continue;
        const double a = values[i];
        const double b = values[i + 1];
        if (std::isfinite(a) && std::isfinite(b))
            valueSeconds += (a + b) * 0.5 * dt;
    }
    s.energy = valueSeconds / kSecondsPerHour;
    return s;
}

} // namespace

EnergyUnit EnergyUnitOf(std::int32_t quantityCode)
{
    switch (quantityCode) {
    case 1:
        return EnergyUnit::AmpereHours;
    case 2:
        return EnergyUnit::WattHours;
    case 3:
        return EnergyUnit::VoltAmpereHours;
    case 4:
        return EnergyUnit::VarHours;
    default:
        return EnergyUnit::None;
    }
}

QString EnergyUnitText(EnergyUnit unit)
{
    switch (unit) {
    case EnergyUnit::AmpereHours:
        return QStringLiteral("Ah");
    case EnergyUnit::WattHours:
        return QStringLiteral("Wh");
    case EnergyUnit::VoltAmpereHours:
        return QStringLiteral("VAh");
    case EnergyUnit::VarHours:
        return QStringLiteral("varh");
    case EnergyUnit::None:
        break;
    }
    return {};
}

SpanStatistics ComputeSpanStatistics(const SpanSource& source, int first, int last)
{
    SpanStatistics s;
    s.first = std::max(0, first);
    s.last = std::min(last, kMaxSamples - 1);
    for (int c = 0; c < 6; ++c)
        s.channels[std::size_t(c)].code = source.codes[std::size_t(c)];
    if (s.last < s.first)
        return s;
    const double* times = source.timestamps;
    s.firstTime = times[s.first];
    s.lastTime = times[s.last];
    s.stepSeconds = MedianStep(times, s.first, s.last);
    const double gapSeconds = kGapSteps * s.stepSeconds + kGapSlackSeconds;
    for (int c = 0; c < 6; ++c) {
        const auto k = std::size_t(c);
        s.channels[k] =
            ChannelOver(source.channels[k], times, s.first, s.last, source.codes[k], gapSeconds);
    }
    return s;
}

std::optional<SampleSpan> SamplesBetween(const double* timestamps, int last, double from, double to)
{
    SampleSpan span{-1, -1};
    for (int i = 0; i <= last; ++i) {
        const double t = timestamps[i];
        if (t >= from && t <= to) {
            if (span.first < 0)
                span.first = i;
            span.last = i;
        }
    }
    if (span.first < 0)
        return std::nullopt;
    return span;
}

QString StatisticText(double value)
{
    return QString::number(value, 'g', 7);
}

QString DurationText(double seconds)
{
    if (!std::isfinite(seconds))
        return QStringLiteral("—");
    const QString sign = seconds < 0 ? QStringLiteral("-") : QString();
    const qint64 ms = std::llround(std::abs(seconds) * 1000);
    if (ms < 60000)
        return sign + QString::number(double(ms) / 1000, 'f', 3) + QStringLiteral(" s");
    const qint64 hours = ms / 3600000;
    const qint64 minutes = ms / 60000 % 60;
    const double rest = double(ms % 60000) / 1000;
    return sign
           + QStringLiteral("%1:%2:%3")
                 .arg(hours)
                 .arg(minutes, 2, 10, QLatin1Char('0'))
                 .arg(rest, 6, 'f', 3, QLatin1Char('0'));
}

QString StatisticTime(double oleDate)
{
    const std::optional<OleWallClock> clock = WallClockFromOleDate(oleDate);
    if (!clock)
        return {};
    return clock->date().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('T')
           + QTime::fromMSecsSinceStartOfDay(int(clock->msOfDay))
                 .toString(QStringLiteral("HH:mm:ss.zzz"));
}
