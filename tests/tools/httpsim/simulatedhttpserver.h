#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// The HTTP server of a simulated network printer: a real server on a loopback address, serving
// "/pellar/sm.xml" from a directory the test fills, and misbehaving on demand.
//
//     SimulatedHttpServer printer(SimulatedHttpServer::IPv6);   // on ::1, port 80
//     printer.setDocument("<?xml version=\"1.0\"?>...");
//     client.request(printer.host(), printer.port(), header);     // host() is "[::1]"
//     printer.setMode(SimulatedHttpServer::Trickle);              // the next request trickles
//     QVERIFY(printer.requests().contains("GET /pellar/sm.xml HTTP/1.0"));
//
// IPv4 servers take the first free 127.0.0.x (x from 2), so parallel tests do not meet. The
// server is /usr/bin/python3 running httpprinter.py; it is killed by its PID with the fixture
// and ends by itself after ten minutes or with the test process; a stalled answer lasts 30 s
// at most.
class SimulatedHttpServer
{
public:
    enum Family { IPv4, IPv6 };
    enum Mode {
        Normal, // the document as HTTP/1.0 with a Content-Length, then close
        HangAfterHeader, // the header, then silence
        Trickle, // the header, then one byte every 0.9 s
        HugeBody, // 100 MiB announced and sent
        HugeBodyWithoutLength, // 100 MiB up to the close, no Content-Length
        CloseEarly, // half of the announced document, then close
        InvalidStatusLine, // "HTTP/1.1 abc"
        Reply // the bytes of setReply, verbatim
    };

    explicit SimulatedHttpServer(Family family = IPv4, quint16 port = 80);
    ~SimulatedHttpServer();
    SimulatedHttpServer(const SimulatedHttpServer &) = delete;
    SimulatedHttpServer &operator=(const SimulatedHttpServer &) = delete;

    bool isValid() const { return m_process.state() == QProcess::Running; }
    // "127.0.0.2" or "::1", as a printer record holds it; host() brackets an IPv6 one.
    QString address() const { return m_address; }
    QString host() const;
    quint16 port() const { return m_port; }

    // Replaced by rename: a request sees the old or the new document, never a mix.
    void setDocument(const QByteArray &document) const;
    void setMode(Mode mode) const;
    // Reply mode: these bytes, then close (or keep the connection open while the client waits).
    void setReply(const QByteArray &bytes, bool keepOpen = false) const;
    // Each request's request line and header lines, CR LF ended, in arrival order.
    QByteArray requests() const;

    void stop();

private:
    bool start(const QString &address);
    void writeControl(const QString &name, const QByteArray &bytes) const;

    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_address;
    quint16 m_port;
};
