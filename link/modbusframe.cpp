#include "modbusframe.h"

#include <bit>

std::uint16_t ModbusCrc16(const std::uint8_t* data, std::size_t length)
{
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

bool AnswerChecksumValid(const std::uint8_t* data, std::size_t length)
{
    if (length < 3)
        return false;
    return ModbusCrc16(data, length - 2) == data[length - 2] + 256 * data[length - 1];
}

void AppendCrc(std::uint8_t* data, std::size_t length)
{
    const std::uint16_t crc = ModbusCrc16(data, length);
    data[length] = static_cast<std::uint8_t>(crc & 0xFF);
    data[length + 1] = static_cast<std::uint8_t>(crc >> 8);
}

void BuildReadRequest(std::uint8_t* frame, std::uint8_t address, std::uint16_t reg,
                      std::uint16_t count)
{
    frame[0] = address;
    frame[1] = kFunctionRead;
    frame[2] = static_cast<std::uint8_t>(reg >> 8);
    frame[3] = static_cast<std::uint8_t>(reg & 0xFF);
    frame[4] = static_cast<std::uint8_t>(count >> 8);
    frame[5] = static_cast<std::uint8_t>(count & 0xFF);
    AppendCrc(frame, 6);
}

void BuildWriteRequest(std::uint8_t* frame, std::uint8_t address, std::uint16_t reg,
                       const std::uint8_t* data)
{
    frame[0] = address;
    frame[1] = kFunctionWrite;
    frame[2] = static_cast<std::uint8_t>(reg >> 8);
    frame[3] = static_cast<std::uint8_t>(reg & 0xFF);
    frame[4] = 0; // two registers ...
    frame[5] = 2;
    frame[6] = 4; // ... of four data bytes
    for (int i = 0; i < 4; ++i)
        frame[7 + i] = data[i];
    AppendCrc(frame, 11);
}

float DecodeFloat(const std::uint8_t* bytes)
{
    const std::uint32_t bits = bytes[0] | (std::uint32_t(bytes[1]) << 8)
                               | (std::uint32_t(bytes[2]) << 16) | (std::uint32_t(bytes[3]) << 24);
    return std::bit_cast<float>(bits);
}

void EncodeFloat(float value, std::uint8_t* bytes)
{
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[i] = std::uint8_t(bits >> (8 * i));
}

std::uint32_t FloatBits(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}
