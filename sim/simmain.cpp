#include "simcommandline.h"
#include "simulatedinstrument.h"

#include <csignal>
#include <cstdio>
#include <iostream>

// qpa3600-sim: serves a simulated instrument until SIGINT or SIGTERM.
// Exit codes: 0 after a signal, 1 when the pseudo-terminal cannot be set up,
// 2 for arguments it does not understand.
int main(int argc, char** argv)
{
    const SimCommandLineResult parsed =
        ParseSimCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << "qpa3600-sim: " << parsed.error << "\n"
                  << "Try 'qpa3600-sim --help' for the options.\n";
        return 2;
    }
    if (parsed.commandLine.showHelp) {
        std::cout << SimUsage();
        return 0;
    }

    // The signals are blocked before the server thread exists, so that thread
    // inherits the mask and only sigwait below ever takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    SimulatedInstrument instrument(parsed.commandLine.options);
    instrument.setSplitPauseMs(parsed.commandLine.splitPauseMs);
    for (const auto& [fault, everyNth] : parsed.commandLine.periodicFaults)
        instrument.setPeriodicFault(fault, everyNth);

    std::string error;
    if (!instrument.start(&error)) {
        std::cerr << "qpa3600-sim: " << error << "\n";
        return 1;
    }
    std::cout << instrument.devicePath() << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    instrument.stop();
    return 0;
}
