#pragma once

#include <string>

// A symbolic link with a fixed name to the simulator's device, whose own name
// changes from run to run. It replaces a symbolic link of that name (an
// earlier run's) but nothing else: a file, folder or device at the name is
// refused. It is removed again when released, unless someone else has pointed
// it elsewhere meanwhile.
class DeviceLink {
public:
    DeviceLink() = default;
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;
    ~DeviceLink();

    bool create(const std::string& linkPath, const std::string& target, std::string* error);
    void release();

private:
    std::string linkPath_;
    std::string target_;
};
