#include "acquisition/pldeviceusb.h"
#include "acquisition/usb/usb.h"
#include "tests/tools/logcapture.h"
#include "tests/tools/usbsim/usbsim.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr quint16 kVendor = 0xf1e0;
constexpr quint16 kProduct = 0x0100;
const QString kEp0Invalid = QStringLiteral("Error: ep0 is invalid!!!");

QByteArray documentOf(int size)
{
    QByteArray text;
    for (int i = 0; text.size() < size; ++i)
        text += QByteArray::number(i % 10);
    return text.left(size);
}

QList<UsbSimRequest> controls(const UsbSimDevice &device, int request)
{
    QList<UsbSimRequest> list = device.requests(QStringLiteral("control"));
    list.removeIf([request](const UsbSimRequest &r) { return r.request() != request; });
    return list;
}

// How often a device file was opened read-write ("rw") or read-only ("ro").
qsizetype opened(const UsbSimDevice &device, const QString &how)
{
    const QList<UsbSimRequest> opens = device.requests(QStringLiteral("open"));
    return std::count_if(opens.begin(), opens.end(),
                         [&how](const UsbSimRequest &r) { return r.arguments.value(0) == how; });
}

} // namespace

class TestPlDeviceUsb : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void channelNamesItsIdsAndSharesOneMutex();
    void printerIsFoundByIdsAmongBusesAndDevices();
    void laterBusWinsOverEarlierBus();
    void printerAddedAndRemovedBetweenRequests();
    void statusBytesRoundTrip();
    void jobTableRoundTrip();
    void documentIsReadInBlocks_data();
    void documentIsReadInBlocks();
    void unusableDocumentSizeIsRefused_data();
    void unusableDocumentSizeIsRefused();
    void blockFailingMidwayRestartsTheDocument_data();
    void blockFailingMidwayRestartsTheDocument();
    void statusRetriesAreBounded_data();
    void statusRetriesAreBounded();
    void unpluggedPrinterFailsEveryOperation_data();
    void unpluggedPrinterFailsEveryOperation();
    void deviceIdThroughPrinterNode_data();
    void deviceIdThroughPrinterNode();
    void busyPrinterNodeIsNotRetried();
    void unreadableDeviceIdIsRetried();
    void twoThreadsAreSerialized();
    void pauseBetweenStatusSequencesReleasesTheLock();
    void slowDocumentReadGivesUpAtItsDeadline();
    void pollsGoStraightToThePrinter();
    void pathThatIsNoDeviceFailsAtOnce();

private:
    UsbSimDevice addPrinter(UsbSim &sim, int bus = 1)
    {
        UsbSimPrinter printer;
        printer.vendorId = kVendor;
        printer.productId = kProduct;
        printer.bus = bus;
        return sim.addPrinter(printer);
    }
};

void TestPlDeviceUsb::channelNamesItsIdsAndSharesOneMutex()
{
    LogCapture log;
    const PlDeviceUsb first(0x3301, 0x04a1);
    const PlDeviceUsb second(0x0001, 0x0002);
    QCOMPARE(first.toString(), QStringLiteral("pid=0x3301 vid=0x04a1"));
    QVERIFY(first.isLocal());
    QCOMPARE(log.messages().size(), 2);
    QVERIFY(log.messages()[0].startsWith(QLatin1String("PlDeviceUsb::PlDeviceUsb: mtx=0x")));
    QCOMPARE(log.messages()[0], log.messages()[1]);
}

void TestPlDeviceUsb::printerIsFoundByIdsAmongBusesAndDevices()
{
    UsbSim sim;
    sim.addPrinter({.vendorId = 0x1111, .productId = kProduct, .status = "11111111"});
    sim.addPrinter({.vendorId = kVendor, .productId = 0x2222, .status = "22222222"});
    sim.addPrinter({.vendorId = kVendor,
                    .productId = kProduct,
                    .status = "wanted!!",
                    .bus = 2,
                    .device = 7});
    sim.addPrinter({.vendorId = 0x3333, .productId = 0x3333, .bus = 3});

    LogCapture log;
    PlDeviceUsb channel(kProduct, kVendor);
    int retCode = 0;
    const StatusBlock block = channel.requestStatus_withRepeat(&retCode);
    QCOMPARE(retCode, 8);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(block.data()), 8), QByteArray("wanted!!"));
    QVERIFY(log.containsMessage(
            QStringLiteral("PlDeviceUsb::initUSBChannel(): device= 0x00020007h (007)")));

    log.clear();
    PlDeviceUsb absent(0x4444, kVendor);
    absent.getJobList(&retCode);
    QCOMPARE(retCode, -1);
    QVERIFY(log.containsMessage(QStringLiteral("PlDeviceUsb::initUSBChannel():  device=NULL")));
    QVERIFY(log.containsMessage(kEp0Invalid));
}

// On each bus the first matching device counts; a match on a later bus replaces an earlier one.
void TestPlDeviceUsb::laterBusWinsOverEarlierBus()
{
    UsbSim sim;
    for (const auto &[bus, status] :
         {std::pair{1, "bus1dev2"}, {1, "bus1dev3"}, {2, "bus2dev2"}, {2, "bus2dev3"}})
        sim.addPrinter({.vendorId = kVendor, .productId = kProduct, .status = status, .bus = bus});

    PlDeviceUsb channel(kProduct, kVendor);
    const StatusBlock block = channel.requestStatus_withRepeat();
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(block.data()), 8), QByteArray("bus2dev2"));
}

void TestPlDeviceUsb::printerAddedAndRemovedBetweenRequests()
{
    UsbSim sim;
    PlDeviceUsb channel(kProduct, kVendor);
    LogCapture log;
    int retCode = 0;
    QVERIFY(channel.getJobList(&retCode).isEmpty());
    QCOMPARE(retCode, -1);

    const UsbSimDevice printer = addPrinter(sim);
    QCOMPARE(channel.getJobList(&retCode).size(), 15);
    QCOMPARE(retCode, 75);

    printer.unplug();
    log.clear();
    QVERIFY(channel.getJobList(&retCode).isEmpty());
    QCOMPARE(retCode, -1);
    QCOMPARE(log.countMessage(kEp0Invalid), 1);

    // Plugged in again it gets a new device number, as with the kernel.
    const UsbSimDevice again = addPrinter(sim);
    QVERIFY(again.deviceNumber() != printer.deviceNumber());
    QCOMPARE(channel.getJobList(&retCode).size(), 15);
    QCOMPARE(retCode, 75);
}

void TestPlDeviceUsb::statusBytesRoundTrip()
{
    UsbSim sim;
    const UsbSimDevice printer = addPrinter(sim);
    const QByteArray bytes = QByteArray::fromHex("0b00a2c364ff0032");
    printer.setStatus(bytes);

    PlDeviceUsb channel(kProduct, kVendor);
    LogCapture log;
    int retCode = 0;
    StatusBlock block = channel.requestStatus_withRepeat(&retCode);
    QCOMPARE(retCode, 8);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(block.data()), 8), bytes);
    QCOMPARE(block[8], 0);
    QCOMPARE(block[9], 0);
    QCOMPARE(block.statusId(), 0x00a2c3u);
    QCOMPARE(log.countMessage(QStringLiteral("PlDeviceUsb::requestStatus()")), 1);

    const QList<UsbSimRequest> requests = printer.requests(QStringLiteral("control"));
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].arguments,
             (QStringList{QStringLiteral("c1"), QStringLiteral("02"), QStringLiteral("0000"),
                          QStringLiteral("0000"), QStringLiteral("8")}));

    // A status replaced while nobody asks is the one the next request sees.
    printer.setStatus(QByteArray::fromHex("0100000164646464"));
    block = channel.requestStatus_withRepeat(&retCode);
    QCOMPARE(block.statusId(), 1u);
    QCOMPARE(block[7], 0x64);

    // A short reply leaves the missing bytes cleared.
    printer.setStatus(QByteArray::fromHex("05060708"));
    block = channel.requestStatus_withRepeat(&retCode);
    QCOMPARE(retCode, 4);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(block.data()), 8),
             QByteArray::fromHex("0506070800000000"));
}

void TestPlDeviceUsb::jobTableRoundTrip()
{
    UsbSim sim;
    const UsbSimDevice printer = addPrinter(sim);
    printer.setJobs(UsbSimDevice::jobTable({{1234, 1}, {-5, 8}, {0x7fffffff, 2}}));

    PlDeviceUsb channel(kProduct, kVendor);
    LogCapture log;
    int retCode = 0;
    const QList<Job> jobs = channel.getJobList(&retCode);
    QCOMPARE(retCode, 75);
    QCOMPARE(jobs.size(), 15);
    QCOMPARE(jobs[0], (Job{QStringLiteral("localhost"), QStringLiteral("1234"), 1}));
    QCOMPARE(jobs[1], (Job{QStringLiteral("localhost"), QStringLiteral("-5"), 8}));
    QCOMPARE(jobs[2], (Job{QStringLiteral("localhost"), QStringLiteral("2147483647"), 2}));
    for (int i = 3; i < 15; ++i)
        QCOMPARE(jobs[i], (Job{QStringLiteral("localhost"), QStringLiteral("0"), 0}));
    QVERIFY(log.containsMessage(QStringLiteral("PlDeviceUsb::getJobList()")));

    const QList<UsbSimRequest> requests = printer.requests(QStringLiteral("control"));
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].request(), 0x05);
    QCOMPARE(requests[0].arguments.last(), QStringLiteral("75"));

    // A failed request gives no entries at all.
    printer.setMode(UsbSimDevice::Stall);
    QVERIFY(channel.getJobList(&retCode).isEmpty());
    QCOMPARE(retCode, -EPIPE);
}

void TestPlDeviceUsb::documentIsReadInBlocks_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("retCode");
    QTest::addColumn<QList<int>>("blockLengths");

    const QByteArray plain = documentOf(600);
    QTest::newRow("600 bytes") << plain << QString::fromLatin1(plain) << 88
                               << QList<int>{256, 256, 88};
    QTest::newRow("one whole block")
            << plain.left(256) << QString::fromLatin1(plain.left(256)) << 256 << QList<int>{256};
    QByteArray withZero = plain.left(300);
    withZero[270] = '\0';
    // The text of a block ends at its first zero byte; the next block goes on.
    QTest::newRow("zero byte in the last block")
            << withZero << QString::fromLatin1(plain.left(270)) << 44 << QList<int>{256, 44};
    QByteArray latin1 = plain.left(10);
    latin1[3] = char(0xe9);
    QTest::newRow("Latin-1") << latin1 << QString::fromLatin1(latin1) << 10 << QList<int>{10};
    const QString declared
            = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><s>Bac à papier vide</s>");
    QTest::newRow("declared UTF-8") << declared.toUtf8() << declared << 63 << QList<int>{63};
    const QByteArray big = documentOf(int(PlDeviceUsb::kMaxDocumentSize));
    QTest::newRow("1 MiB, the largest accepted")
            << big << QString::fromLatin1(big) << 256 << QList<int>(4096, 256);
}

void TestPlDeviceUsb::documentIsReadInBlocks()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, text);
    QFETCH(int, retCode);
    QFETCH(QList<int>, blockLengths);

    UsbSim sim;
    const UsbSimDevice printer = addPrinter(sim);
    printer.setDocument(document);
    PlDeviceUsb channel(kProduct, kVendor);
    LogCapture log;
    int code = 0;
    QCOMPARE(channel.requestStatusXML(&code), text);
    QCOMPARE(code, retCode);

    const QList<UsbSimRequest> requests = controls(printer, 0x0d);
    QCOMPARE(requests.size(), 1 + blockLengths.size());
    QCOMPARE(requests[0].value(), 0);
    QCOMPARE(requests[0].arguments.last(), QStringLiteral("8"));
    for (int i = 0; i < blockLengths.size(); ++i) {
        QCOMPARE(requests[i + 1].value(), i + 1);
        QCOMPARE(requests[i + 1].arguments.last().toInt(), blockLengths[i]);
    }
    const QString size = QStringLiteral("%1").arg(document.size(), 8, 16, QLatin1Char('0'));
    QVERIFY(log.containsMessage(
            QStringLiteral("buffer size = %1 from response = ").arg(document.size())
            + QLatin1String("0000") + size + QLatin1String("0000")));
    QVERIFY(log.containsMessage(QStringLiteral("retCode: %1").arg(retCode)));
    QCOMPARE(log.countMessage(QStringLiteral("PlDeviceUsb::requestStatusXML()")), 1);
}

void TestPlDeviceUsb::unusableDocumentSizeIsRefused_data()
{
    QTest::addColumn<qint64>("announced");
    QTest::addColumn<QString>("fault"); // errno of the size request, or empty
    QTest::addColumn<QString>("message");

    QTest::newRow("size 0") << qint64(0) << QString() << "Error: request size returns size=0!!!";
    QTest::newRow("one byte over 1 MiB") << qint64(PlDeviceUsb::kMaxDocumentSize + 1) << QString()
                                         << "Error: request size returns size=1048577!!!";
    QTest::newRow("4 GiB") << qint64(0xffffffff) << QString()
                           << "Error: request size returns size=-1!!!";
    QTest::newRow("size request fails with -1")
            << qint64(600) << QString::number(EPERM) << "Error: request size returns -1!!!";
    QTest::newRow("size request fails otherwise")
            << qint64(600) << QString::number(EPIPE) << "Error: request size returns size=0!!!";
}

void TestPlDeviceUsb::unusableDocumentSizeIsRefused()
{
    QFETCH(qint64, announced);
    QFETCH(QString, fault);
    QFETCH(QString, message);

    UsbSim sim;
    const UsbSimDevice printer = addPrinter(sim);
    printer.setDocument(documentOf(600));
    printer.setAnnouncedDocumentSize(quint32(announced));
    if (!fault.isEmpty())
        printer.addFault(QStringLiteral("control"), QStringLiteral("0d:0000"), fault.toInt());

    PlDeviceUsb channel(kProduct, kVendor);
    LogCapture log;
    int retCode = 0;
    QVERIFY(channel.requestStatusXML(&retCode).isEmpty());
    QCOMPARE(retCode, -1);
    QCOMPARE(log.countMessage(message), 4);
    QCOMPARE(log.countMessage(QStringLiteral("retCode: -1!")), 4);
    QCOMPARE(log.countMessage(QStringLiteral(
                     "PlDeviceUsb::requestStatusXML() wrong return code: -1. Trying again...")),
             3);
    // No block is ever asked for.
    const QList<UsbSimRequest> requests = controls(printer, 0x0d);
    QCOMPARE(requests.size(), 4);
    QVERIFY(std::all_of(requests.begin(), requests.end(),
                        [](const UsbSimRequest &r) { return r.value() == 0; }));
}

void TestPlDeviceUsb::blockFailingMidwayRestartsTheDocument_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<bool>("recovers");
    QTest::newRow("once") << 1 << true;
    QTest::newRow("always") << -1 << false;
}

void TestPlDeviceUsb::blockFailingMidwayRestartsTheDocument()
{
    QFETCH(int, failures);
    QFETCH(bool, recovers);

    UsbSim sim;
    const UsbSimDevice printer = addPrinter(sim);
    const QByteArray document = documentOf(600);
    printer.setDocument(document);
    printer.addFault(QStringLiteral("control"), QStringLiteral("0d:0002"), EPIPE, failures);

    PlDeviceUsb channel(kProduct, kVendor);
    LogCapture log;
    int retCode = 0;
    const QString text = channel.requestStatusXML(&retCode);
    const int tries = recovers ? 2 : 4;
    QCOMPARE(text, recovers ? QString::fromLatin1(document) : QString());
    QCOMPARE(retCode, recovers ? 88 : -1);
    QCOMPARE(
            log.countMessage(QStringLiteral("Error: request block!!!\n\t{block count: 2; requested "
                                            "size: 256; result: -32}")),
            tries - (recovers ? 1 : 0));
    QCOMPARE(log.countMessage(QStringLiteral(
                     "PlDeviceUsb::requestStatusXML() wrong return code: -1. Trying again...")),
             tries - 1);

    // Each try starts again from the size request.
    const QList<UsbSimRequest> requests = controls(printer, 0x0d);
    const auto asked = [&requests](int block) {
        return std::count_if(requests.begin(), requests.end(),
                             [block](const UsbSimRequest &r) { return r.value() == block; });
    };
    QCOMPARE(asked(0), tries);
    QCOMPARE(asked(1), tries);
    QCOMPARE(asked(2), tries);
    QCOMPARE(asked(3), recovers ? 1 : 0);
}

void TestPlDeviceUsb::statusRetriesAreBounded_data()
{
    QTest::addColumn<int>("failures"); // failing status requests before one succeeds; -1: all
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("retCode");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("retryLines");
    QTest::addColumn<int>("repeatLines");

    QTest::newRow("first try") << 0 << int(UsbSimDevice::Normal) << 8 << 1 << 0 << 0;
    QTest::newRow("third try") << 2 << int(UsbSimDevice::Normal) << 8 << 3 << 2 << 0;
    QTest::newRow("after the pause") << 4 << int(UsbSimDevice::Normal) << 8 << 5 << 3 << 1;
    QTest::newRow("stalled") << -1 << int(UsbSimDevice::Stall) << -EPIPE << 8 << 6 << 1;
    QTest::newRow("timed out") << -1 << int(UsbSimDevice::TimeOut) << -ETIMEDOUT << 8 << 6 << 1;
}

void TestPlDeviceUsb::statusRetriesAreBounded()
{
    QFETCH(int, failures);
    QFETCH(int, mode);
    QFETCH(int, retCode);
    QFETCH(int, requests);
    QFETCH(int, retryLines);
    QFETCH(int, repeatLines);

    UsbSim sim;
    const UsbSimDevice printer = addPrinter(sim);
    printer.setStatus("statusok");
    printer.setMode(UsbSimDevice::Mode(mode));
    if (failures > 0)
        printer.addFault(QStringLiteral("control"), QStringLiteral("02:*"), EPIPE, failures);

    PlDeviceUsb channel(kProduct, kVendor);
    LogCapture log;
    int code = 0;
    const StatusBlock block = channel.requestStatus_withRepeat(&code);
    QCOMPARE(code, retCode);
    QCOMPARE(block.isEmpty(), retCode < 0);
    QCOMPARE(controls(printer, 0x02).size(), requests);

    const QStringList messages = log.messages();
    const int retries = int(
            messages
                    .filter(QRegularExpression(QStringLiteral(
                            R"(^PlDeviceUsb::requestStatus\(\) wrong return code: -\d+\. Trying again\.\.\.$)")))
                    .size());
    QCOMPARE(retries, retryLines);
    const int repeats = int(
            messages
                    .filter(QRegularExpression(QStringLiteral(
                            R"(^PlDeviceUsb::requestStatus_withRepeat\(\) wrong return code: -\d+\. Trying again\.\.\.$)")))
                    .size());
    QCOMPARE(repeats, repeatLines);
    if (failures < 0)
        QVERIFY(log.containsMessage(
                QStringLiteral("PlDeviceUsb::requestStatus_withRepeat() wrong return "
                               "code: %1. Trying again...")
                        .arg(retCode)));
}

void TestPlDeviceUsb::unpluggedPrinterFailsEveryOperation_data()
{
    QTest::addColumn<bool>("removed");
    QTest::newRow("device file refuses to open") << false;
    QTest::newRow("device file gone") << true;
}

void TestPlDeviceUsb::unpluggedPrinterFailsEveryOperation()
{
    QFETCH(bool, removed);

    UsbSim sim;
    const UsbSimDevice printer = addPrinter(sim);
    printer.setDocument(documentOf(600));
    if (removed)
        printer.unplug();
    else
        printer.setMode(UsbSimDevice::Unplugged);

    PlDeviceUsb channel(kProduct, kVendor);
    LogCapture log;
    int retCode = 0;
    QVERIFY(channel.requestStatus_withRepeat(&retCode).isEmpty());
    QCOMPARE(retCode, -1);
    QCOMPARE(log.countMessage(kEp0Invalid), 8);

    log.clear();
    QVERIFY(channel.getJobList(&retCode).isEmpty());
    QCOMPARE(retCode, -1);
    QCOMPARE(log.countMessage(kEp0Invalid), 1);

    log.clear();
    QVERIFY(channel.requestStatusXML(&retCode).isEmpty());
    QCOMPARE(retCode, -1);
    QCOMPARE(log.countMessage(kEp0Invalid), 4);

    QVERIFY(printer.requests(QStringLiteral("control")).isEmpty());
}

void TestPlDeviceUsb::deviceIdThroughPrinterNode_data()
{
    QTest::addColumn<int>("node");
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QString>("text");
    const QByteArray acme = "MFG:Acme;MDL:Laser 100;CLS:PRINTER;";
    QTest::newRow("/dev/usb/lpN") << int(UsbSimPrinter::UsbLpNode) << acme
                                  << QString::fromLatin1(acme);
    QTest::newRow("/dev/usblpN") << int(UsbSimPrinter::OldLpNode) << acme
                                 << QString::fromLatin1(acme);
    QTest::newRow("empty") << int(UsbSimPrinter::UsbLpNode) << QByteArray() << QString();
    // The ioctl fills 1024 bytes, two of which carry the length.
    const QByteArray longId = "MFG:Acme;MDL:" + QByteArray(2000, 'x') + ';';
    QTest::newRow("longer than the buffer")
            << int(UsbSimPrinter::UsbLpNode) << longId << QString::fromLatin1(longId.left(1022));
}

void TestPlDeviceUsb::deviceIdThroughPrinterNode()
{
    QFETCH(int, node);
    QFETCH(QByteArray, id);
    QFETCH(QString, text);

    UsbSim sim;
    const UsbSimDevice printer
            = sim.addPrinter({.deviceId = id, .lpNode = UsbSimPrinter::Node(node)});
    QVERIFY(printer.lpPath().startsWith(node == UsbSimPrinter::UsbLpNode ? "/dev/usb/lp"
                                                                         : "/dev/usblp"));
    LogCapture log;
    int retCode = -5;
    QCOMPARE(PlDeviceUsb::requestDescription(printer.lpPath(), &retCode), text);
    QCOMPARE(retCode, 0);
    QCOMPARE(log.messages(),
             (QStringList{QStringLiteral("PlDeviceUsb::requestDescription"),
                          QStringLiteral("ioctl:")}));
    const QList<UsbSimRequest> requests = printer.requests(QStringLiteral("deviceid"));
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].arguments, QStringList{QStringLiteral("1024")});
}

void TestPlDeviceUsb::busyPrinterNodeIsNotRetried()
{
    UsbSim sim;
    const UsbSimDevice printer = addPrinter(sim);
    printer.setMode(UsbSimDevice::Busy);
    LogCapture log;
    int retCode = 0;
    QVERIFY(PlDeviceUsb::requestDescription(printer.lpPath(), &retCode).isEmpty());
    QCOMPARE(retCode, 1);
    QCOMPARE(log.messages(),
             (QStringList{QStringLiteral("PlDeviceUsb::requestDescription"),
                          QStringLiteral("cannot open device <%1>\n\t\tReason: Device or "
                                         "resource busy")
                                  .arg(printer.lpPath())}));
    QCOMPARE(printer.requests(QStringLiteral("openlp")).size(), 1);
    QVERIFY(printer.requests(QStringLiteral("deviceid")).isEmpty());
}

void TestPlDeviceUsb::unreadableDeviceIdIsRetried()
{
    UsbSim sim;
    const UsbSimDevice printer = addPrinter(sim);
    const QString retryLine = QStringLiteral(
            "PlDeviceUsb::requestDescription() wrong return code: -1. Trying again...");

    LogCapture log;
    int retCode = 0;
    QVERIFY(PlDeviceUsb::requestDescription(QStringLiteral("/dev/usb/lp9"), &retCode).isEmpty());
    QCOMPARE(retCode, -1);
    QCOMPARE(log.countMessage(retryLine), 3);
    QCOMPARE(log.countMessage(QStringLiteral(
                     "cannot open device </dev/usb/lp9>\n\t\tReason: No such file or directory")),
             4);

    log.clear();
    printer.addFault(QStringLiteral("deviceid"), QStringLiteral("*"), EIO, 2);
    QCOMPARE(PlDeviceUsb::requestDescription(printer.lpPath(), &retCode),
             QStringLiteral("MFG:Acme;MDL:Laser 100;CLS:PRINTER;"));
    QCOMPARE(retCode, 0);
    QCOMPARE(log.countMessage(retryLine), 2);
    QCOMPARE(log.messages()
                     .filter(QRegularExpression(QStringLiteral(
                             R"(^ioctl\(\d+\) failed: retCode=-1 \(Input/output error\)$)")))
                     .size(),
             2);
    QCOMPARE(printer.requests(QStringLiteral("deviceid")).size(), 3);
}

// Each operation (scan, open, transfers, close) runs whole before another thread's begins.
void TestPlDeviceUsb::twoThreadsAreSerialized()
{
    UsbSim sim;
    const UsbSimDevice printer = addPrinter(sim);
    printer.setDocument(documentOf(600));
    printer.setMode(UsbSimDevice::Slow, 2);

    LogCapture log;
    const auto poll = [](int rounds, bool withDocument) {
        PlDeviceUsb channel(kProduct, kVendor);
        for (int i = 0; i < rounds; ++i) {
            channel.requestStatus_withRepeat();
            channel.getJobList();
            if (withDocument && i == 0)
                channel.requestStatusXML();
            PlDeviceUsb::requestDescription(QStringLiteral("/dev/usb/lp0"));
        }
    };
    std::unique_ptr<QThread> worker(QThread::create(poll, 8, false));
    std::unique_ptr<QThread> enumerator(QThread::create(poll, 8, true));
    worker->start();
    enumerator->start();
    QVERIFY(worker->wait(60000));
    QVERIFY(enumerator->wait(60000));

    QList<UsbSimRequest> requests = printer.requests();
    std::sort(requests.begin(), requests.end(),
              [](const UsbSimRequest &a, const UsbSimRequest &b) { return a.startNs < b.startNs; });
    QCOMPARE(printer.requests(QStringLiteral("deviceid")).size(), 16);
    QCOMPARE(controls(printer, 0x02).size(), 16);
    QSet<qint64> threads;
    int switches = 0;
    for (int i = 1; i < requests.size(); ++i) {
        const UsbSimRequest &before = requests[i - 1];
        const UsbSimRequest &after = requests[i];
        QVERIFY(before.endNs <= after.startNs);
        threads.insert(after.thread);
        if (before.thread == after.thread)
            continue;
        ++switches;
        // Another thread may only come in where one operation ended and the next begins.
        const QString where = QStringLiteral("%1 %2 then %3 %4")
                                      .arg(before.kind, before.arguments.join(QLatin1Char(' ')),
                                           after.kind, after.arguments.join(QLatin1Char(' ')));
        QVERIFY2(before.kind == QLatin1String("control")
                         || before.kind == QLatin1String("deviceid"),
                 qPrintable(where));
        QVERIFY2(after.kind.startsWith(QLatin1String("open")), qPrintable(where));
    }
    QCOMPARE(threads.size(), 2);
    QVERIFY(switches > 0);
}

// The one-second pause of requestStatus_withRepeat lies between two locked sequences, so another
// thread's request gets through meanwhile.
void TestPlDeviceUsb::pauseBetweenStatusSequencesReleasesTheLock()
{
    UsbSim sim;
    const UsbSimDevice failing = addPrinter(sim);
    failing.setMode(UsbSimDevice::Stall);
    const UsbSimDevice other = sim.addPrinter({.vendorId = 0x1234, .productId = 0x5678});

    LogCapture log;
    std::unique_ptr<QThread> poller(QThread::create([] {
        PlDeviceUsb channel(kProduct, kVendor);
        channel.requestStatus_withRepeat();
    }));
    poller->start();
    QTRY_VERIFY_WITH_TIMEOUT(
            log.containsMessage(QStringLiteral("PlDeviceUsb::requestStatus_withRepeat() "
                                               "wrong return code: -32. Trying "
                                               "again...")),
            10000);
    PlDeviceUsb channel(0x5678, 0x1234);
    int retCode = 0;
    channel.getJobList(&retCode);
    QCOMPARE(retCode, 75);
    QVERIFY(poller->wait(10000));

    const QList<UsbSimRequest> stalled = controls(failing, 0x02);
    const QList<UsbSimRequest> jobs = controls(other, 0x05);
    QCOMPARE(stalled.size(), 8);
    QCOMPARE(jobs.size(), 1);
    QVERIFY(jobs[0].startNs > stalled[3].endNs);
    QVERIFY(jobs[0].endNs < stalled[4].startNs);
}

// A slow printer holds the USB layer no longer than the document read's deadline, and another
// thread's request is served then; a block shorter than asked for ends the read at once.
void TestPlDeviceUsb::slowDocumentReadGivesUpAtItsDeadline()
{
    UsbSim sim;
    const UsbSimDevice printer = addPrinter(sim);
    printer.setDocument(documentOf(64 * 1024));
    printer.setMode(UsbSimDevice::Slow, 50);

    LogCapture log;
    int documentCode = 0;
    QString document = QStringLiteral("unread");
    std::unique_ptr<QThread> reader(QThread::create([&document, &documentCode] {
        PlDeviceUsb channel(kProduct, kVendor);
        document = channel.requestStatusXML(&documentCode);
    }));
    reader->start();
    QTRY_VERIFY(controls(printer, 0x0d).size() > 1);
    PlDeviceUsb channel(kProduct, kVendor);
    int retCode = 0;
    channel.requestStatus_withRepeat(&retCode);
    QCOMPARE(retCode, 8);
    QVERIFY(reader->wait(30000));
    QVERIFY(document.isEmpty());
    QCOMPARE(documentCode, -1);
    QCOMPARE(log.countMessage(QStringLiteral(
                     "PlDeviceUsb::requestStatusXML(): no document within 10000 ms, giving up")),
             1);
    const QList<UsbSimRequest> blocks = controls(printer, 0x0d);
    const QList<UsbSimRequest> status = controls(printer, 0x02);
    QCOMPARE(status.size(), 1);
    QVERIFY(status[0].startNs > blocks.last().endNs);
    // Only a guard against hanging: the whole read alone takes 13 s.
    QVERIFY(status[0].startNs - blocks.first().startNs < 11000000000LL);

    printer.setMode(UsbSimDevice::Normal);
    printer.setDocument(documentOf(600));
    printer.setAnnouncedDocumentSize(700);
    printer.clearRequests();
    QVERIFY(channel.requestStatusXML(&retCode).isEmpty());
    QCOMPARE(retCode, -1);
    QCOMPARE(controls(printer, 0x0d).size(), 4);
}

// Polls go to where the printer was found; no other device is opened for control or asked
// anything, and the devices are read again only when the printer is not there any more.
void TestPlDeviceUsb::pollsGoStraightToThePrinter()
{
    UsbSim sim;
    sim.addPrinter({.vendorId = 0x1111, .productId = 0x2222});
    const UsbSimDevice printer = addPrinter(sim);
    sim.addPrinter({.vendorId = 0x3333, .productId = 0x4444, .bus = 2});

    PlDeviceUsb channel(kProduct, kVendor);
    int retCode = 0;
    for (int i = 0; i < 5; ++i) {
        channel.requestStatus_withRepeat(&retCode);
        QCOMPARE(retCode, 8);
        channel.getJobList(&retCode);
        QCOMPARE(retCode, 75);
    }
    QCOMPARE(opened(printer, QStringLiteral("rw")), 10);
    for (const UsbSimDevice &device : sim.devices()) {
        if (device.path() == printer.path())
            continue;
        QCOMPARE(opened(device, QStringLiteral("rw")), 0);
        QCOMPARE(opened(device, QStringLiteral("ro")), 1);
        const QList<UsbSimRequest> requests = device.requests();
        QVERIFY(std::all_of(requests.begin(), requests.end(), [](const UsbSimRequest &r) {
            return r.kind == QLatin1String("open");
        }));
    }

    printer.unplug();
    const UsbSimDevice moved = addPrinter(sim, 2);
    channel.getJobList(&retCode);
    QCOMPARE(retCode, 75);
    QCOMPARE(opened(moved, QStringLiteral("rw")), 1);
}

// A path that is no device, such as a FIFO, fails at once instead of waiting for a writer.
void TestPlDeviceUsb::pathThatIsNoDeviceFailsAtOnce()
{
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.path()) + "/lp0";
    QCOMPARE(mkfifo(fifo.constData(), 0600), 0);

    LogCapture log;
    int retCode = 0;
    QString id = QStringLiteral("unread");
    std::unique_ptr<QThread> reader(QThread::create([&fifo, &id, &retCode] {
        id = PlDeviceUsb::requestDescription(QFile::decodeName(fifo), &retCode);
    }));
    reader->start();
    const bool returned = reader->wait(5000);
    if (!returned) {
        // A writer frees the blocked reader, so that the test can end.
        const int writer = ::open(fifo.constData(), O_RDWR | O_NONBLOCK);
        reader->wait();
        ::close(writer);
    }
    QVERIFY(returned);
    QVERIFY(id.isEmpty());
    QCOMPARE(retCode, -1);
    QCOMPARE(log.countMessage(QStringLiteral("cannot open device <%1>\n\t\tReason: not a "
                                             "character device")
                                      .arg(QFile::decodeName(fifo))),
             1);
}

QTEST_GUILESS_MAIN(TestPlDeviceUsb)
#include "tst_pldeviceusb.moc"
