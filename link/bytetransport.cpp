#include "bytetransport.h"

#include <QHostInfo>
#include <QLoggingCategory>
#include <QObject>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcNet, "qpa3600.link.net", QtWarningMsg)

SerialTransport::~SerialTransport()
{
    serial::CloseSerialDevice(fd_);
}

void SerialTransport::applyLineSettings(const serial::LineSettings& settings)
{
    // As with every settings call of the port, the outcome is not judged: a
    // refused setting leaves the line as it was.
    if (!serial::ApplyLineSettings(fd_, settings))
        qCDebug(lcNet) << "the device refused the line settings";
}

long SerialTransport::readReady(std::uint8_t* buffer, std::size_t capacity)
{
    return serial::ReadReady(fd_, buffer, capacity);
}

int SerialTransport::inputWaiting()
{
    return serial::InputWaiting(fd_);
}

bool SerialTransport::hungUp()
{
    return serial::LineHungUp(fd_);
}

std::size_t SerialTransport::write(const std::uint8_t* data, std::size_t count, int stallMs,
                                   int totalMs)
{
    return serial::WriteAll(fd_, data, count, stallMs, totalMs);
}

void SerialTransport::flushInput()
{
    serial::FlushInput(fd_);
}

void SerialTransport::flushInputAndOutput()
{
    serial::FlushInputAndOutput(fd_);
}

bool SerialTransport::setModemLine(serial::ModemLine line, bool raised)
{
    return serial::SetModemLine(fd_, line, raised);
}

bool SerialTransport::readModemStatus(serial::ModemStatus* status)
{
    return serial::ReadModemStatus(fd_, status);
}

bool SerialTransport::readErrorCounters(serial::ErrorCounters* counters)
{
    return serial::ReadErrorCounters(fd_, counters);
}

NetworkTransport::NetworkTransport(const NetworkAddress& address) : address_(address)
{
    clock_.start();
    QHostAddress literal;
    if (literal.setAddress(address_.host)) {
        candidates_ = {literal};
        connectNext();
        return;
    }
    lookupContext_ = std::make_unique<QObject>();
    lookupId_ =
        QHostInfo::lookupHost(address_.host, lookupContext_.get(), [this](const QHostInfo& info) {
            lookupId_ = -1;
            lookedUp(info.addresses(), info.error() != QHostInfo::NoError);
        });
}

NetworkTransport::~NetworkTransport()
{
    if (lookupId_ >= 0)
        QHostInfo::abortHostLookup(lookupId_);
    closeSocket();
}

void NetworkTransport::lookedUp(const QList<QHostAddress>& addresses, bool notFound)
{
    if (state_ != State::Connecting)
        return;
    if (notFound || addresses.isEmpty()) {
        qCDebug(lcNet) << address_.host << "is not known";
        fail(Failure::HostNotFound);
        return;
    }
    candidates_ = addresses;
    connectNext();
}

// Tries the addresses of the host in turn until one connects or starts to.
void NetworkTransport::connectNext()
{
    closeSocket();
    while (!candidates_.isEmpty()) {
        const QHostAddress next = candidates_.takeFirst();
        sockaddr_storage storage{};
        socklen_t length = 0;
        if (next.protocol() == QAbstractSocket::IPv4Protocol) {
            auto* in = reinterpret_cast<sockaddr_in*>(&storage);
            in->sin_family = AF_INET;
            in->sin_port = htons(address_.port);
            in->sin_addr.s_addr = htonl(next.toIPv4Address());
            length = sizeof(sockaddr_in);
        } else if (next.protocol() == QAbstractSocket::IPv6Protocol) {
            auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
            in6->sin6_family = AF_INET6;
            in6->sin6_port = htons(address_.port);
            const Q_IPV6ADDR bytes = next.toIPv6Address();
            std::memcpy(&in6->sin6_addr, bytes.c, sizeof bytes.c);
            in6->sin6_scope_id = next.scopeId().toUInt();
            length = sizeof(sockaddr_in6);
        } else {
            continue;
        }
        fd_ = ::socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd_ < 0) {
            lastErrno_ = errno;
            continue;
        }
        // Requests are a few bytes each and wait for their answer: they go
        // out at once rather than being held for more.
        const int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&storage), length) == 0) {
            connected();
            return;
        }
        if (errno == EINPROGRESS || errno == EINTR)
            return; // advance() sees when it is done
        lastErrno_ = errno;
        qCDebug(lcNet) << "connecting to" << next.toString() << "failed:" << std::strerror(errno);
        closeSocket();
    }
    fail(lastErrno_ == ECONNREFUSED ? Failure::Refused : Failure::Unreachable);
}

void NetworkTransport::connected()
{
    socketConnected_ = true;
    qCDebug(lcNet) << "connected to" << address_.host << address_.port;
    if (address_.protocol == NetworkAddress::Protocol::Raw) {
        state_ = State::Ready;
        return;
    }
    negotiation_.start();
    sendRaw(session_.opening());
}

void NetworkTransport::fail(Failure failure)
{
    closeSocket();
    failure_ = failure;
    state_ = State::Failed;
}

void NetworkTransport::closeSocket()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    socketConnected_ = false;
}

NetworkTransport::State NetworkTransport::advance()
{
    if (state_ != State::Connecting)
        return state_;
    if (clock_.elapsed() > kConnectTimeoutMs) {
        qCDebug(lcNet) << address_.host << "did not answer in time";
        fail(lastErrno_ == ECONNREFUSED ? Failure::Refused : Failure::Unreachable);
        return state_;
    }
    if (fd_ < 0)
        return state_; // the name is still being looked up
    if (!socketConnected_) {
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, 0) <= 0)
            return state_;
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
            error = errno;
        if (error != 0) {
            lastErrno_ = error;
            qCDebug(lcNet) << "connecting to" << address_.host << "failed:" << std::strerror(error);
            connectNext();
            return state_;
        }
        connected();
        if (state_ != State::Connecting)
            return state_;
    }
    // RFC 2217: the data waits until the server has answered the COM-PORT
    // offer and so has the line settings, or has had its time for it.
    if (!pump()) {
        fail(Failure::Unreachable);
        return state_;
    }
    if (session_.comPortAnswered() || negotiation_.elapsed() > kNegotiationMs)
        state_ = State::Ready;
    return state_;
}

bool NetworkTransport::pump()
{
    if (fd_ < 0 || closed_)
        return false;
    char raw[4096];
    for (;;) {
        const ssize_t got = ::recv(fd_, raw, sizeof raw, MSG_DONTWAIT);
        if (got > 0) {
            if (address_.protocol == NetworkAddress::Protocol::Raw) {
                received_.append(raw, got);
            } else {
                QByteArray reply;
                session_.receive(raw, got, received_, reply);
                sendRaw(reply);
            }
            // Enough for one read of the port's queue; the rest stays in
            // the socket, where the kernel holds it.
            if (received_.size() > 8192)
                return true;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        closed_ = true; // 0: the far end closed; otherwise reset or failed
        qCDebug(lcNet) << "connection to" << address_.host << "closed";
        return false;
    }
}

void NetworkTransport::sendRaw(const QByteArray& bytes)
{
    if (bytes.isEmpty() || fd_ < 0)
        return;
    constexpr int kStallMs = 250, kTotalMs = 2000;
    serial::WriteAll(fd_, reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                     std::size_t(bytes.size()), kStallMs, kTotalMs, serial::FdKind::Socket);
}

void NetworkTransport::applyLineSettings(const serial::LineSettings& settings)
{
    // A raw connection carries bytes only: the server's own configuration
    // sets its line.
    if (address_.protocol == NetworkAddress::Protocol::Rfc2217)
        sendRaw(session_.setLine(settings));
}

long NetworkTransport::readReady(std::uint8_t* buffer, std::size_t capacity)
{
    if (state_ == State::Failed)
        return -1;
    if (state_ != State::Ready)
        return 0;
    const bool open = pump();
    const std::size_t n = std::min(capacity, std::size_t(received_.size()));
    if (n == 0)
        return open ? 0 : -1;
    std::memcpy(buffer, received_.constData(), n);
    received_.remove(0, qsizetype(n));
    return long(n);
}

int NetworkTransport::inputWaiting()
{
    if (state_ == State::Failed || closed_)
        return -1;
    int count = 0;
    if (fd_ >= 0 && ::ioctl(fd_, FIONREAD, &count) != 0)
        return -1;
    return count + int(received_.size());
}

bool NetworkTransport::hungUp()
{
    if (state_ == State::Failed || closed_)
        return true;
    if (fd_ < 0)
        return false;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return true;
    // A close with data still unread reads as the data first; the read that
    // finds the end says so.
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

std::size_t NetworkTransport::write(const std::uint8_t* data, std::size_t count, int stallMs,
                                    int totalMs)
{
    if (fd_ < 0 || state_ != State::Ready)
        return 0;
    if (address_.protocol == NetworkAddress::Protocol::Raw)
        return serial::WriteAll(fd_, data, count, stallMs, totalMs, serial::FdKind::Socket);
    const QByteArray encoded = session_.encode(data, qsizetype(count));
    const std::size_t put =
        serial::WriteAll(fd_, reinterpret_cast<const std::uint8_t*>(encoded.constData()),
                         std::size_t(encoded.size()), stallMs, totalMs, serial::FdKind::Socket);
    return put == std::size_t(encoded.size()) ? count : std::min(put, count);
}

void NetworkTransport::flushInput()
{
    // What the server sent before is dropped here; the socket is emptied
    // through the session so that no negotiation is lost.
    pump();
    received_.clear();
}

void NetworkTransport::flushInputAndOutput()
{
    flushInput();
}
