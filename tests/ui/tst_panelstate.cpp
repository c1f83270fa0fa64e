#include "config/configurator.h"
#include "ui/panelstate.h"

#include <QTest>

namespace {

const quint32 kReadyId = 0x010000;

StatusDesc statusOf(quint32 id, int type, bool answered, bool lowToner = false)
{
    StatusDesc status(id, type);
    status.setTitle(QStringLiteral("title %1").arg(id, 0, 16));
    status.setDesc(QStringLiteral("text %1").arg(id, 0, 16));
    status.setLowToner(lowToner);
    StatusBlock raw;
    if (answered)
        raw[0] = 1;
    status.setStatusBlock(raw);
    return status;
}

} // namespace

class TestPanelState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void panelFollowsTheStatus_data()
    {
        QTest::addColumn<quint32>("id");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<bool>("lowToner");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<bool>("printing");
        QTest::addColumn<bool>("controls");
        QTest::addColumn<bool>("troubleshooting");
        QTest::addColumn<bool>("errorGuide");
        QTest::addColumn<bool>("prepare");
        QTest::addColumn<QString>("bars");
        QTest::addColumn<QString>("image");
        QTest::newRow("ready") << kReadyId << int(StatusDesc::Info) << true << false << true
                               << false << true << true << false << false << "C"
                               << "normal";
        QTest::newRow("usb unavailable")
                << Configurator::kUsbStatusUnavailableId << int(StatusDesc::Warning) << false
                << false << true << false << false << true << false << false << ""
                << "warning";
        QTest::newRow("network unavailable")
                << Configurator::kNetworkStatusUnavailableId << int(StatusDesc::Error) << false
                << false << true << false << false << true << true << false << ""
                << "error";
        QTest::newRow("no printer")
                << Configurator::kNoDeviceStatusId << int(StatusDesc::Unknown) << false << false
                << true << false << true << false << false << false << ""
                << "default";
        QTest::newRow("error") << 0x050100u << int(StatusDesc::Error) << true << false << true
                               << false << true << true << true << false << "C"
                               << "error";
        QTest::newRow("low toner applied") << 0x020100u << int(StatusDesc::Warning) << true << true
                                           << true << false << true << true << false << true << "C"
                                           << "warning";
        QTest::newRow("low toner ignored")
                << 0x020100u << int(StatusDesc::Warning) << true << true << false << false << true
                << true << false << false << "C"
                << "warning";
        QTest::newRow("printing") << kReadyId << int(StatusDesc::PopupInfo) << true << false << true
                                  << true << true << true << false << false << "C"
                                  << "printing";
    }
    void panelFollowsTheStatus()
    {
        QFETCH(quint32, id);
        QFETCH(int, type);
        QFETCH(bool, answered);
        QFETCH(bool, lowToner);
        QFETCH(bool, applied);
        QFETCH(bool, printing);
        StatusDesc status = statusOf(id, type, answered, lowToner);
        if (printing) {
            StatusBlock raw = status.statusBlock();
            raw[0] |= 0x08;
            status.setStatusBlock(raw);
        }
        const StatusDesc printingStatus = statusOf(Configurator::kPreparingJobId, 1, answered);
        // Black has no level: its bar is hidden.
        const TonerDesc toners{{"C", 40}, {"K", kUnknownLevel}};
        const PanelState state
                = PanelState::of(status, printingStatus, toners, {printing, false, false}, applied);

        QTEST(state.controlsEnabled, "controls");
        QTEST(state.troubleshootingEnabled, "troubleshooting");
        QFETCH(bool, errorGuide);
        QCOMPARE(state.guide == PanelState::Guide::Troubleshooting, errorGuide);
        QTEST(state.showsPrepareBox, "prepare");
        QStringList bars;
        for (const PanelState::TonerBar &bar : state.tonerBars) {
            QCOMPARE(bar.level, toners.value(bar.id));
            if (bar.visible)
                bars.append(bar.id);
        }
        QCOMPARE(state.showsToners, answered);
        QTEST(bars.join(','), "bars");
        QCOMPARE(state.showsPrintingView, printing);
        QCOMPARE(state.regular.title, status.title());
        QCOMPARE(state.printing.text, printingStatus.desc());
        QFETCH(QString, image);
        QCOMPARE(state.trayImage, QStringLiteral("../share/icons/pl_%1.png").arg(image));
    }

    void tonersAndPrintingModeFollowTheirOwnSignals()
    {
        const StatusDesc ready = statusOf(kReadyId, StatusDesc::Info, true);
        StatusDesc noToner = ready;
        noToner.setShowToner(false);
        const TonerDesc toners{{"C", 40}};
        QVERIFY(!PanelState::of(noToner, ready, toners, {}, true).showsToners);
        QVERIFY(!PanelState::of(ready, ready, TonerDesc(), {}, true).showsToners);

        const StatusDesc completed
                = statusOf(Configurator::kPrintingCompletedId, StatusDesc::Info, true);
        QVERIFY(PanelState::of(ready, completed, toners, {true, false, false}, true)
                        .leavesPrintingMode);
        QVERIFY(!PanelState::of(ready, completed, toners, {}, true).leavesPrintingMode);
        QVERIFY(!PanelState::of(ready, ready, toners, {true, false, false}, true)
                         .leavesPrintingMode);

        QCOMPARE(PanelState::usersGuideStart(QStringLiteral("/help/en/jam.htm")),
                 QStringLiteral("/help/en/start_here.htm"));
        QCOMPARE(PanelState::usersGuideStart(QString()), QString());
    }
};

QTEST_GUILESS_MAIN(TestPanelState)
#include "tst_panelstate.moc"
