#pragma once

#include "status/printerstate.h"
#include "ui/statuspresentation.h"

#include <QColor>
#include <QList>
#include <QString>

// What the panel and the tray show for the followed printer, decided from its state, the
// printing page and the printing mode; the window only puts it on its widgets.
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

    // One bar of the cartridge view: how it is drawn, and its level in this report.
    struct TonerBar
    {
        QString id;
        QString title;
        QColor colors[3];
        bool visible = false;
        quint8 level = 0;
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
    // The tray's state by name; the tooltip is made when it is shown: it names the printer,
    // which is read then.
    QString trayState;

    // `applied` tells that the report replaced the status shown rather than being ignored.
    static PanelState of(const PrinterState &state, const View &printing, quint32 printingPageId,
                         const PrintingFlags &mode, bool applied);
    // The user's guide's first page beside a status help page; empty without a help page.
    static QString usersGuideStart(const QString &statusHelp);
    // How a supply is drawn; a queue's bar says when it runs low. Its level is not set.
    static TonerBar barOf(const Supply &supply, bool queue);
    // What a cartridge view holds of the bars: the same key, the same bars.
    static QString barsKey(const QList<TonerBar> &bars);
};
