#include "mqttpublisher.h"

#include <QCoreApplication>
#include <QSysInfo>

#include <mosquitto.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr int kLoopWaitMs = 100;     // how soon the thread notices a stop
constexpr int kGoodbyeWaitMs = 1000; // for the broker to take "offline" at a stop
constexpr int kStatusQos = 1;
const QByteArray kOnline = "online";
const QByteArray kOffline = "offline";

// Each connection attempt of every publisher has its own number, so that
// what an old connection still reports is told from the current one's.
std::atomic<int> nextGeneration{0};

void initLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

QString defaultClientId()
{
    return QStringLiteral("qpa3600-%1-%2")
        .arg(QSysInfo::machineHostName())
        .arg(QCoreApplication::applicationPid());
}

} // namespace

// The connection's thread: one libmosquitto client per attempt, its network
// loop, the retries. It touches the publisher only through queued calls.
class BrokerWorker {
public:
    BrokerWorker(MqttPublisher* owner, const BrokerSettings& settings, const QString& statusTopic)
        : owner_(owner), host_(settings.host.toUtf8()), port_(settings.effectivePort()),
          clientId_((settings.clientId.isEmpty() ? defaultClientId() : settings.clientId).toUtf8()),
          user_(settings.user.toUtf8()), password_(settings.password), tls_(settings.tls),
          caFile_(settings.caFile.toUtf8()), statusTopic_(statusTopic.toUtf8())
    {
        initLibrary();
        thread_ = std::thread([this] { run(); });
    }

    ~BrokerWorker()
    {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    BrokerWorker(const BrokerWorker&) = delete;
    BrokerWorker& operator=(const BrokerWorker&) = delete;

    // From the publisher's thread: hands one message to the connection of
    // `generation` if it is still the current one. Never waits for the network.
    bool publish(int generation, const QByteArray& topic, const QByteArray& payload, int qos,
                 int* mid)
    {
        const std::lock_guard lock(mutex_);
        if (client_ == nullptr || generation != generation_)
            return false;
        return mosquitto_publish(client_, mid, topic.constData(), int(payload.size()),
                                 payload.constData(), qos, false)
               == MOSQ_ERR_SUCCESS;
    }

private:
    template <typename F>
    void post(F call)
    {
        QMetaObject::invokeMethod(owner_, std::move(call), Qt::QueuedConnection);
    }

    bool stopping()
    {
        const std::lock_guard lock(mutex_);
        return stop_;
    }

    static void onConnect(mosquitto* client, void* self, int code)
    {
        auto* worker = static_cast<BrokerWorker*>(self);
        worker->connack_ = code;
        if (code != 0)
            return;
        worker->connected_ = true;
        mosquitto_publish(client, nullptr, worker->statusTopic_.constData(), int(kOnline.size()),
                          kOnline.constData(), kStatusQos, true);
        MqttPublisher* owner = worker->owner_;
        const int generation = worker->attempt_;
        worker->post([owner, generation] { owner->onConnected(generation); });
    }

    static void onPublish(mosquitto*, void* self, int mid)
    {
        auto* worker = static_cast<BrokerWorker*>(self);
        if (worker->goodbyeMid_ == mid) {
            worker->goodbyeDone_ = true;
            return;
        }
        MqttPublisher* owner = worker->owner_;
        const int generation = worker->attempt_;
        worker->post([owner, generation, mid] { owner->onAcknowledged(generation, mid); });
    }

    mosquitto* newClient()
    {
        mosquitto* client = mosquitto_new(clientId_.constData(), true, this);
        if (client == nullptr)
            return nullptr;
        mosquitto_threaded_set(client, true);
        mosquitto_int_option(client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
        mosquitto_connect_callback_set(client, &BrokerWorker::onConnect);
        mosquitto_publish_callback_set(client, &BrokerWorker::onPublish);
        if (!user_.isEmpty())
            mosquitto_username_pw_set(client, user_.constData(),
                                      password_.isEmpty() ? nullptr : password_.constData());
        mosquitto_will_set(client, statusTopic_.constData(), int(kOffline.size()),
                           kOffline.constData(), kStatusQos, true);
        if (tls_)
            mosquitto_tls_set(client, caFile_.isEmpty() ? nullptr : caFile_.constData(),
                              caFile_.isEmpty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr,
                              nullptr);
        return client;
    }

    // Runs one connection until it ends or a stop; the result of the loop.
    int runConnection(mosquitto* client)
    {
        int rc = mosquitto_connect_async(client, host_.constData(), port_, kKeepAliveSeconds);
        if (rc != MOSQ_ERR_SUCCESS)
            return rc;
        {
            const std::lock_guard lock(mutex_);
            client_ = client;
            generation_ = attempt_;
        }
        bool goodbyeSent = false;
        auto goodbyeDeadline = std::chrono::steady_clock::now();
        for (;;) {
            rc = mosquitto_loop(client, kLoopWaitMs, 1);
            if (rc != MOSQ_ERR_SUCCESS)
                break;
            if (!stopping())
                continue;
            // A stop: "offline" goes to the broker before a clean
            // disconnect (which discards the last will).
            if (connected_ && !goodbyeSent) {
                goodbyeSent = true;
                goodbyeDeadline =
                    std::chrono::steady_clock::now() + std::chrono::milliseconds(kGoodbyeWaitMs);
                mosquitto_publish(client, &goodbyeMid_, statusTopic_.constData(),
                                  int(kOffline.size()), kOffline.constData(), kStatusQos, true);
            }
            if (connected_ && !goodbyeDone_ && std::chrono::steady_clock::now() < goodbyeDeadline)
                continue;
            mosquitto_disconnect(client);
            for (int i = 0; i < 10 && mosquitto_loop(client, kLoopWaitMs, 1) == MOSQ_ERR_SUCCESS;
                 ++i) {
            }
            break;
        }
        const std::lock_guard lock(mutex_);
        client_ = nullptr;
        return rc;
    }

    BrokerStatus::Problem problemOf(int rc) const
    {
        using Problem = BrokerStatus::Problem;
        if (connected_)
            return Problem::Lost;
        if (connack_ == 4 || connack_ == 5) // bad user name or password; not authorised
            return Problem::NotAuthorised;
        if (connack_ > 0)
            return Problem::Rejected;
        if (rc == MOSQ_ERR_TLS)
            return Problem::TlsFailed;
        if (rc == MOSQ_ERR_EAI)
            return Problem::UnknownHost;
        return tls_ && rc == MOSQ_ERR_CONN_LOST ? Problem::TlsFailed : Problem::Unreachable;
    }

    void run()
    {
        int retry = MqttPublisher::kFirstRetrySeconds;
        while (!stopping()) {
            attempt_ = nextGeneration.fetch_add(1);
            connack_ = -1;
            connected_ = false;
            goodbyeMid_ = -1;
            goodbyeDone_ = false;
            MqttPublisher* owner = owner_;
            const int generation = attempt_;
            post([owner, generation] { owner->onConnecting(generation); });
            mosquitto* client = newClient();
            const int rc = client != nullptr ? runConnection(client) : MOSQ_ERR_NOMEM;
            if (client != nullptr)
                mosquitto_destroy(client);
            if (stopping())
                break;
            if (connected_)
                retry = MqttPublisher::kFirstRetrySeconds;
            const BrokerStatus::Problem problem = problemOf(rc);
            post([owner, generation, problem, retry] {
                owner->onDisconnected(generation, problem, retry);
            });
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, std::chrono::seconds(retry), [this] { return stop_; });
            retry = MqttPublisher::NextRetrySeconds(retry);
        }
    }

    MqttPublisher* const owner_;
    const QByteArray host_;
    const int port_;
    const QByteArray clientId_;
    const QByteArray user_;
    const QByteArray password_;
    const bool tls_;
    const QByteArray caFile_;
    const QByteArray statusTopic_;

    // The thread's own.
    int attempt_ = 0;
    int connack_ = -1;
    bool connected_ = false;
    int goodbyeMid_ = -1;
    bool goodbyeDone_ = false;

    std::mutex mutex_; // guards the three below
    mosquitto* client_ = nullptr;
    int generation_ = -1;
    bool stop_ = false;
    std::condition_variable wake_;
    std::thread thread_;
};

MqttPublisher::MqttPublisher(BrokerSettings settings, QObject* parent)
    : QObject(parent), settings_(std::move(settings))
{
    settings_.queueLimit = std::max(1, settings_.queueLimit);
}

MqttPublisher::~MqttPublisher()
{
    stopWorker();
}

int MqttPublisher::NextRetrySeconds(int previous)
{
    return std::clamp(previous * 2, kFirstRetrySeconds, kLastRetrySeconds);
}

QString MqttPublisher::topic(const char* leaf) const
{
    QString topic = settings_.prefix.isEmpty() ? QString() : settings_.prefix + QLatin1Char('/');
    return topic + instrument_ + QLatin1Char('/') + QLatin1String(leaf);
}

void MqttPublisher::setInstrument(const QString& name)
{
    if (worker_ && name == instrument_)
        return;
    stopWorker();
    instrument_ = name;
    firstGeneration_ = nextGeneration.load();
    worker_ = std::make_unique<BrokerWorker>(this, settings_, topic("status"));
}

void MqttPublisher::stopWorker()
{
    worker_.reset();
    connected_ = false;
    generation_ = -1;
    handedOver_ = 0;
    inFlight_.clear();
}

void MqttPublisher::publishMeasurement(QByteArray json)
{
    queue_.push_back({nextSeq_++, std::move(json)});
    while (queue_.size() > std::size_t(settings_.queueLimit)) {
        queue_.pop_front();
        handedOver_ = handedOver_ > 0 ? handedOver_ - 1 : 0;
        ++status_.dropped;
    }
    sendQueued();
    announce();
}

void MqttPublisher::sendQueued()
{
    if (!connected_ || !worker_)
        return;
    const QByteArray topicBytes = topic("measurement").toUtf8();
    while (handedOver_ < queue_.size() && inFlight_.size() < kInFlight) {
        Entry& entry = queue_[handedOver_];
        if (!entry.acknowledged) {
            int mid = 0;
            if (!worker_->publish(generation_, topicBytes, entry.payload, settings_.qos, &mid))
                return;
            inFlight_[mid] = entry.seq;
        }
        ++handedOver_;
    }
}

void MqttPublisher::dropAcknowledgedFront()
{
    while (!queue_.empty() && queue_.front().acknowledged) {
        queue_.pop_front();
        handedOver_ = handedOver_ > 0 ? handedOver_ - 1 : 0;
    }
}

void MqttPublisher::announce()
{
    BrokerStatus next = status_;
    next.queued = int(queue_.size());
    if (next == status_)
        return;
    status_ = next;
    emit statusChanged(status_);
}

void MqttPublisher::onConnecting(int generation)
{
    if (generation < firstGeneration_ || connected_)
        return;
    status_.state = BrokerStatus::State::Connecting;
    status_.retrySeconds = 0;
    emit statusChanged(status_);
}

void MqttPublisher::onConnected(int generation)
{
    if (generation < firstGeneration_)
        return;
    generation_ = generation;
    connected_ = true;
    handedOver_ = 0;
    inFlight_.clear();
    status_.state = BrokerStatus::State::Connected;
    status_.problem = BrokerStatus::Problem::None;
    status_.retrySeconds = 0;
    sendQueued();
    status_.queued = int(queue_.size());
    emit statusChanged(status_);
}

void MqttPublisher::onAcknowledged(int generation, int mid)
{
    if (generation != generation_)
        return;
    const auto found = inFlight_.find(mid);
    if (found == inFlight_.end())
        return;
    const quint64 seq = found->second;
    inFlight_.erase(found);
    if (!queue_.empty() && seq >= queue_.front().seq && seq - queue_.front().seq < queue_.size())
        queue_[std::size_t(seq - queue_.front().seq)].acknowledged = true;
    dropAcknowledgedFront();
    sendQueued();
    announce();
}

void MqttPublisher::onDisconnected(int generation, BrokerStatus::Problem problem, int retrySeconds)
{
    if (generation < firstGeneration_ || (generation_ != -1 && generation != generation_))
        return;
    // What was handed over and not acknowledged goes out again on the next
    // connection, from the front of the queue, in order.
    connected_ = false;
    generation_ = -1;
    handedOver_ = 0;
    inFlight_.clear();
    status_.state = BrokerStatus::State::Waiting;
    status_.problem = problem;
    status_.retrySeconds = retrySeconds;
    status_.queued = int(queue_.size());
    emit statusChanged(status_);
}
