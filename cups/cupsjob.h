#pragma once

#include <QString>

// One entry of a CUPS job list.
class CupsJob
{
public:
    // The job states this program tells apart; every other IPP state is Unknown.
    enum State { Unknown = 0, Completed = 2, Canceled = 3, Saved = 4, Processing = 5 };

    CupsJob() = default;
    CupsJob(qint32 id, const QString &dest, qint32 state, bool completed)
        : id(id)
        , dest(dest)
        , state(state)
        , completed(completed)
    { }

    // Maps an IPP job state (3 pending ... 9 completed) onto State.
    static qint32 stateFromIpp(int ippState);

    qint32 id = 0;
    QString dest;
    qint32 state = Unknown;
    // The list was asked for completed jobs.
    bool completed = false;

    bool operator==(const CupsJob &other) const = default;
};
