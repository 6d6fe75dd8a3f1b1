#include "responsedispatcher.h"

#include "measurementrecord.h"
#include "modbusframe.h"
#include "requestsender.h"
#include "tcomm.h"

#include <QDateTime>
#include <QLoggingCategory>

#include <algorithm>
#include <cstring>

Q_LOGGING_CATEGORY(lcDispatcher, "qpa3600.link.dispatcher", QtWarningMsg)

namespace {

// Pause per wait step, by the entry of the baud-rate list: fifty steps cover
// the time a 2532-byte answer takes on the line at that rate.
constexpr int kPauseMs[] = {120, 52, 36, 26, 13, 9, 6, 4};

bool isLongAnswerRegister(std::uint8_t reg)
{
    return reg == Register::Measurement || reg == Register::Log;
}

} // namespace

ResponseDispatcher::ResponseDispatcher(TComm& comm, LinkState& link, MeasurementRecord& record,
                                       RequestSender& sender, QObject* parent)
    : QObject(parent), comm_(comm), link_(link), record_(record), sender_(sender)
{
    waitTimer_.setSingleShot(true);
    waitTimer_.setTimerType(Qt::PreciseTimer);
    connect(&waitTimer_, &QTimer::timeout, this, &ResponseDispatcher::onWaitTimer);
    LogChunkWatch.setSingleShot(true);
    connect(&LogChunkWatch, &QTimer::timeout, this, &ResponseDispatcher::LogChunkWatchTimer);
}

int ResponseDispatcher::PauseForBaudIndex(int index)
{
    return index >= 0 && index < int(std::size(kPauseMs)) ? kPauseMs[index] : 0;
}

void ResponseDispatcher::whenIdle(const void* key, std::function<void()> action)
{
    if (!busy()) {
        action();
        return;
    }
    const bool alreadyHeld = key
                             && std::any_of(heldBack_.begin(), heldBack_.end(),
                                            [key](const auto& held) { return held.first == key; });
    if (!alreadyHeld)
        heldBack_.emplace_back(key, std::move(action));
}

void ResponseDispatcher::runHeldBack()
{
    // An action may start another wait (it sends, the answer comes): what is
    // still held then waits for that answer in turn.
    while (!busy() && !heldBack_.empty()) {
        auto action = std::move(heldBack_.front().second);
        heldBack_.erase(heldBack_.begin());
        action();
    }
}

void ResponseDispatcher::Comm1ReceiveData()
{
    if (waiting_)
        return; // the answer being awaited includes this input
    waiting_ = true;
    if (LogChunkWatch.isActive())
        LogChunkWatch.start(); // the line is not quiet
    step_ = 0;
    quietWait_ = false;
    lastCount_ = comm_.DataCount();
    emit progressChanged(0);
    waitClock_.start();
    waitTimer_.start(kSettleMs);
}

bool ResponseDispatcher::inputStillArriving()
{
    const int count = comm_.DataCount();
    const bool arriving = count != lastCount_;
    lastCount_ = count;
    return arriving;
}

// The wait is sized to the time the longest answer takes on the line, which
// leaves no margin: an answer read while its last bytes are still arriving
// fails its checksum, the request goes out again while that tail arrives, and
// the tail is then taken for the next answer, so the exchange never recovers.
// When bytes were still coming in at the end of the wait, reading therefore
// waits on until the line has been quiet for a few byte times.
void ResponseDispatcher::waitForQuietLine()
{
    const int rate = BaudRateValue(comm_.BaudRate());
    const int byteMs = std::max(1, 10 * 1000 / std::max(rate, 1));
    const int quietMs = std::max(20, 4 * byteMs); // room for a sender's scheduling jitter
    const qint64 limitMs = qint64(kAnswerBufferSize) * byteMs; // a whole answer buffer at the rate
    if (!quietWait_) {
        quietWait_ = true;
        quietSince_ = waitClock_.elapsed();
        waitTimer_.start(quietMs);
        return;
    }
    if (inputStillArriving() && waitClock_.elapsed() - quietSince_ < limitMs) {
        waitTimer_.start(quietMs);
        return;
    }
    finishWait();
}

void ResponseDispatcher::onWaitTimer()
{
    if (quietWait_) {
        waitForQuietLine();
        return;
    }
    if (step_ == 0) {
        // The settling pause is over; now wait for the rest of the answer.
        if (link_.UsbLink) {
            // No paced wait on the USB link, the bar just shows full; but the
            // answer may still be streaming in (a bridge inside the
            // instrument, a busy hub), so it is read only once the line has
            // gone quiet. An answer that was complete when noticed is read
            // at once.
            emit progressChanged(100);
            inputStillArriving() ? waitForQuietLine() : finishWait();
            return;
        }
        pauseMs_ =
            isLongAnswerRegister(link_.LastRequest.reg) ? PauseForBaudIndex(link_.BaudIndex) : 0;
        if (pauseMs_ == 0) {
            for (step_ = 1; step_ <= kWaitSteps; ++step_)
                emit progressChanged(step_);
            inputStillArriving() ? waitForQuietLine() : finishWait();
            return;
        }
    } else if (step_ == kWaitSteps) {
        inputStillArriving() ? waitForQuietLine() : finishWait();
        return;
    }
    lastCount_ = comm_.DataCount(); // compared at the end of the next step
    ++step_;
    emit progressChanged(step_);
    // Step k ends kSettleMs + k * pause after the input was noticed; timing
    // against the clock keeps timer latency from adding up over fifty steps.
    const qint64 due = kSettleMs + qint64(step_) * pauseMs_ - waitClock_.elapsed();
    waitTimer_.start(int(std::max<qint64>(0, due)));
}

void ResponseDispatcher::finishWait()
{
    const QByteArray input = comm_.ReadInputBytes();
    if (link_.UsbLink)
        link_.UsbWatch.noteActivity(); // any input is a sign of life
    if (LogChunkWatch.isActive())
        LogChunkWatch.start(); // quiet from now on
    // Still waiting while the answer is handled: a modal message shown by a
    // chain must not let the next poll start another wait.
    // Input that was not read just now (the queue was empty, or overflowed and
    // was discarded) is the previous answer; handling it again would show an
    // old measurement as new, so it counts as no input.
    HandleAnswerBytes(comm_.LastReadFresh() ? input : QByteArray());
    waiting_ = false;
    runHeldBack();
}

void ResponseDispatcher::HandleAnswerBytes(const QByteArray& input)
{
    const auto length = std::size_t(input.size());
    AnswerBuffer.fill(0);
    std::memcpy(AnswerBuffer.data(), input.constData(), std::min(length, AnswerBuffer.size()));
    qCDebug(lcDispatcher) << "<-" << length << "bytes" << input.left(16).toHex(' ');
    handleAnswer(length);
}

void ResponseDispatcher::handleAnswer(std::size_t length)
{
    switch (ClassifyAnswer(AnswerBuffer.data(), length)) {
    case AnswerKind::Invalid:
        retry();
        break;
    case AnswerKind::Measurement:
        onMeasurement();
        break;
    case AnswerKind::LogChunk:
        onLogChunk();
        break;
    case AnswerKind::ReadAnswer:
        onReadAnswer();
        break;
    case AnswerKind::WriteAck:
        onWriteAck();
        break;
    case AnswerKind::LogStartAck:
        onLogStartAck();
        break;
    case AnswerKind::Ignored:
        break;
    }
}

void ResponseDispatcher::retry()
{
    const LastRequestT& last = link_.LastRequest;
    const std::uint8_t address = link_.InstrumentAddress;
    switch (last.kind) {
    case LastRequestT::Kind::LogArm:
        sender_.SendReadRequest(address, Register::Log, last.count);
        break;
    case LastRequestT::Kind::Read: {
        const std::uint16_t count =
            last.reg == Register::Log ? std::uint16_t(last.count * 256) : std::uint16_t(last.count);
        sender_.SendReadRequest(address, last.reg, count);
        break;
    }
    case LastRequestT::Kind::WriteValue:
        sender_.SendWriteValue(address, last.reg,
                               FloatBits(link_.AlarmSettings.threshold(last.reg - 117)));
        break;
    case LastRequestT::Kind::WriteFlags: {
        const std::uint8_t flags[4] = {link_.AlarmSettings.AlarmFlags, 0, 0, 0};
        sender_.SendWriteBytes(address, Register::AlarmFlags, flags);
        break;
    }
    }
    emit requestRepeated();
}

void ResponseDispatcher::announceFailure(LinkChain chain, std::uint8_t reg)
{
    SendFailure failure;
    failure.reason = SendFailureReason::PortClosed;
    failure.chain = chain;
    failure.reg = reg;
    failure.start = readBackStart_;
    emit sendFailed(failure);
}

// A read of the read-back chain, entered as the last request so that a
// spoiled answer asks for this register again, not for whatever a
// measurement run asked last.
bool ResponseDispatcher::requestInReadBack(std::uint8_t reg)
{
    link_.LastRequest = {reg, 2};
    const bool sent = sender_.SendReadRequest(link_.InstrumentAddress, reg, 2);
    if (!sent)
        announceFailure(LinkChain::ReadBack, reg);
    return sent;
}

bool ResponseDispatcher::StartReadBack(ReadBackStart start)
{
    readBackStart_ = start;
    link_.SyncStep = 0;
    if (start != ReadBackStart::UserRefresh)
        return requestInReadBack(std::uint8_t(Register::Options));
    const bool sent = sender_.SendReadRequest(link_.InstrumentAddress, Register::Options, 2);
    if (!sent)
        announceFailure(LinkChain::ReadBack, std::uint8_t(Register::Options));
    return sent;
}

bool ResponseDispatcher::StartWriteBack()
{
    // Awaiting the acknowledgement of 118: a spoiled one writes 118 again.
    link_.LastRequest = {std::uint8_t(Register::AlarmFirst), 0, LastRequestT::Kind::WriteValue};
    const bool sent = sender_.SendWriteValue(link_.InstrumentAddress, Register::AlarmFirst,
                                             FloatBits(link_.AlarmSettings.AL1H));
    if (!sent)
        announceFailure(LinkChain::WriteBack, std::uint8_t(Register::AlarmFirst));
    return sent;
}

bool ResponseDispatcher::ArmLog(std::uint8_t rangeCode)
{
    if (!sender_.SendReadRequest(link_.InstrumentAddress, Register::Log, rangeCode)) {
        announceFailure(LinkChain::LogArm, std::uint8_t(Register::Log));
        return false;
    }
    link_.LastRequest = {std::uint8_t(Register::Log), rangeCode, LastRequestT::Kind::LogArm};
    link_.LogChunkIndex = 0;
    return true;
}

bool ResponseDispatcher::StartMeasurement()
{
    const bool sent = sender_.SendReadRequest(link_.InstrumentAddress, Register::Measurement, 2);
    if (!sent)
        announceFailure(LinkChain::Measurement, std::uint8_t(Register::Measurement));
    link_.LastRequest = {std::uint8_t(Register::Measurement), 2};
    return sent;
}

void ResponseDispatcher::RequestNextMeasurement()
{
    sender_.SendReadRequest(link_.InstrumentAddress, Register::Measurement, 2);
    link_.LastRequest.reg = Register::Measurement;
}

void ResponseDispatcher::onMeasurement()
{
    StoreMeasurementAnswer(record_, AnswerBuffer.data());
    link_.Arrivals.noteArrival();
    emit measurementStored();
    emit measured(QDateTime::currentDateTime());
    emit measurementAnswered();
}

int ResponseDispatcher::logChunkPatienceMs() const
{
    const int wholeWait = link_.UsbLink ? 0 : kWaitSteps * PauseForBaudIndex(link_.BaudIndex);
    return wholeWait + kLogChunkGraceMs;
}

// Asks for chunk `chunk` (1-6) and watches for it.
void ResponseDispatcher::requestChunk(std::uint8_t chunk)
{
    sender_.SendReadRequest(link_.InstrumentAddress, Register::Log, std::uint16_t(chunk * 256));
    link_.LastRequest = {std::uint8_t(Register::Log), chunk};
    LogChunkWatch.start(logChunkPatienceMs());
}

void ResponseDispatcher::onLogChunk()
{
    // A chunk nobody asked for (no download running, or the log armed but
    // not started) has no place to go.
    if (link_.LogChunkIndex < 1 || link_.LogChunkIndex > kLogChunkCount)
        return;
    std::memcpy(link_.LogChunkBuffer.data() + (link_.LogChunkIndex - 1) * kLogChunkSize,
                AnswerBuffer.data(), kLogChunkSize);
    ++link_.LogChunkIndex;
    chunkReasks_ = 0;
    if (link_.LogChunkIndex <= kLogChunkCount) {
        requestChunk(link_.LogChunkIndex);
        emit logProgress(LogProgress::ChunkRequested, link_.LogChunkIndex);
    } else {
        LogChunkWatch.stop();
        link_.InstrumentLog = link_.LogChunkBuffer;
        link_.LogChunkIndex = 0;
        awaitRunAfterLog();
        emit logProgress(LogProgress::Complete, 0);
        emit instrumentLogComplete();
    }
}

// Chunks carry no number, so a chunk is asked for again only when nothing
// can be arriving any more: a late chunk would otherwise be filed as the
// next one. After the last attempt the download is given up; InstrumentLog
// keeps the previous log.
void ResponseDispatcher::LogChunkWatchTimer()
{
    if (link_.LogChunkIndex == 0)
        return;
    if (waiting_ || comm_.DataCount() > 0) {
        LogChunkWatch.start(logChunkPatienceMs());
        return;
    }
    const std::uint8_t chunk = link_.LogChunkIndex;
    if (chunkReasks_ < kLogChunkReasks) {
        ++chunkReasks_;
        qCDebug(lcDispatcher) << "chunk" << chunk << "asked for again";
        requestChunk(chunk);
        return;
    }
    chunkReasks_ = 0;
    link_.LogChunkIndex = 0;
    awaitRunAfterLog();
    emit logProgress(LogProgress::Failed, chunk);
    runHeldBack();
}

// A run's requests wait while the instrument's log is downloaded; once it is
// over, the measurement is again what a missing answer asks for.
void ResponseDispatcher::awaitRunAfterLog()
{
    if (link_.SessionMode != SessionModeT::Idle)
        link_.LastRequest = {std::uint8_t(Register::Measurement), 2};
}

void ResponseDispatcher::onReadAnswer()
{
    // A read answer does not say which register it carries: it belongs to the
    // last frame built in RequestBuffer.
    const int reg = link_.RequestBuffer[3];
    if (reg >= Register::AlarmFirst && reg <= Register::AlarmLast) {
        const int i = reg - (Register::AlarmFirst - 1);
        float& threshold = link_.AlarmSettings.threshold(i);
        threshold = DecodeFloat(&AnswerBuffer[3]);
        emit alarmValueRead(i, threshold);
        // The step counter keeps a repeated answer from sending the next
        // request twice.
        if (link_.SyncStep < i) {
            requestInReadBack(std::uint8_t(reg + 1));
            ++link_.SyncStep;
        }
    } else if (reg == Register::AlarmFlags) {
        link_.AlarmSettings.AlarmFlags = AnswerBuffer[3];
        emit alarmFlagsRead(link_.AlarmSettings.AlarmFlags);
        ++link_.SyncStep;
        emit readBackComplete();
    } else if (reg == Register::Options) {
        link_.OptionByte = AnswerBuffer[3];
        emit optionsRead(link_.OptionByte & 1, link_.OptionByte & 2);
        if (link_.SyncStep < 4)
            requestInReadBack(std::uint8_t(Register::AlarmFirst));
    }
}

void ResponseDispatcher::onWriteAck()
{
    // The write chain: each acknowledged threshold sends the next one, the
    // last threshold the flags.
    const std::uint8_t address = link_.InstrumentAddress;
    const int reg = AnswerBuffer[2];
    if (reg >= Register::AlarmFirst && reg < Register::AlarmLast) {
        const int next = reg + 1;
        emit alarmWriteAcknowledged(reg);
        link_.LastRequest = {std::uint8_t(next), 0, LastRequestT::Kind::WriteValue};
        sender_.SendWriteValue(address, std::uint16_t(next),
                               FloatBits(link_.AlarmSettings.threshold(next - 117)));
    } else if (reg == Register::AlarmLast) {
        const std::uint8_t flags[4] = {link_.AlarmSettings.AlarmFlags, 0, 0, 0};
        link_.LastRequest = {std::uint8_t(Register::AlarmFlags), 0, LastRequestT::Kind::WriteFlags};
        sender_.SendWriteBytes(address, Register::AlarmFlags, flags);
        emit alarmWriteAcknowledged(reg);
    } else if (reg == Register::AlarmFlags) {
        emit alarmWriteAcknowledged(reg);
    }
}

void ResponseDispatcher::onLogStartAck()
{
    emit logProgress(LogProgress::Triggered, 1);
    link_.LogChunkIndex = 1;
    chunkReasks_ = 0;
    // The whole last request: a measurement taken while the log was armed
    // has left register 148 there.
    requestChunk(1);
}
