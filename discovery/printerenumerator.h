#pragma once

#include "discovery/printerdesc.h"
#include "status/capabilityparser.h"

#include <QEvent>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

class Device;

// Every ten seconds until stopped, builds the list of printers the user can monitor (CUPS
// queues of supported models, USB queues joined with their attached printers) and publishes
// it to the receiver, which then fetches it with printers().
class PrinterEnumerator : public QThread
{
    Q_OBJECT

public:
    // Posted to the receiver after every pass, whether or not the list changed.
    static constexpr QEvent::Type kPrintersChangedEvent = QEvent::Type(1112);

    // Capabilities and help folders are found from the application directory.
    PrinterEnumerator(QObject *receiver, bool useLocalSm, const QString &applicationDirectory);
    ~PrinterEnumerator() override;

    void stop();
    PrinterMap printers();
    void setPrinters(const PrinterMap &list);
    void enumeratePrinters();

    // Where the status channel of a queue with this device URI connects: a device file for
    // USB, an address or host name (found in the URI's host part) for the network.
    static QString getDestinationPath(const QString &uri);

protected:
    void run() override;

private:
    using UsbMap = QMap<quint32, PrinterDesc>;

    struct Association
    {
        quint16 productId = 0;
        quint16 vendorId = 0;
        const PrinterDesc *usbPrinter = nullptr;
    };

    bool readCapabilities(PrinterDesc &printer);
    bool isStopping();
    bool isNetworkCapable(const QString &model) const;
    Association associate(const Device &queue, const UsbMap &usbPrinters,
                          const PrinterMap &previous) const;

    QWaitCondition m_wakeUp;
    QMutex m_waitMutex;
    bool m_stopped = false;
    QObject *m_receiver;
    const QString m_applicationDirectory;
    CapabilityDictionary m_capabilities;
    QMutex m_listMutex;
    PrinterMap m_printers;
    const bool m_useLocalSm;
};
