#include "net/httpclient.h"
#include "net/socketdeviceex.h"
#include "simulatedhttpserver.h"
#include "tests/tools/logcapture.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QTest>

#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A hang guard, not a timing target: the longest bound is the request's 10 s.
constexpr qint64 kGuardMs = 15000;
const QByteArray kDocument = "<?xml version=\"1.0\"?><sm/>";

// Asks its client for another request while the first one delivers its body.
class ReenteringBuffer : public QBuffer
{
public:
    HttpClient *client = nullptr;
    int state = -1;
    bool second = true;

protected:
    qint64 writeData(const char *data, qint64 length) override
    {
        if (state < 0) {
            second = client->request(QStringLiteral("127.0.0.1"), 1, HttpRequestHeader());
            state = client->state();
        }
        return QBuffer::writeData(data, length);
    }
};

} // namespace

class TestHttpClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void headerLinesParseAsPrintersSendThem();
    void addressTextsBecomeIPv6Bytes_data();
    void addressTextsBecomeIPv6Bytes();
    void documentIsFetchedOverBothFamilies_data();
    void documentIsFetchedOverBothFamilies();
    void replyIsFramedByItsHeader_data();
    void replyIsFramedByItsHeader();
    void misbehavingPrinterEndsWithinItsBound_data();
    void misbehavingPrinterEndsWithinItsBound();
    void silentAddressGivesUpConnecting();
    void requestWhileReadingIsRefusedAsBusy();

private:
    SimulatedHttpServer &server(int family) { return family == 4 ? *m_ipv4 : *m_ipv6; }
    bool fetch(SimulatedHttpServer &printer, QByteArray &body)
    {
        HttpRequestHeader header(QStringLiteral("GET"), QStringLiteral("/pellar/sm.xml"), 10);
        header.setValue(QStringLiteral("Host"), QStringLiteral("http://") + printer.address());
        QBuffer buffer(&body);
        buffer.open(QIODevice::WriteOnly | QIODevice::Truncate);
        HttpClient client;
        client.setOutputDevice(&buffer);
        return client.request(printer.host(), printer.port(), header);
    }
    void addFamilies()
    {
        QTest::addColumn<int>("family");
        QTest::newRow("IPv4") << 4;
        QTest::newRow("IPv6") << 6;
    }

    std::unique_ptr<SimulatedHttpServer> m_ipv4;
    std::unique_ptr<SimulatedHttpServer> m_ipv6;
};

void TestHttpClient::initTestCase()
{
    m_ipv4 = std::make_unique<SimulatedHttpServer>(SimulatedHttpServer::IPv4);
    m_ipv6 = std::make_unique<SimulatedHttpServer>(SimulatedHttpServer::IPv6);
    QVERIFY(m_ipv4->isValid());
    QVERIFY(m_ipv6->isValid());
    m_ipv4->setDocument(kDocument);
    m_ipv6->setDocument(kDocument);
}

void TestHttpClient::headerLinesParseAsPrintersSendThem()
{
    HttpReplyHeader reply(QStringLiteral("HTTP/1.1 404\r\nContent-Type:text/xml; charset=UTF-8\r\n"
                                         "X-Long: a\r\n  b"));
    QVERIFY(reply.isValid());
    QCOMPARE(reply.statusCode(), 404);
    QVERIFY(reply.reasonPhrase().isNull());
    QCOMPARE(reply.version(), 11);
    QCOMPARE(reply.contentType(), QStringLiteral("text/xml"));
    QCOMPARE(reply.keys(), QStringList({"content-type", "x-long"}));
    QCOMPARE(reply.value(QStringLiteral("X-LONG")), QStringLiteral("a b"));
    QCOMPARE(reply.contentLength(), 0u);

    QTest::ignoreMessage(QtWarningMsg, "Invalid line: 'HTTP/1.1 abc'");
    QVERIFY(!HttpReplyHeader(QStringLiteral("HTTP/1.1 abc")).isValid());

    HttpRequestHeader request(QStringLiteral("GET"), QStringLiteral("/pellar/sm.xml"), 10);
    QCOMPARE(request.toString(), QStringLiteral("GET /pellar/sm.xml HTTP/1.0\r\n\r\n"));
    request.setValue(QStringLiteral("Host"), QStringLiteral("http://10.0.0.5"));
    QCOMPARE(request.toString(),
             QStringLiteral("GET /pellar/sm.xml HTTP/1.0\r\nhost: http://10.0.0.5\r\n\r\n"));
}

void TestHttpClient::addressTextsBecomeIPv6Bytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("loopback") << "::1" << true
                              << QByteArray::fromHex("00000000000000000000000000000001");
    QTest::newRow("first word") << "1::" << true
                                << QByteArray::fromHex("00010000000000000000000000000000");
    QTest::newRow("mapped IPv4") << "::ffff:10.0.0.1" << true
                                 << QByteArray::fromHex("00000000000000000000ffff0a000001");
    QTest::newRow("full") << "fe80:0:0:0:0:0:0:1" << true
                          << QByteArray::fromHex("fe800000000000000000000000000001");
    QTest::newRow("only colons") << "::" << false << QByteArray();
    QTest::newRow("nine groups") << "1:2:3:4:5:6:7:8:9" << false << QByteArray();
    QTest::newRow("seven groups and IPv4") << "1:2:3:4:5:6:7:1.2.3.4" << false << QByteArray();
}

void TestHttpClient::addressTextsBecomeIPv6Bytes()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QByteArray, bytes);
    sockaddr_in6 out{};
    QCOMPARE(toIPv6Address(text, kIPv6Pattern, out), ok);
    if (ok)
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(out.sin6_addr.s6_addr), 16), bytes);
}

void TestHttpClient::documentIsFetchedOverBothFamilies_data()
{
    addFamilies();
}

void TestHttpClient::documentIsFetchedOverBothFamilies()
{
    QFETCH(int, family);
    SimulatedHttpServer &printer = server(family);
    printer.setMode(SimulatedHttpServer::Normal);
    QByteArray body;
    QVERIFY(fetch(printer, body));
    QCOMPARE(body, kDocument);
    QVERIFY(printer.requests().endsWith("GET /pellar/sm.xml HTTP/1.0\r\nhost: http://"
                                        + printer.address().toLatin1() + "\r\n\r\n"));
}

void TestHttpClient::replyIsFramedByItsHeader_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("keepOpen");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("length shorter than the body")
            << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n12345678") << false
            << QByteArray("12345");
    QTest::newRow("keep-alive without length")
            << QByteArray("HTTP/1.1 200 OK\r\nConnection: keep-alive\r\n\r\nmore") << true
            << QByteArray();
    QTest::newRow("Keep-Alive is not keep-alive")
            << QByteArray("HTTP/1.1 200 OK\r\nConnection: Keep-Alive\r\n\r\nall") << false
            << QByteArray("all");
    QTest::newRow("read until close")
            << QByteArray("HTTP/1.0 200 OK\r\n\r\n" + kDocument) << false << kDocument;
    QTest::newRow("invalid status line")
            << QByteArray("HTTP/1.1 abc\r\n\r\nbody") << false << QByteArray();
}

void TestHttpClient::replyIsFramedByItsHeader()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, keepOpen);
    QFETCH(QByteArray, body);
    m_ipv4->setReply(reply, keepOpen);
    if (reply.startsWith("HTTP/1.1 abc"))
        QTest::ignoreMessage(QtWarningMsg, "Invalid line: 'HTTP/1.1 abc'");
    QByteArray received;
    QVERIFY(fetch(*m_ipv4, received));
    QCOMPARE(received, body);
}

void TestHttpClient::misbehavingPrinterEndsWithinItsBound_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("log");
    const QString refused = QStringLiteral("is more than a printer sends, refused");
    for (int family : {4, 6}) {
        const QByteArray suffix = family == 4 ? " IPv4" : " IPv6";
        QTest::newRow("hang after header" + suffix)
                << family << int(SimulatedHttpServer::HangAfterHeader) << false << QString();
        QTest::newRow("trickle" + suffix)
                << family << int(SimulatedHttpServer::Trickle) << false
                << QStringLiteral("no complete reply within 10000 ms, given up");
        QTest::newRow("huge body" + suffix)
                << family << int(SimulatedHttpServer::HugeBody) << false << refused;
        QTest::newRow("huge body without length" + suffix)
                << family << int(SimulatedHttpServer::HugeBodyWithoutLength) << false << refused;
        QTest::newRow("close early" + suffix)
                << family << int(SimulatedHttpServer::CloseEarly) << true << QString();
        QTest::newRow("invalid status line" + suffix)
                << family << int(SimulatedHttpServer::InvalidStatusLine) << true
                << QStringLiteral("Invalid line: 'HTTP/1.1 abc'");
    }
}

void TestHttpClient::misbehavingPrinterEndsWithinItsBound()
{
    QFETCH(int, family);
    QFETCH(int, mode);
    QFETCH(bool, result);
    QFETCH(QString, log);
    server(family).setMode(SimulatedHttpServer::Mode(mode));
    LogCapture capture;
    QElapsedTimer timer;
    timer.start();
    QByteArray body;
    QCOMPARE(fetch(server(family), body), result);
    QVERIFY2(timer.elapsed() < kGuardMs, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(body.size() <= int(HttpClient::kMaxBodySize));
    QVERIFY(capture.contains(log));
}

void TestHttpClient::silentAddressGivesUpConnecting()
{
    // A listener whose queue is full drops further connection requests unanswered.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof local;
    QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&local), length) == 0);
    QVERIFY(::listen(listener, 0) == 0);
    QVERIFY(::getsockname(listener, reinterpret_cast<sockaddr *>(&local), &length) == 0);
    SocketDevice queued; // fills the queue of one
    QVERIFY(queued.connect(QHostAddress(QHostAddress::LocalHost), ntohs(local.sin_port)));
    LogCapture capture;
    HttpClient client;
    QVERIFY(!client.request(QStringLiteral("127.0.0.1"), ntohs(local.sin_port),
                            HttpRequestHeader(QStringLiteral("GET"), QStringLiteral("/"))));
    QVERIFY(capture.contains(QStringLiteral("no answer within 2000 ms")));
    ::close(listener);
}

void TestHttpClient::requestWhileReadingIsRefusedAsBusy()
{
    m_ipv4->setMode(SimulatedHttpServer::Normal);
    HttpClient client;
    ReenteringBuffer buffer;
    buffer.client = &client;
    buffer.open(QIODevice::WriteOnly);
    client.setOutputDevice(&buffer);
    HttpRequestHeader header(QStringLiteral("GET"), QStringLiteral("/pellar/sm.xml"), 10);
    QVERIFY(client.request(m_ipv4->host(), m_ipv4->port(), header));
    QVERIFY(!buffer.second);
    QCOMPARE(buffer.state, int(HttpClient::Reading));
    QCOMPARE(buffer.data(), kDocument);
}

QTEST_GUILESS_MAIN(TestHttpClient)
#include "tst_httpclient.moc"
