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
    // A queue followed through CUPS describes itself; the family's status is looked up.
    m_queue = printer && printer->generic ? queue : std::nullopt;
    QString hex;
    quint32 id = 0;
    StatusDesc status(Configurator::kNoStatusId, StatusDesc::Unknown);
    if (m_queue) {
        status = QueueStatus::describe(*m_queue);
        id = status.id();
    } else {
        if (raw.isEmpty() || !printer)
            debugPrintf("1");
        id = StatusPresentation::lookupId(raw, bool(printer), printer ? printer->isLocal : true);
        hex = QString::fromLatin1(
                QByteArray(reinterpret_cast<const char *>(raw.data()), StatusBlock::kPrinterBytes)
                        .toHex());
        status = configurator.getStatusDesc(id, unknownText, hex);
    }
    const auto page = StatusPresentation::printingPage(raw, id, mode.flags());
    for (const QByteArray &mark : page.marks)
        debugPrintf("%s", mark.constData());
    if (StatusPresentation::printerReportsJob(raw))
        mode.removeActiveJobsFromSpooler();

    if (m_queue) {
        m_toners = QueueStatus::levels(*m_queue);
        m_queueToners = QueueStatus::toners(*m_queue);
    } else {
        m_toners = configurator.getTonerDesc(raw);
        configurator.updateIgnoredBits(m_toners);
        m_queueToners.clear();
    }

    status.setStatusBlock(raw);
    // A queue's supply has no "prepared for that": its report always counts.
    const bool applied = m_queue || configurator.isStatusApplicable(status);
    if (applied) {
        m_status = status;
        m_printingStatus = m_queue && page.id == id
                ? status
                : configurator.getStatusDesc(page.id, unknownText, hex);
    }
    m_status.setStatusBlock(raw);
    m_printingStatus.setStatusBlock(raw);
    debugPrintf("%s", qPrintable(m_status.toString()));
    return applied;
}
