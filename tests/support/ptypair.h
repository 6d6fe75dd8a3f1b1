#pragma once

// termios2 is the kernel's; glibc's <termios.h> must not be included with it.
#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <cstdlib>

// A pseudo-terminal pair standing in for a serial line: the code under test
// opens slavePath() as its serial device, the test plays the far end on the
// master. On Linux the master's termios ioctls reach the slave's settings, so
// slaveSettings() shows what the code under test programmed.
class PtyPair {
public:
    PtyPair()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ < 0)
            return;
        char name[128];
        if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0
            || ::ptsname_r(master_, name, sizeof name) != 0) {
            closeMaster();
            return;
        }
        slavePath_ = QString::fromLocal8Bit(name);
        // Raw from the start, so that nothing written before the port is
        // programmed gets translated or echoed.
        termios2 t{};
        if (::ioctl(master_, TCGETS2, &t) == 0) {
            t.c_iflag = 0;
            t.c_oflag = 0;
            t.c_lflag = 0;
            t.c_cflag = (t.c_cflag & ~CSIZE) | CS8 | CREAD | CLOCAL;
            t.c_cc[VMIN] = 0;
            t.c_cc[VTIME] = 0;
            ::ioctl(master_, TCSETS2, &t);
        }
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0; }
    int master() const { return master_; }
    const QString& slavePath() const { return slavePath_; }

    // The far end goes away: the slave hangs up as an unplugged adapter does.
    void closeMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

    // Sends bytes towards the slave; false when not all could be written.
    bool send(const QByteArray& bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t put = ::write(master_, bytes.constData() + done, bytes.size() - done);
            if (put > 0) {
                done += put;
                continue;
            }
            if (put < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            pollfd p{master_, POLLOUT, 0};
            if (::poll(&p, 1, 2000) <= 0)
                return false;
        }
        return true;
    }

    // Whatever the slave side has written so far.
    QByteArray receive()
    {
        QByteArray all;
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::read(master_, buffer, sizeof buffer);
            if (got <= 0)
                return all;
            all.append(buffer, got);
        }
    }

    bool slaveSettings(termios2* settings) const
    {
        return ::ioctl(master_, TCGETS2, settings) == 0;
    }
    bool setSlaveSettings(const termios2& settings)
    {
        return ::ioctl(master_, TCSETS2, &settings) == 0;
    }

private:
    int master_ = -1;
    QString slavePath_;
};
