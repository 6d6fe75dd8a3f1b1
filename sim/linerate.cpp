#include "linerate.h"

// The kernel's termios2 carries the exact rate of a line set with BOTHER; it
// lives in the kernel's own header, which clashes with the C library's
// <termios.h>, so this file includes only the former.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace {

struct RateCode {
    unsigned code;
    int bitsPerSecond;
};

constexpr RateCode kRateCodes[] = {
    {B50, 50},         {B75, 75},         {B110, 110},         {B134, 134},       {B150, 150},
    {B200, 200},       {B300, 300},       {B600, 600},         {B1200, 1200},     {B1800, 1800},
    {B2400, 2400},     {B4800, 4800},     {B9600, 9600},       {B19200, 19200},   {B38400, 38400},
    {B57600, 57600},   {B115200, 115200}, {B230400, 230400},   {B460800, 460800}, {B500000, 500000},
    {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000},
};

} // namespace

int LineRate(int masterFd)
{
    // On a pseudo-terminal the master's termios requests reach the slave's
    // settings, which are the ones the client changed.
    termios2 settings{};
    if (ioctl(masterFd, TCGETS2, &settings) != 0)
        return 0;
    const unsigned code = settings.c_cflag & CBAUD;
    if (code == BOTHER)
        return static_cast<int>(settings.c_ospeed);
    for (const RateCode& rate : kRateCodes)
        if (rate.code == code)
            return rate.bitsPerSecond;
    return static_cast<int>(settings.c_ospeed);
}
