#pragma once

#include "status/printerstate.h"
#include "status/tonerinfo.h"

// A status of the supported family, looked up in its model's table, read once into the
// printer-neutral state.
class FamilyStatus
{
public:
    // The record carries the block of the poll it describes; the toners are the model's table
    // and their levels in that poll. Without a printer the record is the "no device" status.
    static PrinterState state(const StatusDesc &record, const TonerDesc &levels,
                              const TonerInfoList &toners, bool hasPrinter);
    static PrinterState::Severity severityOf(qint32 type);
};
