#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <ctime>

// Measures how long the event loop goes without running: a 1 ms timer notes
// the longest gap between two of its ticks.
class StallProbe : public QObject {
public:
    StallProbe()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, [this] {
            const qint64 now = clock_.nsecsElapsed();
            const qint64 cpu = threadCpuNs();
            if (last_ >= 0 && now - last_ > longest_) {
                longest_ = now - last_;
                longestAt_ = last_;
                longestCpu_ = cpu - lastCpu_;
            }
            last_ = now;
            lastCpu_ = cpu;
        });
    }
    void start()
    {
        longest_ = 0;
        longestCpu_ = 0;
        last_ = -1;
        clock_.start();
        timer_.start(1);
    }
    void stop() { timer_.stop(); }
    double longestMs() const { return longest_ / 1e6; }
    // Processor time the thread itself used during the longest stall: small
    // when the thread was not running (the system scheduled others), large
    // when the program's own work held the loop.
    double longestCpuMs() const { return longestCpu_ / 1e6; }
    // When the longest stall began, in ms after start().
    double longestAtMs() const { return longestAt_ / 1e6; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = -1;
    qint64 longest_ = 0;
    qint64 longestAt_ = 0;
    qint64 longestCpu_ = 0;
    qint64 lastCpu_ = 0;

    static qint64 threadCpuNs()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
};
