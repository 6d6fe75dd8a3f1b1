#include "pseudoterminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

bool Fail(std::string* error, const char* step)
{
    if (error)
        *error = std::string(step) + ": " + std::strerror(errno);
    return false;
}

} // namespace

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open(std::string* error)
{
    close();
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0)
        return Fail(error, "posix_openpt");
    char name[256];
    if (grantpt(master_) != 0 || unlockpt(master_) != 0
        || ptsname_r(master_, name, sizeof name) != 0) {
        Fail(error, "preparing the pseudo-terminal");
        close();
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        Fail(error, slavePath_.c_str());
        close();
        return false;
    }
    termios settings{};
    if (tcgetattr(slave_, &settings) != 0) {
        Fail(error, "tcgetattr");
        close();
        return false;
    }
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&settings, B115200);
    cfsetospeed(&settings, B115200);
    if (tcsetattr(slave_, TCSANOW, &settings) != 0) {
        Fail(error, "tcsetattr");
        close();
        return false;
    }
    return true;
}

void PseudoTerminal::close()
{
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = -1;
    master_ = -1;
    slavePath_.clear();
}
