#include "brokerrig.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <mosquitto.h>
#include <pwd.h>
#include <unistd.h>

int FreePort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 0;
    return server.serverPort();
}

BrokerRig::BrokerRig()
{
    if (!dir_.isValid()) {
        error_ = QStringLiteral("no temporary folder");
        return;
    }
    if (!makeCertificates())
        return;
    QFile::remove(path(QStringLiteral("passwd")));
    if (!run(QStringLiteral("mosquitto_passwd"),
             {QStringLiteral("-c"), QStringLiteral("-b"), path(QStringLiteral("passwd")), kUser,
              QString::fromUtf8(kPassword)}))
        return;
    port_ = FreePort();
    tlsPort_ = FreePort();
    while (tlsPort_ == port_)
        tlsPort_ = FreePort();
    QFile conf(path(QStringLiteral("mosquitto.conf")));
    if (!conf.open(QIODevice::WriteOnly)) {
        error_ = QStringLiteral("cannot write the configuration");
        return;
    }
    // Run as root, mosquitto would become user "mosquitto", who may not
    // read this folder: it stays who it was started as.
    const passwd* self = ::getpwuid(::getuid());
    if (self != nullptr)
        conf.write(QByteArray("user ") + self->pw_name + "\n");
    conf.write(
        QStringLiteral("allow_anonymous false\n"
                       "password_file %1\n"
                       "persistence true\n"
                       "persistence_location %2/\n"
                       "max_queued_messages 0\n"
                       "log_dest file %3\n"
                       "listener %4 127.0.0.1\n"
                       "listener %5 127.0.0.1\n"
                       "cafile %6\n"
                       "certfile %7\n"
                       "keyfile %8\n")
            .arg(path(QStringLiteral("passwd")), dir_.path(), path(QStringLiteral("mosquitto.log")))
            .arg(port_)
            .arg(tlsPort_)
            .arg(caFile(), path(QStringLiteral("server.crt")), path(QStringLiteral("server.key")))
            .toUtf8());
}

BrokerRig::~BrokerRig()
{
    stop();
}

bool BrokerRig::run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setWorkingDirectory(dir_.path());
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        error_ = QStringLiteral("%1 failed: %2")
                     .arg(program, QString::fromLocal8Bit(process.readAllStandardError()));
        return false;
    }
    return true;
}

bool BrokerRig::makeCertificates()
{
    const QString openssl = QStringLiteral("openssl");
    const auto selfSigned = [&](const QString& name, const QString& subject) {
        return run(openssl,
                   {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                    QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                    QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                    QStringLiteral("-keyout"), name + QStringLiteral(".key"),
                    QStringLiteral("-out"), name + QStringLiteral(".crt"), QStringLiteral("-days"),
                    QStringLiteral("2"), QStringLiteral("-subj"), subject});
    };
    QFile ext(path(QStringLiteral("server.ext")));
    if (!ext.open(QIODevice::WriteOnly)
        || ext.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n") < 0) {
        error_ = QStringLiteral("cannot write the certificate extensions");
        return false;
    }
    ext.close();
    return selfSigned(QStringLiteral("ca"), QStringLiteral("/CN=Bench Test CA"))
           && selfSigned(QStringLiteral("other-ca"), QStringLiteral("/CN=Some Other CA"))
           && run(openssl,
                  {QStringLiteral("req"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                   QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"),
                   QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                   QStringLiteral("server.key"), QStringLiteral("-out"),
                   QStringLiteral("server.csr"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=localhost")})
           && run(openssl,
                  {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                   QStringLiteral("server.csr"), QStringLiteral("-CA"), QStringLiteral("ca.crt"),
                   QStringLiteral("-CAkey"), QStringLiteral("ca.key"),
                   QStringLiteral("-CAcreateserial"), QStringLiteral("-out"),
                   QStringLiteral("server.crt"), QStringLiteral("-days"), QStringLiteral("2"),
                   QStringLiteral("-extfile"), QStringLiteral("server.ext")});
}

QString BrokerRig::passwordFile(const QByteArray& password)
{
    QString name = path(QStringLiteral("password-%1").arg(++files_));
    QFile file(name);
    if (file.open(QIODevice::WriteOnly))
        file.write(password + "\n");
    return name;
}

bool BrokerRig::start()
{
    if (!error_.isEmpty())
        return false;
    broker_ = std::make_unique<QProcess>();
    broker_->setStandardOutputFile(path(QStringLiteral("mosquitto.out")), QIODevice::Append);
    broker_->setStandardErrorFile(path(QStringLiteral("mosquitto.out")), QIODevice::Append);
    broker_->start(QStringLiteral("/usr/sbin/mosquitto"),
                   {QStringLiteral("-c"), path(QStringLiteral("mosquitto.conf"))});
    if (!broker_->waitForStarted(10000)) {
        error_ = QStringLiteral("mosquitto did not start");
        return false;
    }
    // Ready once both listeners take connections.
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (broker_->state() != QProcess::Running) {
            error_ = QStringLiteral("mosquitto ended at start; see %1")
                         .arg(path(QStringLiteral("mosquitto.log")));
            return false;
        }
        bool ready = true;
        for (int port : {port_, tlsPort_}) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, quint16(port));
            ready = ready && socket.waitForConnected(100);
        }
        if (ready)
            return true;
        QThread::msleep(10);
    }
    error_ = QStringLiteral("mosquitto does not listen");
    return false;
}

void BrokerRig::stop()
{
    if (!broker_)
        return;
    broker_->terminate(); // SIGTERM: it saves its persistence file and ends
    if (!broker_->waitForFinished(10000)) {
        broker_->kill();
        broker_->waitForFinished(10000);
    }
    broker_.reset();
}

TestSubscriber::TestSubscriber(int port, const QString& topicFilter, const QString& clientId)
    : filter_(topicFilter.toUtf8())
{
    mosquitto_lib_init();
    client_ = mosquitto_new(clientId.toUtf8().constData(), false, this);
    mosquitto_username_pw_set(client_, BrokerRig::kUser.toUtf8().constData(),
                              BrokerRig::kPassword.constData());
    mosquitto_connect_callback_set(client_, &TestSubscriber::onConnect);
    mosquitto_subscribe_callback_set(client_, &TestSubscriber::onSubscribe);
    mosquitto_message_callback_set(client_, &TestSubscriber::onMessage);
    mosquitto_reconnect_delay_set(client_, 1, 1, false);
    mosquitto_connect_async(client_, "127.0.0.1", port, 30);
    mosquitto_loop_start(client_);
}

TestSubscriber::~TestSubscriber()
{
    mosquitto_disconnect(client_);
    mosquitto_loop_stop(client_, true);
    mosquitto_destroy(client_);
}

void TestSubscriber::onConnect(mosquitto* client, void* self, int code)
{
    auto* subscriber = static_cast<TestSubscriber*>(self);
    if (code == 0)
        mosquitto_subscribe(client, nullptr, subscriber->filter_.constData(), 1);
}

void TestSubscriber::onSubscribe(mosquitto*, void* self, int, int, const int*)
{
    auto* subscriber = static_cast<TestSubscriber*>(self);
    const std::lock_guard lock(subscriber->mutex_);
    subscriber->subscribed_ = true;
}

void TestSubscriber::onMessage(mosquitto*, void* self, const mosquitto_message* message)
{
    auto* subscriber = static_cast<TestSubscriber*>(self);
    const std::lock_guard lock(subscriber->mutex_);
    subscriber->messages_.push_back(
        {QByteArray(message->topic),
         QByteArray(static_cast<const char*>(message->payload), message->payloadlen),
         message->retain});
}

bool TestSubscriber::subscribed() const
{
    const std::lock_guard lock(mutex_);
    return subscribed_;
}

std::vector<TestSubscriber::Message> TestSubscriber::messages() const
{
    const std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<QByteArray> TestSubscriber::payloads(const QByteArray& topic) const
{
    std::vector<QByteArray> result;
    for (const Message& message : messages())
        if (message.topic == topic)
            result.push_back(message.payload);
    return result;
}
