#include "acquisition/jobpollingthread.h"

#include "app/functions.h"
#include "discovery/cups.h"

#include <QCoreApplication>

namespace {

const unsigned long kPollPauseMs = 100;

} // namespace

JobPollingThread::JobPollingThread(QObject *receiver)
    : m_receiver(receiver)
    , m_cups(std::make_unique<CUPS>())
{
    debugPrintf("JobPollingThread::JobPollingThread: mtx=%p", static_cast<void *>(&m_mutex));
}

JobPollingThread::~JobPollingThread() = default;

void JobPollingThread::stop()
{
    debugPrintf("JobPollingThread::stop()");
    // Under the mutex all the same: a stop waits for a poll in progress.
    QMutexLocker lock(&m_mutex);
    requestInterruption();
}

void JobPollingThread::setPrinterNames(const QStringList &names)
{
    debugPrintf("JobPollingThread::setPrinterNames(%s)", qPrintable(names.join(QLatin1Char(';'))));
    QMutexLocker lock(&m_mutex);
    m_printerNames = names;
}

void JobPollingThread::setNWPrinterNames(const QStringList &names)
{
    debugPrintf("JobPollingThread::setNWPrinterNames(%s)",
                qPrintable(names.join(QLatin1Char(';'))));
    QMutexLocker lock(&m_mutex);
    m_nwPrinterNames = names;
}

void JobPollingThread::fireJobChangedEvent(bool completed, const QString &destination, bool network)
{
    debugPrintf("JobPollingThread::fireJobChangedEvent(%d,%s,%d)", completed ? 1 : 0,
                qPrintable(destination), network ? 1 : 0);
    QCoreApplication::postEvent(m_receiver, new JobChangedEvent(completed, destination, network));
}

void JobPollingThread::run()
{
    debugPrintf("JobPollingThread::run(): started");
    std::unique_ptr<JobEventSource> source;
    {
        QMutexLocker lock(&m_mutex);
        source = std::make_unique<JobEventSource>(m_cups.get(), m_preferredWay);
    }
    if (source->way() != m_way.exchange(source->way()))
        debugPrintf("JobPollingThread::run(): following jobs through %s",
                    JobEventSource::name(source->way()));
    while (!isInterruptionRequested()) {
        bool changed = false;
        {
            QMutexLocker lock(&m_mutex);
            changed = source->jobsMayHaveChanged();
        }
        if (changed)
            poll();
        else
            ++m_completedPolls;
        QThread::msleep(kPollPauseMs);
    }
    {
        QMutexLocker lock(&m_mutex);
        source.reset();
    }
    debugPrintf("JobPollingThread::run(): finished");
}

// Polling asks only for job ids, which the server answers without loading every job of its
// history; the destination is asked for only when a new job shows up. The events are those of
// comparing the full job lists.
void JobPollingThread::poll()
{
    QMutexLocker lock(&m_mutex);
    const std::optional<QList<qint32>> active = m_cups->getJobIds(false);
    const std::optional<QList<qint32>> done = m_cups->getJobIds(true);
    reportFirstNewJob(active, false, m_previousActive);
    reportFirstNewJob(done, true, m_previousCompleted);
    ++m_completedPolls;
}

void JobPollingThread::reportFirstNewJob(const std::optional<QList<qint32>> &current,
                                         bool completed, QSet<qint32> &previous)
{
    // A server that did not answer (stopped, restarting) changed nothing: forgetting the
    // previous list would announce its whole history as new once it is back.
    if (!current)
        return;
    // At most one event per list and poll: further new jobs of the same poll are absorbed.
    const auto id = std::find_if(current->begin(), current->end(),
                                 [&](qint32 job) { return !previous.contains(job); });
    if (id != current->end()) {
        QString destination = m_cups->getJobDestination(*id);
        if (destination.isEmpty()) {
            const QList<CupsJob> jobs = m_cups->getJobs(false, completed);
            const auto job = std::find_if(jobs.begin(), jobs.end(),
                                          [&](const CupsJob &j) { return j.id == *id; });
            if (job != jobs.end())
                destination = job->dest;
        }
        fireJobChangedEvent(completed, destination, false);
    }
    previous = QSet<qint32>(current->begin(), current->end());
}
