#pragma once

#include "status/statusblock.h"
#include "status/tonerinfo.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <QString>

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
    // The status the printing page shows, with the marks the log traces the choice by.
    struct PrintingPage
    {
        quint32 id = 0;
        QByteArrayList marks;
    };

    // A report for the active printer is dropped when it has a block but the printer no status
    // description, or when nobody looks: the panel hidden and no job followed.
    static bool dropsReport(bool hasPrinter, const StatusBlock &raw, bool hasStatusXml,
                            bool windowHidden, bool printingModeActive);
    // The report cannot be explained yet: it is to be shown once the description is there.
    static bool waitsForDescription(bool hasPrinter, const StatusBlock &raw, bool hasStatusXml);

    // The printer reports printing or a job of this host.
    static bool printerReportsJob(const StatusBlock &raw);

    // The id to look up: the block's, or the pseudo-status for no printer or no answer.
    static quint32 lookupId(const StatusBlock &raw, bool hasPrinter, bool isLocal);

    // What the printing page shows for the looked-up status while a job is followed.
    static PrintingPage printingPage(const StatusBlock &raw, quint32 statusId,
                                     const PrintingFlags &mode);

    // The mode ends a while after the printing page shows the job completed.
    static bool leavesPrintingMode(const PrintingFlags &mode, quint32 printingPageId);

    // The tray image of a status type, relative to the application directory; a printer at
    // work without a warning or error has a badge of its own.
    static QString trayImage(int type, bool printing = false);

    // Order codes of the toners, the emptiest first; a toner without a level counts as 0.
    static QByteArrayList supplyOrderCodes(const TonerInfoList &toners, const TonerDesc &levels);
    static QString supplyOrderAddress(const QString &baseUrl, const QString &separator,
                                      const QByteArrayList &codes);

    // The tray icon's tooltip: the program, and the followed printer with its status.
    static QString toolTip(const QString &printerName, const QString &statusTitle);
};
