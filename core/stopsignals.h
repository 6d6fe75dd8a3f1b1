#pragma once

#include <functional>
#include <initializer_list>

class QObject;

// Runs `action` in the event loop when one of `signalNumbers` arrives (SIGTERM,
// SIGINT ...), for as long as `context` lives. The signal handler only writes
// a byte to a socket pair, which is all a handler may safely do; the action
// runs in the event loop once per signal. One set of signals per process.
void CallOnSignals(std::initializer_list<int> signalNumbers, QObject* context,
                   std::function<void()> action);

// The signals that end a command for scripts, its output complete: SIGINT
// (Ctrl+C), SIGTERM (kill, a service stopped) and SIGHUP (its terminal or
// session closed).
void CallOnStopSignals(QObject* context, std::function<void()> action);
