#include "linkoptions.h"

#include "baudratelist.h"
#include "inifile.h"
#include "networkaddress.h"

#include <QCommandLineParser>

namespace {

const QString kPort = QStringLiteral("port");
const QString kDevice = QStringLiteral("device");
const QString kUrl = QStringLiteral("url");
const QString kBaud = QStringLiteral("baud");
const QString kAddress = QStringLiteral("address");

// A whole decimal number, or -1.
int wholeNumber(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok && value >= 0 ? value : -1;
}

QString rateList()
{
    QStringList rates;
    for (const BaudRateEntry& entry : kBaudRateList)
        rates << QString::number(BaudRateValue(entry.rate));
    return rates.join(QStringLiteral(", "));
}

int baudIndexOf(int bitsPerSecond)
{
    for (int i = 0; i < int(kBaudRateList.size()); ++i)
        if (BaudRateValue(kBaudRateList[std::size_t(i)].rate) == bitsPerSecond)
            return i;
    return -1;
}

} // namespace

QString NetworkAddressProblem(const QString& text)
{
    if (!IsNetworkAddress(text))
        return QStringLiteral("is no network address: use tcp://HOST:PORT or rfc2217://HOST:PORT.");
    const NetworkAddressParse parsed = ParseNetworkAddress(text);
    if (parsed.address)
        return {};
    switch (parsed.error) {
    case NetworkAddressError::OtherScheme:
        return QStringLiteral("has a scheme the program does not speak: use tcp:// (raw bytes) "
                              "or rfc2217:// (Telnet with the COM-PORT option).");
    case NetworkAddressError::NoHost:
        return QStringLiteral("names no host: use tcp://HOST:PORT or rfc2217://HOST:PORT.");
    case NetworkAddressError::NoPort:
        return QStringLiteral("names no port: add it after the host, as in tcp://HOST:4001 "
                              "(an IPv6 address goes in brackets, [::1]:4001).");
    case NetworkAddressError::BadPort:
        return QStringLiteral("has a port that is no number from 1 to 65535.");
    }
    return {};
}

void AddLinkOptions(QCommandLineParser& parser)
{
    parser.addOptions({{kPort, {}, QStringLiteral("COMn")},
                       {kDevice, {}, QStringLiteral("PATH")},
                       {kUrl, {}, QStringLiteral("URL")},
                       {kBaud, {}, QStringLiteral("N")},
                       {kAddress, {}, QStringLiteral("N")}});
}

std::vector<OptionHelp> LinkOptionHelp()
{
    return {
        {QStringLiteral("--port COMn"),
         QStringLiteral("the instrument's port, COM1-COM255 as the port map names them "
                        "(default: the saved port)")},
        {QStringLiteral("--device PATH"),
         QStringLiteral("the serial device to use instead of a COM port (/dev/ttyUSB0, a "
                        "pseudo-terminal)")},
        {QStringLiteral("--url URL"),
         QStringLiteral("a serial device server on the network: tcp://HOST:PORT (raw bytes) or "
                        "rfc2217://HOST:PORT (Telnet with the COM-PORT option)")},
        {QStringLiteral("--baud N"),
         QStringLiteral("line rate in bit/s: %1 (default: the saved rate)").arg(rateList())},
        {QStringLiteral("--address N"),
         QStringLiteral("the instrument's address, 1-255 (default: the saved address)")},
    };
}

QString ReadLinkOptions(const QCommandLineParser& parser, LinkOptions& options)
{
    const int named =
        int(parser.isSet(kPort)) + int(parser.isSet(kDevice)) + int(parser.isSet(kUrl));
    if (named > 1)
        return QStringLiteral("--port, --device and --url name the same thing; give one of them.");
    if (parser.isSet(kPort)) {
        QString text = parser.value(kPort);
        if (text.startsWith(QLatin1String("com"), Qt::CaseInsensitive))
            text = text.mid(3);
        const int number = wholeNumber(text);
        if (number < 1 || number > 255)
            return QStringLiteral("--port '%1' is no port: use COM1 to COM255.")
                .arg(parser.value(kPort));
        options.comNumber = number;
    }
    if (parser.isSet(kDevice)) {
        options.device = parser.value(kDevice);
        if (options.device.isEmpty())
            return QStringLiteral("--device needs the path of a serial device.");
    }
    if (parser.isSet(kUrl)) {
        options.url = parser.value(kUrl);
        const QString problem = NetworkAddressProblem(options.url);
        if (!problem.isEmpty())
            return QStringLiteral("--url '%1' %2").arg(options.url, problem);
    }
    if (parser.isSet(kBaud)) {
        const int rate = wholeNumber(parser.value(kBaud));
        if (baudIndexOf(rate) < 0)
            return QStringLiteral("--baud '%1' is no rate of the instrument: use %2.")
                .arg(parser.value(kBaud), rateList());
        options.baud = rate;
    }
    if (parser.isSet(kAddress)) {
        const int address = wholeNumber(parser.value(kAddress));
        if (address < 1 || address > 255)
            return QStringLiteral("--address '%1' is no address: use 1 to 255.")
                .arg(parser.value(kAddress));
        options.address = address;
    }
    return {};
}

void ApplyLinkOptions(const LinkOptions& options, IniFile& sysSet)
{
    struct Key {
        QString section, key;
        QString given; // empty: the file's value
    };
    QString port;
    const QString named = !options.url.isEmpty() ? options.url : options.device;
    if (!named.isEmpty()) {
        const QString com = QStringLiteral("COM%1").arg(kDeviceOptionPort);
        sysSet.setOverride(QStringLiteral("PortMap"), com, named);
        port = QString::number(kDeviceOptionPort);
    } else if (options.comNumber != 0) {
        port = QString::number(options.comNumber);
    }
    const Key keys[] = {
        {QStringLiteral("CommPort"), QStringLiteral("Port"), port},
        {QStringLiteral("CommBaudrate"), QStringLiteral("Baudrate"),
         options.baud != 0 ? QString::number(baudIndexOf(options.baud)) : QString()},
        {QStringLiteral("CommAddress"), QStringLiteral("Address"),
         options.address != 0 ? QString::number(options.address) : QString()},
    };
    // Every key the connection reads is overridden, also those taken from
    // the file: its defaults would otherwise be written into a file that did
    // not hold them.
    for (const Key& key : keys) {
        const QString value = !key.given.isEmpty()
                                  ? key.given
                                  : sysSet.ReadString(key.section, key.key, QStringLiteral("2"));
        sysSet.setOverride(key.section, key.key, value);
    }
}
