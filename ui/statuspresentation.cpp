#include "ui/statuspresentation.h"

#include "config/configurator.h"

#include <QUrl>

#include <algorithm>

namespace {

// Byte 0's state code while the printer is working off a job.
const int kStatePrinting = 2;
const int kStateBusy = 4;
// The raw status the printer reports while it prints.
const quint32 kRawPrintingId = 0x0104FF;

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

bool StatusPresentation::printerReportsJob(const StatusBlock &raw)
{
    return raw.isPrinting() || raw.hasActiveJobs();
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

StatusPresentation::PrintingPage StatusPresentation::printingPage(const StatusBlock &raw,
                                                                  quint32 statusId,
                                                                  const PrintingFlags &mode)
{
    PrintingPage page{statusId, {}};
    if (!mode.isActive)
        return page;
    const int hostJobs = raw[StatusBlock::kHostJobsByte];
    if (raw.kind() == kStateBusy || raw.isEmpty()) {
        page.marks = {"3"};
    } else if (mode.wasClosed) {
        page.marks = {"4"};
        if (!mode.hasActiveJobsInSpooler && !raw.hasActiveJobs())
            page.id = Configurator::kPrintingCompletedId;
    } else if (hostJobs & StatusBlock::JobPrinting) {
        if (raw.kind() != kStatePrinting) {
            const bool printing = statusId == kRawPrintingId;
            page.marks = {printing ? "52" : "51"};
            page.id = printing ? Configurator::kPrintingInProgressId
                               : Configurator::kPreparingJobId;
        }
        page.marks.append("5");
    } else if (hostJobs & StatusBlock::JobPreparing) {
        page.marks = {"6"};
        page.id = Configurator::kPreparingJobId;
    } else if (hostJobs & StatusBlock::JobPending) {
        page.marks = {"7"};
        page.id = Configurator::kBusyWithAnotherJobId;
    } else if (mode.hasActiveJobsInSpooler) {
        page.marks = {"9"};
        page.id = Configurator::kPreparingJobId;
    } else {
        page.marks = {"10"};
        page.id = Configurator::kPrintingCompletedId;
    }
    return page;
}

bool StatusPresentation::leavesPrintingMode(const PrintingFlags &mode, quint32 printingPageId)
{
    return mode.isActive && printingPageId == Configurator::kPrintingCompletedId;
}

QString StatusPresentation::trayImage(int type, bool printing)
{
    switch (type) {
    case StatusDesc::Info:
    case StatusDesc::PopupInfo:
        return printing ? QStringLiteral("../share/icons/pl_printing.png")
                        : QStringLiteral("../share/icons/pl_normal.png");
    case StatusDesc::Warning:
        return QStringLiteral("../share/icons/pl_warning.png");
    case StatusDesc::Error:
        return QStringLiteral("../share/icons/pl_error.png");
    default:
        return QStringLiteral("../share/icons/pl_default.png");
    }
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

StatusPresentation::Notice StatusPresentation::notice(quint32 statusId, int type, bool lowToner,
                                                      bool applicable, const Options &options)
{
    Notice notice;
    if (statusId == Configurator::kUsbStatusUnavailableId
        || statusId == Configurator::kNetworkStatusUnavailableId) {
        notice.wanted = options.displayPrinterError;
        notice.delayMs = kUnavailableNoticeDelayMs;
        return notice;
    }
    // Without a printer there is nothing to watch; a status not read yet tells nothing.
    if (statusId == Configurator::kNoDeviceStatusId || statusId == Configurator::kNoStatusId)
        return notice;
    switch (type) {
    case StatusDesc::Error:
        notice.wanted = options.displayPrinterError;
        break;
    case StatusDesc::Warning:
    case StatusDesc::PopupInfo:
        notice.wanted = options.displayPrinterWaiting && (!lowToner || applicable);
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

QString StatusPresentation::queuePageAddress(const QString &queue)
{
    // A queue name may hold any character but "/", "#" and space; the address keeps it whole.
    return QStringLiteral("http://localhost:631/printers/")
            + QString::fromLatin1(QUrl::toPercentEncoding(queue));
}
