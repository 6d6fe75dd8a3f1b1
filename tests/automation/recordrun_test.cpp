// A record run in this process against the simulated instrument, with the
// capacity of a file lowered so that a recording crosses files in seconds.
#include "eventwait.h"
#include "inifile.h"
#include "portenvironment.h"
#include "programrig.h"
#include "recordcsv.h"
#include "recordfile.h"
#include "recordrun.h"
#include "recordstate.h"
#include "simulatedinstrument.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kWaitMs = 30000;
const std::array<std::int32_t, 6> kCodes{0, 1, 2, 6, 7, 9};

QByteArray wholeFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class RecordRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimulatedInstrument::Options simOptions;
        simOptions.address = 1;
        sim = std::make_unique<SimulatedInstrument>(simOptions);
        ASSERT_TRUE(sim->start());
        ASSERT_TRUE(dir.isValid());
        options.link.device = QString::fromStdString(sim->devicePath());
        options.link.baud = 115200;
        options.link.address = 1;
        options.out = dir.filePath("run.zqr");
        options.channels = kCodes;
        options.stepMs = 200;
        options.saveMs = 1000;
        ApplyLinkOptions(options.link, sysSet);
    }

    // Runs a recording whose files take `capacity` samples to its end.
    RecordOutcome record(int capacity)
    {
        SystemPorts ports(sysSet);
        RecordRun run(options, sysSet, ports);
        run.writer().setFileCapacity(capacity);
        QSignalSpy finished(&run, &RecordRun::finished);
        QSignalSpy next(&run, &RecordRun::nextFileStarted);
        run.start();
        EXPECT_TRUE(WaitUntil([&] { return !finished.isEmpty(); }, kWaitMs));
        for (const QList<QVariant>& started : next)
            nextFiles << QStringLiteral("%1 %2")
                             .arg(QFileInfo(started[0].toString()).fileName())
                             .arg(started[1].toInt());
        taken = run.writer().seriesSamples();
        return finished.isEmpty() ? RecordOutcome{} : finished[0][0].value<RecordOutcome>();
    }

    struct ReadBack {
        OpenedRecordFile opened;
        std::unique_ptr<SampleBuffers> samples = std::make_unique<SampleBuffers>();
    };
    ReadBack read(const char* name)
    {
        ReadBack back;
        EXPECT_TRUE(OpenRecordFile(dir.filePath(name), *back.samples, back.opened).ok()) << name;
        return back;
    }

    std::unique_ptr<SimulatedInstrument> sim;
    QTemporaryDir dir;
    IniFile sysSet{dir.filePath("SysSet.ini")};
    RecordOptions options;
    QStringList nextFiles;
    qint64 taken = 0;
};

// Ten steps into files of four: run.zqr, run-0002.zqr, run-0003.zqr hold
// 4, 4 and 2 samples, each a record file of its own with the codes, the
// times going on from file to file; every sample taken is in one file, and
// each file has its CSV.
TEST_F(RecordRunTest, AFullFileGoesOnInTheNextOfItsSeriesLosingNoSample)
{
    options.durationMs = 2000;
    options.csv = dir.filePath("run.csv");
    const RecordOutcome outcome = record(4);
    EXPECT_EQ(outcome.kind, RecordOutcome::Kind::Done);
    EXPECT_EQ(outcome.exitCode(), 0);
    EXPECT_EQ(outcome.path, dir.filePath("run-0003.zqr"));
    EXPECT_EQ(nextFiles, (QStringList{"run-0002.zqr 2", "run-0003.zqr 3"}));
    EXPECT_EQ(taken, 10);
    double previous = 0;
    std::int32_t inFiles = 0;
    const struct {
        const char* zqr;
        const char* csv;
        std::int32_t last;
    } files[] = {{"run.zqr", "run.csv", 3},
                 {"run-0002.zqr", "run-0002.csv", 3},
                 {"run-0003.zqr", "run-0003.csv", 1}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.zqr);
        const ReadBack back = read(file.zqr);
        EXPECT_EQ(back.opened.last, file.last);
        EXPECT_EQ(back.opened.codes, kCodes);
        for (std::int32_t i = 0; i <= back.opened.last; ++i) {
            EXPECT_GT(back.samples->timestamps()[i], previous);
            previous = back.samples->timestamps()[i];
        }
        inFiles += back.opened.last + 1;
        EXPECT_EQ(wholeFile(dir.filePath(file.csv)),
                  RecordCsv(*back.samples, back.opened.last, kCodes));
    }
    EXPECT_EQ(inFiles, taken);
    EXPECT_FALSE(QFile::exists(dir.filePath("run-0004.zqr")));
}

// The next file's name taken by a file of another recording: it is left
// alone and the recording ends with the full file saved, exit code 4.
TEST_F(RecordRunTest, ANextFileThatIsThereEndsTheRecordingUntouched)
{
    ASSERT_TRUE(WriteWholeFile(dir.filePath("run-0002.zqr"), "an earlier recording"));
    const RecordOutcome outcome = record(3);
    EXPECT_EQ(outcome.kind, RecordOutcome::Kind::SeriesEnded);
    EXPECT_EQ(outcome.exitCode(), kRecordExitSeriesEnded);
    EXPECT_EQ(outcome.next, dir.filePath("run-0002.zqr"));
    EXPECT_TRUE(nextFiles.isEmpty());
    EXPECT_EQ(wholeFile(dir.filePath("run-0002.zqr")), "an earlier recording");
    EXPECT_EQ(read("run.zqr").opened.last, 2);
}

} // namespace
