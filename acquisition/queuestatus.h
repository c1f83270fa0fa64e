#pragma once

#include "cups/printerstate.h"
#include "status/statusblock.h"
#include "status/statusdesc.h"
#include "status/tonerinfo.h"

#include <QCoreApplication>

// What a queue of another make tells, in the terms the panel and the tray already speak: a
// described status, a raw block that carries its kind and the printing bit, and the supplies
// as toners.
class QueueStatus
{
    Q_DECLARE_TR_FUNCTIONS(QueueStatus)

public:
    // Status ids of queues: apart from every printer table's (top bit set) and from "no status".
    static constexpr quint32 kIdBase = 0x800000;
    // The panel has room for this many bars.
    static constexpr int kMaxBars = 8;

    static StatusDesc describe(const CupsPrinterState &state);
    // Kind, id and the printing bit of the described status; jobs are filled in by the worker.
    static StatusBlock block(const CupsPrinterState &state);
    // One bar per supply with a colour and a level, up to kMaxBars; ids "marker0" on.
    static TonerInfoList toners(const CupsPrinterState &state);
    // The supplies' levels in percent, kUnknownLevel where the queue gives none.
    static TonerDesc levels(const CupsPrinterState &state);
    // The supplies at or below their low level.
    static QStringList lowSupplies(const CupsPrinterState &state);
};
