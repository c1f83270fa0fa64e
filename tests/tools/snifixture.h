#pragma once

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpressionMatch>
#include <QTemporaryDir>

// A session bus of the test's own, so that nothing reaches the desktop's. Stopped by its PID.
// As a system bus it listens on an abstract socket, which services running as other users
// (cupsd's notifiers run as lp) reach as well.
class PrivateSessionBus
{
public:
    enum Kind { Session, System };
    explicit PrivateSessionBus(Kind kind = Session);
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus &) = delete;
    PrivateSessionBus &operator=(const PrivateSessionBus &) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }
    // The environment of a program on this bus (and on a display, when one is named).
    QProcessEnvironment environment(const QByteArray &display = QByteArray()) const;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

// A script of tests/tools on a private bus that speaks in lines: one per event or answer, "ready"
// once it serves. Stopped by its PID.
class BusScript
{
public:
    ~BusScript();
    // Starts it with Debian's interpreter (the gi bindings are its package) and waits for "ready".
    bool start(const PrivateSessionBus &bus, const QString &script,
               const QStringList &arguments = QStringList());
    void stop();

    // The first line from now on, or from the start with `fromStart`, that matches.
    QRegularExpressionMatch waitForLine(const QRegularExpression &pattern, int timeoutMs = 30000,
                                        bool fromStart = false);
    void write(const QByteArray &line) { m_process.write(line + '\n'); }
    QString output() const { return QString::fromUtf8(m_output); }
    // The lines so far that begin so.
    int count(const QByteArray &start);

private:
    QProcess m_process;
    QByteArray m_output;
    qsizetype m_seen = 0;
};

// The StatusNotifierWatcher of tests/tools/sniwatcher.py, with a registered host: answers one
// line per command (probe, menu, activate, click LABEL) and logs registrations and signals.
class SniWatcher : public BusScript
{
public:
    // A hanging watcher answers no call; a half-hung one all but Introspect; one hanging after
    // the check answers the first Get and Introspect only.
    enum Mode { Answering, Hanging, HalfHung, HangingAfterCheck };
    // Starts it on the bus and waits until it owns the watcher's name.
    bool start(const PrivateSessionBus &bus, Mode mode = Answering);

    // Sends a command and returns its answer's JSON (null on an error or time-out).
    QJsonDocument request(const QByteArray &command, const QByteArray &answer);
    bool command(const QByteArray &command, const QByteArray &answer);
    // The picture a host would draw from a probe's answer.
    static QImage itemIcon(const QJsonObject &item);
};
