#pragma once

#include "net/socketdevice.h"

#include <QString>

#include <netinet/in.h>

// An IPv6 address text: capture 1 the hexadecimal groups, capture 2 a trailing dotted IPv4 part.
extern const QString kIPv6Pattern;
// The same inside brackets, as a host in a URL.
extern const QString kBracketedIPv6Pattern;

// Writes the 16 address bytes of an IPv6 text matching `pattern` into `out.sin6_addr` only.
bool toIPv6Address(const QString &text, const QString &pattern, sockaddr_in6 &out);

// A socket device that also connects to IPv6 addresses.
class SocketDeviceEx : public SocketDevice
{
public:
    using SocketDevice::SocketDevice;

    bool connect(const QHostAddress &address, quint16 port) override;
};
