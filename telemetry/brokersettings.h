#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class IniFile;

// Where measurements are published: an MQTT broker and how to reach it.
struct BrokerSettings {
    static constexpr int kPlainPort = 1883;
    static constexpr int kTlsPort = 8883;
    static constexpr int kDefaultQueueLimit = 10000;

    QString host;     // empty: no broker, nothing is published
    int port = 0;     // 0: the usual port of the transport
    QString clientId; // empty: one made of the host name and the process
    QString prefix;   // topics are PREFIX/INSTRUMENT/...
    QString user;     // empty: no user name is sent
    QString passwordFile;
    bool tls = false;
    QString caFile; // TLS: the certificate authority to trust; empty: the system's
    int qos = 1;    // 0 or 1
    int queueLimit = kDefaultQueueLimit;

    // Read from passwordFile by LoadBrokerFiles; kept in memory only.
    QByteArray password;

    bool enabled() const { return !host.isEmpty(); }
    int effectivePort() const { return port != 0 ? port : tls ? kTlsPort : kPlainPort; }
};

// Section "Mqtt" of "SysSet.ini": "Host", "Port", "ClientId", "TopicPrefix",
// "User", "PasswordFile", "Tls" (0/1), "CaFile", "Qos" (0/1) and
// "QueueLimit". A value that does not read as its kind keeps the default and
// its key is listed in `invalidKeys`.
struct SavedBrokerSettings {
    BrokerSettings settings;
    QStringList invalidKeys;
};
SavedBrokerSettings ReadBrokerSettings(const IniFile& sysSet);
inline const QString kBrokerSection = QStringLiteral("Mqtt");

// `mqtt://[USER@]HOST[:PORT]/PREFIX`, or `mqtts://` for TLS: the fields it
// names are set in `settings`, the others are left alone.
enum class BrokerUrlError { None, Scheme, NoHost, Port, Prefix, Password };
BrokerUrlError ParseBrokerUrl(const QString& text, BrokerSettings& settings);

// Reads the password file and checks that the CA file can be read, so that a
// mistake is told at start rather than as a refused connection later.
enum class BrokerFileProblem { None, PasswordUnreadable, CaUnreadable };
BrokerFileProblem LoadBrokerFiles(BrokerSettings& settings);
