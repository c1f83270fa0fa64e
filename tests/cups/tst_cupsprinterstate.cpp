// A queue's state through CUPS: a driverless queue of a private cupsd for an IPP Everywhere
// printer simulator on a loopback port, and a queue for a hostile printer of ours.
#include "cups/cups.h"
#include "tests/tools/hostileippprinter.h"
#include "tests/tools/ippprinter.h"
#include "tests/tools/logcapture.h"
#include "tests/tools/privatecupsserver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTest>
#include <QThread>

#include <functional>

using Answer = CupsPrinterState::Answer;
Q_DECLARE_METATYPE(HostileIppPrinter::Reply)
Q_DECLARE_METATYPE(Answer)

namespace {

const QString kQueue = QStringLiteral("Generic_IPP");
const QString kHostileQueue = QStringLiteral("Hostile_IPP");
const QString kLocalQueue = QStringLiteral("Local");
// A printer that does not answer holds a poll this long at most.
const qint64 kPollBoundMs = CUPS::kDeviceTimeoutMs + 500;

QString reasonsOf(const std::optional<CupsPrinterState> &state)
{
    return state ? state->reasons.join(QLatin1Char(' ')) : QStringLiteral("(no state)");
}

} // namespace

class TestCupsPrinterState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void printersChangeWhileIdleShowsWithItsSupplies();
    void hostileSuppliesAreCutAndUnknown();
    void stoppedPrinterHoldsTheCallerOnlyUpToTheBound();
    void printerAnswerFollowsThePrinter();
    void hostilePrinterIsBounded_data();
    void hostilePrinterIsBounded();
    void queuePageIsOnTheConfiguredServer();
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

void TestCupsPrinterState::printerAnswerFollowsThePrinter()
{
    CUPS cups;
    QVERIFY(m_server.addQueue(kLocalQueue, QStringLiteral("mfp:/dev/mfp4")));
    const std::optional<CupsPrinterState> local = cups.printerState(kLocalQueue);
    QVERIFY(local);
    QCOMPARE(local->printerAnswer, Answer::NotAsked);

    const auto restore = qScopeGuard([this] {
        m_printer.resume();
        m_server.setQueueEnabled(kQueue, true);
        m_printer.changeReasons({QStringLiteral("-media-jam")});
    });
    const QString jam = QStringLiteral("media-jam-report");
    const QString paused = QStringLiteral("paused");
    struct Step
    {
        const char *what;
        std::function<bool()> act;
        Answer answer;
        int state;
        QStringList reasons;
    };
    // A silent printer leaves the queue's own view, which knows nothing of the jam: a stopped
    // queue still says so.
    const Step steps[] = {
            {"jammed",
             [&] { return m_printer.changeReasons({QStringLiteral("+media-jam")}); },
             Answer::Answered,
             CupsPrinterState::Idle,
             {jam}},
            {"stopped (SIGSTOP), the queue disabled",
             [&] { return m_server.setQueueEnabled(kQueue, false) && m_printer.pause(); },
             Answer::Silent,
             CupsPrinterState::Stopped,
             {paused}},
            {"going on (SIGCONT)",
             [&] { return m_printer.resume(); },
             Answer::Answered,
             CupsPrinterState::Stopped,
             {paused, jam}},
            {"killed (SIGKILL), the queue enabled",
             [&] { return m_server.setQueueEnabled(kQueue, true) && m_printer.kill(); },
             Answer::Silent,
             CupsPrinterState::Idle,
             {}},
            // Back for the tests after this one, on another port.
            {"started again",
             [&] {
                 return m_printer.start() && m_server.addDriverlessQueue(kQueue, m_printer.uri());
             },
             Answer::Answered,
             CupsPrinterState::Idle,
             {}}};
    for (const Step &step : steps) {
        QVERIFY2(step.act(), step.what);
        QElapsedTimer clock;
        clock.start();
        const std::optional<CupsPrinterState> state = cups.printerState(kQueue);
        const QByteArray seen = QByteArray(step.what) + ": " + reasonsOf(state).toUtf8() + ", "
                + QByteArray::number(clock.elapsed()) + " ms";
        QVERIFY2(clock.elapsed() < kPollBoundMs, seen.constData());
        QVERIFY2(state, seen.constData());
        QVERIFY2(state->printerAnswer == step.answer, seen.constData());
        QVERIFY2(state->state == step.state, seen.constData());
        for (const QString &reason : step.reasons)
            QVERIFY2(state->reasons.contains(reason), seen.constData());
    }
}

void TestCupsPrinterState::hostilePrinterIsBounded_data()
{
    QTest::addColumn<HostileIppPrinter::Reply>("reply");
    QTest::addColumn<int>("markers");
    QTest::addColumn<int>("reasons");
    // The message, the first reason and the first marker's name cut to 255 characters.
    QTest::addColumn<bool>("cutText");
    QTest::addColumn<Answer>("answer");
    // Said once in the log, however many polls.
    QTest::addColumn<QString>("logged");

    using Mode = HostileIppPrinter::Mode;
    QTest::newRow("normal") << HostileIppPrinter::Reply() << 4 << 2 << false << Answer::Answered
                            << QString();
    QTest::newRow("2,000 supplies, 3,000 reasons")
            << HostileIppPrinter::Reply{2000, 3000, 0, Mode::Normal} << 8 << 32 << false
            << Answer::Answered
            << QStringLiteral("gives 3000 printer-state-reasons, 2000 marker-names");
    // Over 256 KiB: the queue's own view, which for a raw queue has no supplies.
    QTest::newRow("5,000 supplies, 10,000 reasons")
            << HostileIppPrinter::Reply{5000, 10000, 0, Mode::Normal} << 0 << 0 << false
            << Answer::Answered << QStringLiteral("taken as hostile: its reply is dropped");
    QTest::newRow("chunked") << HostileIppPrinter::Reply{4, 2, 0, Mode::Normal, 64} << 4 << 2
                             << false << Answer::Answered << QString();
    QTest::newRow("5,000 supplies, 10,000 reasons, chunked")
            << HostileIppPrinter::Reply{5000, 10000, 0, Mode::Normal, 8192} << 0 << 0 << false
            << Answer::Answered << QStringLiteral("taken as hostile: its reply is dropped");
    // A printer's own server may write each attribute as a chunk: a small reply still counts.
    QTest::newRow("1-byte chunks") << HostileIppPrinter::Reply{4, 2, 0, Mode::Normal, 1} << 4 << 2
                                   << false << Answer::Answered << QString();
    QTest::newRow("a larger reply in 1-byte chunks")
            << HostileIppPrinter::Reply{300, 300, 0, Mode::Normal, 1} << 0 << 0 << false
            << Answer::Answered << QStringLiteral("taken as hostile: its reply is dropped");
    QTest::newRow("values of the largest size")
            << HostileIppPrinter::Reply{4, 2, 65535, Mode::Normal} << 4 << 2 << true
            << Answer::Answered
            << QStringLiteral("values of up to 65535 bytes, more than is read: its reply is cut");
    QTest::newRow("no answer") << HostileIppPrinter::Reply{4, 2, 0, Mode::Hang} << 0 << 0 << false
                               << Answer::Silent << QStringLiteral("does not answer");
    QTest::newRow("trickle") << HostileIppPrinter::Reply{4, 2, 0, Mode::Trickle} << 0 << 0 << false
                             << Answer::Answered
                             << QStringLiteral("did not send its whole reply within");
}

void TestCupsPrinterState::hostilePrinterIsBounded()
{
    QFETCH(HostileIppPrinter::Reply, reply);
    QFETCH(int, markers);
    QFETCH(int, reasons);
    QFETCH(bool, cutText);
    QFETCH(Answer, answer);
    QFETCH(QString, logged);
    // A printer of its own for each row: what is logged once is logged once per printer.
    HostileIppPrinter printer;
    QVERIFY(printer.start());
    QVERIFY(printer.setReply(reply));
    QVERIFY(m_server.addQueue(kHostileQueue, printer.uri()));
    LogCapture log;
    CUPS cups;
    std::optional<CupsPrinterState> states[2];
    for (std::optional<CupsPrinterState> &state : states) {
        QElapsedTimer clock;
        clock.start();
        state = cups.printerState(kHostileQueue);
        QVERIFY2(clock.elapsed() < kPollBoundMs, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(state);
    }
    QCOMPARE(states[1], states[0]);
    const CupsPrinterState &state = *states[0];
    QCOMPARE(state.printerAnswer, answer);
    QCOMPARE(state.markers.size(), markers);
    QCOMPARE(state.reasons.size(), reasons);
    if (cutText) {
        QCOMPARE(state.message.size(), 255);
        QCOMPARE(state.reasons.first().size(), 255);
        QCOMPARE(state.markers.first().name.size(), 255);
    }
    if (logged.isEmpty())
        QVERIFY2(!log.contains(QStringLiteral("printer at")), qPrintable(log.text()));
    else
        QVERIFY2(log.count(logged) == 1, qPrintable(log.text()));
}

// A print server elsewhere, here one on a loopback port: its own web interface has the page,
// never the one of this machine's server.
void TestCupsPrinterState::queuePageIsOnTheConfiguredServer()
{
    PrivateCupsServer office;
    office.setWebInterface();
    office.setTcpListener();
    QVERIFY(office.start());
    QVERIFY(office.tcpPort() != 0);
    QVERIFY(office.addQueue(QStringLiteral("office_page"), QStringLiteral("mfp:/dev/mfp9")));
    const QByteArray socket = qgetenv("CUPS_SERVER");
    const auto restore = qScopeGuard([&] { qputenv("CUPS_SERVER", socket); });
    // The library reads the server from the environment once for each thread.
    qputenv("CUPS_SERVER", "127.0.0.1:" + QByteArray::number(office.tcpPort()));
    QString page;
    QString none;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        CUPS cups;
        page = cups.queuePage(QStringLiteral("office_page"));
        none = cups.queuePage(QStringLiteral("No_Such_Queue"));
    }));
    thread->start();
    QVERIFY(thread->wait(30000));
    QCOMPARE(page,
             QStringLiteral("http://127.0.0.1:%1/printers/office_page").arg(office.tcpPort()));
    QVERIFY(none.isEmpty());
}

void TestCupsPrinterState::unknownQueueAndStoppedServerGiveNothing()
{
    CUPS cups;
    QVERIFY(!cups.printerState(QStringLiteral("No_Such_Queue")));
    // This server has a socket and no web interface: no page to set the queue up on, and the
    // machine's own server on the loopback does not have the queue.
    QVERIFY(cups.queuePage(kQueue).isEmpty());
    m_server.stop();
    QVERIFY(!cups.printerState(kQueue));
}

QTEST_GUILESS_MAIN(TestCupsPrinterState)
#include "tst_cupsprinterstate.moc"
