#include "acquisition/queuestatus.h"

#include <QTest>

namespace {

CupsPrinterState queue(int state, const QStringList &reasons, bool accepting = true)
{
    CupsPrinterState result;
    result.state = state;
    result.reasons = reasons;
    result.acceptingJobs = accepting;
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
    void suppliesBecomeBars();
};

void TestQueueStatus::theLeadingReasonOrTheQueueSpeaks_data()
{
    QTest::addColumn<CupsPrinterState>("state");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("printing");

    using S = CupsPrinterState;
    QTest::newRow("idle") << queue(S::Idle, {}) << "Ready" << int(StatusDesc::Info) << false;
    QTest::newRow("printing") << queue(S::Processing, {}) << "Printing" << int(StatusDesc::Info)
                              << true;
    QTest::newRow("jam while printing") << queue(S::Processing, {"media-jam-error"}) << "Paper jam"
                                        << int(StatusDesc::Error) << true;
    QTest::newRow("a warning before a report")
            << queue(S::Idle, {"toner-low-report", "cover-open-warning"}) << "Cover open"
            << int(StatusDesc::Warning) << false;
    QTest::newRow("report only") << queue(S::Idle, {"toner-low-report"}) << "Toner low"
                                 << int(StatusDesc::Info) << false;
    QTest::newRow("stopped") << queue(S::Stopped, {"paused"}) << "Queue stopped"
                             << int(StatusDesc::Warning) << false;
    QTest::newRow("an error before the stop") << queue(S::Stopped, {"paused", "media-empty-error"})
                                              << "Out of paper" << int(StatusDesc::Error) << false;
    QTest::newRow("not accepting") << queue(S::Idle, {}, false) << "Queue not accepting jobs"
                                   << int(StatusDesc::Warning) << false;
    QTest::newRow("unknown keyword") << queue(S::Idle, {"com.example-glitch-warning"}) << "Glitch"
                                     << int(StatusDesc::Warning) << false;
}

void TestQueueStatus::theLeadingReasonOrTheQueueSpeaks()
{
    QFETCH(CupsPrinterState, state);
    QFETCH(QString, title);
    QFETCH(int, type);
    QFETCH(bool, printing);

    const StatusDesc status = QueueStatus::describe(state);
    QCOMPARE(status.title(), title);
    QCOMPARE(status.type(), type);
    const StatusBlock block = QueueStatus::block(state);
    QCOMPARE(block.isPrinting(), printing);
    QVERIFY(!block.isEmpty());
    // The block names the status described, and the same state always the same one.
    QCOMPARE(block.statusId(), status.id());
    QCOMPARE(QueueStatus::describe(state).id(), status.id());
    QVERIFY(status.id() != QueueStatus::describe(queue(CupsPrinterState::Idle, {"x-error"})).id());

    state.message = QStringLiteral("Check the tray");
    QVERIFY(QueueStatus::describe(state).desc().endsWith("Check the tray"));
    state.message = QStringLiteral("Idle.");
    QVERIFY(!QueueStatus::describe(state).desc().contains("Idle"));
    QCOMPARE(QueueStatus::describe(state).id(), status.id());
}

void TestQueueStatus::suppliesBecomeBars()
{
    CupsPrinterState state;
    state.markers = {marker("Black", "#000000", 80), marker("Color", "#00FFFF#FF00FF#FFFF00", 8),
                     marker("Drum", "none", CupsMarker::kUnknown),
                     marker("Waste", "#zzzzzz", CupsMarker::kSomeRemaining)};
    for (int i = 0; i < 6; ++i)
        state.markers.append(marker(QString("Extra %1").arg(i), "#FF0000", 50));

    const TonerInfoList bars = QueueStatus::toners(state);
    QCOMPARE(bars.size(), QueueStatus::kMaxBars);
    QCOMPARE(bars.at(0).title, QString("Black"));
    QCOMPARE(bars.at(0).barColors, QString("000000"));
    QCOMPARE(bars.at(1).title, QString("Color (low)"));
    QCOMPARE(bars.at(1).barColors, QString("00FFFF,FF00FF,FFFF00"));
    QCOMPARE(bars.at(2).barColors, QString("808080"));
    QCOMPARE(bars.at(3).title, QString("Waste (some left)"));

    const TonerDesc levels = QueueStatus::levels(state);
    QCOMPARE(levels.size(), QueueStatus::kMaxBars);
    QCOMPARE(levels.value(bars.at(0).id), quint8(80));
    QCOMPARE(levels.value(bars.at(2).id), kUnknownLevel);
    QCOMPARE(levels.value(bars.at(3).id), quint8(50));
    QCOMPARE(QueueStatus::lowSupplies(state), QStringList("Color"));
}

QTEST_GUILESS_MAIN(TestQueueStatus)
#include "tst_queuestatus.moc"
