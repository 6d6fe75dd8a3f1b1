#include "measurementtelemetry.h"

#include "instrumentname.h"
#include "measurementline.h"

#include <QTimer>

#include <memory>

MeasurementTelemetry::MeasurementTelemetry(BrokerSettings settings, bool harmonics)
    : publisher_(std::move(settings)), harmonics_(harmonics)
{
}

void MeasurementTelemetry::publish(int comNumber, const IniFile& sysSet,
                                   const MeasurementRecord& record, const QDateTime& when)
{
    // The name may ask udev: once per port, not per measurement.
    if (comNumber != comNumber_) {
        comNumber_ = comNumber;
        publisher_.setInstrument(InstrumentName(comNumber, &sysSet));
    }
    QByteArray json = MeasurementJsonLine(record, when, harmonics_);
    json.chop(1); // the line's end
    publisher_.publishMeasurement(std::move(json));
}

void MeasurementTelemetry::whenDelivered(int timeoutMs, std::function<void()> done)
{
    const auto delivered = [this] {
        const BrokerStatus& status = publisher_.status();
        return status.queued == 0 || status.state != BrokerStatus::State::Connected;
    };
    if (delivered()) {
        done();
        return;
    }
    auto once = std::make_shared<std::function<void()>>(std::move(done));
    const auto finish = [once] {
        if (*once)
            std::exchange(*once, nullptr)();
    };
    QObject::connect(&publisher_, &MqttPublisher::statusChanged, &publisher_, [delivered, finish] {
        if (delivered())
            finish();
    });
    QTimer::singleShot(timeoutMs, &publisher_, finish);
}
