// The Telnet COM-PORT conversation on byte buffers, as a serial device
// server's bytes arrive: negotiation, the line settings, escaping both ways
// and commands cut between two reads.
#include "networkaddress.h"
#include "rfc2217.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

using S = Rfc2217Session;

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int v : values)
        out.append(char(v));
    return out;
}

QByteArray comPort(int code, std::initializer_list<int> value)
{
    return bytes({S::kIac, S::kSb, S::kComPort, code}) + bytes(value) + bytes({S::kIac, S::kSe});
}

serial::LineSettings line8N1(unsigned baud)
{
    serial::LineSettings s;
    s.baudRate = baud;
    return s;
}

struct Received {
    QByteArray data, reply;
};

Received feed(S& session, const QByteArray& input)
{
    Received r;
    session.receive(input.constData(), input.size(), r.data, r.reply);
    return r;
}

// The settings wait for the server to take the option, then go out as the
// local port sets them: 115200, 8 data bits, no parity, one stop bit, no
// flow control, DTR and RTS low. What the server confirms is kept.
TEST(Rfc2217SessionTest, LineSettingsFollowTheServersAcceptanceOfTheComPortOption)
{
    S session;
    EXPECT_EQ(session.opening(),
              bytes({S::kIac, S::kWill, S::kBinary, S::kIac, S::kWill, S::kSuppressGoAhead, S::kIac,
                     S::kWill, S::kComPort, S::kIac, S::kDo, S::kBinary, S::kIac, S::kDo,
                     S::kSuppressGoAhead}));
    EXPECT_TRUE(session.setLine(line8N1(115200)).isEmpty()) << "not before the server agrees";
    EXPECT_FALSE(session.comPortAnswered());

    const Received r = feed(session, bytes({S::kIac, S::kDo, S::kComPort}));
    EXPECT_TRUE(r.data.isEmpty());
    EXPECT_TRUE(session.comPortAccepted());
    const QByteArray expected = comPort(1, {0x00, 0x01, 0xC2, 0x00}) + comPort(2, {8})
                                + comPort(3, {1}) + comPort(4, {1}) + comPort(5, {1})
                                + comPort(5, {9}) + comPort(5, {12});
    EXPECT_EQ(r.reply, expected) << "the answer to our own WILL is not answered again";

    serial::LineSettings other = line8N1(9600);
    other.parity = serial::LineSettings::Parity::Even;
    other.stopBits = serial::LineSettings::StopBits::Two;
    other.rts = serial::LineSettings::RtsMode::Handshake;
    EXPECT_EQ(session.setLine(other), comPort(1, {0x00, 0x00, 0x25, 0x80}) + comPort(2, {8})
                                          + comPort(3, {3}) + comPort(4, {2}) + comPort(5, {3})
                                          + comPort(5, {9}))
        << "a change goes out at once";

    feed(session, comPort(101, {0x00, 0x01, 0xC2, 0x00}) + comPort(102, {8}) + comPort(103, {1})
                      + comPort(104, {1}) + comPort(105, {1}));
    const S::Confirmed& c = session.confirmed();
    EXPECT_EQ(c.baudRate, 115200u);
    EXPECT_EQ(c.dataSize, 8);
    EXPECT_EQ(c.parity, 1);
    EXPECT_EQ(c.stopSize, 1);
    EXPECT_EQ(c.control, 1);
}

// What the server asks of a client that speaks Modbus, not a terminal.
TEST(Rfc2217SessionTest, OptionsAreAgreedOrRefusedOnceWithoutLoops)
{
    const struct Case {
        const char* what;
        QByteArray input, reply;
    } cases[] = {
        {"echo refused", bytes({S::kIac, S::kWill, 1}), bytes({S::kIac, S::kDont, 1})},
        {"terminal type refused", bytes({S::kIac, S::kDo, 24}), bytes({S::kIac, S::kWont, 24})},
        {"refusals are not repeated",
         bytes({S::kIac, S::kDo, 24, S::kIac, S::kDo, 24, S::kIac, S::kWill, 1, S::kIac, S::kWill,
                1}),
         bytes({S::kIac, S::kWont, 24, S::kIac, S::kDont, 1})},
        {"answers to our offers are not answered",
         bytes({S::kIac, S::kDo, S::kBinary, S::kIac, S::kWill, S::kBinary, S::kIac, S::kDo,
                S::kSuppressGoAhead}),
         {}},
        {"an option switched off is acknowledged",
         bytes({S::kIac, S::kWill, S::kBinary, S::kIac, S::kWont, S::kBinary, S::kIac, S::kWont,
                S::kBinary}),
         bytes({S::kIac, S::kDont, S::kBinary})},
        {"NOP and go-ahead carry nothing", bytes({S::kIac, 241, S::kIac, 249}), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        S session;
        session.opening();
        const Received r = feed(session, c.input);
        EXPECT_EQ(r.reply.toHex(' '), c.reply.toHex(' '));
        EXPECT_TRUE(r.data.isEmpty());
    }

    S refused;
    refused.opening();
    feed(refused, bytes({S::kIac, S::kDont, S::kComPort}));
    EXPECT_TRUE(refused.comPortAnswered()) << "a server without the option is answered too";
    EXPECT_FALSE(refused.comPortAccepted());
    EXPECT_TRUE(refused.setLine(line8N1(115200)).isEmpty());
}

// 0xFF is doubled going out and undoubled coming in, also inside a
// subnegotiation's value; CR NUL stands for CR only while binary is off.
TEST(Rfc2217SessionTest, DataBytesAreEscapedBothWays)
{
    S session;
    session.opening();
    const std::uint8_t frame[] = {0x01, 0xFF, 0x0D, 0xFF, 0xFF, 0x00};
    EXPECT_EQ(session.encode(frame, 6),
              bytes({0x01, 0xFF, 0xFF, 0x0D, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}))
        << "binary not yet agreed: CR goes as CR NUL";
    feed(session, bytes({S::kIac, S::kDo, S::kBinary, S::kIac, S::kWill, S::kBinary}));
    ASSERT_TRUE(session.sendsBinary());
    ASSERT_TRUE(session.receivesBinary());
    EXPECT_EQ(session.encode(frame, 6),
              bytes({0x01, 0xFF, 0xFF, 0x0D, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}));
    EXPECT_EQ(feed(session, bytes({0x01, 0xFF, 0xFF, 0x0D, 0x00, 0xFF, 0xFF})).data,
              bytes({0x01, 0xFF, 0x0D, 0x00, 0xFF}))
        << "in binary mode the NUL after CR is data";

    S text;
    EXPECT_EQ(feed(text, bytes({0x0D, 0x00, 0x0D, 0x0A, 0x41})).data,
              bytes({0x0D, 0x0D, 0x0A, 0x41}));

    // A rate of 0x01FF00FF: every 0xFF of the value doubled.
    S rates;
    rates.opening();
    feed(rates, bytes({S::kIac, S::kDo, S::kComPort}));
    EXPECT_TRUE(rates.setLine(line8N1(0x01FF00FFu))
                    .startsWith(bytes({S::kIac, S::kSb, S::kComPort, 1, 0x01, 0xFF, 0xFF, 0x00,
                                       0xFF, 0xFF, S::kIac, S::kSe})));
    feed(rates, bytes({S::kIac, S::kSb, S::kComPort, 101, 0x01, 0xFF, 0xFF, 0x00, 0xFF, 0xFF,
                       S::kIac, S::kSe}));
    EXPECT_EQ(rates.confirmed().baudRate, 0x01FF00FFu);
}

// A server's stream cut at every byte boundary reads as the whole stream:
// data, doubled 0xFF, negotiation and a confirmed rate.
TEST(Rfc2217SessionTest, CommandsSplitAcrossReadsAreUnderstood)
{
    const QByteArray stream = bytes({0x11, S::kIac, S::kIac, 0x22, S::kIac, S::kDo, S::kComPort,
                                     0x33, S::kIac, S::kWill, 1})
                              + comPort(101, {0x00, 0x01, 0xC2, 0x00}) + bytes({0x44, 0xFF, 0xFF});
    const QByteArray data = bytes({0x11, 0xFF, 0x22, 0x33, 0x44, 0xFF});

    // A megabyte of subnegotiation from a broken server is read past; what
    // follows its end is read as ever.
    S endless;
    const QByteArray noise(1 << 20, char(0x55));
    const Received after = feed(endless, bytes({S::kIac, S::kSb, S::kComPort}) + noise
                                             + bytes({S::kIac, S::kSe}) + stream);
    EXPECT_EQ(after.data, data);

    S whole;
    whole.opening();
    whole.setLine(line8N1(115200));
    const Received once = feed(whole, stream);
    ASSERT_EQ(once.data, data);

    for (qsizetype cut = 1; cut < stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        S session;
        session.opening();
        session.setLine(line8N1(115200));
        const Received first = feed(session, stream.left(cut));
        const Received second = feed(session, stream.mid(cut));
        EXPECT_EQ(first.data + second.data, data);
        EXPECT_EQ(first.reply + second.reply, once.reply);
        EXPECT_EQ(session.confirmed().baudRate, 115200u);
    }
}

TEST(NetworkAddressTest, ReadsTheSchemesHostsAndPortsOfThePortMap)
{
    using P = NetworkAddress::Protocol;
    using E = NetworkAddressError;
    const struct Case {
        const char* text;
        bool network;
        std::optional<NetworkAddress> address;
        E error;
    } cases[] = {
        {"tcp://bench-3.local:4001", true, NetworkAddress{P::Raw, "bench-3.local", 4001}, {}},
        {"RFC2217://10.0.0.7:2000/", true, NetworkAddress{P::Rfc2217, "10.0.0.7", 2000}, {}},
        {"tcp://[fe80::1]:65535", true, NetworkAddress{P::Raw, "fe80::1", 65535}, {}},
        {"tcp://bench", true, std::nullopt, E::NoPort},
        {"tcp://bench:", true, std::nullopt, E::NoPort},
        {"tcp://fe80::1:4001", true, std::nullopt, E::NoPort},
        {"tcp://[::1]", true, std::nullopt, E::NoPort},
        {"tcp://:4001", true, std::nullopt, E::NoHost},
        {"tcp://", true, std::nullopt, E::NoHost},
        {"tcp://bench:0", true, std::nullopt, E::BadPort},
        {"tcp://bench:65536", true, std::nullopt, E::BadPort},
        {"tcp://bench: 4001", true, std::nullopt, E::BadPort},
        {"telnet://bench:23", true, std::nullopt, E::OtherScheme},
        {"/dev/ttyUSB0", false, std::nullopt, {}},
        {"/dev/x://y", false, std::nullopt, {}},
        {"bench:4001", false, std::nullopt, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromLatin1(c.text);
        ASSERT_EQ(IsNetworkAddress(text), c.network);
        if (!c.network)
            continue;
        const NetworkAddressParse parsed = ParseNetworkAddress(text);
        EXPECT_EQ(parsed.address, c.address);
        if (!c.address) {
            EXPECT_EQ(parsed.error, c.error);
        }
    }
}

} // namespace
