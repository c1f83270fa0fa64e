#include "ui/xembeddock.h"

#include "base/functions.h"
#include "ui/trayart.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

#include <functional>
#include <xcb/xcb.h>

// Xlib after Qt: it defines None, Bool and Status as macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

// Hands every X event Qt reads to a function; removed again with the object.
class X11EventWatcher : public QAbstractNativeEventFilter
{
public:
    explicit X11EventWatcher(std::function<void(const xcb_generic_event_t *)> onEvent)
        : m_onEvent(std::move(onEvent))
    {
        qApp->installNativeEventFilter(this);
    }
    ~X11EventWatcher() override { qApp->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type == "xcb_generic_event_t")
            m_onEvent(static_cast<const xcb_generic_event_t *>(message));
        return false;
    }

private:
    std::function<void(const xcb_generic_event_t *)> m_onEvent;
};

namespace {

const int kFreeDesktopEdge = 22;
const long kSystemTrayRequestDock = 0;

Display *x11Display()
{
    if (!qGuiApp)
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

Atom trayManagerSelection(Display *display)
{
    char name[32];
    snprintf(name, sizeof name, "_NET_SYSTEM_TRAY_S%d", DefaultScreen(display));
    return XInternAtom(display, name, False);
}

int g_trappedErrorCode = 0;
XErrorHandler g_previousErrorHandler = nullptr;

int trapErrors(Display *display, XErrorEvent *error)
{
    g_trappedErrorCode = error->error_code;
    return g_previousErrorHandler ? g_previousErrorHandler(display, error) : 0;
}

// True when the manager took the request without an X error.
bool sendDockRequest(Display *display, Window manager, Window window)
{
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = manager;
    event.xclient.message_type = XInternAtom(display, "_NET_SYSTEM_TRAY_OPCODE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = CurrentTime;
    event.xclient.data.l[1] = kSystemTrayRequestDock;
    event.xclient.data.l[2] = long(window);

    g_trappedErrorCode = 0;
    g_previousErrorHandler = XSetErrorHandler(trapErrors);
    XSendEvent(display, manager, False, NoEventMask, &event);
    XSync(display, False);
    XSetErrorHandler(g_previousErrorHandler);
    return g_trappedErrorCode == 0;
}

int channel(unsigned long pixel, unsigned long mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const unsigned long max = mask >> shift;
    return int(((pixel & mask) >> shift) * 255 / max);
}

// What the tray shows behind a window with a parent-relative background: cleared to it and read
// back before Qt paints. Null when it cannot be read.
QImage parentBackground(Display *display, Window window)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.width <= 0
        || attributes.height <= 0)
        return QImage();
    g_trappedErrorCode = 0;
    g_previousErrorHandler = XSetErrorHandler(trapErrors);
    XClearArea(display, window, 0, 0, 0, 0, False);
    XImage *ximage = XGetImage(display, window, 0, 0, unsigned(attributes.width),
                               unsigned(attributes.height), AllPlanes, ZPixmap);
    XSync(display, False);
    XSetErrorHandler(g_previousErrorHandler);
    if (!ximage || g_trappedErrorCode)
        return QImage();
    QImage image(attributes.width, attributes.height, QImage::Format_RGB32);
    for (int y = 0; y < attributes.height; ++y) {
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long pixel = XGetPixel(ximage, x, y);
            image.setPixel(x, y,
                           qRgb(channel(pixel, ximage->red_mask),
                                channel(pixel, ximage->green_mask),
                                channel(pixel, ximage->blue_mask)));
        }
    }
    XDestroyImage(ximage);
    return image;
}

void setDockHints(Display *display, Window window, Window iconWindow)
{
    XClassHint classHint;
    char resName[] = "pellar";
    char resClass[] = "Pellar";
    classHint.res_name = resName;
    classHint.res_class = resClass;
    XSetClassHint(display, window, &classHint);

    XWMHints *existing = XGetWMHints(display, window);
    XWMHints hints;
    if (existing)
        hints = *existing;
    else
        memset(&hints, 0, sizeof hints);
    hints.flags = StateHint | IconWindowHint | WindowGroupHint;
    hints.initial_state = WithdrawnState;
    hints.icon_window = iconWindow;
    hints.icon_x = 0;
    hints.icon_y = 0;
    hints.window_group = window;
    XSetWMHints(display, window, &hints);
    if (existing)
        XFree(existing);
}

} // namespace

XEmbedDock::XEmbedDock(QObject *mouseReceiver, const QPixmap &icon)
    : m_mouseReceiver(mouseReceiver)
{
    setObjectName(QStringLiteral("psidock"));
    setAttribute(Qt::WA_NoSystemBackground);
    // Qt shows tooltips of inactive windows only with this; the tray icon never is active.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    // The size asked for; the tray may give its slot another, which the icon is drawn to fill.
    resize(kFreeDesktopEdge, kFreeDesktopEdge);
    winId();
    // The tray sizes its slot from the base size, which Qt writes only with an increment
    // and only once the window exists.
    setBaseSize(kFreeDesktopEdge, kFreeDesktopEdge);
    setSizeIncrement(1, 1);
    if (Display *display = x11Display())
        XSetWindowBackgroundPixmap(display, Window(winId()), ParentRelative);
    dock();
    if (m_managerFound)
        setDockPixmap(icon);
}

XEmbedDock::~XEmbedDock() = default;

bool XEmbedDock::hasDisplay()
{
    return x11Display() != nullptr;
}

void XEmbedDock::dock()
{
    Display *display = x11Display();
    if (!display) {
        debugPrintf("########## manager_window != None: %s #############", "false");
        return;
    }
    const Window window = Window(winId());
    setDockHints(display, window, window);
    // Qt has selected events on the root already; add to its mask, never replace it.
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, root, &attributes))
        XSelectInput(display, root, attributes.your_event_mask | StructureNotifyMask);

    const Atom selection = trayManagerSelection(display);
    XGrabServer(display);
    const Window manager = XGetSelectionOwner(display, selection);
    if (manager != None) {
        m_managerFound = true;
        XSelectInput(display, manager, StructureNotifyMask);
    }
    XUngrabServer(display);
    XFlush(display);
    if (manager == None) {
        debugPrintf("########## manager_window != None: %s #############", "false");
        return;
    }

    m_reparentWatcher = std::make_unique<X11EventWatcher>(
            [this, window, root](const xcb_generic_event_t *event) {
                if ((event->response_type & ~0x80) != XCB_REPARENT_NOTIFY)
                    return;
                const auto *reparent = reinterpret_cast<const xcb_reparent_notify_event_t *>(event);
                if (reparent->window != window)
                    return;
                // Back on the root means the tray went away: no stray window on the desktop.
                if (reparent->parent == root) {
                    hide();
                    return;
                }
                show();
                readBackground();
                update();
            });
    const bool sent = sendDockRequest(display, manager, window);
    debugPrintf("########## dock request result: %s #############", sent ? "true" : "false");

    const long zero = 0;
    const Atom kwmDockWindow = XInternAtom(display, "KWM_DOCKWINDOW", False);
    const Atom trayWindowFor = XInternAtom(display, "_KDE_NET_WM_SYSTEM_TRAY_WINDOW_FOR", False);
    XChangeProperty(display, window, kwmDockWindow, kwmDockWindow, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&zero), 1);
    XChangeProperty(display, window, trayWindowFor, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&zero), 1);
    XFlush(display);
}

void XEmbedDock::setDockPixmap(const QPixmap &pixmap, const QString &state)
{
    m_pixmap = pixmap;
    m_state = state;
    setWindowIcon(pixmap);
    sizePixmap();
    update();
}

void XEmbedDock::sizePixmap()
{
    const int edge = qMin(width(), height());
    m_sized = m_state.isEmpty() ? TrayArt::scaled(m_pixmap, edge, devicePixelRatioF())
                                : TrayArt::sized(m_state, edge, devicePixelRatioF());
}

void XEmbedDock::readBackground()
{
    Display *display = x11Display();
    if (!display)
        return;
    m_background = parentBackground(display, Window(winId()));
    m_background.setDevicePixelRatio(devicePixelRatioF());
}

void XEmbedDock::resizeEvent(QResizeEvent *)
{
    // Trays set the slot's height from their panel and take the width asked for: ask for a
    // square so that the icon can fill a panel of any height.
    if (m_managerFound && height() > 0 && baseSize() != QSize(height(), height()))
        setBaseSize(height(), height());
    sizePixmap();
    if (!m_background.isNull())
        readBackground();
}

void XEmbedDock::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Qt paints the whole window, so the tray's background is painted from a copy.
    if (m_background.isNull())
        painter.fillRect(rect(), palette().window());
    else
        painter.drawImage(0, 0, m_background);
    const QSizeF size = m_sized.deviceIndependentSize();
    painter.drawPixmap(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2),
                       m_sized);
}

void XEmbedDock::mousePressEvent(QMouseEvent *event)
{
    QApplication::sendEvent(m_mouseReceiver, event);
}

void XEmbedDock::mouseReleaseEvent(QMouseEvent *event)
{
    QApplication::sendEvent(m_mouseReceiver, event);
}

void XEmbedDock::mouseDoubleClickEvent(QMouseEvent *event)
{
    QApplication::sendEvent(m_mouseReceiver, event);
}

void XEmbedDock::mouseMoveEvent(QMouseEvent *event)
{
    QApplication::sendEvent(m_mouseReceiver, event);
}

void XEmbedDock::closeEvent(QCloseEvent *event)
{
    Q_EMIT closed();
    event->accept();
}

XEmbedTrayWatcher::XEmbedTrayWatcher(QObject *parent)
    : QObject(parent)
{
    Display *display = x11Display();
    if (!display)
        return;
    const Window root = DefaultRootWindow(display);
    const Atom managerAtom = XInternAtom(display, "MANAGER", False);
    const Atom selection = trayManagerSelection(display);
    m_watcher = std::make_unique<X11EventWatcher>(
            [this, root, managerAtom, selection](const xcb_generic_event_t *event) {
                if ((event->response_type & ~0x80) != XCB_CLIENT_MESSAGE)
                    return;
                const auto *message = reinterpret_cast<const xcb_client_message_event_t *>(event);
                if (message->window != root || message->type != managerAtom || message->format != 32
                    || message->data.data32[1] != selection)
                    return;
                QMetaObject::invokeMethod(
                        this, [this] { Q_EMIT managerAppeared(); }, Qt::QueuedConnection);
            });
}

XEmbedTrayWatcher::~XEmbedTrayWatcher() = default;
