#include "measurementrecord.h"
#include "programrig.h"
#include "ser2net.h"
#include "simulatedinstrument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 30000;
constexpr int kMeasurementRegister = 148;
constexpr int kOptionRegister = 128;

std::vector<float> quantities(const MeasurementRecord& r)
{
    return {r.URMS, r.UPP, r.UF,   r.IRMS, r.IPP, r.IPA, r.PF, r.WRMS,
            r.PS,   r.PQ,  r.VTHD, r.ITHD, r.VKF, r.IKF, r.KWH};
}

int registerOf(const std::vector<std::uint8_t>& request)
{
    return request.size() >= 4 ? (request[2] << 8) | request[3] : -1;
}

// `qpa3600 measure` as a script runs it: a copy of the program in a folder
// of its own (its settings folder), no display, standard output and error
// pipes, the simulated instrument on a pseudo-terminal at 115200 bit/s.
class MeasureProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimulatedInstrument::Options options;
        options.address = 1;
        sim = std::make_unique<SimulatedInstrument>(options);
        ASSERT_TRUE(sim->start());
        device = QString::fromStdString(sim->devicePath());
        // Beside the built program, so that a hard link saves copying it.
        const QDir built = QFileInfo(QStringLiteral(QPA3600_BINARY)).dir();
        dir = std::make_unique<QTemporaryDir>(built.filePath(QStringLiteral("measure-XXXXXX")));
        ASSERT_TRUE(dir->isValid());
        binary = dir->filePath(QStringLiteral("qpa3600"));
        if (::link(QPA3600_BINARY, QFile::encodeName(binary).constData()) != 0) {
            ASSERT_TRUE(QFile::copy(QStringLiteral(QPA3600_BINARY), binary));
        }
        // Its data beside it makes its own folder the settings folder.
        ASSERT_TRUE(QFile::link(built.filePath(QStringLiteral("SkinsFile")),
                                dir->filePath(QStringLiteral("SkinsFile"))));
        settings = dir->filePath(QStringLiteral("SysSet.ini"));
    }

    void saveSettings() { ASSERT_TRUE(WriteWholeFile(settings, savedSettings())); }
    QByteArray savedSettings() const { return PortSettings(device.toUtf8(), 7, 1); }

    std::unique_ptr<QProcess> start(const QStringList& words)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        process->setProcessEnvironment(env);
        process->start(binary, QStringList{QStringLiteral("measure")} + words);
        EXPECT_TRUE(process->waitForStarted(kWaitMs));
        return process;
    }

    struct Result {
        int exitCode = -1;
        QByteArray out;
        QString err;
    };
    Result run(const QStringList& words)
    {
        std::unique_ptr<QProcess> process = start(words);
        Result result;
        if (!process->waitForFinished(kWaitMs) || process->exitStatus() != QProcess::NormalExit)
            return result;
        result.exitCode = process->exitCode();
        result.out = process->readAllStandardOutput();
        result.err = QString::fromUtf8(process->readAllStandardError());
        return result;
    }

    // Waits for the next whole line of standard output.
    static QByteArray readLine(QProcess& process)
    {
        while (!process.canReadLine())
            if (!process.waitForReadyRead(kWaitMs))
                return {};
        return process.readLine();
    }

    // Where each line's fifteen values are among the measurements the
    // instrument sent, in order, or -1.
    std::vector<int> sentIndices(const std::vector<std::vector<float>>& lines) const
    {
        const std::vector<MeasurementRecord> sent = sim->recentMeasurements();
        std::vector<int> indices;
        for (const std::vector<float>& values : lines) {
            int found = -1;
            for (std::size_t i = 0; i < sent.size(); ++i)
                if (quantities(sent[i]) == values)
                    found = int(i);
            indices.push_back(found);
        }
        return indices;
    }

    std::size_t measurementRequests() const
    {
        std::size_t count = 0;
        for (const auto& request : sim->receivedRequests())
            count += registerOf(request) == kMeasurementRegister;
        return count;
    }

    std::unique_ptr<SimulatedInstrument> sim;
    QString device;
    std::unique_ptr<QTemporaryDir> dir;
    QString binary;
    QString settings;
};

std::vector<float> csvValues(const QByteArray& line)
{
    std::vector<float> values;
    const QList<QByteArray> fields = line.trimmed().split(',');
    for (qsizetype i = 1; i < fields.size() && i <= 15; ++i)
        values.push_back(fields[i].toFloat());
    return values;
}

// The saved port, rate and address are used and the file left as it was;
// the read-back runs first, as at the window's start; every line carries
// the values of a measurement the instrument sent, each once, in order.
TEST_F(MeasureProgramTest, PrintsTheMeasurementsTheInstrumentSentOverTheSavedLink)
{
    saveSettings();
    const Result result = run({"--count", "3"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.isEmpty())
        << "no progress when standard error is no terminal: " << result.err.toStdString();
    const QList<QByteArray> lines = result.out.split('\n');
    ASSERT_EQ(lines.size(), 5) << result.out.toStdString(); // header, three, the empty end
    EXPECT_TRUE(lines[0].startsWith("時間,URMS (V),UPP (V),UF (Hz)"));
    std::vector<std::vector<float>> values;
    for (int i = 1; i <= 3; ++i) {
        EXPECT_TRUE(lines[i].endsWith('\r'));
        values.push_back(csvValues(lines[i]));
        EXPECT_EQ(values.back().size(), 15u);
    }
    const std::vector<int> indices = sentIndices(values);
    EXPECT_NE(indices[0], -1);
    EXPECT_LT(indices[0], indices[1]);
    EXPECT_LT(indices[1], indices[2]);

    const auto requests = sim->receivedRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(registerOf(requests.front()), kOptionRegister);
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), savedSettings());
}

// --device, --baud and --address without any settings file: none is made.
// JSON Lines with the spectra carry the values as sent too.
TEST_F(MeasureProgramTest, JsonLinesFromANamedDeviceWriteNoSettings)
{
    const Result result = run({"--device", device, "--baud", "115200", "--address", "1", "--count",
                               "2", "--format", "json", "--harmonics"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_FALSE(QFile::exists(settings));
    const QList<QByteArray> lines = result.out.split('\n');
    ASSERT_EQ(lines.size(), 3) << result.out.toStdString();
    const std::vector<MeasurementRecord> sent = sim->recentMeasurements();
    for (int i = 0; i < 2; ++i) {
        QJsonParseError error;
        const QJsonObject json = QJsonDocument::fromJson(lines[i], &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << lines[i].toStdString();
        const std::vector<float> values = {
            float(json["urms"].toDouble()), float(json["upp"].toDouble()),
            float(json["uf"].toDouble()),   float(json["irms"].toDouble()),
            float(json["ipp"].toDouble()),  float(json["ipa"].toDouble()),
            float(json["pf"].toDouble()),   float(json["wrms"].toDouble()),
            float(json["ps"].toDouble()),   float(json["pq"].toDouble()),
            float(json["vthd"].toDouble()), float(json["ithd"].toDouble()),
            float(json["vkf"].toDouble()),  float(json["ikf"].toDouble()),
            float(json["kwh"].toDouble())};
        const int index = sentIndices({values})[0];
        ASSERT_NE(index, -1) << lines[i].toStdString();
        const MeasurementRecord& record = sent[std::size_t(index)];
        const QJsonArray u = json["u_harmonics"].toArray();
        const QJsonArray current = json["i_harmonics"].toArray();
        ASSERT_EQ(u.size(), 51);
        ASSERT_EQ(current.size(), 51);
        for (int k = 0; k < 51; ++k) {
            EXPECT_EQ(float(u[k].toDouble()), record.UHarmonic[std::size_t(k)]);
            EXPECT_EQ(float(current[k].toDouble()), record.IHarmonic[std::size_t(k)]);
        }
    }
}

// SIGINT (Ctrl+C), SIGTERM and SIGHUP end a run that would go on for ever with
// exit code 0 and nothing but whole lines; the port is free again at once.
TEST_F(MeasureProgramTest, StopSignalsEndAfterAWholeLineAndReleaseThePort)
{
    saveSettings();
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        std::unique_ptr<QProcess> process = start({"--count", "0", "--format", "json"});
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(readLine(*process).endsWith("}\n"));
        ::kill(pid_t(process->processId()), signal);
        ASSERT_TRUE(process->waitForFinished(kWaitMs));
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process->exitCode(), 0);
        const QByteArray rest = process->readAllStandardOutput();
        EXPECT_TRUE(rest.isEmpty() || rest.endsWith("}\n")) << rest.toStdString();

        const Result next = run({"--count", "1"});
        EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    }
}

// `qpa3600 measure --count 0 | head -2`: the reader goes away, the run ends
// quietly with exit code 0 instead of dying of SIGPIPE, and the port is free.
TEST_F(MeasureProgramTest, AReaderThatGoesAwayEndsTheRunQuietly)
{
    saveSettings();
    const QString status = dir->filePath(QStringLiteral("status"));
    const QString error = dir->filePath(QStringLiteral("error"));
    QProcess shell;
    shell.start(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
         QStringLiteral("{ \"$0\" measure --count 0 2>\"$1\"; echo $? >\"$2\"; } | head -2"),
         binary, error, status});
    ASSERT_TRUE(shell.waitForFinished(kWaitMs));
    EXPECT_EQ(shell.exitCode(), 0);
    const QList<QByteArray> lines = shell.readAllStandardOutput().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("時間,"));
    EXPECT_EQ(csvValues(lines[1]).size(), 15u);
    QFile code(status);
    ASSERT_TRUE(code.open(QIODevice::ReadOnly));
    EXPECT_EQ(code.readAll().trimmed(), "0");
    QFile messages(error);
    ASSERT_TRUE(messages.open(QIODevice::ReadOnly));
    EXPECT_TRUE(messages.readAll().isEmpty());

    EXPECT_EQ(run({"--count", "1"}).exitCode, 0);
}

// An instrument that does not answer (here: another address) ends the run
// after --timeout with exit code 2 and the reason; nothing on standard output.
TEST_F(MeasureProgramTest, NoAnswerWithinTheTimeoutExitsWithTwo)
{
    const Result result =
        run({"--device", device, "--baud", "115200", "--address", "9", "--timeout", "1"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    EXPECT_TRUE(result.err.contains("no answer from the instrument")) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(device)) << result.err.toStdString();
    EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
}

// Wrong words and ports that cannot be had: a message naming the problem,
// exit code 1, nothing on standard output, the instrument never asked.
TEST_F(MeasureProgramTest, BadInputExitsWithOneAndLeavesThePortAlone)
{
    saveSettings();
    const QString regularFile = dir->filePath(QStringLiteral("notes.txt"));
    ASSERT_TRUE(WriteWholeFile(regularFile, "not a port"));
    const struct Case {
        QStringList words;
        QString named;
    } cases[] = {
        {{"--bogus"}, "bogus"},
        {{"--count", "x"}, "--count 'x'"},
        {{"--interval", "soon"}, "--interval 'soon'"},
        {{"--url", "tcp://bench-3"}, "no port"},
        {{"--url", "telnet://bench-3:23"}, "rfc2217://"},
        {{"--url", "rfc2217://no-such-bench.invalid:4001"}, "'no-such-bench.invalid' is not known"},
        {{"--url", QStringLiteral("tcp://127.0.0.1:%1").arg(Ser2net::freePort())}, "refused"},
        {{"--port", "COM250"}, "COM250"},
        {{"--device", dir->filePath("missing")}, dir->filePath("missing")},
        {{"--device", regularFile}, "not a serial device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        const Result result = run(c.words);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_TRUE(result.err.contains(c.named)) << result.err.toStdString();
    }
    EXPECT_EQ(sim->requestCount(), 0u);
}

// The instrument behind ser2net, reached with --url, raw and with RFC 2217
// (ser2net's own rate is wrong then: the 115200 set over the connection
// must take): the lines carry the values the instrument sent, in order.
TEST_F(MeasureProgramTest, MeasuresThroughSer2netRawAndRfc2217)
{
    if (!Ser2net::installed())
        GTEST_SKIP() << Ser2net::kProgram << " is missing (scripts/install-deps installs it)";
    for (const Ser2net::Mode mode : {Ser2net::Mode::Raw, Ser2net::Mode::Rfc2217}) {
        Ser2net server(device, mode, mode == Ser2net::Mode::Raw ? 115200 : 9600);
        SCOPED_TRACE(server.url().toStdString());
        QString error;
        ASSERT_TRUE(server.start(&error)) << error.toStdString();
        const Result result =
            run({"--url", server.url(), "--baud", "115200", "--address", "1", "--count", "3"});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QList<QByteArray> lines = result.out.split('\n');
        ASSERT_EQ(lines.size(), 5) << result.out.toStdString();
        const std::vector<int> indices =
            sentIndices({csvValues(lines[1]), csvValues(lines[2]), csvValues(lines[3])});
        EXPECT_NE(indices[0], -1);
        EXPECT_LT(indices[0], indices[1]);
        EXPECT_LT(indices[1], indices[2]);
    }
    EXPECT_FALSE(QFile::exists(settings)) << "the link options wrote no settings";
}

// ser2net answers, the instrument behind it does not (its device is
// missing, so ser2net drops every connection): exit code 2 with the reason.
TEST_F(MeasureProgramTest, Ser2netWithoutItsInstrumentIsNoAnswer)
{
    if (!Ser2net::installed())
        GTEST_SKIP() << Ser2net::kProgram << " is missing (scripts/install-deps installs it)";
    Ser2net server(dir->filePath(QStringLiteral("no-instrument")), Ser2net::Mode::Raw);
    QString error;
    ASSERT_TRUE(server.start(&error)) << error.toStdString();
    const Result result = run({"--url", server.url(), "--timeout", "1"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.contains("no answer from the instrument on " + server.url()))
        << result.err.toStdString();
}

// The program's help points to the command's, which answers without a port.
TEST_F(MeasureProgramTest, HelpAnswersWithoutTouchingThePort)
{
    const Result help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: qpa3600 measure [options]\n"));
    QProcess program;
    program.start(binary, {QStringLiteral("--help")});
    ASSERT_TRUE(program.waitForFinished(kWaitMs));
    EXPECT_TRUE(program.readAllStandardOutput().contains("qpa3600 measure --help"));
    EXPECT_EQ(sim->requestCount(), 0u);
}

// A second run on a port the first one holds is refused, naming the holder.
TEST_F(MeasureProgramTest, APortHeldByAnotherRunIsRefusedNamingIt)
{
    saveSettings();
    std::unique_ptr<QProcess> first = start({"--count", "0"});
    ASSERT_FALSE(readLine(*first).isEmpty());
    const Result second = run({"--count", "1"});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.out.isEmpty());
    EXPECT_TRUE(second.err.contains("held by another program")) << second.err.toStdString();
    EXPECT_TRUE(second.err.contains(QString::number(first->processId())))
        << second.err.toStdString();
    first->terminate();
    ASSERT_TRUE(first->waitForFinished(kWaitMs));
    EXPECT_EQ(first->exitCode(), 0);
}

// With --interval each measurement is asked for once (single tests), rather
// than sampled continuously.
TEST_F(MeasureProgramTest, AnIntervalAsksForOneMeasurementPerInterval)
{
    saveSettings();
    const Result result = run({"--count", "3", "--interval", "0.5"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.count('\n'), 4);
    EXPECT_EQ(measurementRequests(), 3u);
}

} // namespace
