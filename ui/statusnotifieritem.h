#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QString>

#include <memory>

class DBusMenuExporter;
class QMenu;
class StatusNotifierItemAdaptor;

// The tray icon as a StatusNotifierItem on the session bus, with its menu exported beside it.
// Registers with the desktop's watcher, again whenever the watcher changes hands; never waits for
// an answer from the bus, so a watcher that hangs cannot hold the window.
class StatusNotifierItem : public QObject
{
    Q_OBJECT

public:
    StatusNotifierItem(const QPixmap &icon, const QString &toolTip, QMenu *menu,
                       QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    // The state names the drawing: hosts get it drawn at their sizes and by its theme name.
    void setIcon(const QPixmap &icon, const QString &state = QString());
    void setToolTip(const QString &text);
    void setMenu(QMenu *menu);

    // For the adaptor.
    QPixmap icon() const { return m_icon; }
    QString iconState() const { return m_iconState; }
    QString toolTip() const { return m_toolTip; }
    QString menuPath() const;
    void requestContextMenu(const QPoint &globalPos);

Q_SIGNALS:
    // A left click (Activate) or a middle click (SecondaryActivate) on the host's icon.
    void activated(const QPoint &globalPos);
    void secondaryActivated(const QPoint &globalPos);
    // The host is about to show the menu, its own drawing or ours.
    void menuRequested();

private:
    void exportMenu();
    void requestName();
    void registerWithWatcher();

    QDBusConnection m_bus;
    StatusNotifierItemAdaptor *m_adaptor = nullptr;
    QPixmap m_icon;
    QString m_iconState;
    QString m_toolTip;
    QMenu *m_menu = nullptr;
    std::unique_ptr<DBusMenuExporter> m_menuExporter;
    bool m_registered = false;
    // The well-known name once the bus gave it; until then the connection's own name.
    QString m_service;
    QString m_requestedName;
};
