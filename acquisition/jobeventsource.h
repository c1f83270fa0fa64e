#pragma once

#include <QObject>

#include <atomic>

class CUPS;
class QDBusMessage;

// Tells the job polling thread when the job lists are worth reading. Asking CUPS for two lists
// every 100 ms costs the server about 1 % of a core all day; a subscription to job events costs
// far less, and the lists are read only after an event. In order of preference:
//   Signals: cupsd's D-Bus notifier announces each event on the system bus;
//   Pull:    the server keeps the events, and one cheap request per tick fetches them;
//   Lists:   the lists every tick, for servers that refuse subscriptions.
// Lives in the polling thread; every call comes from there.
class JobEventSource : public QObject
{
    Q_OBJECT

public:
    enum Way { Automatic, Signals, Pull, Lists };

    JobEventSource(CUPS *cups, Way preferred);
    ~JobEventSource() override;

    Way way() const { return m_way; }
    static const char *name(Way way);
    // Once per tick: whether jobs may have changed since the last call.
    bool jobsMayHaveChanged();

private Q_SLOTS:
    void notified(const QDBusMessage &message);

private:
    bool subscribe();
    bool listenToNotifier();
    void stopListening();
    bool signalsSaySo();
    bool pullSaysSo();

    CUPS *m_cups;
    Way m_way = Lists;
    int m_subscription = -1;
    int m_nextSequence = 1;
    qint64 m_lastCheckMs = 0;
    // Set by a notifier signal, taken by the next tick.
    std::atomic<bool> m_notified{false};
    // Events may have gone by unseen (before the start, or while the subscription was lost):
    // the lists are read at the next chance.
    bool m_resync = true;
};
