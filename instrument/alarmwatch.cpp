#include "alarmwatch.h"

#include "measurementrecord.h"
#include "registermap.h"
#include "responsedispatcher.h"

namespace {

struct WatchedQuantity {
    float MeasurementRecord::*field;
    PanelId panel;
};

// By threshold pair: AL1, AL2, AL3, AL4.
constexpr WatchedQuantity kWatched[4] = {
    {&MeasurementRecord::URMS, PanelId::Panel_URMS},
    {&MeasurementRecord::IRMS, PanelId::Panel_IRMS},
    {&MeasurementRecord::WRMS, PanelId::Panel_WRMS},
    {&MeasurementRecord::PF, PanelId::Panel_PF},
};

} // namespace

PanelId PanelOfThreshold(int threshold)
{
    return kWatched[(threshold - 1) / 2].panel;
}

std::vector<ThresholdBreach> BreachedThresholds(const MeasurementRecord& record,
                                                const AlarmSettingsT& settings)
{
    std::vector<ThresholdBreach> breaches;
    for (int threshold = 1; threshold <= 8; ++threshold) {
        if (!(settings.AlarmFlags & (1u << (threshold - 1))))
            continue;
        const float value = record.*kWatched[(threshold - 1) / 2].field;
        const float limit = settings.threshold(threshold);
        const bool passed = threshold % 2 == 1 ? value > limit : value < limit;
        if (passed)
            breaches.push_back({threshold, limit});
    }
    return breaches;
}

AlarmWatch::AlarmWatch(const LinkState& link, const MeasurementRecord& record,
                       ResponseDispatcher& dispatcher, QObject* parent)
    : QObject(parent), link_(link), record_(record)
{
    connect(&dispatcher, &ResponseDispatcher::measurementStored, this, [this] {
        liveShown_ = true;
        compare();
    });
    connect(&dispatcher, &ResponseDispatcher::readBackComplete, this, &AlarmWatch::takeSettings);
    // The flags are written last: once they are acknowledged, the instrument
    // holds every value of the write-back.
    connect(&dispatcher, &ResponseDispatcher::alarmWriteAcknowledged, this, [this](int reg) {
        if (reg == Register::AlarmFlags)
            takeSettings();
    });
}

void AlarmWatch::liveMeasurementLeft()
{
    liveShown_ = false;
    publish({});
}

void AlarmWatch::takeSettings()
{
    inForce_ = link_.AlarmSettings;
    known_ = true;
    if (liveShown_)
        compare();
}

void AlarmWatch::compare()
{
    publish(known_ ? BreachedThresholds(record_, inForce_) : std::vector<ThresholdBreach>{});
}

void AlarmWatch::publish(std::vector<ThresholdBreach> breaches)
{
    if (breaches == breaches_)
        return;
    breaches_ = std::move(breaches);
    emit breachesChanged(breaches_);
}
