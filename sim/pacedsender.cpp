#include "pacedsender.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace {

constexpr int kBitsPerByte = 10;
constexpr auto kSliceTime = std::chrono::milliseconds(4);
// Re-checks a full device now and then even if no writability is reported.
constexpr auto kFullDeviceRetry = std::chrono::milliseconds(50);

} // namespace

void PacedSender::begin(Transmission transmission, int bitsPerSecond, Clock::time_point now)
{
    transmission_ = std::move(transmission);
    bitsPerSecond_ = std::max(bitsPerSecond, kBitsPerByte);
    const auto bytesPerSlice =
        static_cast<long long>(bitsPerSecond_) * kSliceTime.count() / (kBitsPerByte * 1000);
    sliceBytes_ = static_cast<std::size_t>(std::max(bytesPerSlice, 1LL));
    startPart(0, now);
}

PacedSender::Clock::duration PacedSender::timeFor(std::size_t bytes) const
{
    const auto nanoseconds = static_cast<long double>(bytes) * kBitsPerByte * 1e9L / bitsPerSecond_;
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds(static_cast<long long>(nanoseconds)));
}

void PacedSender::startPart(std::size_t index, Clock::time_point now)
{
    part_ = index;
    sent_ = 0;
    if (busy())
        partStart_ = now + transmission_.parts[part_].pauseBefore;
}

PacedSender::Wait PacedSender::pump(int fd, Clock::time_point now)
{
    while (busy()) {
        const std::vector<std::uint8_t>& bytes = transmission_.parts[part_].bytes;
        if (now < partStart_)
            return {partStart_, false};
        const auto elapsed = std::chrono::duration<long double>(now - partStart_).count();
        const auto dueBytes = static_cast<std::size_t>(elapsed * bitsPerSecond_ / kBitsPerByte);
        const std::size_t due = std::min(bytes.size(), dueBytes);
        if (due > sent_) {
            const ssize_t written = ::write(fd, bytes.data() + sent_, due - sent_);
            if (written < 0) {
                if (errno == EAGAIN || errno == EINTR)
                    return {now + kFullDeviceRetry, true};
                transmission_.parts.clear();
                part_ = 0;
                return {};
            }
            sent_ += static_cast<std::size_t>(written);
            if (sent_ < due)
                return {now + kFullDeviceRetry, true};
        }
        if (sent_ < bytes.size())
            return {partStart_ + timeFor(std::min(sent_ + sliceBytes_, bytes.size())), false};
        startPart(part_ + 1, now);
    }
    return {};
}
