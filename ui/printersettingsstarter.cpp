#include "ui/printersettingsstarter.h"

#include "acquisition/pldevice.h"
#include "acquisition/worker.h"
#include "base/functions.h"
#include "config/configurator.h"

#include <QThread>

namespace {

// Byte 0 of the status while the printer prints.
const quint8 kPrintingBit = 0x08;

} // namespace

struct PrinterSettingsStarter::Read
{
    std::unique_ptr<PlDevice> device;
    Worker reader{nullptr};
    StatusBlock status;
    int retCode = 0;
    std::unique_ptr<QThread> thread;
};

PrinterSettingsStarter::PrinterSettingsStarter(Configurator *configurator)
    : m_configurator(configurator)
{ }

PrinterSettingsStarter::~PrinterSettingsStarter()
{
    if (m_read)
        m_read->thread->wait();
}

void PrinterSettingsStarter::startWithStatus(const StatusBlock &status)
{
    start(status[0]);
}

void PrinterSettingsStarter::readStatusAndStart()
{
    if (m_read) {
        debugPrintf("TrayMainWindow::printerSettings_clicked(): the status is being read");
        return;
    }
    m_read = std::make_unique<Read>();
    Read *read = m_read.get();
    if (const auto printer = m_configurator->printerDesc())
        read->device = printer->device();
    read->reader.setDevice(read->device.get());
    read->thread.reset(
            QThread::create([read] { read->status = read->reader.getStatus(&read->retCode); }));
    connect(read->thread.get(), &QThread::finished, this, &PrinterSettingsStarter::statusRead,
            Qt::QueuedConnection);
    read->thread->start();
}

void PrinterSettingsStarter::statusRead()
{
    if (!m_read)
        return;
    m_read->thread->wait();
    const std::unique_ptr<Read> read = std::move(m_read);
    if (read->retCode == -1) {
        debugPrintf("TrayMainWindow::printerSettings_clicked(): Obtain status with wrong ret "
                    "code (-1).");
        Q_EMIT printerBusy();
        return;
    }
    if (read->status.isEmpty()) {
        debugPrintf("TrayMainWindow::printerSettings_clicked(): Obtain empty status.");
        Q_EMIT printerBusy();
        return;
    }
    debugPrintf("TrayMainWindow::printerSettings_clicked(): status = \n%s",
                qPrintable(read->status.toString()));
    start(read->status[0]);
}

void PrinterSettingsStarter::start(quint8 state)
{
    if (state & kPrintingBit) {
        debugPrintf("TrayMainWindow::printerSettings_clicked(): Cannot start tunex. Device is "
                    "printing now.");
        Q_EMIT printerBusy();
        return;
    }
    const int result = m_configurator->runPrinterSettings(m_arguments.join(QLatin1Char(' ')));
    if (result == Configurator::kSettingsNoPrinter || result == Configurator::kSettingsNoDevice)
        Q_EMIT printerBusy();
}
