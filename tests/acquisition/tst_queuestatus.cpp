#include "acquisition/queuestatus.h"

#include <QTest>

namespace {

using Severity = PrinterState::Severity;

CupsPrinterState queue(int state, const QStringList &reasons, bool accepting = true,
                       CupsPrinterState::Answer answer = CupsPrinterState::Answer::Answered)
{
    CupsPrinterState result;
    result.state = state;
    result.reasons = reasons;
    result.acceptingJobs = accepting;
    result.printerAnswer = answer;
    return result;
}

CupsMarker marker(const QString &name, const QString &color, int level, int low = 10)
{
    return {name, color, QStringLiteral("toner"), level, low};
}

} // namespace

class TestQueueStatus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theLeadingReasonOrTheQueueSpeaks_data();
    void theLeadingReasonOrTheQueueSpeaks();
    void aServerThatDoesNotAnswerIsNotReady();
    void suppliesBecomeBarsAndLowOnesAreNamed();
    void theQueueStoppedIsToldOverTheFamilysStatus();
};

void TestQueueStatus::theLeadingReasonOrTheQueueSpeaks_data()
{
    QTest::addColumn<CupsPrinterState>("state");
    QTest::addColumn<QString>("title");
    QTest::addColumn<Severity>("severity");
    QTest::addColumn<bool>("printing");
    // A line the description holds; empty for none at all.
    QTest::addColumn<QString>("described");

    using S = CupsPrinterState;
    const auto silent = CupsPrinterState::Answer::Silent;
    QTest::newRow("idle") << queue(S::Idle, {}) << "Ready" << Severity::Ok << false << "";
    QTest::newRow("printing") << queue(S::Processing, {}) << "Printing" << Severity::Ok << true
                              << "";
    QTest::newRow("jam while printing") << queue(S::Processing, {"media-jam-error"}) << "Paper jam"
                                        << Severity::Error << true << "";
    QTest::newRow("a warning before a report")
            << queue(S::Idle, {"toner-low-report", "cover-open-warning"}) << "Cover open"
            << Severity::Warning << false << "";
    QTest::newRow("ties: the first of equal severity leads")
            << queue(S::Idle, {"media-low-warning", "cover-open-warning"}) << "Paper low"
            << Severity::Warning << false << "";
    QTest::newRow("a report says what it reports") << queue(S::Processing, {"toner-low-report"})
                                                   << "Toner low" << Severity::Report << true << "";
    QTest::newRow("bookkeeping never leads")
            << queue(S::Processing, {"cups-waiting-for-job-completed", "media-low-report"})
            << "Paper low" << Severity::Report << true << "";
    QTest::newRow("bookkeeping is not shown at all") << queue(
            S::Processing, {"cups-waiting-for-job-completed", "cups-ipp-missing-validate-job"})
                                                     << "Printing" << Severity::Ok << true << "";
    QTest::newRow("stopped") << queue(S::Stopped, {"paused"}) << "Queue stopped"
                             << Severity::Warning << false << "";
    QTest::newRow("an error before the stop")
            << queue(S::Stopped, {"paused", "media-empty-error"}) << "Out of paper"
            << Severity::Error << false << "Queue stopped";
    QTest::newRow("not accepting") << queue(S::Idle, {}, false) << "Queue not accepting jobs"
                                   << Severity::Warning << false << "";
    QTest::newRow("not accepting beside a warning")
            << queue(S::Idle, {"toner-low-warning"}, false) << "Toner low" << Severity::Warning
            << false << "Queue not accepting jobs";
    QTest::newRow("unknown keyword, in its own words")
            << queue(S::Idle, {"com.example-glitch-warning"}) << "Glitch" << Severity::Warning
            << false << "";
    QTest::newRow("printer silent") << queue(S::Idle, {}, true, silent) << "Printer not answering"
                                    << Severity::NotAnswering << false << "";
    QTest::newRow("printer silent, cupsd's reasons kept")
            << queue(S::Stopped, {"paused", "media-empty-error"}, true, silent)
            << "Printer not answering" << Severity::NotAnswering << false << "Out of paper";
    QTest::newRow("printer silent, the queue stopped")
            << queue(S::Stopped, {"paused"}, true, silent) << "Printer not answering"
            << Severity::NotAnswering << false << "Queue stopped";
}

void TestQueueStatus::theLeadingReasonOrTheQueueSpeaks()
{
    QFETCH(CupsPrinterState, state);
    QFETCH(QString, described);

    const PrinterState read = QueueStatus::state(state, 4, 5);
    QTEST(read.title, "title");
    QTEST(read.severity, "severity");
    QTEST(read.activity == PrinterState::Activity::Printing, "printing");
    QCOMPARE(read.source, PrinterState::Source::Queue);
    QVERIFY(!read.family);
    QCOMPARE(int(read.hostJobs), 4);
    QCOMPARE(int(read.allJobs), 5);
    if (described.isEmpty())
        QVERIFY2(read.description.isEmpty(), qPrintable(read.description));
    else
        QVERIFY2(read.description.split('\n').contains(described), qPrintable(read.description));
    QCOMPARE(read.queue.stopped, state.state == CupsPrinterState::Stopped);
    QCOMPARE(read.queue.acceptingJobs, state.acceptingJobs);

    // The printer's message is told below, unless it only restates the state.
    state.message = QStringLiteral("Check the tray");
    QVERIFY(QueueStatus::state(state).description.endsWith("Check the tray"));
    state.message = QStringLiteral("Idle.");
    QVERIFY(!QueueStatus::state(state).description.contains("Idle"));
}

void TestQueueStatus::aServerThatDoesNotAnswerIsNotReady()
{
    const PrinterState read = QueueStatus::state(std::nullopt, 4);
    QCOMPARE(read.severity, Severity::NotAnswering);
    QCOMPARE(read.title, QString("CUPS does not answer"));
    QVERIFY(!read.isAnswering());
    QVERIFY(read.supplies.isEmpty());
}

void TestQueueStatus::suppliesBecomeBarsAndLowOnesAreNamed()
{
    CupsPrinterState state = queue(CupsPrinterState::Idle, {"toner-low-warning"});
    state.markers = {marker("Black", "#000000", 80), marker("Color", "#00FFFF#FF00FF#FFFF00", 8),
                     marker("Drum", "none", CupsMarker::kUnknown),
                     marker("Waste", "#zzzzzz", CupsMarker::kSomeRemaining)};
    for (int i = 0; i < 6; ++i)
        state.markers.append(marker(QString("Extra %1").arg(i), "#FF0000", 50));

    const PrinterState read = QueueStatus::state(state);
    QCOMPARE(read.supplies.size(), QueueStatus::kMaxBars);
    QVERIFY(read.showsSupplies);
    QVERIFY(read.lowSupply);
    const Supply &black = read.supplies.at(0);
    QCOMPARE(black.name, QString("Black"));
    QCOMPARE(black.colors, QString("000000"));
    QCOMPARE(black.level, 80);
    QVERIFY(!black.low);
    QCOMPARE(QueueStatus::barTitle(read.supplies.at(1)), QString("Color (low)"));
    QCOMPARE(read.supplies.at(1).colors, QString("00FFFF,FF00FF,FFFF00"));
    QVERIFY(read.supplies.at(1).low);
    QCOMPARE(read.supplies.at(2).colors, QString("808080"));
    QCOMPARE(read.supplies.at(2).level, Supply::kUnknown);
    QCOMPARE(QueueStatus::barTitle(read.supplies.at(3)), QString("Waste (some left)"));
    QCOMPARE(read.supplies.at(3).level, Supply::kSomeLeft);

    // A low-supply reason without a supply at its low level silences nothing by name.
    state.markers = {marker("Black", "#000000", 80)};
    QVERIFY(!QueueStatus::state(state).lowSupply);
    // A printer that does not answer has no supplies to draw: what cupsd holds may be old.
    state.printerAnswer = CupsPrinterState::Answer::Silent;
    QVERIFY(!QueueStatus::state(state).showsSupplies);
}

void TestQueueStatus::theQueueStoppedIsToldOverTheFamilysStatus()
{
    PrinterState ready;
    ready.source = PrinterState::Source::Family;
    ready.severity = Severity::Ok;
    ready.title = QStringLiteral("Ready");
    QueueCondition stopped{true, true, true, QStringLiteral("Paused by the administrator")};

    PrinterState shown = QueueStatus::withCondition(ready, stopped);
    QCOMPARE(shown.title, QString("Queue stopped"));
    QCOMPARE(shown.severity, Severity::Warning);
    QVERIFY(shown.description.contains("Ready"));
    QVERIFY(shown.description.contains("Paused by the administrator"));
    QVERIFY(!shown.remedy.isEmpty());

    QueueCondition refusing{true, false, false, QString()};
    // cupsdisable's own message only restates the stop.
    stopped.message = QStringLiteral("Paused");
    QCOMPARE(QueueStatus::withCondition(ready, stopped).description, QString("Ready"));
    QCOMPARE(QueueStatus::withCondition(ready, refusing).title,
             QString("Queue not accepting jobs"));
    // An error of the device still wins, and a queue that works changes nothing.
    PrinterState jam = ready;
    jam.severity = Severity::Error;
    jam.title = QStringLiteral("Paper jam");
    QCOMPARE(QueueStatus::withCondition(jam, stopped).title, QString("Paper jam"));
    QCOMPARE(QueueStatus::withCondition(ready, {true, false, true, QString()}).title,
             QString("Ready"));
    QCOMPARE(QueueStatus::withCondition(ready, QueueCondition()).title, QString("Ready"));
}

QTEST_GUILESS_MAIN(TestQueueStatus)
#include "tst_queuestatus.moc"
