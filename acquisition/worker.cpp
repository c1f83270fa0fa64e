#include "acquisition/worker.h"

#include "acquisition/job.h"
#include "acquisition/pldevicenw.h"
#include "acquisition/workerevents.h"
#include "base/functions.h"

#include <QCoreApplication>

namespace {

QByteArray describe(PlDevice *device)
{
    return device ? device->toString().toLocal8Bit() : QByteArray("NULL");
}

// Job status to the bit of bytes 8 and 9: pending 1, preparing 2, printing 4.
std::uint8_t jobBit(int status)
{
    switch (status) {
    case 1:
        return StatusBlock::JobPrinting;
    case 5:
        return StatusBlock::JobPending;
    case 8:
        return StatusBlock::JobPreparing;
    default:
        return 0;
    }
}

} // namespace

Worker::Worker(QObject *receiver)
    : m_receiver(receiver)
{
    debugPrintf("Worker::Worker: mtx=%p", static_cast<void *>(&m_mutex));
}

void Worker::setDevice(PlDevice *device)
{
    QMutexLocker lock(&m_mutex);
    debugPrintf("Worker::setDevice():\n\told dev: %s\n\tnew dev: %s",
                describe(m_device).constData(), describe(device).constData());
    m_device = device;
    m_hasStatus = false;
    m_wakedUp = true;
}

int Worker::pollingInterval()
{
    debugPrintf("Worker::pollingInterval()");
    QMutexLocker lock(&m_mutex);
    return m_pollingInterval;
}

void Worker::setPollingInterval(int seconds)
{
    debugPrintf("Worker::setPollingInterval(%d)", seconds);
    QMutexLocker lock(&m_mutex);
    m_pollingInterval = seconds;
}

bool Worker::polling()
{
    debugPrintf("Worker::polling()");
    return !isInterruptionRequested();
}

void Worker::stop()
{
    debugPrintf("Worker::stop()");
    // Under the mutex all the same: a stop waits for a poll in progress.
    QMutexLocker lock(&m_mutex);
    requestInterruption();
}

bool Worker::isSuspended()
{
    debugPrintf("Worker::isSuspended()");
    QMutexLocker lock(&m_mutex);
    return m_suspended;
}

void Worker::suspend()
{
    debugPrintf("Worker::suspend()");
    QMutexLocker lock(&m_mutex);
    m_suspended = true;
}

void Worker::resume()
{
    debugPrintf("Worker::resume()");
    QMutexLocker lock(&m_mutex);
    m_suspended = false;
    m_hasStatus = false;
}

bool Worker::isWakedUp()
{
    debugPrintf("Worker::isWakedUp()");
    QMutexLocker lock(&m_mutex);
    const bool waked = m_wakedUp;
    m_wakedUp = false;
    return waked;
}

void Worker::fireStart()
{
    debugPrintf("Worker::fireStart with priority: %d", currentPriority());
    QCoreApplication::postEvent(m_receiver, new WorkerStartEvent);
}

StatusBlock Worker::getStatus(int *retCode)
{
    StatusBlock status;
    debugPrintf("Worker::getStatus: dev: %s", describe(m_device).constData());
    if (!m_device)
        return status;

    QList<Job> jobs;
    status = m_device->requestStatusAndJobs(jobs, retCode);
    std::uint8_t hostJobs = 0;
    std::uint8_t allJobs = 0;
    for (const Job &job : jobs) {
        const bool hostAddress = PlDeviceNw::isHostAddress(job.user);
        debugPrintf("NWJob: %s isHostAddress()=%d", qPrintable(job.toString()),
                    hostAddress ? 1 : 0);
        // A USB printer's jobs are all this machine's; a network printer names the sender.
        const bool thisHost = hostAddress || job.user == QLatin1String("localhost");
        const std::uint8_t bit = jobBit(job.status);
        allJobs |= bit;
        if (thisHost)
            hostJobs |= bit;
    }
    status[StatusBlock::kHostJobsByte] = hostJobs;
    status[StatusBlock::kAllJobsByte] = allJobs;
    return status;
}

void Worker::checkStatus()
{
    QMutexLocker lock(&m_mutex);
    debugPrintf("Worker::checkStatus():");
    int retCode = 0;
    const StatusBlock status = getStatus(&retCode);
    if (retCode < 0)
        debugPrintf("Worker::run(): getStatus() wrong return code %d", retCode);
    // A poll cut short by a stop tells nothing of the printer.
    if (isInterruptionRequested())
        return;

    // A queue's reasons, message and supplies change without a change of the block.
    const std::optional<CupsPrinterState> queue
            = m_device ? m_device->queueState() : std::optional<CupsPrinterState>();
    // Byte 9 (other hosts' jobs) alone is no change worth reporting.
    const bool unchanged = status.sameStatus(m_lastStatus) && queue == m_lastQueue;
    debugPrintf("Worker::run(): status is %s\nold: %s\nnew: %s",
                unchanged ? "not changed" : "changed", qPrintable(m_lastStatus.toString()),
                qPrintable(status.toString()));
    if (m_hasStatus && unchanged)
        return;
    QCoreApplication::postEvent(m_receiver, new PrinterStatusChangedEvent(status, queue));
    m_lastStatus = status;
    m_lastQueue = queue;
    m_hasStatus = true;
}

void Worker::run()
{
    debugPrintf("Worker::run: started");
    fireStart();
    {
        QMutexLocker lock(&m_mutex);
        m_wakedUp = false;
        m_hasStatus = false;
    }
    while (polling()) {
        if (!isSuspended())
            checkStatus();
        const int interval = pollingInterval();
        for (int second = 0; second < interval; ++second) {
            if (!polling() || isWakedUp())
                break;
            QThread::sleep(1);
        }
    }
    setDevice(nullptr);
    QCoreApplication::postEvent(m_receiver, new WorkerFinishedEvent);
    debugPrintf("Worker::run: finished");
}
