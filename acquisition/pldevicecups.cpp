#include "acquisition/pldevicecups.h"

#include "base/functions.h"
#include "cups/cups.h"

PlDeviceCups::PlDeviceCups(const QString &queue)
    : m_queue(queue)
{ }

PlDeviceCups::~PlDeviceCups() = default;

CUPS &PlDeviceCups::cups()
{
    if (!m_cups)
        m_cups = std::make_unique<CUPS>();
    return *m_cups;
}

QString PlDeviceCups::requestStatusXML(int *retCode)
{
    // The server describes such a queue itself; there is no document to read.
    if (retCode)
        *retCode = 0;
    return QString();
}

StatusBlock PlDeviceCups::requestStatus_withRepeat(int *retCode)
{
    m_state = cups().printerState(m_queue);
    if (retCode)
        *retCode = m_state ? 0 : -1;
    if (!m_state)
        return StatusBlock();
    if (!m_webPage)
        m_webPage = cups().queuePage(m_queue);
    m_state->webPage = *m_webPage;
    debugPrintf("PlDeviceCups: %s: state %d, reasons <%s>, accepting %d, %lld supplies",
                qPrintable(m_queue), m_state->state,
                qPrintable(m_state->reasons.join(QLatin1Char(','))), m_state->acceptingJobs ? 1 : 0,
                qlonglong(m_state->markers.size()));
    // The state travels as itself (queueState()); no status block of the family stands for it.
    return StatusBlock();
}

QList<Job> PlDeviceCups::getJobList(int *retCode)
{
    if (retCode)
        *retCode = 0;
    // Asked only while the queue prints: an idle queue has no job of anyone at work.
    if (!m_state || m_state->state != CupsPrinterState::Processing
        || !cups().hasActiveJobs(m_queue, true))
        return {};
    Job job;
    job.user = QStringLiteral("localhost");
    job.status = Job::Printing;
    return {job};
}

QString PlDeviceCups::toString() const
{
    return QStringLiteral("CUPS queue %1").arg(m_queue);
}
