#include "config/configurator.h"
#include "config/options.h"
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
        const quint32 id = StatusPresentation::lookupId(raw, true, true);
        const auto chosen = StatusPresentation::printingPage(raw, id, {true, wasClosed, spooler});
        QCOMPARE(chosen.id, page == 0 ? 0x1FFu : page);
        QCOMPARE(chosen.marks.join(' '), marks);
        QVERIFY(StatusPresentation::printingPage(raw, id, {false, wasClosed, spooler})
                        .marks.isEmpty());
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

    void trayImageFollowsTheType()
    {
        const char *images[] = {"default", "normal", "warning", "normal", "error", "default"};
        for (int type = 0; type < 6; ++type)
            QCOMPARE(StatusPresentation::trayImage(type),
                     QString("../share/icons/pl_%1.png").arg(images[type]));
        const char *printing[] = {"default", "printing", "warning", "printing", "error"};
        for (int type = 0; type < 5; ++type)
            QCOMPARE(StatusPresentation::trayImage(type, true),
                     QString("../share/icons/pl_%1.png").arg(printing[type]));
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
        QTest::addColumn<uint>("id");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("lowToner");
        QTest::addColumn<bool>("applicable");
        QTest::addColumn<bool>("errors");
        QTest::addColumn<bool>("waiting");
        QTest::addColumn<bool>("wanted");
        QTest::addColumn<int>("delayMs");
        const int error = StatusDesc::Error;
        const int warning = StatusDesc::Warning;
        const uint usbGone = Configurator::kUsbStatusUnavailableId;
        const uint networkGone = Configurator::kNetworkStatusUnavailableId;
        QTest::newRow("jam") << 0x050200u << error << false << true << true << true << true << 0;
        QTest::newRow("jam, errors off")
                << 0x050200u << error << false << true << false << true << false << 0;
        QTest::newRow("offline") << 0x020100u << warning << false << true << true << true << true
                                 << 0;
        QTest::newRow("offline, waiting off")
                << 0x020100u << warning << false << true << true << false << false << 0;
        QTest::newRow("toner low")
                << 0x030104u << warning << true << true << true << true << true << 0;
        QTest::newRow("toner low, prepared for")
                << 0x030104u << warning << true << false << true << true << false << 0;
        QTest::newRow("ready") << 0x010000u << int(StatusDesc::Info) << false << true << true
                               << true << false << 0;
        QTest::newRow("usb gone") << usbGone << error << false << true << true << true << true
                                  << 60000;
        QTest::newRow("network gone")
                << networkGone << error << false << true << true << true << true << 60000;
        QTest::newRow("network gone, errors off")
                << networkGone << error << false << true << false << true << false << 60000;
        QTest::newRow("no device") << uint(Configurator::kNoDeviceStatusId) << error << false
                                   << true << true << true << false << 0;
    }

    void noticeFollowsTheAlertOptions()
    {
        QFETCH(uint, id);
        QFETCH(int, type);
        QFETCH(bool, lowToner);
        QFETCH(bool, applicable);
        QFETCH(bool, errors);
        QFETCH(bool, waiting);
        QFETCH(bool, wanted);
        QFETCH(int, delayMs);
        Options options;
        options.displayPrinterError = errors;
        options.displayPrinterWaiting = waiting;
        const auto notice = StatusPresentation::notice(id, type, lowToner, applicable, options);
        QCOMPARE(notice.wanted, wanted);
        if (wanted)
            QCOMPARE(notice.delayMs, delayMs);
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
