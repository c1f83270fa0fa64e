#pragma once

#include "net/httpheader.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>

class QDeadlineTimer;
class QIODevice;
class SocketDeviceEx;

// A blocking HTTP/1.x client for one request at a time to a numeric IPv4 address or a bracketed
// numeric IPv6 address. It runs in the calling thread; the body goes to the output device.
class HttpClient
{
public:
    enum State { Closed, Connecting, Sending, Reading, Finished, Idle };

    HttpClient();
    virtual ~HttpClient();
    HttpClient(const HttpClient &) = delete;
    HttpClient &operator=(const HttpClient &) = delete;

    // True when a reply was read to its end or the server closed the connection.
    virtual bool request(const QString &host, quint16 port, const HttpRequestHeader &header,
                         const char *data, int length);
    bool request(const QString &host, quint16 port, const HttpRequestHeader &header);
    bool request(const QString &host, quint16 port, const HttpRequestHeader &header,
                 const QByteArray &data);
    bool request(const QString &host, quint16 port, const HttpRequestHeader &header,
                 const char *data);

    void setOutputDevice(QIODevice *device);
    // A request in progress gives up soon after the flag is set. Not owned.
    void setCancelFlag(const std::atomic<bool> *flag) { m_cancel = flag; }
    QIODevice *outputDevice() const { return m_outputDevice; }
    int state() const { return m_state; }

    // A printer that trickles bytes must not hold its caller's thread for long.
    static constexpr int kRequestDeadlineMs = 10000;
    // The same bound as a document read over USB.
    static constexpr uint kMaxBodySize = 1024 * 1024;
    // A header that does not end is refused long before its body could be.
    static constexpr int kMaxHeaderSize = 64 * 1024;

private:
    friend struct HttpClientFuzzAccess;

    bool receiveReply(const QDeadlineTimer &deadline);
    void readResponse();
    void readBody();
    bool readHeader();
    void writeBody(const char *data, qint64 length);
    void refuse(const char *why, qint64 size);
    void closeConnection();
    bool isKeepAlive() const;
    bool readsUntilClose() const;
    QString errorText() const;

    std::unique_ptr<SocketDeviceEx> socket;
    QByteArray body;
    int bytesReceived = 0;
    HttpRequestHeader requestHeader;
    int m_state = Idle;
    bool readingHeader = true;
    HttpReplyHeader replyHeader;
    QIODevice *m_outputDevice = nullptr;
    bool refused = false; // the reply broke a bound: the request fails
    const std::atomic<bool> *m_cancel = nullptr;
};
