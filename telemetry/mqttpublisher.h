#pragma once

#include "brokersettings.h"

#include <QByteArray>
#include <QObject>

#include <deque>
#include <memory>
#include <unordered_map>

// Where the connection to the broker stands, and what the queue holds.
struct BrokerStatus {
    enum class State {
        Idle,       // no instrument named yet: nothing is connected
        Connecting, // a connection is being made
        Connected,  // the broker took the connection; measurements go out
        Waiting,    // the last attempt failed or the connection broke; retrying
    };
    enum class Problem {
        None,
        Unreachable,   // nothing answered at the broker's address
        UnknownHost,   // the host name did not resolve
        NotAuthorised, // the broker refused the user name or password
        Rejected,      // the broker refused the connection for another reason
        TlsFailed,     // no TLS session: the certificate was not trusted, or no TLS there
        Lost,          // a working connection broke
    };
    State state = State::Idle;
    Problem problem = Problem::None;
    int queued = 0;       // measurements not yet taken by the broker
    qint64 dropped = 0;   // the oldest measurements dropped past the queue's bound
    int retrySeconds = 0; // Waiting: the next attempt comes after this long

    bool operator==(const BrokerStatus&) const = default;
};

class BrokerWorker;

// Publishes measurements to an MQTT broker: each to
// PREFIX/INSTRUMENT/measurement, and PREFIX/INSTRUMENT/status a retained
// "online" while connected, "offline" when it stops or (as the broker's last
// will) when the program vanishes.
//
// The network work runs on a thread of its own (libmosquitto): publish()
// only queues and never waits for the network. The queue keeps what the
// broker has not yet acknowledged, up to settings.queueLimit; past it the
// oldest are dropped and counted. After a broken or failed connection the
// next attempt comes after 1 s, then twice as long each time up to 30 s;
// the queue goes out in order once the broker is back.
class MqttPublisher : public QObject {
    Q_OBJECT
public:
    // `settings` with its files loaded (LoadBrokerFiles).
    explicit MqttPublisher(BrokerSettings settings, QObject* parent = nullptr);
    ~MqttPublisher() override;

    // The instrument the topics name. The first call connects; a new name
    // reconnects with the new topics (the queue is kept).
    void setInstrument(const QString& name);
    const QString& instrument() const { return instrument_; }

    // One measurement (a JSON object) to PREFIX/INSTRUMENT/measurement.
    void publishMeasurement(QByteArray json);

    const BrokerStatus& status() const { return status_; }
    const BrokerSettings& settings() const { return settings_; }
    QString topic(const char* leaf) const;

    // 1, 2, 4 ... 30 seconds: the wait after a failed attempt.
    static int NextRetrySeconds(int previous);
    static constexpr int kFirstRetrySeconds = 1;
    static constexpr int kLastRetrySeconds = 30;
    // Measurements handed to the connection at once, awaiting the broker.
    static constexpr std::size_t kInFlight = 100;

signals:
    void statusChanged(const BrokerStatus& status);

private:
    friend class BrokerWorker;
    struct Entry {
        quint64 seq;
        QByteArray payload;
        bool acknowledged = false;
    };

    // From the connection's thread, through the event loop.
    void onConnecting(int generation);
    void onConnected(int generation);
    void onAcknowledged(int generation, int mid);
    void onDisconnected(int generation, BrokerStatus::Problem problem, int retrySeconds);

    void sendQueued();
    void dropAcknowledgedFront();
    void announce();
    void stopWorker();

    BrokerSettings settings_;
    QString instrument_;
    std::unique_ptr<BrokerWorker> worker_;
    std::deque<Entry> queue_;
    quint64 nextSeq_ = 0;
    std::size_t handedOver_ = 0; // entries at the queue's front given to this connection
    std::unordered_map<int, quint64> inFlight_; // message id -> seq
    int generation_ = -1;                       // the connection the queue is sent on
    int firstGeneration_ = 0; // the current worker's first; older ones' reports are stale
    bool connected_ = false;
    BrokerStatus status_;
};
