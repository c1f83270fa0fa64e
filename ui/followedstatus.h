#pragma once

#include "cups/printerstate.h"
#include "status/statusdesc.h"
#include "status/tonerinfo.h"

#include <optional>

class Configurator;
class PrinterDesc;
class PrintingMode;
class StatusBlock;

// The followed printer's status as the panel last took it in: the status of the regular and of
// the printing page, and the toner levels, looked up through the Configurator.
class FollowedStatus
{
public:
    FollowedStatus();

    // Looks a report up and keeps it. False when the status is not taken (a low toner the user
    // is prepared for): the last one stays, with the new block.
    // A queue followed through CUPS brings its state, which describes itself.
    bool take(const StatusBlock &raw, const std::optional<CupsPrinterState> &queue,
              const PrinterDesc *printer, PrintingMode &mode, Configurator &configurator,
              const QString &unknownText);

    const StatusDesc &status() const { return m_status; }
    const StatusDesc &printingStatus() const { return m_printingStatus; }
    const TonerDesc &toners() const { return m_toners; }
    // The supplies of a queue followed through CUPS, as bars; empty for the family's printers.
    const TonerInfoList &queueToners() const { return m_queueToners; }
    // The last queue state taken in, for a report that is shown again.
    const std::optional<CupsPrinterState> &queueState() const { return m_queue; }

private:
    StatusDesc m_status;
    StatusDesc m_printingStatus;
    TonerDesc m_toners;
    TonerInfoList m_queueToners;
    std::optional<CupsPrinterState> m_queue;
};
