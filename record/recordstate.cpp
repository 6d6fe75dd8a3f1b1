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

} // namespace

double OleDateFromLocal(const QDateTime& local)
{
    return double(kOleEpoch.daysTo(local.date())) + local.time().msecsSinceStartOfDay() / kMsPerDay;
}

QDateTime LocalFromOleDate(double date)
{
    const double days = std::floor(date);
    const auto ms = qint64(std::llround((date - days) * kMsPerDay));
    return QDateTime(kOleEpoch.addDays(qint64(days)), QTime(0, 0)).addMSecs(ms);
}
