#pragma once

#include <QList>
#include <QString>

// One print job as a printer's job table or the worker sees it.
struct Job
{
    QString user; // the host that sent the job: "localhost" for USB jobs, an address otherwise
    QString id; // the job number in decimal
    int status = 0;

    enum Status {
        Printing = 1,
        Completed = 2,
        Canceled = 3,
        Saved = 4,
        Pending = 5,
        AuthFailStart = 6,
        AuthFailStop = 7,
        Preparing = 8
    };

    // "printing", "completed", ..., "unknown" for any other number.
    static QString statusName(int status);
    // "user: <%s> id: %s  status: %d(%s)"
    QString toString() const;

    bool operator==(const Job &other) const = default;
};
