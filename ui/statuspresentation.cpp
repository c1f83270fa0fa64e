#include "ui/statuspresentation.h"

#include "acquisition/printerdesc.h"
#include "config/configurator.h"

#include <QUrl>

#include <algorithm>

namespace {

// The raw status the printer reports while it prints.
const quint32 kRawPrintingId = 0x0104FF;
const int kHostJobBits
        = StatusBlock::JobPending | StatusBlock::JobPreparing | StatusBlock::JobPrinting;

} // namespace

bool StatusPresentation::dropsReport(bool hasPrinter, const StatusBlock &raw, bool hasStatusXml,
                                     bool windowHidden, bool printingModeActive)
{
    if (!hasPrinter)
        return false;
    return waitsForDescription(hasPrinter, raw, hasStatusXml)
            || (windowHidden && !printingModeActive);
}

bool StatusPresentation::waitsForDescription(bool hasPrinter, const StatusBlock &raw,
                                             bool hasStatusXml)
{
    return hasPrinter && !raw.isEmpty() && !hasStatusXml;
}

bool StatusPresentation::printerReportsJob(const PrinterState &state)
{
    return state.activity == PrinterState::Activity::Printing || (state.hostJobs & kHostJobBits);
}

quint32 StatusPresentation::lookupId(const StatusBlock &raw, bool hasPrinter, bool isLocal)
{
    if (!hasPrinter)
        return Configurator::kNoDeviceStatusId;
    if (raw.isEmpty())
        return isLocal ? Configurator::kUsbStatusUnavailableId
                       : Configurator::kNetworkStatusUnavailableId;
    return raw.statusId();
}

StatusPresentation::PrintingPage StatusPresentation::printingPage(const PrinterState &state,
                                                                  const PrintingFlags &mode)
{
    using Severity = PrinterState::Severity;
    PrintingPage page;
    const StatusBlock raw = state.family ? state.family->statusBlock() : StatusBlock();
    if (state.family)
        page.id = state.source == PrinterState::Source::None || raw.isEmpty() ? state.family->id()
                                                                              : raw.statusId();
    if (!mode.isActive)
        return page;
    const auto show = [&page](quint32 id) {
        page.id = id;
        page.showsState = false;
    };
    const int hostJobs = state.hostJobs;
    // The family's byte 0 names the kind of its status; a queue's state says the same.
    const bool error = state.family ? raw.kind() == StatusDesc::Error || raw.isEmpty()
                                    : state.severity >= Severity::Error;
    const bool warning = state.family ? raw.kind() == StatusDesc::Warning
                                      : state.severity == Severity::Warning;
    const bool printing = state.family ? page.id == kRawPrintingId
                                       : state.activity == PrinterState::Activity::Printing;
    if (error) {
        page.marks = {"3"};
    } else if (mode.wasClosed) {
        page.marks = {"4"};
        if (!mode.hasActiveJobsInSpooler && (hostJobs & kHostJobBits) == 0)
            show(Configurator::kPrintingCompletedId);
    } else if (hostJobs & StatusBlock::JobPrinting) {
        if (!warning) {
            page.marks = {printing ? "52" : "51"};
            show(printing ? Configurator::kPrintingInProgressId : Configurator::kPreparingJobId);
        }
        page.marks.append("5");
    } else if (hostJobs & StatusBlock::JobPreparing) {
        page.marks = {"6"};
        show(Configurator::kPreparingJobId);
    } else if (hostJobs & StatusBlock::JobPending) {
        page.marks = {"7"};
        show(Configurator::kBusyWithAnotherJobId);
    } else if (mode.hasActiveJobsInSpooler) {
        page.marks = {"9"};
        show(Configurator::kPreparingJobId);
    } else {
        page.marks = {"10"};
        show(Configurator::kPrintingCompletedId);
    }
    return page;
}

bool StatusPresentation::leavesPrintingMode(const PrintingFlags &mode, quint32 printingPageId)
{
    return mode.isActive && printingPageId == Configurator::kPrintingCompletedId;
}

QString StatusPresentation::trayState(const PrinterState &state)
{
    using Severity = PrinterState::Severity;
    switch (state.severity) {
    case Severity::Ok:
    case Severity::Report:
    case Severity::Waiting:
        return state.activity == PrinterState::Activity::Printing ? QStringLiteral("printing")
                                                                  : QStringLiteral("normal");
    case Severity::Warning:
        return QStringLiteral("warning");
    case Severity::Error:
        return QStringLiteral("error");
    case Severity::NotAnswering:
        // The family's "status is not available" is an error of its table; a queue whose
        // printer is silent keeps what cupsd knows and warns.
        return state.source == PrinterState::Source::Queue ? QStringLiteral("warning")
                                                           : QStringLiteral("error");
    case Severity::Unknown:
        break;
    }
    return QStringLiteral("default");
}

QString StatusPresentation::trayImage(const QString &trayState)
{
    return QStringLiteral("../share/icons/pl_%1.png").arg(trayState);
}

QByteArrayList StatusPresentation::supplyOrderCodes(const TonerInfoList &toners,
                                                    const TonerDesc &levels)
{
    SortedList<Toner> items;
    for (const TonerInfo &toner : toners)
        items.append(Toner{toner.orderCode, levels.value(toner.id, 0)});
    items.sort();
    QByteArrayList codes;
    for (const Toner &item : items)
        codes.append(item.orderCode);
    return codes;
}

QString StatusPresentation::supplyOrderAddress(const QString &baseUrl, const QString &separator,
                                               const QByteArrayList &codes)
{
    QStringList parts;
    for (const QByteArray &code : codes)
        parts.append(QString::fromLatin1(code));
    return baseUrl + parts.join(separator);
}

StatusPresentation::Notice StatusPresentation::notice(const PrinterState &state, bool applicable,
                                                      const Options &options, bool shownInPanel)
{
    using Severity = PrinterState::Severity;
    Notice notice;
    // Without a printer there is nothing to watch; a status not read yet tells nothing.
    if (state.source == PrinterState::Source::None || shownInPanel)
        return notice;
    switch (state.severity) {
    case Severity::NotAnswering:
        notice.wanted = options.displayPrinterError;
        notice.delayMs = kUnavailableNoticeDelayMs;
        break;
    case Severity::Error:
        notice.wanted = options.displayPrinterError;
        break;
    case Severity::Warning:
    case Severity::Waiting:
        notice.wanted = options.displayPrinterWaiting && (!state.lowSupply || applicable);
        break;
    default:
        break;
    }
    return notice;
}

bool StatusPresentation::noticesFinishedJob(bool completed, bool network, const Options &options)
{
    return completed && network && options.displayFinishNwJob;
}

QString StatusPresentation::toolTip(const QString &printerName, const QString &statusTitle)
{
    if (printerName.isEmpty())
        return tr("Pellar");
    if (statusTitle.isEmpty())
        return tr("Pellar — %1").arg(printerName);
    return tr("Pellar — %1: %2").arg(printerName, statusTitle);
}

QString StatusPresentation::noSupportedPrinterText(const QStringList &families,
                                                   const QStringList &queues)
{
    const QString follows = families.isEmpty()
            ? tr("This installation names no printer family it follows.")
            : tr("Pellar follows printers of these families: %1.")
                      .arg(families.join(QLatin1String(", ")));
    const QString found = queues.isEmpty()
            ? tr("CUPS has no printer queue.")
            : tr("CUPS has these queues, and none of them is of a supported family:\n%1")
                      .arg(queues.join(QLatin1Char('\n')));
    return follows + QLatin1String("\n\n") + found + QLatin1String("\n\n")
            + tr("Please install supported driver or port.");
}

StatusPresentation::MenuChoice StatusPresentation::menuChoice(const QList<PrinterDesc> &printers,
                                                              const QString &name)
{
    MenuChoice choice{printers};
    std::stable_partition(choice.printers.begin(), choice.printers.end(),
                          [](const PrinterDesc &printer) { return !printer.generic; });
    for (qsizetype i = 0; i < choice.printers.size(); ++i) {
        if (choice.printers.at(i).softName.value(0) == name) {
            choice.chosen = i;
            choice.named = true;
            return choice;
        }
    }
    choice.chosen = choice.printers.isEmpty() ? -1 : 0;
    return choice;
}

bool StatusPresentation::samePrintersApartFromQueues(PrinterMap a, PrinterMap b)
{
    for (PrinterDesc &printer : a)
        printer.queueCondition = QueueCondition();
    for (PrinterDesc &printer : b)
        printer.queueCondition = QueueCondition();
    return a == b;
}
