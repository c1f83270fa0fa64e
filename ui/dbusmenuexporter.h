#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QVariantMap>

class DBusMenuAdaptor;
class QAction;
class QMenu;

// Shows a QMenu to a StatusNotifierItem host over D-Bus (the com.canonical.dbusmenu interface),
// which draws the menu itself and reports clicks back. Every answer comes from the menu as it is;
// changes to its entries are announced to the host.
class DBusMenuExporter : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    DBusMenuExporter(QMenu *menu, const QDBusConnection &bus, const QString &path,
                     QObject *parent = nullptr);
    ~DBusMenuExporter() override;

    QString path() const { return m_path; }
    bool isRegistered() const { return m_registered; }

    // For the adaptor: the entry behind an id (0 is the menu itself), its properties, the
    // layout revision.
    QMenu *menuOf(int id) const;
    QAction *actionOf(int id) const;
    int idOf(QAction *action);
    QVariantMap properties(int id);
    uint revision() const { return m_revision; }
    void trigger(int id);
    // Answers the D-Bus call in hand with an error instead of its reply.
    void failCall(const QString &text);

Q_SIGNALS:
    // The host is about to show the menu (or submenu) with this id.
    void aboutToShow(int id);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchMenu(QMenu *menu);
    void actionChanged(QAction *action);
    void layoutChanged();
    void announce();

    QPointer<QMenu> m_menu;
    DBusMenuAdaptor *m_adaptor = nullptr;
    QDBusConnection m_bus;
    QString m_path;
    bool m_registered = false;
    QHash<QAction *, int> m_ids;
    QHash<int, QAction *> m_actions;
    // What the host was last given, to tell it only what changed.
    QHash<int, QVariantMap> m_properties;
    QSet<int> m_changed;
    bool m_layoutChanged = false;
    uint m_revision = 1;
    int m_nextId = 1;
    // Changes come in bursts (a printer list rebuilt): one announcement per burst.
    QTimer m_announcer;
};
