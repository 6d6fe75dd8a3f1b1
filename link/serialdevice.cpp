#include "serialdevice.h"

// termios2 and BOTHER come from the kernel's headers; glibc's <termios.h>
// defines a different struct termios of the same name and must stay out.
#include <asm/termbits.h>
#include <linux/serial.h>

#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace serial {

namespace {

tcflag_t characterSize(int dataBits)
{
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

int ioctlRetrying(int fd, unsigned long request, void* argument)
{
    int result;
    do {
        result = ::ioctl(fd, request, argument);
    } while (result < 0 && errno == EINTR);
    return result;
}

} // namespace

OpenResult OpenSerialDevice(const char* path)
{
    OpenResult result;
    // O_NONBLOCK keeps the open from waiting for a carrier and lets writes
    // wait in bounded steps instead of indefinitely.
    int fd;
    do {
        fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        result.error = errno;
        if (errno == EBUSY) { // another opener's TIOCEXCL
            result.status = OpenStatus::Locked;
            result.holders = OtherDeviceHolders(path);
        }
        return result;
    }

    // TIOCEXCL does not bind root, so cooperating programs (and this one,
    // twice) exclude each other through the lock as well.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        result.error = errno;
        result.status = OpenStatus::Locked;
        ::close(fd);
        result.holders = OtherDeviceHolders(path);
        return result;
    }

    termios2 settings{};
    if (ioctlRetrying(fd, TCGETS2, &settings) != 0) {
        result.error = errno;
        result.status = OpenStatus::NotATerminal;
        ::close(fd);
        return result;
    }
    // A program without lock or exclusive flag that has it open would share
    // the line with this one.
    result.holders = OtherDeviceHolders(path);
    if (!result.holders.empty()) {
        result.error = EBUSY;
        result.status = OpenStatus::Held;
        ::close(fd);
        return result;
    }
    ::ioctl(fd, TIOCEXCL);

    result.fd = fd;
    result.status = OpenStatus::Ok;
    return result;
}

void CloseSerialDevice(int fd)
{
    if (fd < 0)
        return;
    // The exclusive flag belongs to the tty, not to this descriptor: clear it
    // so that the next opener is not refused while some other descriptor of
    // the tty stays open.
    ::ioctl(fd, TIOCNXCL);
    ::close(fd); // also releases the flock
}

void ComposeLineSettings(termios2& t, const LineSettings& s)
{
    // Raw bytes in both directions: no line editing, echo, signals, character
    // translation or output processing. Breaks are ignored rather than read as
    // a zero byte, so a break adds nothing to the input.
    t.c_iflag = IGNBRK;
    if (s.parity != LineSettings::Parity::None)
        t.c_iflag |= INPCK;
    if (s.xonXoff)
        t.c_iflag |= IXON | IXOFF;
    t.c_oflag = 0;
    t.c_lflag = 0;

    t.c_cflag &= ~(CBAUD | CIBAUD | CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD | BOTHER | (BOTHER << IBSHIFT) | characterSize(s.dataBits);
    switch (s.parity) {
    case LineSettings::Parity::None:
        break;
    case LineSettings::Parity::Odd:
        t.c_cflag |= PARENB | PARODD;
        break;
    case LineSettings::Parity::Even:
        t.c_cflag |= PARENB;
        break;
    case LineSettings::Parity::Mark:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case LineSettings::Parity::Space:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    }
    // Linux has no 1.5 stop bits setting; UARTs send 1.5 for CSTOPB with 5
    // data bits, which is where 1.5 is defined at all.
    if (s.stopBits != LineSettings::StopBits::One)
        t.c_cflag |= CSTOPB;
    if (s.rts == LineSettings::RtsMode::Handshake)
        t.c_cflag |= CRTSCTS;
    t.c_ispeed = s.baudRate;
    t.c_ospeed = s.baudRate;

    // Reads return at once with whatever is there.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

bool ApplyLineSettings(int fd, const LineSettings& s)
{
    termios2 t{};
    if (ioctlRetrying(fd, TCGETS2, &t) != 0)
        return false;
    ComposeLineSettings(t, s);
    const bool applied = ioctlRetrying(fd, TCSETS2, &t) == 0;

    // The line states follow the handshake as on the serial ports the program
    // was made for: DTR low, RTS low unless asked for; with RTS/CTS handshake
    // the driver drives RTS itself. Devices without modem lines refuse this.
    SetModemLine(fd, ModemLine::Dtr, false);
    if (s.rts == LineSettings::RtsMode::On)
        SetModemLine(fd, ModemLine::Rts, true);
    else if (s.rts == LineSettings::RtsMode::Off)
        SetModemLine(fd, ModemLine::Rts, false);
    return applied;
}

int InputWaiting(int fd)
{
    int count = 0;
    if (ioctlRetrying(fd, FIONREAD, &count) != 0)
        return -1;
    return count;
}

bool LineHungUp(int fd)
{
    pollfd p{fd, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, 0);
    } while (ready < 0 && errno == EINTR);
    return ready < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

long ReadReady(int fd, std::uint8_t* buffer, std::size_t capacity)
{
    ssize_t got;
    do {
        got = ::read(fd, buffer, capacity);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    return static_cast<long>(got);
}

std::size_t WriteAll(int fd, const std::uint8_t* data, std::size_t count, int stallMs, int totalMs,
                     FdKind kind)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(totalMs);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put = kind == FdKind::Socket
                                ? ::send(fd, data + done, count - done, MSG_NOSIGNAL)
                                : ::write(fd, data + done, count - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            break; // the device failed (unplugged, hung up)

        // The output buffer is full: wait for room, but only while the
        // driver keeps draining it and not past the deadline.
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        pollfd p{fd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, stallMs)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
            break;
    }
    return done;
}

bool FlushInput(int fd)
{
    return ::ioctl(fd, TCFLSH, TCIFLUSH) == 0;
}

bool FlushInputAndOutput(int fd)
{
    return ::ioctl(fd, TCFLSH, TCIOFLUSH) == 0;
}

bool SetModemLine(int fd, ModemLine line, bool raised)
{
    int bits = line == ModemLine::Dtr ? TIOCM_DTR : TIOCM_RTS;
    return ioctlRetrying(fd, raised ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

bool ReadModemStatus(int fd, ModemStatus* status)
{
    int bits = 0;
    if (ioctlRetrying(fd, TIOCMGET, &bits) != 0)
        return false;
    status->carrier = bits & TIOCM_CAR;
    status->dsr = bits & TIOCM_DSR;
    status->ring = bits & TIOCM_RNG;
    status->cts = bits & TIOCM_CTS;
    return true;
}

bool ReadErrorCounters(int fd, ErrorCounters* counters)
{
    serial_icounter_struct icount{};
    if (ioctlRetrying(fd, TIOCGICOUNT, &icount) != 0)
        return false;
    counters->frame = static_cast<std::uint32_t>(icount.frame);
    counters->overrun = static_cast<std::uint32_t>(icount.overrun);
    counters->parity = static_cast<std::uint32_t>(icount.parity);
    counters->brk = static_cast<std::uint32_t>(icount.brk);
    counters->bufferOverrun = static_cast<std::uint32_t>(icount.buf_overrun);
    return true;
}

} // namespace serial
