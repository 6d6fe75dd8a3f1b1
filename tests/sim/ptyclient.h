#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// The client end of the simulated line, opened the way any program opens a
// serial port: plain POSIX calls, raw mode, stale input discarded.
class PtyClient {
public:
    explicit PtyClient(const std::string& path);
    ~PtyClient();
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    void send(const std::vector<std::uint8_t>& bytes);
    // Reads until `count` bytes arrived or `timeoutMs` passed.
    std::vector<std::uint8_t> receive(std::size_t count, int timeoutMs = 15000);
    // Reads until nothing more arrives for `quietMs`.
    std::vector<std::uint8_t> receiveUntilQuiet(int quietMs);

    // When the last byte of the latest receive() arrived.
    std::chrono::steady_clock::time_point lastByteTime() const { return lastByte_; }

private:
    int fd_ = -1;
    std::chrono::steady_clock::time_point lastByte_;
};
