#include "devicelink.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

DeviceLink::~DeviceLink()
{
    release();
}

bool DeviceLink::create(const std::string& linkPath, const std::string& target, std::string* error)
{
    release();
    if (::unlink(linkPath.c_str()) != 0 && errno != ENOENT) {
        if (error)
            *error = "cannot replace " + linkPath + ": " + std::strerror(errno);
        return false;
    }
    if (::symlink(target.c_str(), linkPath.c_str()) != 0) {
        if (error)
            *error = "cannot create " + linkPath + ": " + std::strerror(errno);
        return false;
    }
    linkPath_ = linkPath;
    target_ = target;
    return true;
}

void DeviceLink::release()
{
    if (linkPath_.empty())
        return;
    char pointsTo[4096];
    const ssize_t length = ::readlink(linkPath_.c_str(), pointsTo, sizeof pointsTo - 1);
    if (length >= 0 && std::string(pointsTo, static_cast<std::size_t>(length)) == target_)
        ::unlink(linkPath_.c_str());
    linkPath_.clear();
    target_.clear();
}
