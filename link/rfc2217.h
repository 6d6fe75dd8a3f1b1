#pragma once

#include "serialdevice.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <optional>

// The client side of a Telnet connection with the COM-PORT option (RFC 2217),
// as a serial device server or ser2net's "telnet(rfc2217)" mode speaks it:
// option negotiation, the line settings as COM-PORT subnegotiations, and the
// escaping of data bytes (0xFF doubled; CR followed by NUL while the binary
// option is off). It works on byte buffers only and keeps its state between
// them, so a command split across two reads is understood; the socket is
// someone else's.
class Rfc2217Session {
public:
    // Telnet commands and options of RFC 854, 856, 858 and 2217.
    static constexpr std::uint8_t kIac = 255;
    static constexpr std::uint8_t kDont = 254;
    static constexpr std::uint8_t kDo = 253;
    static constexpr std::uint8_t kWont = 252;
    static constexpr std::uint8_t kWill = 251;
    static constexpr std::uint8_t kSb = 250;
    static constexpr std::uint8_t kSe = 240;
    static constexpr std::uint8_t kBinary = 0;
    static constexpr std::uint8_t kSuppressGoAhead = 3;
    static constexpr std::uint8_t kComPort = 44;
    // COM-PORT commands from client to server; the server answers with the
    // same command plus kServerOffset.
    static constexpr std::uint8_t kSetBaudRate = 1;
    static constexpr std::uint8_t kSetDataSize = 2;
    static constexpr std::uint8_t kSetParity = 3;
    static constexpr std::uint8_t kSetStopSize = 4;
    static constexpr std::uint8_t kSetControl = 5;
    static constexpr std::uint8_t kServerOffset = 100;

    // What the connection starts with: this side offers binary transmission,
    // suppressed go-ahead and the COM-PORT option, and asks the server for
    // binary transmission and suppressed go-ahead.
    QByteArray opening();

    // Takes bytes received from the server. The data among them goes to
    // `data`, unescaped; what must be answered (option replies, the line
    // settings once the server takes the COM-PORT option) goes to `reply`.
    void receive(const char* bytes, qsizetype count, QByteArray& data, QByteArray& reply);

    // `count` data bytes as they go on the connection.
    QByteArray encode(const std::uint8_t* bytes, qsizetype count) const;

    // The line settings to use. Returns what to send now: their commands
    // when the server took the COM-PORT option, else nothing (they follow
    // its acceptance).
    QByteArray setLine(const serial::LineSettings& settings);

    // Whether the server answered the offer of the COM-PORT option (either
    // way), and whether it took it.
    bool comPortAnswered() const { return comPortAnswered_; }
    bool comPortAccepted() const { return isOn(localOn_, kComPort); }
    // Whether binary transmission is on in each direction.
    bool sendsBinary() const { return isOn(localOn_, kBinary); }
    bool receivesBinary() const { return isOn(remoteOn_, kBinary); }

    // The line settings the server reported back after setting them.
    struct Confirmed {
        std::optional<std::uint32_t> baudRate;
        std::optional<std::uint8_t> dataSize, parity, stopSize, control;
    };
    const Confirmed& confirmed() const { return confirmed_; }

private:
    using Flags = std::array<bool, 256>;
    static bool isOn(const Flags& flags, std::uint8_t option) { return flags[option]; }

    void negotiate(std::uint8_t verb, std::uint8_t option, QByteArray& reply);
    void appendSub(std::uint8_t byte);
    void subnegotiation();
    static constexpr qsizetype kLongestSubnegotiation = 64;
    QByteArray lineCommands() const;

    enum class Parse { Data, Iac, Verb, Sub, SubIac };
    Parse parse_ = Parse::Data;
    std::uint8_t verb_ = 0;
    QByteArray sub_;         // the subnegotiation being received, option first
    bool crPending_ = false; // a CR received outside binary mode, NUL may follow

    // RFC 1143's state, as far as a client that never changes its mind
    // needs it: what is on, what was asked for and awaits an answer, and
    // which refusals were sent (each is sent once, so that a peer that
    // repeats a request cannot start a loop).
    Flags localOn_{}, localAsked_{}, localRefused_{};
    Flags remoteOn_{}, remoteAsked_{}, remoteRefused_{};
    bool comPortAnswered_ = false;

    std::optional<serial::LineSettings> line_;
    Confirmed confirmed_;
};
