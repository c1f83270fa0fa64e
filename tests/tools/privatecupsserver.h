#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A cupsd of the test's own: configuration, spool and socket in a temporary directory, so that a
// test can fill its job history, stop it mid-run, and meet no other test's queues or jobs.
// Point the code under test at it with CUPS_SERVER=socketPath() before it first uses CUPS.
class PrivateCupsServer
{
public:
    PrivateCupsServer();
    ~PrivateCupsServer();
    PrivateCupsServer(const PrivateCupsServer &) = delete;
    PrivateCupsServer &operator=(const PrivateCupsServer &) = delete;

    bool start();
    // A variable for the notifiers (cupsd hands its own environment to none of them); set
    // before start(). The machine's notifiers run unchanged behind a wrapper that sets it.
    void setNotifierEnvironment(const QString &name, const QString &value)
    {
        m_notifierEnvironment.append(name + QLatin1Char('=') + value);
    }
    // Only the requests that change something in the access log, as Debian's cupsd keeps it: for
    // a benchmark, where logging every request would be the server's largest cost. Before start().
    void setQuietAccessLog() { m_quietAccessLog = true; }
    // The web interface on, as a desktop's cupsd has it. Before start().
    void setWebInterface() { m_webInterface = true; }
    // Listening on a free loopback port too, as a desktop's cupsd does on 631. Before start().
    void setTcpListener() { m_tcpListener = true; }
    // The port it listens on besides its socket; 0 without one.
    quint16 tcpPort() const { return m_tcpPort; }
    void stop();
    bool isRunning() const { return m_cupsd.state() == QProcess::Running; }
    qint64 pid() const { return m_cupsd.processId(); }
    QString socketPath() const { return m_dir.path() + QStringLiteral("/cups.sock"); }

    QString ppdDirectory() const { return m_dir.path() + QStringLiteral("/root/ppd"); }
    // Every request the server was asked (unless quiet), one line each with the operation's name.
    QString accessLog() const { return m_dir.path() + QStringLiteral("/log/access_log"); }

    // An enabled queue, raw without a PPD; false when lpadmin failed. Besides the machine's
    // backends the server knows "mfp" (a backend that takes every job).
    bool addQueue(const QString &name, const QString &deviceUri, const QString &ppd = QString());
    // An enabled driverless queue for an IPP Everywhere printer (lpadmin -m everywhere): the
    // printer must answer while the queue is made.
    bool addDriverlessQueue(const QString &name, const QString &deviceUri);
    bool removeQueue(const QString &name);
    bool setQueueEnabled(const QString &name, bool enabled);
    // Prints a small job; its id, or -1.
    int submitJob(const QString &queue, bool held = false);
    bool releaseJob(int id);
    // Cancelled, the job moves to the completed list.
    bool cancelJob(int id);
    // Cancels every job and forgets the job history.
    bool purgeJobs();
    // The number of jobs in the completed or in the unfinished list.
    int jobCount(bool completed);

private:
    bool wrapNotifiers(const QString &directory);
    int run(const QString &program, QStringList arguments, QString *output = nullptr,
            const QByteArray &input = QByteArray());

    QTemporaryDir m_dir;
    QProcess m_cupsd;
    QStringList m_notifierEnvironment;
    bool m_quietAccessLog = false;
    bool m_webInterface = false;
    bool m_tcpListener = false;
    quint16 m_tcpPort = 0;
};
