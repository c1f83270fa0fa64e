#include "tests/tools/x11fixture.h"

#include "tests/tools/endwithparent.h"

#include <QDeadlineTimer>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {
Display *dpy(void *display)
{
    return static_cast<Display *>(display);
}
} // namespace

X11Fixture::X11Fixture(const QByteArray &displayName)
    : m_display(XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData()))
{ }

X11Fixture::~X11Fixture()
{
    if (m_display)
        XCloseDisplay(dpy(m_display));
}

unsigned long X11Fixture::selectionOwner(const QByteArray &atomName) const
{
    if (!m_display)
        return 0;
    const Atom atom = XInternAtom(dpy(m_display), atomName.constData(), True);
    if (atom == None)
        return 0;
    return XGetSelectionOwner(dpy(m_display), atom);
}

bool X11Fixture::waitForSelectionOwner(const QByteArray &atomName, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (selectionOwner(atomName))
            return true;
        QThread::msleep(20);
    }
    return false;
}

void X11Fixture::writeProperty(unsigned long window, const QByteArray &property,
                               const QByteArray &type, int format, const QByteArray &data)
{
    if (!m_display)
        return;
    const Atom propertyAtom = XInternAtom(dpy(m_display), property.constData(), False);
    const Atom typeAtom = XInternAtom(dpy(m_display), type.constData(), False);
    const int elements = int(data.size()) / (format / 8);
    XChangeProperty(dpy(m_display), window, propertyAtom, typeAtom, format, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(data.constData()), elements);
    XFlush(dpy(m_display));
}

QPoint X11Fixture::rootPosition(unsigned long window) const
{
    int x = 0, y = 0;
    Window child = 0;
    if (m_display)
        XTranslateCoordinates(dpy(m_display), window, DefaultRootWindow(dpy(m_display)), 0, 0, &x,
                              &y, &child);
    return QPoint(x, y);
}

unsigned long X11Fixture::dockedWindow(const QByteArray &className) const
{
    if (!m_display)
        return 0;
    Display *display = dpy(m_display);
    const Window root = DefaultRootWindow(display);
    QList<Window> pending{root};
    while (!pending.isEmpty()) {
        const Window window = pending.takeFirst();
        Window rootReturn = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &rootReturn, &parent, &children, &count))
            continue;
        for (unsigned int i = 0; i < count; ++i)
            pending.append(children[i]);
        if (children)
            XFree(children);
        XClassHint hint;
        XWindowAttributes attributes;
        if (window == root || parent == root || !XGetClassHint(display, window, &hint))
            continue;
        const bool match = className == hint.res_name;
        XFree(hint.res_name);
        XFree(hint.res_class);
        if (match && XGetWindowAttributes(display, window, &attributes)
            && attributes.map_state == IsViewable)
            return window;
    }
    return 0;
}

PrivateXSession::PrivateXSession()
{
    // Xvfb picks a free display and names it on standard output.
    m_server.setStandardErrorFile(QProcess::nullDevice());
    endWithParent(m_server);
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("800x600x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && !m_server.canReadLine()
           && m_server.state() != QProcess::NotRunning)
        m_server.waitForReadyRead(100);
    const QByteArray number = m_server.readLine().trimmed();
    if (!number.isEmpty())
        m_display = ':' + number;
}

PrivateXSession::~PrivateXSession()
{
    stopTrayHost();
    m_server.terminate();
    if (!m_server.waitForFinished(5000))
        m_server.kill();
    m_server.waitForFinished(5000);
}

bool PrivateXSession::startTrayHost(int height)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_display));
    m_trayHost.setProcessEnvironment(environment);
    m_trayHost.setStandardOutputFile(QProcess::nullDevice());
    m_trayHost.setStandardErrorFile(QProcess::nullDevice());
    endWithParent(m_trayHost);
    m_trayHost.start(QStringLiteral("trayer"),
                     {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                      QStringLiteral("left"), QStringLiteral("--widthtype"),
                      QStringLiteral("request"), QStringLiteral("--height"),
                      QString::number(height)});
    return X11Fixture(m_display).waitForSelectionOwner("_NET_SYSTEM_TRAY_S0");
}

void PrivateXSession::stopTrayHost()
{
    if (m_trayHost.state() == QProcess::NotRunning)
        return;
    m_trayHost.kill();
    m_trayHost.waitForFinished(5000);
}
