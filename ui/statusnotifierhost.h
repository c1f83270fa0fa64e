#pragma once

#include <QObject>

// The StatusNotifierItem side of the desktop: a watcher on the session bus with a registered
// host shows tray icons that programs export over D-Bus.
class StatusNotifierHost : public QObject
{
    Q_OBJECT

public:
    // Where the watcher is found on the bus; items register with it there.
    static constexpr char kWatcherService[] = "org.kde.StatusNotifierWatcher";
    static constexpr char kWatcherPath[] = "/StatusNotifierWatcher";
    static constexpr char kWatcherInterface[] = "org.kde.StatusNotifierWatcher";

    // Starts watching for a watcher, or its host, to appear.
    explicit StatusNotifierHost(QObject *parent = nullptr);

    // Whether a host is there now, with a watcher that answers Introspect too; waits at most
    // `timeoutMs` for a watcher (or a bus) that hangs.
    static bool isAvailable(int timeoutMs);

Q_SIGNALS:
    void appeared();

private Q_SLOTS:
    void check();
};
