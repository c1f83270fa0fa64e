#include "status/printerstate.h"

const char *PrinterState::severityName(Severity severity)
{
    switch (severity) {
    case Severity::Ok:
        return "ok";
    case Severity::Report:
        return "report";
    case Severity::Waiting:
        return "waiting";
    case Severity::Warning:
        return "warning";
    case Severity::Error:
        return "error";
    case Severity::NotAnswering:
        return "not answering";
    case Severity::Unknown:
        break;
    }
    return "unknown";
}

QString PrinterState::text() const
{
    if (remedy.isEmpty())
        return description;
    return description.isEmpty() ? remedy : description + QLatin1Char('\n') + remedy;
}

QString PrinterState::key() const
{
    return QString::number(int(severity)) + QLatin1Char('\n') + title;
}

QString PrinterState::toString() const
{
    QStringList supplyTexts;
    for (const Supply &supply : supplies)
        supplyTexts.append(QStringLiteral("%1=%2%3")
                                   .arg(supply.id)
                                   .arg(supply.level)
                                   .arg(supply.low ? QStringLiteral(" low") : QString()));
    const char *const sources[] = {"none", "family", "queue"};
    return QStringLiteral("\n\tsource: %1\n\tseverity: %2\n\tprinting: %3\n\ttitle: <%4>"
                          "\n\tdescription: <%5>\n\tremedy: <%6>\n\tsupplies: %7 (%8)"
                          "\n\tqueue: known=%9 stopped=%10 accepting=%11 message=<%12>"
                          "\n\tjobs: host=%13 all=%14")
            .arg(QLatin1String(sources[int(source)]), QLatin1String(severityName(severity)))
            .arg(activity == Activity::Printing ? 1 : 0)
            .arg(title, description, remedy, supplyTexts.join(QLatin1Char(' ')))
            .arg(showsSupplies ? QStringLiteral("shown") : QStringLiteral("hidden"))
            .arg(queue.known ? 1 : 0)
            .arg(queue.stopped ? 1 : 0)
            .arg(queue.acceptingJobs ? 1 : 0)
            .arg(queue.message)
            .arg(hostJobs)
            .arg(allJobs);
}
