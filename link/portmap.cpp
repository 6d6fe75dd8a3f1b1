#include "portmap.h"

#include "inifile.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <optional>

namespace {

const QString kSection = QStringLiteral("PortMap");

// The value of a key that is present, even when it is empty: an empty
// "COMn=" hides a device, an empty "COMnId=" denies it an identifier.
// IniFile reports a missing key only through the default, so two different
// defaults tell a missing key from one that holds either of them.
std::optional<QString> presentValue(const IniFile* ini, const QString& key)
{
    if (!ini)
        return std::nullopt;
    const QString first = ini->ReadString(kSection, key, QStringLiteral("0"));
    if (first != QLatin1String("0"))
        return first;
    const QString second = ini->ReadString(kSection, key, QStringLiteral("1"));
    if (second != QLatin1String("1"))
        return second;
    return std::nullopt;
}

QString comKey(int comNumber)
{
    return QStringLiteral("COM") + QString::number(comNumber);
}

} // namespace

QString DefaultDevicePath(int comNumber)
{
    struct Range {
        int first;
        const char* prefix;
    };
    // 32 numbers each: on-board UARTs, USB-serial adapters, USB modems and
    // CDC-ACM devices such as the instrument's own USB port.
    static constexpr Range kRanges[] = {{1, "/dev/ttyS"}, {33, "/dev/ttyUSB"}, {65, "/dev/ttyACM"}};
    for (const Range& range : kRanges) {
        if (comNumber >= range.first && comNumber < range.first + 32)
            return QLatin1String(range.prefix) + QString::number(comNumber - range.first);
    }
    return {};
}

QString PortMapDevicePath(int comNumber, const IniFile* sysSet)
{
    if (comNumber < 1)
        return {};
    if (const std::optional<QString> mapped = presentValue(sysSet, comKey(comNumber)))
        return *mapped;
    return DefaultDevicePath(comNumber);
}

QString PortMapDeviceId(int comNumber, const IniFile* sysSet)
{
    if (comNumber < 1)
        return {};
    if (const std::optional<QString> id = presentValue(sysSet, comKey(comNumber) + QStringLiteral("Id")))
        return *id;

    // The same device may be named through a link (/dev/serial/by-id/...),
    // so compare where both names lead.
    const QString device = QFileInfo(PortMapDevicePath(comNumber, sysSet)).canonicalFilePath();
    if (device.isEmpty())
        return {};
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& port : ports) {
        if (QFileInfo(port.systemLocation()).canonicalFilePath() != device)
            continue;
        if (!port.hasVendorIdentifier() || !port.hasProductIdentifier())
            return {};
        return QString::asprintf("USB\\VID_%04X&PID_%04X\\", port.vendorIdentifier(), port.productIdentifier())
               + port.serialNumber();
    }
    return {};
}
