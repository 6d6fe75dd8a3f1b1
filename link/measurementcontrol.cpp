#include "measurementcontrol.h"

#include "linkmessages.h"
#include "linkstate.h"
#include "registermap.h"
#include "requestsender.h"
#include "responsedispatcher.h"
#include "userdialogs.h"

namespace {

constexpr std::uint8_t kIdle = 0;
constexpr std::uint8_t kSinglePending = 1;
constexpr std::uint8_t kContinuous = 2;


} // namespace

MeasurementControl::MeasurementControl(LinkState& link, RequestSender& sender,
                                       ResponseDispatcher& dispatcher, UserDialogs& dialogs,
                                       QObject* parent)
    : QObject(parent), link_(link), sender_(sender), dispatcher_(dispatcher), dialogs_(dialogs)
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
    // A run's requests wait while the instrument's log is downloaded; once it
    // is over, the measurement is again what a missing answer asks for.
    connect(&dispatcher_, &ResponseDispatcher::logProgress, this, [this](LogProgress stage, int) {
        if ((stage == LogProgress::Complete || stage == LogProgress::Failed)
            && link_.SessionMode != kIdle)
            link_.LastRequest = {std::uint8_t(Register::Measurement), 2};
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
    if (link_.SessionMode == kSinglePending)
        state = RunState::SingleTest;
    else if (link_.SessionMode == kContinuous)
        state = RunState::ContinuousSampling;
    // A stopped run has nothing to wait for.
    if (suspended_ && state != RunState::Stopped)
        state = RunState::WaitingForLink;
    if (state == runState_)
        return;
    runState_ = state;
    emit runStateChanged(state);
}

void MeasurementControl::startRun(std::uint8_t mode)
{
    // A command given while an answer is on its way runs once it is handled.
    dispatcher_.whenIdle(nullptr, [this, mode] {
        if (!sender_.SendReadRequest(link_.InstrumentAddress, Register::Measurement, 2))
            dialogs_.message(kSendFailedMessage);
        link_.LastRequest = {std::uint8_t(Register::Measurement), 2};
        link_.SessionMode = mode;
        updateRunState();

        CommandStates s = states_;
        s.singleButton = false;
        s.continuousButton = false;
        s.stopButton = true;
        if (mode == kContinuous) {
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
    startRun(kSinglePending);
}

void MeasurementControl::ContinuousSampling()
{
    startRun(kContinuous);
}

void MeasurementControl::StopTest()
{
    dispatcher_.whenIdle(nullptr, [this] {
        link_.SessionMode = kIdle;
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
    if (link_.SessionMode == kContinuous || link_.SessionMode == kSinglePending)
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
    if (link_.SessionMode == kContinuous)
        ContinuousReadTimer.start();
    if (link_.SessionMode == kSinglePending) {
        link_.SessionMode = kIdle;
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
    sender_.SendReadRequest(link_.InstrumentAddress, Register::Measurement, 2);
    link_.LastRequest.reg = Register::Measurement;
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
