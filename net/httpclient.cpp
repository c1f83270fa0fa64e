#include "net/httpclient.h"

#include "base/functions.h"
#include "net/socketdeviceex.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QIODevice>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kSilenceMs = 1000;
// How soon a wait notices that its caller stops.
constexpr qint64 kCancelCheckMs = 50;
const QByteArray kHeaderEnd = QByteArrayLiteral("\r\n\r\n");

const char *const kErrorTexts[] = {
        "Error: all is fine",
        "Error: already bound",
        "Error: the operating system or firewall prohibits something.",
        "Error: the operating system ran out of something.",
        "Error: there seems to be a bug in QSocketDevice.",
        "Error: the impossible happened, usually because you confused QSocketDevice horribly.",
        "Error: the operating system will not let QSocketDevice open another file.",
        "Error: a connection attempt was rejected by the peer.",
        "Error: there is a network failure between this host and... and whatever.",
        "Error: the operating system reacted in a way that the Qt developers did not foresee.",
};

} // namespace

HttpClient::HttpClient()
    : socket(std::make_unique<SocketDeviceEx>(SocketDevice::Stream))
{ }

HttpClient::~HttpClient()
{
    closeConnection();
}

bool HttpClient::request(const QString &host, quint16 port, const HttpRequestHeader &header)
{
    return request(host, port, header, nullptr, 0);
}

bool HttpClient::request(const QString &host, quint16 port, const HttpRequestHeader &header,
                         const QByteArray &data)
{
    return request(host, port, header, data.constData(), int(data.size()));
}

bool HttpClient::request(const QString &host, quint16 port, const HttpRequestHeader &header,
                         const char *data)
{
    return request(host, port, header, data, data ? int(std::strlen(data)) : 0);
}

bool HttpClient::request(const QString &host, quint16 port, const HttpRequestHeader &header,
                         const char *data, int length)
{
    debugPrintf("HttpClient::request: hostname=<%s>", qPrintable(host));
    if (m_state != Finished && m_state != Idle) {
        debugPrintf("HttpClient::request(): the client is currently busy with a pending request. "
                    "You can not invoke a request now.\n");
        return false;
    }
    const QDeadlineTimer deadline(kRequestDeadlineMs);
    m_state = Connecting;
    refused = false;

    QHostAddress address;
    sockaddr_in6 ipv6{};
    static const QRegularExpression bracketed(
            QRegularExpression::anchoredPattern(kBracketedIPv6Pattern));
    if (bracketed.match(host).hasMatch() && toIPv6Address(host, kBracketedIPv6Pattern, ipv6))
        address.setAddress(ipv6.sin6_addr.s6_addr);
    else
        address.setAddress(host);
    debugPrintf("addr=<%s> isIp4Addr=%d hostname=<%s>", qPrintable(address.toString()),
                address.protocol() == QAbstractSocket::IPv4Protocol ? 1 : 0, qPrintable(host));

    if (!socket->connect(address, port)) {
        debugPrintf("HttpClient::request() failure to connect.\n\terror: %d(%s)\n\taddress=<%s>"
                    "\n\tpeerAddress=<%s>",
                    int(socket->error()), qPrintable(errorText()),
                    qPrintable(socket->address().toString()),
                    qPrintable(socket->peerAddress().toString()));
        closeConnection();
        m_state = Idle;
        return false;
    }

    body = QByteArray(data, data ? length : 0);
    requestHeader = header;
    if (!body.isEmpty())
        requestHeader.setContentLength(int(body.size()));

    m_state = Sending;
    const QByteArray head = requestHeader.toString().toLatin1();
    socket->writeBlock(head.constData(), head.size());
    socket->writeBlock(body.constData(), body.size());
    socket->flush();
    body.clear();
    return receiveReply(deadline);
}

bool HttpClient::receiveReply(const QDeadlineTimer &deadline)
{
    QDeadlineTimer silence(kSilenceMs);
    forever {
        if (!socket->isValid() || m_state == Finished) {
            closeConnection();
            m_state = Idle;
            return !refused;
        }
        if (deadline.hasExpired()) {
            debugPrintf("HttpClient::request: no complete reply within %d ms, given up",
                        kRequestDeadlineMs);
            closeConnection();
            m_state = Idle;
            return false;
        }
        if (m_cancel && m_cancel->load()) {
            debugPrintf("HttpClient::request: abandoned, the caller stops");
            closeConnection();
            m_state = Idle;
            return false;
        }
        bool timeout = true;
        qint64 waitMs = std::min(silence.remainingTime(), deadline.remainingTime());
        if (m_cancel)
            waitMs = std::min(waitMs, kCancelCheckMs);
        const qint64 available = socket->waitForMore(int(waitMs), &timeout);
        if (available < 0
            || (available == 0 && timeout && silence.hasExpired() && !deadline.hasExpired())) {
            closeConnection();
            m_state = Idle;
            return false;
        }
        if (available == 0) {
            if (!timeout)
                closeConnection();
            continue;
        }
        silence.setRemainingTime(kSilenceMs);
        readResponse();
    }
}

void HttpClient::readResponse()
{
    if (m_state != Reading) {
        m_state = Reading;
        body.clear();
        readingHeader = true;
    }
    if (readingHeader && !readHeader())
        return;
    readBody();
    if (!readsUntilClose() && uint(bytesReceived) == replyHeader.contentLength()) {
        body.clear();
        if (isKeepAlive())
            m_state = Finished;
        else
            closeConnection();
    }
}

// Whether the header is complete and the body may be read.
bool HttpClient::readHeader()
{
    const qint64 available = socket->bytesAvailable();
    if (available <= 0)
        return false;
    const qsizetype oldSize = body.size();
    body.resize(oldSize + available);
    const qint64 got = socket->readBlock(body.data() + oldSize, available);
    body.resize(oldSize + std::max<qint64>(got, 0));
    const qsizetype end = body.indexOf(kHeaderEnd, std::max<qsizetype>(0, oldSize - 3));
    if (end < 0) {
        if (body.size() > kMaxHeaderSize)
            refuse("header", body.size());
        return false;
    }
    readingHeader = false;
    replyHeader = HttpReplyHeader(QString::fromLatin1(body.constData(), end));
    if (!replyHeader.isValid()) {
        closeConnection();
        return false;
    }
    qint64 held = body.size() - (end + 4);
    // A body read until the close may already hold more than the bound in this first read.
    const qint64 announced = readsUntilClose() ? held : qint64(replyHeader.contentLength());
    if (announced > qint64(kMaxBodySize)) {
        refuse("body", announced);
        return false;
    }
    held = std::min(held, announced);
    const QByteArray first = body.mid(end + 4, held);
    bytesReceived = 0;
    if (m_outputDevice) {
        body.clear();
        writeBody(first.constData(), first.size());
    } else {
        body = readsUntilClose() ? first : first.leftJustified(replyHeader.contentLength(), '\0');
    }
    bytesReceived = int(first.size());
    return true;
}

void HttpClient::readBody()
{
    qint64 wanted = socket->bytesAvailable();
    if (!readsUntilClose())
        wanted = std::min<qint64>(wanted, replyHeader.contentLength() - uint(bytesReceived));
    if (wanted <= 0)
        return;
    if (readsUntilClose() && bytesReceived + wanted > qint64(kMaxBodySize)) {
        refuse("body", bytesReceived + wanted);
        return;
    }
    qint64 got;
    if (m_outputDevice) {
        QByteArray chunk(wanted, Qt::Uninitialized);
        got = std::max<qint64>(socket->readBlock(chunk.data(), wanted), 0);
        writeBody(chunk.constData(), got);
    } else {
        if (readsUntilClose())
            body.resize(bytesReceived + wanted);
        got = std::max<qint64>(socket->readBlock(body.data() + bytesReceived, wanted), 0);
        if (readsUntilClose())
            body.resize(bytesReceived + got);
    }
    bytesReceived += int(got);
}

void HttpClient::writeBody(const char *data, qint64 length)
{
    if (length > 0)
        m_outputDevice->write(data, length);
}

void HttpClient::refuse(const char *why, qint64 size)
{
    debugPrintf("HttpClient::request: a %s of %lld bytes is more than a printer sends, refused",
                why, static_cast<long long>(size));
    refused = true;
    body.clear();
    closeConnection();
}

void HttpClient::closeConnection()
{
    m_state = Closed;
    if (socket->isOpen())
        socket->close();
}

bool HttpClient::isKeepAlive() const
{
    return replyHeader.value(QStringLiteral("connection")) == QLatin1String("keep-alive");
}

bool HttpClient::readsUntilClose() const
{
    return !isKeepAlive() && !replyHeader.hasKey(QStringLiteral("content-length"));
}

void HttpClient::setOutputDevice(QIODevice *device)
{
    if (!device || !device->isOpen() || !device->isWritable()) {
        qWarning("The socket must be opened for writing");
        return;
    }
    if (device == m_outputDevice)
        return;
    if (!m_outputDevice && m_state == Reading && !readingHeader && bytesReceived > 0)
        device->write(body.constData(), bytesReceived);
    m_outputDevice = device;
}

QString HttpClient::errorText() const
{
    if (m_state != Connecting && m_state != Sending && m_state != Reading)
        return QStringLiteral("No error");
    const int code = int(socket->error());
    if (code < 0 || code >= int(std::size(kErrorTexts)))
        return QStringLiteral("Error: unknown");
    return QString::fromLatin1(kErrorTexts[code]);
}
