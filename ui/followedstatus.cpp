#include "ui/followedstatus.h"

#include "acquisition/printerdesc.h"
#include "acquisition/queuestatus.h"
#include "base/functions.h"
#include "config/configurator.h"
#include "status/familystatus.h"
#include "status/statusblock.h"
#include "ui/printingmode.h"
#include "ui/statuspresentation.h"

FollowedStatus::FollowedStatus()
    : m_status(Configurator::kNoStatusId, StatusDesc::Unknown)
    , m_printingStatus(Configurator::kNoStatusId, StatusDesc::Unknown)
{
    m_printingView.id = Configurator::kNoStatusId;
}

FollowedStatus::Reading FollowedStatus::read(const StatusBlock &raw,
                                             const std::optional<CupsPrinterState> &queue,
                                             const PrinterDesc *printer, Configurator &configurator,
                                             const QString &unknownText)
{
    m_lastBlock = raw;
    const bool generic = printer && printer->generic;
    m_queue = generic ? queue : std::nullopt;
    Reading reading;
    PrinterState &state = reading.state;
    bool &applicable = reading.applicable;
    QString &hex = reading.hex;
    if (generic) {
        state = QueueStatus::state(queue, raw[StatusBlock::kHostJobsByte],
                                   raw[StatusBlock::kAllJobsByte]);
        configurator.rearmSupplies(state.supplies);
        applicable = !state.lowSupply || !configurator.silencesSupplies(state.supplies);
        m_toners.clear();
    } else {
        if (raw.isEmpty() || !printer)
            debugPrintf("1");
        const quint32 id = StatusPresentation::lookupId(raw, bool(printer),
                                                        printer ? printer->isLocal : true);
        hex = QString::fromLatin1(
                QByteArray(reinterpret_cast<const char *>(raw.data()), StatusBlock::kPrinterBytes)
                        .toHex());
        StatusDesc record = configurator.getStatusDesc(id, unknownText, hex);
        m_toners = configurator.getTonerDesc(raw);
        configurator.updateIgnoredBits(m_toners);
        // The colour bits of this poll take part in the silence.
        record.setStatusBlock(raw);
        applicable = configurator.isStatusApplicable(record);
        state = FamilyStatus::state(record, m_toners, configurator.tonerList(), bool(printer));
        if (printer)
            state = QueueStatus::withCondition(state, printer->queueCondition);
    }
    return reading;
}

bool FollowedStatus::take(const Reading &reading, PrintingMode &mode, Configurator &configurator,
                          const QString &unknownText)
{
    const PrinterState &state = reading.state;
    const bool applicable = reading.applicable;
    const QString &hex = reading.hex;
    const StatusBlock &raw = m_lastBlock;
    const auto page = StatusPresentation::printingPage(state, mode.flags());
    for (const QByteArray &mark : page.marks)
        debugPrintf("%s", mark.constData());
    if (StatusPresentation::printerReportsJob(state))
        mode.removeActiveJobsFromSpooler();

    m_applicable = applicable;
    if (applicable) {
        m_state = state;
        m_status = state.family ? *state.family
                                : StatusDesc(Configurator::kNoStatusId, StatusDesc::Unknown);
        m_printingStatus = m_status;
        m_printingView = {page.id, state.title, state.text()};
        if (!page.showsState) {
            const StatusDesc pseudo = configurator.getStatusDesc(page.id, unknownText, hex);
            m_printingView = {page.id, pseudo.title(), pseudo.desc()};
            m_printingStatus = pseudo;
        }
    } else {
        // The panel keeps its texts; what is drawn beside them is this poll's.
        m_state.supplies = state.supplies;
        m_state.showsSupplies = state.showsSupplies;
        m_state.activity = state.activity;
        m_state.hostJobs = state.hostJobs;
        m_state.allJobs = state.allJobs;
    }
    m_status.setStatusBlock(raw);
    m_printingStatus.setStatusBlock(raw);
    if (m_state.family)
        m_state.family->setStatusBlock(raw);
    debugPrintf("%s", qPrintable(state.family ? m_status.toString() : m_state.toString()));
    return applicable;
}
