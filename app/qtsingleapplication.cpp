#include "app/qtsingleapplication.h"

#include "base/functions.h"

#include <QGuiApplication>
#include <QWidget>

#include <pwd.h>
#include <unistd.h>
#include <xcb/xcb.h>

// Xlib after Qt: it defines None, Bool and Status as macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

const char kTypeAtomName[] = "QtSingleApplicationType";
const int kPropertyNotify = 28;
const long kMaxPropertyLength = 1024; // in 32-bit units

Display *x11Display()
{
    if (!qGuiApp)
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

bool isAllowedAtomCharacter(unsigned char c)
{
    // Letters, digits, the printable punctuation 0x21..0x7e, space, tab and line feed.
    return (c >= 0x21 && c <= 0x7e) || c == ' ' || c == '\t' || c == '\n';
}

} // namespace

QtSingleApplication::QtSingleApplication(const QString &id, int &argc, char **argv, bool gui)
    : QApplication(argc, argv)
    , m_id(id)
{
    Q_UNUSED(gui);
    installNativeEventFilter(this);
}

QtSingleApplication::~QtSingleApplication()
{
    removeNativeEventFilter(this);
}

QByteArray QtSingleApplication::atomName(const QString &id)
{
    const struct passwd *entry = getpwuid(getuid());
    QByteArray name = entry && entry->pw_name ? QByteArray(entry->pw_name) : QByteArray();
    name += id.toLocal8Bit();
    for (char &c : name) {
        if (!isAllowedAtomCharacter(static_cast<unsigned char>(c)))
            c = '-';
    }
    return name;
}

void QtSingleApplication::claimInstance(bool activate)
{
    if (m_selectionAtom)
        return;
    Display *display = x11Display();
    if (!display) {
        debugPrintf("QtSingleApplication::claimInstance(): no X display");
        return;
    }
    const QByteArray name = atomName(m_id);
    m_selectionAtom = XInternAtom(display, name.constData(), False);
    m_typeAtom = XInternAtom(display, kTypeAtomName, False);
    if (m_selectionAtom) {
        m_listener = std::make_unique<QWidget>();
        const WId window = m_listener->winId();
        XSetSelectionOwner(display, m_selectionAtom, window, CurrentTime);
        // A round trip, so the selection is ours before anyone is told we are running.
        XSync(display, False);
    }
    if (activate)
        connect(this, &QtSingleApplication::messageReceived, this,
                &QtSingleApplication::activateMainWidget);
}

bool QtSingleApplication::otherInstanceRunning() const
{
    Display *display = x11Display();
    if (!display)
        return false;
    const Atom selection = XInternAtom(display, atomName(m_id).constData(), True);
    return selection != None && XGetSelectionOwner(display, selection) != None;
}

bool QtSingleApplication::sendMessage(const QString &message, int timeout)
{
    Q_UNUSED(timeout);
    if (!otherInstanceRunning())
        return false;
    Display *display = x11Display();
    const Atom selection = XInternAtom(display, atomName(m_id).constData(), True);
    const Atom type = XInternAtom(display, kTypeAtomName, True);
    if (selection == None || type == None)
        return false;
    const Window owner = XGetSelectionOwner(display, selection);
    if (owner == None)
        return true;
    debugPrintf("QtSingleApplication::sendMessage(): to window 0x%lx", owner);
    const QByteArray data = message.toUtf8();
    XChangeProperty(display, owner, selection, type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(data.constData()), int(data.size()));
    XFlush(display);
    return true;
}

void QtSingleApplication::activateMainWidget()
{
    const QWidgetList windows = topLevelWidgets();
    for (QWidget *widget : windows) {
        if (widget->isWindow() && widget != m_listener.get() && widget->isVisible()) {
            widget->raise();
            widget->activateWindow();
            return;
        }
    }
}

bool QtSingleApplication::nativeEventFilter(const QByteArray &eventType, void *message,
                                            qintptr *result)
{
    Q_UNUSED(result);
    if (!m_listener || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & ~0x80) != kPropertyNotify)
        return false;
    const auto *property = static_cast<const xcb_property_notify_event_t *>(message);
    if (property->window != m_listener->winId())
        return false;
    Display *display = x11Display();
    if (!display)
        return false;

    Atom actualType = None;
    int actualFormat = 0;
    unsigned long items = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    const int status = XGetWindowProperty(display, property->window, m_selectionAtom, 0,
                                          kMaxPropertyLength, False, m_typeAtom, &actualType,
                                          &actualFormat, &items, &remaining, &data);
    bool handled = false;
    if (status == Success && actualFormat == 8 && actualType == m_typeAtom) {
        const QString text
                = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(items));
        handled = true;
        Q_EMIT messageReceived(text);
    }
    if (data)
        XFree(data);
    return handled;
}
