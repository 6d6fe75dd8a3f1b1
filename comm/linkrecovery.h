#pragma once

#include <QObject>
#include <QTimer>

class MeasurementControl;
class PortEnvironment;
class ResponseDispatcher;
class TComm;
struct LinkState;

// Brings an ordinary serial link back after its device vanished (an adapter
// pulled, the far end gone): the port is closed so nothing more is written,
// the run is held, and about once a second the same port is tested; when it
// can be opened again it is reopened, the read-back chain runs, and a run
// that was going on resumes once the chain is complete (or after a few
// seconds if its answers do not come).
//
// A network port is reopened the same way; its open only starts the
// connection, and the port counts as back once the connection is made (a
// server that is not there yet closes it again until the next tick).
//
// The instrument's USB link has a watchdog of its own that closes, tests and
// reopens the port; a loss there is left to it.
class LinkRecovery : public QObject {
    Q_OBJECT
public:
    LinkRecovery(LinkState& link, TComm& comm, PortEnvironment& ports,
                 ResponseDispatcher& dispatcher, MeasurementControl& control,
                 QObject* parent = nullptr);

    bool waitingForDevice() const { return RecoveryTimer.isActive(); }

    QTimer RecoveryTimer; // 1 s, runs only while the device is gone
    QTimer ResumeGuard;   // single-shot: resume even if the read-back stalls

    static constexpr int kRetryMs = 1000;
    static constexpr int kResumeGuardMs = 5000;

    void onDeviceLost();
    void RecoveryTick();

signals:
    void linkLost();
    void linkRestored();

private:
    void restored();
    void resume();

    LinkState& link_;
    TComm& comm_;
    PortEnvironment& ports_;
    ResponseDispatcher& dispatcher_;
    MeasurementControl& control_;
    bool resumePending_ = false;
    bool connectPending_ = false; // a network port reopened, not connected yet
};
