#include "net/snmpclient.h"
#include "tests/tools/logcapture.h"

#include "simulatedsnmpagent.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

namespace {

constexpr int kTimeoutMs = 2000;
constexpr char kMissingOid[] = "1.3.6.1.4.1.32473.11.5.1.99.0";

struct Answer
{
    QByteArray data;
    int status = -99;
};

Answer get(const QString &address, const char *oid, unsigned bufferSize = 1024,
           int timeoutMs = kTimeoutMs, int retries = 0)
{
    QByteArray buffer(bufferSize, '\0');
    Answer answer;
    const unsigned length = SNMPClient::request(address.toLatin1().constData(), oid, buffer.data(),
                                                bufferSize, timeoutMs, retries, &answer.status);
    answer.data = buffer.left(length);
    return answer;
}

} // namespace

class TestSnmpClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void readsStringAndOctetValues_data();
    void readsStringAndOctetValues();
    void versionAndPeerFollowTheDestination();
    void valueLongerThanTheBufferIsCut();
    void nonStringAnswerCopiesNothing();
    void unansweredRequestTimesOutAfterRetries_data();
    void unansweredRequestTimesOutAfterRetries();

private:
    SimulatedSnmpAgent &agent(const QString &address)
    {
        return address == m_agent6->address() ? *m_agent6 : *m_agent4;
    }

    std::unique_ptr<SimulatedSnmpAgent> m_agent4;
    std::unique_ptr<SimulatedSnmpAgent> m_agent6;
};

void TestSnmpClient::initTestCase()
{
    m_agent4 = std::make_unique<SimulatedSnmpAgent>();
    m_agent6 = std::make_unique<SimulatedSnmpAgent>(QStringLiteral("::1"));
    QVERIFY2(m_agent4->start(), qPrintable(m_agent4->log()));
    QVERIFY2(m_agent6->start(), qPrintable(m_agent6->log()));
}

void TestSnmpClient::readsStringAndOctetValues_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("IPv4") << m_agent4->address();
    QTest::newRow("IPv6") << m_agent6->address();
}

void TestSnmpClient::readsStringAndOctetValues()
{
    QFETCH(QString, address);
    const QByteArray status = QByteArray::fromHex("0100001100640032");
    agent(address).setStatus(status);
    agent(address).setDeviceId("MFG:Acme;MDL:Laser 100;");

    const Answer id = get(address, SimulatedSnmpAgent::kDeviceIdOid);
    QCOMPARE(id.status, 0);
    QCOMPARE(id.data, QByteArray("MFG:Acme;MDL:Laser 100;"));
    const Answer bytes = get(address, SimulatedSnmpAgent::kStatusOid);
    QCOMPARE(bytes.status, 0);
    QCOMPARE(bytes.data, status); // zero bytes included
}

void TestSnmpClient::versionAndPeerFollowTheDestination()
{
    // SNMPv1 reports a missing object as an error status, SNMPv2c as a value of its own type.
    LogCapture log;
    const Answer v1 = get(m_agent4->address(), kMissingOid);
    QCOMPARE(v1.status, 0);
    QVERIFY(v1.data.isEmpty());
    QVERIFY(log.contains(QStringLiteral("peername: <%1>").arg(m_agent4->address())));
    QCOMPARE(log.count(QStringLiteral("Error in packet: <(noSuchName)")), 1);

    log.clear();
    const Answer v2c = get(m_agent6->address(), kMissingOid);
    QCOMPARE(v2c.status, 0);
    QVERIFY(v2c.data.isEmpty());
    QVERIFY(log.contains(QStringLiteral("peername: <udp6:::1>")));
    QVERIFY(!log.contains(QStringLiteral("Error in packet")));
}

void TestSnmpClient::valueLongerThanTheBufferIsCut()
{
    const QByteArray value(300, 'x');
    m_agent4->setValue(SimulatedSnmpAgent::kJobsOid, value);
    const Answer answer = get(m_agent4->address(), SimulatedSnmpAgent::kJobsOid, 256);
    QCOMPARE(answer.status, 0);
    QCOMPARE(answer.data, value.left(256));
}

void TestSnmpClient::nonStringAnswerCopiesNothing()
{
    m_agent4->setValue(SimulatedSnmpAgent::kJobs6Oid, "42", SimulatedSnmpAgent::Integer);
    const Answer answer = get(m_agent4->address(), SimulatedSnmpAgent::kJobs6Oid);
    QCOMPARE(answer.status, 0);
    QVERIFY(answer.data.isEmpty());
}

void TestSnmpClient::unansweredRequestTimesOutAfterRetries_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("stopped") << int(SimulatedSnmpAgent::Stopped);
    QTest::newRow("slow") << int(SimulatedSnmpAgent::Slow);
}

void TestSnmpClient::unansweredRequestTimesOutAfterRetries()
{
    QFETCH(int, mode);
    constexpr int kShortTimeoutMs = 100;
    constexpr int kRetries = 2;
    m_agent4->setMode(SimulatedSnmpAgent::Mode(mode), 400);
    LogCapture log;
    QElapsedTimer clock;
    clock.start();
    const Answer answer = get(m_agent4->address(), SimulatedSnmpAgent::kStatusOid, 1024,
                              kShortTimeoutMs, kRetries);
    const qint64 elapsed = clock.elapsed();
    m_agent4->setMode(SimulatedSnmpAgent::Normal);
    QCOMPARE_NE(answer.status, 0);
    QVERIFY(answer.data.isEmpty());
    QVERIFY(log.contains(QStringLiteral("snmp_sess_synch_response failed: <Timeout>")));
    QVERIFY(log.contains(QStringLiteral("timeout/retries: 100000usec/2")));
    QVERIFY(elapsed >= (kRetries + 1) * kShortTimeoutMs); // every attempt waited
}

QTEST_GUILESS_MAIN(TestSnmpClient)
#include "tst_snmpclient.moc"
