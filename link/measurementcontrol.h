#pragma once

#include "linkstate.h"

#include <QObject>
#include <QTimer>

class RequestSender;
class ResponseDispatcher;

// Enabled state of the measurement commands: single test, continuous and stop,
// and the menu items that a run locks.
struct CommandStates {
    bool singleButton = false;
    bool continuousButton = false;
    bool stopButton = false;
    bool C1 = true;   // "通訊選項 "
    bool N11 = true;  // "警報值設置"
    bool N12 = true;  // "單次測試 "
    bool N13 = true;  // "連續採樣"
    bool N14 = false; // "停止測試  "
    bool N31 = true;  // band: narrow
    bool N32 = true;  // band: wide
    bool IEC2 = true; // method: IEC
    bool CSA1 = true; // method: CSA

    bool operator==(const CommandStates&) const = default;
};

// What a run asks of the instrument now.
enum class RunRequest {
    NextMeasurement, // continuous sampling asks for the next measurement
    RequestRepeated, // an awaited answer did not come: the last request went out again
};

// What the measurement run is doing, as the main window's status shows it.
enum class RunState {
    Stopped,            // no run: idle, or stopped
    SingleTest,         // a single measurement is awaited
    ContinuousSampling, // a measurement follows each answer until stopped
    WaitingForLink,     // a run is held while the link's device is gone
};

// The measurement run: single test, continuous sampling and stop, with the
// two timers that drive them. ContinuousReadTimer asks for the next
// measurement 50 ms after each answer; ReReadTimer repeats the last request
// every 2 s while an awaited measurement does not come.
class MeasurementControl : public QObject {
    Q_OBJECT
public:
    MeasurementControl(LinkState& link, RequestSender& sender, ResponseDispatcher& dispatcher,
                       QObject* parent = nullptr);

    void SingleTest();
    void ContinuousSampling();
    void StopTest();

    // Tells the instrument on its USB link that the program leaves
    // (a read of register 186 with count 0); sends nothing on a serial link.
    void SendCloseRequest();

    // While the link's device is gone: nothing is requested, the run's mode
    // and the commands' states stay as they are.
    void SuspendRun();
    // The device is back: a continuous run goes on, a pending single test is
    // asked for again; nothing happens when the run was stopped meanwhile.
    void ResumeRun();

    // The connection enables the single-test and continuous commands when the
    // link opens and disables them when no port was found.
    void setMeasurementCommandsEnabled(bool enabled);

    const CommandStates& states() const { return states_; }
    RunState runState() const { return runState_; }

    QTimer ContinuousReadTimer;
    QTimer ReReadTimer;

signals:
    void commandStatesChanged(const CommandStates& states);
    void runRequest(RunRequest request);
    void redrawRequested(); // DrawMeasurementView of the current record
    void runStateChanged(RunState state);

private:
    void startRun(SessionModeT mode);
    void onMeasurementAnswered();
    void onContinuousReadTick();
    void onReReadTick();
    void setStates(const CommandStates& states);
    void updateRunState();

    LinkState& link_;
    RequestSender& sender_;
    ResponseDispatcher& dispatcher_;
    CommandStates states_;
    RunState runState_ = RunState::Stopped;
    bool suspended_ = false; // SuspendRun until ResumeRun or the link's opening
    int reReadRestarts_ = 0;
};
