#pragma once

#include "status/statusblock.h"

#include <QEvent>

// Events the status worker posts to the window; each carries its own copy of the data.
class PrinterStatusChangedEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = QEvent::Type(1100);

    explicit PrinterStatusChangedEvent(const StatusBlock &status)
        : QEvent(kType)
        , m_status(status)
    { }

    const StatusBlock &status() const { return m_status; }

private:
    StatusBlock m_status;
};

class WorkerFinishedEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = QEvent::Type(1103);
    WorkerFinishedEvent()
        : QEvent(kType)
    { }
};

class WorkerStartEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = QEvent::Type(1111);
    WorkerStartEvent()
        : QEvent(kType)
    { }
};
