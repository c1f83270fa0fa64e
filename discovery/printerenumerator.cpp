#include "discovery/printerenumerator.h"

#include "acquisition/pldevicenw.h"
#include "acquisition/pldeviceusb.h"
#include "app/functions.h"
#include "app/helplookup.h"
#include "discovery/cups.h"
#include "discovery/devicereader.h"
#include "status/statusparser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

const unsigned long kPassIntervalMs = 10000;
const char kCapabilitiesFile[] = "capabilities.xml";
const qsizetype kMaxHostLength = 255;

bool isSupported(const QString &model, const QStringList &supportedModels)
{
    return std::any_of(supportedModels.begin(), supportedModels.end(), [&](const QString &entry) {
        return entry.contains(model, Qt::CaseInsensitive);
    });
}

// The first capture of the pattern in the text, logged the way every search is logged. The
// patterns take the longest match at the leftmost place ("print-1.example.org", not
// "print-1.example") in one pass: possessive and atomic parts never retry what they took.
bool rxSearch(const QString &pattern, const QString &text, QString *capture)
{
    debugPrintf("::rxSearch: str=<%s>\n<%s>", qPrintable(pattern), qPrintable(text));
    const QRegularExpressionMatch match = QRegularExpression(pattern).match(text);
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
}

PrinterEnumerator::~PrinterEnumerator() = default;

void PrinterEnumerator::run()
{
    debugPrintf("PrinterEnumerator::run: started");
    for (;;) {
        enumeratePrinters();
        // The flag and the wait share one lock: a stop during the pass is seen here, a later one
        // wakes the wait.
        QMutexLocker lock(&m_waitMutex);
        if (m_stopped || m_wakeUp.wait(&m_waitMutex, kPassIntervalMs))
            break;
    }
    debugPrintf("PrinterEnumerator::run: finished");
}

void PrinterEnumerator::stop()
{
    debugPrintf("PrinterEnumerator::stop: {");
    {
        QMutexLocker lock(&m_waitMutex);
        m_stopped = true;
        m_wakeUp.wakeOne();
    }
    debugPrintf("PrinterEnumerator::stop: }");
}

bool PrinterEnumerator::isStopping()
{
    QMutexLocker lock(&m_waitMutex);
    if (m_stopped)
        debugPrintf("PrinterEnumerator: stopping, the printer is not asked");
    return m_stopped;
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
    const QStringList supportedModels = getHelpSupportedModels(m_applicationDirectory);
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
        // A printer that does not answer costs seconds: after stop() nobody waits for the list.
        if (!printer.isLocal && !isStopping())
            PlDeviceNw::updatePrinterInfo(&printer);
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
        // Bracketed IPv6, dotted IPv4, host name; each the longest at the leftmost place.
        static const QString patterns[] = {
                QStringLiteral("(\\[(?>[\\da-fA-F]{1,4}+(?::[\\da-fA-F]{1,4}+)*+"
                               "(?:::(?:[\\da-fA-F]{1,4}+(?::[\\da-fA-F]{1,4}+)*+)?+)?+"
                               "|::(?:[\\da-fA-F]{1,4}+(?!\\.)(?::[\\da-fA-F]{1,4}+(?!\\.))*+)?+"
                               "(?::\\d{1,3}+\\.\\d{1,3}+\\.\\d{1,3}+\\.\\d{1,3}+)?+)\\])"),
                QStringLiteral("(\\d{1,3}+\\.\\d{1,3}+\\.\\d{1,3}+\\.\\d{1,3}+)"),
                // Dotted labels ending in a letter; else one label, its dot included; else word
                // characters up to their last letter.
                QStringLiteral("((?:\\w(?:-*+\\w)++\\.)+(?:[^\\Wa-zA-Z]*+[a-zA-Z])++"
                               "|[a-zA-Z](?:-*+\\w)++\\.?+|(?:[^\\Wa-zA-Z]*+[a-zA-Z])++)"),
        };
        const QString host = hostPart(rest);
        for (const QString &pattern : patterns) {
            if (rxSearch(pattern, host, &path))
                break;
        }
    }
    debugPrintf("PrinterEnumerator::getDestinationPath: destPath=<%s>", qPrintable(path));
    return path;
}
