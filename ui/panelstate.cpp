#include "ui/panelstate.h"

#include "config/configurator.h"

#include <QDir>
#include <QFileInfo>

PanelState PanelState::of(const StatusDesc &status, const StatusDesc &printingStatus,
                          const TonerDesc &toners, const PrintingFlags &mode, bool applied,
                          bool generic)
{
    PanelState state;
    state.regular = {status.title(), status.desc()};
    state.printing = {printingStatus.title(), printingStatus.desc()};
    state.showsPrintingView = mode.isActive;
    state.leavesPrintingMode = StatusPresentation::leavesPrintingMode(mode, printingStatus.id());
    const quint32 id = status.id();
    state.controlsEnabled = id != Configurator::kUsbStatusUnavailableId
            && id != Configurator::kNetworkStatusUnavailableId;
    state.troubleshootingEnabled = id != Configurator::kNoDeviceStatusId;
    state.guide = status.type() == StatusDesc::Error ? Guide::Troubleshooting
                                                     : Guide::UsersGuideIfFound;
    state.showsFamilyControls = !generic;
    state.showsPrepareBox = applied && status.isLowToner() && !generic;
    state.showsToners = !toners.isEmpty() && status.showToner() && !status.isEmpty();
    if (state.showsToners) {
        for (auto it = toners.cbegin(); it != toners.cend(); ++it)
            state.tonerBars.append({it.key(), it.value() != kUnknownLevel, it.value()});
    }
    state.trayImage
            = StatusPresentation::trayImage(status.type(), status.statusBlock().isPrinting());
    return state;
}

QString PanelState::usersGuideStart(const QString &statusHelp)
{
    if (statusHelp.isEmpty())
        return QString();
    return QFileInfo(statusHelp).dir().filePath(QStringLiteral("start_here.htm"));
}
