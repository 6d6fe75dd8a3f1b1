#include "commandprocess.h"
#include "eventwait.h"
#include "measurementrecord.h"
#include "recordcsv.h"
#include "recordfile.h"
#include "recordsettings.h"
#include "recordstate.h"

#include <csignal>

namespace {

const std::array<std::int32_t, 6> kCodes{0, 1, 2, 6, 7, 9};

struct ReadBack {
    RecordFileResult result;
    OpenedRecordFile opened;
    std::unique_ptr<SampleBuffers> samples = std::make_unique<SampleBuffers>();
};

ReadBack readRecordFile(const QString& path)
{
    ReadBack back;
    back.result = OpenRecordFile(path, *back.samples, back.opened);
    return back;
}

QByteArray wholeFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// `qpa3600 record` against the simulated instrument.
class RecordProgramTest : public CommandProcessTest {
protected:
    RecordProgramTest() : CommandProcessTest(QStringLiteral("record")) {}

    QString file(const char* name) const { return dir->filePath(QString::fromUtf8(name)); }

    // Runs the event loop until standard error of `process` says `text`;
    // what it said is gathered in `err`.
    bool waitForError(QProcess& process, const QString& text)
    {
        return WaitUntil(
            [&] {
                err += QString::fromUtf8(process.readAllStandardError());
                return err.contains(text);
            },
            kWaitMs);
    }

    // Runs the event loop until the instrument was asked for `count` more
    // measurements than now: the recording has gone on for a while.
    void waitForMeasurements(std::size_t count)
    {
        const std::size_t until = measurementRequests() + count;
        ASSERT_TRUE(WaitUntil([&] { return measurementRequests() >= until; }, kWaitMs));
    }

    std::size_t measurementRequests() const
    {
        constexpr int kMeasurementRegister = 148;
        std::size_t count = 0;
        for (const auto& request : sim->receivedRequests())
            count +=
                request.size() >= 4 && ((request[2] << 8) | request[3]) == kMeasurementRegister;
        return count;
    }

    QString err;
};

// Three seconds at half-second steps over the saved link: six samples, each
// channel the quantity asked for with the value of a measurement the
// instrument sent, in the order sent; the CSV alongside is the record
// window's export of that file; the settings file is left as it was.
TEST_F(RecordProgramTest, RecordsTheMeasurementsSentForTheDurationWithTheCsvAlongside)
{
    saveSettings();
    const Result result = run({file("bench.zqr"), "--channels", "0,1,2,6,7,9", "--step", "0.5",
                               "--save", "1", "--duration", "3s", "--csv", file("bench.csv")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.isEmpty())
        << "no progress when standard error is no terminal: " << result.err.toStdString();

    const ReadBack back = readRecordFile(file("bench.zqr"));
    ASSERT_TRUE(back.result.ok());
    EXPECT_EQ(back.opened.blocks, 1);
    ASSERT_EQ(back.opened.last, 5);
    EXPECT_EQ(back.opened.codes, kCodes);
    const std::vector<MeasurementRecord> sent = sim->recentMeasurements();
    int previous = -1;
    for (int i = 0; i <= back.opened.last; ++i) {
        SCOPED_TRACE(i);
        int found = -1;
        for (std::size_t m = 0; m < sent.size(); ++m) {
            const std::array<float, kQuantityCount> vector = SampleVectorOf(sent[m]);
            bool same = true;
            for (int k = 0; k < 6; ++k)
                same = same && back.samples->channel(k)[i] == vector[std::size_t(kCodes[k])];
            if (same)
                found = int(m);
        }
        EXPECT_GT(found, previous);
        previous = found;
        if (i > 0) {
            EXPECT_GT(back.samples->timestamps()[i], back.samples->timestamps()[i - 1]);
        }
    }
    EXPECT_EQ(wholeFile(file("bench.csv")), RecordCsv(*back.samples, back.opened.last, kCodes));
    EXPECT_EQ(wholeFile(settings), savedSettings());
}

// SIGTERM (a service stopped), SIGINT (Ctrl+C) and SIGHUP (the terminal
// closed) end a recording without a duration with exit code 0, the samples
// since the last save in the file, the port free again for the next run.
TEST_F(RecordProgramTest, StopSignalsSaveTheSamplesAndExitWithZero)
{
    saveSettings();
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        const QString path = file("signalled.zqr");
        std::unique_ptr<QProcess> process = start({path, "--step", "0.2", "--save", "1h"});
        ASSERT_TRUE(WaitUntil([&] { return QFile::exists(path); }, kWaitMs));
        waitForMeasurements(8);
        // Made when the recording started and never saved since: no samples yet.
        EXPECT_EQ(readRecordFile(path).opened.last, -1);
        ::kill(pid_t(process->processId()), signal);
        const Result result = finish(*process);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        const ReadBack back = readRecordFile(path);
        ASSERT_TRUE(back.result.ok());
        EXPECT_GE(back.opened.last, 1);

        const Result next = run({file("next.zqr"), "--step", "0.2", "--duration", "0.2"});
        EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
        EXPECT_EQ(readRecordFile(file("next.zqr")).opened.last, 0);
    }
}

// A save that fails (the file moved aside) is reported on standard error
// and tried again at every save; the file back in its place is saved again.
// When the last save fails too, the exit code says that samples are missing.
TEST_F(RecordProgramTest, FailedSavesAreReportedRetriedAndShownInTheExitCode)
{
    saveSettings();
    const QString path = file("moving.zqr");
    const QString aside = file("aside.zqr");
    std::unique_ptr<QProcess> process = start({path, "--step", "0.2", "--save", "1"});
    ASSERT_TRUE(WaitUntil([&] { return QFile::exists(path); }, kWaitMs));
    ASSERT_TRUE(QFile::rename(path, aside));
    ASSERT_TRUE(waitForError(*process, QStringLiteral("saving '%1' failed").arg(path)));
    ASSERT_TRUE(QFile::rename(aside, path));
    ASSERT_TRUE(waitForError(*process, QStringLiteral("'%1' saved again").arg(path)));
    EXPECT_GE(readRecordFile(path).opened.last, 0);
    ASSERT_TRUE(QFile::rename(path, aside));
    ::kill(pid_t(process->processId()), SIGTERM);
    const Result result = finish(*process);
    err += result.err;
    EXPECT_EQ(result.exitCode, 3) << err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral("the last save of '%1' failed").arg(path)))
        << err.toStdString();
}

// An instrument that does not answer (another address) ends the run after
// --timeout with exit code 2; no record file is made.
TEST_F(RecordProgramTest, NoAnswerAtTheStartExitsWithTwoAndWritesNothing)
{
    const Result result = run({file("silent.zqr"), "--device", device, "--baud", "115200",
                               "--address", "9", "--timeout", "1"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains("no answer from the instrument")) << result.err.toStdString();
    EXPECT_FALSE(QFile::exists(file("silent.zqr")));
}

// Wrong words and files that cannot be the record: a message naming the
// problem, exit code 1, nothing written, the instrument never asked.
TEST_F(RecordProgramTest, BadInputExitsWithOneWritesNothingAndLeavesThePortAlone)
{
    saveSettings();
    ASSERT_TRUE(QDir(dir->path()).mkdir(QStringLiteral("folder")));
    const QString out = file("out.zqr");
    const struct Case {
        QStringList words;
        QString named;
    } cases[] = {
        {{}, "OUT.zqr"},
        {{out, "more.zqr"}, "more.zqr"},
        {{out, "--bogus"}, "bogus"},
        {{out, "--duration", "soon"}, "--duration 'soon'"},
        {{out, "--duration", "5w"}, "--duration '5w'"},
        {{out, "--duration", "0"}, "--duration '0'"},
        {{out, "--step", "0"}, "--step '0'"},
        {{out, "--save", "0.5"}, "--save '0.5'"},
        {{out, "--channels", "0,1,2"}, "--channels '0,1,2'"},
        {{out, "--channels", "0,1,2,6,7,13"}, "--channels"},
        {{out, "--port", "COM0"}, "COM0"},
        {{file("folder"), "--duration", "1"}, "no regular file"},
        {{device, "--duration", "1"}, "the instrument's device"},
        {{file("missing/out.zqr")}, "folder does not exist"},
        {{out, "--csv", out}, "both"},
        {{out, "--csv", file("folder")}, "no regular file"},
        {{out, "--device", file("missing-device")}, "missing-device"},
    };
    const QStringList before = QDir(dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        const Result result = run(c.words);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_TRUE(result.err.contains(c.named)) << result.err.toStdString();
    }
    EXPECT_EQ(QDir(dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    EXPECT_EQ(sim->requestCount(), 0u);
}

TEST_F(RecordProgramTest, HelpAnswersWithoutTouchingThePort)
{
    const Result help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: qpa3600 record OUT.zqr [options]\n"));
    EXPECT_TRUE(help.out.contains("Exit codes:"));
    EXPECT_EQ(sim->requestCount(), 0u);
}

} // namespace
