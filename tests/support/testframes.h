#pragma once

#include "modbusframe.h"
#include "scriptedline.h"

#include <QByteArray>

#include <cstdint>

// Request and answer frames as the instrument's line carries them, for tests
// that compare what the program sent or write what the instrument answers.

inline QByteArray ReadRequestFrame(std::uint8_t address, std::uint16_t reg, std::uint16_t count)
{
    QByteArray f(int(kReadRequestSize), 0);
    BuildReadRequest(reinterpret_cast<std::uint8_t*>(f.data()), address, reg, count);
    return f;
}

inline QByteArray WriteBytesFrame(std::uint16_t reg, const std::uint8_t* data,
                                  std::uint8_t address = 1)
{
    QByteArray f(int(kWriteRequestSize), 0);
    BuildWriteRequest(reinterpret_cast<std::uint8_t*>(f.data()), address, reg, data);
    return f;
}

inline QByteArray WriteValueFrame(std::uint16_t reg, float value, std::uint8_t address = 1)
{
    std::uint8_t data[4];
    EncodeFloat(value, data);
    return WriteBytesFrame(reg, data, address);
}

// A read answer carrying one float (address 1).
inline QByteArray FloatAnswer(float value)
{
    QByteArray body = QByteArray::fromHex("010304");
    std::uint8_t data[4];
    EncodeFloat(value, data);
    body.append(reinterpret_cast<const char*>(data), 4);
    return FrameWithCrc(body);
}

// The instrument's acknowledgement of a write to `reg` (function 9).
inline QByteArray WriteAck(std::uint8_t reg)
{
    return FrameWithCrc(QByteArray::fromHex("0109") + char(reg));
}
