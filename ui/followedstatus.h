#pragma once

#include "status/statusdesc.h"
#include "status/tonerinfo.h"

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
    bool take(const StatusBlock &raw, const PrinterDesc *printer, PrintingMode &mode,
              Configurator &configurator, const QString &unknownText);

    const StatusDesc &status() const { return m_status; }
    const StatusDesc &printingStatus() const { return m_printingStatus; }
    const TonerDesc &toners() const { return m_toners; }

private:
    StatusDesc m_status;
    StatusDesc m_printingStatus;
    TonerDesc m_toners;
};
