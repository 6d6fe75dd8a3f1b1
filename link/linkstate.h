#pragma once

#include "usbwatchdog.h"

#include <QString>

#include <QtGlobal>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>

// The request sent again after a faulty or missing answer. For register 147
// the count is the chunk number, sent as count * 256. The write chain of the
// alarm settings awaits acknowledgements of writes: asking again for one of
// those writes the value (or the flag byte) anew from AlarmSettings. While
// the instrument's log is armed and its start is awaited (LogArm), the count
// is the range code and the arm goes out again as it was sent: asking for a
// chunk instead would never start the download.
struct LastRequestT {
    enum class Kind : std::uint8_t { Read, WriteValue, WriteFlags, LogArm };

    std::uint8_t reg = 0;
    std::uint8_t count = 0;
    Kind kind = Kind::Read;
};

// What the measurement commands have asked of the instrument.
enum class SessionModeT : std::uint8_t {
    Idle,               // no run, or stopped
    SingleTestPending,  // one measurement is awaited
    ContinuousSampling, // each measurement is followed by the next request
};

// The instrument's eight alarm thresholds (registers 118-125, in this order)
// and their on/off bits (register 126: bit k switches threshold k+1).
struct AlarmSettingsT {
    float AL1H = 0, AL1L = 0, AL2H = 0, AL2L = 0, AL3H = 0, AL3L = 0, AL4H = 0, AL4L = 0;
    std::uint8_t AlarmFlags = 0;

    // Threshold 1-8 in register order.
    float& threshold(int i) { return (&AL1H)[i - 1]; }
    float threshold(int i) const { return (&AL1H)[i - 1]; }
};

inline constexpr std::size_t kLogChunkSize = 1708;
inline constexpr std::size_t kLogChunkCount = 6;
inline constexpr std::size_t kInstrumentLogSize = kLogChunkSize * kLogChunkCount; // 10248

// When measurements come in. The dispatcher notes each measurement it stores,
// and nothing else writes here; the recording reads it to tell a fresh
// measurement from the last one of an instrument that fell silent. Times are
// milliseconds of a monotonic clock (a change of the wall clock must not make
// a measurement look old or new); tests put a clock of their own in place.
struct MeasurementArrivals {
    std::function<qint64()> clock = [] {
        return qint64(std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count());
    };
    qint64 lastMs = -1;      // when the newest measurement came; -1 before the first
    qint64 cycleMs = 0;      // time between the newest two; 0 until two have come
    std::uint64_t count = 0; // measurements so far: tells whether a new one came

    void noteArrival()
    {
        const qint64 now = clock();
        ++count;
        if (lastMs >= 0)
            cycleMs = now - lastMs;
        lastMs = now;
    }
    // Age of the newest measurement; -1 when none has come.
    qint64 ageMs() const { return lastMs < 0 ? -1 : clock() - lastMs; }
};

// Link state shared by the dispatcher, the measurement commands, the
// communication window and the instrument windows. One instance lives in the
// program's SharedState; tests build their own. LastRequest and SyncStep are
// the dispatcher's: the others start its chains through it and only read them.
struct LinkState {
    std::array<std::uint8_t, 128> RequestBuffer{}; // byte 3 attributes read answers
    LastRequestT LastRequest;
    SessionModeT SessionMode = SessionModeT::Idle;
    std::uint8_t InstrumentAddress = 0;

    bool UsbLink = false;
    UsbWatchdog UsbWatch; // UsbIdleTicks and UsbReopenTicks
    std::uint8_t CurrentPort = 0;
    bool OpenedWithFile = false;
    QString UsbDeviceMark;
    std::array<std::uint8_t, 11> UsbPortList{};
    bool PortListReady = false;
    // Selected entry of the communication window's baud-rate list (-1: none);
    // the dispatcher paces its wait for long answers by it.
    int BaudIndex = -1;

    std::uint8_t SyncStep = 0;
    std::uint8_t OptionByte = 0;
    AlarmSettingsT AlarmSettings;

    MeasurementArrivals Arrivals;

    std::uint8_t LogChunkIndex = 0; // 0: no download; else the chunk expected next
    std::array<std::uint8_t, kInstrumentLogSize> LogChunkBuffer{};
    std::array<std::uint8_t, kInstrumentLogSize> InstrumentLog{};
};
