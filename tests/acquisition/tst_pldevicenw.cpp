// The network status channel: job-table records, address forms and this machine's addresses.
#include "acquisition/pldevicenw.h"
#include "tests/tools/logcapture.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

// A 29-character IPv4 record: user padded with dots, id of ten characters, status of four.
QByteArray record(const QByteArray &user, const QByteArray &id, const QByteArray &status)
{
    return user.leftJustified(15, '.') + id.rightJustified(10, ' ') + status.rightJustified(4, ' ');
}

// A 53-character IPv6 record: user padded with blanks.
QByteArray record6(const QByteArray &user, const QByteArray &id, const QByteArray &status)
{
    return user.leftJustified(39, ' ') + id.rightJustified(10, ' ') + status.rightJustified(4, ' ');
}

} // namespace

class TestPlDeviceNw : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void jobTables();
    void addressForms_data();
    void addressForms();
    void hostAddresses();
    void textThatIsNoAddressIsNeverAsked();
};

void TestPlDeviceNw::jobTables()
{
    // Six leading blanks stay with the id; a remainder shorter than a record is ignored.
    QList<Job> jobs = PlDeviceNw::parseJobs(record("10.0.0.5", "1234", "1") + "x");
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs.first().user, QStringLiteral("10.0.0.5"));
    QCOMPARE(jobs.first().id, QStringLiteral("      1234"));
    QCOMPARE(jobs.first().status, 1);
    jobs = PlDeviceNw::parseJobs(record("10.0.0.6", "7", "abc") + record("10.0.0.7", "8", "5"));
    QCOMPARE(jobs.size(), 2);
    QCOMPARE(jobs.at(0).status, 0);
    QCOMPARE(jobs.at(1).user, QStringLiteral("10.0.0.7"));
    QVERIFY(PlDeviceNw::parseJobs(QByteArray(28, 'x')).isEmpty());

    jobs = PlDeviceNw::parseJobs6(record6("fe80::1", "42", "8") + record6("10.0.0.5", "43", "5")
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
    QTest::newRow("full") << "2001:db8:1:2:3:4:5:6"
                          << "20010DB8000100020003000400050006";
    QTest::newRow("IPv4 inside") << "::ffff:10.1.2.3"
                                 << "00000000000000000000FFFF0A010203";
    QTest::newRow("dotted IPv4") << "10.1.2.3"
                                 << "10.1.2.3";
    QTest::newRow("name") << "printhost"
                          << "printhost";
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

QTEST_GUILESS_MAIN(TestPlDeviceNw)
#include "tst_pldevicenw.moc"
