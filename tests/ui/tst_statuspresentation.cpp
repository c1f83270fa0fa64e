#include "acquisition/queuestatus.h"
#include "config/configurator.h"
#include "config/options.h"
#include "status/familystatus.h"
#include "status/statusdesc.h"
#include "ui/statuspresentation.h"

#include <QTest>

namespace {

StatusBlock block(quint8 byte0, quint32 id, quint8 hostJobs)
{
    StatusBlock raw;
    raw[0] = byte0;
    raw[1] = quint8(id >> 16);
    raw[2] = quint8(id >> 8);
    raw[3] = quint8(id);
    raw[StatusBlock::kHostJobsByte] = hostJobs;
    return raw;
}

// The family's state as the window reads a report: the block's id looked up (here a bare
// record of the block's kind), the pseudo-status for no answer.
PrinterState familyState(const StatusBlock &raw)
{
    StatusDesc record(StatusPresentation::lookupId(raw, true, true), raw.kind());
    record.setStatusBlock(raw);
    return FamilyStatus::state(record, {}, {}, true);
}

} // namespace

class TestStatusPresentation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void printingPageFollowsTheJobBits_data()
    {
        QTest::addColumn<StatusBlock>("raw");
        QTest::addColumn<bool>("wasClosed");
        QTest::addColumn<bool>("spooler");
        QTest::addColumn<uint>("page");
        QTest::addColumn<QByteArray>("marks");
        const uint ready = 0x010000;
        QTest::newRow("a busy") << block(4, ready, 4) << false << false << ready << QByteArray("3");
        QTest::newRow("b empty") << StatusBlock() << false << false << 0u << QByteArray("3");
        QTest::newRow("c closed, done")
                << block(1, ready, 0) << true << false << 0x3FFu << QByteArray("4");
        QTest::newRow("c closed, host job")
                << block(1, ready, 1) << true << false << ready << QByteArray("4");
        QTest::newRow("d closed, spooler")
                << block(1, ready, 0) << true << true << ready << QByteArray("4");
        QTest::newRow("e printing")
                << block(1, 0x0104FF, 4) << false << false << 0x6FFu << QByteArray("52 5");
        QTest::newRow("f other") << block(1, ready, 4) << false << false << 0x5FFu
                                 << QByteArray("51 5");
        QTest::newRow("g state 2")
                << block(2, ready, 4) << false << false << ready << QByteArray("5");
        QTest::newRow("h preparing")
                << block(1, ready, 2) << false << false << 0x5FFu << QByteArray("6");
        QTest::newRow("i pending")
                << block(1, ready, 1) << false << false << 0x4FFu << QByteArray("7");
        QTest::newRow("j spooler")
                << block(1, ready, 0) << false << true << 0x5FFu << QByteArray("9");
        QTest::newRow("k done") << block(1, ready, 0) << false << false << 0x3FFu
                                << QByteArray("10");
    }
    void printingPageFollowsTheJobBits()
    {
        QFETCH(StatusBlock, raw);
        QFETCH(bool, wasClosed);
        QFETCH(bool, spooler);
        QFETCH(uint, page);
        QFETCH(QByteArray, marks);
        const PrinterState state = familyState(raw);
        const auto chosen = StatusPresentation::printingPage(state, {true, wasClosed, spooler});
        QCOMPARE(chosen.id, page == 0 ? 0x1FFu : page);
        // The pseudo-statuses are looked up; otherwise the page shows the status itself.
        QCOMPARE(chosen.showsState, (page & 0xFF) != 0xFF);
        QCOMPARE(chosen.marks.join(' '), marks);
        const auto closed = StatusPresentation::printingPage(state, {false, wasClosed, spooler});
        QVERIFY(closed.marks.isEmpty() && closed.showsState);
    }

    // A queue of another make is read by its state: its severity and whether it prints, never
    // by a byte that means something else to the family.
    void queuePrintingPageFollowsItsState_data()
    {
        QTest::addColumn<QStringList>("reasons");
        QTest::addColumn<bool>("printing");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<int>("hostJobs");
        QTest::addColumn<bool>("spooler");
        QTest::addColumn<uint>("page");
        QTest::addColumn<QByteArray>("marks");
        const uint own = 0;
        const QStringList none;
        QTest::newRow("printing the job")
                << none << true << false << 4 << false << 0x6FFu << QByteArray("52 5");
        for (const char *report : {"toner-low-report", "media-low-report", "connecting-to-device",
                                   "cups-waiting-for-job-completed"})
            QTest::addRow("printing with %s", report) << QStringList{report} << true << false << 4
                                                      << false << 0x6FFu << QByteArray("52 5");
        QTest::newRow("job not at the printer yet")
                << none << false << false << 4 << false << 0x5FFu << QByteArray("51 5");
        QTest::newRow("a warning shows itself") << QStringList{"media-low-warning"} << true << false
                                                << 4 << false << own << QByteArray("5");
        QTest::newRow("a jam shows itself") << QStringList{"media-jam-error"} << true << false << 4
                                            << false << own << QByteArray("3");
        QTest::newRow("a silent printer shows itself")
                << none << false << true << 4 << false << own << QByteArray("3");
        QTest::newRow("spooled") << none << false << false << 0 << true << 0x5FFu
                                 << QByteArray("9");
        QTest::newRow("done") << none << false << false << 0 << false << 0x3FFu << QByteArray("10");
    }
    void queuePrintingPageFollowsItsState()
    {
        QFETCH(QStringList, reasons);
        QFETCH(bool, printing);
        QFETCH(bool, silent);
        QFETCH(int, hostJobs);
        QFETCH(bool, spooler);
        QFETCH(uint, page);
        QFETCH(QByteArray, marks);
        CupsPrinterState queue;
        queue.state = printing ? CupsPrinterState::Processing : CupsPrinterState::Idle;
        queue.reasons = reasons;
        queue.printerAnswer
                = silent ? CupsPrinterState::Answer::Silent : CupsPrinterState::Answer::Answered;
        const PrinterState state = QueueStatus::state(queue, quint8(hostJobs));
        const auto chosen = StatusPresentation::printingPage(state, {true, false, spooler});
        QCOMPARE(chosen.showsState, page == 0);
        if (page != 0)
            QCOMPARE(chosen.id, page);
        QCOMPARE(chosen.marks.join(' '), marks);
    }

    void reportIsDroppedOnlyWhenNobodyLooks()
    {
        const StatusBlock ready = block(1, 0x010000, 0);
        QVERIFY(!StatusPresentation::dropsReport(false, ready, false, true, false));
        QVERIFY(StatusPresentation::dropsReport(true, ready, false, false, true));
        QVERIFY(!StatusPresentation::dropsReport(true, StatusBlock(), false, false, false));
        QVERIFY(StatusPresentation::dropsReport(true, ready, true, true, false));
        QVERIFY(!StatusPresentation::dropsReport(true, ready, true, true, true));
    }

    void trayStateIsNamedFromTheState_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("severity");
        QTest::addColumn<bool>("printing");
        QTest::addColumn<QString>("name");
        using S = PrinterState::Severity;
        const int family = int(PrinterState::Source::Family);
        const int queue = int(PrinterState::Source::Queue);
        QTest::newRow("unknown") << family << int(S::Unknown) << false << "default";
        QTest::newRow("ok") << family << int(S::Ok) << false << "normal";
        QTest::newRow("ok, printing") << family << int(S::Ok) << true << "printing";
        QTest::newRow("report, printing") << queue << int(S::Report) << true << "printing";
        QTest::newRow("pop-up information") << family << int(S::Waiting) << false << "normal";
        QTest::newRow("warning, printing") << queue << int(S::Warning) << true << "warning";
        QTest::newRow("error") << family << int(S::Error) << true << "error";
        QTest::newRow("family not answering") << family << int(S::NotAnswering) << false << "error";
        QTest::newRow("queue not answering") << queue << int(S::NotAnswering) << false << "warning";
    }
    void trayStateIsNamedFromTheState()
    {
        QFETCH(int, source);
        QFETCH(int, severity);
        QFETCH(bool, printing);
        PrinterState state;
        state.source = PrinterState::Source(source);
        state.severity = PrinterState::Severity(severity);
        state.activity = printing ? PrinterState::Activity::Printing : PrinterState::Activity::Idle;
        QTEST(StatusPresentation::trayState(state), "name");
        QCOMPARE(StatusPresentation::trayImage(StatusPresentation::trayState(state)),
                 QString("../share/icons/pl_%1.png").arg(StatusPresentation::trayState(state)));
    }

    void supplyOrderAddressListsTheEmptiestFirstUnquoted()
    {
        TonerInfoList toners(3);
        toners[0].id = "K", toners[0].orderCode = "k1";
        toners[1].id = "C", toners[1].orderCode = "c1";
        toners[2].id = "M", toners[2].orderCode = "m1";
        const TonerDesc levels{{"K", 200}, {"C", 30}};
        const QByteArrayList codes = StatusPresentation::supplyOrderCodes(toners, levels);
        QCOMPARE(codes, QByteArrayList({"m1", "c1", "k1"}));
        QCOMPARE(StatusPresentation::supplyOrderAddress("http://shop/?i=", ",", codes),
                 QString("http://shop/?i=m1,c1,k1"));
        QCOMPARE(StatusPresentation::supplyOrderAddress("http://shop/", ",", {}),
                 QString("http://shop/"));
    }

    void noticeFollowsTheAlertOptions_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("severity");
        QTest::addColumn<bool>("lowSupply");
        QTest::addColumn<bool>("applicable");
        QTest::addColumn<bool>("errors");
        QTest::addColumn<bool>("waiting");
        QTest::addColumn<bool>("wanted");
        QTest::addColumn<int>("delayMs");
        using S = PrinterState::Severity;
        const int family = int(PrinterState::Source::Family);
        const int queue = int(PrinterState::Source::Queue);
        const int error = int(S::Error);
        const int warning = int(S::Warning);
        const int silent = int(S::NotAnswering);
        QTest::newRow("jam") << family << error << false << true << true << true << true << 0;
        QTest::newRow("jam, errors off")
                << family << error << false << true << false << true << false << 0;
        QTest::newRow("offline") << family << warning << false << true << true << true << true << 0;
        QTest::newRow("offline, waiting off")
                << family << warning << false << true << true << false << false << 0;
        QTest::newRow("pop-up information")
                << family << int(S::Waiting) << false << true << true << true << true << 0;
        QTest::newRow("toner low")
                << family << warning << true << true << true << true << true << 0;
        QTest::newRow("toner low, prepared for")
                << family << warning << true << false << true << true << false << 0;
        QTest::newRow("queue supply low, prepared for")
                << queue << warning << true << false << true << true << false << 0;
        QTest::newRow("ready") << family << int(S::Ok) << false << true << true << true << false
                               << 0;
        QTest::newRow("a report is never told")
                << queue << int(S::Report) << false << true << true << true << false << 0;
        QTest::newRow("printer gone")
                << family << silent << false << true << true << true << true << 60000;
        QTest::newRow("queue's printer silent")
                << queue << silent << false << true << true << true << true << 60000;
        QTest::newRow("silent, errors off")
                << queue << silent << false << true << false << true << false << 60000;
        QTest::newRow("no device") << int(PrinterState::Source::None) << error << false << true
                                   << true << true << false << 0;
    }

    void noticeFollowsTheAlertOptions()
    {
        QFETCH(int, source);
        QFETCH(int, severity);
        QFETCH(bool, lowSupply);
        QFETCH(bool, applicable);
        QFETCH(bool, errors);
        QFETCH(bool, waiting);
        QFETCH(bool, wanted);
        QFETCH(int, delayMs);
        Options options;
        options.displayPrinterError = errors;
        options.displayPrinterWaiting = waiting;
        PrinterState state;
        state.source = PrinterState::Source(source);
        state.severity = PrinterState::Severity(severity);
        state.lowSupply = lowSupply;
        const auto notice = StatusPresentation::notice(state, applicable, options);
        QCOMPARE(notice.wanted, wanted);
        if (wanted)
            QCOMPARE(notice.delayMs, delayMs);
        // What the panel already shows is seen: no bubble over it.
        QVERIFY(!StatusPresentation::notice(state, applicable, options, true).wanted);
        options.displayFinishNwJob = true;
        QVERIFY(StatusPresentation::noticesFinishedJob(true, true, options));
        QVERIFY(!StatusPresentation::noticesFinishedJob(true, false, options));
        options.displayFinishNwJob = false;
        QVERIFY(!StatusPresentation::noticesFinishedJob(true, true, options));
    }

    void toolTipNamesPrinterAndStatus()
    {
        QCOMPARE(StatusPresentation::toolTip(QString(), "Ready"), QString("Pellar"));
        QCOMPARE(StatusPresentation::toolTip("Quillon C410", "Toner low (cyan)"),
                 QString("Pellar — Quillon C410: Toner low (cyan)"));
    }
};

QTEST_GUILESS_MAIN(TestStatusPresentation)
#include "tst_statuspresentation.moc"
