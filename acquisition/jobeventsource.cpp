#include "acquisition/jobeventsource.h"

#include "app/functions.h"
#include "discovery/cups.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>

namespace {

// The subscription's lease; a server restart forgets the subscription sooner, which the next
// fetch or check notices.
const int kLeaseSeconds = 3600;
// With signals nothing is asked while nothing happens but this check that the server still
// knows the subscription, which it forgets when it restarts.
const qint64 kSignalsCheckMs = 2000;
const char kNotifierPath[] = "/org/cups/cupsd/Notifier";
const char kNotifierInterface[] = "org.cups.cupsd.Notifier";
const char *const kNotifierSignals[] = {"JobCreated", "JobCompleted", "JobState"};
const char kDBusRecipient[] = "dbus://";

} // namespace

JobEventSource::JobEventSource(CUPS *cups, Way preferred)
    : m_cups(cups)
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
    m_lastCheckMs = QDateTime::currentMSecsSinceEpoch();
    if (m_subscription > 0) {
        debugPrintf("JobEventSource: subscription %d (%s)", m_subscription, name(m_way));
        m_nextSequence = 1;
        return true;
    }
    if (status != -1)
        debugPrintf("JobEventSource: the server refuses a subscription (status 0x%04x)", status);
    return false;
}

void JobEventSource::notified(const QDBusMessage &)
{
    m_notified = true;
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
    if (m_subscription <= 0 && !subscribe())
        return false;
    // Renewed halfway through its lease, so that it never ends while Pellar runs.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_lastCheckMs >= qint64(kLeaseSeconds) * 500) {
        m_lastCheckMs = now;
        if (!m_cups->renewSubscription(m_subscription, kLeaseSeconds)) {
            m_subscription = -1;
            m_resync = true;
            return false;
        }
    }
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

bool JobEventSource::signalsSaySo()
{
    // The bus delivers the signals to this thread's objects as posted events.
    QCoreApplication::sendPostedEvents(this);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_lastCheckMs >= kSignalsCheckMs) {
        m_lastCheckMs = now;
        if (m_subscription <= 0 || !m_cups->renewSubscription(m_subscription, kLeaseSeconds)) {
            m_subscription = -1;
            m_resync = true;
            if (!subscribe())
                return false;
        }
    }
    const bool changed = m_notified.exchange(false) || m_resync;
    m_resync = false;
    return changed;
}
