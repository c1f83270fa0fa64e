#include "ui/printeractions.h"

#include "base/functions.h"
#include "config/configurator.h"
#include "config/externalprograms.h"
#include "ui/printersettingsstarter.h"
#include "ui/statuspresentation.h"

PrinterActions::PrinterActions(Configurator *configurator)
    : m_configurator(configurator)
    , m_settingsStarter(std::make_unique<PrinterSettingsStarter>(configurator))
{
    connect(m_settingsStarter.get(), &PrinterSettingsStarter::printerBusy, this,
            &PrinterActions::printerBusy);
}

PrinterActions::~PrinterActions() = default;

void PrinterActions::setArguments(const QStringList &arguments)
{
    m_settingsStarter->setArguments(arguments);
}

void PrinterActions::openHelp(const StatusDesc &status)
{
    const QString topic = m_configurator->getStatusHelp(status);
    debugPrintf("TrayMainWindow::troubleshooting_clicked(): topic=%s", qPrintable(topic));
    StartWebBrowser(QStringLiteral("file://") + topic);
}

void PrinterActions::orderSupplies(const TonerDesc &levels)
{
    const QString baseUrl = m_configurator->supplyOrderUrl();
    debugPrintf("base url: %s", qPrintable(baseUrl));
    const QByteArrayList codes
            = StatusPresentation::supplyOrderCodes(m_configurator->tonerList(), levels);
    for (const QByteArray &code : codes)
        debugPrintf("toner ids:\n%s\n", code.constData());
    // Opened without a shell: quotes would become part of the address.
    const QString address
            = StatusPresentation::supplyOrderAddress(baseUrl, m_configurator->separator(), codes);
    debugPrintf("whole url: %s", qPrintable(address));
    OpenWebAddress(address);
}

void PrinterActions::openSettings(bool queue, const QString &queuePage, const StatusDesc *polled)
{
    if (queue) {
        if (!queuePage.isEmpty())
            OpenWebAddress(queuePage);
        return;
    }
    if (polled) {
        debugPrintf("TrayMainWindow::printerSettings_clicked(): status = \n%s",
                    qPrintable(polled->toString()));
        m_settingsStarter->startWithStatus(polled->statusBlock());
        return;
    }
    m_settingsStarter->readStatusAndStart();
}
