#include "acquisition/pldeviceusb.h"
#include "tests/tools/usbsim/usbsim.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &) { }

QByteArray readProductFile(const char *path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestUsbSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qInstallMessageHandler(quiet); }
    void systemPathsLeadIntoTheSimulation();
    void printerNodesTakeTheLowestFreeNumber();
    void deviceListDescribesEveryDevice();
    void faultsAreUsedUpByCount();
    void childProcessSeesTheSimulation();
};

void TestUsbSim::systemPathsLeadIntoTheSimulation()
{
    UsbSim sim;
    QVERIFY(sim.isValid());
    const UsbSimDevice printer = sim.addPrinter();
    QCOMPARE(printer.path(), QStringLiteral("/proc/bus/usb/001/002"));
    QCOMPARE(printer.lpPath(), QStringLiteral("/dev/usb/lp0"));
    QVERIFY(QFileInfo::exists(printer.path()));
    QVERIFY(QFileInfo::exists(QStringLiteral("/dev/usb/lp0")));
    QCOMPARE(access("/dev/usb/lp0", F_OK), 0);
    QVERIFY(QDir(QStringLiteral("/proc/bus/usb")).entryList().contains(QStringLiteral("001")));
    FILE *devices = fopen("/proc/bus/usb/devices", "r");
    QVERIFY(devices);
    fclose(devices);
    QCOMPARE(readProductFile("/proc/bus/usb/001/002"), UsbSim::printerDescriptors(0xf1e0, 0x0100));
    // The built-in roots of the real machine are hidden as well.
    QVERIFY(!QFileInfo::exists(QStringLiteral("/dev/bus/usb")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("/sys/bus/usb")));

    printer.unplug();
    QVERIFY(!QFileInfo::exists(printer.path()));
    QVERIFY(!QFileInfo::exists(QStringLiteral("/dev/usb/lp0")));
    QCOMPARE(printer.requests(QStringLiteral("open")).size(), 1);
}

void TestUsbSim::printerNodesTakeTheLowestFreeNumber()
{
    UsbSim sim;
    const UsbSimDevice first = sim.addPrinter();
    const UsbSimDevice second = sim.addPrinter();
    const UsbSimDevice old = sim.addPrinter({.lpNode = UsbSimPrinter::OldLpNode});
    const UsbSimDevice none = sim.addPrinter({.lpNode = UsbSimPrinter::NoLpNode});
    QCOMPARE(second.lpPath(), QStringLiteral("/dev/usb/lp1"));
    QCOMPARE(old.lpPath(), QStringLiteral("/dev/usblp2"));
    QVERIFY(none.lpPath().isEmpty());
    QCOMPARE(none.deviceNumber(), 5);

    second.unplug();
    const UsbSimDevice again = sim.addPrinter();
    QCOMPARE(again.lpPath(), QStringLiteral("/dev/usb/lp1"));
    QCOMPARE(again.deviceNumber(), 6);
    QCOMPARE(sim.devices().size(), 5); // with the root hub
    QCOMPARE(sim.devices().last().lpPath(), again.lpPath());
}

void TestUsbSim::deviceListDescribesEveryDevice()
{
    UsbSim sim;
    const UsbSimDevice printer = sim.addPrinter({.vendorId = 0xabcd,
                                                 .productId = 0x0102,
                                                 .product = "Laser 200",
                                                 .serialNumber = "X1"});
    QByteArray list = readProductFile("/proc/bus/usb/devices");
    QVERIFY(list.contains("T:  Bus=01 Lev=00 Prnt=00 Port=00 Cnt=00 Dev#=  1 Spd=480  MxCh= 4\n"
                          "D:  Ver= 2.00 Cls=09(hub  ) Sub=00 Prot=00 MxPS=64 #Cfgs=  1\n"));
    QVERIFY(list.contains("T:  Bus=01 Lev=01 Prnt=01 Port=00 Cnt=01 Dev#=  2 Spd=480  MxCh= 0\n"
                          "D:  Ver= 2.00 Cls=00(>ifc ) Sub=00 Prot=00 MxPS=64 #Cfgs=  1\n"
                          "P:  Vendor=abcd ProdID=0102 Rev= 1.00\n"
                          "S:  Manufacturer=Acme\n"
                          "S:  Product=Laser 200\n"
                          "S:  SerialNumber=X1\n"
                          "C:* #Ifs= 1 Cfg#= 1 Atr=c0 MxPwr=  2mA\n"
                          "I:* If#= 0 Alt= 0 #EPs= 2 Cls=07(print) Sub=01 Prot=02 Driver=usblp\n"
                          "E:  Ad=81(I) Atr=02(Bulk) MxPS= 512 Ivl=0ms\n"
                          "E:  Ad=02(O) Atr=02(Bulk) MxPS= 512 Ivl=0ms\n"));

    printer.unplug();
    list = readProductFile("/proc/bus/usb/devices");
    QVERIFY(list.contains("Dev#=  1"));
    QVERIFY(!list.contains("Dev#=  2"));

    sim.setDeviceList("T:  Bus=01\n");
    sim.addPrinter();
    QCOMPARE(readProductFile("/proc/bus/usb/devices"), QByteArray("T:  Bus=01\n"));
    sim.setDeviceList(QByteArray());
    QVERIFY(!QFileInfo::exists(QStringLiteral("/proc/bus/usb/devices")));
}

void TestUsbSim::faultsAreUsedUpByCount()
{
    UsbSim sim;
    const UsbSimDevice printer = sim.addPrinter();
    printer.addFault(QStringLiteral("control"), QStringLiteral("05:*"), EIO, 2);
    printer.addFault(QStringLiteral("control"), QStringLiteral("02:0000"), EPIPE, 1);
    PlDeviceUsb channel(0x0100, 0xf1e0);
    int retCode = 0;
    for (const int expected : {-EIO, -EIO, 75})
        QCOMPARE((channel.getJobList(&retCode), retCode), expected);
    channel.requestStatus_withRepeat(&retCode);
    QCOMPARE(retCode, 8);
    QStringList results;
    for (const UsbSimRequest &request : printer.requests(QStringLiteral("control")))
        results.append(QString::number(request.result));
    QCOMPARE(results, (QStringList{"-5", "-5", "75", "-32", "8"}));
}

void TestUsbSim::childProcessSeesTheSimulation()
{
    UsbSim sim;
    const UsbSimDevice printer
            = sim.addPrinter({.vendorId = 0x1234,
                              .productId = 0x5678,
                              .deviceId = "MFG:Acme;MDL:Child;",
                              .status = QByteArray::fromHex("0102030405060708")});
    QProcess child;
    child.setProcessEnvironment(sim.childEnvironment());
    child.start(QStringLiteral(USBSIM_PROBE),
                {QStringLiteral("1234"), QStringLiteral("5678"), printer.lpPath()});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(QString::fromLatin1(child.readAllStandardOutput()),
             QStringLiteral("status 0102030405060708 8\ndeviceid MFG:Acme;MDL:Child; 0\n"));
    const QList<UsbSimRequest> requests = printer.requests(QStringLiteral("control"));
    QCOMPARE(requests.size(), 1);
    QVERIFY(requests[0].thread != qint64(gettid()));
}

QTEST_GUILESS_MAIN(TestUsbSim)
#include "tst_usbsim.moc"
