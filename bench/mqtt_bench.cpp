// Publishing to an MQTT broker (Debian's mosquitto, started here on
// 127.0.0.1): the window's continuous sampling at the demonstration's
// 115200 bit/s with and without a broker (processor time and the longest
// event-loop stall), messages per second one publisher sustains, the
// queue's memory at its default bound with the broker away, and the time to
// reconnect after a broker restart. Prints one line per figure.
#include "answerdialogs.h"
#include "brokerrig.h"
#include "measurementline.h"
#include "measurements.h"
#include "median.h"
#include "mqttpublisher.h"
#include "programrig.h"
#include "responsedispatcher.h"
#include "simulatedinstrument.h"
#include "stallprobe.h"
#include "tmainform.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <malloc.h>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kSamplingMeasurements = 200;
constexpr int kRuns = 3;

void runUntil(const std::function<bool()>& done, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs) {
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

BrokerSettings brokerSettings(const BrokerRig& rig)
{
    BrokerSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = rig.port();
    s.user = BrokerRig::kUser;
    s.password = BrokerRig::kPassword;
    s.prefix = QStringLiteral("bench");
    return s;
}

struct SamplingFigures {
    double perSecond = 0;
    double cpuPercent = 0; // of one core, the whole process (the simulator's thread too)
    double longestStallMs = 0;
    qint64 published = 0;
};

// The whole program, "連續採樣" once the settings are read back, for
// kSamplingMeasurements measurements.
SamplingFigures windowSampling(const QString& device, const QByteArray& brokerSection)
{
    QTemporaryDir settings;
    WriteWholeFile(QDir(settings.path()).filePath(QStringLiteral("SysSet.ini")),
                   PortSettings(device.toUtf8(), 7, 1, brokerSection));
    AnswerDialogs dialogs{true, {}, true};
    const auto program =
        StartProgram(settings.path(), dialogs, {}, QCoreApplication::applicationDirPath());
    program->MainForm().show();
    bool readBack = false;
    QObject::connect(&program->Dispatcher(), &ResponseDispatcher::readBackComplete,
                     [&] { readBack = true; });
    runUntil([&] { return readBack; }, 10000);
    int stored = 0;
    QObject::connect(&program->Dispatcher(), &ResponseDispatcher::measurementStored,
                     [&] { ++stored; });
    program->MainForm().SeSkinSpeedButton8->click();
    runUntil([&] { return stored >= 2; }, 10000);
    StallProbe probe;
    probe.start();
    QElapsedTimer clock;
    clock.start();
    const double cpu0 = processCpuMs();
    const int first = stored;
    runUntil([&] { return stored >= first + kSamplingMeasurements; }, 120000);
    SamplingFigures figures;
    const double wallMs = double(clock.nsecsElapsed()) / 1e6;
    figures.cpuPercent = 100.0 * (processCpuMs() - cpu0) / wallMs;
    figures.perSecond = 1000.0 * (stored - first) / wallMs;
    figures.longestStallMs = probe.longestMs();
    probe.stop();
    program->Control().StopTest();
    runUntil([] { return false; }, 300);
    return figures;
}

QByteArray measurementJson()
{
    MeasurementRecord record = RealisticMeasurement();
    QByteArray json = MeasurementJsonLine(record, QDateTime::currentDateTime(), false);
    json.chop(1);
    return json;
}

// Messages per second from the first publish to the broker's last
// acknowledgement (QoS 1) or the last write (QoS 0).
double sustainedRate(const BrokerRig& rig, int qos, int count)
{
    BrokerSettings s = brokerSettings(rig);
    s.qos = qos;
    s.queueLimit = count;
    MqttPublisher publisher(s);
    publisher.setInstrument(QStringLiteral("rate"));
    runUntil([&] { return publisher.status().state == BrokerStatus::State::Connected; }, 10000);
    std::vector<QByteArray> payloads;
    for (int n = 0; n < count; ++n)
        payloads.push_back(measurementJson());
    QElapsedTimer clock;
    clock.start();
    for (QByteArray& payload : payloads)
        publisher.publishMeasurement(std::move(payload));
    runUntil([&] { return publisher.status().queued == 0; }, 300000);
    return 1000.0 * count / (double(clock.nsecsElapsed()) / 1e6);
}

// Heap in use with BrokerSettings::kDefaultQueueLimit measurements queued
// while no broker answers, less the heap before.
double queueMemoryMiB(int harmonics)
{
    BrokerSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = 1; // nothing there
    std::vector<QByteArray> payloads;
    MeasurementRecord record = RealisticMeasurement();
    const QByteArray one = [&] {
        QByteArray json = MeasurementJsonLine(record, QDateTime::currentDateTime(), harmonics != 0);
        json.chop(1);
        return json;
    }();
    const std::size_t before = mallinfo2().uordblks;
    {
        MqttPublisher publisher(s);
        publisher.setInstrument(QStringLiteral("memory"));
        for (int n = 0; n < BrokerSettings::kDefaultQueueLimit + 100; ++n)
            publisher.publishMeasurement(QByteArray(one.constData(), one.size())); // own copies
        const std::size_t after = mallinfo2().uordblks;
        std::printf("  (payload %lld bytes, queued %d, dropped %lld)\n", qint64(one.size()),
                    publisher.status().queued, publisher.status().dropped);
        return double(after - before) / (1024.0 * 1024.0);
    }
}

struct ReconnectFigures {
    double afterStartMs = 0; // from the broker listening again to connected
    double downMs = 0;       // from the broker stopped to connected
};

ReconnectFigures reconnect(BrokerRig& rig)
{
    MqttPublisher publisher(brokerSettings(rig));
    publisher.setInstrument(QStringLiteral("restart"));
    runUntil([&] { return publisher.status().state == BrokerStatus::State::Connected; }, 10000);
    QElapsedTimer clock;
    clock.start();
    rig.stop();
    runUntil([&] { return publisher.status().state == BrokerStatus::State::Waiting; }, 10000);
    rig.start();
    const double upAt = double(clock.nsecsElapsed()) / 1e6;
    runUntil([&] { return publisher.status().state == BrokerStatus::State::Connected; }, 60000);
    const double connectedAt = double(clock.nsecsElapsed()) / 1e6;
    return {connectedAt - upAt, connectedAt};
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    BrokerRig rig;
    if (!rig.start()) {
        std::fprintf(stderr, "mqtt_bench: %s\n", rig.error().toLocal8Bit().constData());
        return 1;
    }

    SimulatedInstrument::Options simOptions;
    simOptions.address = 1;
    SimulatedInstrument sim(simOptions);
    if (!sim.start())
        return 1;
    const QString device = QString::fromStdString(sim.devicePath());
    const QByteArray broker = QStringLiteral("[Mqtt]\nHost=127.0.0.1\nPort=%1\nUser=%2\n"
                                             "PasswordFile=%3\nTopicPrefix=bench\n")
                                  .arg(rig.port())
                                  .arg(BrokerRig::kUser, rig.passwordFile())
                                  .toUtf8();
    for (const auto& [name, section] :
         {std::pair{"without a broker", QByteArray()}, std::pair{"publishing", broker}}) {
        std::vector<double> rate, cpu, stall;
        for (int run = 0; run < kRuns; ++run) {
            const SamplingFigures f = windowSampling(device, section);
            rate.push_back(f.perSecond);
            cpu.push_back(f.cpuPercent);
            stall.push_back(f.longestStallMs);
        }
        std::printf("window sampling at 115200 bit/s, %s: %.1f measurements/s, process CPU "
                    "%.1f %% of a core, longest event-loop stall %.2f ms (median of %d runs "
                    "of %d measurements)\n",
                    name, Median(rate), Median(cpu), Median(stall), kRuns, kSamplingMeasurements);
    }

    {
        std::vector<double> micro;
        MqttPublisher publisher(brokerSettings(rig));
        publisher.setInstrument(QStringLiteral("cost"));
        runUntil([&] { return publisher.status().state == BrokerStatus::State::Connected; }, 10000);
        const MeasurementRecord record = RealisticMeasurement();
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer clock;
            clock.start();
            for (int n = 0; n < 1000; ++n) {
                QByteArray json = MeasurementJsonLine(record, QDateTime::currentDateTime(), false);
                json.chop(1);
                publisher.publishMeasurement(std::move(json));
            }
            micro.push_back(double(clock.nsecsElapsed()) / 1e3 / 1000);
            runUntil([&] { return publisher.status().queued == 0; }, 60000);
        }
        std::printf("one measurement's JSON and hand-over on the window's thread: %.1f us "
                    "(median of 5 x 1000)\n",
                    Median(micro));
    }

    for (int qos : {1, 0}) {
        std::vector<double> rates;
        for (int run = 0; run < kRuns; ++run)
            rates.push_back(sustainedRate(rig, qos, 20000));
        std::printf("one publisher, QoS %d, 20000 measurements (~%lld bytes each) to the local "
                    "broker: %.0f messages/s (median of %d)\n",
                    qos, qint64(measurementJson().size()), Median(rates), kRuns);
    }

    std::printf("queue at its bound (%d measurements) with the broker away: %.2f MiB of heap\n",
                BrokerSettings::kDefaultQueueLimit, queueMemoryMiB(0));
    std::printf("  with both spectra in each measurement: %.2f MiB of heap\n", queueMemoryMiB(1));

    std::vector<double> afterStart, down;
    for (int run = 0; run < kRuns; ++run) {
        const ReconnectFigures f = reconnect(rig);
        afterStart.push_back(f.afterStartMs);
        down.push_back(f.downMs);
    }
    std::printf("broker restart: connected again %.0f ms after it listened (%.0f ms after it "
                "stopped; median of %d)\n",
                Median(afterStart), Median(down), kRuns);
    return 0;
}
