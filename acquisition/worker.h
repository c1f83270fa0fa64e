#pragma once

#include "acquisition/thread.h"
#include "status/statusblock.h"

#include <QMutex>

class PlDevice;

// Polls the selected printer's channel every polling interval and posts a
// PrinterStatusChangedEvent to the receiver when the status block changes.
class Worker : public Thread
{
    Q_OBJECT

public:
    explicit Worker(QObject *receiver);

    // Sets polling before the thread exists, so that a stop() right after start() is not lost.
    void start(int priority = -1);

    // The channel is not owned; the old one is not deleted here.
    void setDevice(PlDevice *device);

    int pollingInterval();
    void setPollingInterval(int seconds);
    bool polling();
    void stop();
    bool isSuspended();
    void suspend();
    void resume();
    bool isWakedUp();

    void fireStart();
    void checkStatus();
    // The channel's status with the job bits folded into bytes 8 (this host) and 9 (all hosts).
    StatusBlock getStatus(int *retCode);

protected:
    void run() override;

private:
    QObject *m_receiver;
    PlDevice *m_device = nullptr;
    QMutex m_mutex;
    bool m_polling = true;
    int m_pollingInterval = 1;
    StatusBlock m_lastStatus;
    bool m_hasStatus = false;
    bool m_suspended = false;
    bool m_wakedUp = false;
};
