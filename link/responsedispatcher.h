#pragma once

#include "linkstate.h"
#include "registermap.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <array>
#include <functional>
#include <vector>

class QByteArray;
class QDateTime;
class RequestSender;
class TComm;
struct MeasurementRecord;

// Comm1ReceiveData: the one place where answers from the instrument are read.
// When the port announces input it waits until a whole answer can be expected
// (paced by the line rate for the long answers), reads everything waiting,
// checks it and acts on it by its kind: stores and announces a measurement,
// assembles the instrument log, stores the alarm settings of a read-back and
// the option byte, and sends the next request of a chain. It announces facts
// (values, stages, registers); the windows word them. A short or corrupted
// answer makes it send the last request again at once.
//
// The wait runs on the event loop, so windows keep painting; meanwhile no
// further input is taken and actions that would send a request are held back
// with whenIdle() until the answer has been handled, so that request and
// answer still strictly alternate.
// Where a download of the instrument's burst log stands.
enum class LogProgress {
    Triggered,      // the instrument took the start: chunk 1 is asked for
    ChunkRequested, // a chunk came in and the next one (2-6) is asked for
    Complete,       // all six are in InstrumentLog
    Failed,         // a chunk (`chunk`) never came although asked for again: given up
};

// The request sequences the dispatcher runs, each awaiting one answer at a time.
enum class LinkChain : std::uint8_t {
    Measurement, // a run's measurement (148)
    ReadBack,    // the option byte (128), then the thresholds 118-125 and the flags 126
    WriteBack,   // the thresholds 118-125 written, then the flags 126
    LogArm,      // the arm of the burst log (147 with the range code), then its six chunks
};

// What started a read-back of the instrument's settings. The chain is the
// same for each; the start decides whether its first read is asked for again
// after a spoiled answer, and comes with a failed send so that whoever
// started the chain is the one who words it.
enum class ReadBackStart : std::uint8_t {
    PortOpened,   // the connection opened the port
    LinkRestored, // the device of a lost serial link came back
    UserRequest,  // the user asked for the settings
    UserRefresh,  // asked again where they are shown: the first read is not
                  // entered as the last request, which keeps what was awaited
};

// Why a request did not go out.
enum class SendFailureReason : std::uint8_t {
    PortClosed, // the request builders send nothing on a closed port
};

// A request of a chain that did not go out.
struct SendFailure {
    SendFailureReason reason = SendFailureReason::PortClosed;
    LinkChain chain = LinkChain::Measurement;
    std::uint8_t reg = 0;                            // the register it was for
    ReadBackStart start = ReadBackStart::PortOpened; // of a read-back

    bool operator==(const SendFailure&) const = default;
};

class ResponseDispatcher : public QObject {
    Q_OBJECT
public:
    ResponseDispatcher(TComm& comm, LinkState& link, MeasurementRecord& record,
                       RequestSender& sender, QObject* parent = nullptr);

    // The handler of the port's receive event.
    void Comm1ReceiveData();

    bool awaitingAnswer() const { return waiting_; }

    // Classifies, decodes and acts on `input` as the whole answer read from
    // the line, as the receive handler does once its wait is over (no input
    // at all counts as a short answer).
    void HandleAnswerBytes(const QByteArray& input);

    // The chains' starts. Each sends the chain's first request now (callers
    // hold it back with whenIdle() where an answer may be on its way), enters
    // what it awaits, so that a spoiled answer asks for it again, and returns
    // whether it went out; a request that did not go out is also announced
    // with sendFailed().
    //
    // Reads the option byte (128) with the step counter at 0; the answers
    // then read 118-126 once each.
    bool StartReadBack(ReadBackStart start);
    // Writes threshold 1 (118) from AlarmSettings; each acknowledgement
    // writes the next, the last threshold's the flags.
    bool StartWriteBack();
    // Arms the instrument's burst log: register 147 with the range code as
    // its count, re-sent as it was while the log has not started. Only an arm
    // that went out is awaited.
    bool ArmLog(std::uint8_t rangeCode);
    // A run's first measurement request (148, 2), awaited even when it did
    // not go out: the re-read timer asks for it again.
    bool StartMeasurement();
    // The next measurement of continuous sampling; the re-read timer covers
    // a request that did not go out, so it is not announced.
    void RequestNextMeasurement();

    // Runs `action` now, or once the answer being awaited has been handled
    // and no log download runs (a measurement between two chunks would take
    // the chunk's place as the last request and merge with its answer).
    // Actions held back with the same non-null key run once (a timer's
    // ticks); those with a null key each run (the user's commands).
    void whenIdle(const void* key, std::function<void()> action);

    // Pause per wait step for an entry of the baud-rate list (0 for others).
    static int PauseForBaudIndex(int index);
    static constexpr int kWaitSteps = 50;
    static constexpr int kSettleMs = 20;

    // A log chunk that does not come is asked for again once the line has
    // been quiet for the rate's whole wait plus this, at most
    // kLogChunkReasks times; then the download is given up.
    static constexpr int kLogChunkGraceMs = 2000;
    static constexpr int kLogChunkReasks = 2;
    // Runs while a chunk is awaited; its timeout means the line has been
    // quiet that long (every input restarts it).
    QTimer LogChunkWatch;
    void LogChunkWatchTimer();
    // Quiet time after which a missing chunk is asked for again.
    int logChunkPatienceMs() const;

signals:
    // How far the wait for an answer has gone: 0 when input is noticed, then
    // step 1-50 of the paced wait, or 100 at once on the USB link.
    void progressChanged(int position);
    void measurementStored();             // the record holds a new measurement: draw it
    void measured(const QDateTime& when); // when that measurement was taken in
    void measurementAnswered();           // then the measurement commands go on
    void requestRepeated();               // a faulty answer made it send the last request again
    void alarmValueRead(int index, float value); // threshold 1-8 as stored in AlarmSettings
    void alarmFlagsRead(std::uint8_t flags);
    void readBackComplete(); // the flags, the last answer of the read-back chain, are in
    // The instrument acknowledged the write of threshold register 118-125
    // (the next value has gone out) or of the flags in 126 (the chain is done).
    void alarmWriteAcknowledged(int reg);
    void optionsRead(bool wideBand, bool csaMethod); // the option byte was read
    // The log download moved on; `chunk` is the chunk asked for now (0 when complete).
    void logProgress(LogProgress stage, int chunk);
    void instrumentLogComplete();                // InstrumentLog holds a new log: draw it
    void sendFailed(const SendFailure& failure); // a chain's request did not go out

private:
    void onWaitTimer();
    void waitForQuietLine();
    void finishWait();
    bool inputStillArriving();
    void handleAnswer(std::size_t length);
    void retry();
    void onMeasurement();
    void onLogChunk();
    void onReadAnswer();
    void onWriteAck();
    void onLogStartAck();
    void runHeldBack();
    bool busy() const { return waiting_ || link_.LogChunkIndex != 0; }
    void requestChunk(std::uint8_t chunk);
    bool requestInReadBack(std::uint8_t reg);
    void awaitRunAfterLog();
    void announceFailure(LinkChain chain, std::uint8_t reg);

    TComm& comm_;
    LinkState& link_;
    MeasurementRecord& record_;
    RequestSender& sender_;

    std::array<std::uint8_t, kAnswerBufferSize> AnswerBuffer{};

    bool waiting_ = false;
    int step_ = 0;
    int pauseMs_ = 0;
    int lastCount_ = 0;      // waiting bytes at the previous look
    qint64 quietSince_ = -1; // when the line was first found still busy
    bool quietWait_ = false;
    QTimer waitTimer_;
    QElapsedTimer waitClock_;
    std::vector<std::pair<const void*, std::function<void()>>> heldBack_;
    int chunkReasks_ = 0;                                     // of the chunk awaited now
    ReadBackStart readBackStart_ = ReadBackStart::PortOpened; // of the read-back running
};
