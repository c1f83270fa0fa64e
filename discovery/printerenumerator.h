#pragma once

#include "acquisition/printerdesc.h"
#include "cups/cups.h"
#include "discovery/devicereader.h"
#include "status/capabilityparser.h"

#include <QEvent>
#include <QHash>
#include <QMutex>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <mutex>

class Device;

// Every ten seconds until stopped, builds the list of printers the user can monitor (CUPS
// queues of supported models, USB queues joined with their attached printers) and publishes
// it to the receiver, which then fetches it with printers().
//
// Network printers are asked side by side, a few at a time, and a printer that does not answer
// delays only its own description: the list goes out with what is known and again as answers
// come. Each keeps its last good description through a failed ask, and the last list stays
// while the CUPS server does not answer.
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
    // The queues of the last pass that are not in the list ("NAME (MODEL)", or the name alone
    // when the model is not known), and the printer families this installation follows: what
    // a user with no supported printer is told.
    QStringList otherQueues();
    QStringList families() const;
    // One pass; it returns once the network printers that answer at once have been asked. The
    // ones that did not are asked again aside, and their answers published when they come.
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

    // How a network printer answered its last ask.
    enum class Reply { Unknown, Answered, Failed, Silent };
    // Probe: one device id request first, the full ask only when it is answered.
    enum class Lane { Probe, Fast, Slow };

    // One network queue's printer: its last reply and last good description, kept while the
    // queue keeps its address and model.
    struct NetworkPrinter
    {
        QString devPath;
        QByteArray manufacturer;
        QByteArray product;
        Reply last = Reply::Unknown;
        bool asking = false;
        bool described = false;
        QString statusXml;
        bool hasTunex = false;
        bool extJobTable = false;

        // The same printer as the record: same address and model.
        bool isFor(const PrinterDesc &printer) const
        {
            return devPath == printer.devPath && manufacturer == printer.manufacturer
                    && product == printer.product;
        }
    };

    // A USB printer's status description, read once while it stays plugged in.
    struct UsbDocument
    {
        QString statusXml;
        bool hasTunex = false;
        bool extJobTable = false;
    };

    struct NetworkAnswer
    {
        QString queue;
        PrinterDesc printer;
        Reply reply = Reply::Unknown;
    };

    bool readCapabilities(PrinterDesc &printer);
    bool isStopping();
    bool isNetworkCapable(const QString &model) const;
    Association associate(const Device &queue, const QString &devPath, const UsbMap &usbPrinters,
                          const PrinterMap &previous) const;

    // Enumerator thread.
    // A queue of another make, followed through the CUPS server alone.
    static void addGenericQueue(PrinterMap &list, const Device &queue);
    void askNetworkPrinters(const QList<PrinterDesc> &network, bool slowLane);
    void awaitFastLane(PrinterMap &list, bool firstList);
    bool takeAnswers();
    void describe(PrinterMap &list) const;
    void publishLateAnswers();
    // Pool threads.
    void ask(const QString &queue, PrinterDesc printer, Lane lane);
    void deliver(const NetworkAnswer &answer, bool fastLane);

    std::condition_variable m_wakeUp;
    std::mutex m_waitMutex;
    bool m_stopped = false;
    // Set with m_stopped, read by the asks in progress without the lock.
    std::atomic<bool> m_cancelAsks{false};
    QObject *m_receiver;
    const QString m_applicationDirectory;
    CapabilityDictionary m_capabilities;
    QMutex m_listMutex;
    PrinterMap m_printers;
    QStringList m_otherQueues;
    bool m_published = false;
    const bool m_useLocalSm;
    bool m_cupsSilent = false;

    // Only the enumerator thread touches these. Help folders are read once.
    QStringList m_supportedModels;
    bool m_supportedModelsRead = false;
    // By queue name, the queues of the last list.
    QHash<QString, PpdRecord> m_ppds;
    // By plugging, the printers of the last pass.
    QHash<QString, UsbDocument> m_usbDocuments;
    DeviceReader m_deviceReader;

    // By queue name; only the enumerator thread touches it.
    QHash<QString, NetworkPrinter> m_network;
    // Guarded by m_waitMutex.
    QList<NetworkAnswer> m_answers;
    int m_fastAsks = 0;
    // Last: they finish their asks before anything those use goes.
    QThreadPool m_slowLane;
    QThreadPool m_fastLane;
};
