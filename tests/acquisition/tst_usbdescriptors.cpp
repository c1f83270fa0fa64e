#include "acquisition/usb/usb.h"
#include "acquisition/usb/usbdescriptors.h"
#include "acquisition/usb/usbdiagnostics.h"
#include "tests/tools/logcapture.h"
#include "tests/tools/usbsim/usbsim.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

const QByteArray kConfig = QByteArray::fromHex("09022000010100c001");
const QByteArray kInterface = QByteArray::fromHex("090400000207010200");
const QByteArray kEndpointIn = QByteArray::fromHex("07058102000200");
const QByteArray kEndpointOut = QByteArray::fromHex("07050202000200");
const QByteArray kClassSpecific = QByteArray::fromHex("0524000110"); // 5 bytes of type 0x24

// A configuration with its wTotalLength set to the length of the whole.
QByteArray configuration(const QByteArray &header, const QByteArray &rest)
{
    QByteArray bytes = header + rest;
    bytes[2] = char(bytes.size() & 0xff);
    bytes[3] = char(bytes.size() >> 8);
    return bytes;
}

QByteArray withInterfaces(int count)
{
    QByteArray header = kConfig;
    header[4] = char(count);
    return header;
}

QByteArray interfaceWith(int endpoints, int number = 0, int alternate = 0)
{
    QByteArray bytes = kInterface;
    bytes[2] = char(number);
    bytes[3] = char(alternate);
    bytes[4] = char(endpoints);
    return bytes;
}

int parse(UsbConfigDescriptor &config, const QByteArray &bytes)
{
    return parseConfiguration(config, reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                              int(bytes.size()));
}

QByteArray deviceDescriptor(int configurations)
{
    QByteArray bytes = UsbSim::printerDescriptors(0xf1e0, 0x0100).left(18);
    bytes[17] = char(configurations);
    return bytes;
}

} // namespace

class TestUsbDescriptors : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void printerConfigurationIsParsed();
    void oddConfigurations_data();
    void oddConfigurations();
    void arbitraryBytesNeverReadOutside();
    void brokenDeviceFiles_data();
    void brokenDeviceFiles();
};

void TestUsbDescriptors::init()
{
    USB::releaseBusses();
    UsbDiagnostics::setLevel(-1);
}

void TestUsbDescriptors::cleanup()
{
    init();
}

void TestUsbDescriptors::printerConfigurationIsParsed()
{
    const QByteArray bytes = UsbSim::printerDescriptors(0x1234, 0x5678);
    const UsbDeviceDescriptor device
            = parseDeviceDescriptor(reinterpret_cast<const std::uint8_t *>(bytes.constData()));
    QCOMPARE(device.bLength, 18);
    QCOMPARE(device.bDescriptorType, UsbDescriptor::kDevice);
    QCOMPARE(device.bcdUSB, 0x0200);
    QCOMPARE(device.bMaxPacketSize0, 64);
    QCOMPARE(device.idVendor, 0x1234);
    QCOMPARE(device.idProduct, 0x5678);
    QCOMPARE(device.bcdDevice, 0x0100);
    QCOMPARE(device.iSerialNumber, 3);
    QCOMPARE(device.bNumConfigurations, 1);

    UsbConfigDescriptor config;
    QCOMPARE(parse(config, bytes.mid(18)), 0);
    QCOMPARE(config.wTotalLength, 32);
    QCOMPARE(config.bNumInterfaces, 1);
    QCOMPARE(config.bConfigurationValue, 1);
    QCOMPARE(config.bmAttributes, 0xc0);
    QCOMPARE(config.MaxPower, 1);
    QVERIFY(config.extra.isEmpty());
    const UsbInterfaceDescriptor &alt = config.interfaces.at(0).altsettings.at(0);
    QCOMPARE(alt.bInterfaceClass, 7);
    QCOMPARE(alt.bInterfaceSubClass, 1);
    QCOMPARE(alt.bInterfaceProtocol, 2);
    QCOMPARE(alt.endpoints.size(), 2u);
    QCOMPARE(alt.endpoints[1].bEndpointAddress, 0x02);
    QCOMPARE(alt.endpoints[1].bmAttributes, 0x02);
    QCOMPARE(alt.endpoints[1].wMaxPacketSize, 512);
}

void TestUsbDescriptors::oddConfigurations_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("interfaces");
    QTest::addColumn<int>("altsettings"); // of the first interface
    QTest::addColumn<int>("endpoints"); // of its first alternate setting
    QTest::addColumn<QString>("extraOf"); // "config", "interface", "endpoint" or ""
    QTest::addColumn<QStringList>("messages"); // at debug level 2

    const QByteArray printer = kInterface + kEndpointIn + kEndpointOut;
    QTest::newRow("class descriptors before the interface")
            << configuration(kConfig, kClassSpecific + printer) << 0 << 1 << 1 << 2 << "config"
            << QStringList{"skipping descriptor 0x24",
                           "skipped 1 class/vendor specific interface descriptors"};
    QTest::newRow("class descriptors after the interface")
            << configuration(kConfig,
                             kInterface + kClassSpecific + kClassSpecific + kEndpointIn
                                     + kEndpointOut)
            << 0 << 1 << 1 << 2 << "interface"
            << QStringList{"skipping descriptor 0x24", "skipping descriptor 0x24",
                           "skipped 2 class/vendor specific interface descriptors"};
    QTest::newRow("class descriptor after an endpoint")
            << configuration(kConfig, kInterface + kEndpointIn + kClassSpecific + kEndpointOut) << 0
            << 1 << 1 << 2 << "endpoint"
            << QStringList{"skipping descriptor 0x24",
                           "skipped 1 class/vendor specific endpoint descriptors"};
    QTest::newRow("alternate settings")
            << configuration(kConfig, printer + interfaceWith(1, 0, 1) + kEndpointIn) << 0 << 1 << 2
            << 2 << "" << QStringList();
    QTest::newRow("two interfaces")
            << configuration(withInterfaces(2), printer + interfaceWith(0, 1)) << 0 << 2 << 1 << 2
            << "" << QStringList();
    QTest::newRow("audio endpoint of 9 bytes")
            << configuration(kConfig, interfaceWith(1) + QByteArray::fromHex("090581050002010203"))
            << 0 << 1 << 1 << 1 << "" << QStringList();
    QTest::newRow("short interface descriptor reads as zeros")
            << configuration(kConfig, QByteArray::fromHex("0504000001") + kEndpointIn) << 0 << 1
            << 1 << 1 << "" << QStringList();
    QTest::newRow("interface beyond the announced count is left over")
            << configuration(kConfig, printer + interfaceWith(0, 1)) << 9 << 1 << 1 << 2 << ""
            << QStringList();
    QTest::newRow("one stray byte is left over")
            << configuration(kConfig, printer + QByteArray(1, '\0')) << 1 << 1 << 1 << 2 << ""
            << QStringList();
    QTest::newRow("trailing zeros are no descriptor")
            << configuration(kConfig, printer + QByteArray(2, '\0')) << -1 << 0 << 0 << 0 << ""
            << QStringList{"invalid descriptor length of 0"};
    QTest::newRow("interface where an endpoint belongs")
            << configuration(withInterfaces(2),
                             interfaceWith(2) + kEndpointIn + interfaceWith(0, 1))
            << 0 << 2 << 1 << 1 << ""
            << QStringList{"unexpected descriptor 0x4, expecting endpoint descriptor, type 0x5"};
    QTest::newRow("configuration descriptor ends the interface")
            << configuration(kConfig, kInterface + kConfig) << 9 << 1 << 1 << 0 << ""
            << QStringList();
    QTest::newRow("zero-length descriptor")
            << configuration(kConfig, kInterface + QByteArray::fromHex("0024") + kEndpointIn) << -1
            << 0 << 0 << 0 << "" << QStringList{"invalid descriptor length of 0"};
    QTest::newRow("descriptor longer than the data")
            << configuration(kConfig, kInterface + kEndpointIn + QByteArray::fromHex("c824")) << -1
            << 0 << 0 << 0 << "" << QStringList{"invalid descriptor length of 200"};
    QTest::newRow("endpoints missing")
            << configuration(kConfig, kInterface + kEndpointIn) << -1 << 0 << 0 << 0 << ""
            << QStringList{"ran out of descriptors parsing"};
    QTest::newRow("endpoint cut short")
            << configuration(kConfig, kInterface + kEndpointIn + kEndpointOut.left(4)) << -1 << 0
            << 0 << 0 << "" << QStringList{"invalid descriptor length of 7"};
    QTest::newRow("too many endpoints") << configuration(kConfig, interfaceWith(33)) << -1 << 0 << 0
                                        << 0 << "" << QStringList{"too many endpoints"};
    QTest::newRow("too many interfaces") << configuration(withInterfaces(33), printer) << -1 << 0
                                         << 0 << 0 << "" << QStringList();
    QTest::newRow("no interfaces at all")
            << configuration(kConfig, QByteArray()) << 0 << 1 << 0 << 0 << "" << QStringList();
    QTest::newRow("configuration header only") << kConfig.left(1) << -1 << 0 << 0 << 0 << ""
                                               << QStringList{"ran out of descriptors parsing"};
    QTest::newRow("configuration length beyond the data")
            << QByteArray::fromHex("ff02") << -1 << 0 << 0 << 0 << ""
            << QStringList{"invalid descriptor length of 255"};
}

void TestUsbDescriptors::oddConfigurations()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, result);
    QFETCH(int, interfaces);
    QFETCH(int, altsettings);
    QFETCH(int, endpoints);
    QFETCH(QString, extraOf);
    QFETCH(QStringList, messages);

    UsbDiagnostics::setLevel(2);
    StderrCapture err;
    UsbConfigDescriptor config;
    QCOMPARE(parse(config, bytes), result);
    QCOMPARE(err.messages(), messages);
    if (result < 0)
        return;
    QCOMPARE(int(config.interfaces.size()), interfaces);
    if (interfaces == 0)
        return;
    QCOMPARE(int(config.interfaces[0].altsettings.size()), altsettings);
    if (altsettings == 0)
        return;
    const UsbInterfaceDescriptor &alt = config.interfaces[0].altsettings[0];
    QCOMPARE(int(alt.endpoints.size()), endpoints);
    QCOMPARE(config.extra, extraOf == QLatin1String("config") ? kClassSpecific : QByteArray());
    QCOMPARE(alt.extra,
             extraOf == QLatin1String("interface") ? kClassSpecific + kClassSpecific
                                                   : QByteArray());
    if (endpoints > 0)
        QCOMPARE(alt.endpoints[0].extra,
                 extraOf == QLatin1String("endpoint") ? kClassSpecific : QByteArray());
}

// Every cut of a real configuration and a few thousand random ones: the parser stays inside its
// buffer (the sanitizers watch) and reports what is left over.
void TestUsbDescriptors::arbitraryBytesNeverReadOutside()
{
    const QByteArray whole = configuration(kConfig,
                                           kClassSpecific + kInterface + kClassSpecific
                                                   + kEndpointIn + kClassSpecific + kEndpointOut);
    for (int length = 0; length <= whole.size(); ++length) {
        // A copy of exactly this length, so that reading past it is caught.
        const QByteArray cut(whole.constData(), length);
        UsbConfigDescriptor config;
        QVERIFY(parse(config, cut) <= length);
    }
    QRandomGenerator random(4711);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes(random.bounded(1, 80), '\0');
        for (char &byte : bytes)
            byte = char(random.bounded(256));
        // Mostly plausible lengths and types, so the parser gets deep into the data.
        for (int at = 0; at + 1 < bytes.size(); at += std::max(2, int(quint8(bytes[at])))) {
            bytes[at] = char(random.bounded(0, 12));
            bytes[at + 1] = char(random.bounded(1, 6));
        }
        if (bytes.size() > 4)
            bytes[4] = char(random.bounded(0, 4)); // a few interfaces
        UsbConfigDescriptor config;
        QVERIFY(parse(config, bytes) <= bytes.size());
    }
}

void TestUsbDescriptors::brokenDeviceFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<int>("configs");
    QTest::addColumn<QStringList>("messages"); // at debug level 2, without the root line

    const QByteArray printer = UsbSim::printerDescriptors(0xf1e0, 0x0100);
    const QString found = QStringLiteral("LINUX::findDevices: Found 002 on 001");
    QTest::newRow("whole") << printer << true << 1 << QStringList{found};
    QTest::newRow("device descriptor cut short")
            << printer.left(10) << false << 0
            << QStringList{"LINUX::findDevices: Couldn't read descriptor"};
    QTest::newRow("no configuration after the device descriptor")
            << printer.left(18) << true << 0
            << QStringList{found, "LINUX::findDevices: unable to get descriptor (0)",
                           "USB error: error sending control message: Broken pipe",
                           "Unable to get descriptor (-32)"};
    QTest::newRow("configuration cut short")
            << printer.left(40) << true << 0
            << QStringList{found,
                           "LINUX::findDevices: config descriptor too short (expected 32, got 22)",
                           "Config descriptor too short (expected 32, got 22)"};
    QTest::newRow("nine configurations") << deviceDescriptor(9) + printer.mid(18) << true << 0
                                         << QStringList{found, "Too many configurations (9 > 8)"};
    QTest::newRow("no configurations") << deviceDescriptor(0) << true << 0
                                       << QStringList{found, "Not enough configurations (0 < 1)"};
    QByteArray tiny = printer;
    tiny[18 + 2] = 4;
    tiny[18 + 3] = 0;
    QTest::newRow("configuration length below its own header")
            << tiny << true << 0
            << QStringList{found,
                           "LINUX::findDevices: config descriptor too short (expected 9, got 4)",
                           // the device sends no more than the configuration says it has
                           "Config descriptor too short (expected 8, got 4)"};
    QByteArray broken = printer;
    broken[18 + 9 + 9] = 0; // the first endpoint claims length 0
    QTest::newRow("malformed configuration")
            << broken << true << 1
            << QStringList{found, "invalid descriptor length of 0",
                           "LINUX::findDevices: unable to parse descriptors"};
    QByteArray twoConfigs = printer;
    twoConfigs[17] = 2;
    twoConfigs += printer.mid(18);
    QTest::newRow("two configurations") << twoConfigs << true << 2 << QStringList{found};
}

void TestUsbDescriptors::brokenDeviceFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, listed);
    QFETCH(int, configs);
    QFETCH(QStringList, messages);

    UsbSim sim;
    sim.addDevice(1, file);
    UsbDiagnostics::setLevel(2);
    StderrCapture err;
    USB::init();
    USB::findBusses();
    USB::findDevices();
    QStringList seen = err.messages();
    seen.removeIf([](const QString &line) {
        return line.startsWith(QLatin1String("LINUX::init:"))
                || line.startsWith(QLatin1String("LINUX::findBusses:"))
                || line == QLatin1String("LINUX::findDevices: Found 001 on 001");
    });
    QCOMPARE(seen, messages);

    const UsbDevice *device = nullptr;
    for (const auto &candidate : USB::busses().front()->devices) {
        if (candidate->filename == "002")
            device = candidate.get();
    }
    QCOMPARE(device != nullptr, listed);
    if (device)
        QCOMPARE(int(device->configs.size()), configs);
}

QTEST_GUILESS_MAIN(TestUsbDescriptors)
#include "tst_usbdescriptors.moc"
