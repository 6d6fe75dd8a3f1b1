#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// A port reached over the network instead of a serial device: the value of a
// "PortMap" entry or of --url. "tcp://HOST:PORT" is a plain byte stream (a
// serial device server, ser2net's raw mode); "rfc2217://HOST:PORT" is Telnet
// with the COM-PORT option, over which the line settings are sent as on a
// local port. HOST is a name, an IPv4 address or an IPv6 address in brackets.
struct NetworkAddress {
    enum class Protocol { Raw, Rfc2217 };
    Protocol protocol = Protocol::Raw;
    QString host;           // without brackets
    std::uint16_t port = 0; // 1-65535

    bool operator==(const NetworkAddress&) const = default;
};

// What is wrong with a text that looks like a network address.
enum class NetworkAddressError {
    OtherScheme, // a scheme but neither tcp nor rfc2217
    NoHost,      // nothing before the port
    NoPort,      // no ":PORT" after the host
    BadPort,     // a port that is no number of 1-65535
};

// Whether a port map value names a network address rather than a device
// path: it has a scheme ("name://"). Device paths never do.
bool IsNetworkAddress(const QString& text);

struct NetworkAddressParse {
    std::optional<NetworkAddress> address;
    NetworkAddressError error = NetworkAddressError::OtherScheme; // when no address
};
// Reads a text for which IsNetworkAddress holds.
NetworkAddressParse ParseNetworkAddress(const QString& text);
