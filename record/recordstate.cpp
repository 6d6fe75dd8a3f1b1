#include "recordstate.h"

#include <cmath>

SampleBuffers::SampleBuffers()
    : values_(static_cast<float*>(
        std::calloc(std::size_t(kRecordChannels) * kMaxSamples, sizeof(float)))),
      times_(static_cast<double*>(std::calloc(kMaxSamples, sizeof(double))))
{
    if (!values_ || !times_)
        throw std::bad_alloc();
}

namespace {

const QDate kOleEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
constexpr double kFirstOleDate = -657434.0; // 0100-01-01
constexpr double kEndOleDate = 2958466.0;   // 10000-01-01

} // namespace

double OleDateFromLocal(const QDateTime& local)
{
    return double(kOleEpoch.daysTo(local.date())) + local.time().msecsSinceStartOfDay() / kMsPerDay;
}

QDate OleWallClock::date() const
{
    return kOleEpoch.addDays(day);
}

std::optional<OleWallClock> WallClockFromOleDate(double date)
{
    // Timestamps come from files: anything that is no date between the years
    // 100 and 9999 gives no date rather than reaching an integer conversion.
    if (!(date >= kFirstOleDate && date < kEndOleDate))
        return std::nullopt;
    const double days = std::floor(date);
    OleWallClock clock{qint64(days), qint64(std::llround((date - days) * kMsPerDay))};
    if (clock.msOfDay >= qint64(kMsPerDay)) { // rounded up to the next midnight
        ++clock.day;
        clock.msOfDay = 0;
    }
    return clock;
}

QDateTime LocalFromOleDate(double date)
{
    // The date and the time of day as the clock showed them: on the day a
    // clock is put forward or back, counting milliseconds from midnight would
    // be off by the change.
    const std::optional<OleWallClock> clock = WallClockFromOleDate(date);
    if (!clock)
        return {};
    return QDateTime(clock->date(), QTime::fromMSecsSinceStartOfDay(int(clock->msOfDay)));
}
