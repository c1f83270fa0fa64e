#include "tests/tools/x11fixture.h"

#include <QDeadlineTimer>
#include <QThread>

#include <X11/Xlib.h>

namespace {
Display *dpy(void *display)
{
    return static_cast<Display *>(display);
}
} // namespace

X11Fixture::X11Fixture()
    : m_display(XOpenDisplay(nullptr))
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
