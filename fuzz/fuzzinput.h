#pragma once

#include <QByteArray>

#include <algorithm>
#include <cstddef>
#include <cstdint>

// Takes a fuzzer's input apart from the front; past its end every read
// gives zeros, so a target never needs to check lengths.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    std::size_t remaining() const { return size_ - std::min(pos_, size_); }

    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint16_t word()
    {
        const std::uint16_t low = byte();
        return std::uint16_t(low | (byte() << 8));
    }
    // Up to `count` bytes (fewer at the end of the input).
    QByteArray bytes(std::size_t count)
    {
        const std::size_t taken = std::min(count, remaining());
        QByteArray out(reinterpret_cast<const char*>(data_ + pos_), qsizetype(taken));
        pos_ += taken;
        return out;
    }
    QByteArray rest() { return bytes(remaining()); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};
