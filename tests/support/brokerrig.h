#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <mutex>
#include <vector>

struct mosquitto;

// Debian's mosquitto on 127.0.0.1 for one test: a plain listener and a TLS
// listener at free ports, a password file with one user, a CA and a server
// certificate made here with openssl (and a second CA that signed nothing),
// persistence in the test's own folder so that a restart keeps the durable
// subscriber's session.
class BrokerRig {
public:
    static inline const QString kUser = QStringLiteral("bench");
    static inline const QByteArray kPassword = "s3cret-Pa55";

    BrokerRig();
    ~BrokerRig();
    BrokerRig(const BrokerRig&) = delete;
    BrokerRig& operator=(const BrokerRig&) = delete;

    // Empty when all went well, else what failed.
    const QString& error() const { return error_; }

    bool start();
    void stop();

    int port() const { return port_; }
    int tlsPort() const { return tlsPort_; }
    QString caFile() const { return dir_.filePath(QStringLiteral("ca.crt")); }
    QString otherCaFile() const { return dir_.filePath(QStringLiteral("other-ca.crt")); }
    // A file holding kPassword, or another text.
    QString passwordFile(const QByteArray& password = kPassword);
    QString path(const QString& name) const { return dir_.filePath(name); }

private:
    bool run(const QString& program, const QStringList& arguments);
    bool makeCertificates();

    QTemporaryDir dir_;
    std::unique_ptr<QProcess> broker_;
    int port_ = 0;
    int tlsPort_ = 0;
    int files_ = 0;
    QString error_;
};

// A subscriber in the test, with libmosquitto: durable (clean session off)
// at QoS 1, so that what arrives while it is away from a restarted broker is
// kept for it. It reconnects by itself.
class TestSubscriber {
public:
    struct Message {
        QByteArray topic;
        QByteArray payload;
        bool retained;
    };

    TestSubscriber(int port, const QString& topicFilter, const QString& clientId);
    ~TestSubscriber();
    TestSubscriber(const TestSubscriber&) = delete;
    TestSubscriber& operator=(const TestSubscriber&) = delete;

    // Whether the broker acknowledged the subscription (since the last connect).
    bool subscribed() const;
    std::vector<Message> messages() const;
    std::vector<QByteArray> payloads(const QByteArray& topic) const;

private:
    static void onConnect(mosquitto* client, void* self, int code);
    static void onSubscribe(mosquitto*, void* self, int, int, const int*);
    static void onMessage(mosquitto*, void* self, const struct mosquitto_message* message);

    QByteArray filter_;
    mosquitto* client_ = nullptr;
    mutable std::mutex mutex_;
    bool subscribed_ = false;
    std::vector<Message> messages_;
};

// A free TCP port on 127.0.0.1, as the system hands one out.
int FreePort();
