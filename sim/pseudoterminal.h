#pragma once

#include <string>

// A pseudo-terminal pair whose slave side is the simulated serial port. The
// slave is set raw (8 data bits, no parity, 1 stop bit, no echo or line
// editing) at 115200 bit/s, and one descriptor of it stays open here for the
// pair's life: without it, the master would see a hang-up each time the client
// closes the port, and the client's line settings would be lost.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal();

    // False with a reason when the system refuses a step.
    bool open(std::string* error);
    void close();

    // Non-blocking, close-on-exec.
    int masterFd() const { return master_; }
    // The device a client opens, for example /dev/pts/3.
    const std::string& slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};
