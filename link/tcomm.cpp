#include "tcomm.h"

#include "networkaddress.h"
#include "portmap.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <algorithm>
#include <cerrno>

// Off by default; QT_LOGGING_RULES="qpa3600.link.port.debug=true" shows every
// byte read and written as hex.
Q_LOGGING_CATEGORY(lcPort, "qpa3600.link.port", QtWarningMsg)

namespace {

// Error flags of CommError, valued as the program has always reported them
// (CE_RXOVER, CE_OVERRUN, CE_RXPARITY, CE_FRAME, CE_BREAK).
constexpr std::uint32_t kErrorQueueOverflow = 0x0001;
constexpr std::uint32_t kErrorOverrun = 0x0002;
constexpr std::uint32_t kErrorParity = 0x0004;
constexpr std::uint32_t kErrorFrame = 0x0008;
constexpr std::uint32_t kErrorBreak = 0x0010;

// Change bits of CommEvent (EV_CTS, EV_DSR, EV_RLSD, EV_RING).
constexpr std::uint32_t kEventCts = 8;
constexpr std::uint32_t kEventDsr = 16;
constexpr std::uint32_t kEventCarrier = 32;
constexpr std::uint32_t kEventRing = 256;

// A frame the driver cannot take at once is given this long to drain while
// it makes progress, and never longer than the whole bound: the user
// interface thread must not hang on a stopped line.
constexpr int kWriteStallMs = 250;
constexpr int kWriteTotalMs = 2000;

// How often a network port's connection is looked at while it is being made.
constexpr int kConnectCheckMs = 10;

QByteArray hexDump(const QByteArray& bytes)
{
    return bytes.toHex(' ');
}

} // namespace

int BaudRateValue(TBaudRate rate)
{
    static constexpr int kRates[] = {110,   300,   600,   1200,  2400,  4800,   9600,  14400,
                                     19200, 38400, 56000, 57600, 76800, 115200, 230400};
    return kRates[static_cast<int>(rate)];
}

TComm::TComm(QObject* parent)
    : QObject(parent),
      resolver_([](int comNumber) { return PortMapDevicePath(comNumber, nullptr); })
{
    PollTimer.setInterval(100);
    connect(&PollTimer, &QTimer::timeout, this, &TComm::PollPort);
    PollTimer.start();
    ConnectTimer.setInterval(kConnectCheckMs);
    connect(&ConnectTimer, &QTimer::timeout, this, &TComm::advanceConnection);
}

TComm::~TComm()
{
    PollTimer.stop();
    ClosePort();
}

void TComm::setDeviceResolver(std::function<QString(int comNumber)> resolver)
{
    resolver_ = std::move(resolver);
}

void TComm::setPortOpen(bool open)
{
    if (!open) {
        ClosePort();
        return;
    }
    if (transport_) {
        emit refused(ECommError::Reason::AlreadyOpen);
        return;
    }
    OpenPort();
}

void TComm::OpenPort()
{
    const QString path = resolver_ ? resolver_(commPort_ + 1) : QString();
    if (path.isEmpty()) {
        qCDebug(lcPort) << "no device for COM" << commPort_ + 1;
        throw ECommError(ECommError::Reason::OpenFailed);
    }
    if (IsNetworkAddress(path)) {
        OpenNetworkPort(path);
        return;
    }

    const serial::OpenResult opened = serial::OpenSerialDevice(DevicePathBytes(path).constData());
    switch (opened.status) {
    case serial::OpenStatus::Ok:
        break;
    case serial::OpenStatus::NotATerminal:
        // The device takes no line settings or queues: what a failed
        // SetupComm meant on the ports the program was made for.
        qCDebug(lcPort) << path << "is not a serial device:" << qt_error_string(opened.error);
        throw ECommError(ECommError::Reason::NotSerial, path);
    case serial::OpenStatus::Locked:
    case serial::OpenStatus::Held:
        qCDebug(lcPort) << path << "is held by another program";
        throw ECommError(ECommError::Reason::HeldByOther, path, opened.holders);
    case serial::OpenStatus::OpenFailed:
        qCDebug(lcPort) << "cannot open" << path << ":" << qt_error_string(opened.error);
        // The usual reason on Linux: serial devices belong to the group "dialout".
        throw ECommError(opened.error == EACCES || opened.error == EPERM
                             ? ECommError::Reason::NoPermission
                             : ECommError::Reason::OpenFailed,
                         path);
    }

    transport_ = std::make_unique<SerialTransport>(opened.fd);
    ready_ = true;
    devicePath_ = path;
    deviceFailed_ = false;
    lossAnnounced_ = false;
    receiveQueue_.clear();
    transport_->flushInputAndOutput();
    // Line errors count from the open on; what the driver counted before
    // belongs to someone else.
    errorCountsKnown_ = transport_->readErrorCounters(&errorCounts_);
    ApplyPortSettings();
    qCDebug(lcPort) << "opened COM" << commPort_ + 1 << "as" << path << "at"
                    << BaudRateValue(baudRate_);
}

void TComm::OpenNetworkPort(const QString& address)
{
    const NetworkAddressParse parsed = ParseNetworkAddress(address);
    if (!parsed.address) {
        qCDebug(lcPort) << address << "is no network address the port takes";
        throw ECommError(ECommError::Reason::BadAddress, address);
    }
    transport_ = std::make_unique<NetworkTransport>(*parsed.address);
    ready_ = false;
    devicePath_ = address;
    deviceFailed_ = false;
    lossAnnounced_ = false;
    errorCountsKnown_ = false;
    receiveQueue_.clear();
    pendingOutput_.clear();
    // The settings go to an RFC 2217 server once it takes the COM-PORT option.
    ApplyPortSettings();
    qCDebug(lcPort) << "connecting COM" << commPort_ + 1 << "to" << address;
    ConnectTimer.start();
    advanceConnection();
}

// Follows a network port's connection until it is made or has failed.
void TComm::advanceConnection()
{
    if (!transport_ || ready_) {
        ConnectTimer.stop();
        return;
    }
    switch (transport_->advance()) {
    case ByteTransport::State::Connecting:
        return;
    case ByteTransport::State::Ready: {
        ConnectTimer.stop();
        ready_ = true;
        qCDebug(lcPort) << "connected to" << devicePath_;
        const QByteArray waiting = std::exchange(pendingOutput_, {});
        if (!waiting.isEmpty())
            WriteData(reinterpret_cast<const std::uint8_t*>(waiting.constData()),
                      int(waiting.size()));
        emit Connected();
        return;
    }
    case ByteTransport::State::Failed:
        break;
    }
    ConnectTimer.stop();
    ECommError::Reason reason = ECommError::Reason::Unreachable;
    if (const auto* network = dynamic_cast<const NetworkTransport*>(transport_.get())) {
        switch (network->failure()) {
        case NetworkTransport::Failure::HostNotFound:
            reason = ECommError::Reason::HostNotFound;
            break;
        case NetworkTransport::Failure::Refused:
            reason = ECommError::Reason::Refused;
            break;
        case NetworkTransport::Failure::None:
        case NetworkTransport::Failure::Unreachable:
            break;
        }
    }
    const ECommError error(reason, devicePath_);
    ClosePort();
    emit ConnectFailed(error);
}

void TComm::ClosePort()
{
    ConnectTimer.stop();
    pendingOutput_.clear();
    if (!transport_)
        return;
    transport_.reset();
    ready_ = false;
    qCDebug(lcPort) << "closed" << devicePath_;
    devicePath_.clear();
    receiveQueue_.clear();
}

void TComm::ApplyPortSettings()
{
    serial::LineSettings line;
    line.baudRate = static_cast<unsigned>(BaudRateValue(baudRate_));
    line.dataBits = 5 + static_cast<int>(dataBits_);
    line.parity = static_cast<serial::LineSettings::Parity>(parity_);
    line.stopBits = static_cast<serial::LineSettings::StopBits>(stopBits_);
    switch (hwHandShaking_) {
    case THWHandShaking::hhNone:
        line.rts = serial::LineSettings::RtsMode::Off;
        break;
    case THWHandShaking::hhNoneRTSON:
        line.rts = serial::LineSettings::RtsMode::On;
        break;
    case THWHandShaking::hhRTSCTS:
        line.rts = serial::LineSettings::RtsMode::Handshake;
        break;
    }
    line.xonXoff = swHandShaking_ == TSWHandShaking::shXonXoff;
    transport_->applyLineSettings(line);
}

void TComm::settingChanged()
{
    if (transport_)
        ApplyPortSettings();
}

void TComm::setBaudRate(TBaudRate value)
{
    if (baudRate_ == value)
        return;
    baudRate_ = value;
    settingChanged();
}

void TComm::setHwHandShaking(THWHandShaking value)
{
    if (hwHandShaking_ == value)
        return;
    hwHandShaking_ = value;
    settingChanged();
}

void TComm::setSwHandShaking(TSWHandShaking value)
{
    if (swHandShaking_ == value)
        return;
    swHandShaking_ = value;
    settingChanged();
}

void TComm::setDataBits(TDataBits value)
{
    if (dataBits_ == value)
        return;
    dataBits_ = value;
    settingChanged();
}

void TComm::setParity(TParity value)
{
    if (parity_ == value)
        return;
    parity_ = value;
    settingChanged();
}

void TComm::setStopBits(TStopBits value)
{
    if (stopBits_ == value)
        return;
    stopBits_ = value;
    settingChanged();
}

void TComm::setDTREnabled(bool value)
{
    if (!transport_)
        return;
    dtrEnabled_ = value;
    transport_->setModemLine(serial::ModemLine::Dtr, value);
}

void TComm::setRTSEnabled(bool value)
{
    if (!transport_)
        return;
    rtsEnabled_ = value;
    transport_->setModemLine(serial::ModemLine::Rts, value);
}

std::uint32_t TComm::lineErrorFlags()
{
    serial::ErrorCounters now;
    if (!transport_->readErrorCounters(&now))
        return 0;
    if (!errorCountsKnown_) {
        errorCounts_ = now;
        errorCountsKnown_ = true;
        return 0;
    }
    std::uint32_t flags = 0;
    if (now.bufferOverrun != errorCounts_.bufferOverrun)
        flags |= kErrorQueueOverflow;
    if (now.overrun != errorCounts_.overrun)
        flags |= kErrorOverrun;
    if (now.parity != errorCounts_.parity)
        flags |= kErrorParity;
    if (now.frame != errorCounts_.frame)
        flags |= kErrorFrame;
    if (now.brk != errorCounts_.brk)
        flags |= kErrorBreak;
    errorCounts_ = now;
    return flags;
}

// The kernel's line discipline holds at most 4095 bytes for reading and
// keeps the rest of a burst in buffers FIONREAD does not count, so the count
// of waiting bytes is made here: whatever the device has ready moves into
// the component's own queue, which stops one byte past the 4096-byte limit.
// The flags of line errors counted since the last call become CommError, so
// each error is reported once and then counts as cleared.
int TComm::queuedCount()
{
    std::uint8_t area[kQueueSize + 1];
    bool readFailed = false;
    while (receiveQueue_.size() <= kQueueSize) {
        const long got = transport_->readReady(area, kQueueSize + 1 - receiveQueue_.size());
        readFailed = got < 0;
        if (got <= 0)
            break;
        receiveQueue_.append(reinterpret_cast<const char*>(area), got);
    }

    commError_ = lineErrorFlags();
    const int held = transport_->inputWaiting();
    if (held < 0 || readFailed || transport_->hungUp()) {
        // Unplugged or hung up: every later call fails the same way until
        // the port is closed, so it is announced once.
        if (!deviceFailed_)
            qCDebug(lcPort) << devicePath_ << "is gone (hung up or failing)";
        deviceFailed_ = true;
        return -1;
    }
    return static_cast<int>(receiveQueue_.size()) + held;
}

void TComm::discardInput()
{
    receiveQueue_.clear();
    transport_->flushInput();
}

int TComm::DataCount()
{
    if (!transport_ || !ready_)
        return 0;
    return std::max(queuedCount(), 0);
}

void TComm::setDataCount(int value)
{
    if (value == 0 && transport_ && ready_)
        discardInput();
}

void TComm::ReadPortInput()
{
    lastReadFresh_ = false;
    if (!transport_ || !ready_)
        return;
    const int queued = queuedCount();
    if (queued <= 0)
        return;
    if (queued > kQueueSize) {
        qCDebug(lcPort) << "discarded" << queued << "or more waiting bytes, over the" << kQueueSize
                        << "limit";
        discardInput();
        return;
    }

    int n = InputLen > 0 ? std::min(InputLen, kQueueSize) : queued;
    // Bytes that arrived after the queue was filled are read next time.
    n = std::min(n, static_cast<int>(receiveQueue_.size()));
    if (n == 0)
        return;

    InputBytes = receiveQueue_.left(n);
    receiveQueue_.remove(0, n);
    lastReadFresh_ = true;
    // One character a byte keeps every byte value visible in the text.
    const qsizetype zero = InputBytes.indexOf('\0');
    inputText_ = QString::fromLatin1(zero < 0 ? InputBytes : InputBytes.left(zero));
    qCDebug(lcPort).noquote() << "read" << n << ":" << hexDump(InputBytes);
}

QByteArray TComm::ReadInputBytes()
{
    ReadPortInput();
    return InputBytes;
}

QString TComm::Input()
{
    ReadPortInput();
    return inputText_;
}

bool TComm::WriteData(const std::uint8_t* buffer, int count)
{
    if (!transport_) {
        emit refused(ECommError::Reason::NotOpen);
        return false;
    }
    if (count <= 0 || buffer == nullptr)
        return true;
    if (!ready_) {
        // Requests sent while a network port connects (the read-back that
        // follows an open) go out once it is connected.
        if (pendingOutput_.size() < kQueueSize)
            pendingOutput_.append(reinterpret_cast<const char*>(buffer), count);
        return true;
    }
    const std::size_t written =
        transport_->write(buffer, static_cast<std::size_t>(count), kWriteStallMs, kWriteTotalMs);
    if (lcPort().isDebugEnabled()) {
        const QByteArray bytes(reinterpret_cast<const char*>(buffer), count);
        qCDebug(lcPort).noquote() << "wrote" << written << "of" << count << ":"
                                  << hexDump(bytes.left(written));
    }
    return true;
}

void TComm::UpdateModemStatus()
{
    if (!transport_)
        throw ECommError(ECommError::Reason::NotOpen);
    commEvent_ = 0;
    serial::ModemStatus lines;
    if (!transport_->readModemStatus(&lines))
        return;
    if (lines.carrier != cdHolding_)
        commEvent_ |= kEventCarrier;
    if (lines.dsr != dsrHolding_)
        commEvent_ |= kEventDsr;
    if (lines.ring != riHolding_)
        commEvent_ |= kEventRing;
    if (lines.cts != ctsHolding_)
        commEvent_ |= kEventCts;
    cdHolding_ = lines.carrier;
    dsrHolding_ = lines.dsr;
    riHolding_ = lines.ring;
    ctsHolding_ = lines.cts;
}

// Runs on the event loop every 100 ms, open or not. It never waits for data;
// between its steps it lets other events run, as the receive handler and
// the windows expect.
void TComm::PollPort()
{
    if (!transport_)
        return;
    if (!ready_) {
        advanceConnection();
        return;
    }
    const int queued = queuedCount();
    if (queued < 0) {
        // Nothing more can come from a device that is gone; its owner
        // decides whether to close and wait for it.
        if (!lossAnnounced_) {
            lossAnnounced_ = true;
            emit DeviceLost();
        }
        return;
    }
    if (rThreshold_ > 0 && queued >= rThreshold_)
        emit OnReceiveData();
    if (!transport_)
        return; // the receive handler closed the port
    UpdateModemStatus();
    QCoreApplication::processEvents();
    if (commEvent_ != 0) {
        emit OnModemStateChange(commEvent_);
        QCoreApplication::processEvents();
    }
    if (commError_ != 0) {
        emit OnReceiveError(commError_);
        QCoreApplication::processEvents();
    }
}
