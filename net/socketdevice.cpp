#include "net/socketdevice.h"

#include "base/functions.h"

#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QDeadlineTimer>

namespace {

// One end of a connection, by getsockname or getpeername; null when unknown.
QHostAddress endpoint(int fd, int (*query)(int, sockaddr *, socklen_t *))
{
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    QHostAddress address;
    if (fd >= 0 && query(fd, reinterpret_cast<sockaddr *>(&storage), &length) == 0)
        address.setAddress(reinterpret_cast<const sockaddr *>(&storage));
    return address;
}

} // namespace

SocketDevice::SocketDevice(Type type)
    : m_type(type)
{ }

SocketDevice::~SocketDevice()
{
    close();
}

bool SocketDevice::connect(const QHostAddress &address, quint16 port)
{
    bool ok = false;
    const quint32 ip4 = address.toIPv4Address(&ok);
    if (!ok) {
        m_error = Impossible;
        return false;
    }
    if (!isValid()) {
        const int fd = ::socket(AF_INET,
                                (m_type == Datagram ? SOCK_DGRAM : SOCK_STREAM) | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            setError(errno);
            return false;
        }
        m_fd = fd;
    }
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = htonl(ip4);
    const int code = connectWithin(m_fd, reinterpret_cast<const sockaddr *>(&peer), sizeof peer,
                                   kConnectTimeoutMs);
    if (code != 0) {
        setError(code);
        return false;
    }
    m_error = NoError;
    return true;
}

int SocketDevice::connectWithin(int fd, const sockaddr *address, socklen_t length, int timeoutMs)
{
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0)
        return errno;
    int code = 0;
    if (::connect(fd, address, length) < 0) {
        code = errno;
        if (code == EINPROGRESS) {
            const QDeadlineTimer deadline(timeoutMs);
            pollfd wanted{fd, POLLOUT, 0};
            int ready;
            do {
                ready = ::poll(&wanted, 1, int(deadline.remainingTime()));
            } while (ready < 0 && errno == EINTR);
            if (ready == 0) {
                code = ETIMEDOUT;
                debugPrintf("SocketDevice::connect: no answer within %d ms", timeoutMs);
            } else if (ready < 0) {
                code = errno;
            } else {
                socklen_t size = sizeof code;
                if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &code, &size) < 0)
                    code = errno;
            }
        }
    }
    fcntl(fd, F_SETFL, flags);
    return code;
}

void SocketDevice::setSocket(int fd, Type type)
{
    close();
    m_fd = fd;
    m_type = type;
    m_error = NoError;
}

void SocketDevice::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

qint64 SocketDevice::bytesAvailable() const
{
    int count = 0;
    if (!isValid() || ioctl(m_fd, FIONREAD, &count) < 0)
        return 0;
    return count;
}

qint64 SocketDevice::waitForMore(int msecs, bool *timeout) const
{
    if (!isValid())
        return -1;
    pollfd wanted{m_fd, POLLIN, 0};
    const QDeadlineTimer deadline(msecs);
    int ready;
    do {
        ready = ::poll(&wanted, 1, int(deadline.remainingTime()));
    } while (ready < 0 && errno == EINTR);
    if (ready < 0 || (wanted.revents & POLLNVAL))
        return -1;
    if (timeout)
        *timeout = ready == 0;
    return bytesAvailable();
}

qint64 SocketDevice::readBlock(char *data, qint64 maxlen)
{
    if (!isValid())
        return -1;
    ssize_t got;
    do {
        got = ::recv(m_fd, data, size_t(maxlen), 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        setError(errno);
        return -1;
    }
    if (got == 0 && m_type == Stream && maxlen > 0)
        close();
    return got;
}

qint64 SocketDevice::writeBlock(const char *data, qint64 len)
{
    if (!isValid())
        return -1;
    qint64 done = 0;
    while (done < len) {
        // A peer that went away must not end the whole program with SIGPIPE.
        const ssize_t sent = ::send(m_fd, data + done, size_t(len - done), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            setError(errno);
            return done > 0 ? done : -1;
        }
        done += sent;
    }
    return done;
}

QHostAddress SocketDevice::address() const
{
    return endpoint(m_fd, getsockname);
}

QHostAddress SocketDevice::peerAddress() const
{
    return endpoint(m_fd, getpeername);
}

void SocketDevice::setError(int errnoCode)
{
    switch (errnoCode) {
    case 0:
        m_error = NoError;
        break;
    case EADDRINUSE:
    case EISCONN:
        m_error = AlreadyBound;
        break;
    case EACCES:
    case EPERM:
        m_error = Inaccessible;
        break;
    case ENOBUFS:
    case ENOMEM:
    case EADDRNOTAVAIL:
        m_error = NoResources;
        break;
    case EAFNOSUPPORT:
    case EPROTONOSUPPORT:
    case EFAULT:
        m_error = InternalError;
        break;
    case EBADF:
    case ENOTSOCK:
    case EINVAL:
        m_error = Impossible;
        break;
    case EMFILE:
    case ENFILE:
        m_error = NoFiles;
        break;
    case ECONNREFUSED:
        m_error = ConnectionRefused;
        break;
    case ETIMEDOUT:
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ECONNRESET:
    case EPIPE:
        m_error = NetworkFailure;
        break;
    default:
        m_error = UnknownError;
        break;
    }
}
