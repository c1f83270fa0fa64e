#include "acquisition/jobeventsource.h"

#include "base/functions.h"
#include "cups/cups.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>

namespace {

// The subscription's lease, renewed halfway through: each renewal makes cupsd rewrite its
// subscription file, so not often. A server restart forgets the subscription sooner, which the
// next fetch or check notices.
const int kLeaseSeconds = 3600;
const qint64 kRenewMs = qint64(kLeaseSeconds) * 500;
// A server that refused or did not answer a subscription is asked again after this pause.
const qint64 kRetryMs = 2000;
const int kTickMs = 100;
const char kNotifierPath[] = "/org/cups/cupsd/Notifier";
const char kNotifierInterface[] = "org.cups.cupsd.Notifier";
const char *const kNotifierSignals[] = {"JobCreated", "JobCompleted", "JobState"};
const char kDBusRecipient[] = "dbus://";

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

JobEventSource::JobEventSource(CUPS *cups, Way preferred, int checkMs)
    : m_cups(cups)
    , m_checkMs(checkMs)
{
    if (preferred == Automatic || preferred == Signals) {
        m_way = Signals;
        if (listenToNotifier()) {
            if (subscribe())
                return;
            stopListening();
        }
    }
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
    if (m_way == Signals)
        stopListening();
}

const char *JobEventSource::name(Way way)
{
    switch (way) {
    case Signals:
        return "CUPS notifications on the system bus";
    case Pull:
        return "CUPS notifications fetched every poll";
    case Lists:
        return "the job lists";
    default:
        return "automatic";
    }
}

int JobEventSource::tickMs() const
{
    if (m_way != Signals)
        return kTickMs;
    return m_subscription > 0 && !m_waitingForServer ? m_checkMs
                                                     : int(qMin<qint64>(m_checkMs, kRetryMs));
}

bool JobEventSource::listenToNotifier()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return false;
    for (const char *signal : kNotifierSignals) {
        if (!bus.connect(QString(), QLatin1String(kNotifierPath), QLatin1String(kNotifierInterface),
                         QLatin1String(signal), this, SLOT(notified(QDBusMessage)))) {
            stopListening();
            return false;
        }
    }
    return true;
}

void JobEventSource::stopListening()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    for (const char *signal : kNotifierSignals)
        bus.disconnect(QString(), QLatin1String(kNotifierPath), QLatin1String(kNotifierInterface),
                       QLatin1String(signal), this, SLOT(notified(QDBusMessage)));
}

bool JobEventSource::subscribe()
{
    int status = -1;
    const QString recipient = m_way == Signals ? QLatin1String(kDBusRecipient) : QString();
    m_subscription = m_cups->subscribeToJobs(recipient, kLeaseSeconds, &status);
    m_renewedMs = nowMs();
    if (m_subscription > 0) {
        debugPrintf("JobEventSource: subscription %d (%s)", m_subscription, name(m_way));
        m_nextSequence = 1;
        return true;
    }
    m_retryAtMs = m_renewedMs + kRetryMs;
    if (status != -1)
        debugPrintf("JobEventSource: the server refuses a subscription (status 0x%04x)", status);
    return false;
}

// Unanswered, forgotten by a restarted server, or used up: subscribed again at the next chance,
// and the lists are read once the server is back.
void JobEventSource::dropSubscription()
{
    m_subscription = -1;
    m_resync = true;
}

void JobEventSource::notified(const QDBusMessage &)
{
    Q_EMIT changed();
}

bool JobEventSource::jobsMayHaveChanged()
{
    switch (m_way) {
    case Signals:
        return signalsSaySo();
    case Pull:
        return pullSaysSo();
    default:
        return true;
    }
}

bool JobEventSource::pullSaysSo()
{
    if (m_subscription <= 0 && (nowMs() + kTickMs < m_retryAtMs || !subscribe()))
        return false;
    if (nowMs() - m_renewedMs >= kRenewMs) {
        m_renewedMs = nowMs();
        if (!m_cups->renewSubscription(m_subscription, kLeaseSeconds)) {
            dropSubscription();
            return false;
        }
    }
    const std::optional<int> events = m_cups->getNotifications(m_subscription, &m_nextSequence);
    if (!events) {
        dropSubscription();
        return false;
    }
    if (m_nextSequence < 0) {
        m_cups->cancelSubscription(m_subscription);
        dropSubscription();
    }
    const bool changed = *events > 0 || m_resync;
    m_resync = m_subscription <= 0;
    return changed;
}

// Each tick is a check: the lists' changes themselves come as signals. A server that does not
// answer keeps the subscription, which it may still know when it is back.
bool JobEventSource::signalsSaySo()
{
    const qint64 now = nowMs();
    // The timer may fire a little early.
    if (now + kTickMs < m_retryAtMs)
        return false;
    if (m_subscription > 0 && now - m_renewedMs >= kRenewMs) {
        m_renewedMs = now;
        if (!m_cups->renewSubscription(m_subscription, kLeaseSeconds))
            dropSubscription();
    } else if (m_subscription > 0) {
        const std::optional<bool> known = m_cups->hasSubscription(m_subscription);
        m_waitingForServer = !known;
        if (!known) {
            m_resync = true;
            m_retryAtMs = now + kRetryMs;
            return false;
        }
        if (!*known)
            dropSubscription();
    }
    if (m_subscription <= 0 && !subscribe())
        return false;
    const bool changed = m_resync;
    m_resync = false;
    return changed;
}
