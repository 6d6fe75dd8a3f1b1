#pragma once

#include "connectioncontroller.h"
#include "instrumentlink.h"
#include "measureoptions.h"
#include "sharedstate.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

class PortEnvironment;

// How a measure run ended.
struct MeasureOutcome {
    enum class Kind {
        Done,         // the measurements asked for were printed
        Stopped,      // a stop signal ended the run after the line it was on
        OutputClosed, // the reader of the lines went away
        OutputFailed, // a line could not be written (a full disk)
        NoPort,       // the port named has no device, or none is named
        PortBusy,     // another program holds the port
        OpenFailed,   // the port would not open
        NoAnswer,     // the instrument did not answer within the timeout
    };
    Kind kind = Kind::Done;
    int comNumber = 0;
    QString device;                              // the port's device, where known
    std::vector<serial::DeviceHolder> holders;   // PortBusy, OpenFailed(HeldByOther)
    QStringList deniedDevices;                   // NoPort: devices this user may not open
    std::optional<ECommError::Reason> openError; // OpenFailed
    bool answeredBefore = false; // NoAnswer: whether the instrument had answered before
    int timeoutMs = 0;           // NoAnswer

    // 0 for a run that did what it was asked or was stopped, 1 for a port
    // that could not be had, 2 for an instrument that did not answer.
    int exitCode() const;
};

// `qpa3600 measure` without its words: the link the window uses (the port
// scan and opening of the connection, the read-back of the instrument's
// settings, the dispatcher and the measurement commands), no window. It
// takes the measurements asked for and hands each to `sink`, which returns
// false when the line could not be written (`outputClosed` then tells
// whether the reader went away). The port is released when it finishes.
class MeasureRun : public QObject {
    Q_OBJECT
public:
    struct Sink {
        std::function<bool(const MeasurementRecord&, const QDateTime&)> write;
        std::function<bool()> outputClosed;
    };

    MeasureRun(const MeasureOptions& options, IniFile sysSet, PortEnvironment& ports, Sink sink,
               QObject* parent = nullptr);

    // Scans for and opens the port and starts the read-back; the rest runs
    // in the event loop until finished().
    void start();
    // Ends the run now: a line is always written whole before this can run.
    void stop();

    InstrumentLink& link() { return link_; }
    int comNumber() const { return state_.link.CurrentPort; }
    const IniFile& sysSet() const { return sysSet_; }
    ConnectionController& connection() { return connection_; }

    static constexpr int kReadBackRetryMs = 2000;
    QTimer ReadBackRetry; // asks for the settings again while they do not come
    QTimer AnswerWatch;   // the timeout: no answer for this long ends the run
    QTimer IntervalTimer; // the next single test of a run with an interval

signals:
    void portOpened(const QString& device, int baud, int address);
    void settingsReadBack(bool wideBand, bool csaMethod);
    void linkLost();
    void linkRestored();
    void finished(const MeasureOutcome& outcome);

private:
    void announceOpen();
    void onReadBackComplete();
    void onMeasured(const QDateTime& when);
    void requestNext();
    void watchAnswers(); // an answer came: the timeout starts again
    void finish(MeasureOutcome outcome);

    MeasureOptions options_;
    IniFile sysSet_;
    Sink sink_;
    SharedState state_;
    InstrumentLink link_;
    ConnectionController connection_;
    bool measuring_ = false;
    bool answered_ = false;
    bool finished_ = false;
    int printed_ = 0;
    qint64 lastStartMs_ = 0;
    QElapsedTimer clock_;
};
