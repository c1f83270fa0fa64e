#pragma once

#include "discovery/cupsjob.h"

#include <QEvent>
#include <QMutex>
#include <QStringList>
#include <QThread>

#include <memory>

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

// Watches the CUPS job lists of all queues every 100 ms and reports the first new job of each
// list to the receiver.
class JobPollingThread : public QThread
{
    Q_OBJECT

public:
    explicit JobPollingThread(QObject *receiver);
    ~JobPollingThread() override;

    // Sets running before the thread exists, so that a stop() right after start() still counts.
    void start();
    virtual void stop();
    virtual void fireJobChangedEvent(bool completed, const QString &destination, bool network);

    void setPrinterNames(const QStringList &names);
    void setNWPrinterNames(const QStringList &names);

protected:
    void run() override;

private:
    void poll();
    void reportFirstNewJob(const QList<qint32> &current, bool completed, QList<CupsJob> &previous);
    bool keepRunning();

    QObject *m_receiver;
    QMutex m_mutex;
    QStringList m_printerNames;
    bool m_running = false;
    std::unique_ptr<CUPS> m_cups;
    QList<CupsJob> m_previousActive;
    QList<CupsJob> m_previousCompleted;
    QStringList m_nwPrinterNames;
};
