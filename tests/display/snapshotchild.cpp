// Saves snapshots over and over for the test that kills it:
// snapshot_child <file>. Save n writes a record whose every byte is n % 251
// (so a mix of two saves shows), and prints n once it completed.
#include "measurementrecord.h"
#include "snapshotfile.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    std::printf("started\n");
    std::fflush(stdout);
    for (int n = 1;; ++n) {
        MeasurementRecord record;
        std::memset(&record, n % 251, sizeof record);
        if (!SaveSnapshotFile(path, record).ok())
            return 3;
        std::printf("%d\n", n);
        std::fflush(stdout);
    }
}
