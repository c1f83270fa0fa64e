#include "acquisition/jobpollingthread.h"

#include "app/functions.h"
#include "discovery/cups.h"

#include <QCoreApplication>

namespace {

const unsigned long kPollPauseMs = 100;

// The first id of the current list that the previous list does not hold.
std::optional<qint32> firstNewJob(const QList<qint32> &current, const QList<CupsJob> &previous)
{
    for (qint32 id : current) {
        const bool seen = std::any_of(previous.begin(), previous.end(),
                                      [id](const CupsJob &old) { return old.id == id; });
        if (!seen)
            return id;
    }
    return std::nullopt;
}

} // namespace

JobPollingThread::JobPollingThread(QObject *receiver)
    : m_receiver(receiver)
    , m_cups(std::make_unique<CUPS>())
{
    debugPrintf("JobPollingThread::JobPollingThread: mtx=%p", static_cast<void *>(&m_mutex));
}

JobPollingThread::~JobPollingThread() = default;

void JobPollingThread::start()
{
    {
        QMutexLocker lock(&m_mutex);
        m_running = true;
    }
    QThread::start();
}

void JobPollingThread::stop()
{
    debugPrintf("JobPollingThread::stop()");
    QMutexLocker lock(&m_mutex);
    m_running = false;
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

bool JobPollingThread::keepRunning()
{
    QMutexLocker lock(&m_mutex);
    return m_running;
}

void JobPollingThread::run()
{
    debugPrintf("JobPollingThread::run(): started");
    while (keepRunning()) {
        poll();
        QThread::msleep(kPollPauseMs);
    }
    debugPrintf("JobPollingThread::run(): finished");
}

// Polling asks only for job ids, which the server answers without loading every job of its
// history; the destination is asked for only when a new job shows up. The events are those of
// comparing the full job lists.
void JobPollingThread::poll()
{
    QMutexLocker lock(&m_mutex);
    const QList<qint32> active = m_cups->getJobIds(false).value_or(QList<qint32>());
    const QList<qint32> done = m_cups->getJobIds(true).value_or(QList<qint32>());
    reportFirstNewJob(active, false, m_previousActive);
    reportFirstNewJob(done, true, m_previousCompleted);
}

void JobPollingThread::reportFirstNewJob(const QList<qint32> &current, bool completed,
                                         QList<CupsJob> &previous)
{
    // At most one event per list and poll: further new jobs of the same poll are absorbed.
    if (const std::optional<qint32> id = firstNewJob(current, previous)) {
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
    previous.clear();
    for (qint32 id : current)
        previous.append(CupsJob(id, QString(), CupsJob::Unknown, completed));
}
