#include "devicelink.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

DeviceLink::~DeviceLink()
{
    release();
}

bool DeviceLink::create(const std::string& linkPath, const std::string& target, std::string* error)
{
    release();
    auto fail = [&](const std::string& text) {
        if (error)
            *error = text;
        return false;
    };

    // The name may hold a link left by an earlier run (the device's name
    // changes from run to run), never anything else: a file of the user's
    // that happens to have the name given is not ours to delete.
    struct stat existing {};
    if (::lstat(linkPath.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode))
            return fail("refusing to replace " + linkPath
                        + ": it is not a symbolic link (only a link may be replaced)");
        // The new link is made beside the old one and renamed over it, which
        // replaces the link itself in one step and never whatever took the
        // name in between with a delete.
        const std::string fresh = linkPath + ".new-" + std::to_string(::getpid());
        ::unlink(fresh.c_str());
        if (::symlink(target.c_str(), fresh.c_str()) != 0)
            return fail("cannot create " + fresh + ": " + std::strerror(errno));
        struct stat again {};
        if (::lstat(linkPath.c_str(), &again) != 0 || !S_ISLNK(again.st_mode)
            || ::rename(fresh.c_str(), linkPath.c_str()) != 0) {
            const int code = errno;
            ::unlink(fresh.c_str());
            return fail("cannot replace " + linkPath + ": " + std::strerror(code));
        }
    } else if (errno != ENOENT) {
        return fail("cannot use " + linkPath + ": " + std::strerror(errno));
    } else if (::symlink(target.c_str(), linkPath.c_str()) != 0) {
        // EEXIST here: something took the name meanwhile, and it stays.
        return fail("cannot create " + linkPath + ": " + std::strerror(errno));
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
