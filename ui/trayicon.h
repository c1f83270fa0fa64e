#pragma once

#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>

#include <memory>

class QMenu;
class QMouseEvent;
class QWidget;
class StatusNotifierDock;
class XEmbedDock;
class XEmbedTrayWatcher;

// A small icon in the desktop's system tray (freedesktop XEmbed protocol, or a StatusNotifierItem
// where the desktop only hosts those): shows the state image and a tooltip, reports left and
// middle clicks and pops up its menu on a right click.
class TrayIcon : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString toolTip READ toolTip WRITE setToolTip)
    Q_PROPERTY(QPixmap icon READ icon WRITE setIcon)

public:
    explicit TrayIcon(QObject *parent = nullptr);
    TrayIcon(const QPixmap &icon, const QString &toolTip, QMenu *popup = nullptr,
             QObject *parent = nullptr);
    ~TrayIcon() override;

    void setPopupMenu(QMenu *menu);
    QMenu *popupMenu() const { return m_popupMenu; }
    QPixmap icon() const { return m_icon; }
    // The state drawn, by name; empty while an image of no state is shown.
    QString state() const { return m_state; }
    QString toolTip() const { return m_toolTip; }
    // True when the last dock widget found a tray manager.
    bool isDocked() const { return m_docked; }
    // The widget that sits in the tray; null while hidden.
    QWidget *dockWidget() const;

    // Start-up's docking: up to `attempts` tries, `intervalMs` apart; true when docked. An
    // XEmbed tray comes first, then a StatusNotifierItem host. When none is found the icon waits
    // for one and emits trayAppeared() once it is in.
    bool dock(int attempts, int intervalMs);
    bool isStatusNotifierItem() const;

public Q_SLOTS:
    void setIcon(const QPixmap &icon);
    // A state image by its name ("default", "normal", "printing", "warning", "error"), drawn
    // at the size each tray asks for and named to hosts that draw it from the icon theme.
    void setState(const QString &state);
    void setToolTip(const QString &text);
    void show();
    void hide();
    void showBalloon(int msecs);
    // Docks again into a tray that has a new manager.
    void newTrayOwner();

Q_SIGNALS:
    // iconArea is where the icon lies on the screen: only a point where the host gives no more.
    void clicked(const QPoint &globalPos, int button, const QRect &iconArea);
    void doubleClicked(const QPoint &globalPos);
    void closed();
    void menuActivated();
    void trayAppeared();

protected:
    bool event(QEvent *event) override;
    virtual void mouseMoveEvent(QMouseEvent *event);
    virtual void mousePressEvent(QMouseEvent *event);
    virtual void mouseReleaseEvent(QMouseEvent *event);
    virtual void mouseDoubleClickEvent(QMouseEvent *event);

private:
    void connectDocks();
    void applyToolTip();
    bool showStatusNotifier();
    void createStatusNotifier();
    void statusNotifierHostAppeared();
    void endWaiting();

    QMenu *m_popupMenu = nullptr;
    QPixmap m_icon;
    QString m_state;
    QString m_toolTip;
    bool m_docked = false;
    std::unique_ptr<XEmbedDock> m_dockWidget;
    std::unique_ptr<XEmbedTrayWatcher> m_managerWatcher;
    bool m_waitingForTray = false;
    std::unique_ptr<StatusNotifierDock> m_statusNotifier;
};
