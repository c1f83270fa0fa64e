#include "discovery/printerenumerator.h"

#include "acquisition/pldeviceusb.h"
#include "app/functions.h"
#include "app/helplookup.h"
#include "discovery/cups.h"
#include "discovery/devicereader.h"
#include "status/statusparser.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

namespace {

const unsigned long kPassIntervalMs = 10000;
const char kCapabilitiesFile[] = "./capabilities.xml";

bool isSupported(const QString &model, const QStringList &supportedModels)
{
    return std::any_of(supportedModels.begin(), supportedModels.end(), [&](const QString &entry) {
        return entry.contains(model, Qt::CaseInsensitive);
    });
}

// The first capture of the pattern in the text, logged the way every search is logged. The
// patterns were written for a matcher that takes the longest match at the leftmost place
// ("print-1.example.org", not "print-1.example"); a backtracking matcher stops at the first.
bool rxSearch(const QString &pattern, const QString &text, QString *capture)
{
    debugPrintf("::rxSearch: str=<%s>\n<%s>", qPrintable(pattern), qPrintable(text));
    QRegularExpressionMatch match = QRegularExpression(pattern).match(text);
    if (!match.hasMatch())
        return false;
    const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern));
    const qsizetype start = match.capturedStart();
    for (qsizetype length = text.size() - start; length > match.capturedLength(); --length) {
        const QRegularExpressionMatch longer = whole.match(QStringView(text).mid(start, length));
        if (longer.hasMatch()) {
            match = longer;
            break;
        }
    }
    debugPrintf("rx.capturedTexts()=<%s>\n",
                qPrintable(match.capturedTexts().join(QLatin1Char('|'))));
    *capture = match.captured(1);
    return true;
}

} // namespace

PrinterEnumerator::PrinterEnumerator(QObject *receiver, bool useLocalSm)
    : m_receiver(receiver)
    , m_useLocalSm(useLocalSm)
{
    // Held while the thread may run; stop() lets go of it.
    m_runMutex.lock();
    debugPrintf("PrinterEnumerator::PrinterEnumerator: mtx=%p", static_cast<void *>(&m_listMutex));
    m_capabilities = CapabilityParser::loadFile(QString::fromLatin1(kCapabilitiesFile));
}

PrinterEnumerator::~PrinterEnumerator()
{
    // The owner's thread holds it unless stop() was called; a mutex must not die locked.
    m_runMutex.tryLock();
    m_runMutex.unlock();
}

void PrinterEnumerator::run()
{
    debugPrintf("PrinterEnumerator::run: started");
    for (;;) {
        enumeratePrinters();
        QMutexLocker lock(&m_waitMutex);
        // stop() lets go of the run mutex before it takes the wait mutex, so a stop that comes
        // during a pass is seen here and one that comes later wakes the wait.
        if (m_runMutex.tryLock()) {
            m_runMutex.unlock();
            break;
        }
        if (m_wakeUp.wait(&m_waitMutex, kPassIntervalMs))
            break;
    }
    debugPrintf("PrinterEnumerator::run: finished");
}

void PrinterEnumerator::stop()
{
    debugPrintf("PrinterEnumerator::stop: {");
    m_runMutex.unlock();
    {
        QMutexLocker lock(&m_waitMutex);
        m_wakeUp.wakeOne();
    }
    debugPrintf("PrinterEnumerator::stop: }");
}

PrinterMap PrinterEnumerator::printers()
{
    QMutexLocker lock(&m_listMutex);
    return m_printers;
}

void PrinterEnumerator::setPrinters(const PrinterMap &list)
{
    debugPrintf("PrinterEnumerator::setPrinters");
    QMutexLocker lock(&m_listMutex);
    m_printers = list;
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
    const QString description
            = PlDeviceUsb::requestDescription(getDestinationPath(queue.fullPath), &retCode);
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
    const QStringList supportedModels = getHelpSupportedModels();
    debugPrintf("helpSupportedModels:\n\t%s",
                qPrintable(supportedModels.join(QLatin1String("\n\t"))));

    UsbMap usbPrinters;
    const QList<UsbDeviceDesc> devices = DeviceReader().enumerate();
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
        if (readCapabilities(printer))
            usbPrinters.insert(printer.internalId, printer);
    }

    const PrinterMap previous = printers();
    PrinterMap list;
    CUPS cups;
    DeviceDict queues = cups.getDevices();
    // In the order the server listed them, by dictionary key.
    for (Device &queue : queues) {
        debugPrintf("cupsPrinter: softname=<%s>", qPrintable(queue.name));
        if (queue.location != Device::USB && queue.location != Device::Network)
            continue;
        queue.ppd = cups.getPrinterDescription2(queue.name);
        if (queue.ppd.model.isEmpty())
            continue;
        debugPrintf("cupsPrinter:%s", qPrintable(queue.toString()));
        if (!isSupported(queue.ppd.model, supportedModels)) {
            debugPrintf("Model <%s> is unsupported", qPrintable(queue.ppd.model));
            continue;
        }

        Association association;
        if (queue.location == Device::Network) {
            if (!isNetworkCapable(queue.ppd.model))
                continue;
        } else {
            association = associate(queue, usbPrinters, previous);
        }

        const quint16 checksum = PrinterDesc::nameChecksum(queue.name);
        PrinterDesc printer(queue.ppd.manufacturer.toLatin1(), queue.ppd.model.toLatin1(),
                            QByteArray(), association.productId,
                            association.vendorId ? association.vendorId : checksum,
                            quint32(checksum) << 16);
        printer.isLocal = queue.location != Device::Network;
        printer.softPath = queue.fullPath;
        printer.devPath = getDestinationPath(queue.fullPath);
        printer.softName.append(queue.name);
        if (association.usbPrinter) {
            printer.statusXml = association.usbPrinter->statusXml;
            printer.hasTunex = association.usbPrinter->hasTunex;
            printer.extJobTable = association.usbPrinter->extJobTable;
        }
        list.insert(qint32(printer.uniqueKey), printer);
        debugPrintf("added cups printer:%s", qPrintable(printer.toString()));
    }

    setPrinters(list);
    debugPrintf("PrinterEnumerator::enumeratePrinters() }");
}

QString PrinterEnumerator::getDestinationPath(const QString &uri)
{
    const QRegularExpressionMatch mfp
            = QRegularExpression(QStringLiteral("(mfp:/dev/mfp)(\\d+)")).match(uri);
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
        static const QString patterns[] = {
                QStringLiteral("(\\[(?:(?:\\d|[a-fA-F]){1,4}(?::(?:\\d|[a-fA-F]){1,4})*|(?:\\d|[a-"
                               "fA-F]){1,4}"
                               "(?::(?:\\d|[a-fA-F]){1,4})*::(?:(?:\\d|[a-fA-F]){1,4}(?::(?:\\d|[a-"
                               "fA-F]){1,4})*)?"
                               "|::(?:(?:\\d|[a-fA-F]){1,4}(?::(?:\\d|[a-fA-F]){1,4})*)?"
                               "(?::\\d{1,3}\\.\\d{1,3}\\.\\d{1,3}\\.\\d{1,3})?)\\])"),
                QStringLiteral("(\\d{1,3}\\.\\d{1,3}\\.\\d{1,3}\\.\\d{1,3})"),
                QStringLiteral("((?:\\w|\\w(?:\\w|-)*\\w\\.)*[a-zA-Z]|[a-zA-Z](?:\\w|-)*\\w\\.?)"),
        };
        for (const QString &pattern : patterns) {
            if (rxSearch(pattern, rest, &path))
                break;
        }
    }
    debugPrintf("PrinterEnumerator::getDestinationPath: destPath=<%s>", qPrintable(path));
    return path;
}
