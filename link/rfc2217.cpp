#include "rfc2217.h"

namespace {

using S = Rfc2217Session;

// The options this side enables for itself, and those it lets the server
// enable. Echo and everything else are refused: the line carries Modbus
// frames, not a terminal session.
bool localSupported(std::uint8_t option)
{
    return option == S::kBinary || option == S::kSuppressGoAhead || option == S::kComPort;
}

bool remoteSupported(std::uint8_t option)
{
    return option == S::kBinary || option == S::kSuppressGoAhead;
}

void command(QByteArray& out, std::uint8_t verb, std::uint8_t option)
{
    out.append(char(S::kIac)).append(char(verb)).append(char(option));
}

// A value inside a subnegotiation is escaped as data is.
void appendEscaped(QByteArray& out, std::uint8_t byte)
{
    out.append(char(byte));
    if (byte == S::kIac)
        out.append(char(byte));
}

void comPortCommand(QByteArray& out, std::uint8_t code, const QByteArray& value)
{
    out.append(char(S::kIac)).append(char(S::kSb)).append(char(S::kComPort)).append(char(code));
    for (const char byte : value)
        appendEscaped(out, std::uint8_t(byte));
    out.append(char(S::kIac)).append(char(S::kSe));
}

void comPortCommand(QByteArray& out, std::uint8_t code, std::uint8_t value)
{
    comPortCommand(out, code, QByteArray(1, char(value)));
}

} // namespace

QByteArray Rfc2217Session::opening()
{
    QByteArray out;
    for (const std::uint8_t option : {kBinary, kSuppressGoAhead, kComPort}) {
        localAsked_[option] = true;
        command(out, kWill, option);
    }
    for (const std::uint8_t option : {kBinary, kSuppressGoAhead}) {
        remoteAsked_[option] = true;
        command(out, kDo, option);
    }
    return out;
}

QByteArray Rfc2217Session::encode(const std::uint8_t* bytes, qsizetype count) const
{
    QByteArray out;
    out.reserve(count + count / 16 + 2);
    const bool binary = sendsBinary();
    for (qsizetype i = 0; i < count; ++i) {
        out.append(char(bytes[i]));
        if (bytes[i] == kIac)
            out.append(char(kIac));
        else if (bytes[i] == '\r' && !binary)
            out.append('\0'); // a bare CR in the Telnet's network virtual terminal
    }
    return out;
}

QByteArray Rfc2217Session::setLine(const serial::LineSettings& settings)
{
    line_ = settings;
    return comPortAccepted() ? lineCommands() : QByteArray();
}

QByteArray Rfc2217Session::lineCommands() const
{
    QByteArray out;
    if (!line_)
        return out;
    const serial::LineSettings& s = *line_;
    const std::uint32_t baud = s.baudRate;
    QByteArray baudBytes;
    for (const int shift : {24, 16, 8, 0})
        baudBytes.append(char((baud >> shift) & 0xFF)); // network byte order
    comPortCommand(out, kSetBaudRate, baudBytes);
    comPortCommand(out, kSetDataSize, std::uint8_t(s.dataBits));
    using P = serial::LineSettings::Parity;
    std::uint8_t parity = 1;
    switch (s.parity) {
    case P::None:
        parity = 1;
        break;
    case P::Odd:
        parity = 2;
        break;
    case P::Even:
        parity = 3;
        break;
    case P::Mark:
        parity = 4;
        break;
    case P::Space:
        parity = 5;
        break;
    }
    comPortCommand(out, kSetParity, parity);
    using Stop = serial::LineSettings::StopBits;
    comPortCommand(out, kSetStopSize,
                   s.stopBits == Stop::One   ? 1
                   : s.stopBits == Stop::Two ? 2
                                             : 3);
    // Flow control, then the modem lines as a local port leaves them: DTR
    // low, RTS as the handshake asks (the server drives it with hardware
    // flow control).
    using Rts = serial::LineSettings::RtsMode;
    comPortCommand(out, kSetControl, s.rts == Rts::Handshake ? 3 : s.xonXoff ? 2 : 1);
    constexpr std::uint8_t kDtrOff = 9, kRtsOn = 11, kRtsOff = 12;
    comPortCommand(out, kSetControl, kDtrOff);
    if (s.rts != Rts::Handshake)
        comPortCommand(out, kSetControl, s.rts == Rts::On ? kRtsOn : kRtsOff);
    return out;
}

void Rfc2217Session::receive(const char* bytes, qsizetype count, QByteArray& data,
                             QByteArray& reply)
{
    for (qsizetype i = 0; i < count; ++i) {
        const auto byte = std::uint8_t(bytes[i]);
        switch (parse_) {
        case Parse::Data:
            if (byte == kIac) {
                parse_ = Parse::Iac;
                break;
            }
            // Outside binary mode the server sends CR as CR NUL.
            if (crPending_ && byte == 0) {
                crPending_ = false;
                break;
            }
            crPending_ = byte == '\r' && !receivesBinary();
            data.append(char(byte));
            break;
        case Parse::Iac:
            crPending_ = false;
            if (byte == kIac) {
                data.append(char(kIac));
                parse_ = Parse::Data;
            } else if (byte >= kWill) { // WILL, WONT, DO, DONT
                verb_ = byte;
                parse_ = Parse::Verb;
            } else if (byte == kSb) {
                sub_.clear();
                parse_ = Parse::Sub;
            } else {
                parse_ = Parse::Data; // NOP, go-ahead and the like carry nothing here
            }
            break;
        case Parse::Verb:
            negotiate(verb_, byte, reply);
            parse_ = Parse::Data;
            break;
        case Parse::Sub:
            if (byte == kIac)
                parse_ = Parse::SubIac;
            else
                appendSub(byte);
            break;
        case Parse::SubIac:
            if (byte == kIac) {
                appendSub(kIac);
                parse_ = Parse::Sub;
            } else {
                // IAC SE ends it; any other command cuts it short, and what
                // came is taken as it is.
                subnegotiation();
                parse_ = Parse::Data;
            }
            break;
        }
    }
}

void Rfc2217Session::appendSub(std::uint8_t byte)
{
    // The longest the link reads is a rate (option, code, four bytes); a
    // server that never ends its subnegotiation must not fill the memory.
    if (sub_.size() < kLongestSubnegotiation)
        sub_.append(char(byte));
}

void Rfc2217Session::negotiate(std::uint8_t verb, std::uint8_t option, QByteArray& reply)
{
    switch (verb) {
    case kDo:
        if (!localSupported(option)) {
            if (!localRefused_[option])
                command(reply, kWont, option);
            localRefused_[option] = true;
            break;
        }
        if (!localOn_[option]) {
            localOn_[option] = true;
            if (!localAsked_[option])
                command(reply, kWill, option);
        }
        localAsked_[option] = false;
        if (option == kComPort) {
            comPortAnswered_ = true;
            reply += lineCommands();
        }
        break;
    case kDont:
        if (localOn_[option]) {
            localOn_[option] = false;
            command(reply, kWont, option);
        }
        localAsked_[option] = false;
        if (option == kComPort)
            comPortAnswered_ = true;
        break;
    case kWill:
        if (!remoteSupported(option)) {
            if (!remoteRefused_[option])
                command(reply, kDont, option);
            remoteRefused_[option] = true;
            break;
        }
        if (!remoteOn_[option]) {
            remoteOn_[option] = true;
            if (!remoteAsked_[option])
                command(reply, kDo, option);
        }
        remoteAsked_[option] = false;
        break;
    case kWont:
        if (remoteOn_[option]) {
            remoteOn_[option] = false;
            command(reply, kDont, option);
        }
        remoteAsked_[option] = false;
        break;
    default:
        break;
    }
}

void Rfc2217Session::subnegotiation()
{
    if (sub_.size() < 2 || std::uint8_t(sub_.at(0)) != kComPort)
        return;
    const auto code = std::uint8_t(sub_.at(1));
    const QByteArray value = sub_.mid(2);
    if (value.isEmpty())
        return;
    const auto first = std::uint8_t(value.at(0));
    switch (code) {
    case kServerOffset + kSetBaudRate:
        if (value.size() >= 4) {
            std::uint32_t baud = 0;
            for (int i = 0; i < 4; ++i)
                baud = (baud << 8) | std::uint8_t(value.at(i));
            confirmed_.baudRate = baud;
        }
        break;
    case kServerOffset + kSetDataSize:
        confirmed_.dataSize = first;
        break;
    case kServerOffset + kSetParity:
        confirmed_.parity = first;
        break;
    case kServerOffset + kSetStopSize:
        confirmed_.stopSize = first;
        break;
    case kServerOffset + kSetControl:
        // Flow control answers only; the modem line answers say nothing
        // the link uses.
        if (first <= 3)
            confirmed_.control = first;
        break;
    default:
        break; // line and modem state notifications, flow control suspend
    }
}
