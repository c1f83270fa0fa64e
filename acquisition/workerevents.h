#pragma once

#include "cups/printerstate.h"
#include "status/statusblock.h"

#include <QEvent>

#include <optional>

// Events the status worker posts to the window; each carries its own copy of the data.
class PrinterStatusChangedEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = QEvent::Type(1100);

    explicit PrinterStatusChangedEvent(const StatusBlock &status,
                                       const std::optional<CupsPrinterState> &queue = {})
        : QEvent(kType)
        , m_status(status)
        , m_queue(queue)
    { }

    const StatusBlock &status() const { return m_status; }
    // The state of a queue followed through CUPS; null for the family's own channels.
    const std::optional<CupsPrinterState> &queueState() const { return m_queue; }

private:
    StatusBlock m_status;
    std::optional<CupsPrinterState> m_queue;
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
