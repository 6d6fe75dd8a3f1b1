#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

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
