#pragma once

#include "acquisition/printerdesc.h"
#include "status/printerstate.h"
#include "status/statusblock.h"
#include "status/tonerinfo.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <QString>

class Options;

// The printing mode's flags as the status decisions read them.
struct PrintingFlags
{
    bool isActive = false;
    bool wasClosed = false;
    bool hasActiveJobsInSpooler = false;
};

// The window's decisions about one status report, data in and data out; the window applies
// the answers to its widgets.
class StatusPresentation
{
    Q_DECLARE_TR_FUNCTIONS(StatusPresentation)

public:
    // Whether a status is told by a desktop notification, and how long it must last first.
    struct Notice
    {
        bool wanted = false;
        int delayMs = 0;
    };
    // A printer that is not available is told only once it has been so for this long: a printer
    // waking up or a short network drop is not worth a notification.
    static constexpr int kUnavailableNoticeDelayMs = 60000;

    // The status the printing page shows, with the marks the log traces the choice by: the
    // followed state itself, or the pseudo-status of that id.
    struct PrintingPage
    {
        quint32 id = 0;
        bool showsState = true;
        QByteArrayList marks;
    };

    // A report for the active printer is dropped when it has a block but the printer no status
    // description, or when nobody looks: the panel hidden and no job followed.
    static bool dropsReport(bool hasPrinter, const StatusBlock &raw, bool hasStatusXml,
                            bool windowHidden, bool printingModeActive);
    // The report cannot be explained yet: it is to be shown once the description is there.
    static bool waitsForDescription(bool hasPrinter, const StatusBlock &raw, bool hasStatusXml);

    // The printer reports printing or a job of this host.
    static bool printerReportsJob(const PrinterState &state);

    // The id to look up: the block's, or the pseudo-status for no printer or no answer.
    static quint32 lookupId(const StatusBlock &raw, bool hasPrinter, bool isLocal);

    // What the printing page shows while a job is followed: for the family by the bytes its
    // status was looked up from, for a queue by its state.
    static PrintingPage printingPage(const PrinterState &state, const PrintingFlags &mode);

    // The mode ends a while after the printing page shows the job completed.
    static bool leavesPrintingMode(const PrintingFlags &mode, quint32 printingPageId);

    // The tray's state by name: "default", "normal", "printing", "warning" or "error".
    static QString trayState(const PrinterState &state);
    // The image of a tray state, relative to the application directory.
    static QString trayImage(const QString &trayState);

    // Order codes of the toners, the emptiest first; a toner without a level counts as 0.
    static QByteArrayList supplyOrderCodes(const TonerInfoList &toners, const TonerDesc &levels);
    static QString supplyOrderAddress(const QString &baseUrl, const QString &separator,
                                      const QByteArrayList &codes);

    // The alert options decide: errors, waiting states (warnings and pop-up information) and a
    // low supply the user is not prepared for; information and reports never, and nothing the
    // panel already shows. A printer that does not answer is told once it has not for a minute.
    static Notice notice(const PrinterState &state, bool applicable, const Options &options,
                         bool shownInPanel = false);
    // A job on a network printer has finished and the options want it told.
    static bool noticesFinishedJob(bool completed, bool network, const Options &options);

    // The printers in the menu's order, the supported family first; and the one to follow: the
    // first whose queue has the name, else the first of all (-1 without printers).
    struct MenuChoice
    {
        QList<PrinterDesc> printers;
        qsizetype chosen = -1;
        bool named = false;
    };
    static MenuChoice menuChoice(const QList<PrinterDesc> &printers, const QString &name);

    // The same printers, whatever their queues' conditions.
    static bool samePrintersApartFromQueues(PrinterMap a, PrinterMap b);

    // What a click says when no queue is of a supported family.
    static QString noSupportedPrinterText(const QStringList &families, const QStringList &queues);

    // The tray icon's tooltip: the program, and the followed printer with its status.
    static QString toolTip(const QString &printerName, const QString &statusTitle);
};
