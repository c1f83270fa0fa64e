#include "usbsim.h"

#include "usbsimstate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdarg>

// Present when the shim is linked into this binary; a child process gets it by preloading.
extern "C" void usbsim_set_directory(const char *directory) __attribute__((weak));

namespace {

constexpr int kRootHub = 1;
constexpr quint8 kPrinterClass = 0x07;
constexpr quint8 kHubClass = 0x09;

QByteArray le16(quint16 value)
{
    QByteArray bytes;
    bytes.append(char(value & 0xff));
    bytes.append(char(value >> 8));
    return bytes;
}

QString numbered(int number)
{
    return QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0'));
}

bool isNumber(const QString &name)
{
    return !name.isEmpty()
            && std::all_of(name.begin(), name.end(), [](QChar c) { return c.isDigit(); });
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool saveFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

QList<int> numberedEntries(const QString &path, QDir::Filters filters)
{
    QList<int> numbers;
    const QStringList names = QDir(path).entryList(filters | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (isNumber(name))
            numbers.append(name.toInt());
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

QByteArray formatted(const char *format, ...) __attribute__((format(printf, 1, 2)));
QByteArray formatted(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const QString text = QString::vasprintf(format, args);
    va_end(args);
    return text.toLatin1();
}

const char *className(int cls)
{
    switch (cls) {
    case 0x00:
        return ">ifc ";
    case kPrinterClass:
        return "print";
    case kHubClass:
        return "hub  ";
    case 0xff:
        return "vend.";
    }
    return "unk. ";
}

} // namespace

int UsbSimRequest::request() const
{
    return arguments.value(1).toInt(nullptr, 16);
}

int UsbSimRequest::value() const
{
    return arguments.value(2).toInt(nullptr, 16);
}

QString UsbSimDevice::path() const
{
    return UsbSim::productRoot() + QLatin1Char('/') + numbered(m_bus) + QLatin1Char('/')
            + numbered(m_device);
}

QString UsbSimDevice::filePath() const
{
    return m_sim->busPath(m_bus) + QLatin1Char('/') + numbered(m_device);
}

QString UsbSimDevice::statePath(const QString &name) const
{
    return filePath() + QLatin1String(USBSIM_STATE_SUFFIX "/") + name;
}

void UsbSimDevice::writeState(const QString &name, const QByteArray &bytes) const
{
    saveFile(statePath(name), bytes);
}

void UsbSimDevice::setStatus(const QByteArray &bytes) const
{
    writeState(QStringLiteral(USBSIM_STATUS_FILE), bytes);
}

void UsbSimDevice::setJobs(const QByteArray &table) const
{
    writeState(QStringLiteral(USBSIM_JOBS_FILE), table);
}

void UsbSimDevice::setDocument(const QByteArray &document) const
{
    writeState(QStringLiteral(USBSIM_DOCUMENT_FILE), document);
}

void UsbSimDevice::setAnnouncedDocumentSize(quint32 size) const
{
    writeState(QStringLiteral(USBSIM_DOCSIZE_FILE), QByteArray::number(size));
}

void UsbSimDevice::setDeviceId(const QByteArray &id) const
{
    writeState(QStringLiteral(USBSIM_DEVICEID_FILE), id);
}

void UsbSimDevice::setDriver(const QByteArray &name) const
{
    if (name.isEmpty())
        QFile::remove(statePath(QStringLiteral(USBSIM_DRIVER_FILE)));
    else
        writeState(QStringLiteral(USBSIM_DRIVER_FILE), name);
}

void UsbSimDevice::setMode(Mode mode, int delayMs) const
{
    static const char *const names[] = {"normal", "unplugged", "timeout", "stall", "busy", "slow"};
    QByteArray text(names[mode]);
    if (mode == Slow)
        text += ' ' + QByteArray::number(delayMs);
    writeState(QStringLiteral(USBSIM_MODE_FILE), text);
}

void UsbSimDevice::addFault(const QString &kind, const QString &match, int error, int count) const
{
    const QString path = statePath(QStringLiteral(USBSIM_FAULTS_FILE));
    const QByteArray line
            = QStringLiteral("%1 %2 %3 %4\n").arg(kind, match).arg(error).arg(count).toLatin1();
    saveFile(path, readFile(path) + line);
}

void UsbSimDevice::clearFaults() const
{
    QFile::remove(statePath(QStringLiteral(USBSIM_FAULTS_FILE)));
}

void UsbSimDevice::setInData(int endpoint, const QByteArray &bytes) const
{
    writeState(QStringLiteral("ep%1").arg(endpoint | 0x80, 2, 16, QLatin1Char('0')), bytes);
}

QByteArray UsbSimDevice::outData(int endpoint) const
{
    return readFile(
            statePath(QStringLiteral("ep%1").arg(endpoint & 0x7f, 2, 16, QLatin1Char('0'))));
}

QList<UsbSimRequest> UsbSimDevice::requests(const QString &kind) const
{
    QList<UsbSimRequest> list;
    const QList<QByteArray> lines
            = readFile(statePath(QStringLiteral(USBSIM_REQUESTS_FILE))).split('\n');
    for (const QByteArray &line : lines) {
        const int separator = line.indexOf(" = ");
        if (separator < 0)
            continue;
        QStringList what = QString::fromLatin1(line.left(separator)).split(QLatin1Char(' '));
        const QList<QByteArray> outcome = line.mid(separator + 3).split(' ');
        if (what.isEmpty() || outcome.size() < 4)
            continue;
        UsbSimRequest request;
        request.kind = what.takeFirst();
        if (!kind.isEmpty() && request.kind != kind)
            continue;
        request.arguments = what;
        request.result = outcome[0].toInt();
        request.thread = outcome[1].toLongLong();
        request.startNs = outcome[2].toLongLong();
        request.endNs = outcome[3].toLongLong();
        list.append(request);
    }
    return list;
}

void UsbSimDevice::clearRequests() const
{
    QFile::remove(statePath(QStringLiteral(USBSIM_REQUESTS_FILE)));
}

void UsbSimDevice::unplug() const
{
    if (m_sim)
        m_sim->removeDevice(*this);
}

QByteArray UsbSimDevice::jobTable(const QList<QPair<qint32, quint8>> &jobs)
{
    QByteArray table(75, '\0');
    for (int i = 0; i < jobs.size() && i < 15; ++i) {
        const quint32 id = quint32(jobs[i].first);
        char *entry = table.data() + i * 5;
        entry[0] = char(id >> 24);
        entry[1] = char(id >> 16);
        entry[2] = char(id >> 8);
        entry[3] = char(id);
        entry[4] = char(jobs[i].second);
    }
    return table;
}

UsbSim::UsbSim()
{
    QDir().mkpath(root());
    QDir().mkpath(directory() + QStringLiteral("/dev/usb"));
    if (usbsim_set_directory)
        usbsim_set_directory(QFile::encodeName(directory()).constData());
    qputenv(USBSIM_DIR_VARIABLE, QFile::encodeName(directory()));
    writeDeviceList();
}

UsbSim::~UsbSim()
{
    if (usbsim_set_directory)
        usbsim_set_directory(nullptr);
    qunsetenv(USBSIM_DIR_VARIABLE);
}

QString UsbSim::busPath(int bus) const
{
    return root() + QLatin1Char('/') + numbered(bus);
}

int UsbSim::nextDeviceNumber(int bus) const
{
    int next = kRootHub + 1;
    const QStringList names = QDir(busPath(bus)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QString number = name.section(QLatin1Char('.'), 0, 0);
        if (isNumber(number))
            next = std::max(next, number.toInt() + 1);
    }
    return next;
}

int UsbSim::nextLpNumber() const
{
    const QString dev = directory() + QStringLiteral("/dev");
    for (int n = 0;; ++n) {
        if (!QFileInfo(dev + QStringLiteral("/usb/lp%1").arg(n)).isSymLink()
            && !QFileInfo(dev + QStringLiteral("/usblp%1").arg(n)).isSymLink())
            return n;
    }
}

void UsbSim::addBus(int bus)
{
    if (QFileInfo::exists(busPath(bus)))
        return;
    QDir().mkpath(busPath(bus));
    m_plugged.insert(busPath(bus) + QLatin1Char('/') + numbered(kRootHub),
                     Plugged{"Simulated", "Root hub", numbered(bus).toLatin1(), QByteArray()});
    plug(bus, kRootHub, hubDescriptors(),
         {{QStringLiteral(USBSIM_PORTS_FILE), QByteArray()},
          {QStringLiteral(USBSIM_DRIVER_FILE), "hub"}});
}

void UsbSim::removeBus(int bus)
{
    for (const UsbSimDevice &device : devices()) {
        if (device.busNumber() == bus)
            removeDevice(device);
    }
    QDir(busPath(bus)).removeRecursively();
    refresh();
}

QList<UsbSimDevice> UsbSim::devices() const
{
    QList<UsbSimDevice> list;
    for (int bus : numberedEntries(root(), QDir::Dirs)) {
        for (int number : numberedEntries(busPath(bus), QDir::Files)) {
            UsbSimDevice device;
            device.m_sim = const_cast<UsbSim *>(this);
            device.m_bus = bus;
            device.m_device = number;
            const QString target = device.statePath(QStringLiteral(USBSIM_LP_FILE));
            const QString dev = directory() + QStringLiteral("/dev");
            for (const QString &node : {QStringLiteral("/usb/lp"), QStringLiteral("/usblp")}) {
                for (int n = 0; n < 16 && device.m_lpPath.isEmpty(); ++n) {
                    const QString link = dev + node + QString::number(n);
                    if (QFileInfo(link).symLinkTarget() == target)
                        device.m_lpPath = QStringLiteral("/dev") + node + QString::number(n);
                }
            }
            list.append(device);
        }
    }
    return list;
}

UsbSimDevice UsbSim::addPrinter(const UsbSimPrinter &printer)
{
    addBus(printer.bus);
    const int number = printer.device > 0 ? printer.device : nextDeviceNumber(printer.bus);
    if (QFileInfo::exists(busPath(printer.bus) + QLatin1Char('/') + numbered(number)))
        return UsbSimDevice();
    m_plugged.insert(
            busPath(printer.bus) + QLatin1Char('/') + numbered(number),
            Plugged{printer.manufacturer, printer.product, printer.serialNumber, QByteArray()});
    UsbSimDevice device
            = plug(printer.bus, number, printerDescriptors(printer.vendorId, printer.productId),
                   {{QStringLiteral(USBSIM_STATUS_FILE), printer.status},
                    {QStringLiteral(USBSIM_JOBS_FILE), printer.jobs},
                    {QStringLiteral(USBSIM_DOCUMENT_FILE), printer.document},
                    {QStringLiteral(USBSIM_DEVICEID_FILE), printer.deviceId},
                    {QStringLiteral(USBSIM_DRIVER_FILE), "usblp"}});
    if (printer.lpNode != UsbSimPrinter::NoLpNode) {
        const QString node = printer.lpNode == UsbSimPrinter::UsbLpNode
                ? QStringLiteral("/dev/usb/lp%1").arg(nextLpNumber())
                : QStringLiteral("/dev/usblp%1").arg(nextLpNumber());
        QFile::link(device.statePath(QStringLiteral(USBSIM_LP_FILE)), directory() + node);
        device.m_lpPath = node;
    }
    refresh();
    return device;
}

UsbSimDevice UsbSim::addDevice(int bus, const QByteArray &descriptors, int device)
{
    addBus(bus);
    const int number = device > 0 ? device : nextDeviceNumber(bus);
    if (QFileInfo::exists(busPath(bus) + QLatin1Char('/') + numbered(number)))
        return UsbSimDevice();
    m_plugged.insert(busPath(bus) + QLatin1Char('/') + numbered(number),
                     Plugged{QByteArray(), "Unknown device", QByteArray(), QByteArray()});
    UsbSimDevice plugged = plug(bus, number, descriptors, {});
    refresh();
    return plugged;
}

UsbSimDevice UsbSim::plug(int bus, int number, const QByteArray &descriptors,
                          const QMap<QString, QByteArray> &state)
{
    UsbSimDevice device;
    device.m_sim = this;
    device.m_bus = bus;
    device.m_device = number;
    // State first, then the device file in one rename: a scan never meets a half-made device.
    QDir().mkpath(device.filePath() + QLatin1String(USBSIM_STATE_SUFFIX));
    device.setMode(UsbSimDevice::Normal);
    for (auto it = state.begin(); it != state.end(); ++it)
        device.writeState(it.key(), it.value());
    saveFile(device.statePath(QStringLiteral(USBSIM_LP_FILE)), QByteArray());
    m_plugged[device.filePath()].descriptors = descriptors;
    saveFile(device.filePath(), descriptors);
    return device;
}

void UsbSim::removeDevice(const UsbSimDevice &device)
{
    device.setMode(UsbSimDevice::Unplugged);
    QFile::remove(device.filePath());
    const QString target = device.statePath(QStringLiteral(USBSIM_LP_FILE));
    const QString dev = directory() + QStringLiteral("/dev");
    for (const QString &folder : {dev + QStringLiteral("/usb"), dev}) {
        const QFileInfoList nodes = QDir(folder).entryInfoList(QDir::System | QDir::Files);
        for (const QFileInfo &node : nodes) {
            if (node.isSymLink() && node.symLinkTarget() == target)
                QFile::remove(node.filePath());
        }
    }
    refresh();
}

void UsbSim::refresh()
{
    for (int bus : numberedEntries(root(), QDir::Dirs)) {
        QByteArray ports;
        for (int number : numberedEntries(busPath(bus), QDir::Files)) {
            if (number != kRootHub)
                ports.append(char(number));
        }
        const QString hub = busPath(bus) + QLatin1Char('/') + numbered(kRootHub);
        if (QFileInfo::exists(hub))
            saveFile(hub + QLatin1String(USBSIM_STATE_SUFFIX "/" USBSIM_PORTS_FILE), ports);
    }
    if (!m_fixedDeviceList)
        writeDeviceList();
}

void UsbSim::setDeviceList(const QByteArray &text)
{
    m_fixedDeviceList = true;
    const QString path = root() + QStringLiteral("/devices");
    if (text.isEmpty())
        QFile::remove(path);
    else
        saveFile(path, text);
}

// The kernel's text list of devices, as far as the descriptors tell.
void UsbSim::writeDeviceList()
{
    QByteArray text;
    for (int bus : numberedEntries(root(), QDir::Dirs)) {
        int port = 0;
        for (int number : numberedEntries(busPath(bus), QDir::Files)) {
            const QString file = busPath(bus) + QLatin1Char('/') + numbered(number);
            const Plugged plugged = m_plugged.value(file);
            const QByteArray &bytes = plugged.descriptors;
            if (bytes.size() < 18)
                continue;
            const auto *d = reinterpret_cast<const quint8 *>(bytes.constData());
            const bool root = number == kRootHub;
            const int portIndex = root ? 0 : port++;
            text += formatted(
                    "\nT:  Bus=%02d Lev=%02d Prnt=%02d Port=%02d Cnt=%02d Dev#=%3d Spd=480  "
                    "MxCh=%2d\n",
                    bus, root ? 0 : 1, root ? 0 : 1, portIndex, root ? 0 : portIndex + 1, number,
                    root ? 4 : 0);
            text += formatted("D:  Ver=%2x.%02x Cls=%02x(%s) Sub=%02x Prot=%02x "
                              "MxPS=%2d #Cfgs=%3d\n",
                              d[3], d[2], d[4], className(d[4]), d[5], d[6], d[7], d[17]);
            text += formatted("P:  Vendor=%04x ProdID=%04x Rev=%2x.%02x\n", d[8] | (d[9] << 8),
                              d[10] | (d[11] << 8), d[13], d[12]);
            if (!plugged.manufacturer.isEmpty())
                text += "S:  Manufacturer=" + plugged.manufacturer + '\n';
            if (!plugged.product.isEmpty())
                text += "S:  Product=" + plugged.product + '\n';
            if (!plugged.serialNumber.isEmpty())
                text += "S:  SerialNumber=" + plugged.serialNumber + '\n';
            const char *driver = d[4] == kHubClass ? "hub" : "usblp";
            for (int at = 18; at + 1 < bytes.size();) {
                const int length = quint8(bytes[at]);
                const int type = quint8(bytes[at + 1]);
                if (length < 2 || at + length > bytes.size())
                    break;
                const auto *p = reinterpret_cast<const quint8 *>(bytes.constData() + at);
                if (type == 2 && length >= 9)
                    text += formatted("C:* #Ifs=%2d Cfg#=%2d Atr=%02x MxPwr=%3dmA\n", p[4], p[5],
                                      p[7], p[8] * 2);
                else if (type == 4 && length >= 9)
                    text += formatted("I:* If#=%2d Alt=%2d #EPs=%2d Cls=%02x(%s) "
                                      "Sub=%02x Prot=%02x Driver=%s\n",
                                      p[2], p[3], p[4], p[5], className(p[5]), p[6], p[7],
                                      p[5] == kHubClass ? "hub" : driver);
                else if (type == 5 && length >= 7)
                    text += formatted("E:  Ad=%02x(%c) Atr=%02x(%s) MxPS=%4d Ivl=%dms\n", p[2],
                                      (p[2] & 0x80) ? 'I' : 'O', p[3],
                                      (p[3] & 3) == 2           ? "Bulk"
                                              : (p[3] & 3) == 3 ? "Int."
                                                                : "Isoc",
                                      p[4] | (p[5] << 8), p[6]);
                at += length;
            }
        }
    }
    saveFile(root() + QStringLiteral("/devices"), text);
}

QByteArray UsbSim::printerDescriptors(quint16 vendorId, quint16 productId)
{
    // Device: USB 2.0, class given per interface, 64-byte ep0, strings 1-3, one configuration.
    QByteArray bytes = QByteArray::fromHex("1201000200000040");
    bytes += le16(vendorId) + le16(productId) + le16(0x0100);
    bytes += QByteArray::fromHex("01020301");
    // Configuration of 32 bytes: one interface, self-powered.
    bytes += QByteArray::fromHex("0902") + le16(32) + QByteArray::fromHex("010100c001");
    // Printer class, bidirectional, with a bulk IN and a bulk OUT endpoint of 512 bytes.
    bytes += QByteArray::fromHex("090400000207010200");
    bytes += QByteArray::fromHex("07058102000200");
    bytes += QByteArray::fromHex("07050202000200");
    return bytes;
}

QByteArray UsbSim::hubDescriptors()
{
    QByteArray bytes = QByteArray::fromHex("1201000209000040");
    bytes += le16(0x0001) + le16(0x0002) + le16(0x0100);
    bytes += QByteArray::fromHex("03020101");
    bytes += QByteArray::fromHex("0902") + le16(25) + QByteArray::fromHex("010100e000");
    bytes += QByteArray::fromHex("090400000109000000");
    // Status change endpoint: interrupt IN.
    bytes += QByteArray::fromHex("0705810304000c");
    return bytes;
}

QProcessEnvironment UsbSim::childEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral(USBSIM_DIR_VARIABLE), directory());
    QString preload = QStringLiteral(USBSIM_PRELOAD_LIBRARY);
    // A sanitized child needs its runtime loaded before anything else.
    const QString runtime = QStringLiteral(USBSIM_SANITIZER_RUNTIME);
    if (!runtime.isEmpty())
        preload = runtime + QLatin1Char(' ') + preload;
    environment.insert(QStringLiteral("LD_PRELOAD"), preload);
    return environment;
}
