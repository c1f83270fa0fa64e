#pragma once

#include "ui/statuspresentation.h"

#include <QObject>
#include <QTimer>

// Whether the panel follows a print job: while active, status reports are shown with the panel
// hidden and the printing page tells how the job goes. It ends a while after the job is done.
class PrintingMode : public QObject
{
    Q_OBJECT

public:
    // A job handed to the spooler shows up at the printer within this time, or never will.
    static constexpr int kSpoolerFlagMs = 5000;
    // How long "Printing completed" stays before the mode ends.
    static constexpr int kLeaveDelayMs = 3000;

    explicit PrintingMode(QObject *parent = nullptr);

    bool isActive() const { return m_flags.isActive; }
    bool wasClosed() const { return m_flags.wasClosed; }
    bool hasActiveJobsInSpooler() const { return m_flags.hasActiveJobsInSpooler; }
    const PrintingFlags &flags() const { return m_flags; }
    // For the log.
    QString toString() const;

public Q_SLOTS:
    void enter(bool hasActiveJobsInSpooler);
    void leave(int msec = 0);
    void close();
    void removeActiveJobsFromSpooler();

Q_SIGNALS:
    void entered();
    void leaved();

private:
    PrintingFlags m_flags;
    QTimer m_timer;
};
