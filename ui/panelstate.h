#pragma once

#include "status/statusdesc.h"
#include "status/tonerinfo.h"
#include "ui/statuspresentation.h"

#include <QList>
#include <QString>

// What the panel shows for the status being followed, decided from plain data; the window only
// puts it on its widgets.
struct PanelState
{
    // The text of the troubleshooting button and menu entry: an error keeps the troubleshooting
    // guide, another status points at the user's guide when its help page lies beside it.
    enum class Guide { Troubleshooting, UsersGuideIfFound };

    struct View
    {
        QString title;
        QString text;
    };

    struct TonerBar
    {
        QString id;
        bool visible = false;
        quint8 level = kUnknownLevel;
    };

    View regular;
    View printing;
    bool showsPrintingView = false;
    bool leavesPrintingMode = false;
    // Ordering, the settings tool and the cartridges need a printer that answers.
    bool controlsEnabled = false;
    bool troubleshootingEnabled = false;
    // Ordering and the guides: only for a printer of the supported family.
    bool showsFamilyControls = true;
    Guide guide = Guide::UsersGuideIfFound;
    bool showsPrepareBox = false;
    bool showsToners = false;
    QList<TonerBar> tonerBars;
    // Relative to the application directory. The tooltip is made when it is shown: it names
    // the printer, which is read then.
    QString trayImage;

    // `applied` tells that the report replaced the status shown rather than being ignored.
    // `generic`: a queue of another make, followed through CUPS.
    static PanelState of(const StatusDesc &status, const StatusDesc &printingStatus,
                         const TonerDesc &toners, const PrintingFlags &mode, bool applied,
                         bool generic = false);
    // The user's guide's first page beside a status help page; empty without a help page.
    static QString usersGuideStart(const QString &statusHelp);
};
