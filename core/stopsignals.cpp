#include "stopsignals.h"

#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

} // namespace

void CallOnSignals(std::initializer_list<int> signalNumbers, QObject* context,
                   std::function<void()> action)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [action = std::move(action)] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
        action();
    });
    struct sigaction handler {};
    handler.sa_handler = OnSignal;
    sigemptyset(&handler.sa_mask);
    handler.sa_flags = SA_RESTART;
    for (int signal : signalNumbers)
        ::sigaction(signal, &handler, nullptr);
}

void CallOnStopSignals(QObject* context, std::function<void()> action)
{
    CallOnSignals({SIGINT, SIGTERM, SIGHUP}, context, std::move(action));
}
