#include "ui/panelstate.h"

#include "acquisition/queuestatus.h"
#include "config/configurator.h"
#include "status/tonerinfo.h"

#include <QDir>
#include <QFileInfo>

PanelState PanelState::of(const PrinterState &state, const View &printing, quint32 printingPageId,
                          const PrintingFlags &mode, bool applied)
{
    using Severity = PrinterState::Severity;
    PanelState panel;
    panel.regular = {state.title, state.text()};
    panel.printing = printing;
    panel.showsPrintingView = mode.isActive;
    panel.leavesPrintingMode = StatusPresentation::leavesPrintingMode(mode, printingPageId);
    panel.controlsEnabled = state.isAnswering();
    panel.troubleshootingEnabled = state.source != PrinterState::Source::None;
    panel.guide = state.severity == Severity::Error || state.severity == Severity::NotAnswering
            ? Guide::Troubleshooting
            : Guide::UsersGuideIfFound;
    const bool queue = state.source == PrinterState::Source::Queue;
    panel.showsFamilyControls = !queue;
    panel.showsPrepareBox = applied && state.lowSupply;
    panel.showsToners = state.showsSupplies && !state.supplies.isEmpty() && state.isAnswering();
    if (panel.showsToners) {
        for (const Supply &supply : state.supplies) {
            TonerBar bar = barOf(supply, queue);
            // "Some left" has no figure: a bar half full, its title says the rest.
            const int level = supply.level == Supply::kSomeLeft ? 50 : supply.level;
            bar.visible = level >= 0;
            bar.level = quint8(bar.visible ? level : kUnknownLevel);
            panel.tonerBars.append(bar);
        }
    }
    panel.trayState = StatusPresentation::trayState(state);
    return panel;
}

PanelState::TonerBar PanelState::barOf(const Supply &supply, bool queue)
{
    TonerBar bar;
    bar.id = supply.id;
    bar.title = queue ? QueueStatus::barTitle(supply) : supply.name;
    const QStringList parts = supply.colors.split(QLatin1Char(','));
    for (int i = 0; i < 3 && i < parts.size(); ++i)
        bar.colors[i] = QColor(QLatin1Char('#') + parts.at(i).trimmed());
    return bar;
}

QString PanelState::usersGuideStart(const QString &statusHelp)
{
    if (statusHelp.isEmpty())
        return QString();
    return QFileInfo(statusHelp).dir().filePath(QStringLiteral("start_here.htm"));
}

QString PanelState::barsKey(const QList<TonerBar> &bars)
{
    QString key;
    for (const TonerBar &bar : bars) {
        key += bar.id + QLatin1Char('\t') + bar.title;
        for (const QColor &color : bar.colors)
            key += QLatin1Char('\t') + (color.isValid() ? color.name() : QString());
        key += QLatin1Char('\n');
    }
    return key;
}
