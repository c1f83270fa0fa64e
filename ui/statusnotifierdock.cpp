#include "ui/statusnotifierdock.h"

#include "base/functions.h"
#include "ui/menuheader.h"
#include "ui/statusnotifierhost.h"
#include "ui/statusnotifieritem.h"

#include <QLabel>
#include <QMenu>
#include <QWidgetAction>

namespace {

// A sound watcher answers within a few milliseconds; the window waits no longer than this.
const int kHostQueryTimeoutMs = 500;

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

} // namespace

StatusNotifierDock::StatusNotifierDock(QObject *parent)
    : QObject(parent)
{ }

StatusNotifierDock::~StatusNotifierDock() = default;

bool StatusNotifierDock::showIfHosted(const QPixmap &icon, const QString &toolTip, QMenu *menu)
{
    if (!StatusNotifierHost::isAvailable(kHostQueryTimeoutMs))
        return false;
    show(icon, toolTip, menu);
    return true;
}

void StatusNotifierDock::show(const QPixmap &icon, const QString &toolTip, QMenu *menu)
{
    // Only now, with no XEmbed tray there: both at once would show the icon twice.
    exportHeader(menu);
    m_item = std::make_unique<StatusNotifierItem>(icon, toolTip, menu);
    // Queued: the host waits for the answer to its call while the panel comes up.
    connect(
            m_item.get(), &StatusNotifierItem::activated, this,
            [this](const QPoint &pos) { Q_EMIT activated(pos, int(Qt::LeftButton)); },
            Qt::QueuedConnection);
    connect(
            m_item.get(), &StatusNotifierItem::secondaryActivated, this,
            [this](const QPoint &pos) { Q_EMIT activated(pos, int(Qt::MiddleButton)); },
            Qt::QueuedConnection);
    connect(m_item.get(), &StatusNotifierItem::menuRequested, this,
            &StatusNotifierDock::menuRequested);
    debugPrintf("TrayIcon::showStatusNotifier(): shown");
}

void StatusNotifierDock::setIcon(const QPixmap &icon, const QString &state)
{
    if (m_item)
        m_item->setIcon(icon, state);
}

void StatusNotifierDock::setToolTip(const QString &text)
{
    if (m_item)
        m_item->setToolTip(text);
}

void StatusNotifierDock::setMenu(QMenu *menu)
{
    if (!m_item)
        return;
    exportHeader(menu);
    m_item->setMenu(menu);
}

void StatusNotifierDock::watchForHost()
{
    m_hostWatcher = std::make_unique<StatusNotifierHost>();
    connect(m_hostWatcher.get(), &StatusNotifierHost::appeared, this,
            &StatusNotifierDock::hostAppeared);
}

void StatusNotifierDock::stopWatching()
{
    // Later: this may run inside the watcher's own signal.
    if (m_hostWatcher)
        m_hostWatcher.release()->deleteLater();
}
