#pragma once

#include "cups/printerstate.h"
#include "status/printerstate.h"
#include "status/statusdesc.h"
#include "status/tonerinfo.h"

#include <optional>

class Configurator;
class PrinterDesc;
class PrintingMode;
class StatusBlock;

// The followed printer's state as the panel last took it in, each report read once: the
// family's block looked up through the Configurator, a queue's attributes by QueueStatus.
class FollowedStatus
{
public:
    // What the printing page shows.
    struct PrintingView
    {
        quint32 id = 0;
        QString title;
        QString text;
    };

    FollowedStatus();

    // One report, read.
    struct Reading
    {
        PrinterState state;
        // Not a supply the user is prepared to see low.
        bool applicable = true;
        // The family's block in hexadecimal, the text of an unknown status.
        QString hex;
    };

    // Reads a report once: the family's block looked up, a queue's state by QueueStatus.
    Reading read(const StatusBlock &raw, const std::optional<CupsPrinterState> &queue,
                 const PrinterDesc *printer, Configurator &configurator,
                 const QString &unknownText);
    // Keeps a report read. False when the status is not taken (a low supply the user is
    // prepared for): the last one stays, with the new supplies and jobs.
    bool take(const Reading &reading, PrintingMode &mode, Configurator &configurator,
              const QString &unknownText);

    const PrinterState &state() const { return m_state; }
    // The family's record of the regular and of the printing page; for a queue the records
    // of no status.
    const StatusDesc &status() const { return m_status; }
    const StatusDesc &printingStatus() const { return m_printingStatus; }
    const PrintingView &printingView() const { return m_printingView; }
    // The family's toner levels, for ordering.
    const TonerDesc &toners() const { return m_toners; }
    // Whether the status shown is one the user wants to hear of (not a silenced supply).
    bool isApplicable() const { return m_applicable; }
    // The last report, to be read again when the printer's description comes.
    const StatusBlock &lastBlock() const { return m_lastBlock; }
    const std::optional<CupsPrinterState> &queueState() const { return m_queue; }

private:
    PrinterState m_state;
    StatusDesc m_status;
    StatusDesc m_printingStatus;
    PrintingView m_printingView;
    TonerDesc m_toners;
    bool m_applicable = true;
    StatusBlock m_lastBlock;
    std::optional<CupsPrinterState> m_queue;
};
