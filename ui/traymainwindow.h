#pragma once

#include "acquisition/workerevents.h"
#include "status/statusdesc.h"
#include "status/tonerinfo.h"
#include "ui/contextmenu.h"
#include "ui/followedstatus.h"
#include "ui/panelstate.h"
#include "ui/printingmode.h"
#include "ui/traypanel.h"

#include <QStringList>

#include <memory>
#include <optional>

class Configurator;
class DesktopNotifier;
class JobChangedEvent;
class JobPollingThread;
class OptionDialogEx;
class Options;
class PollingControl;
class PrinterDesc;
class PrinterEnumerator;
class PrinterActions;

// The panel window and the program's controller: owns the three threads, keeps the printer
// entries of the tray menu, follows the chosen printer and shows its status.
class TrayMainWindow : public TrayPanel
{
    Q_OBJECT

public:
    TrayMainWindow(Configurator *configurator, ContextMenu *trayMenu, Qt::WindowFlags flags);
    ~TrayMainWindow() override;

    void setArguments(const QStringList &arguments);
    // Connects the tray menu's fixed entries to the window.
    void connectMenu(const ContextMenu::FixedEntries &entries);
    void selectPrinter(quint32 printerID, int source);
    // Again with the queue state last taken in.
    int applyStatus(const StatusBlock &raw);
    int applyStatus(const StatusBlock &raw, const std::optional<CupsPrinterState> &queue);
    const PrintingMode &printingMode() const { return m_printingMode; }
    // The worker still polls or finishes its last poll.
    bool isWorkerBusy() const;
    bool hasPrinterList() const { return printerListReceived; }

Q_SIGNALS:
    // The tray's state by name: "default", "normal", "printing", "warning", "error".
    void stateChanged(const QString &trayState);
    void toolTipChanged(const QString &text);

public Q_SLOTS:
    virtual void selectPrinterFromMenu(int printerID);
    virtual void printerListChanged();
    virtual void restoreWindow();
    // A click on the tray icon: opens the panel beside the icon, or closes it when open.
    void trayIconClicked(const QRect &iconArea);
    void hideWindow() override;
    virtual void showOptions();
    virtual void printerSettings_clicked();
    virtual void troubleshooting_clicked();
    virtual void supplies_clicked();
    virtual void menu_activated();
    virtual void options_closed(bool accepted);
    virtual void prepare_clicked(int state);
    virtual void menuCreated();
    void printingModeEntered();
    void printingModeLeaved();

protected:
    void customEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void menuEnteredTray() override;
    virtual void printerStatusChangedEvent(PrinterStatusChangedEvent *event);
    virtual void jobQueueChanged(JobChangedEvent *event);

private:
    void printerSelected(quint32 printerID);
    void assignPrinters();
    PanelState panelState(bool applied) const;
    void updateControls(const PanelState &state);
    void drawGuide(PanelState::Guide guide);
    void applyOptions(const Options &options);
    void drawToners(const PanelState &state);
    void updateCartridgeView();
    void showPrinterImage();
    void showTrayState(const QString &trayState);
    void describeActivePrinter();
    void printerBusy();
    void showWithheldReport();
    // The last report once more, read with what has changed since (a queue's condition).
    void presentAgain();
    // A closed panel that keeps watching polls at its slower floor.
    void applyWatching();
    void pollingStopped();
    void notifyStatus(bool shownInPanel);
    void statusNotDelivered();

    FollowedStatus m_status;
    Configurator *m_configurator;
    std::unique_ptr<PrinterEnumerator> m_printerEnumerator;
    std::unique_ptr<PollingControl> m_polling;
    // Owned by m_polling.
    JobPollingThread *m_jobPollingThread = nullptr;
    std::unique_ptr<PrinterActions> m_actions;
    int windowState = 0;
    std::unique_ptr<OptionDialogEx> m_pOptionDlg;
    std::unique_ptr<DesktopNotifier> m_notifier;
    int selectionSource = 0;
    bool jobCompleted = false;
    bool printerListReceived = false;
    PrintingMode m_printingMode;
    // The last report, to be read again: a running worker does not send an unchanged status
    // again when the printer's description or its queue's condition comes.
    std::optional<PrinterStatusChangedEvent> m_lastReport;
    // It was dropped because the printer's description was missing.
    bool m_reportWithheld = false;
    // The followed printer is a queue of another make.
    bool m_followsQueue = false;
};
