#include "discovery/devicereader.h"

#include "base/functions.h"
#include "discovery/rawfile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const int kRetryPauseSeconds = 1;
const int kAttributeChunk = 1024;

// The rest of every line holding the tag and a colon, in order.
QStringList fields(const QStringList &lines, const QString &tag)
{
    const QString marker = tag + QLatin1Char(':');
    QStringList found;
    for (const QString &line : lines) {
        if (line.contains(marker))
            found.append(line.split(marker).last().trimmed());
    }
    return found;
}

QString field(const QStringList &lines, const QString &tag)
{
    const QStringList found = fields(lines, tag);
    return found.isEmpty() ? QString() : found.first();
}

// The value of "key=" in the first field that has it.
QString value(const QStringList &fields, const QString &key)
{
    const QString marker = key + QLatin1Char('=');
    for (const QString &text : fields) {
        if (text.contains(marker))
            return text.split(marker).last().trimmed();
    }
    return QString();
}

// The hexadecimal number after "key=" up to the next blank; 0 when there is none.
quint16 hexId(const QString &productInfo, const QString &key)
{
    const QString marker = key + QLatin1Char('=');
    const qsizetype at = productInfo.indexOf(marker);
    if (at < 0)
        return 0;
    const QString rest = productInfo.mid(at + marker.size());
    bool ok = false;
    const quint16 id = rest.left(rest.indexOf(QLatin1Char(' '))).trimmed().toUShort(&ok, 16);
    return ok ? id : 0;
}

// The number after "key=" in a topology line, blanks allowed before it; -1 without one.
int topologyNumber(const QString &topology, QLatin1StringView key)
{
    const qsizetype at = topology.indexOf(key);
    if (at < 0)
        return -1;
    qsizetype start = at + key.size();
    while (start < topology.size() && topology.at(start) == QLatin1Char(' '))
        ++start;
    qsizetype end = start;
    while (end < topology.size() && topology.at(end).isDigit())
        ++end;
    bool ok = false;
    const int number = QStringView(topology).mid(start, end - start).toInt(&ok);
    return ok ? number : -1;
}

// "bus/device" from a topology line's numbers; empty without them.
QString pluggingOf(const QString &topology)
{
    const int bus = topologyNumber(topology, QLatin1StringView("Bus="));
    const int device = topologyNumber(topology, QLatin1StringView("Dev#="));
    if (bus < 0 || device < 0)
        return QString();
    return QStringLiteral("%1/%2").arg(bus).arg(device);
}

bool isRegularFile(const QString &path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

void takeIds(UsbDeviceDesc &device)
{
    device.productId = hexId(device.productInfo, QStringLiteral("ProdID"));
    device.vendorId = hexId(device.productInfo, QStringLiteral("Vendor"));
}

// One glob below root, the root's own wildcard characters escaped.
QString globPattern(const QString &root, const char *pattern)
{
    QString escaped;
    for (const QChar c : root) {
        if (QStringView(u"*?[\\").contains(c))
            escaped.append(QLatin1Char('\\'));
        escaped.append(c);
    }
    return escaped + QLatin1String(pattern);
}

} // namespace

DeviceReader::DeviceReader(const QString &root)
    : m_procDirectory(root + QStringLiteral("/proc/bus/usb"))
    , m_classGlob(globPattern(root, "/sys/class/usb_device/*/device/*/ieee1284_id"))
    , m_devicesGlob(globPattern(root, "/sys/devices/pci*/*/usb*/*/*/ieee1284_id"))
{ }

QList<UsbDeviceDesc> DeviceReader::enumerate()
{
    debugPrintf("DeviceReader::enumerate()");
    QList<UsbDeviceDesc> list;
    // "devices" comes first of all the names that begin with it; the folder is listed, which
    // costs a look at every entry, only without it.
    QString name = QStringLiteral("devices");
    if (!isRegularFile(m_procDirectory + QLatin1Char('/') + name))
        name = QDir(m_procDirectory).entryList({QStringLiteral("devices*")}, QDir::Files).value(0);
    if (!name.isEmpty()) {
        const QString path = m_procDirectory + QLatin1Char('/') + name;
        if (!enumerateFromFile(path, list)) {
            // The kernel reads a new device's strings a little after listing it.
            debugPrintf("1st attempt failed. Try to enumerate USB devices again...");
            list.clear();
            QThread::sleep(kRetryPauseSeconds);
            if (!enumerateFromFile(path, list))
                debugPrintf("2nd attempt failed. Sorry...");
        }
    } else {
        enumerateByGlob(m_classGlob, list);
    }
    if (list.isEmpty())
        enumerateByGlob(m_devicesGlob, list);
    return list;
}

bool DeviceReader::enumerateFromFile(const QString &path, QList<UsbDeviceDesc> &list)
{
    debugPrintf("DeviceReader::enumerateFromFile:\npath=<%s>", qPrintable(path));
    RawFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        debugPrintf("failed to open file");
        return false;
    }
    const QByteArray contents = file.readAll();
    // The list as last read: the same printers, without parsing it again.
    if (m_lastPath == path && m_lastContents == contents) {
        list.append(m_lastPrinters);
        return true;
    }
    const qsizetype before = list.size();
    QString text = QString::fromLocal8Bit(contents);
    text.replace(QLatin1String("\n\n"), QLatin1String("\n"));
    text = text.trimmed();

    // A device begins with its "T:" line; a "T:" inside a string descriptor begins nothing.
    static const QRegularExpression deviceStart(QStringLiteral("^T:"),
                                                QRegularExpression::MultilineOption);
    const QStringList pieces = text.split(deviceStart, Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        const QStringList lines = piece.trimmed().split(QLatin1Char('\n'));
        UsbDeviceDesc device;
        device.topology = lines.first().simplified();
        device.plugging = pluggingOf(device.topology);
        device.bandwidth = field(lines, QStringLiteral("B"));
        device.deviceInfo = field(lines, QStringLiteral("D"));
        device.productInfo = field(lines, QStringLiteral("P"));
        device.interfaces = fields(lines, QStringLiteral("I"));
        const QStringList strings = fields(lines, QStringLiteral("S"));
        device.manufacturer = value(strings, QStringLiteral("Manufacturer"));
        device.product = value(strings, QStringLiteral("Product"));
        device.serialNumber = value(strings, QStringLiteral("SerialNumber"));
        debugPrintf("UsbDeviceDesc:%s", qPrintable(device.toString()));

        if (!device.topology.isEmpty() && device.product.isEmpty()) {
            debugPrintf("Empty product -- stop enumeration!");
            return false;
        }
        if (device.isPrinter()) {
            takeIds(device);
            list.append(device);
        }
    }
    m_lastPath = path;
    m_lastContents = contents;
    m_lastPrinters = list.mid(before);
    return true;
}

bool DeviceReader::enumerateByCommand(const QString &command, QList<UsbDeviceDesc> &list)
{
    debugPrintf("DeviceReader::enumerateByCommand:\ncmd=<%s>", qPrintable(command));
    FILE *pipe = ::popen(command.toLocal8Bit().constData(), "re");
    if (!pipe)
        return false;
    QByteArray output;
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, qsizetype(n));
    const bool readFailed = ferror(pipe) != 0;
    ::pclose(pipe);
    if (readFailed)
        return false;
    return addSysfsPrinters(
            QString::fromLocal8Bit(output).trimmed().split(QLatin1Char('\n'), Qt::SkipEmptyParts),
            list);
}

bool DeviceReader::enumerateByGlob(const QString &pattern, QList<UsbDeviceDesc> &list)
{
    debugPrintf("DeviceReader::enumerateByGlob:\npattern=<%s>", qPrintable(pattern));
    glob_t found{};
    const int result = ::glob(QFile::encodeName(pattern).constData(), 0, nullptr, &found);
    QStringList names;
    for (size_t i = 0; result == 0 && i < found.gl_pathc; ++i)
        names.append(QFile::decodeName(found.gl_pathv[i]));
    ::globfree(&found);
    if (result != 0 && result != GLOB_NOMATCH)
        return false;
    return addSysfsPrinters(names, list);
}

bool DeviceReader::addSysfsPrinters(const QStringList &names, QList<UsbDeviceDesc> &list)
{
    debugPrintf("fileNames:\n\t<%s>", qPrintable(names.join(QLatin1String(">\n\t<"))));
    for (const QString &entry : names) {
        const QString name = entry.trimmed();
        const QFileInfo file(name);
        QDir directory = file.absoluteDir();
        debugPrintf("usbDevice dir=<%s>", qPrintable(directory.absolutePath()));

        UsbDeviceDesc device;
        device.ieee1284_id = readAttribute(file.absoluteFilePath());
        device.interfaces.append(QStringLiteral("Cls=%1").arg(
                readAttribute(directory.filePath(QStringLiteral("bInterfaceClass")))));
        // The interface directory lies in the directory of its USB device.
        if (!directory.cdUp())
            return false;
        device.topology = QStringLiteral("Bus=");
        const QString bus = readAttribute(directory.filePath(QStringLiteral("busnum")));
        const QString number = readAttribute(directory.filePath(QStringLiteral("devnum")));
        if (!bus.isEmpty() && !number.isEmpty())
            device.plugging = bus + QLatin1Char('/') + number;
        device.product = readAttribute(directory.filePath(QStringLiteral("product")));
        device.manufacturer = readAttribute(directory.filePath(QStringLiteral("manufacturer")));
        device.serialNumber = readAttribute(directory.filePath(QStringLiteral("serial")));
        device.productInfo
                = QStringLiteral("Vendor=%1 ProdID=%2")
                          .arg(readAttribute(directory.filePath(QStringLiteral("idVendor"))),
                               readAttribute(directory.filePath(QStringLiteral("idProduct"))));
        if (device.isPrinter()) {
            takeIds(device);
            list.append(device);
        }
        debugPrintf("UsbDeviceDesc:%s", qPrintable(device.toString()));
    }
    return true;
}

QString DeviceReader::readAttribute(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QString();
    QByteArray contents;
    char chunk[kAttributeChunk];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        contents.append(chunk, n);
    }
    ::close(fd);
    return QString::fromLocal8Bit(contents).simplified();
}
