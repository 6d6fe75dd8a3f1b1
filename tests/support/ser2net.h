#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// Debian's ser2net in front of a serial device (the simulated instrument's
// pseudo-terminal), as a bench computer runs it: listening on 127.0.0.1 at a
// port that was free, with a configuration of its own in a temporary folder,
// in the foreground, started and stopped by the test. Stopping and starting
// it again keeps its port, so a client sees its server go and come back.
class Ser2net {
public:
    enum class Mode { Raw, Rfc2217 };

    static constexpr const char* kProgram = "/usr/sbin/ser2net";
    static bool installed();

    // `device` at `baud` as ser2net's own line setting (8N1, modem lines
    // ignored); an RFC 2217 client sets its own rate over it.
    Ser2net(const QString& device, Mode mode, int baud = 115200);
    ~Ser2net();
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    // Starts it and waits until it listens; false with the reason.
    bool start(QString* error = nullptr);
    // Ends it (SIGTERM) and waits until it is gone: its connections close.
    void stop();

    int port() const { return port_; }
    // "tcp://127.0.0.1:PORT" or "rfc2217://127.0.0.1:PORT".
    QString url() const;

    // A TCP port of 127.0.0.1 that nothing listens at just now.
    static int freePort();

private:
    bool listening() const;

    Mode mode_;
    int port_;
    QTemporaryDir dir_;
    QString config_;
    std::unique_ptr<QProcess> process_;
};
