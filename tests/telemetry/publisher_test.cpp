#include "brokerrig.h"
#include "eventwait.h"
#include "measurementrecord.h"
#include "mqttpublisher.h"
#include "simulatedinstrument.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

constexpr int kWaitMs = 30000;
using State = BrokerStatus::State;
using Problem = BrokerStatus::Problem;

QByteArray numbered(int n)
{
    return QStringLiteral("{\"n\":%1}").arg(n).toUtf8();
}

// What arrived, with the repeats QoS 1 allows (a message the broker took
// while its acknowledgement was lost comes again) taken out.
std::vector<QByteArray> withoutRepeats(const std::vector<QByteArray>& payloads)
{
    std::vector<QByteArray> result;
    for (const QByteArray& p : payloads)
        if (std::find(result.begin(), result.end(), p) == result.end())
            result.push_back(p);
    return result;
}

std::vector<QByteArray> numberedRange(int from, int to)
{
    std::vector<QByteArray> result;
    for (int n = from; n < to; ++n)
        result.push_back(numbered(n));
    return result;
}

TEST(PublisherQueueTest, WithoutBrokerQueuesUpToTheBoundAndCountsTheDropped)
{
    BrokerSettings settings;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = FreePort(); // nothing listens there
    settings.queueLimit = 3;
    MqttPublisher publisher(settings);
    std::vector<BrokerStatus> announced;
    QObject::connect(&publisher, &MqttPublisher::statusChanged,
                     [&](const BrokerStatus& s) { announced.push_back(s); });
    publisher.setInstrument(QStringLiteral("COM3"));
    for (int n = 0; n < 5; ++n)
        publisher.publishMeasurement(numbered(n));
    EXPECT_EQ(publisher.status().queued, 3);
    EXPECT_EQ(publisher.status().dropped, 2);
    ASSERT_TRUE(WaitUntil([&] { return publisher.status().state == State::Waiting; }, kWaitMs));
    EXPECT_EQ(publisher.status().problem, Problem::Unreachable);
    EXPECT_EQ(publisher.status().retrySeconds, 1);
    EXPECT_EQ(publisher.status().queued, 3);
    ASSERT_FALSE(announced.empty());
    EXPECT_EQ(announced.back(), publisher.status());
    EXPECT_EQ(publisher.topic("measurement"), QStringLiteral("COM3/measurement"));
}

class BrokerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig.start()) << rig.error().toStdString();
        subscriber = std::make_unique<TestSubscriber>(rig.port(), QStringLiteral("lab/#"),
                                                      QStringLiteral("watcher"));
        ASSERT_TRUE(WaitUntil([&] { return subscriber->subscribed(); }, kWaitMs));
    }

    BrokerSettings settings(const QByteArray& password = BrokerRig::kPassword)
    {
        BrokerSettings s;
        s.host = QStringLiteral("127.0.0.1");
        s.port = rig.port();
        s.prefix = QStringLiteral("lab");
        s.user = BrokerRig::kUser;
        s.passwordFile = rig.passwordFile(password);
        EXPECT_EQ(LoadBrokerFiles(s), BrokerFileProblem::None);
        return s;
    }

    static bool reaches(MqttPublisher& publisher, State state)
    {
        return WaitUntil([&] { return publisher.status().state == state; }, kWaitMs);
    }

    std::vector<QByteArray> received(const char* topic) const
    {
        return subscriber->payloads(QByteArray(topic));
    }

    bool receivedAtLeast(const char* topic, std::size_t count) const
    {
        return WaitUntil([&] { return withoutRepeats(received(topic)).size() >= count; }, kWaitMs);
    }

    BrokerRig rig;
    std::unique_ptr<TestSubscriber> subscriber;
};

TEST_F(BrokerTest, PublishesInOrderWithRetainedOnlineAndOfflineAtStop)
{
    {
        MqttPublisher publisher(settings());
        publisher.setInstrument(QStringLiteral("SN0042"));
        for (int n = 0; n < 50; ++n)
            publisher.publishMeasurement(numbered(n));
        ASSERT_TRUE(reaches(publisher, State::Connected));
        ASSERT_TRUE(receivedAtLeast("lab/SN0042/measurement", 50));
        EXPECT_EQ(received("lab/SN0042/measurement"), numberedRange(0, 50));
        ASSERT_TRUE(WaitUntil([&] { return publisher.status().queued == 0; }, kWaitMs));

        // A dashboard that starts later learns at once that the bench is on.
        TestSubscriber late(rig.port(), QStringLiteral("lab/+/status"), QStringLiteral("late"));
        ASSERT_TRUE(WaitUntil([&] { return !late.messages().empty(); }, kWaitMs));
        EXPECT_EQ(late.messages().front().payload, QByteArray("online"));
        EXPECT_TRUE(late.messages().front().retained);
    }
    // Stopped: "offline", retained.
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto status = received("lab/SN0042/status");
            return !status.empty() && status.back() == "offline";
        },
        kWaitMs));
    TestSubscriber later(rig.port(), QStringLiteral("lab/+/status"), QStringLiteral("later"));
    ASSERT_TRUE(WaitUntil([&] { return !later.messages().empty(); }, kWaitMs));
    EXPECT_EQ(later.messages().front().payload, QByteArray("offline"));
    EXPECT_TRUE(later.messages().front().retained);
}

TEST_F(BrokerTest, BrokerRestartLosesNothingInsideTheBoundAndCountsDropsPastIt)
{
    struct Case {
        int limit;
        int whileAway;
    };
    // Within the bound, and 15 past it.
    for (const Case c : {Case{1000, 40}, Case{10, 25}}) {
        SCOPED_TRACE(c.limit);
        const QString instrument = QStringLiteral("bound%1").arg(c.limit);
        const QByteArray topic = "lab/" + instrument.toUtf8() + "/measurement";
        BrokerSettings s = settings();
        s.queueLimit = c.limit;
        MqttPublisher publisher(s);
        publisher.setInstrument(instrument);
        ASSERT_TRUE(reaches(publisher, State::Connected));
        publisher.publishMeasurement(numbered(-1));
        ASSERT_TRUE(receivedAtLeast(topic.constData(), 1));

        rig.stop();
        ASSERT_TRUE(reaches(publisher, State::Waiting));
        EXPECT_EQ(publisher.status().problem, Problem::Lost);
        for (int n = 0; n < c.whileAway; ++n)
            publisher.publishMeasurement(numbered(n));
        const int dropped = std::max(0, c.whileAway - c.limit);
        EXPECT_EQ(publisher.status().dropped, dropped);
        EXPECT_EQ(publisher.status().queued, std::min(c.whileAway, c.limit));

        ASSERT_TRUE(rig.start()) << rig.error().toStdString();
        ASSERT_TRUE(reaches(publisher, State::Connected));
        ASSERT_TRUE(WaitUntil([&] { return publisher.status().queued == 0; }, kWaitMs));
        ASSERT_TRUE(receivedAtLeast(topic.constData(), 1 + c.whileAway - dropped));
        std::vector<QByteArray> expected{numbered(-1)};
        const std::vector<QByteArray> after = numberedRange(dropped, c.whileAway);
        expected.insert(expected.end(), after.begin(), after.end());
        EXPECT_EQ(withoutRepeats(subscriber->payloads(topic)), expected);
        EXPECT_EQ(publisher.status().dropped, dropped) << "the count stays for the status";
    }
}

TEST_F(BrokerTest, WrongPasswordIsReportedAsNotAuthorised)
{
    MqttPublisher publisher(settings("not-the-password"));
    publisher.setInstrument(QStringLiteral("COM1"));
    publisher.publishMeasurement(numbered(1));
    ASSERT_TRUE(reaches(publisher, State::Waiting));
    EXPECT_EQ(publisher.status().problem, Problem::NotAuthorised);
    EXPECT_EQ(publisher.status().queued, 1) << "kept for when the password is put right";
}

TEST_F(BrokerTest, TlsWithTheBrokersCaConnectsAndWithAnotherCaIsRefused)
{
    struct Case {
        QString ca;
        State state;
        Problem problem;
    };
    for (const Case& c : {Case{rig.caFile(), State::Connected, Problem::None},
                          Case{rig.otherCaFile(), State::Waiting, Problem::TlsFailed}}) {
        SCOPED_TRACE(c.ca.toStdString());
        BrokerSettings s = settings();
        s.tls = true;
        s.port = rig.tlsPort();
        s.caFile = c.ca;
        MqttPublisher publisher(s);
        publisher.setInstrument(QStringLiteral("tls"));
        publisher.publishMeasurement(numbered(7));
        ASSERT_TRUE(reaches(publisher, c.state));
        EXPECT_EQ(publisher.status().problem, c.problem);
        if (c.state == State::Connected) {
            EXPECT_TRUE(receivedAtLeast("lab/tls/measurement", 1));
        }
    }
    EXPECT_EQ(received("lab/tls/measurement"), std::vector<QByteArray>{numbered(7)});
}

// `qpa3600 measure --mqtt` as a lab runs it: the simulated instrument on a
// pseudo-terminal, a copy of the program without a display.
class BrokerMeasureTest : public BrokerTest {
protected:
    void SetUp() override
    {
        BrokerTest::SetUp();
        SimulatedInstrument::Options options;
        options.address = 1;
        sim = std::make_unique<SimulatedInstrument>(options);
        ASSERT_TRUE(sim->start());
    }

    std::unique_ptr<QProcess> start(const QStringList& words,
                                    const QString& command = QStringLiteral("measure"))
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        // The link comes from the options: the settings file is only read.
        process->setProcessEnvironment(env);
        process->start(QStringLiteral(QPA3600_BINARY),
                       QStringList{command, QStringLiteral("--device"),
                                   QString::fromStdString(sim->devicePath()),
                                   QStringLiteral("--baud"), QStringLiteral("115200"),
                                   QStringLiteral("--address"), QStringLiteral("1")}
                           + words);
        EXPECT_TRUE(process->waitForStarted(kWaitMs));
        return process;
    }

    QString url() const { return QStringLiteral("mqtt://bench@127.0.0.1:%1/lab").arg(rig.port()); }

    std::unique_ptr<SimulatedInstrument> sim;
};

std::vector<float> quantities(const MeasurementRecord& r)
{
    return {r.URMS, r.UPP, r.UF,   r.IRMS, r.IPP, r.IPA, r.PF, r.WRMS,
            r.PS,   r.PQ,  r.VTHD, r.ITHD, r.VKF, r.IKF, r.KWH};
}

TEST_F(BrokerMeasureTest, PublishesWhatTheInstrumentSentAndTheLastWillWhenKilled)
{
    std::unique_ptr<QProcess> measure =
        start({QStringLiteral("--count"), QStringLiteral("0"), QStringLiteral("--format"),
               QStringLiteral("json"), QStringLiteral("--mqtt"), url(),
               QStringLiteral("--mqtt-password-file"), rig.passwordFile()});
    ASSERT_TRUE(receivedAtLeast("lab/COM200/measurement", 3));
    const std::vector<QByteArray> published = received("lab/COM200/measurement");
    const std::vector<MeasurementRecord> sent = sim->recentMeasurements();
    static const char* const kKeys[] = {"urms", "upp", "uf",   "irms", "ipp", "ipa", "pf", "wrms",
                                        "ps",   "pq",  "vthd", "ithd", "vkf", "ikf", "kwh"};
    for (std::size_t i = 0; i < 3; ++i) {
        const QJsonObject object = QJsonDocument::fromJson(published[i]).object();
        ASSERT_FALSE(object.isEmpty()) << published[i].toStdString();
        EXPECT_TRUE(object.contains(QLatin1String("time")));
        std::vector<float> values;
        for (const char* key : kKeys)
            values.push_back(float(object.value(QLatin1String(key)).toDouble()));
        EXPECT_NE(std::find_if(sent.begin(), sent.end(),
                               [&](const MeasurementRecord& r) { return quantities(r) == values; }),
                  sent.end())
            << "measurement " << i << " is one the instrument sent";
    }
    // The same lines as standard output, in the same order.
    ASSERT_TRUE(WaitUntil([&] { return measure->canReadLine(); }, kWaitMs));
    EXPECT_EQ(measure->readLine().trimmed(), published.front());
    const auto status = [&] { return received("lab/COM200/status"); };
    ASSERT_FALSE(status().empty());
    EXPECT_EQ(status().front(), QByteArray("online"));

    ::kill(pid_t(measure->processId()), SIGKILL); // no goodbye: the broker says it
    ASSERT_TRUE(measure->waitForFinished(kWaitMs));
    ASSERT_TRUE(
        WaitUntil([&] { return !status().empty() && status().back() == "offline"; }, kWaitMs));
}

TEST_F(BrokerMeasureTest, TheLastMeasurementsGoOutBeforeTheCommandEnds)
{
    std::unique_ptr<QProcess> measure =
        start({QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--mqtt"), url(),
               QStringLiteral("--mqtt-password-file"), rig.passwordFile()});
    ASSERT_TRUE(measure->waitForFinished(kWaitMs));
    EXPECT_EQ(measure->exitCode(), 0);
    // Sent before the end, or never: the program is gone.
    ASSERT_TRUE(receivedAtLeast("lab/COM200/measurement", 3));
    EXPECT_EQ(received("lab/COM200/measurement").size(), 3U);
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto status = received("lab/COM200/status");
            return !status.empty() && status.back() == "offline";
        },
        kWaitMs));
}

// `record --mqtt` publishes what comes while it records, and the file holds
// the recording as without a broker.
TEST_F(BrokerMeasureTest, RecordPublishesWhileItRecords)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString out = folder.filePath(QStringLiteral("bench.zqr"));
    std::unique_ptr<QProcess> record =
        start({out, QStringLiteral("--step"), QStringLiteral("0.5"), QStringLiteral("--duration"),
               QStringLiteral("3"), QStringLiteral("--mqtt"), url(),
               QStringLiteral("--mqtt-password-file"), rig.passwordFile()},
              QStringLiteral("record"));
    ASSERT_TRUE(record->waitForFinished(3 * kWaitMs));
    EXPECT_EQ(record->exitCode(), 0) << record->readAllStandardError().toStdString();
    EXPECT_GT(QFileInfo(out).size(), 0);
    ASSERT_TRUE(receivedAtLeast("lab/COM200/measurement", 3));
    const QJsonObject first =
        QJsonDocument::fromJson(received("lab/COM200/measurement").front()).object();
    EXPECT_TRUE(first.contains(QLatin1String("urms")));
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto status = received("lab/COM200/status");
            return !status.empty() && status.back() == "offline";
        },
        kWaitMs));
}

TEST_F(BrokerMeasureTest, BadBrokerInputStopsTheCommandAtStartWithOneLine)
{
    struct Case {
        QStringList words;
        const char* says;
    };
    const Case cases[] = {
        {{QStringLiteral("--mqtt"), QStringLiteral("http://127.0.0.1/lab")}, "no broker URL"},
        {{QStringLiteral("--mqtt"), QStringLiteral("mqtt:///lab")}, "names no host"},
        {{QStringLiteral("--mqtt"), url(), QStringLiteral("--mqtt-password-file"),
          rig.path(QStringLiteral("no-such-file"))},
         "password file"},
        {{QStringLiteral("--mqtt"), QStringLiteral("mqtts://127.0.0.1/lab"),
          QStringLiteral("--mqtt-ca-file"), rig.path(QStringLiteral("no-such-ca.crt"))},
         "CA file"},
        {{QStringLiteral("--mqtt"), QStringLiteral("mqtts://127.0.0.1/lab")}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.join(QLatin1Char(' ')).toStdString());
        std::unique_ptr<QProcess> measure = start(c.words);
        ASSERT_TRUE(measure->waitForFinished(kWaitMs));
        const QString err = QString::fromUtf8(measure->readAllStandardError());
        if (c.says == nullptr) {
            // No CA named: the system's; nothing listens there, and the
            // measurement is printed all the same.
            EXPECT_EQ(measure->exitCode(), 0) << err.toStdString();
            EXPECT_EQ(measure->readAllStandardOutput().count('\n'), 2) << "header and one line";
            continue;
        }
        EXPECT_EQ(measure->exitCode(), 1);
        EXPECT_TRUE(err.contains(QLatin1String(c.says))) << err.toStdString();
        EXPECT_TRUE(measure->readAllStandardOutput().isEmpty());
    }
}

TEST_F(BrokerMeasureTest, RefusedPasswordIsSaidAndMeasurementsGoOn)
{
    std::unique_ptr<QProcess> measure =
        start({QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--mqtt"), url(),
               QStringLiteral("--mqtt-password-file"), rig.passwordFile("wrong")});
    ASSERT_TRUE(measure->waitForFinished(kWaitMs));
    EXPECT_EQ(measure->exitCode(), 0);
    EXPECT_EQ(measure->readAllStandardOutput().count('\n'), 4);
    const QString err = QString::fromUtf8(measure->readAllStandardError());
    EXPECT_TRUE(err.contains(QLatin1String("refused the user name or password")))
        << err.toStdString();
    EXPECT_FALSE(err.contains(QLatin1String("wrong")));
}

} // namespace
