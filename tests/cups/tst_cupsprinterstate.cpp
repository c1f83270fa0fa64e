// A queue's state through CUPS: a driverless queue of a private cupsd for an IPP Everywhere
// printer simulator on a loopback port.
#include "cups/cups.h"
#include "tests/tools/ippprinter.h"
#include "tests/tools/privatecupsserver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

namespace {

const QString kQueue = QStringLiteral("Generic_IPP");

} // namespace

class TestCupsPrinterState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void printersChangeWhileIdleShowsWithItsSupplies();
    void hostileSuppliesAreCutAndUnknown();
    void stoppedPrinterHoldsTheCallerOnlyUpToTheBound();
    void unknownQueueAndStoppedServerGiveNothing();

private:
    IppPrinterSimulator m_printer;
    PrivateCupsServer m_server;
};

void TestCupsPrinterState::initTestCase()
{
    QVERIFY(m_printer.start());
    QVERIFY(m_server.start());
    qputenv("CUPS_SERVER", QFile::encodeName(m_server.socketPath()));
    QVERIFY(m_server.addDriverlessQueue(kQueue, m_printer.uri()));
}

void TestCupsPrinterState::printersChangeWhileIdleShowsWithItsSupplies()
{
    CUPS cups;
    QVERIFY(m_printer.setMarkers(QStringLiteral("\"Black Toner\",Cyan"),
                                 QStringLiteral("#000000,#00FFFF"), QStringLiteral("40,-3"),
                                 QStringLiteral("10,15"), QStringLiteral("toner,toner")));
    QVERIFY(m_printer.changeReasons({QStringLiteral("+media-jam")}));
    std::optional<CupsPrinterState> state = cups.printerState(kQueue);
    QVERIFY(state);
    QCOMPARE(state->state, int(CupsPrinterState::Idle));
    QVERIFY(state->acceptingJobs);
    QVERIFY2(state->reasons.contains(QStringLiteral("media-jam-report")),
             qPrintable(state->reasons.join(' ')));
    const QList<CupsMarker> markers{{QStringLiteral("Black Toner"), QStringLiteral("#000000"),
                                     QStringLiteral("toner"), 40, 10},
                                    {QStringLiteral("Cyan"), QStringLiteral("#00FFFF"),
                                     QStringLiteral("toner"), CupsMarker::kSomeRemaining, 15}};
    QCOMPARE(state->markers, markers);

    // cupsd keeps the reasons of its last job with the printer: the jam it never saw end
    // must not stay.
    QVERIFY(m_server.submitJob(kQueue) > 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_server.jobCount(false) == 0, 20000);
    QVERIFY(m_printer.changeReasons({QStringLiteral("-media-jam")}));
    state = cups.printerState(kQueue);
    QVERIFY(state);
    QVERIFY2(!state->reasons.join(' ').contains(QStringLiteral("media-jam")),
             qPrintable(state->reasons.join(' ')));

    QVERIFY(m_server.setQueueEnabled(kQueue, false));
    state = cups.printerState(kQueue);
    QVERIFY(m_server.setQueueEnabled(kQueue, true));
    QVERIFY(state);
    QCOMPARE(state->state, int(CupsPrinterState::Stopped));
    QVERIFY(state->reasons.contains(QStringLiteral("paused")));
}

void TestCupsPrinterState::hostileSuppliesAreCutAndUnknown()
{
    // Nine names, ten colours, nine levels out of range or not: eight markers, the shortest
    // arrays deciding, and a level beyond 100 unknown.
    QVERIFY(m_printer.setMarkers(QStringLiteral("a,b,c,d,e,f,g,h,i"),
                                 QStringLiteral("#000000,#000000,#000000,#000000,#000000,"
                                                "#000000,#000000,#000000,#000000,#000000"),
                                 QStringLiteral("150,-7,5,5,5,5,5,5,5"),
                                 QStringLiteral("1,1,1,1,1,1,1,1,1"),
                                 QStringLiteral("toner,toner,toner,toner,toner,toner,toner,toner,"
                                                "toner")));
    CUPS cups;
    const std::optional<CupsPrinterState> state = cups.printerState(kQueue);
    QVERIFY(state);
    QCOMPARE(state->markers.size(), 8);
    QCOMPARE(state->markers.at(0).level, int(CupsMarker::kUnknown));
    QCOMPARE(state->markers.at(1).level, int(CupsMarker::kUnknown));
    QCOMPARE(state->markers.at(2).level, 5);
    QCOMPARE(state->markers.at(7).name, QStringLiteral("h"));
}

void TestCupsPrinterState::stoppedPrinterHoldsTheCallerOnlyUpToTheBound()
{
    CUPS cups;
    QVERIFY(m_printer.pause());
    QElapsedTimer clock;
    clock.start();
    const std::optional<CupsPrinterState> state = cups.printerState(kQueue);
    const qint64 elapsed = clock.elapsed();
    QVERIFY(m_printer.resume());
    // What cupsd knows still comes.
    QVERIFY(state);
    QVERIFY2(elapsed < CUPS::kDeviceTimeoutMs + 500, qPrintable(QString::number(elapsed)));
}

void TestCupsPrinterState::unknownQueueAndStoppedServerGiveNothing()
{
    CUPS cups;
    QVERIFY(!cups.printerState(QStringLiteral("No_Such_Queue")));
    // This server has no web interface: no page to set the queue up on.
    QVERIFY(!cups.offersQueuePage(kQueue));
    m_server.stop();
    QVERIFY(!cups.printerState(kQueue));
}

QTEST_GUILESS_MAIN(TestCupsPrinterState)
#include "tst_cupsprinterstate.moc"
