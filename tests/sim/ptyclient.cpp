#include "ptyclient.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PtyClient::PtyClient(const std::string& path)
{
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    termios settings{};
    tcgetattr(fd_, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd_, TCSANOW, &settings);
    tcflush(fd_, TCIOFLUSH);
}

PtyClient::~PtyClient()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void PtyClient::send(const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            return;
        done += static_cast<std::size_t>(written);
    }
}

std::vector<std::uint8_t> PtyClient::receive(std::size_t count, int timeoutMs)
{
    std::vector<std::uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (bytes.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd watched{fd_, POLLIN, 0};
        if (poll(&watched, 1, static_cast<int>(left.count())) <= 0)
            continue;
        std::uint8_t buffer[4096];
        const ssize_t got = ::read(fd_, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (got <= 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + got);
        lastByte_ = std::chrono::steady_clock::now();
    }
    return bytes;
}

std::vector<std::uint8_t> PtyClient::receiveUntilQuiet(int quietMs)
{
    std::vector<std::uint8_t> bytes;
    for (;;) {
        pollfd watched{fd_, POLLIN, 0};
        if (poll(&watched, 1, quietMs) <= 0)
            return bytes;
        std::uint8_t buffer[4096];
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got <= 0)
            return bytes;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
}
