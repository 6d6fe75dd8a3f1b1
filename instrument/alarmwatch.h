#pragma once

#include "linkstate.h"
#include "valuepanels.h"

#include <QObject>

#include <vector>

class ResponseDispatcher;
struct MeasurementRecord;

// An enabled threshold of the instrument that a measurement passes: above an
// upper limit (AL1H, AL2H, AL3H, AL4H) or below a lower one.
struct ThresholdBreach {
    int threshold = 0; // 1-8 in register order: AL1H, AL1L, ..., AL4L
    float limit = 0;

    bool upper() const { return threshold % 2 == 1; }
    bool operator==(const ThresholdBreach&) const = default;
};

// The value panel of the quantity a threshold watches. The instrument's four
// pairs watch the RMS voltage, the RMS current, the active power and the
// power factor, the quantities of the alarm window's rows.
PanelId PanelOfThreshold(int threshold);

// The enabled thresholds of `settings` that `record` passes, in register
// order. A value equal to its limit is within it.
std::vector<ThresholdBreach> BreachedThresholds(const MeasurementRecord& record,
                                                const AlarmSettingsT& settings);

// Compares each live measurement with the alarm settings the instrument holds:
// those of the last complete read-back, or of the last write-back the
// instrument acknowledged to the end. Until either happened nothing is
// compared and no breach is reported.
class AlarmWatch : public QObject {
    Q_OBJECT
public:
    AlarmWatch(const LinkState& link, const MeasurementRecord& record,
               ResponseDispatcher& dispatcher, QObject* parent = nullptr);

    bool thresholdsKnown() const { return known_; }
    const std::vector<ThresholdBreach>& breaches() const { return breaches_; }

    // The record now shows a measurement that was not taken live (a snapshot
    // file): nothing is compared until the next live measurement.
    void liveMeasurementLeft();

signals:
    void breachesChanged(const std::vector<ThresholdBreach>& breaches);

private:
    void takeSettings();
    void compare();
    void publish(std::vector<ThresholdBreach> breaches);

    const LinkState& link_;
    const MeasurementRecord& record_;
    AlarmSettingsT inForce_;
    bool known_ = false;
    bool liveShown_ = false;
    std::vector<ThresholdBreach> breaches_;
};
