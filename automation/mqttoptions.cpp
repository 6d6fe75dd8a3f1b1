#include "mqttoptions.h"

#include "measurementtelemetry.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

const QString kMqtt = QStringLiteral("mqtt");
const QString kPasswordFile = QStringLiteral("mqtt-password-file");
const QString kCaFile = QStringLiteral("mqtt-ca-file");

QString address(const BrokerSettings& settings)
{
    return QStringLiteral("%1:%2").arg(settings.host).arg(settings.effectivePort());
}

} // namespace

void AddMqttOptions(QCommandLineParser& parser)
{
    parser.addOptions({{kMqtt, {}, QStringLiteral("URL")},
                       {kPasswordFile, {}, QStringLiteral("FILE")},
                       {kCaFile, {}, QStringLiteral("FILE")}});
}

std::vector<OptionHelp> MqttOptionHelp()
{
    return {{QStringLiteral("--mqtt URL"),
             QStringLiteral("also publish each measurement to an MQTT broker: "
                            "mqtt://[USER@]HOST[:PORT]/PREFIX, mqtts:// for TLS")},
            {QStringLiteral("--mqtt-password-file FILE"),
             QStringLiteral("the broker password: the first line of FILE")},
            {QStringLiteral("--mqtt-ca-file FILE"),
             QStringLiteral("mqtts://: the CA that signed the broker's certificate (default: "
                            "the system's)")}};
}

QString ReadMqttOptions(const QCommandLineParser& parser, std::optional<BrokerSettings>& broker)
{
    if (!parser.isSet(kMqtt)) {
        for (const QString& option : {kPasswordFile, kCaFile})
            if (parser.isSet(option))
                return QStringLiteral("--%1 needs --mqtt.").arg(option);
        return {};
    }
    const QString url = parser.value(kMqtt);
    BrokerSettings settings;
    const QString form =
        QStringLiteral("use mqtt://[USER@]HOST[:PORT]/PREFIX, or mqtts:// for TLS");
    switch (ParseBrokerUrl(url, settings)) {
    case BrokerUrlError::None:
        break;
    case BrokerUrlError::Scheme:
        return QStringLiteral("--mqtt '%1' is no broker URL: %2.").arg(url, form);
    case BrokerUrlError::NoHost:
        return QStringLiteral("--mqtt '%1' names no host: %2.").arg(url, form);
    case BrokerUrlError::Port:
        return QStringLiteral("--mqtt '%1': the port is not a number from 1 to 65535.").arg(url);
    case BrokerUrlError::Prefix:
        return QStringLiteral("--mqtt '%1': the topic prefix may not hold '+' or '#'.").arg(url);
    case BrokerUrlError::Password:
        return QStringLiteral("--mqtt: give the password with --mqtt-password-file, not in the "
                              "URL (a command line is seen by every user of the computer).");
    }
    settings.passwordFile = parser.value(kPasswordFile);
    settings.caFile = parser.value(kCaFile);
    if (!settings.caFile.isEmpty() && !settings.tls)
        return QStringLiteral("--mqtt-ca-file is for TLS: use an mqtts:// URL.");
    broker = settings;
    return {};
}

QString BrokerFileProblemText(BrokerFileProblem problem, const BrokerSettings& settings)
{
    switch (problem) {
    case BrokerFileProblem::None:
        break;
    case BrokerFileProblem::PasswordUnreadable:
        return QStringLiteral("the MQTT password file %1 cannot be read.")
            .arg(settings.passwordFile);
    case BrokerFileProblem::CaUnreadable:
        return QStringLiteral("the MQTT CA file %1 cannot be read.").arg(settings.caFile);
    }
    return {};
}

QString BrokerProblemText(const BrokerStatus& status, const BrokerSettings& settings)
{
    using Problem = BrokerStatus::Problem;
    switch (status.problem) {
    case Problem::None:
        return {};
    case Problem::Unreachable:
        return QStringLiteral("no MQTT broker answers at %1").arg(address(settings));
    case Problem::UnknownHost:
        return QStringLiteral("the MQTT broker's host %1 is not known").arg(settings.host);
    case Problem::NotAuthorised:
        return QStringLiteral("the MQTT broker at %1 refused the user name or password")
            .arg(address(settings));
    case Problem::Rejected:
        return QStringLiteral("the MQTT broker at %1 refused the connection")
            .arg(address(settings));
    case Problem::TlsFailed:
        return QStringLiteral("no TLS session with the MQTT broker at %1 (is its certificate "
                              "signed by the CA given, and does it speak TLS there?)")
            .arg(address(settings));
    case Problem::Lost:
        return QStringLiteral("the connection to the MQTT broker at %1 broke")
            .arg(address(settings));
    }
    return {};
}

std::unique_ptr<MeasurementTelemetry>
StartCommandTelemetry(const std::optional<BrokerSettings>& broker, bool harmonics, bool chatty,
                      const std::function<void(const QString&)>& say, bool& failed)
{
    failed = false;
    if (!broker)
        return nullptr;
    BrokerSettings settings = *broker;
    const BrokerFileProblem problem = LoadBrokerFiles(settings);
    if (problem != BrokerFileProblem::None) {
        say(BrokerFileProblemText(problem, settings));
        failed = true;
        return nullptr;
    }
    auto telemetry = std::make_unique<MeasurementTelemetry>(settings, harmonics);
    MqttPublisher& publisher = telemetry->publisher();
    auto told = std::make_shared<BrokerStatus>();
    QObject::connect(
        &publisher, &MqttPublisher::statusChanged, &publisher,
        [told, settings, chatty, say](const BrokerStatus& status) {
            using State = BrokerStatus::State;
            if (status.state == told->state && status.problem == told->problem)
                return;
            if (status.state == State::Connected) {
                if (chatty || status.dropped != told->dropped)
                    say(QStringLiteral("publishing to the MQTT broker at %1%2")
                            .arg(address(settings),
                                 status.dropped == 0
                                     ? QString()
                                     : QStringLiteral(" (%1 measurements dropped while it was "
                                                      "away)")
                                           .arg(status.dropped)));
                *told = status;
            } else if (status.state == State::Waiting && status.problem != told->problem) {
                say(QStringLiteral("%1; measurements are queued (up to %2) and retried")
                        .arg(BrokerProblemText(status, settings))
                        .arg(settings.queueLimit));
                *told = status;
            }
        });
    return telemetry;
}

void ExitWhenDelivered(MeasurementTelemetry* telemetry, int exitCode)
{
    if (!telemetry) {
        QCoreApplication::exit(exitCode);
        return;
    }
    telemetry->whenDelivered(kMqttDeliveryWaitMs, [exitCode] { QCoreApplication::exit(exitCode); });
}
