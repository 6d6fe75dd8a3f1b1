// A recording crossing from one full record file into the next of its
// series at the real size (450000 samples a file): how long the sample
// that starts the next file takes (the full file's last save and the new
// file), and how many samples are lost at the switch, read back from both
// files. Prints one line per figure.
#include "recordfile.h"
#include "recordstate.h"
#include "recordwriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    auto record = std::make_unique<RecordState>();
    RecordWriter writer(*record);
    const QString first = dir.filePath(QStringLiteral("series.zqr"));
    if (!writer.create(first, {0, 1, 2, 3, 4, 5}).ok()) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(first));
        return 1;
    }
    // One sample a second from noon on; the value is the sample's number,
    // exact in a float, so that each sample is known again when read back.
    constexpr std::int32_t kAfter = 1000;
    constexpr std::int32_t kSaveEvery = 20; // a save every 20 samples, as at 1 s and 20 s
    std::array<float, kQuantityCount> vector{};
    double switchMs = 0;
    int switches = 0;
    for (std::int32_t i = 0; i < kMaxSamples + kAfter; ++i) {
        vector.fill(float(i));
        QElapsedTimer clock;
        clock.start();
        const RecordWriter::TakeResult taken = writer.take(vector, 46366.5 + i / 86400.0);
        if (taken.taken == RecordWriter::Taken::NextFile) {
            switchMs = double(clock.nsecsElapsed()) / 1e6;
            ++switches;
        } else if (taken.taken != RecordWriter::Taken::Taken) {
            std::fprintf(stderr, "sample %d not taken\n", i);
            return 1;
        }
        if ((i + 1) % kSaveEvery == 0 && !writer.save().ok()) {
            std::fprintf(stderr, "save failed at sample %d\n", i);
            return 1;
        }
    }
    if (!writer.save().ok())
        return 1;

    // Every number 0 .. kMaxSamples + kAfter - 1 once, in order, over both files.
    auto read = std::make_unique<SampleBuffers>();
    std::int32_t expected = 0;
    std::int32_t lost = 0;
    std::int32_t counts[2] = {0, 0};
    for (int number = 1; number <= 2; ++number) {
        OpenedRecordFile opened;
        if (!OpenRecordFile(RecordWriter::SeriesFileName(first, number), *read, opened).ok()) {
            std::fprintf(stderr, "cannot read file %d of the series\n", number);
            return 1;
        }
        counts[number - 1] = opened.last + 1;
        for (std::int32_t i = 0; i <= opened.last; ++i) {
            const auto value = std::int32_t(read->channel(0)[i]);
            if (value != expected)
                lost += value - expected;
            expected = value + 1;
        }
    }
    lost += kMaxSamples + kAfter - expected;
    std::printf("series switch at %d samples: %d switch, %.1f ms for the sample that started "
                "the next file\n",
                kMaxSamples, switches, switchMs);
    std::printf("files of the series: %d + %d samples; samples lost at the switch: %d\n", counts[0],
                counts[1], lost);
    return lost == 0 && switches == 1 ? 0 : 1;
}
