#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One supply of a queue (toner, ink, drum, waste box), as IPP names it.
struct CupsMarker
{
    // Levels IPP gives instead of a percentage.
    static constexpr int kUnknown = -1;
    static constexpr int kUnavailable = -2;
    static constexpr int kSomeRemaining = -3;

    QString name;
    // "#RRGGBB", several joined ("#00FFFF#FF00FF") for a multi-colour supply, or "none".
    QString color;
    // "toner", "ink-cartridge", "waste-toner", …
    QString type;
    int level = kUnknown;
    int lowLevel = kUnknown;

    bool operator==(const CupsMarker &other) const = default;
};

// A queue's state, as one Get-Printer-Attributes tells it.
struct CupsPrinterState
{
    enum State { Idle = 3, Processing = 4, Stopped = 5 };

    int state = Idle;
    // printer-state-reasons without "none", in the order given, suffixes kept ("toner-low-report").
    QStringList reasons;
    QString message;
    bool acceptingJobs = true;
    QList<CupsMarker> markers;
    // The address of the queue's page on the server's web interface, where it is set up; empty
    // where the server has none.
    QString webPage;
    // Whether the printer behind the queue answered the last request: NotAsked where no printer
    // is asked directly (not an ipp/ipps device). A Silent printer's state is the queue's own.
    enum class Answer { NotAsked, Answered, Silent };
    Answer printerAnswer = Answer::NotAsked;

    bool operator==(const CupsPrinterState &other) const = default;
};
