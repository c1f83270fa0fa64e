#pragma once

class CUPS;

// Tells the job polling thread when the job lists are worth reading. Asking CUPS for two lists
// every 100 ms costs the server about 1 % of a core all day; a subscription whose events one
// cheap request per tick fetches costs far less, and the lists are read only after an event.
// Servers that refuse subscriptions get the lists every tick.
// Lives in the polling thread; every call comes from there.
class JobEventSource
{
public:
    enum Way { Automatic, Pull, Lists };

    JobEventSource(CUPS *cups, Way preferred);
    ~JobEventSource();
    JobEventSource(const JobEventSource &) = delete;
    JobEventSource &operator=(const JobEventSource &) = delete;

    Way way() const { return m_way; }
    static const char *name(Way way);
    // Once per tick: whether jobs may have changed since the last call.
    bool jobsMayHaveChanged();

private:
    bool subscribe();

    CUPS *m_cups;
    Way m_way = Lists;
    int m_subscription = -1;
    int m_nextSequence = 1;
    // Events may have gone by unseen (before the start, or while the subscription was lost):
    // the lists are read at the next chance.
    bool m_resync = true;
};
