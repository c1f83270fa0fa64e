#pragma once

#include "status/statusdesc.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One supply of a printer as the panel draws it: a toner of the family's table, or a marker
// of a queue of another make.
struct Supply
{
    // Levels that are no percentage.
    static constexpr int kUnknown = -1;
    static constexpr int kSomeLeft = -3;

    QString id;
    QString name;
    // One to three RRGGBB values joined by ",".
    QString colors;
    int level = kUnknown;
    bool low = false;

    bool operator==(const Supply &other) const = default;
};

// What the CUPS server itself says of the queue, apart from the printer behind it.
struct QueueCondition
{
    bool known = false;
    bool stopped = false;
    bool acceptingJobs = true;
    QString message;

    bool operator==(const QueueCondition &other) const = default;
};

// The one state of the followed printer that every channel's report becomes, and from which
// the panel, the tray and the notifications are decided.
struct PrinterState
{
    enum class Source { None, Family, Queue };
    // In rising order of what it asks of the user. Waiting is the family's pop-up information
    // (shown like information, told like a warning); a report is news that asks nothing.
    enum class Severity { Unknown, Ok, Report, Waiting, Warning, Error, NotAnswering };
    enum class Activity { Idle, Printing };

    Source source = Source::None;
    Severity severity = Severity::Unknown;
    Activity activity = Activity::Idle;
    QString title;
    QString description;
    // What the user can do about it; empty when nothing.
    QString remedy;
    QList<Supply> supplies;
    // The status lets its supplies be drawn (a status of the family may hide them).
    bool showsSupplies = false;
    // The status is about a supply running low, which the user may say he is prepared for.
    bool lowSupply = false;
    QueueCondition queue;
    // Jobs of this host and of all hosts: pending 1, preparing 2, printing 4.
    quint8 hostJobs = 0;
    quint8 allJobs = 0;
    // The family's looked-up status with the block it was made for; its help page, colour
    // bits and printing rules come from there. Null for a queue of another make.
    std::optional<StatusDesc> family;

    // The description and the remedy, as the panel's text.
    QString text() const;
    bool isAnswering() const { return severity != Severity::NotAnswering; }
    // Names the state for a notification: a new key is a new thing to tell.
    QString key() const;
    QString toString() const;

    static const char *severityName(Severity severity);
};
