#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// How many times the kill tests kill their child: a few in the suite,
// QPA_KILL_RUNS=200 for the full count.
inline int KillRuns(int inSuite)
{
    bool ok = false;
    const int runs = qEnvironmentVariableIntValue("QPA_KILL_RUNS", &ok);
    return ok && runs > 0 ? runs : inSuite;
}

// The last whole number a killed child printed on a line of its own: the
// last save it completed (0 before the first).
inline int LastCompletedSave(const QByteArray& output)
{
    int last = 0;
    for (const QByteArray& line : output.split('\n')) {
        bool ok = false;
        const int n = line.toInt(&ok);
        if (ok)
            last = n;
    }
    return last;
}
