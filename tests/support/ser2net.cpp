#include "ser2net.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kStartMs = 10000;

} // namespace

bool Ser2net::installed()
{
    return QFileInfo(QString::fromLatin1(kProgram)).isExecutable();
}

int Ser2net::freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0; // the kernel's choice
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

Ser2net::Ser2net(const QString& device, Mode mode, int baud) : mode_(mode), port_(freePort())
{
    config_ = dir_.filePath(QStringLiteral("ser2net.yaml"));
    // "local": a pseudo-terminal has no modem lines to wait for.
    const QString accepter =
        mode_ == Mode::Rfc2217 ? QStringLiteral("telnet(rfc2217),tcp") : QStringLiteral("tcp");
    const QString yaml = QStringLiteral("connection: &instrument\n"
                                        "    accepter: %1,127.0.0.1,%2\n"
                                        "    connector: serialdev,%3,%4n81,local\n"
                                        "    options:\n"
                                        "        kickolduser: true\n")
                             .arg(accepter)
                             .arg(port_)
                             .arg(device)
                             .arg(baud);
    QFile file(config_);
    if (file.open(QIODevice::WriteOnly))
        file.write(yaml.toUtf8());
}

Ser2net::~Ser2net()
{
    stop();
}

QString Ser2net::url() const
{
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(mode_ == Mode::Rfc2217 ? QStringLiteral("rfc2217") : QStringLiteral("tcp"))
        .arg(port_);
}

bool Ser2net::listening() const
{
    // The kernel's table of TCP sockets: 127.0.0.1 at the port, state LISTEN.
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local =
        QByteArray("0100007F:") + QByteArray::number(port_, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A")
            return true;
    }
    return false;
}

bool Ser2net::start(QString* error)
{
    stop();
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::MergedChannels);
    // -n: in the foreground; -u: no UUCP lock file, which an ordinary user
    // may not write in /var/lock; -P: its pid file here, not in /run.
    process_->start(QString::fromLatin1(kProgram),
                    {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config_,
                     QStringLiteral("-P"), dir_.filePath(QStringLiteral("ser2net.pid"))});
    if (!process_->waitForStarted(kStartMs)) {
        if (error)
            *error = process_->errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (!listening()) {
        if (process_->state() != QProcess::Running || clock.elapsed() > kStartMs) {
            if (error)
                *error = QStringLiteral("ser2net does not listen at %1: %2")
                             .arg(port_)
                             .arg(QString::fromLocal8Bit(process_->readAll()));
            return false;
        }
        QThread::msleep(10);
    }
    return true;
}

void Ser2net::stop()
{
    if (!process_)
        return;
    if (process_->state() != QProcess::NotRunning) {
        process_->terminate();
        if (!process_->waitForFinished(kStartMs)) {
            process_->kill();
            process_->waitForFinished(kStartMs);
        }
    }
    process_.reset();
}
