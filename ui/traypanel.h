#pragma once

#include "ui/rpcpanel.h"

#include <QRect>
#include <QSize>

class ContextMenu;

// The panel as the window of a tray icon: it opens beside the icon, comes up for a report
// without taking the keyboard, and hides rather than closes while a tray holds the icon;
// without a tray it stands alone and its right button opens the tray menu.
class TrayPanel : public RPCPanel
{
    Q_OBJECT

public:
    TrayPanel(ContextMenu *trayMenu, Qt::WindowFlags flags);

    void startWithoutTray();
    // A tray appeared after all: undoes startWithoutTray() and hides the window.
    void moveIntoTray();

public Q_SLOTS:
    virtual void hideWindow() = 0;
    virtual void closeWindow();

protected:
    // Where the tray icon was last clicked; null before the first click.
    void setIconArea(const QRect &area) { m_iconArea = area; }
    // Raised beside the icon with the keyboard: the user's own opening.
    void showByUser(const char *logName);
    // Up beside the icon, or on top where it is, leaving the keyboard where the user types.
    void popUp();
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    void mousePressEvent(QMouseEvent *event) override;
    // The printer-settings button and menu entry.
    void showPrinterSettings(bool show);
    // The entries that act on the followed printer.
    void enablePrinterMenu(bool enable);
    // A warning over the panel, its text shown as plain text: it may quote the server.
    void warn(const QString &caption, const QString &text);
    // The tray menu has its tray entries again.
    virtual void menuEnteredTray() { }

    ContextMenu *m_trayMenu;

private:
    bool closingFlag = false;
    QSize m_sizeWithTray;
    QRect m_iconArea;
};
