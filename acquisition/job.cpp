#include "acquisition/job.h"

QString Job::statusName(int status)
{
    switch (status) {
    case Printing:
        return QStringLiteral("printing");
    case Completed:
        return QStringLiteral("completed");
    case Canceled:
        return QStringLiteral("canceled");
    case Saved:
        return QStringLiteral("saved");
    case Pending:
        return QStringLiteral("pending");
    case AuthFailStart:
        return QStringLiteral("authFailStart");
    case AuthFailStop:
        return QStringLiteral("authFailStop");
    case Preparing:
        return QStringLiteral("preparing");
    }
    return QStringLiteral("unknown");
}

QString Job::toString() const
{
    return QString::asprintf("user: <%s> id: %s  status: %d(%s)", qPrintable(user), qPrintable(id),
                             status, qPrintable(statusName(status)));
}
