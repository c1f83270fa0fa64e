#pragma once

#include "acquisition/pldevice.h"

#include <memory>

class CUPS;

// The status channel to a queue of another make: its state, reasons and supplies as the CUPS
// server gives them. Made on any thread, used on the polling thread only, which gets its own
// connection.
class PlDeviceCups : public PlDevice
{
public:
    explicit PlDeviceCups(const QString &queue);
    ~PlDeviceCups() override;

    QString requestStatusXML(int *retCode = nullptr) override;
    // Always empty: the queue's state is queueState(), null when the server did not answer.
    StatusBlock requestStatus_withRepeat(int *retCode = nullptr) override;
    // This user's job while the queue prints one, as a job of this host.
    QList<Job> getJobList(int *retCode = nullptr) override;
    bool isLocal() const override { return false; }
    QString toString() const override;
    std::optional<CupsPrinterState> queueState() const override { return m_state; }

private:
    CUPS &cups();

    QString m_queue;
    std::unique_ptr<CUPS> m_cups;
    std::optional<CupsPrinterState> m_state;
    // Asked once the server first answers.
    std::optional<QString> m_webPage;
};
