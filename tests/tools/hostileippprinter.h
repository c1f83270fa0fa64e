#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A printer that answers Get-Printer-Attributes as the test tells it: thousands of supplies or
// state reasons, values of the largest size IPP allows, or no answer at all. It is
// /usr/bin/python3 running hostileippprinter.py on a free port of 127.0.0.1, killed by its PID
// with the fixture, and gone by itself with the test process or after ten minutes.
class HostileIppPrinter
{
public:
    enum Mode {
        Normal,
        Hang, // takes the connection, never answers
        Trickle // the HTTP header, then a byte every 0.5 s
    };
    struct Reply
    {
        int supplies = 4;
        int reasons = 2;
        // The state message, the first marker's name and the first reason this long; 0: short.
        int textBytes = 0;
        Mode mode = Normal;
        // Sent in chunks of this size without a length; 0: the length first.
        int chunkBytes = 0;
    };

    HostileIppPrinter() = default;
    ~HostileIppPrinter();
    HostileIppPrinter(const HostileIppPrinter &) = delete;
    HostileIppPrinter &operator=(const HostileIppPrinter &) = delete;

    bool start();
    void stop();
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    // The address a queue prints to.
    QString uri() const;
    // From the next request on.
    bool setReply(const Reply &reply);

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};
