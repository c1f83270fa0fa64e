#pragma once

#include <QObject>

#include <memory>

class Configurator;
class Options;
class JobPollingThread;
class PlDevice;
class Worker;

// Starts, stops and restarts the two polling threads: the worker that polls the followed
// printer's channel and the job polling thread that follows the print queues. Both post their
// events to the receiver.
// Its log lines keep the window's names: logs of earlier versions are compared with them.
class PollingControl : public QObject
{
    Q_OBJECT

public:
    PollingControl(QObject *receiver, Configurator *configurator);
    // Waits for the worker's last poll; a job polling thread stuck on a silent server is left.
    ~PollingControl() override;

    JobPollingThread *jobPolling() const { return m_jobPollingThread.get(); }

    // Hands the active printer's channel to the worker, at once or once it has stopped.
    bool initWorker();
    void startWorker(bool flag);
    void stopWorker();
    // A running worker reports only changes: a restarted one reports the status afresh.
    void restartWorker();
    // The worker's start event: it has inherited the raised scheduling.
    void workerStarted();
    bool isWorkerBusy() const;
    void setPollingInterval(int seconds);
    // The polling interval, and job polling as the options want it.
    void applyOptions(const Options &options);
    // A closed panel that keeps watching polls at a slower floor than the chosen interval.
    void setPanelClosed(bool closed);
    // The worker has stopped only to start again (a new channel or interval).
    bool restartsWorker() const { return m_restartWorker; }
    // ... and on the channel it had (a new interval, a fresh report).
    bool restartsOnSameChannel() const { return m_restartWorker && !m_pendingDevice; }
    void startJobPolling();
    void stopJobPolling();

private:
    void workerStopped();
    void restoreScheduling();
    void applyPollingInterval();

    Configurator *m_configurator;
    std::unique_ptr<Worker> m_worker;
    std::unique_ptr<JobPollingThread> m_jobPollingThread;
    // The worker's channel; replaced ones wait until the worker has let go of them.
    std::unique_ptr<PlDevice> m_device;
    std::unique_ptr<PlDevice> m_pendingDevice;
    quint64 m_startedRuns = 0;
    quint64 m_finishedRuns = 0;
    bool m_restartWorker = false;
    int m_pollingInterval = 1;
    int m_appliedInterval = 1;
    bool m_panelClosed = false;
    int m_savedPolicy = 0;
    int m_savedPriority = 0;
    bool m_schedulingRaised = false;
};
