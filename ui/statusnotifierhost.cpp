#include "ui/statusnotifierhost.h"

#include "app/functions.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QFileInfo>

namespace {

const char kWatcherService[] = "org.kde.StatusNotifierWatcher";
const char kWatcherPath[] = "/StatusNotifierWatcher";
const char kWatcherInterface[] = "org.kde.StatusNotifierWatcher";

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
            QLatin1String(kWatcherService), QLatin1String(kWatcherPath),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    message << QLatin1String(kWatcherInterface) << QStringLiteral("IsStatusNotifierHostRegistered");
    return message;
}

bool hostRegistered(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
            && qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
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
    auto *names = new QDBusServiceWatcher(QLatin1String(kWatcherService), bus,
                                          QDBusServiceWatcher::WatchForRegistration, this);
    connect(names, &QDBusServiceWatcher::serviceRegistered, this, &StatusNotifierHost::check);
    bus.connect(QLatin1String(kWatcherService), QLatin1String(kWatcherPath),
                QLatin1String(kWatcherInterface), QStringLiteral("StatusNotifierHostRegistered"),
                this, SLOT(check()));
}

bool StatusNotifierHost::isAvailable(int timeoutMs)
{
    if (!sessionBusExists())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(QLatin1String(kWatcherService)))
        return false;
    const QDBusMessage reply = bus.call(hostQuery(), QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        debugPrintf("StatusNotifierHost::isAvailable(): %s", qPrintable(reply.errorMessage()));
    return hostRegistered(reply);
}

void StatusNotifierHost::check()
{
    // Asked without waiting: a watcher that hangs must not hang the window.
    auto *call = new QDBusPendingCallWatcher(
            QDBusConnection::sessionBus().asyncCall(hostQuery(), kAsyncTimeoutMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *done) {
        done->deleteLater();
        if (hostRegistered(done->reply()))
            Q_EMIT appeared();
    });
}
