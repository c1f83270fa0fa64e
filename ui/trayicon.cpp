#include "ui/trayicon.h"

#include "base/functions.h"
#include "ui/menuheader.h"
#include "ui/statusnotifierhost.h"
#include "ui/statusnotifieritem.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QWidget>
#include <QWidgetAction>

#include <functional>
#include <xcb/xcb.h>

// Xlib after Qt: it defines None, Bool and Status as macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

const int kFreeDesktopEdge = 22;
// A sound watcher answers within a few milliseconds; the window waits no longer than this.
const int kHostQueryTimeoutMs = 500;
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

// The host draws the menu from D-Bus, where a widget row has no text: the header becomes a
// first entry with the header's text and image (a widget row is exported disabled).
void exportHeader(QMenu *menu)
{
    auto *action = qobject_cast<QWidgetAction *>(menu ? menu->actions().value(0) : nullptr);
    auto *header = action ? qobject_cast<MenuHeader *>(action->defaultWidget()) : nullptr;
    if (!header)
        return;
    action->setText(header->textLabel->text());
    action->setIcon(header->pixmapLabel->pixmap());
}

// Drawn when the tray image could not be loaded, so that the icon can still be found.
QPixmap fallbackIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    painter.setBrush(QColor(120, 120, 120));
    painter.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    return pixmap;
}

} // namespace

// The widget that sits in the tray and forwards the mouse to its owner.
class TrayIcon::TrayIconPrivate : public QWidget
{
public:
    TrayIconPrivate(TrayIcon *owner, int edgeSize)
        : m_owner(owner)
        , m_edgeSize(edgeSize)
    {
        setObjectName(QStringLiteral("psidock"));
        setAttribute(Qt::WA_NoSystemBackground);
        // Qt shows tooltips of inactive windows only with this; the tray icon never is active.
        setAttribute(Qt::WA_AlwaysShowToolTips);
        setAttribute(Qt::WA_QuitOnClose, false);
        setFocusPolicy(Qt::NoFocus);
        setMinimumSize(edgeSize, edgeSize);
        setMaximumSize(edgeSize, edgeSize);
        resize(edgeSize, edgeSize);
        winId();
        // The tray sizes its slot from the base size, which Qt writes only with an increment
        // and only once the window exists.
        setBaseSize(edgeSize, edgeSize);
        setSizeIncrement(1, 1);
        if (Display *display = x11Display())
            XSetWindowBackgroundPixmap(display, Window(winId()), ParentRelative);
    }

    virtual void setDockHints(Window iconWindow)
    {
        Display *display = x11Display();
        if (!display)
            return;
        const Window window = Window(winId());
        XClassHint classHint;
        char resName[] = "psidock";
        char resClass[] = "Psi";
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

    virtual void setDockPixmap(const QPixmap &pixmap)
    {
        m_pixmap = pixmap;
        setWindowIcon(pixmap);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        // Qt paints the whole window, so the tray's background is painted from a copy.
        if (m_background.isNull())
            painter.fillRect(rect(), palette().window());
        else
            painter.drawImage(0, 0, m_background);
        painter.drawPixmap((width() - m_pixmap.width()) / 2, (height() - m_pixmap.height()) / 2,
                           m_pixmap);
    }
    void mousePressEvent(QMouseEvent *event) override { QApplication::sendEvent(m_owner, event); }
    void mouseReleaseEvent(QMouseEvent *event) override { QApplication::sendEvent(m_owner, event); }
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        QApplication::sendEvent(m_owner, event);
    }
    void mouseMoveEvent(QMouseEvent *event) override { QApplication::sendEvent(m_owner, event); }
    void closeEvent(QCloseEvent *event) override
    {
        Q_EMIT m_owner->closed();
        event->accept();
    }

    TrayIcon *m_owner;
    QPixmap m_pixmap;
    QImage m_background;
    int m_edgeSize;
};

namespace {

// Docks into the tray whose manager owns the freedesktop selection.
class TrayIconFreeDesktop : public TrayIcon::TrayIconPrivate
{
public:
    TrayIconFreeDesktop(TrayIcon *owner, const QPixmap &icon)
        : TrayIconPrivate(owner, kFreeDesktopEdge)
    {
        const Window window = Window(winId());
        setDockHints(window);
        Display *display = x11Display();
        if (!display) {
            debugPrintf("########## manager_window != None: %s #############", "false");
            return;
        }
        // Qt has selected events on the root already; add to its mask, never replace it.
        const Window root = DefaultRootWindow(display);
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, root, &attributes))
            XSelectInput(display, root, attributes.your_event_mask | StructureNotifyMask);

        const Atom selection = trayManagerSelection(display);
        XGrabServer(display);
        const Window manager = XGetSelectionOwner(display, selection);
        if (manager != None) {
            managerFound = true;
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
                    const auto *reparent
                            = reinterpret_cast<const xcb_reparent_notify_event_t *>(event);
                    if (reparent->window != window)
                        return;
                    // Back on the root means the tray went away: no stray window on the desktop.
                    if (reparent->parent == root) {
                        QWidget::hide();
                        return;
                    }
                    QWidget::show();
                    m_background = parentBackground(x11Display(), window);
                    update();
                });
        const bool sent = sendDockRequest(display, manager, window);
        debugPrintf("########## dock request result: %s #############", sent ? "true" : "false");

        const long zero = 0;
        const Atom kwmDockWindow = XInternAtom(display, "KWM_DOCKWINDOW", False);
        const Atom trayWindowFor
                = XInternAtom(display, "_KDE_NET_WM_SYSTEM_TRAY_WINDOW_FOR", False);
        XChangeProperty(display, window, kwmDockWindow, kwmDockWindow, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(&zero), 1);
        XChangeProperty(display, window, trayWindowFor, XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(&zero), 1);
        XFlush(display);
        setDockPixmap(icon);
    }

    bool managerFound = false;

private:
    std::unique_ptr<X11EventWatcher> m_reparentWatcher;
};

} // namespace

// Watches the root window for a new tray manager announcing itself.
class TrayIcon::ManagerWatcher
{
public:
    explicit ManagerWatcher(TrayIcon *owner)
    {
        Display *display = x11Display();
        if (!display)
            return;
        const Window root = DefaultRootWindow(display);
        const Atom managerAtom = XInternAtom(display, "MANAGER", False);
        const Atom selection = trayManagerSelection(display);
        m_watcher = std::make_unique<X11EventWatcher>([owner, root, managerAtom, selection](
                                                              const xcb_generic_event_t *event) {
            if ((event->response_type & ~0x80) != XCB_CLIENT_MESSAGE)
                return;
            const auto *message = reinterpret_cast<const xcb_client_message_event_t *>(event);
            if (message->window != root || message->type != managerAtom || message->format != 32
                || message->data.data32[1] != selection)
                return;
            // Not from inside the filter: re-docking deletes the widget being watched.
            QMetaObject::invokeMethod(owner, &TrayIcon::newTrayOwner, Qt::QueuedConnection);
        });
    }

private:
    std::unique_ptr<X11EventWatcher> m_watcher;
};

TrayIcon::TrayIcon(QObject *parent)
    : QObject(parent)
    , m_managerWatcher(std::make_unique<ManagerWatcher>(this))
{ }

TrayIcon::TrayIcon(const QPixmap &icon, const QString &toolTip, QMenu *popup, QObject *parent)
    : QObject(parent)
    , m_popupMenu(popup)
    , m_icon(icon.width() == 0 || icon.height() == 0 ? fallbackIcon() : icon)
    , m_toolTip(toolTip)
    , m_managerWatcher(std::make_unique<ManagerWatcher>(this))
{ }

TrayIcon::~TrayIcon()
{
    hide();
}

bool TrayIcon::showStatusNotifier()
{
    if (m_statusNotifier)
        return true;
    if (!StatusNotifierHost::isAvailable(kHostQueryTimeoutMs))
        return false;
    createStatusNotifier();
    return true;
}

void TrayIcon::createStatusNotifier()
{
    // Only now, with no XEmbed tray there: both at once would show the icon twice.
    exportHeader(m_popupMenu);
    m_statusNotifier = std::make_unique<StatusNotifierItem>(m_icon, m_toolTip, m_popupMenu);
    // Queued: the host waits for the answer to its call while the panel comes up.
    connect(
            m_statusNotifier.get(), &StatusNotifierItem::activated, this,
            [this](const QPoint &pos) { Q_EMIT clicked(pos, int(Qt::LeftButton)); },
            Qt::QueuedConnection);
    connect(
            m_statusNotifier.get(), &StatusNotifierItem::secondaryActivated, this,
            [this](const QPoint &pos) { Q_EMIT clicked(pos, int(Qt::MiddleButton)); },
            Qt::QueuedConnection);
    connect(m_statusNotifier.get(), &StatusNotifierItem::menuRequested, this, [this] {
        if (m_popupMenu)
            Q_EMIT menuActivated();
    });
    m_docked = true;
    debugPrintf("TrayIcon::showStatusNotifier(): shown");
}

void TrayIcon::statusNotifierHostAppeared()
{
    if (!m_waitingForTray)
        return;
    // Checked just now without waiting; asking again would wait on the window thread.
    if (!m_statusNotifier)
        createStatusNotifier();
    endWaiting();
}

void TrayIcon::endWaiting()
{
    m_waitingForTray = false;
    // Later: this may run inside the watcher's own signal.
    m_hostWatcher.release()->deleteLater();
    Q_EMIT trayAppeared();
}

void TrayIcon::setPopupMenu(QMenu *menu)
{
    m_popupMenu = menu;
    if (m_statusNotifier) {
        exportHeader(menu);
        m_statusNotifier->setMenu(menu);
    }
}

QWidget *TrayIcon::dockWidget() const
{
    return m_dockWidget;
}

bool TrayIcon::dock(int attempts, int intervalMs)
{
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        show();
        if (isDocked())
            return true;
        hide();
        if (showStatusNotifier())
            return true;
        if (attempt < attempts)
            QThread::msleep(intervalMs);
    }
    // Panels often start after the programs they host.
    m_waitingForTray = true;
    m_hostWatcher = std::make_unique<StatusNotifierHost>();
    connect(m_hostWatcher.get(), &StatusNotifierHost::appeared, this,
            &TrayIcon::statusNotifierHostAppeared);
    return false;
}

void TrayIcon::setIcon(const QPixmap &icon)
{
    m_icon = icon;
    if (m_dockWidget)
        m_dockWidget->setDockPixmap(icon);
    if (m_statusNotifier)
        m_statusNotifier->setIcon(icon);
}

void TrayIcon::setToolTip(const QString &text)
{
    m_toolTip = text;
    applyToolTip();
}

void TrayIcon::applyToolTip()
{
    if (m_dockWidget)
        m_dockWidget->setToolTip(m_toolTip);
    if (m_statusNotifier)
        m_statusNotifier->setToolTip(m_toolTip);
}

void TrayIcon::show()
{
    if (m_dockWidget)
        return;
    auto *widget = new TrayIconFreeDesktop(this, m_icon);
    m_docked = widget->managerFound;
    m_dockWidget = widget;
    applyToolTip();
}

void TrayIcon::hide()
{
    delete m_dockWidget;
    m_dockWidget = nullptr;
}

void TrayIcon::showBalloon(int msecs)
{
    Q_UNUSED(msecs);
}

void TrayIcon::newTrayOwner()
{
    if (m_waitingForTray) {
        show();
        if (isDocked())
            endWaiting();
        else
            hide();
        return;
    }
    // Only an icon that is meant to be in the tray goes back into it.
    if (!m_dockWidget)
        return;
    hide();
    show();
}

bool TrayIcon::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        mousePressEvent(static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseButtonRelease:
        mouseReleaseEvent(static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseButtonDblClick:
        mouseDoubleClickEvent(static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseMove:
        mouseMoveEvent(static_cast<QMouseEvent *>(event));
        return true;
    default:
        return QObject::event(event);
    }
}

void TrayIcon::mouseMoveEvent(QMouseEvent *) { }

void TrayIcon::mousePressEvent(QMouseEvent *event)
{
    const QPoint globalPos = event->globalPosition().toPoint();
    switch (event->button()) {
    case Qt::RightButton:
        if (m_popupMenu) {
            Q_EMIT menuActivated();
            m_popupMenu->popup(globalPos);
        }
        break;
    case Qt::LeftButton:
    case Qt::MiddleButton:
        Q_EMIT clicked(globalPos, int(event->button()));
        break;
    default:
        break;
    }
}

void TrayIcon::mouseReleaseEvent(QMouseEvent *) { }

void TrayIcon::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        Q_EMIT doubleClicked(event->globalPosition().toPoint());
        event->accept();
    }
}
