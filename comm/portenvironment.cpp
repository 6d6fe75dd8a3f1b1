#include "portenvironment.h"

#include "inifile.h"


#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

bool CanOpenSerialDevice(const QString& path)
{
    if (path.isEmpty())
        return false;
    // Non-blocking, so that a line without carrier does not hold the scan.
    const int fd = ::open(DevicePathBytes(path).constData(),
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
    return CanOpenSerialDevice(directory().devicePath(comNumber));
}

QString SystemPorts::deviceId(int comNumber)
{
    return directory().deviceId(comNumber);
}
