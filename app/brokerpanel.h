#pragma once

#include "brokersettings.h"
#include "mqttpublisher.h"

#include <QLabel>

// The status bar's panel of the MQTT broker: where the connection stands,
// what waits to be sent and what was dropped. Hidden while no broker is set.
class BrokerPanel : public QLabel {
    Q_OBJECT
public:
    explicit BrokerPanel(QWidget* parent = nullptr);

    // A broker is set: `settings` name it; `invalidKeys` of its section were
    // not understood (their defaults are used), said beside the state.
    void setBroker(const BrokerSettings& settings, const QStringList& invalidKeys);
    void showStatus(const BrokerStatus& status);
    // The broker's files could not be read: nothing is published.
    void showFileProblem(BrokerFileProblem problem);

    static QString StatusText(const BrokerStatus& status, const BrokerSettings& settings);
    static QString FileProblemText(BrokerFileProblem problem, const BrokerSettings& settings);
    static QString InvalidKeysText(const QStringList& keys);
    static constexpr int kMinimumWidth = 60;

private:
    void showText(const QString& text);

    BrokerSettings settings_;
    QString invalidKeys_;
};
