#include "simulatedinstrument.h"

#include "answerframes.h"
#include "devicelink.h"
#include "faultplan.h"
#include "instrumentmodel.h"
#include "linerate.h"
#include "measurementrecord.h"
#include "pacedsender.h"
#include "pseudoterminal.h"
#include "registermap.h"
#include "requestparser.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <unordered_set>

namespace {

constexpr int kDefaultBitsPerSecond = 115200;
// A stream of its own for the faults, so that spoiling answers does not
// change the measurements.
constexpr std::uint32_t kFaultSeedOffset = 0xFA17;
constexpr std::uint16_t kLogRegister = 147;

timespec ToTimespec(std::chrono::steady_clock::duration duration)
{
    const auto nanoseconds = std::max<long long>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count(), 0);
    return timespec{static_cast<time_t>(nanoseconds / 1000000000),
                    static_cast<long>(nanoseconds % 1000000000)};
}

// FNV-1a over the 2530 data bytes of a measurement.
std::uint64_t Fingerprint(const std::uint8_t* data)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (std::size_t i = 0; i < kMeasurementDataSize; ++i)
        hash = (hash ^ data[i]) * 1099511628211ull;
    return hash;
}

} // namespace

struct SimulatedInstrument::Impl {
    explicit Impl(Options chosen)
        : options(std::move(chosen)), model(options.seed,
                                            std::chrono::milliseconds(static_cast<long long>(
                                                options.triggerDelaySeconds * 1000.0)),
                                            std::chrono::steady_clock::now(), options.load),
          faults(options.seed + kFaultSeedOffset)
    {
    }

    void serve();
    void receive();
    void startNextAnswer(std::chrono::steady_clock::time_point now);
    void wake();
    int lineRate() const;
    bool addressedToUs(const std::vector<std::uint8_t>& frame) const
    {
        return options.address == 0 || frame[0] == options.address;
    }

    const Options options;

    // Guards everything below it up to the server's own state.
    mutable std::mutex mutex;
    mutable std::condition_variable requestArrived;
    InstrumentModel model;
    FaultPlan faults;
    // Fingerprints of the data bytes of the whole measurements sent: a few
    // bytes each, so a long soak does not grow the process.
    std::unordered_set<std::uint64_t> sentMeasurements;
    // The newest of them whole, for a client in another process whose
    // output tells only their values.
    std::deque<MeasurementRecord> recentMeasurements;
    std::vector<std::vector<std::uint8_t>> received;
    std::vector<std::chrono::steady_clock::time_point> arrivals; // of `received`
    std::optional<Answer> parkedStart;    // start acknowledgement awaiting the switch
    std::deque<Transmission> unsolicited; // frames nobody asked for, sent next
    std::string devicePath;

    // Touched by start/stop on the caller's thread only.
    PseudoTerminal terminal;
    DeviceLink link;
    std::thread server;
    int wakeFd = -1;
    std::atomic<bool> stopping{false};

    // The server thread's own.
    RequestParser parser;
    std::deque<std::vector<std::uint8_t>> waiting; // requests not answered yet
    PacedSender sender;
};

void SimulatedInstrument::Impl::serve()
{
    const int masterFd = terminal.masterFd();
    while (!stopping.load()) {
        auto now = std::chrono::steady_clock::now();
        if (!sender.busy())
            startNextAnswer(now);
        PacedSender::Wait wait = sender.pump(masterFd, now);
        if (!sender.busy() && !waiting.empty())
            continue; // the next answer follows at once

        std::array<pollfd, 2> watched{{
            {wakeFd, POLLIN, 0},
            {masterFd, static_cast<short>(POLLIN | (wait.forWritable ? POLLOUT : 0)), 0},
        }};
        timespec timeout{};
        timespec* timeoutPointer = nullptr;
        if (wait.until) {
            timeout = ToTimespec(*wait.until - std::chrono::steady_clock::now());
            timeoutPointer = &timeout;
        }
        if (ppoll(watched.data(), watched.size(), timeoutPointer, nullptr) < 0 && errno != EINTR)
            break;
        if (watched[0].revents & POLLIN) {
            std::uint64_t count = 0; // drained, so the next wake is seen again
            [[maybe_unused]] const ssize_t got = ::read(wakeFd, &count, sizeof count);
        }
        if (watched[1].revents & POLLIN)
            receive();
        else if (watched[1].revents & (POLLHUP | POLLERR)) // nothing to read: do not spin
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void SimulatedInstrument::Impl::receive()
{
    std::array<std::uint8_t, 4096> bytes;
    for (;;) {
        const ssize_t count = ::read(terminal.masterFd(), bytes.data(), bytes.size());
        if (count <= 0)
            return;
        const auto now = std::chrono::steady_clock::now();
        for (std::vector<std::uint8_t>& frame :
             parser.feed(bytes.data(), static_cast<std::size_t>(count))) {
            if (!addressedToUs(frame))
                continue;
            {
                std::lock_guard lock(mutex);
                received.push_back(frame);
                arrivals.push_back(now);
            }
            requestArrived.notify_all();
            waiting.push_back(std::move(frame));
        }
    }
}

void SimulatedInstrument::Impl::wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd, &one, sizeof one);
}

int SimulatedInstrument::Impl::lineRate() const
{
    const int rate = options.baud > 0 ? options.baud : LineRate(terminal.masterFd());
    return rate > 0 ? rate : kDefaultBitsPerSecond;
}

void SimulatedInstrument::Impl::startNextAnswer(std::chrono::steady_clock::time_point now)
{
    {
        std::unique_lock lock(mutex);
        if (!unsolicited.empty()) {
            Transmission transmission = std::move(unsolicited.front());
            unsolicited.pop_front();
            lock.unlock();
            sender.begin(std::move(transmission), lineRate(), now);
            return;
        }
    }
    while (!sender.busy() && !waiting.empty()) {
        const std::vector<std::uint8_t> request = std::move(waiting.front());
        waiting.pop_front();
        Transmission transmission;
        {
            std::lock_guard lock(mutex);
            // A silent instrument has stopped working altogether: it neither
            // answers nor takes in what it is sent.
            if (faults.silent())
                continue;
            const std::optional<Answer> answer = model.answer(request, now);
            if (!answer)
                continue;
            // Bytes 2-3 of every request name its register, 4-5 its count;
            // for the burst log the count's high byte is the chunk (0: arm).
            const auto reg = static_cast<std::uint16_t>((request[2] << 8) | request[3]);
            const int logChunk = reg == kLogRegister ? request[4] : -1;
            if (logChunk == 0 && options.startingSwitchByCommand) {
                parkedStart = Answer{answer->bytes}; // sent when the switch closes
                continue;
            }
            transmission = faults.shape(*answer, reg, logChunk);
            // A measurement that goes out whole, in one part or two.
            std::string whole;
            for (const Transmission::Part& part : transmission.parts)
                whole.append(part.bytes.begin(), part.bytes.end());
            if (whole.size() == kMeasurementAnswerSize
                && whole == std::string(answer->bytes.begin(), answer->bytes.end())) {
                sentMeasurements.insert(
                    Fingerprint(reinterpret_cast<const std::uint8_t*>(whole.data())));
                MeasurementRecord& record = recentMeasurements.emplace_back();
                ResetMeasurementRecord(record);
                std::memcpy(&record, whole.data(), kMeasurementDataSize);
                if (recentMeasurements.size() > kRecentMeasurements)
                    recentMeasurements.pop_front();
            }
        }
        sender.begin(std::move(transmission), lineRate(), now);
    }
}

SimulatedInstrument::SimulatedInstrument() : SimulatedInstrument(Options{}) {}

SimulatedInstrument::SimulatedInstrument(Options options)
    : impl_(std::make_unique<Impl>(std::move(options)))
{
}

SimulatedInstrument::~SimulatedInstrument()
{
    stop();
}

bool SimulatedInstrument::start(std::string* error)
{
    Impl& impl = *impl_;
    if (impl.server.joinable()) {
        if (error)
            *error = "the simulator is already serving " + devicePath();
        return false;
    }
    if (!impl.terminal.open(error))
        return false;
    if (!impl.options.linkPath.empty()
        && !impl.link.create(impl.options.linkPath, impl.terminal.slavePath(), error)) {
        impl.terminal.close();
        return false;
    }
    impl.wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (impl.wakeFd < 0) {
        if (error)
            *error = "eventfd failed";
        impl.link.release();
        impl.terminal.close();
        return false;
    }
    {
        std::lock_guard lock(impl.mutex);
        impl.devicePath = impl.terminal.slavePath();
        impl.faults.clearSilence();
    }
    impl.parser = RequestParser{};
    impl.waiting.clear();
    impl.sender = PacedSender{};
    impl.stopping = false;
    impl.server = std::thread([&impl] { impl.serve(); });
    return true;
}

void SimulatedInstrument::stop()
{
    Impl& impl = *impl_;
    if (!impl.server.joinable())
        return;
    impl.stopping = true;
    impl.wake();
    impl.server.join();
    ::close(impl.wakeFd);
    impl.wakeFd = -1;
    impl.link.release();
    impl.terminal.close();
    std::lock_guard lock(impl.mutex);
    impl.devicePath.clear();
}

std::string SimulatedInstrument::devicePath() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->devicePath;
}

void SimulatedInstrument::injectFault(Fault fault)
{
    std::lock_guard lock(impl_->mutex);
    impl_->faults.inject(fault);
}

void SimulatedInstrument::injectFaultFor(std::uint16_t reg, Fault fault)
{
    std::lock_guard lock(impl_->mutex);
    impl_->faults.injectFor(reg, fault);
}

void SimulatedInstrument::setPeriodicFault(Fault fault, int everyNth)
{
    std::lock_guard lock(impl_->mutex);
    impl_->faults.setPeriodic(fault, everyNth);
}

void SimulatedInstrument::injectFaultForLogChunk(int chunk, Fault fault)
{
    std::lock_guard lock(impl_->mutex);
    impl_->faults.injectForLogChunk(chunk, fault);
}

bool SimulatedInstrument::closeStartingSwitch()
{
    {
        std::lock_guard lock(impl_->mutex);
        if (!impl_->parkedStart)
            return false;
        impl_->unsolicited.push_back(impl_->faults.shape(*impl_->parkedStart, kLogRegister, 0));
        impl_->parkedStart.reset();
    }
    if (impl_->wakeFd >= 0)
        impl_->wake();
    return true;
}

void SimulatedInstrument::setBurstLog(std::optional<BurstLog> log)
{
    std::lock_guard lock(impl_->mutex);
    impl_->model.setBurstLog(log);
}

std::optional<BurstLog> SimulatedInstrument::servedBurstLog() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->model.servedBurstLog();
}

void SimulatedInstrument::sendStrayChunk(int chunk)
{
    {
        std::lock_guard lock(impl_->mutex);
        const std::optional<BurstLog>& served = impl_->model.servedBurstLog();
        const BurstLog log = served ? *served : BurstLog{};
        Transmission stray;
        stray.parts.push_back({LogChunkFrame(log, chunk), std::chrono::milliseconds(0)});
        impl_->unsolicited.push_back(std::move(stray));
    }
    if (impl_->wakeFd >= 0)
        impl_->wake();
}

std::size_t SimulatedInstrument::faultsApplied(Fault fault) const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->faults.applied(fault);
}

bool SimulatedInstrument::sentMeasurement(const std::uint8_t* data) const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->sentMeasurements.count(Fingerprint(data)) > 0;
}

std::vector<MeasurementRecord> SimulatedInstrument::recentMeasurements() const
{
    std::lock_guard lock(impl_->mutex);
    return {impl_->recentMeasurements.begin(), impl_->recentMeasurements.end()};
}

void SimulatedInstrument::setSplitPauseMs(int ms)
{
    std::lock_guard lock(impl_->mutex);
    impl_->faults.setSplitPause(std::chrono::milliseconds(ms));
}

std::vector<std::vector<std::uint8_t>> SimulatedInstrument::receivedRequests() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->received;
}

std::size_t SimulatedInstrument::requestCount() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->received.size();
}

std::vector<std::chrono::steady_clock::time_point> SimulatedInstrument::requestArrivalTimes() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->arrivals;
}

void SimulatedInstrument::clearReceivedRequests()
{
    std::lock_guard lock(impl_->mutex);
    impl_->received.clear();
    impl_->arrivals.clear();
}

bool SimulatedInstrument::waitForRequests(std::size_t count, int timeoutMs) const
{
    std::unique_lock lock(impl_->mutex);
    return impl_->requestArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                          [&] { return impl_->received.size() >= count; });
}

float SimulatedInstrument::threshold(int index) const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->model.settings().thresholds.at(static_cast<std::size_t>(index - 1));
}

std::uint8_t SimulatedInstrument::alarmFlags() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->model.settings().alarmFlags;
}

std::uint8_t SimulatedInstrument::optionByte() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->model.settings().optionByte;
}

void SimulatedInstrument::setThreshold(int index, float value)
{
    std::lock_guard lock(impl_->mutex);
    impl_->model.settings().thresholds.at(static_cast<std::size_t>(index - 1)) = value;
}

void SimulatedInstrument::setAlarmFlags(std::uint8_t flags)
{
    std::lock_guard lock(impl_->mutex);
    impl_->model.settings().alarmFlags = flags;
}

void SimulatedInstrument::setOptionByte(std::uint8_t value)
{
    std::lock_guard lock(impl_->mutex);
    impl_->model.settings().optionByte = value;
}

float SimulatedInstrument::externalCtShift() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->model.settings().externalCtShift;
}

std::uint8_t SimulatedInstrument::logRangeCode() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->model.logRangeCode();
}

CalibrationState SimulatedInstrument::calibration() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->model.calibration();
}
