#pragma once

#include "status/statusdesc.h"
#include "status/tonerinfo.h"

#include <QObject>
#include <QStringList>

#include <memory>

class Configurator;
class PrinterSettingsStarter;

// What the panel's buttons and the tray menu's entries open for the followed printer: the
// help page of its status, its supply order page, its settings. Its log lines keep the
// window's names: logs of earlier versions are compared with them.
class PrinterActions : public QObject
{
    Q_OBJECT

public:
    explicit PrinterActions(Configurator *configurator);
    ~PrinterActions() override;

    // Passed on to the settings tool.
    void setArguments(const QStringList &arguments);
    void openHelp(const StatusDesc &status);
    // The emptiest toner first.
    void orderSupplies(const TonerDesc &levels);
    // A queue of another make is set up on its server's page; the family's printer with its
    // own tool, unless it prints. Null: no worker polls, the status is read for it first.
    void openSettings(bool queue, const QString &queuePage, const StatusDesc *polled);

Q_SIGNALS:
    void printerBusy();

private:
    Configurator *m_configurator;
    std::unique_ptr<PrinterSettingsStarter> m_settingsStarter;
};
