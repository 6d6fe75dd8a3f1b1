#pragma once

#include "simulatedinstrument.h"

#include <string>
#include <utility>
#include <vector>

// What the qpa3600-sim command line asks for.
struct SimCommandLine {
    SimulatedInstrument::Options options;
    std::vector<std::pair<SimulatedInstrument::Fault, int>>
        periodicFaults; // fault, every n-th answer
    int splitPauseMs = 300;
    bool showHelp = false;
};

struct SimCommandLineResult {
    SimCommandLine commandLine;
    std::string error; // empty when the arguments were understood
};

// Parses the arguments after the program name. Options take their value as
// the next argument or after "=", as in --baud 9600 or --baud=9600.
SimCommandLineResult ParseSimCommandLine(const std::vector<std::string>& arguments);

// The text --help prints.
std::string SimUsage();
