#include "measurerun.h"

#include "baudratelist.h"
#include "portmap.h"

int MeasureOutcome::exitCode() const
{
    switch (kind) {
    case Kind::Done:
    case Kind::Stopped:
    case Kind::OutputClosed:
        return 0;
    case Kind::NoAnswer:
        return 2;
    case Kind::OutputFailed:
    case Kind::NoPort:
    case Kind::PortBusy:
    case Kind::OpenFailed:
        break;
    }
    return 1;
}

MeasureRun::MeasureRun(const MeasureOptions& options, IniFile sysSet, PortEnvironment& ports,
                       Sink sink, QObject* parent)
    : QObject(parent), options_(options), sysSet_(std::move(sysSet)), sink_(std::move(sink)),
      link_(state_.link, state_.MeasurementRecord),
      connection_(state_.link, link_.Comm1, link_.sender, link_.dispatcher, link_.control, ports,
                  sysSet_)
{
    InitLinkAndMeasurement(state_);
    link_.Comm1.setDeviceResolver([this](int n) { return PortMapDevicePath(n, &sysSet_); });

    ReadBackRetry.setInterval(kReadBackRetryMs);
    AnswerWatch.setSingleShot(true);
    AnswerWatch.setInterval(options_.timeoutMs);
    IntervalTimer.setSingleShot(true);

    // The chain is not asked for again by itself when an answer goes
    // missing: the window's user would start sampling all the same, a
    // script has nobody to do so.
    connect(&ReadBackRetry, &QTimer::timeout, this, [this] {
        link_.dispatcher.whenIdle(&ReadBackRetry, [this] {
            if (!measuring_ && !finished_)
                link_.dispatcher.StartReadBack(ReadBackStart::PortOpened);
        });
    });
    connect(&AnswerWatch, &QTimer::timeout, this, [this] {
        MeasureOutcome outcome;
        outcome.kind = MeasureOutcome::Kind::NoAnswer;
        outcome.answeredBefore = answered_;
        outcome.timeoutMs = options_.timeoutMs;
        finish(outcome);
    });
    connect(&IntervalTimer, &QTimer::timeout, this, &MeasureRun::requestNext);

    // Every answer that makes sense shows that the instrument is there.
    const auto answered = [this] {
        answered_ = true;
        watchAnswers();
    };
    connect(&link_.dispatcher, &ResponseDispatcher::alarmValueRead, this, answered);
    connect(&link_.dispatcher, &ResponseDispatcher::alarmFlagsRead, this, answered);
    connect(&link_.dispatcher, &ResponseDispatcher::optionsRead, this,
            [this, answered](bool wideBand, bool csaMethod) {
                answered();
                if (!measuring_)
                    emit settingsReadBack(wideBand, csaMethod);
            });
    connect(&link_.dispatcher, &ResponseDispatcher::readBackComplete, this,
            &MeasureRun::onReadBackComplete);
    connect(&link_.dispatcher, &ResponseDispatcher::measured, this, &MeasureRun::onMeasured);

    connect(&connection_, &ConnectionController::noPortFound, this,
            [this](const QStringList& denied) {
                MeasureOutcome outcome;
                outcome.kind = MeasureOutcome::Kind::NoPort;
                outcome.deniedDevices = denied;
                finish(outcome);
            });
    connect(&connection_, &ConnectionController::savedPortBusy, this,
            [this](int, const QString& device, const std::vector<serial::DeviceHolder>& holders) {
                MeasureOutcome outcome;
                outcome.kind = MeasureOutcome::Kind::PortBusy;
                outcome.device = device;
                outcome.holders = holders;
                finish(outcome);
            });
    connect(&connection_, &ConnectionController::openFailed, this, [this](const ECommError& e) {
        MeasureOutcome outcome;
        outcome.kind = MeasureOutcome::Kind::OpenFailed;
        outcome.openError = e.reason();
        outcome.device = e.device();
        outcome.holders = e.holders();
        finish(outcome);
    });
    connect(&connection_.Recovery(), &LinkRecovery::linkLost, this, &MeasureRun::linkLost);
    connect(&connection_.Recovery(), &LinkRecovery::linkRestored, this, &MeasureRun::linkRestored);
}

void MeasureRun::start()
{
    clock_.start();
    AnswerWatch.start();
    connection_.ScanPorts();
    if (finished_ || !link_.Comm1.PortOpen())
        return;
    ReadBackRetry.start();
    // A network port is open once it is connected.
    if (link_.Comm1.Connecting())
        connect(&link_.Comm1, &TComm::Connected, this, &MeasureRun::announceOpen,
                Qt::SingleShotConnection);
    else
        announceOpen();
}

void MeasureRun::announceOpen()
{
    const int baudIndex = state_.link.BaudIndex;
    emit portOpened(link_.Comm1.devicePath(),
                    IsBaudIndex(baudIndex) ? BaudRateValue(kBaudRateList[baudIndex].rate)
                                           : BaudRateValue(link_.Comm1.BaudRate()),
                    state_.link.InstrumentAddress);
}

void MeasureRun::stop()
{
    MeasureOutcome outcome;
    outcome.kind = MeasureOutcome::Kind::Stopped;
    finish(outcome);
}

void MeasureRun::onReadBackComplete()
{
    if (measuring_ || finished_)
        return;
    ReadBackRetry.stop();
    measuring_ = true;
    watchAnswers();
    if (options_.intervalMs == 0)
        link_.control.ContinuousSampling(); // as the window samples: the next 50 ms after each
    else
        requestNext();
}

void MeasureRun::watchAnswers()
{
    if (measuring_ && options_.waitOnceMeasuring)
        AnswerWatch.stop();
    else
        AnswerWatch.start();
}

void MeasureRun::requestNext()
{
    if (finished_)
        return;
    lastStartMs_ = clock_.elapsed();
    link_.control.SingleTest();
}

void MeasureRun::onMeasured(const QDateTime& when)
{
    if (!measuring_ || finished_)
        return;
    answered_ = true;
    watchAnswers();
    if (!sink_.write(state_.MeasurementRecord, when)) {
        MeasureOutcome outcome;
        outcome.kind = sink_.outputClosed() ? MeasureOutcome::Kind::OutputClosed
                                            : MeasureOutcome::Kind::OutputFailed;
        finish(outcome);
        return;
    }
    ++printed_;
    if (options_.count != 0 && printed_ >= options_.count) {
        finish({});
        return;
    }
    if (options_.intervalMs != 0)
        IntervalTimer.start(
            int(std::max<qint64>(0, lastStartMs_ + options_.intervalMs - clock_.elapsed())));
}

void MeasureRun::finish(MeasureOutcome outcome)
{
    if (finished_)
        return;
    finished_ = true;
    ReadBackRetry.stop();
    AnswerWatch.stop();
    IntervalTimer.stop();
    connection_.Timer1.stop();
    connection_.Recovery().RecoveryTimer.stop();
    link_.control.ContinuousReadTimer.stop();
    link_.control.ReReadTimer.stop();
    outcome.comNumber = state_.link.CurrentPort;
    if (outcome.device.isEmpty())
        outcome.device = PortMapDevicePath(state_.link.CurrentPort, &sysSet_);
    if (link_.Comm1.PortOpen()) {
        link_.control.SendCloseRequest(); // the instrument's USB link is told, as at a close
        link_.Comm1.setPortOpen(false);
    }
    emit finished(outcome);
}
