#pragma once

#include "instrumentmodel.h"
#include "measurementrecord.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A stand-in for the QPA3600 on a pseudo-terminal: the program (or any client)
// opens devicePath() as its serial port and talks to it byte for byte as to
// the instrument. It runs on a thread of its own, so a test's event loop and
// the simulated line run side by side, and paces every answer at the line's
// rate (10 bits a byte).
class SimulatedInstrument {
public:
    // What can go wrong with an answer, injected on request.
    enum class Fault {
        None,
        Drop,     // the answer is not sent
        Corrupt,  // one byte of the answer is changed (checksum fails)
        Truncate, // only the first part of the answer is sent
        Split,    // the answer is sent in two parts with a pause between
        Garbage,  // random bytes instead of the answer
        Silent,   // no answer to this and every later request
    };

    struct Options {
        int baud = 0;                     // 0: follow the rate the client sets on the line
        int address = 0;                  // 0: answer every address
        double triggerDelaySeconds = 0.2; // until the log start acknowledgement
        // The Starting switch closes only by closeStartingSwitch(), never by
        // itself: an armed log waits for the test's command (or for ever).
        bool startingSwitchByCommand = false;
        std::string linkPath; // symbolic link to the device, if not empty
        unsigned seed = 1;    // drift and garbage are reproducible
        LoadShape load;       // the appliance on the inputs
    };

    SimulatedInstrument();
    explicit SimulatedInstrument(Options options);
    ~SimulatedInstrument(); // stops

    // Opens the pseudo-terminal and starts serving; false with a reason.
    bool start(std::string* error = nullptr);
    void stop();

    std::string devicePath() const;

    // Faults for the next answers, in order (one answer each).
    void injectFault(Fault fault);
    // A fault for the next answer to a request naming register `reg` (a read
    // of it, or the acknowledgement of a write to it), one answer.
    void injectFaultFor(std::uint16_t reg, Fault fault);
    // A fault for every n-th answer from now on (n = 0 switches it off).
    void setPeriodicFault(Fault fault, int everyNth);
    // A fault for the next answer of burst log chunk `chunk` (1-6), or of
    // the start acknowledgement (0).
    void injectFaultForLogChunk(int chunk, Fault fault);
    // Pause between the two parts of a Split answer.
    void setSplitPauseMs(int ms);
    // How many answers `fault` spoiled so far.
    std::size_t faultsApplied(Fault fault) const;
    // Whether a measurement with these 2530 data bytes went on the line
    // whole (unspoiled, or split in two parts), at any time since start.
    bool sentMeasurement(const std::uint8_t* data) const;
    // The newest measurements that went on the line whole (at most
    // kRecentMeasurements, oldest first), as the instrument sent them.
    static constexpr std::size_t kRecentMeasurements = 64;
    std::vector<MeasurementRecord> recentMeasurements() const;

    // Every request with a valid checksum that was addressed to this
    // instrument, in arrival order, as received.
    std::vector<std::vector<std::uint8_t>> receivedRequests() const;
    std::size_t requestCount() const;
    // When each of receivedRequests() arrived, in the same order.
    std::vector<std::chrono::steady_clock::time_point> requestArrivalTimes() const;
    void clearReceivedRequests();
    // Blocks until `count` requests arrived or `timeoutMs` passed.
    bool waitForRequests(std::size_t count, int timeoutMs) const;

    // The instrument's settings, as writes changed them.
    float threshold(int index) const; // 1-8, registers 118-125
    std::uint8_t alarmFlags() const;  // register 126
    std::uint8_t optionByte() const;  // register 128
    void setThreshold(int index, float value);
    void setAlarmFlags(std::uint8_t flags);
    void setOptionByte(std::uint8_t value);
    float externalCtShift() const;     // register 129, seconds
    std::uint8_t logRangeCode() const; // range code of the last armed burst log
    // With startingSwitchByCommand: closes the switch of the armed log, so
    // that the start acknowledgement goes out (after the answer on the line,
    // if any). Returns false when no log was armed; nothing happens then.
    bool closeStartingSwitch();
    // The burst every later arming takes, any 10248 bytes (nullopt: a burst
    // of the simulated load again).
    void setBurstLog(std::optional<BurstLog> log);
    // The burst the chunks are served from, once one was taken.
    std::optional<BurstLog> servedBurstLog() const;
    // Puts chunk `chunk` (1-6) of the served burst on the line although no
    // one asked for it, as a disturbed instrument might.
    void sendStrayChunk(int chunk);
    // The calibration commands taken: unlocked, both references, the last
    // temperature command.
    CalibrationState calibration() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
