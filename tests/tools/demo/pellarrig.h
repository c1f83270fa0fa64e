#pragma once

#include "tests/tools/privatecupsserver.h"
#include "tests/tools/snifixture.h"
#include "tests/tools/x11fixture.h"
#include "usbsim.h"

class OrdinaryAccount;

#include <QHash>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// The staged Pellar at work on a machine of its own making: a private cupsd with a queue for the
// fictional Quillon C410, the simulated USB printer behind that queue, session and system buses
// of its own (cupsd's D-Bus notifier reaches Pellar on the latter), and Pellar started on the
// display of $DISPLAY with the USB shim preloaded (never linked into the product). Seen and
// driven from outside, the way a user sees and drives it.
class PellarRig
{
public:
    static const QString kQueue;
    // A status as the printer reports it: kind and printing bits, status id, then the toner
    // levels of black, cyan, magenta and yellow in percent.
    static QByteArray status(quint8 kind, quint32 id, const QByteArray &levels);

    PellarRig();
    ~PellarRig();
    PellarRig(const PellarRig &) = delete;
    PellarRig &operator=(const PellarRig &) = delete;

    // Waits for the display's tray host, starts the buses, cupsd with the queue and plugs the
    // printer in; false with a message on stderr.
    bool prepare();
    // Pellar runs as this account from now on (null: as the test); the simulation's files
    // become the account's to use.
    bool setAccount(const OrdinaryAccount *account);
    // Starts Pellar with these words; its standard error goes to logFile (empty: discarded).
    bool startPellar(const QString &executable, const QStringList &words, const QString &logFile);
    // Ends Pellar with SIGTERM (SIGKILL after 10 s); its exit code, or -1.
    int stopPellar();
    qint64 pellarPid() const { return m_pellar.processId(); }
    qint64 cupsdPid() const { return m_cups.pid(); }
    bool isPellarRunning() const { return m_pellar.state() != QProcess::NotRunning; }
    // Whether Pellar holds a connection to the private system bus, as it does while it learns of
    // jobs from cupsd's D-Bus notifier.
    bool isPellarOnSystemBus() const;

    UsbSimDevice &printer() { return m_printer; }
    const PrivateSessionBus &sessionBus() const { return m_sessionBus; }
    // CPU time that a plain simulated printer spent inside Pellar so far, in seconds.
    double simulatedPrinterSeconds() const;
    PrivateCupsServer &cups() { return m_cups; }

    // Waits for a line of Pellar's log that matches, after the given offset in the log; its
    // captures (empty list after the time-out). The offset moves past the line.
    QStringList waitForLog(const QString &pattern, qint64 *offset, int timeoutMs = 15000);
    qint64 logSize() const;

    // The docked tray icon (0 when not docked), and Pellar's other windows (0 when not shown):
    // the panel, a message box standing over it, a tooltip.
    enum class Shown { Panel, MessageBox, ToolTip };
    unsigned long trayIcon() const;
    unsigned long window(Shown kind) const;
    unsigned long panel() const { return window(Shown::Panel); }
    // Answers a message box with Return, as a user would.
    bool dismissMessageBox();
    bool waitForTrayIcon(int timeoutMs = 20000);
    bool waitForPanel(int timeoutMs = 10000);
    // A left click in the middle of the docked icon, as a user makes it.
    bool clickTrayIcon();
    // Opens the icon's menu with a right click and takes the entry `steps` down from the top (up
    // from the bottom when negative), as a user does with the arrow keys.
    bool chooseFromMenu(int steps);
    // Once a window of Pellar's with this title shows, gives it the keys (xdotool's names).
    bool typeIntoWindow(const QString &title, const QStringList &keys, int timeoutMs = 10000);
    // The pointer comes to rest on the icon; true once its tooltip shows.
    bool hoverTrayIcon();
    // The pointer goes to a corner, and the icon's tooltip with it.
    bool leaveTrayIcon();

    // What the screen shows in a window's area (tray: the tray host and the tooltip).
    QImage grabWindow(unsigned long window) const;
    QImage grabTray() const;
    QImage grabPanel() const;
    // A grab taken again until two in a row agree, so that it does not catch a half-painted
    // window.
    static QImage settled(const std::function<QImage()> &grab);

private:
    // Waits for `done` while Pellar runs; false after the time-out or when it ended.
    bool waitWhileRunning(const std::function<bool()> &done, int timeoutMs) const;
    QRect rootRect(unsigned long window) const;
    QImage grabRoot(const QRect &rect) const;

    void *m_display = nullptr;
    UsbSim m_usb;
    UsbSimDevice m_printer;
    PrivateSessionBus m_sessionBus;
    PrivateSessionBus m_systemBus{PrivateSessionBus::System};
    PrivateCupsServer m_cups;
    X11Fixture m_x11;
    QProcess m_pellar;
    // Pellar's session runtime and configuration directories: neither the user's lock nor state.
    QTemporaryDir m_userDirs;
    QString m_logFile;
    const OrdinaryAccount *m_account = nullptr;
};

// CPU time of a process's threads from the scheduler's nanosecond figures, where clock ticks
// are too coarse for a program that idles. Sampled now and then: a thread that ends loses only
// what it spent since the last sample.
class CpuMeter
{
public:
    explicit CpuMeter(qint64 pid);
    void sample();
    // Spent since construction, as of the last sample.
    double seconds() const;
    // The same by thread name, the busiest first (a thread gone by now is named by its id).
    QList<QPair<QString, double>> threads() const;

private:
    qint64 m_pid;
    QHash<QString, double> m_first;
    QHash<QString, double> m_last;
};
// Its resident memory in KiB, from /proc; -1 when it is gone.
qint64 residentKiBOf(qint64 pid);
