// The network status channel, on simulated network printers over IPv4 and IPv6: job-table
// records, address forms and this machine's addresses.
#include "acquisition/pldevicenw.h"
#include "acquisition/printerdesc.h"
#include "tests/tools/logcapture.h"
#include "tests/tools/testfiles.h"

#include "simulatednetworkprinter.h"

#include <QTest>

namespace {

QByteArray record(const QByteArray &user, qint32 id, int status)
{
    return SimulatedNetworkPrinter::jobRecord({user, id, status});
}

QByteArray record6(const QByteArray &user, qint32 id, int status)
{
    return SimulatedNetworkPrinter::jobRecord6({user, id, status});
}

const QByteArray kQuillonId = "MFG:Tessival;MDL:Quillon C400;CLS:PRINTER;";

PrinterDesc quillonRecord(const QString &devPath)
{
    PrinterDesc printer("Tessival", "Quillon C400 Series", QByteArray(), 0, 0x1234, 0x12340000);
    printer.isLocal = false;
    printer.devPath = devPath;
    return printer;
}

} // namespace

class TestPlDeviceNw : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void jobTables();
    void addressForms_data();
    void addressForms();
    void hostAddresses();
    void textThatIsNoAddressIsNeverAsked();
    void printer_data();
    void printer();
    void deviceIdDecidesTheDocument_data();
    void deviceIdDecidesTheDocument();
    void stoppedAgentRetriesAndGivesNothing();

private:
    std::unique_ptr<SimulatedNetworkPrinter> m_printer4;
    std::unique_ptr<SimulatedNetworkPrinter> m_printer6;
};

void TestPlDeviceNw::initTestCase()
{
    m_printer4 = std::make_unique<SimulatedNetworkPrinter>();
    m_printer6 = std::make_unique<SimulatedNetworkPrinter>(SimulatedNetworkPrinter::IPv6);
    QVERIFY(m_printer4->isValid());
    QVERIFY(m_printer6->isValid());
    for (auto *printer : {m_printer4.get(), m_printer6.get()}) {
        printer->setDeviceId(kQuillonId);
        printer->setDocument(readFile(QStringLiteral(PELLAR_SOURCE_DIR "/bin/sm.xml")));
    }
}

void TestPlDeviceNw::jobTables()
{
    // Six leading blanks stay with the id; a remainder shorter than a record is ignored.
    QList<Job> jobs = PlDeviceNw::parseJobs(record("10.0.0.5", 1234, 1) + "x");
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs.first().user, QStringLiteral("10.0.0.5"));
    QCOMPARE(jobs.first().id, QStringLiteral("      1234"));
    QCOMPARE(jobs.first().status, 1);
    jobs = PlDeviceNw::parseJobs(record("10.0.0.6", 7, 1).replace(25, 4, "abc ")
                                 + record("10.0.0.7", 8, 5));
    QCOMPARE(jobs.size(), 2);
    QCOMPARE(jobs.at(0).status, 0);
    QCOMPARE(jobs.at(1).user, QStringLiteral("10.0.0.7"));
    QVERIFY(PlDeviceNw::parseJobs(QByteArray(28, 'x')).isEmpty());

    jobs = PlDeviceNw::parseJobs6(record6("fe80::1", 42, 8) + record6("10.0.0.5", 43, 5)
                                  + QByteArray(52, ' '));
    QCOMPARE(jobs.size(), 2);
    QCOMPARE(jobs.at(0).user, QStringLiteral("FE800000000000000000000000000001"));
    QCOMPARE(jobs.at(0).id, QStringLiteral("        42"));
    QCOMPARE(jobs.at(0).status, 8);
    QCOMPARE(jobs.at(1).user, QStringLiteral("10.0.0.5"));
}

void TestPlDeviceNw::addressForms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("normalized");
    QTest::newRow("loopback") << "::1"
                              << "00000000000000000000000000000001";
    QTest::newRow("link-local") << "fe80::fc:ff:fe00:1"
                                << "FE8000000000000000FC00FFFE000001";
    QTest::newRow("IPv4 inside") << "::ffff:10.1.2.3"
                                 << "00000000000000000000FFFF0A010203";
    QTest::newRow("dotted IPv4") << "10.1.2.3"
                                 << "10.1.2.3";
    QTest::newRow("nine groups") << "1:2:3:4:5:6:7:8:9"
                                 << "1:2:3:4:5:6:7:8:9";
}

void TestPlDeviceNw::addressForms()
{
    QFETCH(QString, text);
    QFETCH(QString, normalized);
    QCOMPARE(PlDeviceNw::normalizeIPv6(text), normalized);
}

void TestPlDeviceNw::hostAddresses()
{
    const unsigned char bytes[17] = {0xab, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("HEXSTRING_MAX_LENGTH"));
    QCOMPARE(PlDeviceNw::toHexString(bytes, 17),
             QStringLiteral("AB0102030405060708090A0B0C0D0E0F"));

    LogCapture log;
    QVERIFY(PlDeviceNw::isHostAddress(QStringLiteral("127.0.0.1")));
    QVERIFY(PlDeviceNw::isHostAddress(QStringLiteral("00000000000000000000000000000001")));
    QVERIFY(!PlDeviceNw::isHostAddress(QStringLiteral("localhost")));
    QVERIFY(!PlDeviceNw::isHostAddress(QStringLiteral("::1")));
    // Found once, from the three sources.
    QCOMPARE(log.countMessage("PlDeviceNw::getHostAddresses:"), 1);
    QVERIFY(log.contains("PlDeviceNw::getHostAddresses_getaddrinfo: addrs:"));
    QVERIFY(log.contains("PlDeviceNw::getHostAddresses_ifconfig: addrs:"));
}

void TestPlDeviceNw::textThatIsNoAddressIsNeverAsked()
{
    // A queue URI that names no host leaves its rest as the path; with a port after an
    // unbracketed colon the library would read another address.
    for (const QString &text : {QStringLiteral("//1234:9100"), QStringLiteral("tcp:10.1.2.3:161"),
                                QString(60, QLatin1Char('a'))}) {
        LogCapture log;
        PlDeviceNw device(text);
        int retCode = 0;
        QVERIFY(device.requestDescription(&retCode).isEmpty());
        QCOMPARE(retCode, 1);
        QCOMPARE(log.count("SNMPClient::request:"), 0);
    }
}

void TestPlDeviceNw::printer_data()
{
    QTest::addColumn<bool>("ipv6");
    QTest::newRow("IPv4") << false;
    QTest::newRow("IPv6") << true;
}

void TestPlDeviceNw::printer()
{
    QFETCH(bool, ipv6);
    SimulatedNetworkPrinter &printer = ipv6 ? *m_printer6 : *m_printer4;
    PlDeviceNw device(printer.devPath());
    int retCode = -1;
    QCOMPARE(device.requestDescription(&retCode), QString::fromLatin1(kQuillonId));
    QCOMPARE(retCode, 0);

    // Five bytes fill bytes 0 to 4; the rest stays 0.
    printer.setStatus(QByteArray::fromHex("0301000837"));
    const StatusBlock block = device.requestStatus_withRepeat(&retCode);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(block.data()), StatusBlock::kSize),
             QByteArray::fromHex("03010008370000000000"));

    printer.setJobTable(record("127.0.0.1", 12, Job::Printing) + record("10.1.2.3", 13, 5) + "xy");
    printer.setJobs6({{"::1", 14, Job::Preparing}});
    const QList<Job> jobs = device.getJobList(&retCode);
    QCOMPARE(retCode, 0);
    QCOMPARE(jobs.size(), 3);
    QCOMPARE(jobs.at(0).user, QStringLiteral("127.0.0.1"));
    QCOMPARE(jobs.at(1).status, int(Job::Pending));
    QCOMPARE(jobs.at(2).user, QStringLiteral("00000000000000000000000000000001"));
    QCOMPARE(jobs.at(2).id.trimmed(), QStringLiteral("14"));

    QVERIFY(device.requestStatusXML(&retCode).contains(QLatin1String("StatusMonitorInfo")));
    QCOMPARE(retCode, 0);
    QVERIFY(printer.http().requests().endsWith("GET /pellar/sm.xml HTTP/1.0\r\nhost: http://"
                                               + printer.devPath().toLatin1() + "\r\n\r\n"));
}

void TestPlDeviceNw::deviceIdDecidesTheDocument_data()
{
    printer_data();
}

void TestPlDeviceNw::deviceIdDecidesTheDocument()
{
    QFETCH(bool, ipv6);
    SimulatedNetworkPrinter &printer = ipv6 ? *m_printer6 : *m_printer4;
    PrinterDesc record = quillonRecord(printer.devPath());
    PlDeviceNw::updatePrinterInfo(&record);
    QVERIFY(record.statusXml.contains(QLatin1String("StatusMonitorInfo")));
    QVERIFY(record.hasTunex);
    QVERIFY(!record.extJobTable);

    // Another model: no document is asked for, and both flags end false.
    printer.setDeviceId("MFG:Tessival;MDL:Loris 9000;CLS:PRINTER;");
    const QByteArray requests = printer.http().requests();
    record = quillonRecord(printer.devPath());
    record.hasTunex = record.extJobTable = true;
    PlDeviceNw::updatePrinterInfo(&record);
    printer.setDeviceId(kQuillonId);
    QVERIFY(record.statusXml.isEmpty());
    QVERIFY(!record.hasTunex);
    QVERIFY(!record.extJobTable);
    QCOMPARE(printer.http().requests(), requests);
}

void TestPlDeviceNw::stoppedAgentRetriesAndGivesNothing()
{
    SimulatedNetworkPrinter &printer = *m_printer4;
    printer.setJobs({{"127.0.0.1", 12, Job::Printing}});
    printer.setMode(SimulatedNetworkPrinter::AgentStopped);
    PlDeviceNw device(printer.devPath());
    LogCapture log;
    int retCode = 0;
    QVERIFY(device.requestDescription(&retCode).isEmpty());
    QVERIFY(retCode != 0);
    QCOMPARE(log.count("SNMPClient::request: dest="), 6);
    QCOMPARE(log.count("PlDeviceNw::request: retCode="), 1);

    // Four tries of the IPv4 table; the IPv6 table is not asked for.
    log.clear();
    QVERIFY(device.getJobList(&retCode).isEmpty());
    QVERIFY(retCode != 0);
    QCOMPARE(log.count("SNMPClient::request: dest="), 4);
    QVERIFY(log.contains("PlDeviceNw::getJobs: length=0"));
    QVERIFY(!log.contains("PlDeviceNw::getJobs6"));
    printer.setMode(SimulatedNetworkPrinter::Normal);
}

QTEST_GUILESS_MAIN(TestPlDeviceNw)
#include "tst_pldevicenw.moc"
