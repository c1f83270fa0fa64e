#pragma once

#include <QByteArray>
#include <QPoint>
#include <QProcess>

// A plain Xlib connection to the test display ($DISPLAY), for looking at selections and
// writing properties the way another client would.
class X11Fixture
{
public:
    // The display of $DISPLAY, or the one named.
    explicit X11Fixture(const QByteArray &displayName = QByteArray());
    ~X11Fixture();
    X11Fixture(const X11Fixture &) = delete;
    X11Fixture &operator=(const X11Fixture &) = delete;

    bool isOpen() const { return m_display != nullptr; }

    // The owner window of the selection with that atom name, 0 when none.
    unsigned long selectionOwner(const QByteArray &atomName) const;
    bool waitForSelectionOwner(const QByteArray &atomName, int timeoutMs = 30000) const;

    // Writes a property on a window; type and property are atom names.
    void writeProperty(unsigned long window, const QByteArray &property, const QByteArray &type,
                       int format, const QByteArray &data);

    // The window's top left corner on the root window.
    QPoint rootPosition(unsigned long window) const;

    // A mapped window with that WM_CLASS name whose parent is not the root: an icon docked in a
    // tray. 0 when there is none.
    unsigned long dockedWindow(const QByteArray &className) const;

private:
    void *m_display = nullptr;
};

// A display of its own with a tray host that a test may take away and start again.
class PrivateXSession
{
public:
    PrivateXSession();
    ~PrivateXSession();
    PrivateXSession(const PrivateXSession &) = delete;
    PrivateXSession &operator=(const PrivateXSession &) = delete;

    bool isRunning() const { return !m_display.isEmpty(); }
    QByteArray display() const { return m_display; }
    // Starts trayer, a panel of that height, and waits until it owns the tray selection.
    bool startTrayHost(int height = 26);
    void stopTrayHost();

private:
    QProcess m_server;
    QProcess m_trayHost;
    QByteArray m_display;
};
