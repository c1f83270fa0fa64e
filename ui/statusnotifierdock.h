#pragma once

#include <QObject>

#include <memory>

class QMenu;
class QPixmap;
class QPoint;
class QString;
class StatusNotifierHost;
class StatusNotifierItem;

// The icon as a StatusNotifierItem, where the desktop hosts only those, and the watch for a
// host that comes up after the icon gave up waiting.
class StatusNotifierDock : public QObject
{
    Q_OBJECT

public:
    explicit StatusNotifierDock(QObject *parent = nullptr);
    ~StatusNotifierDock() override;

    bool isShown() const { return m_item != nullptr; }
    // Shows the item when a host answers within a short wait; true when shown.
    bool showIfHosted(const QPixmap &icon, const QString &toolTip, QMenu *menu);
    // Shows the item without asking for a host.
    void show(const QPixmap &icon, const QString &toolTip, QMenu *menu);
    void setIcon(const QPixmap &icon, const QString &state = QString());
    void setToolTip(const QString &text);
    void setMenu(QMenu *menu);

    // hostAppeared() tells when a host comes.
    void watchForHost();
    void stopWatching();

Q_SIGNALS:
    void activated(const QPoint &globalPos, int button);
    void menuRequested();
    void hostAppeared();

private:
    std::unique_ptr<StatusNotifierHost> m_hostWatcher;
    std::unique_ptr<StatusNotifierItem> m_item;
};
