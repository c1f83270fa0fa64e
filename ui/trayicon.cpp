#include "ui/trayicon.h"

#include "base/functions.h"
#include "ui/statusnotifierdock.h"
#include "ui/trayart.h"
#include "ui/xembeddock.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTextDocument>
#include <QThread>

namespace {

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

TrayIcon::TrayIcon(QObject *parent)
    : QObject(parent)
    , m_managerWatcher(std::make_unique<XEmbedTrayWatcher>())
    , m_statusNotifier(std::make_unique<StatusNotifierDock>())
{
    connectDocks();
}

TrayIcon::TrayIcon(const QPixmap &icon, const QString &toolTip, QMenu *popup, QObject *parent)
    : QObject(parent)
    , m_popupMenu(popup)
    , m_icon(icon.width() == 0 || icon.height() == 0 ? fallbackIcon() : icon)
    , m_toolTip(toolTip)
    , m_managerWatcher(std::make_unique<XEmbedTrayWatcher>())
    , m_statusNotifier(std::make_unique<StatusNotifierDock>())
{
    connectDocks();
}

TrayIcon::~TrayIcon()
{
    hide();
}

void TrayIcon::connectDocks()
{
    connect(m_managerWatcher.get(), &XEmbedTrayWatcher::managerAppeared, this,
            &TrayIcon::newTrayOwner);
    connect(m_statusNotifier.get(), &StatusNotifierDock::activated, this,
            [this](const QPoint &pos, int button) {
                Q_EMIT clicked(pos, button, QRect(pos, pos));
            });
    connect(m_statusNotifier.get(), &StatusNotifierDock::menuRequested, this, [this] {
        if (m_popupMenu)
            Q_EMIT menuActivated();
    });
    connect(m_statusNotifier.get(), &StatusNotifierDock::hostAppeared, this,
            &TrayIcon::statusNotifierHostAppeared);
}

bool TrayIcon::isStatusNotifierItem() const
{
    return m_statusNotifier->isShown();
}

bool TrayIcon::showStatusNotifier()
{
    if (m_statusNotifier->isShown())
        return true;
    if (!m_statusNotifier->showIfHosted(m_icon, m_toolTip, m_popupMenu))
        return false;
    if (!m_state.isEmpty())
        m_statusNotifier->setIcon(m_icon, m_state);
    m_docked = true;
    return true;
}

void TrayIcon::createStatusNotifier()
{
    m_statusNotifier->show(m_icon, m_toolTip, m_popupMenu);
    if (!m_state.isEmpty())
        m_statusNotifier->setIcon(m_icon, m_state);
    m_docked = true;
}

void TrayIcon::statusNotifierHostAppeared()
{
    if (!m_waitingForTray)
        return;
    // Checked just now without waiting; asking again would wait on the window thread.
    if (!m_statusNotifier->isShown())
        createStatusNotifier();
    endWaiting();
}

void TrayIcon::endWaiting()
{
    m_waitingForTray = false;
    m_statusNotifier->stopWatching();
    Q_EMIT trayAppeared();
}

void TrayIcon::setPopupMenu(QMenu *menu)
{
    m_popupMenu = menu;
    m_statusNotifier->setMenu(menu);
}

QWidget *TrayIcon::dockWidget() const
{
    return m_dockWidget.get();
}

bool TrayIcon::dock(int attempts, int intervalMs)
{
    const bool xembed = XEmbedDock::hasDisplay();
    if (!xembed)
        debugPrintf("TrayIcon::dock(): no X display: a StatusNotifierItem host only");
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        if (xembed) {
            show();
            if (isDocked())
                return true;
            hide();
        }
        if (showStatusNotifier())
            return true;
        if (attempt < attempts)
            QThread::msleep(intervalMs);
    }
    // Panels often start after the programs they host.
    m_waitingForTray = true;
    m_statusNotifier->watchForHost();
    return false;
}

void TrayIcon::setIcon(const QPixmap &icon)
{
    m_icon = icon;
    m_state.clear();
    if (m_dockWidget)
        m_dockWidget->setDockPixmap(icon);
    m_statusNotifier->setIcon(icon);
}

void TrayIcon::setState(const QString &state)
{
    const QPixmap drawn = TrayArt::sized(state, TrayArt::kDrawnEdge, 1);
    if (drawn.isNull()) {
        debugPrintf("TrayIcon::setState(%s): no such state", qPrintable(state));
        return;
    }
    m_icon = drawn;
    m_state = state;
    if (m_dockWidget)
        m_dockWidget->setDockPixmap(m_icon, m_state);
    m_statusNotifier->setIcon(m_icon, m_state);
}

void TrayIcon::setToolTip(const QString &text)
{
    m_toolTip = text;
    applyToolTip();
}

void TrayIcon::applyToolTip()
{
    // A queue's name is the printer's text: never read as markup.
    if (m_dockWidget)
        m_dockWidget->setToolTip(Qt::convertFromPlainText(m_toolTip, Qt::WhiteSpaceNoWrap));
    m_statusNotifier->setToolTip(m_toolTip);
}

void TrayIcon::show()
{
    // XEmbed needs X11; on Wayland the dock would only be a stray window.
    if (m_dockWidget || !XEmbedDock::hasDisplay())
        return;
    m_dockWidget = std::make_unique<XEmbedDock>(this, m_icon);
    if (!m_state.isEmpty())
        m_dockWidget->setDockPixmap(m_icon, m_state);
    connect(m_dockWidget.get(), &XEmbedDock::closed, this, &TrayIcon::closed);
    m_docked = m_dockWidget->managerFound();
    applyToolTip();
}

void TrayIcon::hide()
{
    m_dockWidget.reset();
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
    case Qt::MiddleButton: {
        // Qt does not learn where the tray put the icon; the pointer event knows.
        const QPoint corner = globalPos - event->position().toPoint();
        const QSize size = m_dockWidget ? m_dockWidget->size() : QSize(1, 1);
        Q_EMIT clicked(globalPos, int(event->button()), QRect(corner, size));
        break;
    }
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
