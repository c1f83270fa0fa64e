#pragma once

#include "ui/statuspresentation.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

// Tells the followed printer's status through the desktop's notification service: one
// notification per change of status, withdrawn when that status ends. Every call to the
// service is asynchronous and bounded; nothing here waits for the bus. Titles and bodies are
// plain text, and the service shows them so.
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    // Bounds each call: a hung service counts as none.
    static constexpr int kCallTimeoutMs = 2000;

    // The icon is a file, shown by the service beside the text.
    explicit DesktopNotifier(const QString &iconPath, QObject *parent = nullptr);
    ~DesktopNotifier() override;

    // The status now followed. An unchanged status is told once; one not wanted (the panel
    // shows it, say) is taken as seen.
    void followStatus(quint32 statusId, const QString &title, const QString &body,
                      const StatusPresentation::Notice &notice);
    // Something told once, such as a finished job; it is not withdrawn.
    void tell(const QString &title, const QString &body);
    // Polling has stopped: what was told may no longer hold.
    void forgetStatus();

Q_SIGNALS:
    // The user chose "Show" on a notification.
    void showRequested();
    // The status could not be told: no service answered.
    void notDelivered();

private Q_SLOTS:
    void actionInvoked(uint id, const QString &actionKey);
    void notificationClosed(uint id, uint reason);

private:
    void notify(const QString &title, const QString &body, bool forStatus);
    void send(const QString &title, const QString &body, bool forStatus);
    // Calls the service and hands its answer to `then` with whether the status it was asked for
    // is still the one followed; without an answer there is no service.
    template<typename Answer, typename Then>
    void ask(const QDBusMessage &message, bool forStatus, Then then);
    void closeStatusNotification();
    void close(uint id);

    QDBusConnection m_bus;
    QString m_iconUri;
    std::optional<quint32> m_statusId;
    // Bumped with every change of status: a late answer for an older one is withdrawn at once.
    quint64 m_generation = 0;
    uint m_statusNotification = 0;
    QList<uint> m_ownNotifications;
    QTimer m_delay;
    QString m_delayedTitle;
    QString m_delayedBody;
};
