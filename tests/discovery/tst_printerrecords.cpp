#include "acquisition/pldeviceusb.h"
#include "acquisition/printerdesc.h"
#include "cups/device.h"
#include "discovery/usbdevicedesc.h"

#include <QTest>

class TestPrinterRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void locationFromDeviceUri_data();
    void locationFromDeviceUri();
    void queueWithoutDeviceUriIsKnownByPrinterUri();
    void printerInterfaceOrDeviceId_data();
    void printerInterfaceOrDeviceId();
    void identitiesAndChecksum();
    void sameChecksumMeansOneEntry();
    void dumps();
    void eachPrinterGetsItsChannel();
};

void TestPrinterRecords::locationFromDeviceUri_data()
{
    QTest::addColumn<QString>("uri");
    QTest::addColumn<int>("location");
    QTest::addColumn<QString>("name");
    QTest::newRow("usb") << "usb://Maker/Model?serial=1" << 1 << "USB";
    QTest::newRow("upper-case USB") << "USB://Maker/Model" << 0 << "Unknown";
    QTest::newRow("parallel") << "parallel:/dev/lp0" << 2 << "LPT";
    QTest::newRow("file") << "file:/dev/null" << 3 << "File";
    QTest::newRow("ipp") << "ipp://127.0.0.2/ipp" << 4 << "Network";
    QTest::newRow("lpd") << "lpd://host/queue" << 4 << "Network";
    QTest::newRow("http") << "http://host:631/printers/x" << 4 << "Network";
    QTest::newRow("socket") << "socket://127.0.0.2:9100" << 4 << "Network";
    QTest::newRow("mfp0") << "mfp:/dev/mfp0" << 2 << "LPT";
    QTest::newRow("mfp3") << "mfp:/dev/mfp3" << 2 << "LPT";
    QTest::newRow("mfp4") << "mfp:/dev/mfp4" << 1 << "USB";
    QTest::newRow("mfp12") << "mfp:/dev/mfp12" << 1 << "USB";
    QTest::newRow("other scheme") << "dnssd://x" << 0 << "Unknown";
}

void TestPrinterRecords::locationFromDeviceUri()
{
    QFETCH(QString, uri);
    QFETCH(int, location);
    QFETCH(QString, name);
    const Device device(QStringLiteral("queue"), uri);
    QCOMPARE(device.location, location);
    QCOMPARE(QString::fromLatin1(Device::locationName(device.location)), name);
    QCOMPARE(device.fullPath, uri);
    QCOMPARE(device.ppd.modelNumber, -1);
    QVERIFY(device.ppd.isEmpty());
}

void TestPrinterRecords::queueWithoutDeviceUriIsKnownByPrinterUri()
{
    const Device device(QStringLiteral("remote"), QString(),
                        QStringLiteral("ipp://host/printers/remote"));
    QCOMPARE(device.location, int(Device::Network));
    QCOMPARE(device.fullPath, QStringLiteral("ipp://host/printers/remote"));
}

void TestPrinterRecords::printerInterfaceOrDeviceId_data()
{
    QTest::addColumn<QStringList>("interfaces");
    QTest::addColumn<QString>("deviceId");
    QTest::addColumn<bool>("printer");
    QTest::newRow("device list printer")
            << QStringList{"If#= 0 Alt= 0 #EPs= 2 Cls=07(print) Sub=01 Prot=02"} << QString()
            << true;
    QTest::newRow("sysfs printer") << QStringList{"Cls=07"} << QString() << true;
    QTest::newRow("storage") << QStringList{"If#= 0 Alt= 0 #EPs= 2 Cls=08(stor.) Sub=06 Prot=50"}
                             << QString() << false;
    QTest::newRow("second interface")
            << QStringList{"Cls=ff(vend.)", "Cls=07(print)"} << QString() << true;
    QTest::newRow("device id only") << QStringList() << "MFG:Kelp;CMD:PCL;CLS:PRINTER;" << true;
    QTest::newRow("device id CLASS") << QStringList() << "MFG:Kelp;CLASS:PRINTER;" << true;
    QTest::newRow("device id lower case") << QStringList() << "cls:printer;" << false;
    QTest::newRow("no Cls value") << QStringList{"Cls="} << QString() << false;
    QTest::newRow("nothing") << QStringList() << QString() << false;
}

void TestPrinterRecords::printerInterfaceOrDeviceId()
{
    QFETCH(QStringList, interfaces);
    QFETCH(QString, deviceId);
    QFETCH(bool, printer);
    UsbDeviceDesc desc;
    desc.interfaces = interfaces;
    desc.ieee1284_id = deviceId;
    QCOMPARE(desc.isPrinter(), printer);
}

void TestPrinterRecords::identitiesAndChecksum()
{
    const PrinterDesc usb("Kelp", "Kelp LB 200", "SN1", 0x5678, 0x1234, 0);
    QCOMPARE(usb.internalId, 0x12345678u);
    QVERIFY(usb.isLocal);
    QVERIFY(!usb.hasTunex);
    QVERIFY(usb.devPath.isEmpty() && usb.softName.isEmpty() && usb.statusXml.isEmpty());
    QVERIFY(!usb.deviceChannel);

    // CRC-16/X-25 check value of "123456789" is 0x906e.
    QCOMPARE(PrinterDesc::nameChecksum(QStringLiteral("123456789")), quint16(0x906e));
    QCOMPARE(PrinterDesc::uniqueKeyForQueue(QStringLiteral("123456789")), 0x906e0000u);
    QCOMPARE(PrinterDesc::uniqueKeyForQueue(QStringLiteral("x")) & 0xffffu, 0u);
}

void TestPrinterRecords::sameChecksumMeansOneEntry()
{
    // Find two different queue names with the same checksum, then publish both.
    QHash<quint16, QString> seen;
    QString first, second;
    for (int i = 0; second.isEmpty(); ++i) {
        const QString name = QStringLiteral("queue%1").arg(i);
        const quint16 sum = PrinterDesc::nameChecksum(name);
        if (seen.contains(sum)) {
            first = seen.value(sum);
            second = name;
        }
        seen.insert(sum, name);
    }
    PrinterMap published;
    for (const QString &name : {first, second}) {
        PrinterDesc desc("Kelp", name.toLatin1(), "", 0, PrinterDesc::nameChecksum(name),
                         PrinterDesc::uniqueKeyForQueue(name));
        published.insert(qint32(desc.uniqueKey), desc);
    }
    QCOMPARE(published.size(), 1);
    QCOMPARE(published.first().product, second.toLatin1());
}

void TestPrinterRecords::dumps()
{
    PrinterDesc desc("Kelp", "Kelp LB 200", "", 0x0002, 0x1234, 0x906e0000);
    desc.softName = QStringList{"lb200", "lb200-2"};
    desc.statusXml = QStringLiteral("<x/>");
    QCOMPARE(desc.toString(),
             QStringLiteral("\n\tManufacturer: Kelp\n\tProduct: Kelp LB 200\n\tSerial number: "
                            "\n\tProduct ID: 0x0002\n\tVendor ID: 0x1234\n\tInternal ID: 0x12340002"
                            "\n\tUnique key: 0x906e0000\n\tDev path: \n\tSoft path: "
                            "\n\tSoft name: lb200;lb200-2\n\tIs local: 1\n\tTUNEX: 0"
                            "\n\tExt job table: 0\n\tHas status XML: 1"));

    Device device(QStringLiteral("lb200"), QStringLiteral("mfp:/dev/mfp3"));
    device.ppd.model = QStringLiteral("LB 200");
    device.ppd.modelNumber = 7;
    QCOMPARE(device.toString(),
             QStringLiteral("\n\tname: lb200\n\tfullPath: mfp:/dev/mfp3\n\tlocation: 2(LPT)"
                            "\n\tppd: \n\tmodel: LB 200\n\tproduct: \n\tmanufacturer: "
                            "\n\tmodelNumber: 7"));

    UsbDeviceDesc usb;
    usb.vendorId = 0x1234;
    usb.productId = 0x0002;
    usb.interfaces = QStringList{"Cls=07", "Cls=ff"};
    QVERIFY(usb.toString().endsWith(QStringLiteral("\n\tvendorId: 0x1234\n\tproductId: 0x0002"
                                                   "\n\tinterfaces:\n\t\tCls=07\n\t\tCls=ff")));
}

void TestPrinterRecords::eachPrinterGetsItsChannel()
{
    PrinterDesc usb("Tessival", "Quillon C400 Series", "", 0x0100, 0xf1e0, 0);
    const std::unique_ptr<PlDevice> channel = usb.device();
    QVERIFY(channel);
    QVERIFY(channel->isLocal());
    QCOMPARE(channel->toString(), QStringLiteral("pid=0x0100 vid=0xf1e0"));
    QVERIFY(usb.device().get() != channel.get());

    PrinterDesc network = usb;
    network.isLocal = false;
    network.devPath = QStringLiteral("[fe80::1]");
    QVERIFY(!network.device()->isLocal());
    QCOMPARE(network.device()->toString(), QStringLiteral("ip=<[fe80::1]>"));
}

QTEST_GUILESS_MAIN(TestPrinterRecords)
#include "tst_printerrecords.moc"
