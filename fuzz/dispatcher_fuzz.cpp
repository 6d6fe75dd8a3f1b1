// Bytes from the line as the dispatcher takes them, in each state it can be
// in: idle, awaiting a measurement, reading the settings back, writing the
// alarm settings, armed for the burst log, downloading its chunks.
//
// Input: one byte choosing the state, then answers, each led by a byte whose
// low two bits choose the length (0: next byte, 1: a measurement's 2532,
// 2: a log chunk's 1710, 3: next two bytes) and whose bit 2 asks for a valid
// checksum in the last two bytes, so that the answers get past the check.
#include "fuzzinput.h"
#include "instrumentlink.h"
#include "linkstate.h"
#include "measurementrecord.h"
#include "modbusframe.h"
#include "ptypair.h"
#include "registermap.h"

#include <QCoreApplication>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

enum class State { Idle, Measuring, ReadBack, WriteBack, Armed, Downloading, Count };

void enter(State state, std::uint8_t detail, InstrumentLink& parts, LinkState& link)
{
    switch (state) {
    case State::Idle:
    case State::Count:
        break;
    case State::Measuring:
        if (detail & 1)
            parts.control.ContinuousSampling();
        else
            parts.control.SingleTest();
        break;
    case State::ReadBack: {
        // At its start (the option byte) or somewhere along the chain: a
        // threshold, the flags, or a register next to them.
        const int reg = Register::AlarmFirst - 1 + detail % 11;
        if (reg == Register::AlarmFirst - 1) {
            parts.dispatcher.StartReadBack(ReadBackStart::UserRequest);
            break;
        }
        link.SyncStep = std::uint8_t(detail % 10);
        link.LastRequest = {std::uint8_t(reg), 2};
        parts.sender.SendReadRequest(link.InstrumentAddress, std::uint16_t(reg), 2);
        break;
    }
    case State::WriteBack: {
        const int reg = Register::AlarmFirst + detail % 9;
        if (reg == Register::AlarmFlags) {
            const std::uint8_t flags[4] = {detail, 0, 0, 0};
            link.LastRequest = {std::uint8_t(reg), 0, LastRequestT::Kind::WriteFlags};
            parts.sender.SendWriteBytes(link.InstrumentAddress, std::uint16_t(reg), flags);
        } else {
            link.LastRequest = {std::uint8_t(reg), 0, LastRequestT::Kind::WriteValue};
            parts.sender.SendWriteValue(link.InstrumentAddress, std::uint16_t(reg),
                                        FloatBits(link.AlarmSettings.threshold(reg - 117)));
        }
        break;
    }
    case State::Armed:
        parts.dispatcher.ArmLog(std::uint8_t(detail % 4));
        break;
    case State::Downloading:
        link.LogChunkIndex = std::uint8_t(1 + detail % kLogChunkCount);
        link.LastRequest = {std::uint8_t(Register::Log), link.LogChunkIndex};
        parts.sender.SendReadRequest(link.InstrumentAddress, Register::Log,
                                     std::uint16_t(link.LogChunkIndex * 256));
        break;
    }
}

bool quantitiesFinite(const MeasurementRecord& r)
{
    const float* q = &r.URMS;
    for (int i = 0; i < 15; ++i)
        if (!std::isfinite(q[i]))
            return false;
    return std::isfinite(r.Aux1) && std::isfinite(r.Aux2);
}

PtyPair* line = nullptr;

} // namespace

// The signature is libFuzzer's.
extern "C" int LLVMFuzzerInitialize(int* argc, // NOLINT(readability-non-const-parameter)
                                    char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    // The far end of the line: requests the dispatcher sends go there and
    // are thrown away after each input.
    line = new PtyPair;
    if (!line->ok())
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const auto state = State(in.byte() % std::uint8_t(State::Count));
    const std::uint8_t detail = in.byte();

    auto link = std::make_unique<LinkState>();
    link->InstrumentAddress = 1;
    MeasurementRecord record;
    ResetMeasurementRecord(record);
    InstrumentLink parts(*link, record);
    const QString device = line->slavePath();
    // Each call returns its own copy of the captured path.
    parts.Comm1.setDeviceResolver(
        [device](int) { return device; }); // NOLINT(performance-no-automatic-move)
    parts.Comm1.setPortOpen(true);
    enter(state, detail, parts, *link);

    for (int answers = 0; !in.empty() && answers < 16; ++answers) {
        const std::uint8_t lead = in.byte();
        std::size_t length = 0;
        switch (lead & 3) {
        case 0:
            length = in.byte();
            break;
        case 1:
            length = kMeasurementAnswerSize;
            break;
        case 2:
            length = kLogChunkAnswerSize;
            break;
        case 3:
            length = in.word() % (kAnswerBufferSize + 64);
            break;
        }
        QByteArray answer = in.bytes(length);
        answer.resize(qsizetype(length), '\0');
        if ((lead & 4) && length >= 2) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(answer.constData());
            const std::uint16_t crc = ModbusCrc16(bytes, length - 2);
            answer[qsizetype(length - 2)] = char(crc & 0xff);
            answer[qsizetype(length - 1)] = char(crc >> 8);
        }
        parts.dispatcher.HandleAnswerBytes(answer);

        if (link->LogChunkIndex > kLogChunkCount)
            std::abort(); // a chunk index past the log would write beyond the buffer
        if (!quantitiesFinite(record))
            std::abort(); // a stored measurement always carries finite values
        line->receive();
    }
    parts.Comm1.setPortOpen(false);
    line->receive();
    return 0;
}
