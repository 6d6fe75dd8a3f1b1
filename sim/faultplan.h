#pragma once

#include "instrumentmodel.h"
#include "randomsource.h"
#include "simulatedinstrument.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <vector>

// What actually goes on the line for one answer: parts sent one after the
// other, each after its pause.
struct Transmission {
    struct Part {
        std::vector<std::uint8_t> bytes;
        std::chrono::milliseconds pauseBefore{0};
    };
    std::vector<Part> parts;
};

// Decides which fault spoils which answer: first the injected faults in
// order, one answer each, then the periodic ones. Not thread-safe.
class FaultPlan {
public:
    using Fault = SimulatedInstrument::Fault;

    explicit FaultPlan(std::uint32_t seed);

    void inject(Fault fault);
    // A fault for the next answer to a request naming `reg` (one answer);
    // it comes before the faults counted by answer.
    void injectFor(std::uint16_t reg, Fault fault);
    // A fault for the next answer of the burst log's chunk `chunk` (1-6), or
    // of the start acknowledgement (0); it comes before all others.
    void injectForLogChunk(int chunk, Fault fault);
    // Every n-th answer from now on gets `fault`; n = 0 switches that fault
    // off. Each kind counts on its own; when two fall on the same answer the
    // one listed first in Fault wins.
    void setPeriodic(Fault fault, int everyNth);
    void setSplitPause(std::chrono::milliseconds pause) { splitPause_ = pause; }

    // True once a Silent fault struck: no answer is sent any more.
    bool silent() const { return silent_; }
    // A restarted instrument answers again.
    void clearSilence() { silent_ = false; }

    // Counts the answer to a request naming `reg`, picks its fault and
    // returns what is sent. `logChunk` names the part of the burst log the
    // answer carries (0 the start acknowledgement, 1-6 a chunk, -1 none).
    Transmission shape(const Answer& answer, std::uint16_t reg = 0, int logChunk = -1);

    // How many answers each fault spoiled so far (a Silent fault counts once,
    // when it strikes).
    std::size_t applied(Fault fault) const { return applied_[static_cast<std::size_t>(fault)]; }

private:
    Fault nextFault(std::uint16_t reg, int logChunk);

    struct Periodic {
        int everyNth = 0;
        int answersSeen = 0;
    };
    static constexpr std::size_t kFaultKinds = static_cast<std::size_t>(Fault::Silent) + 1;

    RandomSource random_;
    std::deque<Fault> injected_;
    std::deque<std::pair<std::uint16_t, Fault>> aimed_; // by register, in order
    std::deque<std::pair<int, Fault>> aimedLog_;        // by log chunk, in order
    std::array<Periodic, kFaultKinds> periodic_{};
    std::array<std::size_t, kFaultKinds> applied_{};
    std::chrono::milliseconds splitPause_{300};
    bool silent_ = false;
};
