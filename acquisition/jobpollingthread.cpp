#include "acquisition/jobpollingthread.h"

#include "base/functions.h"
#include "cups/cups.h"

#include <QCoreApplication>
#include <QTimer>

#include <utility>

JobPollingThread::JobPollingThread(QObject *receiver)
    : m_receiver(receiver)
    , m_cups(std::make_unique<CUPS>())
{
    debugPrintf("JobPollingThread::JobPollingThread: mtx=%p", static_cast<void *>(&m_mutex));
    // Queued to this object's thread, the window's.
    connect(this, &QThread::finished, this, &JobPollingThread::ended, Qt::QueuedConnection);
}

JobPollingThread::~JobPollingThread() = default;

void JobPollingThread::start()
{
    if (!isRunning())
        QThread::start();
    else if (isInterruptionRequested())
        m_restart = true;
}

void JobPollingThread::ended()
{
    if (!m_restart)
        return;
    m_restart = false;
    // Only the thread's own ending is left once finished() arrives.
    wait();
    QThread::start();
}

void JobPollingThread::stop()
{
    debugPrintf("JobPollingThread::stop()");
    m_restart = false;
    requestInterruption();
    quit();
}

void JobPollingThread::discard(std::unique_ptr<JobPollingThread> thread, int waitMs)
{
    thread->stop();
    if (thread->wait(waitMs))
        return;
    debugPrintf("JobPollingThread: still waiting for the server, left to end by itself");
    {
        QMutexLocker lock(&thread->m_mutex);
        thread->m_receiver = nullptr;
    }
    JobPollingThread *left = thread.release();
    connect(left, &QThread::finished, left, &QObject::deleteLater);
    // Ended meanwhile: the queued deletion goes with the object.
    if (left->isFinished())
        delete left;
}

bool JobPollingThread::hasOwnActiveJobs(const QString &queue) const
{
    QMutexLocker lock(&m_mutex);
    return m_queuesWithOwnActiveJobs.contains(queue);
}

void JobPollingThread::fireJobChangedEvent(bool completed, const QString &destination, bool network)
{
    debugPrintf("JobPollingThread::fireJobChangedEvent(%d,%s,%d)", completed ? 1 : 0,
                qPrintable(destination), network ? 1 : 0);
    QMutexLocker lock(&m_mutex);
    if (m_receiver)
        QCoreApplication::postEvent(m_receiver,
                                    new JobChangedEvent(completed, destination, network));
}

void JobPollingThread::run()
{
    debugPrintf("JobPollingThread::run(): started");
    JobEventSource source(m_cups.get(), m_preferredWay, m_checkMs);
    if (source.way() != m_way.exchange(source.way()))
        debugPrintf("JobPollingThread::run(): following jobs through %s",
                    JobEventSource::name(source.way()));
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &source, [&] {
        tick(source);
        timer.start(source.tickMs());
    });
    // Signals that come in a burst are answered by one poll.
    bool pollQueued = false;
    connect(&source, &JobEventSource::changed, &source, [&] {
        if (std::exchange(pollQueued, true))
            return;
        QMetaObject::invokeMethod(
                &source,
                [&] {
                    pollQueued = false;
                    poll();
                },
                Qt::QueuedConnection);
    });
    if (!isInterruptionRequested()) {
        tick(source);
        timer.start(source.tickMs());
        exec();
    }
    debugPrintf("JobPollingThread::run(): finished");
}

void JobPollingThread::tick(JobEventSource &source)
{
    if (source.jobsMayHaveChanged())
        poll();
    else
        ++m_completedPolls;
}

// Polling asks only for job ids, which the server answers without loading every job of its
// history; the destination is asked for only when a new job shows up. The events are those of
// comparing the full job lists.
void JobPollingThread::poll()
{
    QSet<QString> ownActive;
    const std::optional<QList<qint32>> active = m_cups->getJobIds(false, &ownActive);
    const std::optional<QList<qint32>> done = m_cups->getJobIds(true);
    if (active) {
        QMutexLocker lock(&m_mutex);
        m_queuesWithOwnActiveJobs = ownActive;
    }
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
