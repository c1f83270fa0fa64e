#include "ui/traymainwindow.h"

#include "acquisition/jobpollingthread.h"
#include "acquisition/pldevice.h"
#include "acquisition/worker.h"
#include "acquisition/workerevents.h"
#include "base/functions.h"
#include "config/appsettings.h"
#include "config/configurator.h"
#include "config/externalprograms.h"
#include "discovery/printerenumerator.h"
#include "ui/autopixmapcache.h"
#include "ui/optiondialogex.h"
#include "ui/widgets/cartridgepellarview.h"
#include "ui/widgets/picturebutton.h"
#include "ui/widgets/plstatusview.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>

namespace {

const int kRaisedPriority = 80;
const int kJobPollingExitWaitMs = 100;

enum Source { FromJob = 1, FromPrinterList = 2, FromMenu = 3 };
enum WindowState { Hidden = 0, ShownByUser = 1, ShownByEvent = 2 };

QByteArray dumpOf(const PrinterDesc *printer)
{
    return printer ? printer->toString().toLocal8Bit() : QByteArray("NULL");
}

} // namespace

// The worker is stopped, so the status is read once for the tool. A printer that does not
// answer takes seconds: the read runs on a thread of its own, on a channel of its own, and the
// window goes on when it is done.
struct TrayMainWindow::SettingsRead
{
    std::unique_ptr<PlDevice> device;
    Worker reader{nullptr};
    StatusBlock status;
    int retCode = 0;
    std::unique_ptr<QThread> thread;
};

TrayMainWindow::TrayMainWindow(Configurator *configurator, ContextMenu *trayMenu,
                               Qt::WindowFlags flags)
    : RPCPanel(nullptr, nullptr, false, flags)
    , m_statusDesc(Configurator::kNoStatusId, StatusDesc::Unknown)
    , m_printingStatusDesc(Configurator::kNoStatusId, StatusDesc::Unknown)
    , m_configurator(configurator)
    , m_trayMenu(trayMenu)
    , m_printingMode(this)
{
    debugPrintf("TrayMainWindow::TrayMainWindow()");
    // With a tray, closing a window hides it; start-up changes this when there is none.
    setAttribute(Qt::WA_QuitOnClose, false);
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
    m_worker = std::make_unique<Worker>(this);
    connect(m_worker.get(), &QThread::finished, this, &TrayMainWindow::workerStopped,
            Qt::QueuedConnection);
    m_jobPollingThread = std::make_unique<JobPollingThread>(this);

    m_configurator->loadConfig();
    debugPrintf("TrayMainWindow::TrayMainWindow: options validation: m_pOptionDlg=%p",
                static_cast<void *>(m_pOptionDlg.get()));
    m_pOptionDlg->setOptions(m_configurator->options());
    m_configurator->options() = m_pOptionDlg->options();
    debugPrintf("TrayMainWindow::TrayMainWindow: options:%s",
                qPrintable(m_configurator->options().toString()));
    applyOptions(m_configurator->options());

    preparedCheck->hide();
    cartridgeView->setCartridgeVisible(false);
    infoLabel->hide();
}

TrayMainWindow::~TrayMainWindow()
{
    debugPrintf("m_printerEnumerator->running()=%d", m_printerEnumerator->isRunning() ? 1 : 0);
    m_printerEnumerator->stop();
    m_printerEnumerator->wait();
    m_printerEnumerator.reset();
    // At the end the window waits for the last poll: nothing else is left to answer.
    m_restartWorker = false;
    stopWorker();
    m_worker->wait();
    restoreScheduling();
    m_worker.reset();
    m_device.reset();
    // A thread stuck on a server that does not answer must not hold the exit for a minute.
    JobPollingThread::discard(std::move(m_jobPollingThread), kJobPollingExitWaitMs);
    if (m_settingsRead)
        m_settingsRead->thread->wait();
    m_pOptionDlg.reset();
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
        showTrayState(StatusDesc::Unknown);
        break;
    case WorkerStartEvent::kType:
        workerStarted();
        break;
    case PrinterEnumerator::kPrintersChangedEvent:
        printerListChanged();
        break;
    default:
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
    QStringList networkPaths;
    quint32 fallbackId = 0;
    QAction *fallback = nullptr;
    bool found = false;
    const PrinterMap printers = m_configurator->printers();
    for (const PrinterDesc &printer : printers) {
        if (!printer.isLocal)
            networkPaths.append(printer.devPath);
        const QString name = printer.softName.value(0);
        QAction *entry = m_trayMenu->insertPrinter(name, int(printer.uniqueKey), false);
        if (!fallback) {
            fallback = entry;
            fallbackId = printer.uniqueKey;
        }
        if (!found && name == activeName) {
            debugPrintf("<%s> is found", qPrintable(name));
            found = true;
            selectPrinter(printer.uniqueKey, FromPrinterList);
            entry->setChecked(true);
        }
    }
    m_jobPollingThread->setNWPrinterNames(networkPaths);
    if (!found) {
        selectPrinter(fallbackId, FromPrinterList);
        if (fallback)
            fallback->setChecked(true);
    }
    debugPrintf("TrayMainWindow::assignPrinters(): new active device %s",
                qPrintable(m_configurator->activePrinterName()));
}

void TrayMainWindow::describeActivePrinter()
{
    const auto printer = m_configurator->printerDesc();
    enablePrinterMenu(true);
    showPrinterSettings(printer->hasTunex);
    setWindowTitle(printer->softName.value(0) + QLatin1String(" (") + printer->softPath
                   + QLatin1Char(')'));
    m_jobPollingThread->setPrinterNames(printer->softName);
    Q_EMIT toolTipChanged(
            StatusPresentation::toolTip(printer->softName.value(0), m_statusDesc.title()));
}

void TrayMainWindow::printerSelected(quint32 printerID)
{
    debugPrintf("TrayMainWindow::printerSelected(%u/%xh)", printerID, printerID);
    const bool useLocal = AppSettings::hasWord(QStringLiteral("use_local_sm"));
    const auto activate = [this, useLocal] {
        if (useLocal)
            m_configurator->activatePrinter(m_configurator->readLocalStatusXml());
        else
            m_configurator->activatePrinter();
    };
    if (printerID == m_configurator->activePrinter()) {
        const auto printer = m_configurator->printerDesc();
        if (printer) {
            debugPrintf("not changed: pd: %s", dumpOf(printer.get()).constData());
            describeActivePrinter();
            if (selectionSource == FromPrinterList) {
                activate();
                if (!trayAvailable || !isHidden() || windowState == ShownByEvent)
                    initWorker();
                updateControls();
                showWithheldReport();
            }
        }
        if (!cartridgeView->cartridgeVisible())
            updateCartridgeView();
        return;
    }

    m_withheldReport.reset();
    m_configurator->saveIgnoredBits();
    m_configurator->setActivePrinter(printerID);
    m_configurator->loadIgnoredBits();
    const auto printer = m_configurator->printerDesc();
    const Options options = m_configurator->options();
    // A hidden panel polls only for a job the user wants to see reported.
    const bool quiet = trayAvailable && isHidden()
            && !(selectionSource == FromJob
                 && (options.displayPrinterError || options.displayPrinterWaiting));
    if (printer) {
        debugPrintf("changed: pd: %s", dumpOf(printer.get()).constData());
        activate();
        describeActivePrinter();
        if (!quiet)
            startWorker(true);
        updateCartridgeView();
    } else {
        enablePrinterMenu(false);
        showPrinterSettings(false);
        setWindowTitle(StatusPresentation::toolTip(QString(), QString()));
        m_jobPollingThread->setPrinterNames(QStringList());
        Q_EMIT toolTipChanged(StatusPresentation::toolTip(QString(), QString()));
        if (!quiet)
            startWorker(true);
    }
    debugPrintf("TrayMainWindow::printerSelected(printerID=[0x%lX]) %s",
                static_cast<ulong>(printerID), qPrintable(m_configurator->printerImagePath()));
    showPrinterImage();
}

void TrayMainWindow::showPrinterImage()
{
    const QPixmap picture(m_configurator->printerImagePath());
    if (picture.width() == 0 || picture.height() == 0)
        return;
    const int side = qMin(logoBitmap->width(), logoBitmap->height());
    logoBitmap->setPixmap(
            picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

bool TrayMainWindow::isWorkerBusy() const
{
    return m_worker->isRunning();
}

// The worker holds its mutex for a whole poll, and a poll of a silent printer takes seconds:
// the window never calls into a running worker. A new channel or a stop goes through the
// thread's interruption flag, and the finished worker takes the channel and starts again.
bool TrayMainWindow::initWorker()
{
    debugPrintf("TrayMainWindow::initWorker");
    const auto printer = m_configurator->printerDesc();
    if (!printer)
        return false;
    debugPrintf("initWorker: pd: %s", dumpOf(printer.get()).constData());
    m_pendingDevice = printer->device();
    // Every printer list passes the same printer again: a running worker that already polls
    // it goes on, where a restart would flash the tray icon and report its status anew.
    if (m_worker->isRunning() && !m_worker->isInterruptionRequested() && m_device && m_pendingDevice
        && m_device->toString() == m_pendingDevice->toString()) {
        m_pendingDevice.reset();
        return true;
    }
    if (m_worker->isRunning()) {
        m_restartWorker = true;
        m_worker->requestInterruption();
        return true;
    }
    m_worker->setDevice(m_pendingDevice.get());
    m_device = std::move(m_pendingDevice);
    return true;
}

void TrayMainWindow::startWorker(bool flag)
{
    debugPrintf("TrayMainWindow::startWorker(%d)", flag ? 1 : 0);
    initWorker();
    if (m_worker->isRunning()) {
        debugPrintf("TrayMainWindow::startWorker(%s) already started", flag ? "true" : "false");
        // A worker that is stopping starts again once it has finished.
        if (m_worker->isInterruptionRequested())
            m_restartWorker = true;
        return;
    }
    m_worker->setPollingInterval(m_pollingInterval);
    Thread::getScheduling(&savedPolicy, &savedPriority);
    m_schedulingRaised = Thread::setPriority(kRaisedPriority);
    m_worker->startWithPriority(-1);
    ++m_startedRuns;
    // The worker has inherited the raised scheduling; a worker that did not start sends no
    // start event to restore it.
    if (!m_worker->isRunning() && !m_worker->isFinished())
        restoreScheduling();
}

void TrayMainWindow::restoreScheduling()
{
    if (!m_schedulingRaised)
        return;
    Thread::setScheduling(savedPolicy, savedPriority);
    m_schedulingRaised = false;
}

void TrayMainWindow::workerStarted()
{
    debugPrintf("TrayMainWindow::workerStarted(): {");
    restoreScheduling();
    debugPrintf("TrayMainWindow::workerStarted(): }");
}

void TrayMainWindow::workerStopped()
{
    // A run that has ended while a newer one began leaves nothing to do.
    if (++m_finishedRuns != m_startedRuns)
        return;
    // Only the thread's own ending is left once finished() arrives.
    m_worker->wait();
    restoreScheduling();
    if (m_pendingDevice) {
        m_worker->setDevice(m_pendingDevice.get());
        m_device = std::move(m_pendingDevice);
    }
    if (m_restartWorker) {
        m_restartWorker = false;
        startWorker(false);
    }
}

void TrayMainWindow::stopWorker()
{
    debugPrintf("TrayMainWindow::stopWorker");
    m_restartWorker = false;
    if (m_worker->isRunning())
        m_worker->requestInterruption();
}

void TrayMainWindow::startJobPolling()
{
    if (const auto printer = m_configurator->printerDesc())
        m_jobPollingThread->setPrinterNames(printer->softName);
    // A thread still ending after a stop starts again once it has ended.
    m_jobPollingThread->start();
}

void TrayMainWindow::stopJobPolling()
{
    // Not waited for: the thread may be waiting for a server that does not answer.
    m_jobPollingThread->stop();
}

void TrayMainWindow::applyOptions(const Options &options)
{
    debugPrintf("TrayMainWindow::applyOptions: options:%s", qPrintable(options.toString()));
    m_pollingInterval = options.scheduleTime;
    // A running worker takes the interval at its restart, not in the middle of a poll.
    if (m_worker->isRunning()) {
        m_restartWorker = true;
        m_worker->requestInterruption();
    } else {
        m_worker->setPollingInterval(m_pollingInterval);
    }
    if (options.displayPrintingStatus)
        startJobPolling();
    else
        stopJobPolling();
}

void TrayMainWindow::updateControls()
{
    debugPrintf("TrayMainWindow::updateControls(): {\nm_statusDesc: %s\nm_printingStatusDesc: %s",
                qPrintable(m_statusDesc.toString()), qPrintable(m_printingStatusDesc.toString()));
    const quint32 id = m_statusDesc.id();
    const bool enabled = id != Configurator::kUsbStatusUnavailableId
            && id != Configurator::kNetworkStatusUnavailableId;
    cartridgeView->setCartridgeVisible(enabled);
    supplies->setEnabled(enabled);
    printerSettings->setEnabled(enabled);

    statusView->setStatus(statusView->regularView(), m_statusDesc.title(), m_statusDesc.desc());
    statusView->setStatus(statusView->printingView(), m_printingStatusDesc.title(),
                          m_printingStatusDesc.desc());
    if (m_printingMode.isActive())
        statusView->showPrintingStatus();
    else
        statusView->showRegularStatus();
    if (StatusPresentation::leavesPrintingMode(m_printingMode.flags(), m_printingStatusDesc.id()))
        m_printingMode.leave(PrintingMode::kLeaveDelayMs);

    troubleshooting->setEnabled(id != Configurator::kNoDeviceStatusId);
    QAction *entry = m_trayMenu->troubleshootingAction();
    if (m_statusDesc.type() == StatusDesc::Error) {
        troubleshooting->setText(RPCPanel::tr("Troubleshooting\nGuide"));
        if (entry)
            entry->setText(ContextMenu::tr("Troubleshooting Guide"));
    } else {
        const QString help = m_configurator->getStatusHelp(m_statusDesc);
        if (!help.isEmpty()
            && QFileInfo::exists(
                    QFileInfo(help).dir().filePath(QStringLiteral("start_here.htm")))) {
            troubleshooting->setText(tr("User's Guide"));
            if (entry)
                entry->setText(tr("User's Guide"));
        }
    }
    debugPrintf("TrayMainWindow::updateControls(): }");
}

void TrayMainWindow::enablePrinterMenu(bool enable)
{
    m_trayMenu->enablePrinterEntries(enable);
}

void TrayMainWindow::showPrinterSettings(bool show)
{
    m_trayMenu->showPrinterSettings(show);
    printerSettings->setVisible(show);
}

void TrayMainWindow::restoreWindow()
{
    debugPrintf("TrayMainWindow::restoreWindow()");
    const quint32 active = m_configurator->activePrinter();
    if (active != Configurator::kNoPrinter && active != 0) {
        windowState = ShownByUser;
        startWorker(true);
        showPrinterImage();
        debugPrintf("TrayMainWindow::restoreWindow(): hide()");
        statusView->setStatus(statusView->regularView(), QString(), QString());
        hide();
        showNormal();
        debugPrintf("TrayMainWindow::restoreWindow(): showNormal()");
        return;
    }
    if (!isHidden()) {
        hide();
        showNormal();
    } else if (!printerListReceived) {
        QMessageBox::warning(this, tr("Warning"),
                             tr("The list of printers is not available yet.\nPlease wait for a "
                                "moment and retry."));
    } else {
        QMessageBox::warning(this, tr("No supported printer"), noSupportedPrinterText());
    }
}

QString TrayMainWindow::noSupportedPrinterText() const
{
    const QStringList families
            = m_printerEnumerator ? m_printerEnumerator->families() : QStringList();
    const QStringList queues
            = m_printerEnumerator ? m_printerEnumerator->otherQueues() : QStringList();
    const QString follows = families.isEmpty()
            ? tr("This installation names no printer family it follows.")
            : tr("Pellar follows printers of these families: %1.")
                      .arg(families.join(QLatin1String(", ")));
    const QString found = queues.isEmpty()
            ? tr("CUPS has no printer queue.")
            : tr("CUPS has these queues, and none of them is of a supported family:\n%1")
                      .arg(queues.join(QLatin1Char('\n')));
    return follows + QLatin1String("\n\n") + found + QLatin1String("\n\n")
            + tr("Please install supported driver or port.");
}

void TrayMainWindow::hideWindow()
{
    debugPrintf("TrayMainWindow::hideWindow()");
    if (!trayAvailable)
        return;
    hide();
    debugPrintf("TrayMainWindow::hideWindow(): hide()");
    if (!m_printingMode.isActive())
        stopWorker();
    windowState = Hidden;
}

void TrayMainWindow::closeWindow()
{
    closingFlag = true;
    close();
}

void TrayMainWindow::startWithoutTray()
{
    m_sizeWithTray = size();
    setFixedSize(width(), height() + infoLabel->sizeHint().height());
    infoLabel->show();
    setAttribute(Qt::WA_QuitOnClose, true);
    hide();
    debugPrintf("TrayMainWindow::startWithoutTray: hide()");
    showNormal();
    debugPrintf("TrayMainWindow::startWithoutTray: showNormal()");
    m_trayMenu->leaveTray();
}

void TrayMainWindow::moveIntoTray()
{
    debugPrintf("TrayMainWindow::moveIntoTray()");
    m_trayMenu->enterTray();
    showPrinterSettings(!printerSettings->isHidden());
    enablePrinterMenu(m_configurator->printerDesc() != nullptr);
    infoLabel->hide();
    if (m_sizeWithTray.isValid())
        setFixedSize(m_sizeWithTray);
    setAttribute(Qt::WA_QuitOnClose, false);
    hideWindow();
}

void TrayMainWindow::showOptions()
{
    if (!m_pOptionDlg)
        return;
    m_pOptionDlg->setOptions(m_configurator->options());
    m_pOptionDlg->hide();
    m_pOptionDlg->showNormal();
}

void TrayMainWindow::options_closed(bool accepted)
{
    if (!accepted || !m_pOptionDlg)
        return;
    m_configurator->options() = m_pOptionDlg->options();
    m_configurator->saveConfig();
    applyOptions(m_configurator->options());
}

void TrayMainWindow::prepare_clicked(int state)
{
    if (state == Qt::Checked) {
        m_configurator->ignoreStatusOf(m_statusDesc, true);
        preparedCheck->hide();
    } else if (state == Qt::Unchecked) {
        m_configurator->ignoreStatusOf(m_statusDesc, false);
    }
}

void TrayMainWindow::menu_activated() { }

void TrayMainWindow::menuCreated()
{
    showPrinterSettings(false);
}

void TrayMainWindow::troubleshooting_clicked()
{
    const QString topic = m_configurator->getStatusHelp(m_statusDesc);
    debugPrintf("TrayMainWindow::troubleshooting_clicked(): topic=%s", qPrintable(topic));
    StartWebBrowser(QStringLiteral("file://") + topic);
}

void TrayMainWindow::supplies_clicked()
{
    const QString baseUrl = m_configurator->supplyOrderUrl();
    debugPrintf("base url: %s", qPrintable(baseUrl));
    const QByteArrayList codes
            = StatusPresentation::supplyOrderCodes(m_configurator->tonerList(), m_tonerDesc);
    for (const QByteArray &code : codes)
        debugPrintf("toner ids:\n%s\n", code.constData());
    // Opened without a shell: quotes would become part of the address.
    const QString address
            = StatusPresentation::supplyOrderAddress(baseUrl, m_configurator->separator(), codes);
    debugPrintf("whole url: %s", qPrintable(address));
    OpenWebAddress(address);
}

void TrayMainWindow::printerSettings_clicked()
{
    if (m_worker->isRunning()) {
        debugPrintf("TrayMainWindow::printerSettings_clicked(): status = \n%s",
                    qPrintable(m_statusDesc.toString()));
        startPrinterSettings(m_statusDesc.statusBlock()[0]);
        return;
    }
    if (m_settingsRead) {
        debugPrintf("TrayMainWindow::printerSettings_clicked(): the status is being read");
        return;
    }
    m_settingsRead = std::make_unique<SettingsRead>();
    SettingsRead *read = m_settingsRead.get();
    if (const auto printer = m_configurator->printerDesc())
        read->device = printer->device();
    read->reader.setDevice(read->device.get());
    read->thread.reset(
            QThread::create([read] { read->status = read->reader.getStatus(&read->retCode); }));
    connect(read->thread.get(), &QThread::finished, this, &TrayMainWindow::settingsStatusRead,
            Qt::QueuedConnection);
    read->thread->start();
}

void TrayMainWindow::settingsStatusRead()
{
    if (!m_settingsRead)
        return;
    m_settingsRead->thread->wait();
    const std::unique_ptr<SettingsRead> read = std::move(m_settingsRead);
    if (read->retCode == -1) {
        debugPrintf("TrayMainWindow::printerSettings_clicked(): Obtain status with wrong ret "
                    "code (-1).");
        return printerBusy();
    }
    if (read->status.isEmpty()) {
        debugPrintf("TrayMainWindow::printerSettings_clicked(): Obtain empty status.");
        return printerBusy();
    }
    debugPrintf("TrayMainWindow::printerSettings_clicked(): status = \n%s",
                qPrintable(read->status.toString()));
    startPrinterSettings(read->status[0]);
}

void TrayMainWindow::startPrinterSettings(quint8 state)
{
    if (state & 0x08) {
        debugPrintf("TrayMainWindow::printerSettings_clicked(): Cannot start tunex. Device is "
                    "printing now.");
        return printerBusy();
    }
    const int result = m_configurator->runPrinterSettings(m_arguments.join(QLatin1Char(' ')));
    if (result == Configurator::kSettingsNoPrinter || result == Configurator::kSettingsNoDevice)
        printerBusy();
}

void TrayMainWindow::printerBusy()
{
    QMessageBox::warning(this, tr("Warning"), tr("Printer is busy."));
}

void TrayMainWindow::closeEvent(QCloseEvent *event)
{
    if (trayAvailable) {
        if (closingFlag)
            closingFlag = false;
        else
            hideWindow();
    }
    event->accept();
    if (m_printingMode.isActive())
        m_printingMode.close();
}

void TrayMainWindow::reject()
{
    // Escape closes the panel the way its frame does.
    close();
}

void TrayMainWindow::mousePressEvent(QMouseEvent *event)
{
    RPCPanel::mousePressEvent(event);
    if (!trayAvailable && event->button() == Qt::RightButton)
        m_trayMenu->popup(event->globalPosition().toPoint());
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

void TrayMainWindow::showTrayState(int type)
{
    const QString image = StatusPresentation::trayImage(type);
    Q_EMIT stateChanged(AutoPixmapCache::pixmap(m_configurator->absPath(image)));
    Q_EMIT toolTipChanged(
            StatusPresentation::toolTip(m_configurator->activePrinterName(), m_statusDesc.title()));
}

void TrayMainWindow::printerStatusChangedEvent(PrinterStatusChangedEvent *event)
{
    debugPrintf("TrayMainWindow::printerStatusChangedEvent()");
    const StatusBlock &raw = event->status();
    const auto printer = m_configurator->printerDesc();
    debugPrintf("pd: %s", dumpOf(printer.get()).constData());
    const bool hasStatusXml = printer && !printer->statusXml.isNull();
    if (StatusPresentation::waitsForDescription(bool(printer), raw, hasStatusXml))
        m_withheldReport = raw;
    else
        m_withheldReport.reset();
    if (StatusPresentation::dropsReport(bool(printer), raw, hasStatusXml, isHidden(),
                                        m_printingMode.isActive()))
        return;
    if (isHidden())
        windowState = ShownByEvent;
    const int result = applyStatus(raw);
    debugPrintf("TrayMainWindow::printerStatusChangedEvent(): status <%s> %s",
                qPrintable(m_statusDesc.title()),
                result == 1           ? "is applied"
                        : result == 0 ? "is missed"
                                      : "???");
    if (result != 1)
        return;
    if (!isActiveWindow()) {
        debugPrintf("TrayMainWindow::customEvent(): hide()");
        hide();
    }
    showNormal();
    activateWindow();
    debugPrintf("TrayMainWindow::customEvent(): showNormal()");
}

int TrayMainWindow::applyStatus(const StatusBlock &raw)
{
    debugPrintf("TrayMainWindow::applyStatus(): status: %s\nprintingMode: %s",
                qPrintable(raw.toString()), qPrintable(m_printingMode.toString()));
    const auto printer = m_configurator->printerDesc();
    if (!m_printingMode.isActive() && m_configurator->options().displayPrintingStatus) {
        // Asked only when the printer itself tells nothing of a job; the job polling thread
        // has read the lists, and the window never waits for the server.
        const bool spooled = !StatusPresentation::printerReportsJob(raw) && printer
                && m_jobPollingThread->hasOwnActiveJobs(printer->softName.value(0));
        if (StatusPresentation::printerReportsJob(raw) || spooled)
            m_printingMode.enter(spooled);
    }
    debugPrintf("printingMode(before main conditions): %s", qPrintable(m_printingMode.toString()));

    if (raw.isEmpty() || !printer)
        debugPrintf("1");
    const quint32 id
            = StatusPresentation::lookupId(raw, bool(printer), printer ? printer->isLocal : true);
    const QString unknown = tr("Unknown status");
    const QString hex = QString::fromLatin1(
            QByteArray(reinterpret_cast<const char *>(raw.data()), StatusBlock::kPrinterBytes)
                    .toHex());
    StatusDesc status = m_configurator->getStatusDesc(id, unknown, hex);
    const auto page = StatusPresentation::printingPage(raw, id, m_printingMode.flags());
    for (const QByteArray &mark : page.marks)
        debugPrintf("%s", mark.constData());
    if (StatusPresentation::printerReportsJob(raw))
        m_printingMode.removeActiveJobsFromSpooler();

    m_tonerDesc = m_configurator->getTonerDesc(raw);
    m_configurator->updateIgnoredBits(m_tonerDesc);

    status.setStatusBlock(raw);
    int result = 0;
    if (m_configurator->isStatusApplicable(status)) {
        m_statusDesc = status;
        m_printingStatusDesc = m_configurator->getStatusDesc(page.id, unknown, hex);
        result = 1;
    }
    m_statusDesc.setStatusBlock(raw);
    m_printingStatusDesc.setStatusBlock(raw);
    debugPrintf("%s", qPrintable(m_statusDesc.toString()));
    updateControls();

    const bool showPrepare = result == 1 && m_statusDesc.isLowToner();
    debugPrintf("TrayMainWindow::applyStatus(...): %s prepare check",
                showPrepare ? "show" : "hide");
    preparedCheck->setVisible(showPrepare);
    // Not a user's choice: the check box starts unchecked for every status.
    disconnect(preparedCheck, &QCheckBox::stateChanged, this, &TrayMainWindow::prepare_clicked);
    preparedCheck->setChecked(false);
    connect(preparedCheck, &QCheckBox::stateChanged, this, &TrayMainWindow::prepare_clicked);

    drawToners();
    showTrayState(m_statusDesc.type());
    return result;
}

void TrayMainWindow::showWithheldReport()
{
    const auto printer = m_configurator->printerDesc();
    if (!m_withheldReport || !printer || printer->statusXml.isNull())
        return;
    debugPrintf("TrayMainWindow::showWithheldReport(): the description has come");
    PrinterStatusChangedEvent report(*m_withheldReport);
    printerStatusChangedEvent(&report);
}

void TrayMainWindow::drawToners()
{
    debugPrintf("^^^^^^^^^^^^^^^^ TrayMainWindow::drawToners():");
    debugPrintf("\tm_tonerDesc.isEmpty()=%d m_statusDesc.showToner()=%d m_statusDesc.isEmpty()=%d",
                m_tonerDesc.isEmpty() ? 1 : 0, m_statusDesc.showToner() ? 1 : 0,
                m_statusDesc.isEmpty() ? 1 : 0);
    const bool valid
            = !m_tonerDesc.isEmpty() && m_statusDesc.showToner() && !m_statusDesc.isEmpty();
    debugPrintf("TrayMainWindow::drawToners(): toner description is %s",
                valid ? "valid" : "invalid");
    cartridgeView->setCartridgeVisible(valid);
    if (!valid)
        return;
    dumpTonerDesc(m_tonerDesc, QString());
    for (auto it = m_tonerDesc.cbegin(); it != m_tonerDesc.cend(); ++it) {
        cartridgeView->setVisible(it.key(), it.value() != kUnknownLevel);
        cartridgeView->setLevel(it.key(), it.value());
    }
}

void TrayMainWindow::updateCartridgeView()
{
    debugPrintf("TrayMainWindow::updateCartridgeView");
    cartridgeView->clear();
    const TonerInfoList toners = m_configurator->tonerList();
    dumpTonerInfo(toners, QString());
    for (const TonerInfo &toner : toners) {
        const QStringList parts = toner.barColors.split(QLatin1Char(','));
        QColor colors[3];
        for (int i = 0; i < 3 && i < parts.size(); ++i)
            colors[i] = QColor(QLatin1Char('#') + parts.at(i).trimmed());
        cartridgeView->addItem(toner.id, toner.title, colors[0], colors[1], colors[2]);
    }
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
    if (printer->uniqueKey == m_configurator->activePrinter()) {
        debugPrintf("TrayMainWindow::jobQueueChanged(): printer is not changed");
    } else {
        stopWorker();
        QAction *entry = m_trayMenu->printerAction(printer->uniqueKey);
        if (entry) {
            entry->setChecked(true);
            debugPrintf("TrayMainWindow::jobQueueChanged(): checked menu text: \"%s\"",
                        qPrintable(entry->text()));
        } else {
            debugPrintf("TrayMainWindow::jobQueueChanged(): cannot find menu item for checking!");
        }
        selectPrinter(printer->uniqueKey, FromJob);
    }
    startWorker(false);
    if (!m_printingMode.isActive()) {
        m_printingMode.enter(!event->completed);
        applyStatus(m_statusDesc.statusBlock());
    }
}
