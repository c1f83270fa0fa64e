#include "ui/traypanel.h"

#include "base/functions.h"
#include "config/appsettings.h"
#include "ui/contextmenu.h"
#include "ui/panelplacement.h"
#include "ui/widgets/cartridgepellarview.h"
#include "ui/widgets/picturebutton.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>

TrayPanel::TrayPanel(ContextMenu *trayMenu, Qt::WindowFlags flags)
    : RPCPanel(nullptr, nullptr, false, flags)
    , m_trayMenu(trayMenu)
{
    // With a tray, closing a window hides it; start-up changes this when there is none.
    setAttribute(Qt::WA_QuitOnClose, false);
    // A panel that comes up by itself leaves the keyboard where the user types; the user's own
    // opening activates it.
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    // Only a panel without a tray tells where its menu is.
    infoLabel->hide();
    cartridgeView->setCartridgeVisible(false);
}

void TrayPanel::startWithoutTray()
{
    m_sizeWithTray = size();
    setFixedSize(width(), height() + infoLabel->sizeHint().height());
    infoLabel->show();
    setAttribute(Qt::WA_QuitOnClose, true);
    hide();
    debugPrintf("TrayMainWindow::startWithoutTray: hide()");
    showNormal();
    activateWindow();
    debugPrintf("TrayMainWindow::startWithoutTray: showNormal()");
    m_trayMenu->leaveTray();
}

void TrayPanel::moveIntoTray()
{
    debugPrintf("TrayMainWindow::moveIntoTray()");
    m_trayMenu->enterTray();
    menuEnteredTray();
    infoLabel->hide();
    if (m_sizeWithTray.isValid())
        setFixedSize(m_sizeWithTray);
    setAttribute(Qt::WA_QuitOnClose, false);
    hideWindow();
}

void TrayPanel::closeWindow()
{
    closingFlag = true;
    close();
}

void TrayPanel::showByUser(const char *logName)
{
    PanelPlacement::placeBesideIcon(this, m_iconArea);
    hide();
    showNormal();
    activateWindow();
    debugPrintf("TrayMainWindow::%s(): showNormal()", logName);
}

void TrayPanel::popUp()
{
    PanelPlacement::placeBesideIcon(this, m_iconArea);
    // Mapped again, an inactive window comes to the top on X11; a Wayland compositor would only
    // place it anew, somewhere else.
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (!isActiveWindow() && !(wayland && isVisible())) {
        debugPrintf("TrayMainWindow::customEvent(): hide()");
        hide();
    }
    showNormal();
    debugPrintf("TrayMainWindow::customEvent(): showNormal()");
}

void TrayPanel::closeEvent(QCloseEvent *event)
{
    if (trayAvailable) {
        if (closingFlag)
            closingFlag = false;
        else
            hideWindow();
    }
    event->accept();
}

void TrayPanel::reject()
{
    // Escape closes the panel the way its frame does.
    close();
}

void TrayPanel::mousePressEvent(QMouseEvent *event)
{
    RPCPanel::mousePressEvent(event);
    if (!trayAvailable && event->button() == Qt::RightButton)
        m_trayMenu->popup(event->globalPosition().toPoint());
}

void TrayPanel::showPrinterSettings(bool show)
{
    m_trayMenu->showPrinterSettings(show);
    printerSettings->setVisible(show);
}

void TrayPanel::enablePrinterMenu(bool enable)
{
    m_trayMenu->enablePrinterEntries(enable);
}

void TrayPanel::warn(const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
