#pragma once

#include <QHostAddress>

#include <sys/socket.h>

// A blocking stream (or datagram) socket over the plain POSIX calls, waiting with poll(). Its
// error numbers are the ones the HTTP client's messages are written for.
class SocketDevice
{
public:
    enum Type { Stream, Datagram };
    enum Error {
        NoError,
        AlreadyBound,
        Inaccessible,
        NoResources,
        InternalError,
        Impossible,
        NoFiles,
        ConnectionRefused,
        NetworkFailure,
        UnknownError
    };

    explicit SocketDevice(Type type = Stream);
    virtual ~SocketDevice();
    SocketDevice(const SocketDevice &) = delete;
    SocketDevice &operator=(const SocketDevice &) = delete;

    // Connects an IPv4 socket of its own, made afresh when the last one was closed.
    virtual bool connect(const QHostAddress &address, quint16 port);

    bool isValid() const { return m_fd >= 0; }
    bool isOpen() const { return isValid(); }
    Type type() const { return m_type; }
    int socket() const { return m_fd; }
    // Takes over a connected descriptor (closing the one held before).
    void setSocket(int fd, Type type);
    void close();

    // Bytes that can be read without blocking; 0 when that cannot be told.
    qint64 bytesAvailable() const;
    // Waits up to msecs for data; the bytes available, -1 on error. `timeout` tells a silent
    // peer from one that closed (readable, nothing to read).
    qint64 waitForMore(int msecs, bool *timeout = nullptr) const;
    // The peer closing the connection closes the device.
    qint64 readBlock(char *data, qint64 maxlen);
    qint64 writeBlock(const char *data, qint64 len);
    void flush() { }

    Error error() const { return m_error; }
    QHostAddress address() const;
    QHostAddress peerAddress() const;

    // The system's own connect time-out is minutes for an address that does not answer.
    static constexpr int kConnectTimeoutMs = 2000;

protected:
    // A non-blocking connect bounded by kConnectTimeoutMs, the descriptor left blocking; 0 or
    // the errno code (ETIMEDOUT when the time ran out).
    static int connectWithin(int fd, const sockaddr *address, socklen_t length, int timeoutMs);
    void setError(int errnoCode);

private:
    int m_fd = -1;
    Type m_type;
    Error m_error = NoError;
};
