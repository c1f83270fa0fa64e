// USB printers from written device lists and sysfs-like trees below a private root.
#include "discovery/devicereader.h"
#include "discovery/rawfile.h"
#include "tests/tools/logcapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>
#include <sys/stat.h>

namespace {

const char kHub[] = "T:  Bus=01 Lev=00 Prnt=00 Port=00 Cnt=00 Dev#=  1 Spd=480  MxCh= 6\n"
                    "B:  Alloc=  0/800 us ( 0%), #Int=  1, #Iso=  0\n"
                    "D:  Ver= 2.00 Cls=09(hub  ) Sub=00 Prot=00 MxPS=64 #Cfgs=  1\n"
                    "P:  Vendor=1d6b ProdID=0002 Rev= 6.01\n"
                    "S:  Manufacturer=Linux 6.1.0 ehci_hcd\n"
                    "S:  Product=EHCI Host Controller\n"
                    "S:  SerialNumber=0000:00:1d.7\n"
                    "C:* #Ifs= 1 Cfg#= 1 Atr=e0 MxPwr=  0mA\n"
                    "I:* If#= 0 Alt= 0 #EPs= 1 Cls=09(hub  ) Sub=00 Prot=00 Driver=hub\n"
                    "E:  Ad=81(I) Atr=03(Int.) MxPS=   4 Ivl=256ms\n\n";

const char kPrinter[] = "T:  Bus=01 Lev=01 Prnt=01 Port=02 Cnt=01 Dev#=  3 Spd=480  MxCh= 0\n"
                        "D:  Ver= 2.00 Cls=00(>ifc ) Sub=00 Prot=00 MxPS=64 #Cfgs=  1\n"
                        "P:  Vendor=1234 ProdID=5678 Rev= 1.00\n"
                        "S:  Manufacturer=Tessival\n"
                        "S:  Product=Quillon C400 Series\n"
                        "S:  SerialNumber=Z7Q1\n"
                        "C:* #Ifs= 1 Cfg#= 1 Atr=c0 MxPwr=  2mA\n"
                        "I:* If#= 0 Alt= 0 #EPs= 2 Cls=07(print) Sub=01 Prot=02 Driver=usblp\n"
                        "E:  Ad=01(O) Atr=02(Bulk) MxPS= 512 Ivl=0ms\n"
                        "E:  Ad=82(I) Atr=02(Bulk) MxPS= 512 Ivl=0ms\n\n";

const char kStorage[]
        = "T:  Bus=01 Lev=01 Prnt=01 Port=03 Cnt=02 Dev#=  4 Spd=480  MxCh= 0\n"
          "D:  Ver= 2.00 Cls=00(>ifc ) Sub=00 Prot=00 MxPS=64 #Cfgs=  1\n"
          "P:  Vendor=0781 ProdID=5567 Rev= 1.00\n"
          "S:  Manufacturer=Stick\n"
          "S:  Product=Flash Disk\n"
          "I:* If#= 0 Alt= 0 #EPs= 2 Cls=08(stor.) Sub=06 Prot=50 Driver=usb-storage\n\n";

// The kernel lists the device before it has read its strings.
const char kNoStrings[] = "T:  Bus=01 Lev=01 Prnt=01 Port=04 Cnt=03 Dev#=  5 Spd=12   MxCh= 0\n"
                          "D:  Ver= 1.10 Cls=00(>ifc ) Sub=00 Prot=00 MxPS= 8 #Cfgs=  1\n"
                          "P:  Vendor=1234 ProdID=0042 Rev= 1.00\n"
                          "I:* If#= 0 Alt= 0 #EPs= 2 Cls=07(print) Sub=01 Prot=02 Driver=usblp\n\n";

// A second printer whose strings hold "T:" and "=".
const char kOddPrinter[]
        = "T:  Bus=02 Lev=01 Prnt=01 Port=01 Cnt=01 Dev#=  2 Spd=480  MxCh= 0\n"
          "D:  Ver= 2.00 Cls=00(>ifc ) Sub=00 Prot=00 MxPS=64 #Cfgs=  1\n"
          "P:  Vendor=abcd ProdID=00ef Rev= 1.00\n"
          "S:  Manufacturer=Tessival\n"
          "S:  Product=JET: C500\n"
          "S:  SerialNumber=SN=T:9\n"
          "I:* If#= 0 Alt= 0 #EPs= 2 Cls=07(print) Sub=01 Prot=02 Driver=usblp\n\n";

bool writeFile(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    // Replaced by rename, as a reader must never see half a file.
    const QString temporary = path + QStringLiteral(".new");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return false;
    file.close();
    return ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData())
            == 0;
}

struct SysfsPrinter
{
    QByteArray deviceId;
    QByteArray interfaceClass;
    QByteArray vendor;
    QByteArray product;
};

// A USB device directory with one interface holding an ieee1284_id file.
bool writeSysfsDevice(const QString &deviceDir, const QString &interfaceName,
                      const SysfsPrinter &printer)
{
    const QString interfaceDir = deviceDir + QLatin1Char('/') + interfaceName;
    return writeFile(interfaceDir + QStringLiteral("/ieee1284_id"), printer.deviceId)
            && writeFile(interfaceDir + QStringLiteral("/bInterfaceClass"),
                         printer.interfaceClass + "\n")
            && writeFile(deviceDir + QStringLiteral("/product"), "  Quillon \n C400  Series\n")
            && writeFile(deviceDir + QStringLiteral("/manufacturer"), "Tessival\n")
            && writeFile(deviceDir + QStringLiteral("/serial"), "Z7Q1\n")
            && writeFile(deviceDir + QStringLiteral("/idVendor"), printer.vendor + "\n")
            && writeFile(deviceDir + QStringLiteral("/idProduct"), printer.product + "\n");
}

QString classDeviceDir(const QString &root, const QString &name)
{
    return root + QStringLiteral("/sys/class/usb_device/%1/device").arg(name);
}

QString pciDeviceDir(const QString &root, const QString &name)
{
    return root + QStringLiteral("/sys/devices/pci0000:00/0000:00:1d.0/usb2/%1").arg(name);
}

const SysfsPrinter kSysfsPrinter{"MFG:Tessival;CMD:PCL;MDL:Quillon C400 Series;CLS:PRINTER;", "07",
                                 "1234", "5678"};

QStringList products(const QList<UsbDeviceDesc> &list)
{
    QStringList names;
    for (const UsbDeviceDesc &device : list)
        names.append(device.product);
    return names;
}

} // namespace

class TestDeviceReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void deviceListYieldsOnlyPrinters();
    void stringsWithTagsDoNotSplitADevice();
    void deviceWithoutProductStopsThePass();
    void firstDeviceListFileIsRead();
    void failedPassIsRetriedThenDevicesGlobTried();
    void failedRetryKeepsPrintersFoundBeforeIt();
    void retrySeesStringsTheKernelReadLate();
    void missingDeviceListFileFails();
    void withoutDeviceListClassGlobComesFirst();
    void devicesGlobRunsOnlyWhenClassGlobFoundNoPrinter();
    void sysfsPrinterTest_data();
    void sysfsPrinterTest();
    void emptyCommandOutputAddsNothing();
    void readAttributeSimplifiesWholeFile();
    void rawFileReadsSizeZeroFilesToTheEnd();

private:
    // A root whose name needs quoting in a shell command.
    std::unique_ptr<QTemporaryDir> m_root;
    QString root() const { return m_root->path(); }
    QString deviceList() const { return root() + QStringLiteral("/proc/bus/usb/devices"); }
};

void TestDeviceReader::init()
{
    m_root = std::make_unique<QTemporaryDir>(QDir::tempPath()
                                             + QStringLiteral("/pellar dev'reader-XXXXXX"));
    QVERIFY(m_root->isValid());
}

void TestDeviceReader::deviceListYieldsOnlyPrinters()
{
    QVERIFY(writeFile(deviceList(), QByteArray(kHub) + kPrinter + kStorage));
    LogCapture log;
    QList<UsbDeviceDesc> list;
    QVERIFY(DeviceReader(root()).enumerateFromFile(deviceList(), list));
    QCOMPARE(list.size(), 1);
    const UsbDeviceDesc &printer = list.first();
    QCOMPARE(printer.topology,
             QStringLiteral("Bus=01 Lev=01 Prnt=01 Port=02 Cnt=01 Dev#= 3 Spd=480 MxCh= 0"));
    QCOMPARE(printer.bandwidth, QString());
    QCOMPARE(printer.deviceInfo,
             QStringLiteral("Ver= 2.00 Cls=00(>ifc ) Sub=00 Prot=00 MxPS=64 #Cfgs=  1"));
    QCOMPARE(printer.productInfo, QStringLiteral("Vendor=1234 ProdID=5678 Rev= 1.00"));
    QCOMPARE(printer.manufacturer, QStringLiteral("Tessival"));
    QCOMPARE(printer.product, QStringLiteral("Quillon C400 Series"));
    QCOMPARE(printer.serialNumber, QStringLiteral("Z7Q1"));
    QCOMPARE(printer.interfaces,
             QStringList{"* If#= 0 Alt= 0 #EPs= 2 Cls=07(print) Sub=01 Prot=02 Driver=usblp"});
    QCOMPARE(printer.vendorId, quint16(0x1234));
    QCOMPARE(printer.productId, quint16(0x5678));
    QVERIFY(printer.ieee1284_id.isEmpty());
    // Every device is dumped, printer or not.
    QCOMPARE(log.count(QStringLiteral("UsbDeviceDesc:")), 3);
    QVERIFY(log.contains(
            QStringLiteral("DeviceReader::enumerateFromFile:\npath=<%1>").arg(deviceList())));
    QVERIFY(log.contains(QStringLiteral("bandwidth: Alloc=  0/800 us ( 0%), #Int=  1, #Iso=  0")));
}

void TestDeviceReader::stringsWithTagsDoNotSplitADevice()
{
    QVERIFY(writeFile(deviceList(), QByteArray(kOddPrinter) + kPrinter));
    QList<UsbDeviceDesc> list;
    QVERIFY(DeviceReader(root()).enumerateFromFile(deviceList(), list));
    QCOMPARE(products(list), (QStringList{"JET: C500", "Quillon C400 Series"}));
    QCOMPARE(list.first().serialNumber, QStringLiteral("SN=T:9"));
    QCOMPARE(list.first().vendorId, quint16(0xabcd));
    QCOMPARE(list.first().productId, quint16(0x00ef));
}

void TestDeviceReader::deviceWithoutProductStopsThePass()
{
    QVERIFY(writeFile(deviceList(), QByteArray(kPrinter) + kNoStrings + kOddPrinter));
    LogCapture log;
    QList<UsbDeviceDesc> list;
    QVERIFY(!DeviceReader(root()).enumerateFromFile(deviceList(), list));
    QCOMPARE(products(list), QStringList{"Quillon C400 Series"});
    QVERIFY(log.contains(QStringLiteral("Empty product -- stop enumeration!")));
}

void TestDeviceReader::firstDeviceListFileIsRead()
{
    QVERIFY(writeFile(deviceList(), kPrinter));
    QVERIFY(writeFile(deviceList() + QStringLiteral("2"), kOddPrinter));
    // Only regular files count.
    QVERIFY(QDir().mkpath(root() + QStringLiteral("/proc/bus/usb/devices.d")));
    LogCapture log;
    const QList<UsbDeviceDesc> list = DeviceReader(root()).enumerate();
    QCOMPARE(products(list), QStringList{"Quillon C400 Series"});
    QVERIFY(log.contains(QStringLiteral("DeviceReader::enumerate()")));
    QVERIFY(!log.contains(QStringLiteral("DeviceReader::enumerateBy")));
    QVERIFY(!log.contains(QStringLiteral("1st attempt failed")));
}

void TestDeviceReader::failedPassIsRetriedThenDevicesGlobTried()
{
    QVERIFY(writeFile(deviceList(), QByteArray(kNoStrings) + kPrinter));
    QVERIFY(writeSysfsDevice(pciDeviceDir(root(), QStringLiteral("2-1")), QStringLiteral("2-1:1.0"),
                             kSysfsPrinter));
    // The class glob belongs to machines without the device list: it is not asked here.
    QVERIFY(writeSysfsDevice(classDeviceDir(root(), QStringLiteral("usbdev1.3")),
                             QStringLiteral("1-2:1.0"), {"CLS:PRINTER;", "07", "aaaa", "bbbb"}));
    LogCapture log;
    const QList<UsbDeviceDesc> list = DeviceReader(root()).enumerate();
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.first().vendorId, quint16(0x1234));
    QCOMPARE(list.first().topology, QStringLiteral("Bus="));
    const QString text = log.text();
    QCOMPARE(log.count(QStringLiteral("DeviceReader::enumerateFromFile:")), 2);
    const qsizetype first = text.indexOf(
            QStringLiteral("1st attempt failed. Try to enumerate USB devices again..."));
    const qsizetype second = text.indexOf(QStringLiteral("2nd attempt failed. Sorry..."));
    const qsizetype glob = text.indexOf(QStringLiteral("/sys/devices/pci*/*/usb*/*/*/ieee1284_id"));
    QVERIFY2(first >= 0 && second > first && glob > second, qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("/sys/class/usb_device")));
}

void TestDeviceReader::failedRetryKeepsPrintersFoundBeforeIt()
{
    QVERIFY(writeFile(deviceList(), QByteArray(kPrinter) + kNoStrings));
    QVERIFY(writeSysfsDevice(pciDeviceDir(root(), QStringLiteral("2-1")), QStringLiteral("2-1:1.0"),
                             kSysfsPrinter));
    LogCapture log;
    const QList<UsbDeviceDesc> list = DeviceReader(root()).enumerate();
    // The first attempt's printer was dropped before the retry, which found it again.
    QCOMPARE(products(list), QStringList{"Quillon C400 Series"});
    QCOMPARE(list.first().topology.left(6), QStringLiteral("Bus=01"));
    QVERIFY(log.contains(QStringLiteral("2nd attempt failed. Sorry...")));
    QVERIFY(!log.contains(QStringLiteral("DeviceReader::enumerateBy")));
}

void TestDeviceReader::retrySeesStringsTheKernelReadLate()
{
    QVERIFY(writeFile(deviceList(), QByteArray(kNoStrings) + kPrinter));
    LogCapture log;
    QList<UsbDeviceDesc> list;
    std::unique_ptr<QThread> reader(
            QThread::create([&] { list = DeviceReader(root()).enumerate(); }));
    reader->start();
    QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("1st attempt failed")), 10000);
    // The kernel has now read the strings of the new device.
    QVERIFY(writeFile(deviceList(), QByteArray(kHub) + kOddPrinter + kPrinter));
    QVERIFY(reader->wait(10000));
    QCOMPARE(products(list), (QStringList{"JET: C500", "Quillon C400 Series"}));
    QVERIFY(!log.contains(QStringLiteral("2nd attempt failed")));
    QVERIFY(!log.contains(QStringLiteral("DeviceReader::enumerateBy")));
}

void TestDeviceReader::missingDeviceListFileFails()
{
    LogCapture log;
    QList<UsbDeviceDesc> list;
    QVERIFY(!DeviceReader(root()).enumerateFromFile(deviceList(), list));
    QVERIFY(list.isEmpty());
    QVERIFY(log.contains(QStringLiteral("failed to open file")));
}

void TestDeviceReader::withoutDeviceListClassGlobComesFirst()
{
    // No /proc/bus/usb at all counts as a directory without device lists.
    QVERIFY(writeSysfsDevice(classDeviceDir(root(), QStringLiteral("usbdev1.3")),
                             QStringLiteral("1-2:1.0"), kSysfsPrinter));
    QVERIFY(writeSysfsDevice(pciDeviceDir(root(), QStringLiteral("2-1")), QStringLiteral("2-1:1.0"),
                             {"CLS:PRINTER;", "07", "aaaa", "bbbb"}));
    LogCapture log;
    const QList<UsbDeviceDesc> list = DeviceReader(root()).enumerate();
    QCOMPARE(list.size(), 1);
    const UsbDeviceDesc &printer = list.first();
    QCOMPARE(printer.product, QStringLiteral("Quillon C400 Series"));
    QCOMPARE(printer.manufacturer, QStringLiteral("Tessival"));
    QCOMPARE(printer.serialNumber, QStringLiteral("Z7Q1"));
    QCOMPARE(printer.productInfo, QStringLiteral("Vendor=1234 ProdID=5678"));
    QCOMPARE(printer.vendorId, quint16(0x1234));
    QCOMPARE(printer.productId, quint16(0x5678));
    QCOMPARE(printer.interfaces, QStringList{"Cls=07"});
    QCOMPARE(printer.ieee1284_id,
             QStringLiteral("MFG:Tessival;CMD:PCL;MDL:Quillon C400 Series;CLS:PRINTER;"));
    QCOMPARE(printer.topology, QStringLiteral("Bus="));
    const QString interfaceDir
            = classDeviceDir(root(), QStringLiteral("usbdev1.3")) + QStringLiteral("/1-2:1.0");
    QVERIFY2(log.contains(QStringLiteral("usbDevice dir=<%1>").arg(interfaceDir)),
             qPrintable(log.text()));
    QCOMPARE(log.count(QStringLiteral("DeviceReader::enumerateByGlob:")), 1);
    QVERIFY(log.contains(QStringLiteral("/sys/class/usb_device/*/device/*/ieee1284_id>")));
}

void TestDeviceReader::devicesGlobRunsOnlyWhenClassGlobFoundNoPrinter()
{
    // An interface with a device id file that is no printer.
    QVERIFY(writeSysfsDevice(classDeviceDir(root(), QStringLiteral("usbdev1.3")),
                             QStringLiteral("1-2:1.0"), {"MFG:Stick;", "08", "0781", "5567"}));
    QVERIFY(writeSysfsDevice(pciDeviceDir(root(), QStringLiteral("2-1")), QStringLiteral("2-1:1.0"),
                             kSysfsPrinter));
    LogCapture log;
    const QList<UsbDeviceDesc> list = DeviceReader(root()).enumerate();
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.first().vendorId, quint16(0x1234));
    QCOMPARE(log.count(QStringLiteral("DeviceReader::enumerateByGlob:")), 2);
    QCOMPARE(log.count(QStringLiteral("UsbDeviceDesc:")), 2);
}

void TestDeviceReader::sysfsPrinterTest_data()
{
    QTest::addColumn<QByteArray>("deviceId");
    QTest::addColumn<QByteArray>("interfaceClass");
    QTest::addColumn<bool>("printer");
    QTest::newRow("class 07 without class key")
            << QByteArray("MFG:Tessival;MDL:QuillonC400;") << QByteArray("07") << true;
    QTest::newRow("CLASS:PRINTER on a vendor interface")
            << QByteArray("MFG:Tessival;CLASS:PRINTER;") << QByteArray("ff") << true;
    QTest::newRow("CLS:PRINTER without class file")
            << QByteArray("CLS:PRINTER;") << QByteArray() << true;
    QTest::newRow("neither") << QByteArray("MFG:Tessival;CLS:SCANNER;") << QByteArray("06")
                             << false;
    QTest::newRow("empty id file") << QByteArray() << QByteArray("08") << false;
}

void TestDeviceReader::sysfsPrinterTest()
{
    QFETCH(QByteArray, deviceId);
    QFETCH(QByteArray, interfaceClass);
    QFETCH(bool, printer);
    const QString deviceDir = classDeviceDir(root(), QStringLiteral("usbdev1.3"));
    QVERIFY(writeSysfsDevice(deviceDir, QStringLiteral("1-2:1.0"),
                             {deviceId, interfaceClass, "04b8", "0a0b"}));
    if (interfaceClass.isEmpty())
        QVERIFY(QFile::remove(deviceDir + QStringLiteral("/1-2:1.0/bInterfaceClass")));
    const QString command
            = QStringLiteral("ls '%1'/sys/class/usb_device/*/device/*/ieee1284_id")
                      .arg(root().replace(QLatin1String("'"), QLatin1String("'\\''")));
    QList<UsbDeviceDesc> list;
    QVERIFY(DeviceReader(root()).enumerateByCommand(command, list));
    QCOMPARE(list.size(), printer ? 1 : 0);
    if (printer) {
        QCOMPARE(list.first().interfaces, QStringList{QStringLiteral("Cls=") + interfaceClass});
        QCOMPARE(list.first().vendorId, quint16(0x04b8));
        QCOMPARE(list.first().productId, quint16(0x0a0b));
    }
}

void TestDeviceReader::emptyCommandOutputAddsNothing()
{
    LogCapture log;
    QList<UsbDeviceDesc> list;
    DeviceReader reader(root());
    QVERIFY(reader.enumerateByCommand(QStringLiteral("true"), list));
    QVERIFY(reader.enumerateByCommand(QStringLiteral("printf '\\n  \\n'"), list));
    QVERIFY(list.isEmpty());
    QVERIFY(!log.contains(QStringLiteral("usbDevice dir")));
    QVERIFY(log.contains(QStringLiteral("fileNames:\n\t<>")));
}

void TestDeviceReader::readAttributeSimplifiesWholeFile()
{
    const QString path = root() + QStringLiteral("/attribute");
    QVERIFY(writeFile(path, "  MFG:Tessival;\n\tCMD:PCL;   MDL:QuillonC400;  \n"));
    QCOMPARE(DeviceReader::readAttribute(path),
             QStringLiteral("MFG:Tessival; CMD:PCL; MDL:QuillonC400;"));
    // Longer than one read.
    QByteArray longId = "MDL:" + QByteArray(3000, 'x') + ";";
    QVERIFY(writeFile(path, longId + "\n"));
    QCOMPARE(DeviceReader::readAttribute(path), QString::fromLatin1(longId));
    QCOMPARE(DeviceReader::readAttribute(root() + QStringLiteral("/missing")), QString());
    QVERIFY(DeviceReader::readAttribute(root() + QStringLiteral("/missing")).isNull());
    // Files of the kernel report size 0.
    QVERIFY(DeviceReader::readAttribute(QStringLiteral("/proc/self/stat"))
                    .contains(QLatin1Char(')')));
}

void TestDeviceReader::rawFileReadsSizeZeroFilesToTheEnd()
{
    RawFile proc(QStringLiteral("/proc/self/status"));
    QVERIFY(proc.open(QIODevice::ReadOnly));
    QVERIFY(proc.isSequential());
    QVERIFY(proc.openMode() & QIODevice::Unbuffered);
    const QByteArray status = proc.readAll();
    QVERIFY(status.contains("Name:"));
    QVERIFY(status.contains("Pid:"));

    const QString path = root() + QStringLiteral("/plain");
    QVERIFY(writeFile(path, "12345"));
    RawFile plain(path);
    QVERIFY(plain.open(QIODevice::ReadOnly));
    QVERIFY(!plain.isSequential());
    QCOMPARE(plain.size(), 5);
    QCOMPARE(plain.readAll(), QByteArray("12345"));

    const QString empty = root() + QStringLiteral("/empty");
    QVERIFY(writeFile(empty, QByteArray()));
    RawFile nothing(empty);
    QVERIFY(nothing.open(QIODevice::ReadOnly));
    QVERIFY(nothing.isSequential());
    QCOMPARE(nothing.readAll(), QByteArray());

    QVERIFY(!RawFile(root() + QStringLiteral("/missing")).open(QIODevice::ReadOnly));

    // Created files get 0666 less the process's mask.
    const QString created = root() + QStringLiteral("/created");
    RawFile writer(created);
    QVERIFY(writer.open(QIODevice::WriteOnly));
    QCOMPARE(writer.write("abc"), 3);
    writer.close();
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat info
    {
    };
    QCOMPARE(::stat(QFile::encodeName(created).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0666 & ~mask);
}

QTEST_GUILESS_MAIN(TestDeviceReader)
#include "tst_devicereader.moc"
