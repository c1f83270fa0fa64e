#include "ui/pollingcontrol.h"

#include "acquisition/jobpollingthread.h"
#include "acquisition/pldevice.h"
#include "acquisition/worker.h"
#include "base/functions.h"
#include "config/configurator.h"
#include "config/options.h"
#include "config/watchoptions.h"

namespace {

const int kRaisedPriority = 80;
const int kJobPollingExitWaitMs = 100;
} // namespace

PollingControl::PollingControl(QObject *receiver, Configurator *configurator)
    : m_configurator(configurator)
{
    m_worker = std::make_unique<Worker>(receiver);
    connect(m_worker.get(), &QThread::finished, this, &PollingControl::workerStopped,
            Qt::QueuedConnection);
    m_jobPollingThread = std::make_unique<JobPollingThread>(receiver);
}

PollingControl::~PollingControl()
{
    // At the end the window waits for the last poll: nothing else is left to answer.
    m_restartWorker = false;
    stopWorker();
    m_worker->wait();
    restoreScheduling();
    m_worker.reset();
    m_device.reset();
    // A thread stuck on a server that does not answer must not hold the exit for a minute.
    JobPollingThread::discard(std::move(m_jobPollingThread), kJobPollingExitWaitMs);
}

bool PollingControl::isWorkerBusy() const
{
    return m_worker->isRunning();
}

// The worker holds its mutex for a whole poll, and a poll of a silent printer takes seconds:
// the window never calls into a running worker. A new channel or a stop goes through the
// thread's interruption flag, and the finished worker takes the channel and starts again.
bool PollingControl::initWorker()
{
    debugPrintf("TrayMainWindow::initWorker");
    const auto printer = m_configurator->printerDesc();
    if (!printer)
        return false;
    debugPrintf("initWorker: pd: %s", PrinterDesc::dumpOf(printer.get()).constData());
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

void PollingControl::startWorker(bool flag)
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
    m_appliedInterval = WatchOptions::pollingInterval(m_pollingInterval, m_panelClosed);
    m_worker->setPollingInterval(m_appliedInterval);
    Thread::getScheduling(&m_savedPolicy, &m_savedPriority);
    m_schedulingRaised = Thread::setPriority(kRaisedPriority);
    m_worker->startWithPriority(-1);
    ++m_startedRuns;
    // The worker has inherited the raised scheduling; a worker that did not start sends no
    // start event to restore it.
    if (!m_worker->isRunning() && !m_worker->isFinished())
        restoreScheduling();
}

void PollingControl::restoreScheduling()
{
    if (!m_schedulingRaised)
        return;
    Thread::setScheduling(m_savedPolicy, m_savedPriority);
    m_schedulingRaised = false;
}

void PollingControl::workerStarted()
{
    debugPrintf("TrayMainWindow::workerStarted(): {");
    restoreScheduling();
    debugPrintf("TrayMainWindow::workerStarted(): }");
}

void PollingControl::workerStopped()
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

void PollingControl::stopWorker()
{
    debugPrintf("TrayMainWindow::stopWorker");
    m_restartWorker = false;
    if (m_worker->isRunning())
        m_worker->requestInterruption();
}

void PollingControl::restartWorker()
{
    if (!m_worker->isRunning()) {
        startWorker(false);
        return;
    }
    m_restartWorker = true;
    m_worker->requestInterruption();
}

void PollingControl::setPollingInterval(int seconds)
{
    m_pollingInterval = seconds;
    applyPollingInterval();
}

void PollingControl::setPanelClosed(bool closed)
{
    m_panelClosed = closed;
    applyPollingInterval();
}

void PollingControl::applyPollingInterval()
{
    const int interval = WatchOptions::pollingInterval(m_pollingInterval, m_panelClosed);
    // A running worker takes the interval at its restart, not in the middle of a poll; a
    // stopping one takes it when it is started again.
    if (m_worker->isRunning()) {
        if (interval == m_appliedInterval || m_worker->isInterruptionRequested())
            return;
        m_restartWorker = true;
        m_worker->requestInterruption();
    } else {
        m_appliedInterval = interval;
        m_worker->setPollingInterval(interval);
    }
}

void PollingControl::startJobPolling()
{
    // A thread still ending after a stop starts again once it has ended.
    m_jobPollingThread->start();
}

void PollingControl::stopJobPolling()
{
    // Not waited for: the thread may be waiting for a server that does not answer.
    m_jobPollingThread->stop();
}

void PollingControl::applyOptions(const Options &options)
{
    debugPrintf("TrayMainWindow::applyOptions: options:%s", qPrintable(options.toString()));
    setPollingInterval(options.scheduleTime);
    if (options.displayPrintingStatus)
        startJobPolling();
    else
        stopJobPolling();
}
