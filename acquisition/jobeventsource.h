#pragma once

#include <QObject>

class CUPS;
class QDBusMessage;

// Tells the job polling thread when the job lists are worth reading. Asking CUPS for two lists
// every 100 ms costs the server about 1 % of a core all day; a subscription to job events costs
// far less, and the lists are read only after an event. In order of preference:
//   Signals: cupsd's D-Bus notifier announces each event on the system bus (changed());
//   Pull:    the server keeps the events, and one cheap request per tick fetches them;
//   Lists:   the lists every tick, for servers that refuse subscriptions.
// Lives in the polling thread; every call comes from there.
class JobEventSource : public QObject
{
    Q_OBJECT

public:
    enum Way { Automatic, Signals, Pull, Lists };

    // With signals the ticks only check now and then that the server still knows the
    // subscription, which a restarted server may have forgotten.
    static constexpr int kDefaultCheckMs = 60000;

    JobEventSource(CUPS *cups, Way preferred, int checkMs = kDefaultCheckMs);
    ~JobEventSource() override;

    Way way() const { return m_way; }
    static const char *name(Way way);
    // Once per tick: whether jobs may have changed since the last call.
    bool jobsMayHaveChanged();
    // How long until the next tick.
    int tickMs() const;

Q_SIGNALS:
    // A notifier signal arrived: the lists are worth reading now.
    void changed();

private Q_SLOTS:
    void notified(const QDBusMessage &message);

private:
    bool subscribe();
    void dropSubscription();
    bool listenToNotifier();
    void stopListening();
    bool signalsSaySo();
    bool pullSaysSo();

    CUPS *m_cups;
    int m_checkMs;
    Way m_way = Lists;
    int m_subscription = -1;
    int m_nextSequence = 1;
    qint64 m_renewedMs = 0;
    // A server that is down is asked for a subscription again only after a pause.
    qint64 m_retryAtMs = 0;
    bool m_waitingForServer = false;
    // Events may have gone by unseen (before the start, or while the subscription was lost):
    // the lists are read at the next chance.
    bool m_resync = true;
};
