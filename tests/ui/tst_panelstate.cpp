#include "config/configurator.h"
#include "status/familystatus.h"
#include "ui/panelstate.h"

#include <QTest>

namespace {

using Severity = PrinterState::Severity;
using Source = PrinterState::Source;

PrinterState stateOf(Source source, Severity severity, bool lowSupply = false)
{
    PrinterState state;
    state.source = source;
    state.severity = severity;
    state.title = QStringLiteral("title");
    state.description = QStringLiteral("what");
    state.remedy = QStringLiteral("do this");
    state.lowSupply = lowSupply;
    // Black has no level: its bar is hidden.
    state.supplies = {{"C", "Cyan", "00FFFF", 40, lowSupply}, {"K", "Black", "000000"}};
    state.showsSupplies = true;
    return state;
}

} // namespace

class TestPanelState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void panelFollowsTheState_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("severity");
        QTest::addColumn<bool>("lowSupply");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<bool>("controls");
        QTest::addColumn<bool>("troubleshooting");
        QTest::addColumn<bool>("errorGuide");
        QTest::addColumn<bool>("familyControls");
        QTest::addColumn<bool>("prepare");
        QTest::addColumn<QString>("bars");
        const int family = int(Source::Family);
        const int queue = int(Source::Queue);
        QTest::newRow("ready") << family << int(Severity::Ok) << false << true << true << true
                               << false << true << false << "C";
        QTest::newRow("family printer silent")
                << family << int(Severity::NotAnswering) << false << true << false << true << true
                << true << false << "";
        QTest::newRow("no printer") << int(Source::None) << int(Severity::Error) << false << true
                                    << true << false << true << true << false << "C";
        QTest::newRow("error") << family << int(Severity::Error) << false << true << true << true
                               << true << true << false << "C";
        QTest::newRow("low toner applied") << family << int(Severity::Warning) << true << true
                                           << true << true << false << true << true << "C";
        QTest::newRow("low toner prepared for") << family << int(Severity::Warning) << true << false
                                                << true << true << false << true << false << "C";
        QTest::newRow("queue ready") << queue << int(Severity::Ok) << false << true << true << true
                                     << false << false << false << "C";
        QTest::newRow("queue supply low") << queue << int(Severity::Warning) << true << true << true
                                          << true << false << false << true << "C";
        QTest::newRow("queue printer silent")
                << queue << int(Severity::NotAnswering) << false << true << false << true << true
                << false << false << "";
    }
    void panelFollowsTheState()
    {
        QFETCH(int, source);
        QFETCH(int, severity);
        QFETCH(bool, lowSupply);
        QFETCH(bool, applied);
        const PrinterState state = stateOf(Source(source), Severity(severity), lowSupply);
        const PanelState::View printing{"Printing in progress", QString()};
        const PanelState panel
                = PanelState::of(state, printing, Configurator::kPrintingInProgressId,
                                 {true, false, false}, applied);
        QTEST(panel.controlsEnabled, "controls");
        QTEST(panel.troubleshootingEnabled, "troubleshooting");
        QFETCH(bool, errorGuide);
        QCOMPARE(panel.guide == PanelState::Guide::Troubleshooting, errorGuide);
        QTEST(panel.showsFamilyControls, "familyControls");
        QTEST(panel.showsPrepareBox, "prepare");
        QStringList bars;
        for (const PanelState::TonerBar &bar : panel.tonerBars) {
            if (bar.visible)
                bars.append(bar.id);
        }
        QTEST(bars.join(','), "bars");
        QCOMPARE(panel.showsToners, !bars.isEmpty());
        QCOMPARE(panel.regular.title, QString("title"));
        QCOMPARE(panel.regular.text, QString("what\ndo this"));
        QCOMPARE(panel.printing.title, printing.title);
        QVERIFY(panel.showsPrintingView);
        QVERIFY(!panel.leavesPrintingMode);
        QCOMPARE(panel.trayState, StatusPresentation::trayState(state));
    }

    void barsSayWhatTheyShow()
    {
        PrinterState queue = stateOf(Source::Queue, Severity::Ok);
        queue.supplies = {{"marker0", "<b>Bold</b>", "00FFFF,FF00FF", Supply::kSomeLeft, false},
                          {"marker1", "Black", "000000", 5, true}};
        const PanelState panel = PanelState::of(queue, {}, 0, {}, true);
        QCOMPARE(panel.tonerBars.size(), 2);
        const PanelState::TonerBar &some = panel.tonerBars.at(0);
        QCOMPARE(some.title, QString("<b>Bold</b> (some left)"));
        QVERIFY(some.visible);
        QCOMPARE(int(some.level), 50);
        QCOMPARE(some.colors[0], QColor("#00FFFF"));
        QCOMPARE(some.colors[1], QColor("#FF00FF"));
        QVERIFY(!some.colors[2].isValid());
        QCOMPARE(panel.tonerBars.at(1).title, QString("Black (low)"));

        // The family's bars keep their table's titles; a change of layout is a new key.
        PrinterState family = queue;
        family.source = Source::Family;
        const PanelState familyPanel = PanelState::of(family, {}, 0, {}, true);
        QCOMPARE(familyPanel.tonerBars.at(1).title, QString("Black"));
        QVERIFY(PanelState::barsKey(familyPanel.tonerBars) != PanelState::barsKey(panel.tonerBars));
        QCOMPARE(PanelState::barsKey(panel.tonerBars),
                 PanelState::barsKey(PanelState::of(queue, {}, 0, {}, false).tonerBars));
    }

    void tonersAndPrintingModeFollowTheirOwnSignals()
    {
        PrinterState ready = stateOf(Source::Family, Severity::Ok);
        ready.showsSupplies = false;
        QVERIFY(!PanelState::of(ready, {}, 0, {}, true).showsToners);
        ready.showsSupplies = true;
        ready.supplies.clear();
        QVERIFY(!PanelState::of(ready, {}, 0, {}, true).showsToners);

        const quint32 completed = Configurator::kPrintingCompletedId;
        QVERIFY(PanelState::of(ready, {}, completed, {true, false, false}, true)
                        .leavesPrintingMode);
        QVERIFY(!PanelState::of(ready, {}, completed, {}, true).leavesPrintingMode);

        QCOMPARE(PanelState::usersGuideStart(QStringLiteral("/help/en/jam.htm")),
                 QStringLiteral("/help/en/start_here.htm"));
        QCOMPARE(PanelState::usersGuideStart(QString()), QString());
    }
};

QTEST_GUILESS_MAIN(TestPanelState)
#include "tst_panelstate.moc"
