#include "ui/printingmode.h"

#include <QSignalSpy>
#include <QTest>

class TestPrintingMode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void enterSetsTheSpoolerFlagAndTimesItOut()
    {
        PrintingMode mode;
        QSignalSpy entered(&mode, &PrintingMode::entered);
        mode.close();
        mode.enter(false);
        QVERIFY(mode.isActive() && mode.hasActiveJobsInSpooler() && !mode.wasClosed());
        QVERIFY(mode.toString().contains("m_timer.isActive()=1"));
        mode.enter(true);
        QCOMPARE(entered.count(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!mode.hasActiveJobsInSpooler(),
                                 PrintingMode::kSpoolerFlagMs + 2000);
        QVERIFY(mode.isActive());

        PrintingMode held;
        held.enter(true);
        QVERIFY(held.toString().contains("m_timer.isActive()=0"));
    }

    void leaveWithDelayKeepsTheModeUntilItEnds()
    {
        PrintingMode mode;
        QSignalSpy leaved(&mode, &PrintingMode::leaved);
        mode.leave();
        QCOMPARE(leaved.count(), 0);
        mode.enter(true);
        mode.leave(PrintingMode::kLeaveDelayMs);
        QVERIFY(mode.isActive());
        QVERIFY(leaved.wait(PrintingMode::kLeaveDelayMs + 2000));
        QVERIFY(!mode.isActive() && !mode.hasActiveJobsInSpooler());
        mode.enter(true);
        mode.leave(0);
        QCOMPARE(leaved.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestPrintingMode)
#include "tst_printingmode.moc"
