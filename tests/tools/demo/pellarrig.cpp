#include "pellarrig.h"

#include "ordinaryaccount.h"
#include "tests/tools/quillonprinter.h"

#include "tests/tools/endwithparent.h"
#include "tests/tools/testfiles.h"
#include "usbsimstate.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <cstdlib>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

Display *dpy(void *display)
{
    return static_cast<Display *>(display);
}

Window clientLeader(Display *display, Window window)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    Window leader = 0;
    if (XGetWindowProperty(display, window, XInternAtom(display, "WM_CLIENT_LEADER", False), 0, 1,
                           False, XA_WINDOW, &type, &format, &count, &after, &data)
                == Success
        && data && format == 32 && count == 1)
        leader = *reinterpret_cast<Window *>(data);
    if (data)
        XFree(data);
    return leader;
}

// A viewable window of Pellar's other than the docked icon: the panel, a message box, or a tooltip
// (no window manager decides where it goes).
bool isPellarWindow(Display *display, Window window, PellarRig::Shown kind)
{
    XClassHint hint;
    if (!XGetClassHint(display, window, &hint))
        return false;
    const QByteArray name = QByteArray(hint.res_name).toLower();
    const QByteArray className = QByteArray(hint.res_class).toLower();
    XFree(hint.res_name);
    XFree(hint.res_class);
    XWindowAttributes attributes;
    if (name != "pellar" || className != "pellar"
        || !XGetWindowAttributes(display, window, &attributes)
        || attributes.map_state != IsViewable)
        return false;
    if (attributes.override_redirect)
        return kind == PellarRig::Shown::ToolTip;
    // The docked icon has the same class; the tray is its parent.
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    const bool queried = XQueryTree(display, window, &root, &parent, &children, &count);
    if (children)
        XFree(children);
    if (!queried || parent != root)
        return false;
    // A message box is transient for the panel; Qt makes a dialog without a parent transient for
    // its client leader.
    Window owner = 0;
    const bool panel = !XGetTransientForHint(display, window, &owner) || owner == 0 || owner == root
            || owner == clientLeader(display, window);
    return kind == (panel ? PellarRig::Shown::Panel : PellarRig::Shown::MessageBox);
}

// Every window below the root, breadth first, until the predicate holds for one (0: none).
Window findWindow(Display *display, const std::function<bool(Window)> &predicate)
{
    QList<Window> pending{DefaultRootWindow(display)};
    while (!pending.isEmpty()) {
        const Window window = pending.takeFirst();
        if (predicate(window))
            return window;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count))
            continue;
        for (unsigned int i = 0; i < count; ++i)
            pending.append(children[i]);
        if (children)
            XFree(children);
    }
    return 0;
}

// Input as a user makes it, through the XTEST extension; false when it failed or took over 5 s.
bool xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// xdotool's --sync waits for a motion, and there is none to a place the pointer is at already.
bool movePointer(Display *display, const QPoint &point)
{
    Window root = 0, child = 0;
    int x = 0, y = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &windowX, &windowY,
                  &mask);
    return QPoint(x, y) == point
            || xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"),
                        QString::number(point.x()), QString::number(point.y())});
}

} // namespace

const QString PellarRig::kQueue = QStringLiteral("Quillon_C410");

QByteArray PellarRig::status(quint8 kind, quint32 id, const QByteArray &levels)
{
    QByteArray block;
    block.append(char(kind)).append(char(id >> 16)).append(char(id >> 8)).append(char(id));
    return block + levels.left(4);
}

// What the rig started, for a signal that ends the driver before its destructors run.
std::atomic<pid_t> g_pellarPid{0};
std::atomic<pid_t> g_cupsdPid{0};

void stopChildrenAndExit(int signal)
{
    for (const std::atomic<pid_t> *pid : {&g_pellarPid, &g_cupsdPid}) {
        if (const pid_t child = pid->load())
            ::kill(child, SIGTERM);
    }
    _exit(128 + signal);
}

// Windows come and go while they are looked at; a request on one that is gone just fails.
int ignoreError(Display *, XErrorEvent *)
{
    return 0;
}

PellarRig::PellarRig()
    : m_display(XOpenDisplay(nullptr))
{
    XSetErrorHandler(ignoreError);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        std::signal(signal, stopChildrenAndExit);
}

PellarRig::~PellarRig()
{
    stopPellar();
    m_cups.stop();
    g_cupsdPid = 0;
    if (m_display)
        XCloseDisplay(dpy(m_display));
}

bool PellarRig::prepare()
{
    if (!m_display || !m_usb.isValid()) {
        fprintf(stderr, "no X display or no simulation directory\n");
        return false;
    }
    // A tray host started just before may take a while on a busy machine.
    if (!m_x11.waitForSelectionOwner("_NET_SYSTEM_TRAY_S0", 60000)) {
        fprintf(stderr, "no tray host on the display\n");
        return false;
    }
    // Never the desktop's buses: Pellar's icon would land in its panel.
    if (!m_sessionBus.isRunning() || !m_systemBus.isRunning()) {
        fprintf(stderr, "cannot start private session and system buses\n");
        return false;
    }
    m_cups.setNotifierEnvironment(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_systemBus.address());
    UsbSimPrinter quillon = quillonPrinter();
    quillon.status = status(0x01, 0x010000, QByteArray::fromHex("503c4632"));
    m_printer = m_usb.addPrinter(quillon);

    // The multifunction driver's port 4 is the printer node /dev/usb/lp0; the private server's
    // "mfp" backend takes the jobs, so an `lp` job completes as on a real printer.
    const QString ppd
            = QStringLiteral(PELLAR_SOURCE_DIR "/tests/data/ppd/tessival_quillon_c400.ppd");
    if (!m_cups.start() || !m_cups.addQueue(kQueue, QStringLiteral("mfp:/dev/mfp4"), ppd)) {
        fprintf(stderr, "cannot start a private cupsd with a queue\n");
        return false;
    }
    g_cupsdPid = pid_t(m_cups.pid());
    return true;
}

bool PellarRig::startPellar(const QString &executable, const QStringList &words,
                            const QString &logFile)
{
    QProcessEnvironment environment = m_usb.childEnvironment();
    environment.insert(QStringLiteral("CUPS_SERVER"), m_cups.socketPath());
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_sessionBus.address());
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_systemBus.address());
    // The queues' PPD files are in the private server's configuration folder.
    environment.insert(QStringLiteral("CUPS_SERVERROOT"), QFileInfo(m_cups.ppdDirectory()).path());
    if (m_account) {
        // The account's own home and runtime directory.
        m_account->prepare(m_pellar, environment);
    } else {
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_userDirs.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_userDirs.path());
        m_pellar.setProcessEnvironment(environment);
        endWithParent(m_pellar);
    }
    m_pellar.setStandardInputFile(QProcess::nullDevice());
    m_pellar.setStandardOutputFile(QProcess::nullDevice());
    m_logFile = logFile;
    m_pellar.setStandardErrorFile(logFile.isEmpty() ? QProcess::nullDevice() : logFile);
    m_pellar.start(executable, words);
    if (!m_pellar.waitForStarted(10000)) {
        fprintf(stderr, "cannot start %s\n", qPrintable(executable));
        return false;
    }
    g_pellarPid = pid_t(m_pellar.processId());
    return true;
}

bool PellarRig::setAccount(const OrdinaryAccount *account)
{
    m_account = account;
    return !account || OrdinaryAccount::openToAll(m_usb.directory());
}

double PellarRig::simulatedPrinterSeconds() const
{
    const QByteArray bytes
            = readFile(m_usb.directory() + QLatin1Char('/') + QLatin1String(USBSIM_CPU_FILE));
    long long ns = 0;
    if (bytes.size() == int(sizeof ns))
        memcpy(&ns, bytes.constData(), sizeof ns);
    return double(ns) / 1e9;
}

int PellarRig::stopPellar()
{
    if (m_pellar.state() != QProcess::NotRunning) {
        ::kill(pid_t(m_pellar.processId()), SIGTERM);
        if (!m_pellar.waitForFinished(10000)) {
            fprintf(stderr, "Pellar did not end on SIGTERM within 10 s\n");
            m_pellar.kill();
            m_pellar.waitForFinished(5000);
        }
    }
    g_pellarPid = 0;
    return m_pellar.exitStatus() == QProcess::NormalExit ? m_pellar.exitCode() : -1;
}

bool PellarRig::isPellarOnSystemBus() const
{
    bool found = false;
    {
        QDBusConnection bus = QDBusConnection::connectToBus(m_systemBus.address(),
                                                            QStringLiteral("pellar-rig-system"));
        const QStringList names = bus.isConnected()
                ? bus.interface()->registeredServiceNames().value()
                : QStringList();
        for (const QString &name : names) {
            if (bus.interface()->servicePid(name).value() == uint(m_pellar.processId()))
                found = true;
        }
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("pellar-rig-system"));
    return found;
}

qint64 PellarRig::logSize() const
{
    return QFileInfo(m_logFile).size();
}

QStringList PellarRig::waitForLog(const QString &pattern, qint64 *offset, int timeoutMs)
{
    const QRegularExpression expression(pattern);
    QDeadlineTimer deadline(timeoutMs);
    do {
        QFile log(m_logFile);
        if (log.open(QIODevice::ReadOnly) && log.seek(*offset)) {
            // Whole lines only: the last one may still be written.
            const QByteArray text = log.readAll();
            const qsizetype end = text.lastIndexOf('\n') + 1;
            const QString lines = QString::fromLocal8Bit(text.left(end));
            const QRegularExpressionMatch match = expression.match(lines);
            if (match.hasMatch()) {
                const qsizetype lineEnd = lines.indexOf(QLatin1Char('\n'), match.capturedEnd());
                *offset += lines.left(lineEnd + 1).toLocal8Bit().size();
                return match.capturedTexts();
            }
        }
        QThread::msleep(50);
    } while (!deadline.hasExpired() && isPellarRunning());
    return {};
}

unsigned long PellarRig::trayIcon() const
{
    return m_x11.dockedWindow("pellar");
}

unsigned long PellarRig::window(Shown kind) const
{
    Display *display = dpy(m_display);
    return findWindow(display,
                      [&](Window window) { return isPellarWindow(display, window, kind); });
}

bool PellarRig::dismissMessageBox()
{
    const unsigned long box = window(Shown::MessageBox);
    if (!box
        || !xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(box),
                     QStringLiteral("key"), QStringLiteral("Return")}))
        return false;
    // The default button takes its click a moment later; until then input elsewhere is blocked.
    QDeadlineTimer deadline(5000);
    while (window(Shown::MessageBox) && !deadline.hasExpired())
        QThread::msleep(5);
    return true;
}

bool PellarRig::waitWhileRunning(const std::function<bool()> &done, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired() || !isPellarRunning())
            return false;
        QThread::msleep(5);
    }
    return true;
}

bool PellarRig::waitForTrayIcon(int timeoutMs)
{
    return waitWhileRunning([&] { return trayIcon() != 0; }, timeoutMs);
}

bool PellarRig::waitForPanel(int timeoutMs)
{
    return waitWhileRunning([&] { return panel() != 0; }, timeoutMs);
}

bool PellarRig::clickTrayIcon()
{
    return movePointer(dpy(m_display), rootRect(trayIcon()).center())
            && xdotool({QStringLiteral("click"), QStringLiteral("1")});
}

bool PellarRig::chooseFromMenu(int steps)
{
    if (!movePointer(dpy(m_display), rootRect(trayIcon()).center())
        || !xdotool({QStringLiteral("click"), QStringLiteral("3")}))
        return false;
    // The menu takes the keyboard once it is up.
    QThread::msleep(500);
    QStringList keys{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("100")};
    for (int step = 0; step < std::abs(steps); ++step)
        keys << (steps > 0 ? QStringLiteral("Down") : QStringLiteral("Up"));
    return xdotool(keys << QStringLiteral("Return"));
}

bool PellarRig::typeIntoWindow(const QString &title, const QStringList &keys, int timeoutMs)
{
    const QByteArray wanted = title.toUtf8();
    Display *display = dpy(m_display);
    Window found = 0;
    waitWhileRunning(
            [&] {
                found = findWindow(display, [&](Window window) {
                    char *name = nullptr;
                    XWindowAttributes attributes;
                    const bool match = XGetWindowAttributes(display, window, &attributes)
                            && attributes.map_state == IsViewable
                            && XFetchName(display, window, &name) && name && wanted == name;
                    if (name)
                        XFree(name);
                    return match;
                });
                return found != 0;
            },
            timeoutMs);
    return found
            && xdotool(QStringList{QStringLiteral("windowfocus"), QStringLiteral("--sync"),
                                   QString::number(found), QStringLiteral("key"),
                                   QStringLiteral("--delay"), QStringLiteral("100")}
                       + keys);
}

bool PellarRig::leaveTrayIcon()
{
    XWindowAttributes screen;
    XGetWindowAttributes(dpy(m_display), DefaultRootWindow(dpy(m_display)), &screen);
    if (!movePointer(dpy(m_display), QPoint(screen.width - 2, screen.height - 2)))
        return false;
    QDeadlineTimer deadline(3000);
    while (window(Shown::ToolTip) && !deadline.hasExpired())
        QThread::msleep(20);
    return true;
}

bool PellarRig::hoverTrayIcon()
{
    // Away first: a tooltip comes with a pointer that arrives and moves on the icon.
    const QPoint centre = rootRect(trayIcon()).center();
    if (!leaveTrayIcon())
        return false;
    QDeadlineTimer deadline(3000);
    if (!movePointer(dpy(m_display), centre) || !movePointer(dpy(m_display), centre + QPoint(1, 1)))
        return false;
    deadline.setRemainingTime(3000);
    while (!window(Shown::ToolTip)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

QRect PellarRig::rootRect(unsigned long window) const
{
    XWindowAttributes attributes;
    if (!window || !XGetWindowAttributes(dpy(m_display), window, &attributes))
        return QRect();
    return QRect(m_x11.rootPosition(window), QSize(attributes.width, attributes.height));
}

QImage PellarRig::grabRoot(const QRect &rect) const
{
    Display *display = dpy(m_display);
    const Window root = DefaultRootWindow(display);
    XWindowAttributes screen;
    XGetWindowAttributes(display, root, &screen);
    const QRect area = rect & QRect(0, 0, screen.width, screen.height);
    if (area.isEmpty())
        return QImage();
    XImage *image = XGetImage(display, root, area.x(), area.y(), unsigned(area.width()),
                              unsigned(area.height()), AllPlanes, ZPixmap);
    if (!image)
        return QImage();
    QImage result(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < area.width(); ++x)
            line[x] = QRgb(XGetPixel(image, x, y)) | 0xff000000u;
    }
    XDestroyImage(image);
    return result;
}

QImage PellarRig::grabWindow(unsigned long window) const
{
    return grabRoot(rootRect(window));
}

QImage PellarRig::grabTray() const
{
    // The tray host (the icon's top-level ancestor) and the tooltip, if one is shown.
    Display *display = dpy(m_display);
    Window host = trayIcon();
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!host || !XQueryTree(display, host, &root, &parent, &children, &count))
            return QImage();
        if (children)
            XFree(children);
        if (parent == root)
            break;
        host = parent;
    }
    const QRect area = rootRect(host) | rootRect(window(Shown::ToolTip));
    return grabRoot(area.adjusted(-4, -4, 4, 4));
}

QImage PellarRig::grabPanel() const
{
    return grabWindow(panel());
}

QImage PellarRig::settled(const std::function<QImage()> &grab)
{
    QImage last = grab();
    for (int i = 0; i < 30; ++i) {
        QThread::msleep(150);
        const QImage next = grab();
        if (next == last)
            return next;
        last = next;
    }
    return last;
}

CpuMeter::CpuMeter(qint64 pid)
    : m_pid(pid)
{
    sample();
    m_first = m_last;
}

void CpuMeter::sample()
{
    const QString tasks = QStringLiteral("/proc/%1/task").arg(m_pid);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            m_last.insert(task, stat.readAll().split(' ').value(0).toDouble() / 1e9);
    }
}

double CpuMeter::seconds() const
{
    double spent = 0;
    for (auto task = m_last.cbegin(); task != m_last.cend(); ++task)
        spent += task.value() - m_first.value(task.key(), 0);
    return spent;
}

QList<QPair<QString, double>> CpuMeter::threads() const
{
    QHash<QString, double> byName;
    for (auto task = m_last.cbegin(); task != m_last.cend(); ++task) {
        const QString name = QString::fromUtf8(
                readFile(QStringLiteral("/proc/%1/task/%2/comm").arg(m_pid).arg(task.key()))
                        .trimmed());
        byName[name.isEmpty() ? task.key() : name] += task.value() - m_first.value(task.key(), 0);
    }
    QList<QPair<QString, double>> spent;
    for (auto thread = byName.cbegin(); thread != byName.cend(); ++thread)
        spent.append({thread.key(), thread.value()});
    std::sort(spent.begin(), spent.end(),
              [](const auto &a, const auto &b) { return a.second > b.second; });
    return spent;
}

qint64 residentKiBOf(qint64 pid)
{
    const QByteArray status = readFile(QStringLiteral("/proc/%1/status").arg(pid));
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("VmRSS:\\s+(\\d+) kB"))
                                                  .match(QString::fromLatin1(status));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}
