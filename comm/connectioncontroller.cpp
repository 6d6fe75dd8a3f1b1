#include "connectioncontroller.h"

#include "baudratelist.h"
#include "linkstate.h"
#include "measurementcontrol.h"
#include "portenvironment.h"
#include "registermap.h"
#include "requestsender.h"
#include "responsedispatcher.h"
#include "tcomm.h"

#include <algorithm>
#include <optional>

namespace {

constexpr int kHighestPort = 255;

// A setting read as text; anything that is not a whole number reads as -1,
// which no list index, port or address takes.
int settingNumber(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : -1;
}

} // namespace

ConnectionController::ConnectionController(LinkState& link, TComm& comm, RequestSender& sender,
                                           ResponseDispatcher& dispatcher,
                                           MeasurementControl& control, PortEnvironment& ports,
                                           IniFile sysSet, QObject* parent)
    : QObject(parent), link_(link), comm_(comm), sender_(sender), dispatcher_(dispatcher),
      control_(control), ports_(ports), sysSet_(std::move(sysSet)),
      recovery_(link, comm, ports, dispatcher, control)
{
    Timer1.setInterval(100);
    // A tick that would send waits while an answer is being received.
    connect(&Timer1, &QTimer::timeout, this,
            [this] { dispatcher_.whenIdle(&Timer1, [this] { WatchdogTick(); }); });
    Timer1.start();
    // A network port that cannot be reached closes itself after its open
    // seemed to work; what recovery reopens is its own affair.
    connect(&comm_, &TComm::ConnectFailed, this, [this](const ECommError& e) {
        if (recovery_.waitingForDevice())
            return;
        control_.setMeasurementCommandsEnabled(false);
        emit openFailed(e);
        emit linkStatusChanged(LinkStatus::Failed);
    });
}

bool ConnectionController::AddressKeyAccepted(QChar key)
{
    return (key >= QLatin1Char('0') && key <= QLatin1Char('9')) || key.unicode() == 8;
}

void ConnectionController::SetCommPort(std::uint8_t n)
{
    if (n != 0)
        comm_.setCommPort(n - 1); // takes effect at the next open
}

bool ConnectionController::openLink()
{
    if (comm_.PortOpen())
        return true;
    try {
        comm_.setPortOpen(true);
        // False when a network port was refused at once (already reported).
        return comm_.PortOpen();
    } catch (const ECommError& e) {
        emit openFailed(e);
        emit linkStatusChanged(LinkStatus::Failed);
        return false;
    }
}

void ConnectionController::ScanPorts()
{
    link_.PortListReady = false;
    emit linkStatusChanged(LinkStatus::Searching);

    const int baudIndex = settingNumber(sysSet_.ReadString(
        QStringLiteral("CommBaudrate"), QStringLiteral("Baudrate"), QStringLiteral("2")));
    applyBaudIndex(baudIndex);
    emit baudIndexChanged(link_.BaudIndex);

    // A number outside 1-255 names no port (it must not wrap into one).
    const int savedPort = settingNumber(sysSet_.ReadString(
        QStringLiteral("CommPort"), QStringLiteral("Port"), QStringLiteral("2")));
    link_.CurrentPort = savedPort >= 1 && savedPort <= kHighestPort ? std::uint8_t(savedPort) : 0;
    const QString address = sysSet_.ReadString(QStringLiteral("CommAddress"),
                                               QStringLiteral("Address"), QStringLiteral("2"));
    AddressChanged(address);

    if (comm_.PortOpen())
        comm_.setPortOpen(false); // so that our own port passes the test below

    link_.UsbPortList.fill(0);
    ports_.refresh();
    std::size_t usbCount = 0;
    for (int n = 1; n <= kHighestPort && usbCount < link_.UsbPortList.size(); ++n)
        if (ports_.deviceId(n).contains(link_.UsbDeviceMark) && !link_.UsbDeviceMark.isEmpty())
            link_.UsbPortList[usbCount++] = std::uint8_t(n);

    portItems_.clear();
    deniedDevices_.clear();
    selectedPortItem_ = -1;
    link_.UsbLink = false;
    std::optional<PortEnvironment::BusyPort> savedBusy;
    for (int n = 1; n <= kHighestPort; ++n) {
        if (!ports_.canOpen(n)) {
            if (n == link_.CurrentPort)
                savedBusy = ports_.busyPort(n);
            const QString denied = ports_.deniedDevice(n);
            if (!denied.isEmpty() && !deniedDevices_.contains(denied))
                deniedDevices_ << denied;
            continue;
        }
        const bool usb = std::find(link_.UsbPortList.begin(), link_.UsbPortList.end(), n)
                         != link_.UsbPortList.end();
        portItems_.push_back({n, usb});
        if (n == link_.CurrentPort) {
            link_.UsbLink = usb;
            selectedPortItem_ = int(portItems_.size()) - 1;
        }
    }
    emit portListChanged();

    if (selectedPortItem_ < 0) {
        // The saved port is there but taken: say by whom rather than that
        // there is no port.
        if (!link_.OpenedWithFile) {
            if (savedBusy)
                emit savedPortBusy(link_.CurrentPort, savedBusy->device, savedBusy->holders);
            else
                emit noPortFound(deniedDevices_);
        }
        link_.OpenedWithFile = false;
        control_.setMeasurementCommandsEnabled(false);
        emit linkStatusChanged(savedBusy ? LinkStatus::PortInUse : LinkStatus::Failed);
    } else {
        SetCommPort(link_.CurrentPort);
        if (openLink()) {
            emit linkStatusChanged(LinkStatus::PortOpened);
            control_.setMeasurementCommandsEnabled(true);
            // The read of the option byte starts the read-back chain; a
            // spoiled answer is asked for again, but no re-read timer runs
            // for it.
            if (!dispatcher_.StartReadBack(ReadBackStart::PortOpened))
                emit readBackNotSent();
        } else {
            control_.setMeasurementCommandsEnabled(false);
        }
    }
    // Also after a failed open, so that a click in the list can still connect.
    link_.PortListReady = true;
}

void ConnectionController::PortListClicked(int index)
{
    if (!link_.PortListReady || index < 0 || index >= int(portItems_.size()))
        return;
    // The selected port is already in use: reopening it would lose an answer
    // on its way.
    if (index == selectedPortItem_ && comm_.PortOpen())
        return;
    selectedPortItem_ = index;
    const PortItem item = portItems_[std::size_t(index)];
    sysSet_.WriteString(QStringLiteral("CommPort"), QStringLiteral("Port"),
                        QString::number(item.number));
    link_.CurrentPort = std::uint8_t(item.number);

    comm_.setPortOpen(false);
    SetCommPort(link_.CurrentPort);
    link_.UsbLink = item.usb;
    if (!openLink())
        return;
    emit linkStatusChanged(LinkStatus::Connected);
    control_.setMeasurementCommandsEnabled(true);
}

void ConnectionController::BaudRateChanged(int index)
{
    sysSet_.WriteString(QStringLiteral("CommBaudrate"), QStringLiteral("Baudrate"),
                        QString::number(index));
    applyBaudIndex(index);
    if (comm_.PortOpen()) {
        comm_.setPortOpen(false);
        openLink();
    }
}

void ConnectionController::applyBaudIndex(int index)
{
    // Anything but a list entry selects nothing and leaves the rate alone.
    link_.BaudIndex = IsBaudIndex(index) ? index : -1;
    if (IsBaudIndex(index))
        comm_.setBaudRate(kBaudRateList[index].rate);
}

void ConnectionController::AddressChanged(const QString& text)
{
    addressText_ = text;
    bool ok = true;
    const int value = text.isEmpty() ? 0 : text.toInt(&ok);
    addressValid_ = ok && value >= 1 && value <= 255;
    if (addressValid_ || value == 0)
        link_.InstrumentAddress = std::uint8_t(value);
    // Above 255 the address in use stays the last one that fits a byte.
    if (addressValid_)
        sysSet_.WriteString(QStringLiteral("CommAddress"), QStringLiteral("Address"), text);
    emit addressTextChanged(text, addressValid_);
}

void ConnectionController::sendKeepAlive()
{
    sender_.SendReadRequest(link_.InstrumentAddress, Register::KeepAlive, 15);
}

void ConnectionController::WatchdogTick()
{
    const UsbWatchdog::Action action = link_.UsbWatch.tick(link_.UsbLink);
    if (action == UsbWatchdog::Action::KeepAlive
        || action == UsbWatchdog::Action::KeepAliveAndReopen)
        sendKeepAlive();
    if (action == UsbWatchdog::Action::Reopen
        || action == UsbWatchdog::Action::KeepAliveAndReopen) {
        comm_.setPortOpen(false);
        if (!ports_.canOpen(link_.CurrentPort)) {
            emit linkStatusChanged(LinkStatus::InstrumentLost);
            return;
        }
        try {
            comm_.setPortOpen(true);
        } catch (const ECommError&) {
            // Lost between the test and the open: the next round tries again.
            emit linkStatusChanged(LinkStatus::InstrumentLost);
            return;
        }
        emit linkStatusChanged(LinkStatus::InstrumentReconnected);
        link_.UsbWatch.noteKeepAliveSent();
        sendKeepAlive();
    }
}
