#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

// A printer port on 127.0.0.1 for socket:// queues: it takes each job to its end and closes
// the connection, so that the job completes. Serves on its own thread while it lives.
class LoopbackPrinterPort
{
public:
    LoopbackPrinterPort();
    ~LoopbackPrinterPort();
    LoopbackPrinterPort(const LoopbackPrinterPort &) = delete;
    LoopbackPrinterPort &operator=(const LoopbackPrinterPort &) = delete;

    bool isListening() const { return m_listener >= 0; }
    quint16 port() const { return m_port; }
    // The device URI of a queue printing here, without the backend's SNMP probe (seconds).
    QString deviceUri() const;
    // Jobs received completely.
    int jobsReceived() const { return m_jobs.load(); }

private:
    void serve();

    int m_listener = -1;
    int m_wake[2] = {-1, -1};
    quint16 m_port = 0;
    std::atomic<int> m_jobs{0};
    std::thread m_thread;
};

// The machine's CUPS server for a test. Starts cupsd when it is not running and stops it again
// when the last fixture of any test program on the machine goes, if a fixture started it.
// Queues are added under unique names and removed with their jobs when the fixture goes; those
// left behind by a test program that died are removed by the next fixture.
class CupsFixture
{
public:
    CupsFixture();
    ~CupsFixture();
    CupsFixture(const CupsFixture &) = delete;
    CupsFixture &operator=(const CupsFixture &) = delete;

    bool isReady() const { return m_ready; }
    QString error() const { return m_error; }

    // The PPD of the fictional model, kept in the repository.
    static QString projectPpd();
    static bool serverRunning();

    // Adds an enabled queue and returns its name ("" on failure). The label ends the name;
    // an empty PPD path adds a queue without PPD.
    QString addQueue(const QString &label, const QString &deviceUri,
                     const QString &ppd = projectPpd());
    bool removeQueue(const QString &name);
    // A stopped queue keeps its jobs pending.
    bool setQueueEnabled(const QString &name, bool enabled);

    // Prints a small raw job; returns its id, or -1.
    int submitJob(const QString &queue, bool held = false);
    bool cancelJob(int id);

    // Runs a program to its end (bounded); the exit code, or -1 when it failed to run.
    static int run(const QString &program, const QStringList &arguments, QString *output = nullptr);

private:
    bool acquireServer();
    void releaseServer();

    bool m_ready = false;
    QString m_error;
    QStringList m_queues;
    int m_counter = 0;
    QTemporaryDir m_files;
};
