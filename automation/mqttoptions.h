#pragma once

#include "brokersettings.h"
#include "linkoptions.h"

#include <functional>
#include <memory>
#include <optional>

class MeasurementTelemetry;
class QCommandLineParser;
struct BrokerStatus;

// `--mqtt mqtt://[USER@]HOST[:PORT]/PREFIX` (mqtts:// for TLS),
// `--mqtt-password-file FILE` and `--mqtt-ca-file FILE`, for every command
// that takes measurements.
void AddMqttOptions(QCommandLineParser& parser);
std::vector<OptionHelp> MqttOptionHelp();

// Reads them from a parser that took AddMqttOptions; no --mqtt leaves
// `broker` empty. Returns what is wrong in one line, or an empty text.
QString ReadMqttOptions(const QCommandLineParser& parser, std::optional<BrokerSettings>& broker);

// The line a command prints about the broker, in the command's words.
QString BrokerFileProblemText(BrokerFileProblem problem, const BrokerSettings& settings);
QString BrokerProblemText(const BrokerStatus& status, const BrokerSettings& settings);

// How long an ending command waits for the broker to take its last measurements.
inline constexpr int kMqttDeliveryWaitMs = 5000;

// Ends the command's event loop with `exitCode`: at once without a broker,
// else once the broker took the last measurements or kMqttDeliveryWaitMs
// passed, whichever comes first.
void ExitWhenDelivered(MeasurementTelemetry* telemetry, int exitCode);

// A command's publishing, started: the files read (a problem is said through
// `say` and gives no telemetry, `failed` set), and the broker's connection
// reported through `say` as it changes (problems always, the rest when
// `chatty`). Without a broker: nothing, not failed.
std::unique_ptr<MeasurementTelemetry>
StartCommandTelemetry(const std::optional<BrokerSettings>& broker, bool harmonics, bool chatty,
                      const std::function<void(const QString&)>& say, bool& failed);
