#pragma once

#include "acquisition/jobeventsource.h"

#include <QEvent>
#include <QMutex>
#include <QSet>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <memory>
#include <optional>

class CUPS;

// A job that the polling thread has not seen before, in the unfinished or the completed list.
class JobChangedEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = QEvent::Type(1102);

    JobChangedEvent(bool completed, const QString &destination, bool network)
        : QEvent(kType)
        , completed(completed)
        , destination(destination)
        , network(network)
    { }

    const bool completed;
    const QString destination;
    const bool network;
};

// Watches the CUPS job lists of all queues, when its event source says they may have changed,
// and reports the first new job of each list to the receiver. The thread runs an event loop:
// with the D-Bus notifier it sleeps until a signal or a rare check. The window meets it only
// under a lock held for a copy, never across a request to the server, which may hang.
class JobPollingThread : public QThread
{
    Q_OBJECT

public:
    explicit JobPollingThread(QObject *receiver);
    ~JobPollingThread() override;

    // Starts the thread; one still ending after a stop starts again once it has ended.
    void start();
    // Asks the thread to end and returns at once.
    virtual void stop();
    virtual void fireJobChangedEvent(bool completed, const QString &destination, bool network);

    // This user has a pending or processing job on the queue, as the last read of the lists
    // found; false before the first read.
    bool hasOwnActiveJobs(const QString &queue) const;

    // Stops the thread and waits for it at most waitMs. A thread stuck in a request to a server
    // that does not answer is left to end by itself: it posts nothing more and deletes itself
    // when it ends, should an event loop still run then.
    static void discard(std::unique_ptr<JobPollingThread> thread, int waitMs);

    // Polls and ticks done since construction, events posted: lets an observer wait for the
    // thread's progress instead of for time.
    int completedPolls() const { return m_completedPolls.load(); }

    // How the thread learns of new jobs; set before start. Automatic takes the cheapest way the
    // server and the desktop offer.
    void setWay(JobEventSource::Way way) { m_preferredWay = way; }
    // The way the running thread took; Automatic before it has decided.
    JobEventSource::Way way() const { return m_way.load(); }
    // How often the D-Bus way checks its subscription; set before start.
    void setCheckInterval(int ms) { m_checkMs = ms; }

protected:
    void run() override;

private:
    void ended();
    void tick(JobEventSource &source);
    void poll();
    void reportFirstNewJob(const std::optional<QList<qint32>> &current, bool completed,
                           QSet<qint32> &previous);

    // Guards the receiver and the queues with own active jobs, each only for a copy.
    mutable QMutex m_mutex;
    QObject *m_receiver;
    QSet<QString> m_queuesWithOwnActiveJobs;
    // Used by the thread alone.
    std::unique_ptr<CUPS> m_cups;
    QSet<qint32> m_previousActive;
    QSet<qint32> m_previousCompleted;
    std::atomic<int> m_completedPolls{0};
    JobEventSource::Way m_preferredWay = JobEventSource::Automatic;
    int m_checkMs = JobEventSource::kDefaultCheckMs;
    std::atomic<JobEventSource::Way> m_way{JobEventSource::Automatic};
    // Window thread only: a start that came while the thread was still ending.
    bool m_restart = false;
};
