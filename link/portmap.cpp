#include "portmap.h"

#include "inifile.h"
#include "losslessutf8.h"

#include <QSerialPortInfo>

#include <climits>
#include <cstdlib>

namespace {

const QString kSection = QStringLiteral("PortMap");

QString comKey(int comNumber)
{
    return QStringLiteral("com") + QString::number(comNumber);
}

// A key that is present counts even when it is empty: an empty "COMn=" hides
// a device, an empty "COMnId=" denies it an identifier.
QString mappedDevicePath(const QHash<QString, QString>& portMap, int comNumber)
{
    if (comNumber < 1)
        return {};
    const auto mapped = portMap.constFind(comKey(comNumber));
    return mapped != portMap.constEnd() ? *mapped : DefaultDevicePath(comNumber);
}

// Where a device path leads once links are followed, or empty when it leads
// nowhere. Works on the path's bytes, so a mapped name that is not UTF-8 is
// followed too.
QString canonicalDevicePath(const QString& devicePath)
{
    char resolved[PATH_MAX];
    if (devicePath.isEmpty() || !::realpath(DevicePathBytes(devicePath).constData(), resolved))
        return {};
    return FromUtf8Lossless(resolved);
}

} // namespace

QByteArray DevicePathBytes(const QString& devicePath)
{
    return ToUtf8Lossless(devicePath);
}

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

PortDirectory::PortDirectory(const IniFile* sysSet)
{
    if (sysSet)
        portMap_ = sysSet->ReadSection(kSection);
    // The same device may be named through a link (/dev/serial/by-id/...),
    // so identifiers are kept by where the names lead.
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        if (!port.hasVendorIdentifier() || !port.hasProductIdentifier())
            continue;
        const QString device = canonicalDevicePath(port.systemLocation());
        if (!device.isEmpty())
            idsByDevice_.insert(device,
                                QString::asprintf("USB\\VID_%04X&PID_%04X\\",
                                                  port.vendorIdentifier(), port.productIdentifier())
                                    + port.serialNumber());
    }
}

QString PortDirectory::devicePath(int comNumber) const
{
    return mappedDevicePath(portMap_, comNumber);
}

QString PortDirectory::deviceId(int comNumber) const
{
    if (comNumber < 1)
        return {};
    const auto id = portMap_.constFind(comKey(comNumber) + QStringLiteral("id"));
    if (id != portMap_.constEnd())
        return *id;
    const QString device = canonicalDevicePath(devicePath(comNumber));
    return device.isEmpty() ? QString() : idsByDevice_.value(device);
}

QString PortMapDevicePath(int comNumber, const IniFile* sysSet)
{
    return mappedDevicePath(sysSet ? sysSet->ReadSection(kSection) : QHash<QString, QString>(),
                            comNumber);
}

QString PortMapDeviceId(int comNumber, const IniFile* sysSet)
{
    return PortDirectory(sysSet).deviceId(comNumber);
}
