#pragma once

#include "networkaddress.h"
#include "rfc2217.h"
#include "serialdevice.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

class QObject;

// What TComm moves its bytes through: a serial device, or a TCP connection
// to a serial device server. Nothing here waits for data; reads take what is
// ready, and writes wait only within the bounds they are given.
class ByteTransport {
public:
    virtual ~ByteTransport() = default;

    enum class State {
        Connecting, // a network port not yet usable: name lookup, connect, negotiation
        Ready,
        Failed, // a network port that could not be reached; failure() says why
    };
    // One look at the connection's progress; a serial device is ready at once.
    virtual State advance() { return State::Ready; }

    virtual void applyLineSettings(const serial::LineSettings& settings) = 0;
    // As serial::ReadReady, except that a connection closed by the far end
    // also reads as -1.
    virtual long readReady(std::uint8_t* buffer, std::size_t capacity) = 0;
    // Bytes waiting that readReady has not taken yet; -1 on failure.
    virtual int inputWaiting() = 0;
    virtual bool hungUp() = 0;
    virtual std::size_t write(const std::uint8_t* data, std::size_t count, int stallMs,
                              int totalMs) = 0;
    virtual void flushInput() = 0;
    virtual void flushInputAndOutput() = 0;

    // Modem lines and line error counts; a network port has none.
    virtual bool setModemLine(serial::ModemLine, bool) { return false; }
    virtual bool readModemStatus(serial::ModemStatus*) { return false; }
    virtual bool readErrorCounters(serial::ErrorCounters*) { return false; }
};

// An open serial device (see serialdevice.h), closed with the transport.
class SerialTransport : public ByteTransport {
public:
    explicit SerialTransport(int fd) : fd_(fd) {}
    ~SerialTransport() override;
    SerialTransport(const SerialTransport&) = delete;
    SerialTransport& operator=(const SerialTransport&) = delete;

    void applyLineSettings(const serial::LineSettings& settings) override;
    long readReady(std::uint8_t* buffer, std::size_t capacity) override;
    int inputWaiting() override;
    bool hungUp() override;
    std::size_t write(const std::uint8_t* data, std::size_t count, int stallMs,
                      int totalMs) override;
    void flushInput() override;
    void flushInputAndOutput() override;
    bool setModemLine(serial::ModemLine line, bool raised) override;
    bool readModemStatus(serial::ModemStatus* status) override;
    bool readErrorCounters(serial::ErrorCounters* counters) override;

private:
    int fd_;
};

// A TCP connection to a serial device server, raw or with RFC 2217. The
// host name is looked up by Qt's resolver, which answers through the event
// loop, and the socket connects without blocking, so opening never holds
// the event loop; advance() follows both. Reaching the server takes at most
// kConnectTimeoutMs; then the port counts as unreachable.
class NetworkTransport : public ByteTransport {
public:
    enum class Failure { None, HostNotFound, Refused, Unreachable };

    static constexpr int kConnectTimeoutMs = 5000;
    // A server that does not answer the COM-PORT offer within this time gets
    // the data all the same.
    static constexpr int kNegotiationMs = 1000;

    explicit NetworkTransport(const NetworkAddress& address);
    ~NetworkTransport() override;
    NetworkTransport(const NetworkTransport&) = delete;
    NetworkTransport& operator=(const NetworkTransport&) = delete;

    State advance() override;
    Failure failure() const { return failure_; }
    const NetworkAddress& address() const { return address_; }
    // The COM-PORT conversation, for a look at what the server confirmed.
    const Rfc2217Session& session() const { return session_; }

    void applyLineSettings(const serial::LineSettings& settings) override;
    long readReady(std::uint8_t* buffer, std::size_t capacity) override;
    int inputWaiting() override;
    bool hungUp() override;
    std::size_t write(const std::uint8_t* data, std::size_t count, int stallMs,
                      int totalMs) override;
    void flushInput() override;
    void flushInputAndOutput() override;

private:
    void lookedUp(const QList<QHostAddress>& addresses, bool notFound);
    void connectNext();
    void connected();
    void fail(Failure failure);
    // Takes what the socket has (negotiation answered, data kept for
    // readReady); false once the connection is closed or failed.
    bool pump();
    void sendRaw(const QByteArray& bytes);
    void closeSocket();

    NetworkAddress address_;
    State state_ = State::Connecting;
    Failure failure_ = Failure::None;
    std::unique_ptr<QObject> lookupContext_; // the lookup's answer goes nowhere once gone
    int lookupId_ = -1;
    QList<QHostAddress> candidates_;
    int lastErrno_ = 0;
    int fd_ = -1;
    bool socketConnected_ = false;
    bool closed_ = false; // the far end closed, or the connection failed
    QElapsedTimer clock_;
    QElapsedTimer negotiation_;
    Rfc2217Session session_;
    QByteArray received_; // data bytes taken from the socket, not yet read
};
