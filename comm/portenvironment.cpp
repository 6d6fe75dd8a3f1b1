#include "portenvironment.h"

#include "inifile.h"
#include "portmap.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

bool CanOpenSerialDevice(const QString& path)
{
    if (path.isEmpty())
        return false;
    // Non-blocking, so that a line without carrier does not hold the scan.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (free)
        ::flock(fd, LOCK_UN);
    ::close(fd);
    return free;
}

void SystemPorts::refresh()
{
    // Identifiers are looked up once per scan: udev enumeration is the slow
    // part of a scan, and only the mapped ports matter.
    ids_.clear();
    for (int n = 1; n <= 255; ++n) {
        const QString id = PortMapDeviceId(n, &sysSet_);
        if (!id.isEmpty())
            ids_.insert(n, id);
    }
}

bool SystemPorts::canOpen(int comNumber)
{
    return CanOpenSerialDevice(PortMapDevicePath(comNumber, &sysSet_));
}

QString SystemPorts::deviceId(int comNumber)
{
    return ids_.value(comNumber);
}
