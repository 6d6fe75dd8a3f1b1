#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QTimerEvent>

#include <functional>

// Runs the event loop until `done` holds or `timeoutMs` passed; returns
// whether it held. Tests wait on behaviour, never on fixed sleeps.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// Runs the event loop for `ms` milliseconds (to show that something does NOT
// happen within a time).
inline void RunEventLoopFor(int ms)
{
    WaitUntil([] { return false; }, ms);
}

// Handles what the last event set off and is already due (posted events,
// zero-time timers, ready descriptors), without waiting for anything to
// come: then whatever follows only from a timer or from new input.
inline void RunPendingEvents()
{
    for (int round = 0; round < 3; ++round)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Lets an active timer come due now: its handlers run as when its interval
// is over (a single-shot timer stops), so that a test needs no real wait.
inline void FireTimer(QTimer& timer)
{
    QTimerEvent due(timer.timerId());
    QCoreApplication::sendEvent(&timer, &due);
}
