#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <memory>

class X11EventWatcher;

// The widget that sits in an XEmbed system tray: docks into the tray whose manager owns the
// freedesktop selection and hands the mouse to its owner.
class XEmbedDock : public QWidget
{
    Q_OBJECT

public:
    XEmbedDock(QObject *mouseReceiver, const QPixmap &icon);
    ~XEmbedDock() override;

    // False without an X display (on Wayland, say): no Xlib call can be made then.
    static bool hasDisplay();

    // True when a tray manager was there to take the dock request.
    bool managerFound() const { return m_managerFound; }
    // A state image is drawn again from its drawing at the slot's size; another is scaled.
    void setDockPixmap(const QPixmap &pixmap, const QString &state = QString());

Q_SIGNALS:
    void closed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void dock();
    void sizePixmap();
    void readBackground();

    QObject *m_mouseReceiver;
    QPixmap m_pixmap;
    QString m_state;
    // The pixmap drawn for the slot the tray gave.
    QPixmap m_sized;
    QImage m_background;
    bool m_managerFound = false;
    std::unique_ptr<X11EventWatcher> m_reparentWatcher;
};

// Watches the root window for a new tray manager announcing itself.
class XEmbedTrayWatcher : public QObject
{
    Q_OBJECT

public:
    explicit XEmbedTrayWatcher(QObject *parent = nullptr);
    ~XEmbedTrayWatcher() override;

Q_SIGNALS:
    // Queued after the announcement: docking again deletes the widget being watched.
    void managerAppeared();

private:
    std::unique_ptr<X11EventWatcher> m_watcher;
};
