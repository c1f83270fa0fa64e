#pragma once

#include "acquisition/thread.h"
#include "cups/printerstate.h"
#include "status/statusblock.h"

#include <QMutex>

#include <optional>

class PlDevice;

// Polls the selected printer's channel every polling interval and posts a
// PrinterStatusChangedEvent to the receiver when the status block changes. stop() asks the
// thread to end through its interruption flag, which every start clears before the thread runs:
// a stop right after a start is not lost, and a stopped worker starts again.
class Worker : public Thread
{
    Q_OBJECT

public:
    explicit Worker(QObject *receiver);

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
    int m_pollingInterval = 1;
    StatusBlock m_lastStatus;
    std::optional<CupsPrinterState> m_lastQueue;
    bool m_hasStatus = false;
    bool m_suspended = false;
    bool m_wakedUp = false;
};
