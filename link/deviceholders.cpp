#include "deviceholders.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <limits.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace serial {

namespace {

bool IsNumber(const char* text)
{
    if (*text == '\0')
        return false;
    for (; *text != '\0'; ++text)
        if (*text < '0' || *text > '9')
            return false;
    return true;
}

std::string ProgramName(const std::string& procRoot, long pid)
{
    std::ifstream comm(procRoot + "/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// The pseudo-terminal index of a /dev/pts/N device, or -1.
long PtyIndex(const char* path)
{
    char resolved[PATH_MAX];
    if (::realpath(path, resolved) == nullptr)
        return -1;
    const char* prefix = "/dev/pts/";
    if (std::strncmp(resolved, prefix, std::strlen(prefix)) != 0
        || !IsNumber(resolved + std::strlen(prefix)))
        return -1;
    return std::strtol(resolved + std::strlen(prefix), nullptr, 10);
}

// Whether fd `fd` of `pidDir` is the master of pseudo-terminal `index`.
bool IsPtyMaster(const std::string& pidDir, const char* fd, long index)
{
    char target[PATH_MAX];
    const std::string link = pidDir + "/fd/" + fd;
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    if (length <= 0)
        return false;
    target[length] = '\0';
    if (std::strcmp(target, "/dev/ptmx") != 0 && std::strcmp(target, "/dev/pts/ptmx") != 0)
        return false;
    std::ifstream info(pidDir + "/fdinfo/" + fd);
    std::string line;
    while (std::getline(info, line))
        if (line.rfind("tty-index:", 0) == 0)
            return std::strtol(line.c_str() + 10, nullptr, 10) == index;
    return false;
}

// The pids /proc/locks names as flock holders of the node `node`.
std::vector<long> FlockHolders(const std::string& procRoot, const struct stat& node)
{
    std::vector<long> pids;
    std::ifstream locks(procRoot + "/locks");
    std::string line;
    while (std::getline(locks, line)) {
        // "1: FLOCK  ADVISORY  WRITE 1234 00:05:567 0 EOF"; waiters read "1: -> FLOCK ...".
        std::istringstream fields(line);
        std::string id, kind, advisory, mode, where;
        long pid = 0;
        if (!(fields >> id >> kind) || kind != "FLOCK")
            continue;
        if (!(fields >> advisory >> mode >> pid >> where))
            continue;
        unsigned major = 0, minor = 0;
        unsigned long inode = 0;
        if (std::sscanf(where.c_str(), "%x:%x:%lu", &major, &minor, &inode) != 3)
            continue;
        if (major == ::major(node.st_dev) && minor == ::minor(node.st_dev) && inode == node.st_ino)
            pids.push_back(pid);
    }
    return pids;
}

} // namespace

std::vector<DeviceHolder> OtherDeviceHolders(const char* path, const char* procRoot)
{
    std::vector<DeviceHolder> holders;
    struct stat device {};
    if (path == nullptr || ::stat(path, &device) != 0 || !S_ISCHR(device.st_mode))
        return holders;
    const std::string root = procRoot;
    const long self = long(::getpid());
    const long ptyIndex = PtyIndex(path);

    std::vector<long> pids;
    std::vector<long> farEnds;
    if (DIR* proc = ::opendir(procRoot)) {
        while (const dirent* entry = ::readdir(proc)) {
            if (!IsNumber(entry->d_name))
                continue;
            const long pid = std::strtol(entry->d_name, nullptr, 10);
            if (pid == self)
                continue;
            const std::string pidDir = root + "/" + entry->d_name;
            DIR* fds = ::opendir((pidDir + "/fd").c_str());
            if (fds == nullptr) // another user's process, or gone
                continue;
            bool holds = false;
            bool farEnd = false;
            while (const dirent* fd = ::readdir(fds)) {
                if (!IsNumber(fd->d_name))
                    continue;
                struct stat opened {};
                if (::stat((pidDir + "/fd/" + fd->d_name).c_str(), &opened) != 0)
                    continue;
                if (S_ISCHR(opened.st_mode) && opened.st_rdev == device.st_rdev)
                    holds = true;
                else if (ptyIndex >= 0 && S_ISCHR(opened.st_mode)
                         && IsPtyMaster(pidDir, fd->d_name, ptyIndex))
                    farEnd = true;
            }
            ::closedir(fds);
            if (farEnd)
                farEnds.push_back(pid);
            else if (holds)
                pids.push_back(pid);
        }
        ::closedir(proc);
    }
    // A lock of a process whose files this user cannot see still names it.
    for (const long pid : FlockHolders(root, device))
        if (pid != self && std::find(farEnds.begin(), farEnds.end(), pid) == farEnds.end()
            && std::find(pids.begin(), pids.end(), pid) == pids.end())
            pids.push_back(pid);

    std::sort(pids.begin(), pids.end());
    for (const long pid : pids)
        holders.push_back({pid, ProgramName(root, pid)});
    return holders;
}

} // namespace serial
