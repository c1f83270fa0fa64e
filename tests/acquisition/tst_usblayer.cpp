#include "acquisition/usb/os.h"
#include "acquisition/usb/osprovider.h"
#include "acquisition/usb/usb.h"
#include "acquisition/usb/usbdiagnostics.h"
#include "tests/tools/logcapture.h"
#include "tests/tools/usbsim/usbsim.h"

#include <QDate>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <unistd.h>

namespace {

void scan()
{
    USB::init();
    USB::findBusses();
    USB::findDevices();
}

UsbBus *findBus(int bus)
{
    for (const auto &candidate : USB::busses()) {
        if (candidate->dirname.toInt() == bus)
            return candidate.get();
    }
    return nullptr;
}

UsbDevice *findDevice(int bus, int number)
{
    if (UsbBus *found = findBus(bus)) {
        for (const auto &device : found->devices) {
            if (device->filename.toInt() == number)
                return device.get();
        }
    }
    return nullptr;
}

QStringList names(const UsbBusList &busses)
{
    QStringList list;
    for (const auto &bus : busses)
        list.append(QString::fromLatin1(bus->dirname));
    return list;
}

QStringList names(const UsbDeviceList &devices)
{
    QStringList list;
    for (const auto &device : devices)
        list.append(QString::fromLatin1(device->filename));
    return list;
}

// The requests of one kind, as "kind arguments = result".
QStringList seen(const UsbSimDevice &device, const QString &kind)
{
    QStringList list;
    for (const UsbSimRequest &request : device.requests(kind))
        list.append(QStringLiteral("%1 %2 = %3")
                            .arg(request.kind, request.arguments.join(QLatin1Char(' ')))
                            .arg(request.result));
    return list;
}

enum Operation {
    SetConfiguration,
    Claim,
    Release,
    AltSetting,
    ResetEp,
    ClearHalt,
    Reset,
    DriverName,
    Detach,
    Control,
    BulkRead
};

} // namespace

class TestUsbLayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void rootFromEnvironmentVariable();
    void rootFallsBackToBuiltInList_data();
    void rootFallsBackToBuiltInList();
    void noRootFound();
    void busesAndDevicesInNumericOrder();
    void rescanKeepsKnownRecordsAndMergesChanges();
    void deviceNumberReusedByAnotherDeviceIsNew();
    void hubChildrenFollowPortTable();
    void unreadableDevicesAreSkipped();
    void handleOperationsReachTheDevice();
    void handleOperationFailures_data();
    void handleOperationFailures();
    void altSettingNeedsClaimedInterface();
    void openFallsBackToReadOnly();
    void closeFailureIsReported();
    void controlTimeOutLeavesHandleUsable();
    void bulkTransfersSplitIntoUrbs_data();
    void bulkTransfersSplitIntoUrbs();
    void interruptTransfersUseInterruptUrbs();
    void transferTimeOutDiscardsUrb();
    void setDebugAnnouncesLevelChanges();
    void debugLevelFromEnvironment();
};

void TestUsbLayer::initTestCase()
{
    QCOMPARE(USB::errorText(), "No error");
}

void TestUsbLayer::init()
{
    USB::releaseBusses();
    UsbDiagnostics::setLevel(-1);
    qunsetenv("USB_DEVFS_PATH");
    qunsetenv("USB_DEBUG");
}

void TestUsbLayer::cleanup()
{
    init();
}

void TestUsbLayer::rootFromEnvironmentVariable()
{
    UsbSim sim;
    sim.addPrinter();
    qputenv("USB_DEVFS_PATH", QFile::encodeName(sim.root()));
    UsbDiagnostics::setLevel(0);
    StderrCapture err;
    scan();
    QCOMPARE(err.messages(),
             QStringList{QStringLiteral("LINUX::init: Found USB VFS at ") + sim.root()});
    QCOMPARE(OSProvider::os().root(), QFile::encodeName(sim.root()));
    QVERIFY(findDevice(1, 2));
}

void TestUsbLayer::rootFallsBackToBuiltInList_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<bool>("exists");
    QTest::newRow("empty directory") << QStringList() << true;
    QTest::newRow("entries that are not buses")
            << QStringList{QStringLiteral("devices"), QStringLiteral(".001"),
                           QStringLiteral("usb1"), QStringLiteral("1a")}
            << true;
    QTest::newRow("missing directory") << QStringList() << false;
}

void TestUsbLayer::rootFallsBackToBuiltInList()
{
    QFETCH(QStringList, entries);
    QFETCH(bool, exists);

    UsbSim sim;
    sim.addPrinter();
    QTemporaryDir elsewhere;
    for (const QString &entry : entries)
        QDir(elsewhere.path()).mkdir(entry);
    const QString path = exists ? elsewhere.path() : elsewhere.path() + QStringLiteral("/none");
    qputenv("USB_DEVFS_PATH", QFile::encodeName(path));
    UsbDiagnostics::setLevel(0);
    StderrCapture err;
    scan();
    QCOMPARE(err.messages(),
             (QStringList{QStringLiteral("LINUX::init: couldn't find USB VFS in USB_DEVFS_PATH"),
                          QStringLiteral("LINUX::init: Found USB VFS at /proc/bus/usb")}));
    QVERIFY(findDevice(1, 2));
}

void TestUsbLayer::noRootFound()
{
    UsbSim sim; // no buses at all
    UsbDiagnostics::setLevel(0);
    {
        StderrCapture err;
        USB::init();
        QCOMPARE(err.messages(),
                 QStringList{QStringLiteral("LINUX::init: No USB VFS found, is it mounted?")});
    }
    QVERIFY(OSProvider::os().root().isEmpty());
    QCOMPARE(USB::findBusses(), -ENOENT);
    QCOMPARE(USB::errorText(), "LINUX::findBusses: couldn't opendir(): No such file or directory");
    QCOMPARE(USB::findDevices(), 0);
    QVERIFY(USB::busses().empty());

    // Below level 0 the layer says nothing.
    UsbDiagnostics::setLevel(-1);
    StderrCapture quiet;
    USB::init();
    QVERIFY(quiet.lines().isEmpty());
}

void TestUsbLayer::busesAndDevicesInNumericOrder()
{
    UsbSim sim;
    sim.addBus(3);
    sim.addPrinter({.vendorId = 0xaaaa, .productId = 0x0001, .bus = 1});
    sim.addPrinter({.vendorId = 0xbbbb, .productId = 0x0010, .bus = 2, .device = 10});
    sim.addPrinter({.vendorId = 0xbbbb, .productId = 0x0009, .bus = 2, .device = 9});

    USB::init();
    QCOMPARE(USB::findBusses(), 3);
    QCOMPARE(USB::findDevices(), 6);
    QCOMPARE(names(USB::busses()),
             (QStringList{QStringLiteral("001"), QStringLiteral("002"), QStringLiteral("003")}));
    QCOMPARE(names(findBus(2)->devices),
             (QStringList{QStringLiteral("001"), QStringLiteral("009"), QStringLiteral("010")}));

    const UsbDevice *printer = findDevice(2, 9);
    QVERIFY(printer);
    QCOMPARE(printer->bus, findBus(2));
    QCOMPARE(printer->devnum, 9);
    QCOMPARE(printer->descriptor.idVendor, 0xbbbb);
    QCOMPARE(printer->descriptor.idProduct, 0x0009);
    QCOMPARE(printer->descriptor.bNumConfigurations, 1);
    // The configurations come along with the scan (their parsing has its own test).
    QCOMPARE(printer->configs.size(), 1u);
    QCOMPARE(printer->configs[0].interfaces.at(0).altsettings.at(0).bInterfaceClass, 7);
}

void TestUsbLayer::rescanKeepsKnownRecordsAndMergesChanges()
{
    UsbSim sim;
    sim.addPrinter();
    const UsbSimDevice leaving = sim.addPrinter({.vendorId = 0x1111});
    scan();
    const UsbDevice *kept = findDevice(1, 2);
    QVERIFY(kept);
    QVERIFY(findDevice(1, 3));

    leaving.unplug();
    sim.addPrinter({.vendorId = 0x2222});
    sim.addBus(2);
    QCOMPARE(USB::findBusses(), 1);
    QCOMPARE(names(USB::busses()), (QStringList{QStringLiteral("002"), QStringLiteral("001")}));
    QCOMPARE(USB::findDevices(), 3); // bus 1: one gone, one new; bus 2: its hub
    QCOMPARE(findDevice(1, 2), kept);
    QVERIFY(!findDevice(1, 3));
    QCOMPARE(names(findBus(1)->devices),
             (QStringList{QStringLiteral("004"), QStringLiteral("001"), QStringLiteral("002")}));
    QCOMPARE(findDevice(1, 4)->descriptor.idVendor, 0x2222);

    QCOMPARE(USB::findBusses(), 0);
    QCOMPARE(USB::findDevices(), 0);

    sim.removeBus(2);
    QCOMPARE(USB::findBusses(), 1);
    QCOMPARE(names(USB::busses()), QStringList{QStringLiteral("001")});
}

void TestUsbLayer::deviceNumberReusedByAnotherDeviceIsNew()
{
    UsbSim sim;
    const UsbSimDevice first = sim.addPrinter({.vendorId = 0x1111, .device = 5});
    scan();
    QCOMPARE(findDevice(1, 5)->descriptor.idVendor, 0x1111);

    first.unplug();
    sim.addPrinter({.vendorId = 0x2222, .device = 5});
    QCOMPARE(USB::findDevices(), 2);
    QCOMPARE(findDevice(1, 5)->descriptor.idVendor, 0x2222);
}

void TestUsbLayer::hubChildrenFollowPortTable()
{
    UsbSim sim;
    sim.addPrinter();
    sim.addPrinter();
    scan();
    const UsbBus *bus = findBus(1);
    UsbDevice *hub = findDevice(1, 1);
    QCOMPARE(bus->rootDevice, hub);
    QCOMPARE(hub->children, (std::vector<UsbDevice *>{findDevice(1, 2), findDevice(1, 3)}));
    QVERIFY(findDevice(1, 2)->children.empty());

    // A hub that cannot tell its ports leaves every device unclaimed.
    sim.devices().first().addFault(QStringLiteral("portinfo"), QStringLiteral("*"), EIO);
    UsbDiagnostics::setLevel(1);
    StderrCapture err;
    USB::findDevices();
    QCOMPARE(err.messages(),
             QStringList{QStringLiteral("LINUX::determineChildren: error obtaining "
                                        "child information: Input/output error")});
    QVERIFY(hub->children.empty());
    QCOMPARE(bus->rootDevice, hub);
}

void TestUsbLayer::unreadableDevicesAreSkipped()
{
    UsbSim sim;
    const UsbSimDevice refusing = sim.addPrinter();
    refusing.setMode(UsbSimDevice::Unplugged);
    const UsbSimDevice secretive = sim.addPrinter();
    secretive.addFault(QStringLiteral("connectinfo"), QStringLiteral("*"), EIO);
    UsbDiagnostics::setLevel(1);
    StderrCapture err;
    scan();
    QCOMPARE(err.messages(),
             (QStringList{QStringLiteral("LINUX::init: Found USB VFS at /proc/bus/usb"),
                          QStringLiteral("LINUX::findDevices: Couldn't open ") + refusing.path(),
                          QStringLiteral("LINUX::findDevices: couldn't get connect info")}));
    QVERIFY(!findDevice(1, 2));
    QVERIFY(findDevice(1, 3));
    QCOMPARE(findDevice(1, 3)->devnum, 0);
}

void TestUsbLayer::handleOperationsReachTheDevice()
{
    UsbSim sim;
    const UsbSimDevice printer = sim.addPrinter();
    scan();
    printer.clearRequests();

    USB handle;
    QVERIFY(!handle.isOpen());
    QCOMPARE(handle.open(findDevice(1, 2)), 0);
    QVERIFY(handle.isOpen());
    QCOMPARE(handle.device(), findDevice(1, 2));
    QCOMPARE(handle.setConfiguration(1), 0);
    QCOMPARE(handle.claimInterface(0), 0);
    QCOMPARE(handle.setAltInterface(0), 0);
    QCOMPARE(handle.resetEp(0x81), 0);
    QCOMPARE(handle.clearHalt(0x02), 0);
    QCOMPARE(handle.releaseInterface(0), 0);
    QCOMPARE(handle.reset(), 0);
    QByteArray driver;
    QCOMPARE(handle.getDriverName(0, driver), 0);
    QCOMPARE(driver, QByteArray("usblp"));
    QCOMPARE(handle.detachKernelDriver(0), 0);
    QCOMPARE(handle.getDriverName(0, driver), -ENODATA);
    QCOMPARE(handle.close(), 0);
    QVERIFY(!handle.isOpen());
    QCOMPARE(handle.close(), 0);

    QStringList requests;
    for (const UsbSimRequest &request : printer.requests())
        requests.append(request.kind + QLatin1Char(' ') + request.arguments.join(QLatin1Char(' ')));
    QCOMPARE(requests,
             (QStringList{QStringLiteral("open rw"), QStringLiteral("setconfig 1"),
                          QStringLiteral("claim 0"), QStringLiteral("setintf 0/0"),
                          QStringLiteral("resetep 129"), QStringLiteral("clearhalt 2"),
                          QStringLiteral("release 0"), QStringLiteral("reset *"),
                          QStringLiteral("getdriver 0"), QStringLiteral("disconnect 0"),
                          QStringLiteral("getdriver 0")}));
}

void TestUsbLayer::handleOperationFailures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("operation");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hint");

    QTest::newRow("set configuration") << "setconfig" << EIO << int(SetConfiguration)
                                       << "could not set config 1: Input/output error"
                                       << "";
    QTest::newRow("claim, busy") << "claim" << EBUSY << int(Claim)
                                 << "could not claim interface 0: Device or resource busy"
                                 << "Check your permissions to write to 001/002.";
    QTest::newRow("claim") << "claim" << EIO << int(Claim)
                           << "could not claim interface 0: Input/output error"
                           << "";
    QTest::newRow("release") << "release" << EIO << int(Release)
                             << "could not release intf 0: Input/output error"
                             << "";
    QTest::newRow("alternate setting") << "setintf" << EIO << int(AltSetting)
                                       << "could not set alt intf 0/1: Input/output error"
                                       << "";
    QTest::newRow("reset endpoint")
            << "resetep" << EIO << int(ResetEp) << "could not reset ep 129: Input/output error"
            << "";
    QTest::newRow("clear halt") << "clearhalt" << EIO << int(ClearHalt)
                                << "could not clear/halt ep 129: Input/output error"
                                << "";
    QTest::newRow("reset") << "reset" << EIO << int(Reset) << "could not reset: Input/output error"
                           << "";
    QTest::newRow("driver name") << "getdriver" << EIO << int(DriverName)
                                 << "could not get bound driver: Input/output error"
                                 << "";
    QTest::newRow("detach driver")
            << "disconnect" << EIO << int(Detach)
            << "could not detach kernel driver from interface 0: Input/output error"
            << "";
    QTest::newRow("control message")
            << "control" << EPIPE << int(Control) << "error sending control message: Broken pipe"
            << "";
    QTest::newRow("submit URB") << "submiturb" << EIO << int(BulkRead)
                                << "error submitting URB: Input/output error"
                                << "";
}

void TestUsbLayer::handleOperationFailures()
{
    QFETCH(QString, kind);
    QFETCH(int, error);
    QFETCH(int, operation);
    QFETCH(QString, text);
    QFETCH(QString, hint);

    UsbSim sim;
    const UsbSimDevice printer = sim.addPrinter();
    scan();
    USB handle;
    QCOMPARE(handle.open(findDevice(1, 2)), 0);
    if (operation == AltSetting)
        QCOMPARE(handle.claimInterface(0), 0);
    printer.addFault(kind, QStringLiteral("*"), error);

    UsbDiagnostics::setLevel(2);
    StderrCapture err;
    QByteArray bytes(8, '\0');
    int result = 0;
    switch (Operation(operation)) {
    case SetConfiguration:
        result = handle.setConfiguration(1);
        break;
    case Claim:
        result = handle.claimInterface(0);
        break;
    case Release:
        result = handle.releaseInterface(0);
        break;
    case AltSetting:
        result = handle.setAltInterface(1);
        break;
    case ResetEp:
        result = handle.resetEp(0x81);
        break;
    case ClearHalt:
        result = handle.clearHalt(0x81);
        break;
    case Reset:
        result = handle.reset();
        break;
    case DriverName:
        result = handle.getDriverName(0, bytes);
        break;
    case Detach:
        result = handle.detachKernelDriver(0);
        break;
    case Control:
        result = handle.controlMsg(0xc1, 0x02, 0, 0, bytes.data(), bytes.size(), 100);
        break;
    case BulkRead:
        result = handle.bulkRead(1, bytes.data(), bytes.size(), 100);
        break;
    }
    QCOMPARE(result, -error);
    QCOMPARE(QString::fromLocal8Bit(USB::errorText()), text);
    QStringList expected;
    if (!hint.isEmpty())
        expected.append(hint);
    expected.append(QStringLiteral("USB error: ") + text);
    QCOMPARE(err.messages(), expected);
    // Still usable afterwards.
    printer.clearFaults();
    QCOMPARE(handle.controlMsg(0xc1, 0x02, 0, 0, bytes.data(), bytes.size(), 100), 8);
}

void TestUsbLayer::altSettingNeedsClaimedInterface()
{
    UsbSim sim;
    const UsbSimDevice printer = sim.addPrinter();
    scan();
    USB handle;
    QCOMPARE(handle.open(findDevice(1, 2)), 0);
    QCOMPARE(handle.setAltInterface(1), -EINVAL);
    QCOMPARE(USB::errorText(), "Invalid argument");
    QVERIFY(printer.requests(QStringLiteral("setintf")).isEmpty());
    QCOMPARE(handle.claimInterface(0), 0);
    QCOMPARE(handle.releaseInterface(0), 0);
    QCOMPARE(handle.setAltInterface(1), -EINVAL);
}

void TestUsbLayer::openFallsBackToReadOnly()
{
    UsbSim sim;
    const UsbSimDevice printer = sim.addPrinter();
    scan();
    printer.clearRequests();
    printer.addFault(QStringLiteral("open"), QStringLiteral("rw"), EACCES);

    USB handle;
    QCOMPARE(handle.open(findDevice(1, 2)), 0);
    QCOMPARE(seen(printer, QStringLiteral("open")),
             (QStringList{QStringLiteral("open rw = -13"), QStringLiteral("open ro = 0")}));
    // usbfs refuses requests on a descriptor opened read-only.
    char bytes[8];
    QCOMPARE(handle.controlMsg(0xc1, 0x02, 0, 0, bytes, sizeof bytes, 100), -EPERM);
    QCOMPARE(USB::errorText(), "error sending control message: Operation not permitted");

    printer.setMode(UsbSimDevice::Unplugged);
    QCOMPARE(handle.open(findDevice(1, 2)), -ENODEV);
    QVERIFY(!handle.isOpen());
    QCOMPARE(QString::fromLocal8Bit(USB::errorText()),
             QStringLiteral("failed to open %1: No such device").arg(printer.path()));
}

void TestUsbLayer::closeFailureIsReported()
{
    UsbSim sim;
    sim.addPrinter();
    scan();
    USB handle;
    QCOMPARE(handle.open(findDevice(1, 2)), 0);
    const int fd = handle.fd();
    ::close(fd);
    QCOMPARE(handle.close(), -EBADF);
    QCOMPARE(QString::fromLocal8Bit(USB::errorText()),
             QStringLiteral("LINUX::close: tried to close device fd %1: Bad file descriptor")
                     .arg(fd));
    QVERIFY(!handle.isOpen());
}

void TestUsbLayer::controlTimeOutLeavesHandleUsable()
{
    UsbSim sim;
    const UsbSimDevice printer = sim.addPrinter({.status = "12345678"});
    scan();
    USB handle;
    QCOMPARE(handle.open(findDevice(1, 2)), 0);

    printer.setMode(UsbSimDevice::Slow, 200);
    char bytes[8] = {};
    QCOMPARE(handle.controlMsg(0xc1, 0x02, 0, 0, bytes, sizeof bytes, 20), -ETIMEDOUT);
    QCOMPARE(USB::errorText(), "error sending control message: Connection timed out");
    QVERIFY(handle.isOpen());

    printer.setMode(UsbSimDevice::Normal);
    QCOMPARE(handle.controlMsg(0xc1, 0x02, 0, 0, bytes, sizeof bytes, 20), 8);
    QCOMPARE(QByteArray(bytes, 8), QByteArray("12345678"));
}

void TestUsbLayer::bulkTransfersSplitIntoUrbs_data()
{
    QTest::addColumn<bool>("read");
    QTest::addColumn<int>("available");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("urbs");

    const QString w = QStringLiteral("02 %1 bulk = 0");
    const QString r = QStringLiteral("81 %1 bulk = 0");
    QTest::newRow("write in three URBs")
            << false << 0 << 40000 << 40000 << QStringList{w.arg(16384), w.arg(16384), w.arg(7232)};
    QTest::newRow("write of exactly one URB")
            << false << 0 << 16384 << 16384 << QStringList{w.arg(16384)};
    QTest::newRow("empty write") << false << 0 << 0 << 0 << QStringList{w.arg(0)};
    QTest::newRow("read all in three URBs") << true << 40000 << 40000 << 40000
                                            << QStringList{r.arg(16384), r.arg(16384), r.arg(7232)};
    QTest::newRow("short chunk ends the read")
            << true << 20000 << 40000 << 20000 << QStringList{r.arg(16384), r.arg(16384)};
    QTest::newRow("full chunks go on to an empty one")
            << true << 32768 << 40000 << 32768
            << QStringList{r.arg(16384), r.arg(16384), r.arg(7232)};
    QTest::newRow("nothing to read") << true << 0 << 100 << 0 << QStringList{r.arg(100)};
}

void TestUsbLayer::bulkTransfersSplitIntoUrbs()
{
    QFETCH(bool, read);
    QFETCH(int, available);
    QFETCH(int, size);
    QFETCH(int, result);
    QFETCH(QStringList, urbs);

    UsbSim sim;
    const UsbSimDevice printer = sim.addPrinter();
    scan();
    USB handle;
    QCOMPARE(handle.open(findDevice(1, 2)), 0);
    QByteArray data(std::max(available, size), '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i * 7 + i / 256);

    if (read) {
        printer.setInData(1, data.left(available));
        QByteArray buffer(size, '\0');
        QCOMPARE(handle.bulkRead(1, buffer.data(), size, 1000), result);
        QCOMPARE(buffer.left(result), data.left(result));
    } else {
        QCOMPARE(handle.bulkWrite(2, data.constData(), size, 1000), result);
        QCOMPARE(printer.outData(2), data.left(size));
    }
    QStringList submitted = seen(printer, QStringLiteral("submiturb"));
    submitted.replaceInStrings(QStringLiteral("submiturb "), QString());
    QCOMPARE(submitted, urbs);
}

void TestUsbLayer::interruptTransfersUseInterruptUrbs()
{
    UsbSim sim;
    const UsbSimDevice printer = sim.addPrinter();
    scan();
    USB handle;
    QCOMPARE(handle.open(findDevice(1, 2)), 0);
    QCOMPARE(handle.interruptWrite(0x83, "abc", 3, 100), 3);
    QCOMPARE(printer.outData(3), QByteArray("abc"));
    printer.setInData(3, "xyz");
    char bytes[100];
    QCOMPARE(handle.interruptRead(3, bytes, sizeof bytes, 100), 3);
    QCOMPARE(QByteArray(bytes, 3), QByteArray("xyz"));
    QCOMPARE(seen(printer, QStringLiteral("submiturb")),
             (QStringList{QStringLiteral("submiturb 03 3 interrupt = 0"),
                          QStringLiteral("submiturb 83 100 interrupt = 0")}));
}

void TestUsbLayer::transferTimeOutDiscardsUrb()
{
    UsbSim sim;
    const UsbSimDevice printer = sim.addPrinter();
    scan();
    USB handle;
    QCOMPARE(handle.open(findDevice(1, 2)), 0);

    printer.setMode(UsbSimDevice::TimeOut);
    char bytes[100];
    QCOMPARE(handle.bulkRead(1, bytes, sizeof bytes, 30), -ETIMEDOUT);
    QCOMPARE(USB::errorText(), "Connection timed out");
    QCOMPARE(seen(printer, QStringLiteral("discardurb")),
             QStringList{QStringLiteral("discardurb 81 = 0")});

    // The discarded URB was reaped: the next transfer gets its own completion.
    printer.setMode(UsbSimDevice::Normal);
    printer.setInData(1, "hello");
    QCOMPARE(handle.bulkRead(1, bytes, sizeof bytes, 1000), 5);
    QCOMPARE(QByteArray(bytes, 5), QByteArray("hello"));

    // A discard that fails is worth a line from level 1, unless the URB had just completed.
    printer.setMode(UsbSimDevice::TimeOut);
    printer.addFault(QStringLiteral("discardurb"), QStringLiteral("*"), EIO, 1);
    printer.addFault(QStringLiteral("discardurb"), QStringLiteral("*"), EINVAL, 1);
    UsbDiagnostics::setLevel(1);
    {
        StderrCapture err;
        QCOMPARE(handle.bulkRead(1, bytes, sizeof bytes, 10), -ETIMEDOUT);
        QCOMPARE(handle.bulkRead(1, bytes, sizeof bytes, 10), -ETIMEDOUT);
        QCOMPARE(err.messages(),
                 QStringList{QStringLiteral("error discarding URB: Input/output error")});
    }

    // A slow device within the time-out is waited for.
    printer.setMode(UsbSimDevice::Slow, 20);
    printer.setInData(1, "later");
    QCOMPARE(handle.bulkRead(1, bytes, sizeof bytes, 5000), 5);
    QCOMPARE(QByteArray(bytes, 5), QByteArray("later"));
}

void TestUsbLayer::setDebugAnnouncesLevelChanges()
{
    StderrCapture err;
    USB::setDebug(2);
    USB::setDebug(0);
    USB::setDebug(0);
    USB::setDebug(-1);
    QCOMPARE(UsbDiagnostics::level(), -1);
    QCOMPARE(err.messages(),
             (QStringList{QStringLiteral("setDebug: Setting debugging level to 2 (on)"),
                          QStringLiteral("setDebug: Setting debugging level to 0 (off)"),
                          QStringLiteral("setDebug: Setting debugging level to -1 (on)")}));

    // Each message is one line: the date with doubled slashes, the milliseconds, two blanks.
    const QString today = QDate::currentDate().toString(QStringLiteral("dd//MM//yyyy"));
    const QRegularExpression line(QStringLiteral(R"(^(\d\d//\d\d//\d{4}):(\d{1,3})>  setDebug: )"));
    QCOMPARE(err.lines().size(), 3);
    for (const QString &text : err.lines()) {
        const QRegularExpressionMatch match = line.match(text);
        QVERIFY2(match.hasMatch(), qPrintable(text));
        QCOMPARE(match.captured(1), today);
    }
}

void TestUsbLayer::debugLevelFromEnvironment()
{
    UsbSim sim;
    sim.addPrinter();
    qputenv("USB_DEBUG", "3");
    StderrCapture err;
    scan();
    QCOMPARE(UsbDiagnostics::level(), 3);
    const QStringList messages = err.messages();
    QVERIFY(messages.size() >= 5);
    QCOMPARE(messages[0], QStringLiteral("setDebug: Setting debugging level to 3 (on)"));
    QCOMPARE(messages[1], QStringLiteral("LINUX::init: Found USB VFS at /proc/bus/usb"));
    QVERIFY(messages.contains(QStringLiteral("LINUX::findBusses: Found 001")));
    QVERIFY(messages.contains(
            QStringLiteral("LINUX::findBusses: Skipping non bus directory devices")));
    QVERIFY(messages.contains(QStringLiteral("LINUX::findDevices: Found 002 on 001")));
}

QTEST_GUILESS_MAIN(TestUsbLayer)
#include "tst_usblayer.moc"
