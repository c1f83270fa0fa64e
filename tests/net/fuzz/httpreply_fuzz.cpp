// Feeds arbitrary bytes to the HTTP client as a printer's reply: header and body framing, with
// and without an output device. Not part of the build; from the source root:
//
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. \
//       $(pkg-config --cflags Qt6Core Qt6Network) tests/net/fuzz/httpreply_fuzz.cpp \
//       net/*.cpp base/functions.cpp $(pkg-config --libs Qt6Core Qt6Network) -o httpreply_fuzz
//   ./httpreply_fuzz -max_len=65536 -max_total_time=600
//
// A reply is at most one socket buffer, so the writer never blocks before the client reads.

#include "net/httpclient.h"
#include "net/socketdeviceex.h"

#include <QBuffer>
#include <QDeadlineTimer>

#include <cstddef>
#include <cstdint>
#include <sys/socket.h>
#include <unistd.h>

struct HttpClientFuzzAccess
{
    static void run(const std::uint8_t *data, std::size_t size)
    {
        int ends[2];
        if (size > 65536 || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) < 0)
            return;
        const bool toDevice = size > 0 && (data[0] & 1);
        const ssize_t written = ::write(ends[1], data, size);
        ::close(ends[1]);
        if (written != ssize_t(size)) {
            ::close(ends[0]);
            return;
        }
        QByteArray received;
        QBuffer buffer(&received);
        buffer.open(QIODevice::WriteOnly);
        HttpClient client;
        if (toDevice)
            client.setOutputDevice(&buffer);
        client.socket->setSocket(ends[0], SocketDevice::Stream);
        client.m_state = HttpClient::Sending;
        client.receiveReply(QDeadlineTimer(HttpClient::kRequestDeadlineMs));
        if (received.size() > qsizetype(HttpClient::kMaxBodySize)
            || client.state() != HttpClient::Idle)
            __builtin_trap();
    }
};

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    HttpClientFuzzAccess::run(data, size);
    return 0;
}
