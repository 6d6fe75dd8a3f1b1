#pragma once

#include "mqttpublisher.h"

#include <functional>

class IniFile;
class QDateTime;
struct MeasurementRecord;

// What a command or a window attaches to publish its measurements: the
// publisher, and each measurement as the JSON object of `measure --format
// json` to the topics of the instrument on the port it came from (named
// once per port, see InstrumentName).
class MeasurementTelemetry {
public:
    // `settings` with their files loaded (LoadBrokerFiles).
    explicit MeasurementTelemetry(BrokerSettings settings, bool harmonics = false);

    MqttPublisher& publisher() { return publisher_; }

    void publish(int comNumber, const IniFile& sysSet, const MeasurementRecord& record,
                 const QDateTime& when);

    // Calls `done` once the broker took every queued measurement, at once
    // when nothing is queued or no broker is connected, and after
    // `timeoutMs` at the latest: a command that ends lets its last
    // measurements go out first.
    void whenDelivered(int timeoutMs, std::function<void()> done);

private:
    MqttPublisher publisher_;
    bool harmonics_;
    int comNumber_ = -1;
};
