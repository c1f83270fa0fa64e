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

// Watches the CUPS job lists of all queues every 100 ms, when its event source says they may
// have changed, and reports the first new job of each list to the receiver. Started with
// QThread::start; stop() asks the thread to end through its interruption flag, which every start
// clears before the thread runs.
class JobPollingThread : public QThread
{
    Q_OBJECT

public:
    explicit JobPollingThread(QObject *receiver);
    ~JobPollingThread() override;

    virtual void stop();
    virtual void fireJobChangedEvent(bool completed, const QString &destination, bool network);

    void setPrinterNames(const QStringList &names);
    void setNWPrinterNames(const QStringList &names);

    // Polls done since construction, events posted: lets an observer wait for the thread's
    // progress instead of for time.
    int completedPolls() const { return m_completedPolls.load(); }

    // How the thread learns of new jobs; set before start. Automatic takes the cheapest way the
    // server and the desktop offer.
    void setWay(JobEventSource::Way way) { m_preferredWay = way; }
    // The way the running thread took; Automatic before it has decided.
    JobEventSource::Way way() const { return m_way.load(); }

protected:
    void run() override;

private:
    void poll();
    void reportFirstNewJob(const std::optional<QList<qint32>> &current, bool completed,
                           QSet<qint32> &previous);

    QObject *m_receiver;
    QMutex m_mutex;
    QStringList m_printerNames;
    std::unique_ptr<CUPS> m_cups;
    QSet<qint32> m_previousActive;
    QSet<qint32> m_previousCompleted;
    // Kept for the window; a job is reported alike whatever its queue.
    QStringList m_nwPrinterNames;
    std::atomic<int> m_completedPolls{0};
    JobEventSource::Way m_preferredWay = JobEventSource::Automatic;
    std::atomic<JobEventSource::Way> m_way{JobEventSource::Automatic};
};
