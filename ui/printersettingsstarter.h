#pragma once

#include "status/statusblock.h"

#include <QObject>
#include <QStringList>

#include <memory>

class Configurator;

// Starts the printer-settings tool for the active printer unless the printer is printing. With
// the worker stopped the status is read once for it first: a printer that does not answer
// takes seconds, so the read runs on a thread of its own, on a channel of its own, and the
// window goes on while it runs.
// Its log lines keep the window's names: logs of earlier versions are compared with them.
class PrinterSettingsStarter : public QObject
{
    Q_OBJECT

public:
    explicit PrinterSettingsStarter(Configurator *configurator);
    // Waits for a read still running.
    ~PrinterSettingsStarter() override;

    // Passed on to the tool.
    void setArguments(const QStringList &arguments) { m_arguments = arguments; }
    // The worker's last status tells whether the printer prints.
    void startWithStatus(const StatusBlock &status);
    void readStatusAndStart();

Q_SIGNALS:
    // The printer prints, does not answer, or the tool found no printer or device.
    void printerBusy();

private:
    void statusRead();
    void start(quint8 state);

    Configurator *m_configurator;
    QStringList m_arguments;
    struct Read;
    std::unique_ptr<Read> m_read;
};
