#include "ui/statusnotifierhost.h"

#include "base/functions.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QFileInfo>

#include <memory>

namespace {

// Without a session bus of the desktop's, D-Bus would start one of its own: there is no host
// on that one either.
bool sessionBusExists()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

QDBusMessage hostQuery()
{
    QDBusMessage message = QDBusMessage::createMethodCall(
            QLatin1String(StatusNotifierHost::kWatcherService),
            QLatin1String(StatusNotifierHost::kWatcherPath),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    message << QLatin1String(StatusNotifierHost::kWatcherInterface)
            << QStringLiteral("IsStatusNotifierHostRegistered");
    // Asked before the bus says whether there is a watcher: none is to be started for it.
    message.setAutoStartService(false);
    return message;
}

// A watcher that cannot describe itself is not one a panel runs.
QDBusMessage introspection()
{
    QDBusMessage message = QDBusMessage::createMethodCall(
            QLatin1String(StatusNotifierHost::kWatcherService),
            QLatin1String(StatusNotifierHost::kWatcherPath),
            QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
    message.setAutoStartService(false);
    return message;
}

bool hostRegistered(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
            && qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

bool describesHostProperty(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    const QString xml = reply.arguments().constFirst().toString();
    return xml.contains(QLatin1String(StatusNotifierHost::kWatcherInterface))
            && xml.contains(QLatin1String("IsStatusNotifierHostRegistered"));
}

bool hostAnswers(const QDBusMessage &query, const QDBusMessage &description, const char *caller)
{
    for (const QDBusMessage *reply : {&query, &description}) {
        if (reply->type() == QDBusMessage::ErrorMessage)
            debugPrintf("StatusNotifierHost::%s: %s", caller, qPrintable(reply->errorMessage()));
    }
    return hostRegistered(query) && describesHostProperty(description);
}

const int kAsyncTimeoutMs = 2000;

} // namespace

StatusNotifierHost::StatusNotifierHost(QObject *parent)
    : QObject(parent)
{
    if (!sessionBusExists())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    auto *names = new QDBusServiceWatcher(QLatin1String(StatusNotifierHost::kWatcherService), bus,
                                          QDBusServiceWatcher::WatchForRegistration, this);
    connect(names, &QDBusServiceWatcher::serviceRegistered, this, &StatusNotifierHost::check);
    bus.connect(QLatin1String(StatusNotifierHost::kWatcherService),
                QLatin1String(StatusNotifierHost::kWatcherPath),
                QLatin1String(StatusNotifierHost::kWatcherInterface),
                QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(check()));
}

bool StatusNotifierHost::isAvailable(int timeoutMs)
{
    if (!sessionBusExists())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    // All at once: one wait of at most `timeoutMs`, the bus's own answer included.
    QDBusMessage owned = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    owned << QLatin1String(StatusNotifierHost::kWatcherService);
    QDBusPendingReply<bool> watcherThere = bus.asyncCall(owned, timeoutMs);
    QDBusPendingCall query = bus.asyncCall(hostQuery(), timeoutMs);
    QDBusPendingCall description = bus.asyncCall(introspection(), timeoutMs);
    watcherThere.waitForFinished();
    query.waitForFinished();
    description.waitForFinished();
    if (!watcherThere.isValid() || !watcherThere.value())
        return false;
    return hostAnswers(query.reply(), description.reply(), "isAvailable()");
}

void StatusNotifierHost::check()
{
    // Asked without waiting: a watcher that hangs must not hang the window.
    QDBusConnection bus = QDBusConnection::sessionBus();
    auto *query = new QDBusPendingCallWatcher(bus.asyncCall(hostQuery(), kAsyncTimeoutMs), this);
    auto *description
            = new QDBusPendingCallWatcher(bus.asyncCall(introspection(), kAsyncTimeoutMs), this);
    auto pending = std::make_shared<int>(2);
    const auto answered = [this, query, description, pending] {
        if (--*pending > 0)
            return;
        const bool available = hostAnswers(query->reply(), description->reply(), "check()");
        query->deleteLater();
        description->deleteLater();
        if (available)
            Q_EMIT appeared();
    };
    connect(query, &QDBusPendingCallWatcher::finished, this, answered);
    connect(description, &QDBusPendingCallWatcher::finished, this, answered);
}
