#include "ui/desktopnotifier.h"

#include "base/functions.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUrl>

namespace {

const char kService[] = "org.freedesktop.Notifications";
const char kPath[] = "/org/freedesktop/Notifications";
const char kInterface[] = "org.freedesktop.Notifications";
const char kShowAction[] = "show";
// The service's own choice of how long a notification stays.
const int kServerExpiry = -1;

QDBusMessage callOf(const char *method)
{
    return QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                          QLatin1String(kInterface), QLatin1String(method));
}

} // namespace

DesktopNotifier::DesktopNotifier(const QString &iconPath, QObject *parent)
    : QObject(parent)
    , m_bus(QDBusConnection::sessionBus())
    , m_iconUri(QUrl::fromLocalFile(iconPath).toString())
{
    m_delay.setSingleShot(true);
    connect(&m_delay, &QTimer::timeout, this,
            [this] { notify(m_delayedTitle, m_delayedBody, true); });
    if (!m_bus.isConnected())
        return;
    // No sender name: watching a name's owner would ask the bus and wait for its answer.
    m_bus.connect(QString(), QLatin1String(kPath), QLatin1String(kInterface),
                  QStringLiteral("ActionInvoked"), this, SLOT(actionInvoked(uint, QString)));
    m_bus.connect(QString(), QLatin1String(kPath), QLatin1String(kInterface),
                  QStringLiteral("NotificationClosed"), this, SLOT(notificationClosed(uint, uint)));
}

DesktopNotifier::~DesktopNotifier()
{
    closeStatusNotification();
}

void DesktopNotifier::followStatus(quint32 statusId, const QString &title, const QString &body,
                                   const StatusPresentation::Notice &notice)
{
    if (m_statusId == statusId)
        return;
    m_statusId = statusId;
    ++m_generation;
    m_delay.stop();
    closeStatusNotification();
    if (!notice.wanted)
        return;
    if (notice.delayMs > 0) {
        m_delayedTitle = title;
        m_delayedBody = body;
        m_delay.start(notice.delayMs);
        return;
    }
    notify(title, body, true);
}

void DesktopNotifier::tell(const QString &title, const QString &body)
{
    notify(title, body, false);
}

void DesktopNotifier::forgetStatus()
{
    m_statusId.reset();
    ++m_generation;
    m_delay.stop();
    closeStatusNotification();
}

template<typename Answer, typename Then>
void DesktopNotifier::ask(const QDBusMessage &message, bool forStatus, Then then)
{
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, kCallTimeoutMs), this);
    const quint64 generation = m_generation;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, generation, forStatus, then] {
                watcher->deleteLater();
                const QDBusPendingReply<Answer> reply = *watcher;
                const bool current = forStatus && generation == m_generation;
                if (reply.isError()) {
                    debugPrintf("DesktopNotifier: no notification service (%s); the panel shows "
                                "the status",
                                qPrintable(reply.error().name()));
                    if (current)
                        Q_EMIT notDelivered();
                    return;
                }
                then(reply.value(), current);
            });
}

void DesktopNotifier::notify(const QString &title, const QString &body, bool forStatus)
{
    debugPrintf("DesktopNotifier::notify: <%s>", qPrintable(title));
    if (!m_bus.isConnected()) {
        debugPrintf("DesktopNotifier: no session bus; the panel shows the status");
        if (forStatus)
            QMetaObject::invokeMethod(this, &DesktopNotifier::notDelivered, Qt::QueuedConnection);
        return;
    }
    // Asked each time: the service may have been replaced by one that reads the body otherwise.
    ask<QStringList>(callOf("GetCapabilities"), forStatus,
                     [this, title, body, forStatus](const QStringList &capabilities, bool current) {
                         if (forStatus && !current)
                             return;
                         // The summary is plain text to every service; the body is markup to one
                         // that says so, and the printer's text in it must stay text there.
                         const bool markup = capabilities.contains(QLatin1String("body-markup"));
                         send(title, markup ? body.toHtmlEscaped() : body, forStatus);
                     });
}

void DesktopNotifier::send(const QString &title, const QString &body, bool forStatus)
{
    QDBusMessage message = callOf("Notify");
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("pellar")}};
    message << QStringLiteral("Pellar") << uint(0) << m_iconUri << title << body
            << QStringList{QLatin1String(kShowAction), tr("Show")} << hints << kServerExpiry;
    ask<uint>(message, forStatus, [this, forStatus](uint id, bool current) {
        m_ownNotifications.append(id);
        if (!forStatus)
            return;
        if (current)
            m_statusNotification = id;
        else
            close(id);
    });
}

void DesktopNotifier::closeStatusNotification()
{
    if (m_statusNotification == 0)
        return;
    close(m_statusNotification);
    m_statusNotification = 0;
}

void DesktopNotifier::close(uint id)
{
    debugPrintf("DesktopNotifier::close: %u", id);
    QDBusMessage message = callOf("CloseNotification");
    message << id;
    // Its answer tells nothing the notifier needs.
    m_bus.send(message);
    m_ownNotifications.removeAll(id);
}

void DesktopNotifier::actionInvoked(uint id, const QString &actionKey)
{
    if (m_ownNotifications.contains(id) && actionKey == QLatin1String(kShowAction))
        Q_EMIT showRequested();
}

void DesktopNotifier::notificationClosed(uint id, uint reason)
{
    Q_UNUSED(reason)
    m_ownNotifications.removeAll(id);
    if (id == m_statusNotification)
        m_statusNotification = 0;
}
