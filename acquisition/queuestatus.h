#pragma once

#include "cups/printerstate.h"
#include "status/printerstate.h"

#include <QCoreApplication>

#include <optional>

// What a queue of another make tells, read once into the printer-neutral state; and the queue's
// own condition laid over a state of the family's.
class QueueStatus
{
    Q_DECLARE_TR_FUNCTIONS(QueueStatus)

public:
    // The panel has room for this many bars.
    static constexpr int kMaxBars = 8;

    // Null when the server did not answer. The job bytes are the worker's (this host, all).
    static PrinterState state(const std::optional<CupsPrinterState> &queue, quint8 hostJobs = 0,
                              quint8 allJobs = 0);
    // A stopped queue, or one that refuses jobs, is told over the device's status unless the
    // device reports an error or does not answer.
    static PrinterState withCondition(const PrinterState &device, const QueueCondition &queue);
    // The title of a supply's bar: its name, and whether it runs low or has only "some" left.
    static QString barTitle(const Supply &supply);
};
