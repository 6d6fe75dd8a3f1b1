#pragma once

#include <string>
#include <vector>

// Which other processes have a serial device open. A port held open by a
// program that takes no lock (a `cat /dev/ttyUSB0` left running) opens
// without complaint, and the two programs then take each other's bytes; the
// only sign of it is that program's open file.

namespace serial {

struct DeviceHolder {
    long pid = 0;
    std::string program; // the process's name (/proc/PID/comm)

    bool operator==(const DeviceHolder&) const = default;
};

// The processes other than this one that have the device at `path` open,
// in order of process id, as far as this user may look: the open files of
// this user's processes (/proc/PID/fd), and the flock holders of any user
// (/proc/locks). A process that also holds the master side of the same
// pseudo-terminal is its far end (a simulated instrument), not a rival, and
// is left out. Empty when the device cannot be looked at.
std::vector<DeviceHolder> OtherDeviceHolders(const char* path, const char* procRoot = "/proc");

} // namespace serial
