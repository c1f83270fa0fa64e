#pragma once

#include <QString>

class QDataStream;

// The five user settings, stored in ".config" in the user's state directory.
class Options
{
public:
    static constexpr int kMinScheduleTime = 1;
    static constexpr int kMaxScheduleTime = 10;

    bool displayPrinterError = true;
    bool displayPrinterWaiting = true;
    qint32 scheduleTime = 1;
    bool displayFinishNwJob = true;
    bool displayPrintingStatus = true;

    QString toString() const;
};

// The stored form is 8 bytes in an order that differs from the declared one:
// displayPrinterError (1), scheduleTime (4, big-endian), displayFinishNwJob (1),
// displayPrinterWaiting (1), displayPrintingStatus (1).
QDataStream &operator<<(QDataStream &stream, const Options &options);
// The stored schedule time is consumed but not used: the record comes back with 1. A value whose
// bytes are missing from a short file keeps what the record held.
QDataStream &operator>>(QDataStream &stream, Options &options);
