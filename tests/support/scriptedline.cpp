#include "scriptedline.h"

#include "eventwait.h"
#include "modbusframe.h"

#include <fcntl.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

ScriptedLine::ScriptedLine()
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        throw std::runtime_error("cannot create a pseudo-terminal");
    path_ = QString::fromLocal8Bit(::ptsname(master_));
    keepSlave_ = ::open(path_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    ::tcgetattr(keepSlave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(keepSlave_, TCSANOW, &raw);
}

ScriptedLine::~ScriptedLine()
{
    ::close(keepSlave_);
    ::close(master_);
}

void ScriptedLine::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else
            RunEventLoopFor(1);
    }
}

QByteArray ScriptedLine::takeSent()
{
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(master_, buffer, sizeof buffer)) > 0)
        pending_.append(buffer, n);
    QByteArray sent = pending_;
    pending_.clear();
    return sent;
}

QByteArray ScriptedLine::waitForSent(int count, int timeoutMs)
{
    QByteArray sent;
    WaitUntil(
        [&] {
            sent += takeSent();
            return sent.size() >= count;
        },
        timeoutMs);
    return sent;
}

QByteArray FrameWithCrc(QByteArray body)
{
    const qsizetype n = body.size();
    body.resize(n + 2);
    AppendCrc(reinterpret_cast<std::uint8_t*>(body.data()), std::size_t(n));
    return body;
}

QByteArray FrameWithCrc(const char* hexText)
{
    return FrameWithCrc(QByteArray::fromHex(hexText));
}
