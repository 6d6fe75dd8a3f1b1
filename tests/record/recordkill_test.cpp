// A recording killed with SIGKILL at random moments, in the middle of a save
// too: every file it leaves opens and holds at least its last completed save.
#include "killruns.h"
#include "recordfile.h"
#include "recordstate.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <memory>

namespace {

TEST(RecordKillTest, EveryKilledRecordingLeavesAFileHoldingItsLastSave)
{
    QRandomGenerator random(20261210);
    auto browse = std::make_unique<SampleBuffers>();
    const int runs = KillRuns(20);
    int survived = 0;
    std::int64_t samples = 0;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir dir;
        const QString path = dir.filePath("killed.zqr");
        QProcess child;
        child.start(QCoreApplication::applicationDirPath() + "/record_child", {path});
        ASSERT_TRUE(child.waitForStarted(5000));
        ASSERT_TRUE(child.waitForReadyRead(10000));
        QThread::msleep(random.bounded(30, 600));
        ::kill(pid_t(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(5000));

        // The last line the child finished is the count of its last completed save.
        const std::int32_t lastSaved = LastCompletedSave(child.readAllStandardOutput());
        OpenedRecordFile opened;
        const RecordFileResult result = OpenRecordFile(path, *browse, opened);
        ASSERT_TRUE(result.ok()) << "run " << run << ": failure " << int(result.failure);
        ASSERT_GE(opened.last + 1, lastSaved) << "run " << run;
        for (std::int32_t i = 0; i <= opened.last; ++i)
            for (int c = 0; c < 6; ++c)
                ASSERT_EQ(browse->channel(c)[i], float(i)) << "run " << run << " sample " << i;
        for (std::int32_t i = 1; i <= opened.last; ++i)
            ASSERT_GE(browse->timestamps()[i], browse->timestamps()[i - 1]) << "run " << run;
        ++survived;
        samples += opened.last + 1;
    }
    EXPECT_GT(samples, 0) << "the children recorded";
    std::printf("recordings killed: %d, files holding their last save: %d\n", runs, survived);
}

} // namespace
