#include "acquisition/queuestatus.h"

#include "status/statereasons.h"

#include <algorithm>

namespace {

using Severity = StateReasons::Severity;

// The printer table's kinds in byte 0.
const std::uint8_t kKindInfo = 1;
const std::uint8_t kKindWarning = 2;
const std::uint8_t kKindError = 4;
const std::uint8_t kPrintingNetworkJob = 0x10;
// What a printer of the family reports while it prints: the printing page reads it so.
const quint32 kPrintingId = 0x0104FF;
const char kNoColor[] = "808080";

int rank(Severity severity)
{
    switch (severity) {
    case Severity::Error:
        return 2;
    case Severity::Warning:
        return 1;
    case Severity::Report:
        break;
    }
    return 0;
}

// What the queue says as a whole: a reason of the printer, or a state of the queue itself.
struct Verdict
{
    enum Speaker { Reason, Stopped, NotAccepting, Printing, Ready };
    Speaker speaker = Ready;
    QString reason;
    qint32 type = StatusDesc::Info;
    std::uint8_t kind = kKindInfo;
};

Verdict verdictOf(const CupsPrinterState &state)
{
    QString lead;
    int best = -1;
    for (const QString &reason : state.reasons) {
        const int value = rank(StateReasons::severity(reason));
        if (value > best) {
            best = value;
            lead = reason;
        }
    }
    // A problem of the printer speaks first; the queue's own state after its errors.
    if (best == 2)
        return {Verdict::Reason, lead, StatusDesc::Error, kKindError};
    if (state.state == CupsPrinterState::Stopped)
        return {Verdict::Stopped, QString(), StatusDesc::Warning, kKindWarning};
    if (best == 1)
        return {Verdict::Reason, lead, StatusDesc::Warning, kKindWarning};
    if (!state.acceptingJobs)
        return {Verdict::NotAccepting, QString(), StatusDesc::Warning, kKindWarning};
    if (best == 0)
        return {Verdict::Reason, lead, StatusDesc::Info, kKindInfo};
    if (state.state == CupsPrinterState::Processing)
        return {Verdict::Printing, QString(), StatusDesc::Info, kKindInfo};
    return {};
}

// The same verdict gives the same id in every poll; a change of it gives another.
quint32 idOf(const Verdict &verdict)
{
    if (verdict.speaker == Verdict::Printing)
        return kPrintingId;
    const QByteArray key
            = QStringLiteral("%1/%2").arg(int(verdict.speaker)).arg(verdict.reason).toUtf8();
    return QueueStatus::kIdBase | (quint32(verdict.kind & 0x07) << 16)
            | qChecksum(QByteArrayView(key), Qt::ChecksumIso3309);
}

// Kind, id and the printing bit; jobs are filled in by the worker.
StatusBlock blockOf(const Verdict &verdict, const CupsPrinterState &state)
{
    const quint32 id = idOf(verdict);
    StatusBlock raw;
    raw[0] = verdict.kind | (state.state == CupsPrinterState::Processing ? kPrintingNetworkJob : 0);
    raw[1] = std::uint8_t(id >> 16);
    raw[2] = std::uint8_t(id >> 8);
    raw[3] = std::uint8_t(id);
    return raw;
}

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
    static const QStringList states{QStringLiteral("idle"), QStringLiteral("ready"),
                                    QStringLiteral("printing"), QStringLiteral("processing"),
                                    QStringLiteral("stopped")};
    QString word = message.toLower();
    if (word.endsWith(QLatin1Char('.')))
        word.chop(1);
    return states.contains(word);
}

bool isLow(const CupsMarker &marker)
{
    return marker.level >= 0 && marker.lowLevel >= 0 && marker.level <= marker.lowLevel;
}

} // namespace

StatusDesc QueueStatus::describe(const CupsPrinterState &state)
{
    const Verdict verdict = verdictOf(state);
    QString title;
    QString desc;
    switch (verdict.speaker) {
    case Verdict::Reason: {
        const StateReasons::Text text = StateReasons::text(verdict.reason);
        title = text.title;
        desc = text.remedy;
        break;
    }
    case Verdict::Stopped:
        title = tr("Queue stopped");
        desc = tr("The print queue is stopped and keeps its jobs. Resume it in the printer "
                  "settings.");
        break;
    case Verdict::NotAccepting:
        title = tr("Queue not accepting jobs");
        desc = tr("The print queue refuses new jobs. Let it accept jobs again in the printer "
                  "settings.");
        break;
    case Verdict::Printing:
        title = tr("Printing");
        break;
    case Verdict::Ready:
        title = tr("Ready");
        break;
    }
    const QString message = state.message.trimmed();
    if (!message.isEmpty() && message != title && !restatesState(message))
        desc = desc.isEmpty() ? message : desc + QLatin1Char('\n') + message;

    StatusDesc status(idOf(verdict), verdict.type);
    status.setString(verdict.reason.isEmpty() ? title : verdict.reason);
    status.setTitle(title);
    status.setDesc(desc);
    status.setTagName(StateReasons::keyword(verdict.reason));
    status.setLowToner(!verdict.reason.isEmpty() && StateReasons::isSupplyLow(verdict.reason));
    status.setStatusBlock(blockOf(verdict, state));
    return status;
}

StatusBlock QueueStatus::block(const CupsPrinterState &state)
{
    return blockOf(verdictOf(state), state);
}

TonerInfoList QueueStatus::toners(const CupsPrinterState &state)
{
    TonerInfoList list;
    for (qsizetype i = 0; i < state.markers.size() && i < kMaxBars; ++i) {
        const CupsMarker &marker = state.markers.at(i);
        TonerInfo toner;
        toner.id = QStringLiteral("marker%1").arg(i);
        const QString name = marker.name.trimmed().isEmpty() ? marker.type : marker.name;
        if (isLow(marker))
            toner.title = tr("%1 (low)").arg(name);
        else if (marker.level == CupsMarker::kSomeRemaining)
            toner.title = tr("%1 (some left)").arg(name);
        else
            toner.title = name;
        toner.barColors = barColors(marker.color);
        list.append(toner);
    }
    return list;
}

TonerDesc QueueStatus::levels(const CupsPrinterState &state)
{
    TonerDesc levels;
    for (qsizetype i = 0; i < state.markers.size() && i < kMaxBars; ++i) {
        const int level = state.markers.at(i).level;
        // "Some remaining" has no figure: a bar half full, its title says the rest.
        const int shown = level == CupsMarker::kSomeRemaining ? 50 : level;
        levels.insert(QStringLiteral("marker%1").arg(i),
                      shown >= 0 && shown <= 100 ? quint8(shown) : kUnknownLevel);
    }
    return levels;
}

QStringList QueueStatus::lowSupplies(const CupsPrinterState &state)
{
    QStringList names;
    for (const CupsMarker &marker : state.markers) {
        if (isLow(marker))
            names.append(marker.name);
    }
    return names;
}
