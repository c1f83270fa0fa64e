#include "ui/traymainwindow.h"

#include "acquisition/jobpollingthread.h"
#include "acquisition/pldevice.h"
#include "acquisition/worker.h"
#include "acquisition/workerevents.h"
#include "base/functions.h"
#include "config/appsettings.h"
#include "config/configurator.h"
#include "discovery/printerenumerator.h"
#include "ui/desktopnotifier.h"
#include "ui/followedstatus.h"
#include "ui/optiondialogex.h"
#include "ui/panelstate.h"
#include "ui/pollingcontrol.h"
#include "ui/printeractions.h"
#include "ui/widgets/cartridgepellarview.h"
#include "ui/widgets/picturebutton.h"
#include "ui/widgets/plstatusview.h"

#include <QCheckBox>
#include <QFileInfo>

namespace {

enum Source { FromJob = 1, FromPrinterList = 2, FromMenu = 3 };
enum WindowState { Hidden = 0, ShownByUser = 1, ShownByEvent = 2 };
const char kNoticeIcon[] = "../share/icons/logo.png";
} // namespace

TrayMainWindow::TrayMainWindow(Configurator *configurator, ContextMenu *trayMenu,
                               Qt::WindowFlags flags)
    : TrayPanel(trayMenu, flags)
    , m_configurator(configurator)
    , m_printingMode(this)
{
    debugPrintf("TrayMainWindow::TrayMainWindow()");
    m_pOptionDlg = std::make_unique<OptionDialogEx>(nullptr, "optionDlg", false, flags);
    m_pOptionDlg->setAttribute(Qt::WA_QuitOnClose, false);
    connect(m_pOptionDlg.get(), &OptionDialogEx::closed, this, &TrayMainWindow::options_closed);

    connect(printerSettings, &QAbstractButton::clicked, this,
            &TrayMainWindow::printerSettings_clicked);
    connect(troubleshooting, &QAbstractButton::clicked, this,
            &TrayMainWindow::troubleshooting_clicked);
    connect(supplies, &QAbstractButton::clicked, this, &TrayMainWindow::supplies_clicked);
    connect(preparedCheck, &QCheckBox::stateChanged, this, &TrayMainWindow::prepare_clicked);
    connect(&m_printingMode, &PrintingMode::leaved, this, &TrayMainWindow::printingModeLeaved);

    m_printerEnumerator = std::make_unique<PrinterEnumerator>(
            this, m_configurator->useLocalStatusXml(), m_configurator->absPath(QString()));
    m_printerEnumerator->start();
    m_polling = std::make_unique<PollingControl>(this, m_configurator);
    m_jobPollingThread = m_polling->jobPolling();
    m_actions = std::make_unique<PrinterActions>(m_configurator);
    connect(m_actions.get(), &PrinterActions::printerBusy, this, &TrayMainWindow::printerBusy);

    m_configurator->loadConfig();
    debugPrintf("TrayMainWindow::TrayMainWindow: options validation: m_pOptionDlg=%p",
                static_cast<void *>(m_pOptionDlg.get()));
    m_pOptionDlg->validate(m_configurator->options(), m_configurator->watchOptions());
    debugPrintf("TrayMainWindow::TrayMainWindow: options:%s",
                qPrintable(m_configurator->options().toString()));
    applyOptions(m_configurator->options());
    m_notifier = std::make_unique<DesktopNotifier>(
            m_configurator->absPath(QLatin1String(kNoticeIcon)));
    connect(m_notifier.get(), &DesktopNotifier::showRequested, this,
            &TrayMainWindow::restoreWindow);
    connect(m_notifier.get(), &DesktopNotifier::notDelivered, this,
            &TrayMainWindow::statusNotDelivered);
}

TrayMainWindow::~TrayMainWindow()
{
    debugPrintf("m_printerEnumerator->running()=%d", m_printerEnumerator->isRunning() ? 1 : 0);
    m_printerEnumerator->stop();
    m_printerEnumerator->wait();
    m_printerEnumerator.reset();
    m_jobPollingThread = nullptr;
    m_polling.reset();
    m_actions.reset();
    m_pOptionDlg.reset();
}

void TrayMainWindow::setArguments(const QStringList &arguments)
{
    m_actions->setArguments(arguments);
}

void TrayMainWindow::connectMenu(const ContextMenu::FixedEntries &entries)
{
    connect(entries.showPanel, &QAction::triggered, this, &TrayMainWindow::restoreWindow);
    connect(entries.configure, &QAction::triggered, this, &TrayMainWindow::showOptions);
    connect(entries.printerSettings, &QAction::triggered, this,
            &TrayMainWindow::printerSettings_clicked);
    connect(entries.troubleshooting, &QAction::triggered, this,
            &TrayMainWindow::troubleshooting_clicked);
    connect(entries.buyNow, &QAction::triggered, this, &TrayMainWindow::supplies_clicked);
}

void TrayMainWindow::customEvent(QEvent *event)
{
    const int type = int(event->type());
    debugPrintf("TrayMainWindow::customEvent(%d): {", type);
    switch (type) {
    case PrinterStatusChangedEvent::kType:
        printerStatusChangedEvent(static_cast<PrinterStatusChangedEvent *>(event));
        break;
    case JobChangedEvent::kType:
        jobQueueChanged(static_cast<JobChangedEvent *>(event));
        break;
    case WorkerFinishedEvent::kType:
        // The same printer polled again keeps its icon: the next report is a moment away.
        if (!m_polling->restartsWorker())
            pollingStopped();
        else if (!m_polling->restartsOnSameChannel())
            showTrayState(QStringLiteral("default"));
        break;
    case WorkerStartEvent::kType:
        m_polling->workerStarted();
        break;
    case PrinterEnumerator::kPrintersChangedEvent:
        printerListChanged();
        break;
    }
    debugPrintf("TrayMainWindow::customEvent(%d): }", type);
}

void TrayMainWindow::selectPrinter(quint32 printerID, int source)
{
    selectionSource = source;
    debugPrintf("TrayMainWindow::selectPrinter() from %d", source);
    printerSelected(printerID);
}

void TrayMainWindow::selectPrinterFromMenu(int printerID)
{
    selectionSource = FromMenu;
    debugPrintf("TrayMainWindow::selectPrinter(0x%lX) from menu", static_cast<ulong>(printerID));
    printerSelected(quint32(printerID));
    // A job on another queue, or a list without the remembered one, switches the printer for
    // this run only.
    m_configurator->rememberActivePrinter();
}

void TrayMainWindow::printerListChanged()
{
    debugPrintf("TrayMainWindow::printerListChanged {");
    const PrinterMap printers = m_printerEnumerator->printers();
    // Every pass publishes; one that found what the last one did changes nothing, and the
    // followed printer's description is not read again every ten seconds.
    if (printerListReceived && printers == m_configurator->printers()) {
        debugPrintf("TrayMainWindow::printerListChanged }: the same printers");
        return;
    }
    // A queue stopped or started again changes only what the followed printer shows.
    if (printerListReceived
        && StatusPresentation::samePrintersApartFromQueues(printers, m_configurator->printers())) {
        m_configurator->setPrinters(printers);
        debugPrintf("TrayMainWindow::printerListChanged }: queue conditions");
        presentAgain();
        return;
    }
    m_configurator->setPrinters(printers);
    assignPrinters();
    printerListReceived = true;
    debugPrintf("TrayMainWindow::printerListChanged }");
}

void TrayMainWindow::assignPrinters()
{
    m_trayMenu->removePrinters();
    // At start nothing is active yet: the queue followed in the last run is chosen again.
    QString activeName = m_configurator->activePrinterName();
    debugPrintf("TrayMainWindow::assignPrinters(): current active device=%s",
                qPrintable(activeName));
    if (activeName.isEmpty())
        activeName = m_configurator->rememberedPrinterName();
    const auto choice
            = StatusPresentation::menuChoice(m_configurator->printers().values(), activeName);
    QAction *chosen = nullptr;
    for (qsizetype i = 0; i < choice.printers.size(); ++i) {
        const PrinterDesc &printer = choice.printers.at(i);
        QAction *entry = m_trayMenu->insertPrinter(printer.softName.value(0),
                                                   int(printer.uniqueKey), false);
        chosen = i == choice.chosen ? entry : chosen;
    }
    if (choice.named)
        debugPrintf("<%s> is found", qPrintable(activeName));
    selectPrinter(chosen ? choice.printers.at(choice.chosen).uniqueKey : 0, FromPrinterList);
    if (chosen)
        chosen->setChecked(true);
    debugPrintf("TrayMainWindow::assignPrinters(): new active device %s",
                qPrintable(m_configurator->activePrinterName()));
}

void TrayMainWindow::describeActivePrinter()
{
    const auto printer = m_configurator->printerDesc();
    m_followsQueue = printer->generic;
    enablePrinterMenu(true);
    // A queue of another make is set up on the server's web page, once it is known to be there.
    showPrinterSettings(printer->hasTunex
                        || (printer->generic && m_status.queueState()
                            && !m_status.queueState()->webPage.isEmpty()));
    setWindowTitle(printer->softName.value(0));
    Q_EMIT toolTipChanged(
            StatusPresentation::toolTip(printer->softName.value(0), m_status.state().title));
}

void TrayMainWindow::printerSelected(quint32 printerID)
{
    debugPrintf("TrayMainWindow::printerSelected(%u/%xh)", printerID, printerID);
    const bool useLocal = AppSettings::hasWord(QStringLiteral("use_local_sm"));
    if (printerID == m_configurator->activePrinter()) {
        const auto printer = m_configurator->printerDesc();
        if (printer) {
            debugPrintf("not changed: pd: %s", PrinterDesc::dumpOf(printer.get()).constData());
            describeActivePrinter();
            if (selectionSource == FromPrinterList) {
                m_configurator->activatePrinter(useLocal);
                if (!trayAvailable || !isHidden() || windowState == ShownByEvent)
                    m_polling->initWorker();
                updateControls(panelState(false));
                // The description may have come only now: what it explains is shown again.
                showWithheldReport();
            }
        }
        if (!cartridgeView->cartridgeVisible())
            updateCartridgeView();
        return;
    }

    m_lastReport.reset();
    m_configurator->saveIgnoredBits();
    m_configurator->setActivePrinter(printerID);
    m_configurator->loadIgnoredBits();
    const auto printer = m_configurator->printerDesc();
    const Options options = m_configurator->options();
    // Unless it keeps watching, a hidden panel polls only for a job the user wants to see
    // reported.
    applyWatching();
    const bool quiet = trayAvailable && isHidden() && !m_configurator->watchOptions().keepWatching
            && !(selectionSource == FromJob
                 && (options.displayPrinterError || options.displayPrinterWaiting));
    if (printer) {
        debugPrintf("changed: pd: %s", PrinterDesc::dumpOf(printer.get()).constData());
        m_configurator->activatePrinter(useLocal);
        describeActivePrinter();
        if (!quiet)
            m_polling->startWorker(true);
        updateCartridgeView();
    } else {
        m_followsQueue = false;
        enablePrinterMenu(false);
        showPrinterSettings(false);
        setWindowTitle(StatusPresentation::toolTip(QString(), QString()));
        Q_EMIT toolTipChanged(StatusPresentation::toolTip(QString(), QString()));
        if (!quiet)
            m_polling->startWorker(true);
    }
    debugPrintf("TrayMainWindow::printerSelected(printerID=[0x%lX]) %s",
                static_cast<ulong>(printerID), qPrintable(m_configurator->printerImagePath()));
    showPrinterImage();
}

void TrayMainWindow::showPrinterImage()
{
    drawPrinterPicture(m_configurator->printerImagePath());
}

bool TrayMainWindow::isWorkerBusy() const
{
    return m_polling->isWorkerBusy();
}

void TrayMainWindow::applyOptions(const Options &options)
{
    m_polling->applyOptions(options);
}

PanelState TrayMainWindow::panelState(bool applied) const
{
    const FollowedStatus::PrintingView &printing = m_status.printingView();
    return PanelState::of(m_status.state(), {printing.title, printing.text}, printing.id,
                          m_printingMode.flags(), applied);
}

void TrayMainWindow::updateControls(const PanelState &state)
{
    debugPrintf("TrayMainWindow::updateControls(): {\nm_statusDesc: %s\nm_printingStatusDesc: %s",
                qPrintable(m_status.status().toString()),
                qPrintable(m_status.printingStatus().toString()));
    drawPanel(state);
    if (state.leavesPrintingMode)
        m_printingMode.leave(PrintingMode::kLeaveDelayMs);
    m_trayMenu->showFamilyEntries(state.showsFamilyControls);
    drawGuide(state.guide);
    debugPrintf("TrayMainWindow::updateControls(): }");
}

void TrayMainWindow::drawGuide(PanelState::Guide guide)
{
    const bool troubleshootingGuide = guide == PanelState::Guide::Troubleshooting;
    // Without a user's guide beside the status's page the text stays as it was.
    if (!troubleshootingGuide) {
        const QString start
                = PanelState::usersGuideStart(m_configurator->getStatusHelp(m_status.status()));
        if (start.isEmpty() || !QFileInfo::exists(start))
            return;
    }
    RPCPanel::drawGuide(troubleshootingGuide);
    m_trayMenu->showGuide(troubleshootingGuide);
}

void TrayMainWindow::restoreWindow()
{
    debugPrintf("TrayMainWindow::restoreWindow()");
    const quint32 active = m_configurator->activePrinter();
    if (active != Configurator::kNoPrinter && active != 0) {
        windowState = ShownByUser;
        m_polling->setPanelClosed(false);
        // A worker that watched the closed panel and goes on has drawn its status already and
        // reports only a change; one that starts reports afresh.
        const bool watched = m_polling->isWorkerBusy() && !m_polling->restartsWorker();
        m_polling->startWorker(true);
        showPrinterImage();
        debugPrintf("TrayMainWindow::restoreWindow(): hide()");
        if (!watched || m_polling->restartsWorker())
            statusView->setStatus(statusView->regularView(), QString(), QString());
        showByUser("restoreWindow");
        return;
    }
    if (!isHidden())
        showByUser("restoreWindow");
    else if (!printerListReceived)
        warn(tr("Warning"),
             tr("The list of printers is not available yet.\nPlease wait for a moment and retry."));
    else
        warn(tr("No supported printer"),
             StatusPresentation::noSupportedPrinterText(m_printerEnumerator->families(),
                                                        m_printerEnumerator->otherQueues()));
}

void TrayMainWindow::trayIconClicked(const QRect &iconArea)
{
    setIconArea(iconArea);
    if (isVisible())
        hideWindow();
    else
        restoreWindow();
}

void TrayMainWindow::hideWindow()
{
    debugPrintf("TrayMainWindow::hideWindow()");
    if (!trayAvailable)
        return;
    hide();
    debugPrintf("TrayMainWindow::hideWindow(): hide()");
    applyWatching();
    if (!m_printingMode.isActive() && !m_configurator->watchOptions().keepWatching)
        m_polling->stopWorker();
    windowState = Hidden;
}

void TrayMainWindow::menuEnteredTray()
{
    showPrinterSettings(!printerSettings->isHidden());
    enablePrinterMenu(m_configurator->printerDesc() != nullptr);
}

void TrayMainWindow::showOptions()
{
    if (m_pOptionDlg)
        m_pOptionDlg->edit(m_configurator->options(), m_configurator->watchOptions());
}

void TrayMainWindow::options_closed(bool accepted)
{
    if (!accepted || !m_pOptionDlg)
        return;
    m_configurator->options() = m_pOptionDlg->options();
    m_configurator->watchOptions() = m_pOptionDlg->watchOptions();
    m_configurator->saveConfig();
    applyOptions(m_configurator->options());
    if (!trayAvailable || !isHidden() || m_printingMode.isActive())
        return;
    applyWatching();
    if (m_configurator->watchOptions().keepWatching)
        m_polling->startWorker(false);
    else
        m_polling->stopWorker();
}

void TrayMainWindow::prepare_clicked(int state)
{
    if (state == Qt::PartiallyChecked)
        return;
    const bool set = state == Qt::Checked;
    // A queue's supplies are silenced by name, the family's by the colour bits of its status.
    if (m_followsQueue)
        m_configurator->ignoreSupplies(m_status.state().supplies, set);
    else
        m_configurator->ignoreStatusOf(m_status.status(), set);
    if (set)
        preparedCheck->hide();
}

void TrayMainWindow::menu_activated() { }

void TrayMainWindow::menuCreated()
{
    showPrinterSettings(false);
}

void TrayMainWindow::troubleshooting_clicked()
{
    m_actions->openHelp(m_status.status());
}

void TrayMainWindow::supplies_clicked()
{
    m_actions->orderSupplies(m_status.toners());
}

void TrayMainWindow::printerSettings_clicked()
{
    const auto &queue = m_status.queueState();
    m_actions->openSettings(m_followsQueue, queue ? queue->webPage : QString(),
                            m_polling->isWorkerBusy() ? &m_status.status() : nullptr);
}

void TrayMainWindow::printerBusy()
{
    warn(tr("Warning"), tr("Printer is busy."));
}

void TrayMainWindow::closeEvent(QCloseEvent *event)
{
    TrayPanel::closeEvent(event);
    if (m_printingMode.isActive())
        m_printingMode.close();
}

void TrayMainWindow::printingModeEntered()
{
    debugPrintf("TrayMainWindow::printingModeEntered(): {");
    if (m_configurator->options().displayPrintingStatus)
        statusView->showPrintingStatus();
    debugPrintf("TrayMainWindow::printingModeEntered(): }");
}

void TrayMainWindow::printingModeLeaved()
{
    debugPrintf("TrayMainWindow::printingModeLeaved(): {");
    statusView->showRegularStatus();
    if (windowState != ShownByUser)
        close();
    debugPrintf("TrayMainWindow::printingModeLeaved(): }");
}

void TrayMainWindow::showTrayState(const QString &trayState)
{
    Q_EMIT stateChanged(trayState);
    Q_EMIT toolTipChanged(StatusPresentation::toolTip(m_configurator->activePrinterName(),
                                                      m_status.state().title));
}

void TrayMainWindow::printerStatusChangedEvent(PrinterStatusChangedEvent *event)
{
    debugPrintf("TrayMainWindow::printerStatusChangedEvent()");
    const StatusBlock &raw = event->status();
    const auto printer = m_configurator->printerDesc();
    debugPrintf("pd: %s", PrinterDesc::dumpOf(printer.get()).constData());
    // A queue followed through CUPS describes itself.
    const bool hasStatusXml = printer && (!printer->statusXml.isNull() || printer->generic);
    m_lastReport.emplace(raw, event->queueState());
    m_reportWithheld = StatusPresentation::waitsForDescription(bool(printer), raw, hasStatusXml);
    // A closed panel that keeps watching still has the tray looking.
    const bool watching = m_configurator->watchOptions().keepWatching;
    if (StatusPresentation::dropsReport(bool(printer), raw, hasStatusXml, isHidden() && !watching,
                                        m_printingMode.isActive()))
        return;
    // Outside the printing mode a report for a closed panel goes to the tray and the desktop's
    // notifications only.
    const bool quiet = isHidden() && !m_printingMode.isActive();
    if (isHidden() && !quiet)
        windowState = ShownByEvent;
    const int result = applyStatus(raw, event->queueState());
    debugPrintf("TrayMainWindow::printerStatusChangedEvent(): status <%s> %s",
                qPrintable(m_status.state().title), result == 1 ? "is applied" : "is missed");
    notifyStatus(!quiet);
    if (result != 1 || quiet)
        return;
    m_polling->setPanelClosed(false);
    popUp();
}

void TrayMainWindow::applyWatching()
{
    m_polling->setPanelClosed(trayAvailable && isHidden()
                              && m_configurator->watchOptions().keepWatching);
}

void TrayMainWindow::pollingStopped()
{
    // A status nobody checks any longer is not shown as if it still held.
    Q_EMIT stateChanged(QStringLiteral("default"));
    Q_EMIT toolTipChanged(StatusPresentation::toolTip(QString(), QString()));
    m_notifier->forgetStatus();
}

void TrayMainWindow::notifyStatus(bool shownInPanel)
{
    const PrinterState &state = m_status.state();
    const auto notice = StatusPresentation::notice(state, m_status.isApplicable(),
                                                   m_configurator->options(), shownInPanel);
    m_notifier->followStatus(qHash(state.key()), state.title, state.text(), notice);
}

void TrayMainWindow::statusNotDelivered()
{
    // Without a notification service the panel tells, as it did before there was one.
    if (!trayAvailable || !isHidden())
        return;
    windowState = ShownByEvent;
    m_polling->setPanelClosed(false);
    popUp();
}

int TrayMainWindow::applyStatus(const StatusBlock &raw)
{
    return applyStatus(raw, m_status.queueState());
}

int TrayMainWindow::applyStatus(const StatusBlock &raw,
                                const std::optional<CupsPrinterState> &queue)
{
    debugPrintf("TrayMainWindow::applyStatus(): status: %s\nprintingMode: %s",
                qPrintable(raw.toString()), qPrintable(m_printingMode.toString()));
    const auto printer = m_configurator->printerDesc();
    const QString unknown = tr("Unknown status");
    const FollowedStatus::Reading reading
            = m_status.read(raw, queue, printer.get(), *m_configurator, unknown);
    const bool reportsJob = StatusPresentation::printerReportsJob(reading.state);
    if (!m_printingMode.isActive() && m_configurator->options().displayPrintingStatus) {
        // Asked only when the printer itself tells nothing of a job; the job polling thread
        // has read the lists, and the window never waits for the server.
        const bool spooled = !reportsJob && printer
                && m_jobPollingThread->hasOwnActiveJobs(printer->softName.value(0));
        if (reportsJob || spooled)
            m_printingMode.enter(spooled);
    }
    debugPrintf("printingMode(before main conditions): %s", qPrintable(m_printingMode.toString()));

    const bool applied = m_status.take(reading, m_printingMode, *m_configurator, unknown);
    if (m_followsQueue && queue)
        showPrinterSettings(!queue->webPage.isEmpty());
    const PanelState state = panelState(applied);
    updateControls(state);
    debugPrintf("TrayMainWindow::applyStatus(...): %s prepare check",
                state.showsPrepareBox ? "show" : "hide");
    drawPrepareBox(state.showsPrepareBox);
    drawToners(state);
    showTrayState(state.trayState);
    return applied ? 1 : 0;
}

void TrayMainWindow::showWithheldReport()
{
    const auto printer = m_configurator->printerDesc();
    if (!m_reportWithheld || !printer || printer->statusXml.isNull())
        return;
    debugPrintf("TrayMainWindow::showWithheldReport(): the description has come");
    presentAgain();
}

void TrayMainWindow::presentAgain()
{
    // Without a worker nothing of the printer is shown that could be out of date, but for a
    // report that waited for the printer's description.
    if (!m_lastReport || !(m_reportWithheld || m_polling->isWorkerBusy()))
        return;
    PrinterStatusChangedEvent report(m_lastReport->status(), m_lastReport->queueState());
    printerStatusChangedEvent(&report);
}

void TrayMainWindow::drawToners(const PanelState &state)
{
    debugPrintf("^^^^^^^^^^^^^^^^ TrayMainWindow::drawToners():");
    debugPrintf("\tm_tonerDesc.isEmpty()=%d m_statusDesc.showToner()=%d m_statusDesc.isEmpty()=%d",
                m_status.toners().isEmpty() ? 1 : 0, m_status.status().showToner() ? 1 : 0,
                m_status.status().isEmpty() ? 1 : 0);
    debugPrintf("TrayMainWindow::drawToners(): toner description is %s",
                state.showsToners ? "valid" : "invalid");
    if (state.showsToners)
        dumpTonerDesc(m_status.toners(), QString());
    RPCPanel::drawToners(state);
}

void TrayMainWindow::updateCartridgeView()
{
    drawTonerTable(m_followsQueue ? TonerInfoList() : m_configurator->tonerList());
}

void TrayMainWindow::jobQueueChanged(JobChangedEvent *event)
{
    debugPrintf("TrayMainWindow::jobQueueChanged():\nReceived event from printer job polling "
                "thread:\n\tdestination: %s\n\tstatus: %s\n\ttype: %s\n",
                qPrintable(event->destination), event->completed ? "completed" : "not-completed",
                event->network ? "network" : "local");
    const auto printer = m_configurator->findPrinterByName(event->destination);
    if (!printer) {
        debugPrintf("TrayMainWindow::jobQueueChanged(): cannot find printer description by soft "
                    "name \"%s\"",
                    qPrintable(event->destination));
        return;
    }
    jobCompleted = event->completed;
    if (StatusPresentation::noticesFinishedJob(event->completed, event->network,
                                               m_configurator->options())) {
        const StatusDesc done = m_configurator->getStatusDesc(Configurator::kPrintingCompletedId,
                                                              QString(), QString());
        m_notifier->tell(done.title(), tr("Your job on %1 has finished.").arg(event->destination));
    }
    if (printer->uniqueKey == m_configurator->activePrinter()) {
        debugPrintf("TrayMainWindow::jobQueueChanged(): printer is not changed");
    } else {
        m_polling->stopWorker();
        const QString entry = m_trayMenu->checkPrinter(printer->uniqueKey);
        if (!entry.isNull())
            debugPrintf("TrayMainWindow::jobQueueChanged(): checked menu text: \"%s\"",
                        qPrintable(entry));
        else
            debugPrintf("TrayMainWindow::jobQueueChanged(): cannot find menu item for checking!");
        selectPrinter(printer->uniqueKey, FromJob);
    }
    // A closed panel that keeps watching has a worker that reports only changes; the job's
    // pop-up comes with a fresh report.
    const bool refresh = isHidden() && m_polling->isWorkerBusy() && !m_printingMode.isActive();
    m_polling->startWorker(false);
    if (!m_printingMode.isActive()) {
        m_printingMode.enter(!event->completed);
        applyStatus(m_status.lastBlock());
    }
    if (refresh)
        m_polling->restartWorker();
}
