#pragma once

#include "deviceholders.h"
#include "portmap.h"

#include <QString>

#include <optional>
#include <vector>

class IniFile;

// What a port scan needs to know of the machine's serial ports.
class PortEnvironment {
public:
    virtual ~PortEnvironment() = default;

    // Called once at the start of every scan: gathers the device identifiers.
    virtual void refresh() = 0;
    // Whether COMn can be opened right now: not missing, not held by another
    // program, not forbidden to this user. A network port always may be
    // tried; whether it can be reached shows when it connects.
    virtual bool canOpen(int comNumber) = 0;
    // The device identifier of COMn ("USB\VID_vvvv&PID_pppp\serial"), or empty.
    virtual QString deviceId(int comNumber) = 0;
    // The device of COMn when it exists but this user may not open it (no
    // permission), to tell the user how to gain access; empty otherwise.
    virtual QString deniedDevice(int comNumber) = 0;

    // A port that exists but another program holds: its device and the
    // holders this user can learn of (possibly none).
    struct BusyPort {
        QString device;
        std::vector<serial::DeviceHolder> holders;
    };
    // COMn when it is such a port; nothing otherwise.
    virtual std::optional<BusyPort> busyPort(int comNumber)
    {
        (void)comNumber;
        return std::nullopt;
    }
};

// The real serial devices, named through the COM map of "SysSet.ini".
class SystemPorts : public PortEnvironment {
public:
    explicit SystemPorts(const IniFile& sysSet) : sysSet_(sysSet) {}

    // The COM map and the device identifiers are read at each refresh (each
    // scan) and kept until the next one.
    void refresh() override;
    bool canOpen(int comNumber) override;
    QString deviceId(int comNumber) override;
    QString deniedDevice(int comNumber) override;
    std::optional<BusyPort> busyPort(int comNumber) override;

private:
    const PortDirectory& directory();

    const IniFile& sysSet_;
    std::optional<PortDirectory> directory_;
};

enum class DeviceAccess {
    Opens,   // opened for reading and writing and locked
    Missing, // no such device, or a serial port without hardware behind it
    Busy,    // another program holds it: locked, exclusive, or simply open
    Denied,  // exists, but this user has no permission to open it
};

// The port test: open the device for reading and writing, take the exclusive
// lock, look for other processes that have it open, release, close.
DeviceAccess SerialDeviceAccess(const QString& path);
inline bool CanOpenSerialDevice(const QString& path)
{
    return SerialDeviceAccess(path) == DeviceAccess::Opens;
}
