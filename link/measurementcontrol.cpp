#include "measurementcontrol.h"

#include "linkstate.h"
#include "registermap.h"
#include "requestsender.h"
#include "responsedispatcher.h"

MeasurementControl::MeasurementControl(LinkState& link, RequestSender& sender,
                                       ResponseDispatcher& dispatcher, QObject* parent)
    : QObject(parent), link_(link), sender_(sender), dispatcher_(dispatcher)
{
    ContinuousReadTimer.setInterval(50);
    ContinuousReadTimer.setSingleShot(true);
    ReReadTimer.setInterval(2000);
    // Timer ticks that would send wait while an answer is being received.
    connect(&ContinuousReadTimer, &QTimer::timeout, this, [this] {
        dispatcher_.whenIdle(&ContinuousReadTimer, [this] { onContinuousReadTick(); });
    });
    connect(&ReReadTimer, &QTimer::timeout, this, [this] {
        const int restarts = reReadRestarts_;
        dispatcher_.whenIdle(&ReReadTimer, [this, restarts] {
            // The awaited answer may have stopped the timer meanwhile, or a
            // retry may have sent the request again already: a second copy
            // would bring two answers at once, which the line cannot take
            // apart.
            if (ReReadTimer.isActive() && restarts == reReadRestarts_)
                onReReadTick();
        });
    });
    connect(&dispatcher_, &ResponseDispatcher::measurementAnswered, this,
            &MeasurementControl::onMeasurementAnswered);
    connect(&dispatcher_, &ResponseDispatcher::requestRepeated, this, [this] {
        // The request just went out again: the two seconds start anew.
        if (ReReadTimer.isActive()) {
            ReReadTimer.start();
            ++reReadRestarts_;
        }
    });
}

void MeasurementControl::setStates(const CommandStates& states)
{
    if (states == states_)
        return;
    states_ = states;
    emit commandStatesChanged(states_);
}

void MeasurementControl::updateRunState()
{
    RunState state = RunState::Stopped;
    if (link_.SessionMode == SessionModeT::SingleTestPending)
        state = RunState::SingleTest;
    else if (link_.SessionMode == SessionModeT::ContinuousSampling)
        state = RunState::ContinuousSampling;
    // A stopped run has nothing to wait for.
    if (suspended_ && state != RunState::Stopped)
        state = RunState::WaitingForLink;
    if (state == runState_)
        return;
    runState_ = state;
    emit runStateChanged(state);
}

void MeasurementControl::startRun(SessionModeT mode)
{
    // A command given while an answer is on its way runs once it is handled.
    dispatcher_.whenIdle(nullptr, [this, mode] {
        // A request that did not go out is announced by the dispatcher; the
        // run is armed all the same, and the re-read timer asks again.
        dispatcher_.StartMeasurement();
        link_.SessionMode = mode;
        updateRunState();

        CommandStates s = states_;
        s.singleButton = false;
        s.continuousButton = false;
        s.stopButton = true;
        if (mode == SessionModeT::ContinuousSampling) {
            s.C1 = s.N11 = s.N12 = s.N13 = false;
            s.N31 = s.N32 = s.IEC2 = s.CSA1 = false;
            s.N14 = true;
        }
        setStates(s);

        link_.UsbWatch.noteActivity();
        ReReadTimer.start();
        emit redrawRequested();
    });
}

void MeasurementControl::SingleTest()
{
    startRun(SessionModeT::SingleTestPending);
}

void MeasurementControl::ContinuousSampling()
{
    startRun(SessionModeT::ContinuousSampling);
}

void MeasurementControl::StopTest()
{
    dispatcher_.whenIdle(nullptr, [this] {
        link_.SessionMode = SessionModeT::Idle;
        updateRunState();
        CommandStates s = states_;
        s.singleButton = s.continuousButton = true; // stop stays enabled
        s.C1 = s.N11 = s.N12 = s.N13 = s.N14 = true;
        s.N31 = s.N32 = s.IEC2 = s.CSA1 = true;
        setStates(s);
        ContinuousReadTimer.stop();
        ReReadTimer.stop();
    });
}

void MeasurementControl::SuspendRun()
{
    ContinuousReadTimer.stop();
    ReReadTimer.stop();
    suspended_ = true;
    updateRunState();
}

void MeasurementControl::ResumeRun()
{
    suspended_ = false;
    updateRunState();
    if (link_.SessionMode != SessionModeT::Idle)
        startRun(link_.SessionMode);
}

void MeasurementControl::SendCloseRequest()
{
    if (link_.UsbLink)
        sender_.SendReadRequest(link_.InstrumentAddress, Register::Goodbye, 0);
}

void MeasurementControl::setMeasurementCommandsEnabled(bool enabled)
{
    CommandStates s = states_;
    s.singleButton = s.continuousButton = s.N12 = s.N13 = enabled;
    setStates(s);
    // Opened anew by a scan or a choice of port: no longer waited for.
    if (enabled && suspended_) {
        suspended_ = false;
        updateRunState();
    }
}

void MeasurementControl::onMeasurementAnswered()
{
    ReReadTimer.stop();
    if (link_.SessionMode == SessionModeT::ContinuousSampling)
        ContinuousReadTimer.start();
    if (link_.SessionMode == SessionModeT::SingleTestPending) {
        link_.SessionMode = SessionModeT::Idle;
        updateRunState();
        CommandStates s = states_;
        s.singleButton = s.continuousButton = true;
        s.N13 = s.N14 = true;
        setStates(s);
    }
}

void MeasurementControl::onContinuousReadTick()
{
    emit runRequest(RunRequest::NextMeasurement);
    dispatcher_.RequestNextMeasurement();
    ContinuousReadTimer.stop();
    ReReadTimer.start();
}

void MeasurementControl::onReReadTick()
{
    emit runRequest(RunRequest::RequestRepeated);
    // SendReadRequest sends nothing while the port is closed.
    sender_.SendReadRequest(link_.InstrumentAddress, link_.LastRequest.reg,
                            link_.LastRequest.count);
}
