#include "portenvironment.h"

#include "inifile.h"
#include "networkaddress.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The kernel creates /dev/ttyS0-31 whether or not a UART is there; sysfs
// gives a port without hardware the type 0 (and lets everyone read it). Such
// a device is no port the user lacks, so it is not named as one.
bool IsUartWithoutHardware(const QString& path)
{
    const QString name = QFileInfo(QFileInfo(path).canonicalFilePath()).fileName();
    if (name.isEmpty())
        return false;
    QFile type(QStringLiteral("/sys/class/tty/%1/type").arg(name));
    if (!type.open(QIODevice::ReadOnly))
        return false;
    return type.readAll().trimmed() == "0";
}

} // namespace

DeviceAccess SerialDeviceAccess(const QString& path)
{
    if (path.isEmpty() || IsNetworkAddress(path))
        return DeviceAccess::Missing;
    // Non-blocking, so that a line without carrier does not hold the scan.
    const int fd =
        ::open(DevicePathBytes(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if ((errno == EACCES || errno == EPERM) && !IsUartWithoutHardware(path))
            return DeviceAccess::Denied;
        // Another opener made the tty exclusive (as this program does).
        if (errno == EBUSY)
            return DeviceAccess::Busy;
        return DeviceAccess::Missing;
    }
    bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (free) {
        // Held open without a lock, a terminal would still share the line.
        free =
            !::isatty(fd) || serial::OtherDeviceHolders(DevicePathBytes(path).constData()).empty();
        ::flock(fd, LOCK_UN);
    }
    ::close(fd);
    return free ? DeviceAccess::Opens : DeviceAccess::Busy;
}

void SystemPorts::refresh()
{
    directory_.emplace(&sysSet_);
}

const PortDirectory& SystemPorts::directory()
{
    if (!directory_)
        refresh();
    return *directory_;
}

bool SystemPorts::canOpen(int comNumber)
{
    const QString path = directory().devicePath(comNumber);
    // A network port is tried by connecting to it: the open says what is
    // wrong with its address, its host or its server.
    return IsNetworkAddress(path) || CanOpenSerialDevice(path);
}

QString SystemPorts::deniedDevice(int comNumber)
{
    const QString path = directory().devicePath(comNumber);
    return SerialDeviceAccess(path) == DeviceAccess::Denied ? path : QString();
}

QString SystemPorts::deviceId(int comNumber)
{
    return directory().deviceId(comNumber);
}

std::optional<PortEnvironment::BusyPort> SystemPorts::busyPort(int comNumber)
{
    const QString path = directory().devicePath(comNumber);
    if (SerialDeviceAccess(path) != DeviceAccess::Busy)
        return std::nullopt;
    return BusyPort{path, serial::OtherDeviceHolders(DevicePathBytes(path).constData())};
}
