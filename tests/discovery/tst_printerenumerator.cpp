// The printer enumerator against a CUPS server of the test's own and simulated USB and network
// printers, from a staged installation (help folders and capabilities decide which models count).
#include "acquisition/pldevice.h"
#include "acquisition/worker.h"
#include "acquisition/workerevents.h"
#include "cups/cups.h"
#include "discovery/printerenumerator.h"
#include "simulatednetworkprinter.h"
#include "tests/tools/eventrecorder.h"
#include "tests/tools/logcapture.h"
#include "tests/tools/privatecupsserver.h"
#include "tests/tools/quillonprinter.h"
#include "tests/tools/testfiles.h"
#include "tests/tools/testprocess.h"
#include "usbsim.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QThread>

namespace {

const QString kModel = QStringLiteral("Quillon C400 Series");
const quint16 kVendor = 0xf1e0;

QString projectPpd()
{
    return QStringLiteral(PELLAR_SOURCE_DIR "/tests/data/ppd/tessival_quillon_c400.ppd");
}

} // namespace

class TestPrinterEnumerator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void destinationPath_data();
    void destinationPath();
    void usbQueueJoinsItsPrinterByModel();
    void ppdComesFromTheServerForAUserWhoCannotReadItsFolder();
    void sameModelTwiceDeviceIdAndPreviousListDecide();
    void networkQueueKeptOrLeftToCupsByCapabilities();
    void answeringNetworkPrinterIsDescribedAndPolled();
    void stopLeavesTheRemainingNetworkPrintersUnasked();
    void failedFetchKeepsTheLastDescription();
    void silentPrinterDoesNotHoldUpTheList();
    void cupsRestartKeepsTheList();
    void queuesOfOtherMakesAreFollowedThroughCups();
    void everyPassPublishesAndEmptyWithoutCups();
    void localStatusDescriptionOpensNoUsbDevice();
    void threadPublishesAtOnceAndStopsPromptly();

private:
    PrinterDesc published(PrinterEnumerator &enumerator, const QString &queue);

    std::unique_ptr<StagedInstallation> m_install;
    PrivateCupsServer m_server;
    QStringList m_queues;
};

void TestPrinterEnumerator::initTestCase()
{
    m_install = std::make_unique<StagedInstallation>();
    QVERIFY(m_install->isValid());
    // Started from elsewhere (through PATH, say): help folders and capabilities are still found
    // from the installation's bin directory, which the enumerator is given.
    QVERIFY(QDir::setCurrent(m_install->root()));
    QVERIFY(m_server.start());
    qputenv("CUPS_SERVER", QFile::encodeName(m_server.socketPath()));
    CUPS::setPpdDirectory(m_server.ppdDirectory());
}

void TestPrinterEnumerator::init()
{
    CUPS::setLibraryNames({});
}

void TestPrinterEnumerator::cleanup()
{
    for (const QString &queue : std::as_const(m_queues))
        m_server.removeQueue(queue);
    m_queues.clear();
}

PrinterDesc TestPrinterEnumerator::published(PrinterEnumerator &enumerator, const QString &queue)
{
    return enumerator.printers().value(qint32(PrinterDesc::uniqueKeyForQueue(queue)));
}

void TestPrinterEnumerator::destinationPath_data()
{
    QTest::addColumn<QString>("uri");
    QTest::addColumn<QString>("path");
    QTest::newRow("mfp5 without lp nodes") << "mfp:/dev/mfp5"
                                           << "/dev/usblp1";
    QTest::newRow("mfp2 unchanged") << "mfp:/dev/mfp2"
                                    << "mfp:/dev/mfp2";
    QTest::newRow("mfp9 unchanged") << "mfp:/dev/mfp9"
                                    << "mfp:/dev/mfp9";
    QTest::newRow("usb keeps the rest") << "usb://Tessival/Quillon%20C400?serial=7"
                                        << "//Tessival/Quillon%20C400?serial=7";
    QTest::newRow("IPv6 with brackets") << "socket://[fe80::1]:9100"
                                        << "[fe80::1]";
    QTest::newRow("IPv4") << "ipp://192.168.0.5:631/ipp"
                          << "192.168.0.5";
    QTest::newRow("host name") << "lpd://printhost/queue"
                               << "printhost";
    QTest::newRow("dotted host name") << "socket://print-1.example.org:9100"
                                      << "print-1.example.org";
    QTest::newRow("nothing to find") << "socket://"
                                     << "//";
    QTest::newRow("user-info is no host") << "ipp://queueuser@printhost/ipp"
                                          << "printhost";
    const QString digits(3000, QLatin1Char('7'));
    QTest::newRow("3000 digits") << "socket://" + digits + ":9100"
                                 << "//" + digits + ":9100";
}

void TestPrinterEnumerator::destinationPath()
{
    QFETCH(QString, uri);
    QFETCH(QString, path);
    LogCapture log;
    QString found;
    std::unique_ptr<QThread> search(
            QThread::create([&] { found = PrinterEnumerator::getDestinationPath(uri); }));
    search->start();
    // A hang guard, not a timing target: a long digit run once took minutes.
    QVERIFY(search->wait(10000));
    QCOMPARE(found, path);
    // The log cuts a line at 2 KiB.
    if (!uri.startsWith("mfp") && path.size() < 1000)
        QVERIFY(log.containsMessage("PrinterEnumerator::getDestinationPath: destPath=<" + path
                                    + ">"));
}

void TestPrinterEnumerator::usbQueueJoinsItsPrinterByModel()
{
    UsbSim usb;
    usb.addPrinter(quillonPrinter(0x0100));
    const QString queue = QStringLiteral("pellar_usb");
    QVERIFY(m_server.addQueue(queue, "usb://Tessival/Quillon%20C400%20Series?serial=SIM0001",
                              projectPpd()));
    m_queues << queue;

    EventRecorder recorder;
    PrinterEnumerator enumerator(&recorder, false, m_install->binDir());
    enumerator.enumeratePrinters();
    QVERIFY(recorder.waitFor(
            [&] { return recorder.count(PrinterEnumerator::kPrintersChangedEvent) == 1; }));

    const PrinterDesc printer = published(enumerator, queue);
    QCOMPARE(enumerator.printers().size(), 1);
    QCOMPARE(printer.product, kModel.toLatin1());
    QCOMPARE(printer.manufacturer, QByteArray("Tessival"));
    QCOMPARE(printer.productId, quint16(0x0100));
    QCOMPARE(printer.vendorId, kVendor);
    QCOMPARE(printer.uniqueKey, PrinterDesc::uniqueKeyForQueue(queue));
    QVERIFY(printer.isLocal);
    QCOMPARE(printer.softName, QStringList{queue});
    QCOMPARE(printer.devPath, QStringLiteral("//Tessival/Quillon%20C400%20Series?serial=SIM0001"));
    // The printer's own status description came with it, and its capabilities.
    QVERIFY(printer.statusXml.contains("StatusMonitorInfo"));
    QVERIFY(printer.hasTunex);
    QVERIFY(!printer.extJobTable);
}

void TestPrinterEnumerator::ppdComesFromTheServerForAUserWhoCannotReadItsFolder()
{
    // As outside the server's group: its PPD folder shows nothing.
    QTemporaryDir unreadable;
    QTemporaryDir temporary;
    CUPS::setPpdDirectory(unreadable.path());
    const QByteArray savedTemporary = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temporary.path()));
    const QString queue = QStringLiteral("pellar_ppd_from_server");
    const bool added = m_server.addQueue(
            queue, "usb://Tessival/Quillon%20C400%20Series?serial=SIM0009", projectPpd());
    m_queues << queue;

    EventRecorder recorder;
    PrinterEnumerator enumerator(&recorder, true, m_install->binDir());
    enumerator.enumeratePrinters();
    enumerator.enumeratePrinters();
    const PrinterDesc printer = published(enumerator, queue);
    const QStringList copies
            = QDir(temporary.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    CUPS::setPpdDirectory(m_server.ppdDirectory());
    if (savedTemporary.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTemporary);
    QVERIFY(added);
    QCOMPARE(printer.product, kModel.toLatin1());
    QCOMPARE(printer.manufacturer, QByteArray("Tessival"));
    // Asked for once; the library's copies are gone.
    const QByteArray fetch = "GET /printers/" + queue.toLatin1() + ".ppd HTTP/1.1\"";
    QCOMPARE(readFile(m_server.accessLog()).count(fetch), 1);
    QVERIFY2(copies.isEmpty(), qPrintable(copies.join(' ')));
}

void TestPrinterEnumerator::sameModelTwiceDeviceIdAndPreviousListDecide()
{
    UsbSim usb;
    // Plugged first, this one gets /dev/usb/lp0.
    UsbSimDevice second = usb.addPrinter(quillonPrinter(0x0101));
    const QString queue = QStringLiteral("pellar_mfp");
    // mfp5 is /dev/usb/lp1, the device file of the printer plugged next.
    QVERIFY(m_server.addQueue(queue, "mfp:/dev/mfp5", projectPpd()));
    m_queues << queue;

    EventRecorder recorder;
    PrinterEnumerator enumerator(&recorder, true, m_install->binDir());
    enumerator.enumeratePrinters();
    QCOMPARE(published(enumerator, queue).productId, quint16(0x0101));

    // The first printer in key order is tried first; its device file names another model, and
    // the queue was with the other printer before: it stays there.
    UsbSimDevice first
            = usb.addPrinter(quillonPrinter(0x0100, "MFG:Tessival;MDL:Other 9000;CLS:PRINTER;"));
    QCOMPARE(first.lpPath(), QStringLiteral("/dev/usb/lp1"));
    enumerator.enumeratePrinters();
    QCOMPARE(published(enumerator, queue).productId, quint16(0x0101));

    // The previous printer is gone and the device id still names another model: no device.
    second.unplug();
    usb.addPrinter(quillonPrinter(0x0102));
    enumerator.enumeratePrinters();
    QCOMPARE(published(enumerator, queue).productId, quint16(0));
    QCOMPARE(published(enumerator, queue).vendorId, PrinterDesc::nameChecksum(queue));

    // With a matching device id the first printer that passed is used.
    first.setDeviceId("MFG:Tessival;MDL:Quillon C400;CLS:PRINTER;");
    enumerator.enumeratePrinters();
    QCOMPARE(published(enumerator, queue).productId, quint16(0x0100));
    QVERIFY(first.requests("deviceid").size() >= 3);
}

void TestPrinterEnumerator::networkQueueKeptOrLeftToCupsByCapabilities()
{
    const QString queue = QStringLiteral("pellar_net");
    QVERIFY(m_server.addQueue(queue, "socket://127.0.0.2:9100", projectPpd()));
    m_queues << queue;
    EventRecorder recorder;
    {
        PrinterEnumerator enumerator(&recorder, true, m_install->binDir());
        enumerator.enumeratePrinters();
        const PrinterDesc printer = published(enumerator, queue);
        QCOMPARE(printer.product, kModel.toLatin1());
        QVERIFY(!printer.isLocal);
        QCOMPARE(printer.devPath, QStringLiteral("127.0.0.2"));
        QCOMPARE(printer.productId, quint16(0));
        QCOMPARE(printer.vendorId, PrinterDesc::nameChecksum(queue));
    }

    const QString capabilities = m_install->binDir() + "/capabilities.xml";
    const QByteArray saved = readFile(capabilities);
    QVERIFY(writeFile(
            capabilities,
            "<root><Devices><D NAME=\"Quillon C400 Series\" NETWORK=\"no\"/></Devices></root>"));
    {
        PrinterEnumerator enumerator(&recorder, true, m_install->binDir());
        enumerator.enumeratePrinters();
        // Left to CUPS alone.
        QVERIFY(published(enumerator, queue).generic);
    }
    QVERIFY(writeFile(capabilities, saved));
}

void TestPrinterEnumerator::answeringNetworkPrinterIsDescribedAndPolled()
{
    SimulatedNetworkPrinter printer;
    QVERIFY(printer.isValid());
    printer.setDeviceId("MFG:Tessival;MDL:Quillon C400;CLS:PRINTER;");
    printer.setDocument(readFile(QStringLiteral(PELLAR_SOURCE_DIR "/bin/sm.xml")));
    printer.setStatus(QByteArray::fromHex("0101000064646464"));
    // This machine's printing job, another host's pending one.
    printer.setJobs({{"127.0.0.1", 21, Job::Printing}, {"10.1.2.3", 22, Job::Pending}});
    const QString queue = QStringLiteral("pellar_netsim");
    QVERIFY(m_server.addQueue(queue, printer.uri(), projectPpd()));
    m_queues << queue;

    EventRecorder recorder([](const QEvent *event) -> QEvent * {
        if (event->type() == PrinterStatusChangedEvent::kType)
            return new PrinterStatusChangedEvent(
                    static_cast<const PrinterStatusChangedEvent *>(event)->status());
        return new QEvent(event->type());
    });
    PrinterEnumerator enumerator(&recorder, true, m_install->binDir());
    enumerator.enumeratePrinters();
    const PrinterDesc desc = published(enumerator, queue);
    QVERIFY(!desc.isLocal);
    QCOMPARE(desc.devPath, printer.devPath());
    QVERIFY(desc.statusXml.contains("StatusMonitorInfo"));
    QVERIFY(desc.hasTunex);
    QVERIFY(!desc.extJobTable);

    const std::unique_ptr<PlDevice> channel = desc.device();
    Worker worker(&recorder);
    worker.setDevice(channel.get());
    worker.checkStatus();
    worker.setDevice(nullptr);
    QVERIFY(recorder.waitFor(
            [&] { return recorder.count(PrinterStatusChangedEvent::kType) == 1; }));
    for (const auto &record : recorder.records()) {
        if (record.type != PrinterStatusChangedEvent::kType)
            continue;
        const StatusBlock block
                = static_cast<PrinterStatusChangedEvent *>(record.copy.get())->status();
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(block.data()), StatusBlock::kSize),
                 QByteArray::fromHex("01010000646464640405"));
    }
}

void TestPrinterEnumerator::stopLeavesTheRemainingNetworkPrintersUnasked()
{
    SimulatedNetworkPrinter printer;
    QVERIFY(printer.isValid());
    printer.setMode(SimulatedNetworkPrinter::AgentStopped);
    for (const QString &queue :
         {QStringLiteral("pellar_silent1"), QStringLiteral("pellar_silent2")}) {
        QVERIFY(m_server.addQueue(queue, printer.uri(), projectPpd()));
        m_queues << queue;
    }
    LogCapture log;
    EventRecorder recorder;
    PrinterEnumerator enumerator(&recorder, true, m_install->binDir());
    enumerator.start();
    const QString asked = "PlDeviceNw::updatePrinterInfo() for " + printer.devPath();
    QVERIFY(recorder.waitFor([&] { return log.containsMessage(asked); }));
    QElapsedTimer stopping;
    stopping.start();
    enumerator.stop();
    QVERIFY(enumerator.wait(15000));
    // The ask under way gives up too: the program's exit does not wait for its retries.
    QVERIFY2(stopping.elapsed() < 1000, qPrintable(QString::number(stopping.elapsed())));
    QCOMPARE(log.countMessage(asked), 1);
    QVERIFY(log.containsMessage("PrinterEnumerator: stopping, the printer is not asked"));
}

void TestPrinterEnumerator::failedFetchKeepsTheLastDescription()
{
    SimulatedNetworkPrinter printer;
    QVERIFY(printer.isValid());
    printer.setDeviceId("MFG:Tessival;MDL:Quillon C400;CLS:PRINTER;");
    printer.setDocument(readFile(QStringLiteral(PELLAR_SOURCE_DIR "/bin/sm.xml")));
    const QString queue = QStringLiteral("pellar_flaky");
    QVERIFY(m_server.addQueue(queue, printer.uri(), projectPpd()));
    m_queues << queue;

    EventRecorder recorder;
    PrinterEnumerator enumerator(&recorder, true, m_install->binDir());
    enumerator.enumeratePrinters();
    QVERIFY(published(enumerator, queue).statusXml.contains("StatusMonitorInfo"));
    for (const auto mode :
         {SimulatedNetworkPrinter::CloseEarly, SimulatedNetworkPrinter::InvalidStatusLine,
          SimulatedNetworkPrinter::HugeBody}) {
        printer.setMode(mode);
        enumerator.enumeratePrinters();
        const PrinterDesc desc = published(enumerator, queue);
        QVERIFY2(desc.statusXml.contains("StatusMonitorInfo"), qPrintable(QString::number(mode)));
        QVERIFY(desc.hasTunex);
    }
}

void TestPrinterEnumerator::silentPrinterDoesNotHoldUpTheList()
{
    SimulatedNetworkPrinter silent;
    SimulatedNetworkPrinter answering;
    QVERIFY(silent.isValid() && answering.isValid());
    silent.setMode(SimulatedNetworkPrinter::AgentStopped);
    answering.setDeviceId("MFG:Tessival;MDL:Quillon C400;CLS:PRINTER;");
    answering.setDocument(readFile(QStringLiteral(PELLAR_SOURCE_DIR "/bin/sm.xml")));
    const QString queue = QStringLiteral("pellar_answers");
    QVERIFY(m_server.addQueue(QStringLiteral("pellar_silent"), silent.uri(), projectPpd()));
    QVERIFY(m_server.addQueue(queue, answering.uri(), projectPpd()));
    m_queues << QStringLiteral("pellar_silent") << queue;

    LogCapture log;
    EventRecorder recorder;
    PrinterEnumerator enumerator(&recorder, true, m_install->binDir());
    enumerator.enumeratePrinters();
    QVERIFY(published(enumerator, queue).statusXml.contains("StatusMonitorInfo"));
    // The answering printer is asked and its list goes out before the silent one is asked in
    // full, whatever the order of the queues.
    const QString silentAsked = "PlDeviceNw::updatePrinterInfo() for " + silent.devPath();
    QVERIFY(recorder.waitFor([&] { return log.containsMessage(silentAsked); }));
    const QStringList messages = log.messages();
    const qsizetype answeringAsked
            = messages.indexOf("PlDeviceNw::updatePrinterInfo() for " + answering.devPath());
    QVERIFY(answeringAsked >= 0);
    const qsizetype listed
            = messages.indexOf(QStringLiteral("PrinterEnumerator::setPrinters"), answeringAsked);
    QVERIFY2(listed >= 0 && listed < messages.indexOf(silentAsked), qPrintable(log.text()));
}

void TestPrinterEnumerator::cupsRestartKeepsTheList()
{
    const QString queue = QStringLiteral("pellar_kept");
    QVERIFY(m_server.addQueue(queue, "usb://Tessival/Quillon%20C400%20Series?serial=SIM0001",
                              projectPpd()));
    m_queues << queue;
    EventRecorder recorder;
    PrinterEnumerator enumerator(&recorder, true, m_install->binDir());
    enumerator.enumeratePrinters();
    QVERIFY(enumerator.printers().contains(qint32(PrinterDesc::uniqueKeyForQueue(queue))));

    LogCapture log;
    m_server.stop();
    enumerator.enumeratePrinters();
    enumerator.enumeratePrinters();
    const bool kept = enumerator.printers().contains(qint32(PrinterDesc::uniqueKeyForQueue(queue)));
    QVERIFY(m_server.start());
    QVERIFY(kept);
    QCOMPARE(log.countMessage(QStringLiteral("Unable to connect to server")), 1);
}

void TestPrinterEnumerator::queuesOfOtherMakesAreFollowedThroughCups()
{
    QTemporaryDir dir;
    const QString otherPpd = dir.path() + "/other.ppd";
    QByteArray ppd = readFile(projectPpd());
    ppd.replace("Quillon C400 Series", "Loris 9000");
    QVERIFY(writeFile(otherPpd, ppd));
    const QString queue = QStringLiteral("pellar_other");
    const QString raw = QStringLiteral("pellar_raw");
    const QString file = QStringLiteral("pellar_ipp");
    QVERIFY(m_server.addQueue(queue, "socket://127.0.0.3:9100", otherPpd));
    QVERIFY(m_server.addQueue(raw, "socket://127.0.0.4:9100"));
    m_queues << queue << raw;

    UsbSim usb;
    UsbSimPrinter other = quillonPrinter(0x0200);
    other.product = "Loris_9000";
    usb.addPrinter(other);

    LogCapture log;
    EventRecorder recorder;
    PrinterEnumerator enumerator(&recorder, true, m_install->binDir());
    enumerator.enumeratePrinters();
    QVERIFY(log.containsMessage("Model <Loris 9000> is unsupported"));
    QCOMPARE(log.countMessage("Model <Loris 9000> is unsupported"), 2);
    // Both queues are followed through CUPS; the USB printer without a queue is not listed.
    const PrinterMap printers = enumerator.printers();
    QCOMPARE(printers.size(), 2);
    for (const QString &name : {queue, raw}) {
        const PrinterDesc printer = printers.value(qint32(PrinterDesc::uniqueKeyForQueue(name)));
        QCOMPARE(printer.softName, QStringList(name));
        QVERIFY(printer.generic && !printer.isLocal);
    }
    QVERIFY(enumerator.otherQueues().isEmpty());
    QCOMPARE(enumerator.families(), QStringList({"Quillon C400 Series"}));
}

void TestPrinterEnumerator::everyPassPublishesAndEmptyWithoutCups()
{
    const QString queue = QStringLiteral("pellar_same");
    QVERIFY(m_server.addQueue(queue, "socket://127.0.0.2:9100", projectPpd()));
    m_queues << queue;
    EventRecorder recorder;
    PrinterEnumerator enumerator(&recorder, true, m_install->binDir());
    enumerator.enumeratePrinters();
    const PrinterMap first = enumerator.printers();
    enumerator.enumeratePrinters();
    QVERIFY(recorder.waitFor(
            [&] { return recorder.count(PrinterEnumerator::kPrintersChangedEvent) == 2; }));
    QCOMPARE(enumerator.printers().keys(), first.keys());

    // Without CUPS no printer is published, not even the USB ones; the event still comes.
    UsbSim usb;
    usb.addPrinter(quillonPrinter(0x0100));
    CUPS::setLibraryNames({QStringLiteral("libpellar-no-such-cups.so")});
    enumerator.enumeratePrinters();
    QVERIFY(recorder.waitFor(
            [&] { return recorder.count(PrinterEnumerator::kPrintersChangedEvent) == 3; }));
    QVERIFY(enumerator.printers().isEmpty());
}

void TestPrinterEnumerator::localStatusDescriptionOpensNoUsbDevice()
{
    UsbSim usb;
    UsbSimDevice printer = usb.addPrinter(quillonPrinter(0x0100));
    const QString queue = QStringLiteral("pellar_local");
    QVERIFY(m_server.addQueue(queue, "usb://Tessival/Quillon%20C400%20Series?serial=SIM0001",
                              projectPpd()));
    m_queues << queue;
    EventRecorder recorder;
    PrinterEnumerator enumerator(&recorder, true, m_install->binDir());
    enumerator.enumeratePrinters();
    const PrinterDesc desc = published(enumerator, queue);
    QCOMPARE(desc.productId, quint16(0x0100));
    QVERIFY(desc.statusXml.isEmpty());
    QCOMPARE(printer.requests().size(), 0);
}

void TestPrinterEnumerator::threadPublishesAtOnceAndStopsPromptly()
{
    EventRecorder recorder;
    PrinterEnumerator enumerator(&recorder, true, m_install->binDir());
    enumerator.start();
    QVERIFY(recorder.waitFor(
            [&] { return recorder.count(PrinterEnumerator::kPrintersChangedEvent) == 1; }));
    QElapsedTimer timer;
    timer.start();
    enumerator.stop();
    QVERIFY(enumerator.wait(5000));
    qInfo("stop() during the 10 s wait to end: %lld ms", timer.elapsed());
}

QTEST_GUILESS_MAIN(TestPrinterEnumerator)
#include "tst_printerenumerator.moc"
