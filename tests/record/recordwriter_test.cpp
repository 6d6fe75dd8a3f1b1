// The record writer's series: the names of its files and the samples each
// file takes.
#include "recordfile.h"
#include "recordstate.h"
#include "recordwriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(RecordWriterTest, SeriesFilesAreNumberedBeforeTheSuffix)
{
    const struct Case {
        const char* first;
        int number;
        const char* name;
    } cases[] = {
        {"run.zqr", 1, "run.zqr"},
        {"run.zqr", 2, "run-0002.zqr"},
        {"/data/bench.3/run.zqr", 37, "/data/bench.3/run-0037.zqr"},
        {"a.b.ZQR", 2, "a.b-0002.ZQR"},
        {"/data/bench.3/run", 2, "/data/bench.3/run-0002"},
        {"run.csv", 12345, "run-12345.csv"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RecordWriter::SeriesFileName(QString::fromUtf8(c.first), c.number),
                  QString::fromUtf8(c.name));
    }
}

// Samples 1 .. 10 at a capacity of three: four files of 3, 3, 3 and 1
// samples, each told complete once before the next starts, with its samples
// still in the capture; a failed save of a full file keeps the sample out
// and the series where it was until a save succeeds.
TEST(RecordWriterTest, EachFileIsCompleteBeforeTheNextStarts)
{
    QTemporaryDir dir;
    auto record = std::make_unique<RecordState>();
    RecordWriter writer(*record);
    writer.setFileCapacity(3);
    QStringList completed;
    writer.setFileComplete([&](const QString& path, int number) {
        completed << QStringLiteral("%1 %2 %3")
                         .arg(QFileInfo(path).fileName())
                         .arg(number)
                         .arg(record->CaptureCount);
    });
    ASSERT_TRUE(writer.create(dir.filePath("run.zqr"), {0, 1, 2, 3, 4, 5}).ok());
    std::array<float, kQuantityCount> vector{};
    std::vector<RecordWriter::Taken> taken;
    for (int i = 1; i <= 10; ++i) {
        vector.fill(float(i));
        taken.push_back(writer.take(vector, 46366.5 + i).taken);
    }
    using T = RecordWriter::Taken;
    EXPECT_EQ(taken, (std::vector<T>{T::Taken, T::Taken, T::Taken, T::NextFile, T::Taken, T::Taken,
                                     T::NextFile, T::Taken, T::Taken, T::NextFile}));
    EXPECT_EQ(completed, (QStringList{"run.zqr 1 3", "run-0002.zqr 2 3", "run-0003.zqr 3 3"}));
    EXPECT_EQ(writer.fileNumber(), 4);
    EXPECT_EQ(writer.seriesSamples(), 10);

    writer.setFileSaver(
        [](const QString&, const SampleBuffers&, std::int32_t, std::int32_t, RecordBlock&) {
            return RecordFileResult{RecordFileFailure::WriteFailed, 5};
        });
    vector.fill(11);
    EXPECT_EQ(writer.take(vector, 46377.5).taken, T::Taken);
    EXPECT_EQ(writer.take(vector, 46378.5).taken, T::Taken);
    const RecordWriter::TakeResult unsaved = writer.take(vector, 46379.5);
    EXPECT_EQ(unsaved.taken, T::FullUnsaved);
    EXPECT_EQ(unsaved.file.failure, RecordFileFailure::WriteFailed);
    EXPECT_EQ(writer.fileNumber(), 4);
    EXPECT_EQ(record->CaptureCount, 3);
    EXPECT_FALSE(QFile::exists(dir.filePath("run-0005.zqr")));
}

} // namespace
