#include "recordstate.h"

#include <cmath>

SampleBuffers::SampleBuffers()
    : values_(static_cast<float*>(std::calloc(std::size_t(kRecordChannels) * kMaxSamples,
                                              sizeof(float)))),
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

QDateTime LocalFromOleDate(double date)
{
    // Timestamps come from files: anything that is no date between the years
    // 100 and 9999 gives no date rather than reaching an integer conversion.
    if (!(date >= kFirstOleDate && date < kEndOleDate))
        return {};
    const double days = std::floor(date);
    const auto ms = qint64(std::llround((date - days) * kMsPerDay));
    return QDateTime(kOleEpoch.addDays(qint64(days)), QTime(0, 0)).addMSecs(ms);
}
