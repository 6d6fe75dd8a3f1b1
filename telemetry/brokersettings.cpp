#include "brokersettings.h"

#include "inifile.h"

#include <QFile>
#include <QUrl>

#include <optional>

namespace {

// A topic level of the prefix may not hold MQTT's wildcards.
bool validPrefix(const QString& prefix)
{
    return !prefix.contains(QLatin1Char('+')) && !prefix.contains(QLatin1Char('#'))
           && !prefix.contains(QChar(0));
}

std::optional<int> readNumber(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

SavedBrokerSettings ReadBrokerSettings(const IniFile& sysSet)
{
    SavedBrokerSettings saved;
    BrokerSettings& s = saved.settings;
    const auto text = [&](const char* key) {
        return sysSet.ReadString(kBrokerSection, QLatin1String(key), QString()).trimmed();
    };
    const auto number = [&](const char* key, int low, int high, int& field) {
        const QString value = text(key);
        if (value.isEmpty())
            return;
        if (const std::optional<int> n = readNumber(value, low, high))
            field = *n;
        else
            saved.invalidKeys << QLatin1String(key);
    };
    s.host = text("Host");
    s.clientId = text("ClientId");
    s.prefix = text("TopicPrefix");
    s.user = text("User");
    s.passwordFile = text("PasswordFile");
    s.caFile = text("CaFile");
    number("Port", 1, 65535, s.port);
    int tls = 0;
    number("Tls", 0, 1, tls);
    s.tls = tls == 1;
    number("Qos", 0, 1, s.qos);
    number("QueueLimit", 1, 10'000'000, s.queueLimit);
    if (!validPrefix(s.prefix)) {
        saved.invalidKeys << QStringLiteral("TopicPrefix");
        s.prefix.clear();
    }
    return saved;
}

BrokerUrlError ParseBrokerUrl(const QString& text, BrokerSettings& settings)
{
    // By hand rather than with QUrl, which gives no host at all for a URL
    // whose port is out of range: each mistake gets its own answer.
    const qsizetype schemeEnd = text.indexOf(QLatin1String("://"));
    const QString scheme = schemeEnd > 0 ? text.left(schemeEnd).toLower() : QString();
    if (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts"))
        return BrokerUrlError::Scheme;
    const QString rest = text.mid(schemeEnd + 3);
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    const QString authority = slash < 0 ? rest : rest.left(slash);
    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    const QString userInfo = at < 0 ? QString() : authority.left(at);
    // The password comes from a file only: one in the URL would show in `ps`.
    if (userInfo.contains(QLatin1Char(':')))
        return BrokerUrlError::Password;
    const QString hostPort = authority.mid(at + 1);
    QString host = hostPort;
    QString portText;
    bool hasPort = false;
    if (hostPort.startsWith(QLatin1Char('['))) { // [IPv6]:port
        const qsizetype close = hostPort.indexOf(QLatin1Char(']'));
        if (close < 0)
            return BrokerUrlError::NoHost;
        host = hostPort.mid(1, close - 1);
        hasPort = hostPort.mid(close + 1).startsWith(QLatin1Char(':'));
        portText = hostPort.mid(close + 2);
    } else if (const qsizetype colon = hostPort.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        host = hostPort.left(colon);
        hasPort = true;
        portText = hostPort.mid(colon + 1);
    }
    if (host.isEmpty())
        return BrokerUrlError::NoHost;
    int port = 0;
    if (hasPort) {
        bool ok = false;
        port = portText.toInt(&ok, 10);
        if (!ok || port < 1 || port > 65535)
            return BrokerUrlError::Port;
    }
    QString prefix =
        slash < 0 ? QString() : QUrl::fromPercentEncoding(rest.mid(slash + 1).toUtf8());
    while (prefix.startsWith(QLatin1Char('/')))
        prefix.remove(0, 1);
    while (prefix.endsWith(QLatin1Char('/')))
        prefix.chop(1);
    if (!validPrefix(prefix))
        return BrokerUrlError::Prefix;
    settings.tls = scheme == QLatin1String("mqtts");
    settings.host = host;
    settings.port = port;
    settings.prefix = prefix;
    if (!userInfo.isEmpty())
        settings.user = QUrl::fromPercentEncoding(userInfo.toUtf8());
    return BrokerUrlError::None;
}

BrokerFileProblem LoadBrokerFiles(BrokerSettings& settings)
{
    if (!settings.passwordFile.isEmpty()) {
        QFile file(settings.passwordFile);
        if (!file.open(QIODevice::ReadOnly))
            return BrokerFileProblem::PasswordUnreadable;
        // The first line, as `echo secret > file` writes it.
        QByteArray password = file.readLine(4096);
        while (password.endsWith('\n') || password.endsWith('\r'))
            password.chop(1);
        settings.password = password;
    }
    if (settings.tls && !settings.caFile.isEmpty()) {
        QFile file(settings.caFile);
        if (!file.open(QIODevice::ReadOnly) || file.read(1).isEmpty())
            return BrokerFileProblem::CaUnreadable;
    }
    return BrokerFileProblem::None;
}
