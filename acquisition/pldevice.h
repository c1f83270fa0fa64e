#pragma once

#include "acquisition/job.h"
#include "cups/printerstate.h"
#include "status/statusblock.h"

#include <QList>
#include <QString>

#include <optional>

// A status channel to one printer. `retCode`, where given, receives the result code of the
// request: negative when it failed.
class PlDevice
{
public:
    // The printer's status description document; empty when it could not be read.
    virtual QString requestStatusXML(int *retCode = nullptr) = 0;
    // Bytes 0 to 7 from the printer, bytes 8 and 9 zero.
    virtual StatusBlock requestStatus_withRepeat(int *retCode = nullptr) = 0;
    virtual QList<Job> getJobList(int *retCode = nullptr) = 0;
    // One poll: the status, then the job list into `jobs`; `retCode` is the job list's.
    virtual StatusBlock requestStatusAndJobs(QList<Job> &jobs, int *retCode = nullptr);
    virtual bool isLocal() const = 0;
    // A queue followed through CUPS: its state at the last poll; null for other channels and
    // while the server does not answer.
    virtual std::optional<CupsPrinterState> queueState() const { return std::nullopt; }
    // Names the channel in log lines.
    virtual QString toString() const = 0;
    virtual ~PlDevice();

    // Whether an IEEE 1284 device id names this manufacturer and model.
    static bool checkDescription(const QString &desc, const QString &manufacturer,
                                 const QString &model);
};
