#include "linkrecovery.h"

#include "linkstate.h"
#include "measurementcontrol.h"
#include "portenvironment.h"
#include "responsedispatcher.h"
#include "tcomm.h"

#include <QLoggingCategory>

#include <utility>

Q_LOGGING_CATEGORY(lcRecovery, "qpa3600.comm.recovery", QtWarningMsg)

LinkRecovery::LinkRecovery(LinkState& link, TComm& comm, PortEnvironment& ports,
                           ResponseDispatcher& dispatcher, MeasurementControl& control,
                           QObject* parent)
    : QObject(parent), link_(link), comm_(comm), ports_(ports), dispatcher_(dispatcher),
      control_(control)
{
    RecoveryTimer.setInterval(kRetryMs);
    ResumeGuard.setInterval(kResumeGuardMs);
    ResumeGuard.setSingleShot(true);
    connect(&comm_, &TComm::DeviceLost, this, &LinkRecovery::onDeviceLost);
    connect(&comm_, &TComm::Connected, this, [this] {
        if (std::exchange(connectPending_, false))
            restored();
    });
    // The port closed itself; the next tick tries again.
    connect(&comm_, &TComm::ConnectFailed, this, [this] { connectPending_ = false; });
    // A tick that would send waits while an answer is being received.
    connect(&RecoveryTimer, &QTimer::timeout, this,
            [this] { dispatcher_.whenIdle(&RecoveryTimer, [this] { RecoveryTick(); }); });
    connect(&ResumeGuard, &QTimer::timeout, this, [this] {
        if (resumePending_)
            dispatcher_.whenIdle(&ResumeGuard, [this] { resume(); });
    });
    connect(&dispatcher_, &ResponseDispatcher::readBackComplete, this, [this] {
        if (resumePending_)
            resume();
    });
}

void LinkRecovery::onDeviceLost()
{
    if (link_.UsbLink)
        return;
    qCDebug(lcRecovery) << "device of COM" << link_.CurrentPort << "lost; waiting for it";
    control_.SuspendRun();
    resumePending_ = false;
    connectPending_ = false;
    ResumeGuard.stop();
    comm_.setPortOpen(false);
    RecoveryTimer.start();
    emit linkLost();
}

void LinkRecovery::RecoveryTick()
{
    if (comm_.PortOpen()) {
        if (connectPending_)
            return; // still connecting; the port gives up on its own
        // Reconnected meanwhile by the user (a scan or a click in the list).
        RecoveryTimer.stop();
        return;
    }
    if (link_.CurrentPort == 0 || !ports_.canOpen(link_.CurrentPort))
        return;
    comm_.setCommPort(link_.CurrentPort - 1);
    try {
        comm_.setPortOpen(true);
    } catch (const ECommError&) {
        return; // gone again between the test and the open: the next tick tries
    }
    if (!comm_.PortOpen())
        return; // a network port refused at once
    if (comm_.Connecting()) {
        connectPending_ = true;
        return;
    }
    restored();
}

void LinkRecovery::restored()
{
    RecoveryTimer.stop();
    qCDebug(lcRecovery) << "COM" << link_.CurrentPort << "is back";
    emit linkRestored();
    // The instrument may have been switched or reset while away: read its
    // settings back before measuring again.
    resumePending_ = true;
    ResumeGuard.start();
    dispatcher_.StartReadBack(ReadBackStart::LinkRestored);
}

void LinkRecovery::resume()
{
    resumePending_ = false;
    ResumeGuard.stop();
    control_.ResumeRun();
}
