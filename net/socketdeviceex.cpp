#include "net/socketdeviceex.h"

#include "base/functions.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int kWords = 8;

} // namespace

const QString kIPv6Pattern
        = QStringLiteral("((?:\\d|[a-fA-F]){1,4}(?::(?:\\d|[a-fA-F]){1,4})*|(?:\\d|[a-fA-F]){1,4}(?"
                         "::(?:\\d|[a-fA-F]){1,4})*::"
                         "(?:(?:\\d|[a-fA-F]){1,4}(?::(?:\\d|[a-fA-F]){1,4})*)?|::(?:(?:\\d|[a-fA-"
                         "F]){1,4}(?::(?:\\d|[a-fA-F]){1,4})*)?)"
                         "(?::(\\d{1,3}\\.\\d{1,3}\\.\\d{1,3}\\.\\d{1,3}))?");
const QString kBracketedIPv6Pattern
        = QStringLiteral("\\[(?:") + kIPv6Pattern + QStringLiteral(")\\]");

bool toIPv6Address(const QString &text, const QString &pattern, sockaddr_in6 &out)
{
    const QRegularExpression expression(QRegularExpression::anchoredPattern(pattern));
    const QRegularExpressionMatch match = expression.match(text);
    if (!match.hasMatch())
        return false;
    QString hexPart = match.captured(1);
    const QString ipv4Part = match.captured(2);
    debugPrintf("toIPv6Address: hexPart=<%s> ipv4Part=<%s>", qPrintable(hexPart),
                qPrintable(ipv4Part));

    quint16 words[kWords] = {};
    int limit = kWords;
    QHostAddress ipv4;
    if (!ipv4Part.isEmpty() && ipv4.setAddress(ipv4Part)
        && ipv4.protocol() == QAbstractSocket::IPv4Protocol) {
        const quint32 value = ipv4.toIPv4Address();
        words[6] = quint16(value >> 16);
        words[7] = quint16(value & 0xFFFF);
        limit = 6;
    }

    if (hexPart.startsWith(QLatin1String("::")) && hexPart.endsWith(QLatin1String("::")))
        qWarning("ASSERT: \"!(hexPart.startsWith(\"::\") && hexPart.endsWith(\"::\"))\"");
    if (hexPart.startsWith(QLatin1String("::")))
        hexPart.remove(0, 1);
    else if (hexPart.endsWith(QLatin1String("::")))
        hexPart.chop(1);

    const QStringList fields = hexPart.split(QLatin1Char(':'), Qt::KeepEmptyParts);
    debugPrintf("toIPv6Address: hexPart: fields(%d)=<%s>", int(fields.size()),
                qPrintable(fields.join(QLatin1Char('|'))));
    if (fields.size() < 2)
        qWarning("ASSERT: \"fields.count() >= 2\"");
    if (fields.size() > limit)
        return false;

    bool ok = true;
    int index = 0;
    for (; ok && index < fields.size() && !fields.at(index).isEmpty(); ++index) {
        words[index] = quint16(fields.at(index).toUInt(&ok, 16));
        debugPrintf(">:: <%s> toUInt... %s -> %.4hx", qPrintable(fields.at(index)),
                    ok ? "ok" : "fail", words[index]);
    }
    if (index < fields.size() && ok) {
        for (int back = int(fields.size()) - 1; back > index; --back) {
            --limit;
            words[limit] = quint16(fields.at(back).toUInt(&ok, 16));
            debugPrintf("::< <%s> toUInt... %s -> %.4hx", qPrintable(fields.at(back)),
                        ok ? "ok" : "fail", words[limit]);
            if (!ok)
                break;
        }
    }

    unsigned char *bytes = out.sin6_addr.s6_addr;
    for (int word = 0; word < kWords; ++word) {
        bytes[2 * word] = static_cast<unsigned char>(words[word] >> 8);
        bytes[2 * word + 1] = static_cast<unsigned char>(words[word] & 0xFF);
    }
    debugPrintf("toIPv6Address: bytes: %.2hhx%.2hhx %.2hhx%.2hhx %.2hhx%.2hhx %.2hhx%.2hhx "
                "%.2hhx%.2hhx %.2hhx%.2hhx %.2hhx%.2hhx %.2hhx%.2hhx",
                bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7],
                bytes[8], bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14],
                bytes[15]);
    return ok;
}

bool SocketDeviceEx::connect(const QHostAddress &address, quint16 port)
{
    const bool isIp4 = address.protocol() == QAbstractSocket::IPv4Protocol;
    debugPrintf("SocketDeviceEx::connect: addr=<%s> isIp4Addr=%d", qPrintable(address.toString()),
                isIp4 ? 1 : 0);
    if (isIp4)
        return SocketDevice::connect(address, port);

    const int fd
            = ::socket(AF_INET6, (type() == Datagram ? SOCK_DGRAM : SOCK_STREAM) | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        debugPrintf("::socket failed: %s", strerror(errno));
        setError(errno);
        return false;
    }
    sockaddr_in6 peer;
    std::memset(&peer, 0, sizeof peer);
    if (!toIPv6Address(address.toString(), kIPv6Pattern, peer)) {
        ::close(fd);
        setError(EINVAL);
        return false;
    }
    peer.sin6_family = AF_INET6;
    peer.sin6_port = htons(port);
    const int code = connectWithin(fd, reinterpret_cast<const sockaddr *>(&peer), sizeof peer,
                                   kConnectTimeoutMs);
    if (code != 0) {
        debugPrintf("::connect failed: %s", strerror(code));
        ::close(fd);
        setError(code);
        return false;
    }
    setSocket(fd, type());
    return true;
}
