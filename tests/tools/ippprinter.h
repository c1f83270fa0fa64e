#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class PrivateSessionBus;

// An IPP Everywhere printer of the test's own: Debian's ippeveprinter on a free loopback port,
// with its spool, its job command and a system bus of its own (it will not start without one)
// in a temporary directory. Its state reasons and supplies change through the lines its job
// command writes: each change prints a small job straight to it, not through cupsd.
class IppPrinterSimulator
{
public:
    IppPrinterSimulator();
    ~IppPrinterSimulator();
    IppPrinterSimulator(const IppPrinterSimulator &) = delete;
    IppPrinterSimulator &operator=(const IppPrinterSimulator &) = delete;

    // Starts it and waits (bounded) until it answers IPP requests.
    bool start();
    void stop();
    // SIGSTOP: it keeps its port and takes connections, but answers nothing until resumed.
    bool pause();
    bool resume();
    // SIGKILL, as a printer switched off: its port refuses connections. start() brings it back,
    // on another port.
    bool kill();
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    qint64 pid() const { return m_process.processId(); }
    quint16 port() const { return m_port; }
    // The address a driverless queue prints to.
    QString uri() const;

    // Adds ("+media-jam") or removes ("-media-jam") state reasons; true once the printer took
    // them. It keeps a reason without suffix and adds "-report" while idle.
    bool changeReasons(const QStringList &changes);
    // Sets the marker-* attributes, values separated by commas ("#000000,#00FFFF"), a name with
    // a space in double quotes; an empty value leaves that attribute as it is.
    bool setMarkers(const QString &names, const QString &colors, const QString &levels,
                    const QString &lowLevels, const QString &types);

private:
    // Prints a job whose command writes these lines to the printer and waits for its end.
    bool applyLines(const QByteArray &lines);
    bool answers();

    QTemporaryDir m_dir;
    std::unique_ptr<PrivateSessionBus> m_bus;
    QProcess m_process;
    quint16 m_port = 0;
};
