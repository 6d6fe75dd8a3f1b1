#include "networkaddress.h"

#include <algorithm>

namespace {

const QString kSchemeEnd = QStringLiteral("://");

} // namespace

bool IsNetworkAddress(const QString& text)
{
    const qsizetype end = text.indexOf(kSchemeEnd);
    if (end <= 0)
        return false;
    // A scheme is letters, digits, '+', '-' and '.', starting with a letter;
    // a path such as "/dev/x://y" is no address.
    if (!text.at(0).isLetter())
        return false;
    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = text.at(i);
        if (!(c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.'))
            return false;
    }
    return true;
}

NetworkAddressParse ParseNetworkAddress(const QString& text)
{
    NetworkAddressParse result;
    const qsizetype schemeEnd = text.indexOf(kSchemeEnd);
    const QString scheme = text.left(schemeEnd).toLower();
    NetworkAddress address;
    if (scheme == QLatin1String("tcp"))
        address.protocol = NetworkAddress::Protocol::Raw;
    else if (scheme == QLatin1String("rfc2217"))
        address.protocol = NetworkAddress::Protocol::Rfc2217;
    else {
        result.error = NetworkAddressError::OtherScheme;
        return result;
    }

    QString rest = text.mid(schemeEnd + kSchemeEnd.size());
    // A trailing slash, as URLs are often written, names nothing more.
    if (rest.endsWith(u'/'))
        rest.chop(1);
    QString portText;
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        if (close < 0) {
            result.error = NetworkAddressError::NoHost;
            return result;
        }
        address.host = rest.mid(1, close - 1);
        const QString after = rest.mid(close + 1);
        if (!after.startsWith(u':')) {
            result.error = NetworkAddressError::NoPort;
            return result;
        }
        portText = after.mid(1);
    } else {
        const qsizetype colon = rest.lastIndexOf(u':');
        if (colon < 0) {
            result.error =
                rest.isEmpty() ? NetworkAddressError::NoHost : NetworkAddressError::NoPort;
            return result;
        }
        // An IPv6 address without brackets cannot be told from its port.
        if (rest.indexOf(u':') != colon) {
            result.error = NetworkAddressError::NoPort;
            return result;
        }
        address.host = rest.left(colon);
        portText = rest.mid(colon + 1);
    }
    if (address.host.isEmpty()) {
        result.error = NetworkAddressError::NoHost;
        return result;
    }
    if (portText.isEmpty()) {
        result.error = NetworkAddressError::NoPort;
        return result;
    }
    bool ok = false;
    const uint port = portText.toUInt(&ok, 10);
    // toUInt takes a sign and blanks; a port is digits only.
    const bool digitsOnly = std::all_of(portText.cbegin(), portText.cend(),
                                        [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!ok || !digitsOnly || port < 1 || port > 65535) {
        result.error = NetworkAddressError::BadPort;
        return result;
    }
    address.port = static_cast<std::uint16_t>(port);
    result.address = address;
    return result;
}
