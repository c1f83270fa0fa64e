#include "acquisition/queuestatus.h"

#include "status/statereasons.h"

#include <algorithm>

namespace {

using Severity = PrinterState::Severity;
using ReasonSeverity = StateReasons::Severity;

const char kNoColor[] = "808080";

QString barColors(const QString &markerColor)
{
    QStringList colors;
    for (const QString &part : markerColor.split(QLatin1Char('#'), Qt::SkipEmptyParts)) {
        const QString hex = part.trimmed();
        const bool isHex = std::all_of(hex.cbegin(), hex.cend(), [](QChar c) {
            return c.isDigit()
                    || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
        });
        if (hex.size() == 6 && isHex)
            colors.append(hex.toUpper());
        if (colors.size() == 3)
            break;
    }
    return colors.isEmpty() ? QString::fromLatin1(kNoColor) : colors.join(QLatin1Char(','));
}

// Printers say "Idle." or "Printing." in their message too: the title says it already.
bool restatesState(const QString &message)
{
    static const QStringList states{QStringLiteral("idle"),     QStringLiteral("ready"),
                                    QStringLiteral("printing"), QStringLiteral("processing"),
                                    QStringLiteral("stopped"),  QStringLiteral("paused")};
    QString word = message.toLower();
    if (word.endsWith(QLatin1Char('.')))
        word.chop(1);
    return states.contains(word);
}

bool isLow(const CupsMarker &marker)
{
    return marker.level >= 0 && marker.lowLevel >= 0 && marker.level <= marker.lowLevel;
}

QList<Supply> suppliesOf(const CupsPrinterState &queue)
{
    QList<Supply> supplies;
    for (qsizetype i = 0; i < queue.markers.size() && i < QueueStatus::kMaxBars; ++i) {
        const CupsMarker &marker = queue.markers.at(i);
        Supply supply;
        supply.id = QStringLiteral("marker%1").arg(i);
        supply.name = marker.name.trimmed().isEmpty() ? marker.type : marker.name;
        supply.colors = barColors(marker.color);
        supply.level = marker.level == CupsMarker::kSomeRemaining ? Supply::kSomeLeft
                : marker.level >= 0 && marker.level <= 100        ? marker.level
                                                                  : Supply::kUnknown;
        supply.low = isLow(marker);
        supplies.append(supply);
    }
    return supplies;
}

QueueCondition conditionOf(const CupsPrinterState &queue)
{
    QueueCondition condition;
    condition.known = true;
    condition.stopped = queue.state == CupsPrinterState::Stopped;
    condition.acceptingJobs = queue.acceptingJobs;
    condition.message = queue.message.trimmed();
    return condition;
}

// The first reason of the highest severity leads; bookkeeping never does.
QString leadingReason(const QStringList &reasons, ReasonSeverity *severity)
{
    QString lead;
    for (const QString &reason : reasons) {
        if (StateReasons::isInternal(reason))
            continue;
        const ReasonSeverity value = StateReasons::severity(reason);
        if (lead.isEmpty() || value > *severity) {
            lead = reason;
            *severity = value;
        }
    }
    return lead;
}

void addLine(QString *text, const QString &line)
{
    if (line.isEmpty() || text->split(QLatin1Char('\n')).contains(line))
        return;
    *text = text->isEmpty() ? line : *text + QLatin1Char('\n') + line;
}

QString stoppedRemedy()
{
    return QueueStatus::tr("The print queue is stopped and keeps its jobs. Resume it in the "
                           "printer settings.");
}

QString refusingRemedy()
{
    return QueueStatus::tr("The print queue refuses new jobs. Let it accept jobs again in the "
                           "printer settings.");
}

} // namespace

PrinterState QueueStatus::state(const std::optional<CupsPrinterState> &queue, quint8 hostJobs,
                                quint8 allJobs)
{
    PrinterState state;
    state.source = PrinterState::Source::Queue;
    state.hostJobs = hostJobs;
    state.allJobs = allJobs;
    if (!queue) {
        state.severity = Severity::NotAnswering;
        state.title = tr("CUPS does not answer");
        state.description = tr("The printer's state is not known while the print server does "
                               "not answer.");
        return state;
    }
    state.queue = conditionOf(*queue);
    state.supplies = suppliesOf(*queue);
    state.activity = queue->state == CupsPrinterState::Processing ? PrinterState::Activity::Printing
                                                                  : PrinterState::Activity::Idle;
    const QString message = restatesState(state.queue.message) ? QString() : state.queue.message;

    if (queue->printerAnswer == CupsPrinterState::Answer::Silent) {
        // What cupsd last heard of the printer may be old; its own condition still holds.
        state.severity = Severity::NotAnswering;
        state.title = tr("Printer not answering");
        state.remedy = tr("Check that the printer is switched on and connected.");
        if (state.queue.stopped)
            addLine(&state.description, tr("Queue stopped"));
        else if (!state.queue.acceptingJobs)
            addLine(&state.description, tr("Queue not accepting jobs"));
        for (const QString &reason : queue->reasons) {
            if (!StateReasons::isInternal(reason)
                && StateReasons::severity(reason) != ReasonSeverity::Report)
                addLine(&state.description, StateReasons::text(reason).title);
        }
        addLine(&state.description, message);
        return state;
    }

    ReasonSeverity leadSeverity = ReasonSeverity::Report;
    const QString lead = leadingReason(queue->reasons, &leadSeverity);
    const bool leads = !lead.isEmpty() && leadSeverity != ReasonSeverity::Report;
    state.showsSupplies = !state.supplies.isEmpty();
    // A problem of the printer speaks first; the queue's own state after its errors.
    if (leads && leadSeverity == ReasonSeverity::Error) {
        state.severity = Severity::Error;
    } else if (state.queue.stopped) {
        state.severity = Severity::Warning;
        state.title = tr("Queue stopped");
        state.remedy = stoppedRemedy();
    } else if (leads) {
        state.severity = Severity::Warning;
    } else if (!state.queue.acceptingJobs) {
        state.severity = Severity::Warning;
        state.title = tr("Queue not accepting jobs");
        state.remedy = refusingRemedy();
    } else if (!lead.isEmpty()) {
        // A printer reports even a jam so while idle: its news is the title, though it asks
        // nothing of the user.
        state.severity = Severity::Report;
    } else {
        state.severity = Severity::Ok;
        state.title
                = state.activity == PrinterState::Activity::Printing ? tr("Printing") : tr("Ready");
    }
    if (state.title.isEmpty()) {
        const StateReasons::Text text = StateReasons::text(lead);
        state.title = text.title;
        state.remedy = text.remedy;
        state.lowSupply = StateReasons::isSupplyLow(lead)
                && std::any_of(state.supplies.cbegin(), state.supplies.cend(),
                               [](const Supply &supply) { return supply.low; });
        // A queue that also refuses jobs says so below the printer's problem.
        if (state.queue.stopped)
            addLine(&state.description, tr("Queue stopped"));
        else if (!state.queue.acceptingJobs)
            addLine(&state.description, tr("Queue not accepting jobs"));
    }
    if (message != state.title)
        addLine(&state.description, message);
    return state;
}

PrinterState QueueStatus::withCondition(const PrinterState &device, const QueueCondition &queue)
{
    PrinterState state = device;
    state.queue = queue;
    if (!queue.known || (!queue.stopped && queue.acceptingJobs)
        || device.severity >= Severity::Error)
        return state;
    state.severity = Severity::Warning;
    state.title = queue.stopped ? tr("Queue stopped") : tr("Queue not accepting jobs");
    state.description = device.title;
    if (!restatesState(queue.message))
        addLine(&state.description, queue.message);
    state.remedy = queue.stopped ? stoppedRemedy() : refusingRemedy();
    return state;
}

QString QueueStatus::barTitle(const Supply &supply)
{
    if (supply.low)
        return tr("%1 (low)").arg(supply.name);
    if (supply.level == Supply::kSomeLeft)
        return tr("%1 (some left)").arg(supply.name);
    return supply.name;
}
