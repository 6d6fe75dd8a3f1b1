#include "requestsender.h"

#include "modbusframe.h"
#include "tcomm.h"

#include <QLoggingCategory>

#include <bit>

Q_LOGGING_CATEGORY(lcFrames, "qpa3600.link.frames", QtWarningMsg)

namespace {

bool send(TComm& comm, const std::uint8_t* frame, std::size_t length)
{
    if (!comm.PortOpen())
        return false;
    qCDebug(lcFrames) << "->"
                      << QByteArray(reinterpret_cast<const char*>(frame), int(length)).toHex(' ');
    comm.WriteData(frame, static_cast<int>(length));
    return true;
}

} // namespace

bool RequestSender::SendReadRequest(std::uint8_t address, std::uint16_t reg, std::uint16_t count)
{
    if (!comm_.PortOpen())
        return false;
    BuildReadRequest(state_.RequestBuffer.data(), address, reg, count);
    return send(comm_, state_.RequestBuffer.data(), kReadRequestSize);
}

bool RequestSender::SendWriteValue(std::uint8_t address, std::uint16_t reg, std::uint32_t value)
{
    if (!comm_.PortOpen())
        return false;
    std::uint8_t data[4];
    EncodeFloat(std::bit_cast<float>(value), data);
    std::uint8_t frame[kWriteRequestSize];
    BuildWriteRequest(frame, address, reg, data);
    return send(comm_, frame, kWriteRequestSize);
}

bool RequestSender::SendWriteBytes(std::uint8_t address, std::uint16_t reg,
                                   const std::uint8_t* bytes)
{
    if (!comm_.PortOpen())
        return false;
    BuildWriteRequest(state_.RequestBuffer.data(), address, reg, bytes);
    return send(comm_, state_.RequestBuffer.data(), kWriteRequestSize);
}

bool RequestSender::SendBuiltFrame(std::size_t length)
{
    return send(comm_, state_.RequestBuffer.data(), length);
}
