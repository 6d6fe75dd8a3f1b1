// A program saving snapshots killed with SIGKILL at random moments, in the
// middle of a save too: the file is always one whole save, never a mix, and
// at least the last save the program completed.
#include "killruns.h"
#include "measurementrecord.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

namespace {

TEST(SnapshotKillTest, KilledSaveLeavesTheOldSnapshotOrTheNewOne)
{
    QRandomGenerator random(20261211);
    const int runs = KillRuns(20);
    int survived = 0;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir dir;
        const QString path = dir.filePath("killed.zqm");
        QProcess child;
        child.start(QCoreApplication::applicationDirPath() + "/snapshot_child", {path});
        ASSERT_TRUE(child.waitForStarted(5000));
        ASSERT_TRUE(child.waitForReadyRead(10000));
        QThread::usleep(random.bounded(200, 60000));
        ::kill(pid_t(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(5000));
        const int lastSaved = LastCompletedSave(child.readAllStandardOutput());

        QFile file(path);
        if (lastSaved == 0 && !file.exists()) {
            ++survived; // killed before the first save took its name
            continue;
        }
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "run " << run;
        const QByteArray bytes = file.readAll();
        ASSERT_EQ(bytes.size(), qsizetype(kMeasurementRecordSize)) << "run " << run;
        const char first = bytes[0];
        ASSERT_EQ(bytes.count(first), bytes.size()) << "run " << run << ": two saves mixed";
        // The completed save or the one under way when the kill came.
        const int n = std::uint8_t(first);
        EXPECT_TRUE(n == lastSaved % 251 || n == (lastSaved + 1) % 251)
            << "run " << run << ": holds save " << n << ", last completed " << lastSaved;
        ++survived;
    }
    std::printf("snapshot saves killed: %d, files whole: %d\n", runs, survived);
    EXPECT_EQ(survived, runs);
}

} // namespace
