#pragma once

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <functional>

// Runs the event loop until `done` holds or `timeoutMs` passed. The loop
// sleeps while there is nothing to do (unlike a processEvents poll), so the
// stall and CPU figures measured meanwhile are the program's own; `done` is
// looked at every `checkMs`.
inline void RunUntil(const std::function<bool()>& done, int timeoutMs, int checkMs = 5)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start(checkMs);
    if (!done())
        loop.exec();
}
