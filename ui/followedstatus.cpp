#include "ui/followedstatus.h"

#include "acquisition/printerdesc.h"
#include "acquisition/queuestatus.h"
#include "base/functions.h"
#include "config/configurator.h"
#include "status/statusblock.h"
#include "ui/printingmode.h"
#include "ui/statuspresentation.h"

FollowedStatus::FollowedStatus()
    : m_status(Configurator::kNoStatusId, StatusDesc::Unknown)
    , m_printingStatus(Configurator::kNoStatusId, StatusDesc::Unknown)
{ }

bool FollowedStatus::take(const StatusBlock &raw, const std::optional<CupsPrinterState> &queue,
                          const PrinterDesc *printer, PrintingMode &mode,
                          Configurator &configurator, const QString &unknownText)
{
    m_queue = printer && printer->generic ? queue : std::nullopt;
    if (m_queue)
        return takeQueue(raw, *m_queue, mode, configurator, unknownText);
    m_queueToners.clear();
    if (raw.isEmpty() || !printer)
        debugPrintf("1");
    const quint32 id
            = StatusPresentation::lookupId(raw, bool(printer), printer ? printer->isLocal : true);
    const QString hex = QString::fromLatin1(
            QByteArray(reinterpret_cast<const char *>(raw.data()), StatusBlock::kPrinterBytes)
                    .toHex());
    StatusDesc status = configurator.getStatusDesc(id, unknownText, hex);
    const auto page = StatusPresentation::printingPage(raw, id, mode.flags());
    for (const QByteArray &mark : page.marks)
        debugPrintf("%s", mark.constData());
    if (StatusPresentation::printerReportsJob(raw))
        mode.removeActiveJobsFromSpooler();

    m_toners = configurator.getTonerDesc(raw);
    configurator.updateIgnoredBits(m_toners);

    status.setStatusBlock(raw);
    bool applied = false;
    if (configurator.isStatusApplicable(status)) {
        m_status = status;
        m_printingStatus = configurator.getStatusDesc(page.id, unknownText, hex);
        applied = true;
    }
    m_status.setStatusBlock(raw);
    m_printingStatus.setStatusBlock(raw);
    debugPrintf("%s", qPrintable(m_status.toString()));
    return applied;
}

bool FollowedStatus::takeQueue(const StatusBlock &raw, const CupsPrinterState &queue,
                               PrintingMode &mode, Configurator &configurator,
                               const QString &unknownText)
{
    StatusDesc status = QueueStatus::describe(queue);
    status.setStatusBlock(raw);
    const auto page = StatusPresentation::printingPage(raw, status.id(), mode.flags());
    for (const QByteArray &mark : page.marks)
        debugPrintf("%s", mark.constData());
    if (StatusPresentation::printerReportsJob(raw))
        mode.removeActiveJobsFromSpooler();
    m_toners = QueueStatus::levels(queue);
    m_queueToners = QueueStatus::toners(queue);
    m_status = status;
    m_printingStatus = page.id == status.id()
            ? status
            : configurator.getStatusDesc(page.id, unknownText, QString());
    m_printingStatus.setStatusBlock(raw);
    debugPrintf("%s", qPrintable(m_status.toString()));
    return true;
}
