#include "acquisition/jobeventsource.h"

#include "app/functions.h"
#include "discovery/cups.h"

namespace {

// Renewed by every new subscription; a server restart forgets it anyway, which the next
// fetch notices.
const int kLeaseSeconds = 3600;

} // namespace

JobEventSource::JobEventSource(CUPS *cups, Way preferred)
    : m_cups(cups)
{
    if (preferred != Lists) {
        m_way = Pull;
        if (subscribe())
            return;
    }
    m_way = Lists;
}

JobEventSource::~JobEventSource()
{
    if (m_subscription > 0)
        m_cups->cancelSubscription(m_subscription);
}

const char *JobEventSource::name(Way way)
{
    switch (way) {
    case Pull:
        return "CUPS notifications fetched every poll";
    case Lists:
        return "the job lists";
    default:
        return "automatic";
    }
}

bool JobEventSource::subscribe()
{
    int status = -1;
    m_subscription = m_cups->subscribeToJobs(QString(), kLeaseSeconds, &status);
    if (m_subscription > 0) {
        debugPrintf("JobEventSource: subscription %d", m_subscription);
        m_nextSequence = 1;
        return true;
    }
    if (status != -1)
        debugPrintf("JobEventSource: the server refuses a subscription (status 0x%04x)", status);
    return false;
}

bool JobEventSource::jobsMayHaveChanged()
{
    if (m_way == Lists)
        return true;
    if (m_subscription <= 0 && !subscribe())
        return false;
    const std::optional<int> events = m_cups->getNotifications(m_subscription, &m_nextSequence);
    if (!events) {
        // Unanswered, or forgotten by a restarted server: subscribe again next tick, and read
        // the lists once the server is back.
        m_subscription = -1;
        m_resync = true;
        return false;
    }
    const bool changed = *events > 0 || m_resync;
    m_resync = false;
    return changed;
}
