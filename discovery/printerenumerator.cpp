#include "discovery/printerenumerator.h"

#include "acquisition/pldevicenw.h"
#include "acquisition/pldeviceusb.h"
#include "base/functions.h"
#include "config/helplookup.h"
#include "cups/cups.h"
#include "discovery/devicereader.h"
#include "status/statusparser.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

const unsigned long kPassIntervalMs = 10000;
// Network printers asked at once; one that does not answer holds its thread for seconds.
const int kFastAsks = 8;
// Printers that did not answer are asked again one at a time: each such ask waits seconds, and
// every SNMP request of the process waits while one of its attempts is out.
const int kSlowAsks = 1;
// A printer not known to answer is first asked once for its device id: a LAN printer answers
// within milliseconds, and every silent one holds all SNMP requests of the process this long.
// One that answers later is asked in full aside.
const long kProbeTimeoutMs = 100;
// Once the queues are known the list goes out within this time, and then at most this often
// while answers come in.
const int kListDelayMs = 300;
const char kCapabilitiesFile[] = "capabilities.xml";
const qsizetype kMaxHostLength = 255;

// std's condition variable: ThreadSanitizer sees its unlock and relock, which QWaitCondition
// does inside QtCore.
void waitFor(std::unique_lock<std::mutex> &lock, std::condition_variable &condition,
             const QDeadlineTimer &deadline)
{
    condition.wait_for(lock,
                       std::chrono::milliseconds(std::max<qint64>(deadline.remainingTime(), 0)));
}

bool isSupported(const QString &model, const QStringList &supportedModels)
{
    return std::any_of(supportedModels.begin(), supportedModels.end(), [&](const QString &entry) {
        return entry.contains(model, Qt::CaseInsensitive);
    });
}

// The first capture of the pattern in the text, logged the way every search is logged. The
// patterns take the longest match at the leftmost place ("print-1.example.org", not
// "print-1.example") in one pass: possessive and atomic parts never retry what they took.
bool rxSearch(const QRegularExpression &pattern, const QString &text, QString *capture)
{
    debugPrintf("::rxSearch: str=<%s>\n<%s>", qPrintable(pattern.pattern()), qPrintable(text));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    debugPrintf("rx.capturedTexts()=<%s>\n",
                qPrintable(match.capturedTexts().join(QLatin1Char('|'))));
    *capture = match.captured(1);
    return true;
}

// The authority of the part after the scheme, without user-info: where the address is. Bounded,
// as no host name is longer.
QString hostPart(const QString &rest)
{
    QStringView host(rest);
    if (host.startsWith(QLatin1String("//")))
        host = host.mid(2);
    qsizetype end = 0;
    while (end < host.size() && !QStringView(u"/?#").contains(host.at(end)))
        ++end;
    host = host.left(end);
    host = host.mid(host.lastIndexOf(QLatin1Char('@')) + 1);
    if (host.size() > kMaxHostLength) {
        debugPrintf("PrinterEnumerator::getDestinationPath: host part of %lld characters, "
                    "only the first %lld are searched",
                    qlonglong(host.size()), qlonglong(kMaxHostLength));
        host = host.left(kMaxHostLength);
    }
    return host.toString();
}

} // namespace

PrinterEnumerator::PrinterEnumerator(QObject *receiver, bool useLocalSm,
                                     const QString &applicationDirectory)
    : m_receiver(receiver)
    , m_applicationDirectory(applicationDirectory)
    , m_useLocalSm(useLocalSm)
{
    debugPrintf("PrinterEnumerator::PrinterEnumerator: mtx=%p", static_cast<void *>(&m_listMutex));
    m_capabilities = CapabilityParser::loadFile(
            QDir(m_applicationDirectory).filePath(QString::fromLatin1(kCapabilitiesFile)));
    m_fastLane.setMaxThreadCount(kFastAsks);
    m_slowLane.setMaxThreadCount(kSlowAsks);
}

PrinterEnumerator::~PrinterEnumerator()
{
    {
        std::unique_lock lock(m_waitMutex);
        m_stopped = true;
    }
    m_cancelAsks = true;
    m_fastLane.waitForDone();
    m_slowLane.waitForDone();
}

void PrinterEnumerator::run()
{
    debugPrintf("PrinterEnumerator::run: started");
    for (;;) {
        enumeratePrinters();
        // The flag and the wait share one lock: a stop during the pass is seen here, a later one
        // wakes the wait. Answers of printers asked aside wake it too.
        std::unique_lock lock(m_waitMutex);
        const QDeadlineTimer nextPass(kPassIntervalMs);
        while (!m_stopped && !nextPass.hasExpired()) {
            if (m_answers.isEmpty()) {
                waitFor(lock, m_wakeUp, nextPass);
                continue;
            }
            lock.unlock();
            publishLateAnswers();
            lock.lock();
        }
        if (m_stopped)
            break;
    }
    // An ask under way ends first; the queued ones see the stop and ask nothing.
    m_fastLane.waitForDone();
    m_slowLane.waitForDone();
    debugPrintf("PrinterEnumerator::run: finished");
}

void PrinterEnumerator::stop()
{
    debugPrintf("PrinterEnumerator::stop: {");
    {
        std::unique_lock lock(m_waitMutex);
        m_stopped = true;
        m_wakeUp.notify_all();
    }
    // An ask under way gives up too: a silent printer would hold up the program's exit.
    m_cancelAsks = true;
    debugPrintf("PrinterEnumerator::stop: }");
}

bool PrinterEnumerator::isStopping()
{
    std::unique_lock lock(m_waitMutex);
    if (m_stopped)
        debugPrintf("PrinterEnumerator: stopping, the printer is not asked");
    return m_stopped;
}

PrinterMap PrinterEnumerator::printers()
{
    QMutexLocker lock(&m_listMutex);
    return m_printers;
}

QStringList PrinterEnumerator::otherQueues()
{
    QMutexLocker lock(&m_listMutex);
    return m_otherQueues;
}

QStringList PrinterEnumerator::families() const
{
    // Read once in the constructor, never changed after.
    QStringList names;
    for (const auto &family : m_capabilities)
        names.append(family->objectName());
    return names;
}

void PrinterEnumerator::setPrinters(const PrinterMap &list)
{
    debugPrintf("PrinterEnumerator::setPrinters");
    QMutexLocker lock(&m_listMutex);
    m_printers = list;
    m_published = true;
    QCoreApplication::postEvent(m_receiver, new QEvent(kPrintersChangedEvent));
}

bool PrinterEnumerator::readCapabilities(PrinterDesc &printer)
{
    if (m_useLocalSm)
        return true;
    PlDeviceUsb device(printer.productId, printer.vendorId);
    int retCode = 0;
    printer.statusXml = device.requestStatusXML(&retCode);
    if (printer.statusXml.isEmpty()) {
        printer.hasTunex = false;
    } else {
        StatusParser parser;
        if (parser.setContent(printer.statusXml) && parser.parseCapabilities()) {
            printer.hasTunex = parser.tunexSupported();
            printer.extJobTable = parser.extendedJobTable();
        }
    }
    return retCode != -1;
}

bool PrinterEnumerator::isNetworkCapable(const QString &model) const
{
    const DeviceCapabilities *family = CapabilityParser::findFamily(m_capabilities, model);
    return !family || family->network();
}

PrinterEnumerator::Association PrinterEnumerator::associate(const Device &queue,
                                                            const QString &devPath,
                                                            const UsbMap &usbPrinters,
                                                            const PrinterMap &previous) const
{
    debugPrintf("Trying to associate CUPS printer <%s>(%s) with usb device...",
                qPrintable(queue.name), qPrintable(queue.ppd.model));
    Association found;
    for (const PrinterDesc &usb : usbPrinters) {
        if (QString::fromLatin1(usb.product).contains(queue.ppd.model)) {
            debugPrintf("\tproduct(): <%s> - passed", usb.product.constData());
            found = {usb.productId, usb.vendorId, &usb};
            break;
        }
        debugPrintf("\tproduct(): <%s> - failed", usb.product.constData());
    }
    if (!found.usbPrinter)
        return found;

    // Two printers of one model: the queue's own device file tells whether this is its printer.
    int retCode = 0;
    const QString description = PlDeviceUsb::requestDescription(devPath, &retCode);
    if (description.isEmpty()
        || PlDevice::checkDescription(description, queue.ppd.manufacturer, queue.ppd.model))
        return found;

    const auto before = std::find_if(previous.begin(), previous.end(), [&](const PrinterDesc &p) {
        return !p.softName.isEmpty() && p.softName.first() == queue.name;
    });
    if (before == previous.end())
        return found;
    Association none;
    none.usbPrinter = found.usbPrinter;
    if (before->productId == 0 || before->vendorId == 0)
        return none;
    for (const PrinterDesc &usb : usbPrinters) {
        if (usb.productId == before->productId && usb.vendorId == before->vendorId)
            return {usb.productId, usb.vendorId, &usb};
    }
    return none;
}

void PrinterEnumerator::enumeratePrinters()
{
    debugPrintf("PrinterEnumerator::enumeratePrinters() {");
    if (!m_supportedModelsRead) {
        m_supportedModels = getHelpSupportedModels(m_applicationDirectory);
        m_supportedModelsRead = true;
    }
    const QStringList &supportedModels = m_supportedModels;
    debugPrintf("helpSupportedModels:\n\t%s",
                qPrintable(supportedModels.join(QLatin1String("\n\t"))));

    UsbMap usbPrinters;
    QHash<QString, UsbDocument> usbDocuments;
    const QList<UsbDeviceDesc> devices = m_deviceReader.enumerate();
    for (const UsbDeviceDesc &device : devices) {
        debugPrintf("PrinterEnumerator::enumeratePrinters(): UsbDeviceDesc:%s",
                    qPrintable(device.toString()));
        QString product = device.product;
        underscoresToSpaces(product);
        if (!isSupported(product, supportedModels)) {
            debugPrintf("Model <%s> is unsupported", qPrintable(product));
            continue;
        }
        PrinterDesc printer(device.manufacturer.toLatin1(), product.toLatin1(),
                            device.serialNumber.toLatin1(), device.productId, device.vendorId, 0);
        // A printer plugged in again has a new device number, and maybe a new document.
        const QString plugging = device.plugging.isEmpty() ? QString()
                                                           : QStringLiteral("%1 %2:%3 %4")
                                                                     .arg(device.plugging)
                                                                     .arg(device.vendorId)
                                                                     .arg(device.productId)
                                                                     .arg(device.serialNumber);
        const auto known = m_usbDocuments.constFind(plugging);
        if (!plugging.isEmpty() && known != m_usbDocuments.cend()) {
            printer.statusXml = known->statusXml;
            printer.hasTunex = known->hasTunex;
            printer.extJobTable = known->extJobTable;
        } else if (!readCapabilities(printer)) {
            continue;
        }
        usbPrinters.insert(printer.internalId, printer);
        if (!plugging.isEmpty() && !printer.statusXml.isEmpty())
            usbDocuments.insert(plugging,
                                {printer.statusXml, printer.hasTunex, printer.extJobTable});
    }
    m_usbDocuments.swap(usbDocuments);

    PrinterMap previous;
    bool firstList = false;
    {
        QMutexLocker lock(&m_listMutex);
        previous = m_printers;
        firstList = !m_published;
    }
    PrinterMap list;
    CUPS cups;
    bool answered = true;
    DeviceDict queues = cups.getDevices(QStringList(), &answered);
    if (!answered) {
        // A restarting server: the printers are still there.
        if (!m_cupsSilent)
            debugPrintf("PrinterEnumerator: CUPS does not answer, the last printer list is kept");
        m_cupsSilent = true;
        setPrinters(previous);
        debugPrintf("PrinterEnumerator::enumeratePrinters() }");
        return;
    }
    m_cupsSilent = false;
    QHash<QString, PpdRecord> ppds;
    QList<PrinterDesc> network;
    // In the order the server listed them, by dictionary key.
    for (Device &queue : queues) {
        debugPrintf("cupsPrinter: softname=<%s>", qPrintable(queue.name));
        if (queue.location != Device::USB && queue.location != Device::Network) {
            addGenericQueue(list, queue);
            continue;
        }
        PpdRecord &ppd = ppds[queue.name] = m_ppds.value(queue.name);
        queue.ppd = cups.getPrinterDescription2(queue.name, &ppd, queue.configChanged);
        if (queue.ppd.model.isEmpty()) {
            addGenericQueue(list, queue);
            continue;
        }
        debugPrintf("cupsPrinter:%s", qPrintable(queue.toString()));
        if (!isSupported(queue.ppd.model, supportedModels)) {
            debugPrintf("Model <%s> is unsupported", qPrintable(queue.ppd.model));
            addGenericQueue(list, queue);
            continue;
        }

        if (queue.location == Device::Network && !isNetworkCapable(queue.ppd.model)) {
            addGenericQueue(list, queue);
            continue;
        }
        const QString devPath = getDestinationPath(queue.fullPath);
        Association association;
        if (queue.location != Device::Network)
            association = associate(queue, devPath, usbPrinters, previous);

        const quint16 checksum = PrinterDesc::nameChecksum(queue.name);
        PrinterDesc printer(queue.ppd.manufacturer.toLatin1(), queue.ppd.model.toLatin1(),
                            QByteArray(), association.productId,
                            association.vendorId ? association.vendorId : checksum,
                            quint32(checksum) << 16);
        printer.isLocal = queue.location != Device::Network;
        printer.softPath = queue.fullPath;
        printer.devPath = devPath;
        printer.softName.append(queue.name);
        printer.queueCondition = {true, queue.stopped, queue.acceptingJobs, queue.stateMessage};
        if (!printer.isLocal)
            network.append(printer);
        if (association.usbPrinter) {
            printer.statusXml = association.usbPrinter->statusXml;
            printer.hasTunex = association.usbPrinter->hasTunex;
            printer.extJobTable = association.usbPrinter->extJobTable;
        }
        list.insert(qint32(printer.uniqueKey), printer);
        debugPrintf("added cups printer:%s", qPrintable(printer.toString()));
    }

    m_ppds.swap(ppds);
    QStringList others;
    for (const Device &queue : queues) {
        const bool listed
                = std::any_of(list.cbegin(), list.cend(), [&](const PrinterDesc &printer) {
                      return printer.softName.contains(queue.name);
                  });
        if (!listed)
            others.append(queue.ppd.model.isEmpty()
                                  ? queue.name
                                  : QStringLiteral("%1 (%2)").arg(queue.name, queue.ppd.model));
    }
    {
        QMutexLocker lock(&m_listMutex);
        m_otherQueues = others;
    }

    takeAnswers();
    askNetworkPrinters(network, false);
    describe(list);
    awaitFastLane(list, firstList);
    // The ones that did not answer at once go aside, behind this pass's asks.
    askNetworkPrinters(network, true);
    debugPrintf("PrinterEnumerator::enumeratePrinters() }");
}

void PrinterEnumerator::addGenericQueue(PrinterMap &list, const Device &queue)
{
    const quint16 checksum = PrinterDesc::nameChecksum(queue.name);
    PrinterDesc printer(queue.ppd.manufacturer.toLatin1(), queue.ppd.model.toLatin1(), QByteArray(),
                        0, checksum, quint32(checksum) << 16);
    printer.isLocal = false;
    printer.generic = true;
    printer.softPath = queue.fullPath;
    printer.devPath = queue.fullPath;
    printer.softName.append(queue.name);
    // A queue of a supported family keeps its key.
    if (list.contains(qint32(printer.uniqueKey)))
        return;
    list.insert(qint32(printer.uniqueKey), printer);
    debugPrintf("added generic queue: %s", qPrintable(queue.name));
}

void PrinterEnumerator::askNetworkPrinters(const QList<PrinterDesc> &network, bool slowLane)
{
    if (!slowLane) {
        // Queues gone or changed forget their printer; an ask under way still ends.
        QHash<QString, NetworkPrinter> kept;
        for (const PrinterDesc &printer : network) {
            const QString queue = printer.softName.first();
            NetworkPrinter known = m_network.value(queue);
            if (!known.isFor(printer)) {
                NetworkPrinter fresh;
                fresh.devPath = printer.devPath;
                fresh.manufacturer = printer.manufacturer;
                fresh.product = printer.product;
                fresh.asking = known.asking;
                known = fresh;
            }
            kept.insert(queue, known);
        }
        m_network = kept;
    }
    for (const PrinterDesc &printer : network) {
        const QString queue = printer.softName.first();
        NetworkPrinter &known = m_network[queue];
        if (known.asking || (known.last == Reply::Silent) != slowLane)
            continue;
        // A printer that does not answer costs seconds: after stop() nobody waits for the list.
        if (isStopping())
            return;
        const Lane lane = slowLane              ? Lane::Slow
                : known.last == Reply::Answered ? Lane::Fast
                                                : Lane::Probe;
        known.asking = true;
        const auto task = [this, queue, printer, lane] {
            ask(queue, printer, lane);
        };
        if (slowLane) {
            m_slowLane.start(task);
        } else {
            {
                std::unique_lock lock(m_waitMutex);
                ++m_fastAsks;
            }
            // Printers that answered last time first: they are likely to answer now.
            m_fastLane.start(task, lane == Lane::Fast ? 1 : 0);
        }
    }
}

void PrinterEnumerator::ask(const QString &queue, PrinterDesc printer, Lane lane)
{
    NetworkAnswer answer{queue, printer, Reply::Unknown};
    if (!isStopping()) {
        int retCode = -1;
        char id[PlDeviceNw::kBufferSize];
        if (lane == Lane::Probe) {
            PlDeviceNw device(printer.devPath);
            device.setCancelFlag(&m_cancelAsks);
            device.request(PlDeviceNw::kDeviceIdOid, id, int(sizeof id), kProbeTimeoutMs, 0, 0,
                           &retCode);
        }
        if (lane == Lane::Probe && retCode != 0) {
            debugPrintf("PrinterEnumerator: %s does not answer, it is asked again aside",
                        qPrintable(printer.devPath));
            answer.reply = Reply::Silent;
        } else {
            // Only a description fetched now counts as an answer.
            answer.printer.statusXml.clear();
            PlDeviceNw::updatePrinterInfo(&answer.printer, &m_cancelAsks);
            answer.reply = !answer.printer.statusXml.isEmpty() ? Reply::Answered
                    : lane == Lane::Slow                       ? Reply::Silent
                                                               : Reply::Failed;
        }
    }
    deliver(answer, lane != Lane::Slow);
}

void PrinterEnumerator::deliver(const NetworkAnswer &answer, bool fastLane)
{
    std::unique_lock lock(m_waitMutex);
    m_answers.append(answer);
    if (fastLane)
        --m_fastAsks;
    m_wakeUp.notify_all();
}

bool PrinterEnumerator::takeAnswers()
{
    QList<NetworkAnswer> answers;
    {
        std::unique_lock lock(m_waitMutex);
        answers.swap(m_answers);
    }
    bool changed = false;
    for (const NetworkAnswer &answer : std::as_const(answers)) {
        const auto known = m_network.find(answer.queue);
        if (known == m_network.end())
            continue;
        known->asking = false;
        const PrinterDesc &printer = answer.printer;
        if (!known->isFor(printer) || answer.reply == Reply::Unknown)
            continue;
        known->last = answer.reply;
        // A failed ask keeps the last good description: the printer is still the same.
        if (answer.reply != Reply::Answered)
            continue;
        changed = changed || !known->described || known->statusXml != printer.statusXml
                || known->hasTunex != printer.hasTunex || known->extJobTable != printer.extJobTable;
        known->described = true;
        known->statusXml = printer.statusXml;
        known->hasTunex = printer.hasTunex;
        known->extJobTable = printer.extJobTable;
    }
    return changed;
}

void PrinterEnumerator::describe(PrinterMap &list) const
{
    for (PrinterDesc &printer : list) {
        if (printer.isLocal || printer.softName.isEmpty())
            continue;
        const auto known = m_network.constFind(printer.softName.first());
        if (known == m_network.cend() || !known->described || !known->isFor(printer))
            continue;
        printer.statusXml = known->statusXml;
        printer.hasTunex = known->hasTunex;
        printer.extJobTable = known->extJobTable;
    }
}

void PrinterEnumerator::awaitFastLane(PrinterMap &list, bool firstList)
{
    // Nothing shown yet: the list goes out at once, the descriptions follow.
    QDeadlineTimer publishAt(firstList ? 0 : kListDelayMs);
    bool published = false;
    bool dirty = false;
    for (;;) {
        bool done = false;
        {
            std::unique_lock lock(m_waitMutex);
            if (!m_stopped && m_fastAsks > 0 && m_answers.isEmpty() && (dirty || !published))
                waitFor(lock, m_wakeUp, publishAt);
            else if (!m_stopped && m_fastAsks > 0 && m_answers.isEmpty())
                m_wakeUp.wait(lock);
            done = m_stopped || m_fastAsks == 0;
        }
        if (takeAnswers()) {
            describe(list);
            dirty = true;
        }
        if (done)
            break;
        if ((dirty || !published) && publishAt.hasExpired()) {
            setPrinters(list);
            published = true;
            dirty = false;
            publishAt.setRemainingTime(kListDelayMs);
        }
    }
    if (dirty || !published)
        setPrinters(list);
}

void PrinterEnumerator::publishLateAnswers()
{
    if (!takeAnswers())
        return;
    PrinterMap list = printers();
    describe(list);
    setPrinters(list);
}

QString PrinterEnumerator::getDestinationPath(const QString &uri)
{
    static const QRegularExpression mfpPattern(QStringLiteral("(mfp:/dev/mfp)(\\d+)"));
    const QRegularExpressionMatch mfp = mfpPattern.match(uri);
    if (mfp.hasMatch()) {
        const int port = mfp.captured(2).toInt() - 4;
        if (port < 0 || port > 3)
            return uri;
        const QString usbLp = QStringLiteral("/dev/usb/lp%1").arg(port);
        return QFile::exists(usbLp) ? usbLp : QStringLiteral("/dev/usblp%1").arg(port);
    }

    const QString rest = uri.mid(uri.indexOf(QLatin1Char(':')) + 1);
    QString path = rest;
    if (!uri.startsWith(QLatin1String("usb"))) {
        // Bracketed IPv6, dotted IPv4, host name; each the longest at the leftmost place.
        static const QRegularExpression patterns[] = {
                QRegularExpression(QStringLiteral(
                        "(\\[(?>[\\da-fA-F]{1,4}+(?::[\\da-fA-F]{1,4}+)*+"
                        "(?:::(?:[\\da-fA-F]{1,4}+(?::[\\da-fA-F]{1,4}+)*+)?+)?+"
                        "|::(?:[\\da-fA-F]{1,4}+(?!\\.)(?::[\\da-fA-F]{1,4}+(?!\\.))*+)?+"
                        "(?::\\d{1,3}+\\.\\d{1,3}+\\.\\d{1,3}+\\.\\d{1,3}+)?+)\\])")),
                QRegularExpression(
                        QStringLiteral("(\\d{1,3}+\\.\\d{1,3}+\\.\\d{1,3}+\\.\\d{1,3}+)")),
                // Dotted labels ending in a letter; else one label, its dot included; else word
                // characters up to their last letter.
                QRegularExpression(
                        QStringLiteral("((?:\\w(?:-*+\\w)++\\.)+(?:[^\\Wa-zA-Z]*+[a-zA-Z])++"
                                       "|[a-zA-Z](?:-*+\\w)++\\.?+|(?:[^\\Wa-zA-Z]*+[a-zA-Z])++)")),
        };
        const QString host = hostPart(rest);
        for (const QRegularExpression &pattern : patterns) {
            if (rxSearch(pattern, host, &path))
                break;
        }
    }
    debugPrintf("PrinterEnumerator::getDestinationPath: destPath=<%s>", qPrintable(path));
    return path;
}
