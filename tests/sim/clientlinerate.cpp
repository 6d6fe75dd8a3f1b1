#include "clientlinerate.h"

// termios2 comes from the kernel's header, which clashes with <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace {

struct RateCode {
    int bitsPerSecond;
    unsigned code;
};

constexpr RateCode kRateCodes[] = {
    {4800, B4800},   {9600, B9600},   {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200},
};

} // namespace

bool SetClientLineRate(int fd, int bitsPerSecond, bool exact)
{
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0)
        return false;
    unsigned code = BOTHER;
    if (!exact) {
        code = 0;
        for (const RateCode& rate : kRateCodes)
            if (rate.bitsPerSecond == bitsPerSecond)
                code = rate.code;
        if (code == 0)
            return false;
    }
    settings.c_cflag = (settings.c_cflag & ~CBAUD & ~(CBAUD << IBSHIFT)) | code;
    settings.c_ospeed = static_cast<speed_t>(bitsPerSecond);
    settings.c_ispeed = static_cast<speed_t>(bitsPerSecond);
    return ioctl(fd, TCSETS2, &settings) == 0;
}
