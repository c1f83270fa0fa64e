#include "status/statusblock.h"
#include "status/statusdesc.h"
#include "status/tonerinfo.h"
#include "tests/status/testfiles.h"
#include "tests/tools/logcapture.h"

#include <QTest>

namespace { } // namespace

class TestStatusRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void blockIsEmptyByPrinterBytesOnly_data();
    void blockIsEmptyByPrinterBytesOnly();
    void blockPredicates_data();
    void blockPredicates();
    void blockTextForm();
    void sameStatusComparesBytesZeroToEight();
    void statusTypeNames_data();
    void statusTypeNames();
    void statusDescDefaultsAndCopies();
    void statusDescTextForm();
    void tonerDumps();
    void tonersSortLowestFirstKeepingListOrderOnTies();
};

void TestStatusRecords::blockIsEmptyByPrinterBytesOnly_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<bool>("empty");
    QTest::newRow("all zero") << QByteArray("00000000000000000000") << true;
    QTest::newRow("job bytes set") << QByteArray("0000000000000000ffff") << true;
    QTest::newRow("only byte 0") << QByteArray("01000000000000000000") << false;
    QTest::newRow("only a toner level") << QByteArray("00000000000000010000") << false;
    QTest::newRow("only the id") << QByteArray("00000100000000000000") << false;
}

void TestStatusRecords::blockIsEmptyByPrinterBytesOnly()
{
    QFETCH(QByteArray, hex);
    QFETCH(bool, empty);
    QCOMPARE(statusBlockFromHex(hex).isEmpty(), empty);
    StatusDesc desc(1, StatusDesc::Info);
    QVERIFY(desc.isEmpty());
    desc.setStatusBlock(statusBlockFromHex(hex));
    QCOMPARE(desc.isEmpty(), empty);
}

void TestStatusRecords::blockPredicates_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<bool>("printing");
    QTest::addColumn<bool>("usb");
    QTest::addColumn<bool>("network");
    QTest::addColumn<bool>("activeJobs");
    QTest::addColumn<int>("kind");
    QTest::addColumn<uint>("id");

    QTest::newRow("ready") << QByteArray("01010000646464640000") << false << false << false << false
                           << 1 << 0x010000u;
    QTest::newRow("usb job") << QByteArray("09010300000000000400") << true << true << false << true
                             << 1 << 0x010300u;
    QTest::newRow("network job") << QByteArray("12050201000000000004") << true << false << true
                                 << false << 2 << 0x050201u;
    QTest::newRow("both") << QByteArray("1cffffff000000000100") << true << true << true << true << 4
                          << 0xffffffu;
    QTest::newRow("host job bits beyond 7 do not count")
            << QByteArray("04000000000000000800") << false << false << false << false << 4 << 0u;
}

void TestStatusRecords::blockPredicates()
{
    QFETCH(QByteArray, hex);
    const StatusBlock b = statusBlockFromHex(hex);
    QTEST(b.isPrinting(), "printing");
    QTEST(b.isPrintingUsbJob(), "usb");
    QTEST(b.isPrintingNetworkJob(), "network");
    QTEST(b.hasActiveJobs(), "activeJobs");
    QTEST(b.kind(), "kind");
    QTEST(uint(b.statusId()), "id");
}

void TestStatusRecords::blockTextForm()
{
    QCOMPARE(statusBlockFromHex("18010203643200ff0705").toString(),
             QStringLiteral("<18010203643200ff>\n\tprinting=1 usb/nw=1/1\n\thasActiveJobs=1\n\t"
                            "hostJobs: printing=1 preparing=1 pending=1\n\tallJobs : printing=1 "
                            "preparing=0 pending=1"));
    QCOMPARE(StatusBlock().toString(),
             QStringLiteral("<0000000000000000>\n\tprinting=0 usb/nw=0/0\n\thasActiveJobs=0\n\t"
                            "hostJobs: printing=0 preparing=0 pending=0\n\tallJobs : printing=0 "
                            "preparing=0 pending=0"));
    QCOMPARE(statusBlockFromHex("0a000000000000000200").toString().section(QLatin1Char('\n'), 1, 1),
             QStringLiteral("\tprinting=1 usb/nw=1/0"));
    QCOMPARE(statusBlockFromHex("0a000000000000000200").toString().section(QLatin1Char('\n'), 3, 3),
             QStringLiteral("\thostJobs: printing=0 preparing=1 pending=0"));
}

void TestStatusRecords::sameStatusComparesBytesZeroToEight()
{
    const StatusBlock a = statusBlockFromHex("04050201101010100100");
    QVERIFY(a.sameStatus(statusBlockFromHex("04050201101010100100")));
    QVERIFY(a.sameStatus(statusBlockFromHex("04050201101010100107")));
    QVERIFY(!a.sameStatus(statusBlockFromHex("04050201101010110100")));
    QVERIFY(!a.sameStatus(statusBlockFromHex("04050201101010100000")));
    QVERIFY(!(a == statusBlockFromHex("04050201101010100107")));
}

void TestStatusRecords::statusTypeNames_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0 << "unknown";
    QTest::newRow("1") << 1 << "info";
    QTest::newRow("2") << 2 << "warning";
    QTest::newRow("3") << 3 << "popup info";
    QTest::newRow("4") << 4 << "error";
    QTest::newRow("5") << 5 << "unknown";
    QTest::newRow("7") << 7 << "unknown";
    QTest::newRow("-1") << -1 << "unknown";
}

void TestStatusRecords::statusTypeNames()
{
    QFETCH(int, type);
    QFETCH(QString, name);
    QCOMPARE(QLatin1String(StatusDesc::typeName(type)), name);
}

void TestStatusRecords::statusDescDefaultsAndCopies()
{
    StatusDesc desc(0x050201, StatusDesc::Error);
    QCOMPARE(desc.id(), 0x050201u);
    QCOMPARE(desc.type(), 4);
    for (const QString &text :
         {desc.string(), desc.title(), desc.desc(), desc.help(), desc.tagName()}) {
        QVERIFY(text.isEmpty());
        QVERIFY(!text.isNull());
    }
    QVERIFY(desc.showToner());
    QVERIFY(!desc.isLowToner());
    QVERIFY(desc.isEmpty());

    desc.setString(QStringLiteral("Paper jam"));
    desc.setTitle(QStringLiteral("Papierstau"));
    desc.setDesc(QStringLiteral("Entfernen"));
    desc.setHelp(QStringLiteral("jam.htm"));
    desc.setTagName(QStringLiteral("SM_JAM"));
    desc.setShowToner(false);
    desc.setLowToner(true);
    desc.setStatusBlock(statusBlockFromHex("04050201"));

    StatusDesc copy = desc;
    StatusDesc assigned(0, 0);
    assigned = desc;
    for (const StatusDesc &c : {copy, assigned}) {
        QCOMPARE(c.id(), desc.id());
        QCOMPARE(c.type(), desc.type());
        QCOMPARE(c.string(), QStringLiteral("Paper jam"));
        QCOMPARE(c.title(), QStringLiteral("Papierstau"));
        QCOMPARE(c.desc(), QStringLiteral("Entfernen"));
        QCOMPARE(c.help(), QStringLiteral("jam.htm"));
        QCOMPARE(c.tagName(), QStringLiteral("SM_JAM"));
        QVERIFY(!c.showToner());
        QVERIFY(c.isLowToner());
        QCOMPARE(c.statusBlock(), desc.statusBlock());
    }
    // Copies are independent.
    copy.setTitle(QStringLiteral("changed"));
    QCOMPARE(desc.title(), QStringLiteral("Papierstau"));
}

void TestStatusRecords::statusDescTextForm()
{
    StatusDesc desc(0x0105ff, 5);
    desc.setString(QStringLiteral("s"));
    desc.setTitle(QStringLiteral("t"));
    desc.setDesc(QStringLiteral("d"));
    desc.setHelp(QStringLiteral("h.htm"));
    desc.setTagName(QStringLiteral("TAG"));
    desc.setLowToner(true);
    QCOMPARE(desc.toString(),
             QStringLiteral("\n\tempty: 1\n\tid: 0x0105ff\n\ttype: 5(unknown)\n\tstring: <s>\n\t"
                            "title: <t>\n\tdesc: <d>\n\thelp: <h.htm>\n\ttagName: <TAG>\n\t"
                            "showToner: 1\n\tisLowToner: 1\n\tstatus: ")
                     + StatusBlock().toString());
    desc.setStatusBlock(statusBlockFromHex("02030108"));
    desc.setType(StatusDesc::Warning);
    QVERIFY(desc.toString().startsWith(QStringLiteral("\n\tempty: 0\n\tid: 0x0105ff\n\ttype: "
                                                      "2(warning)\n")));
    QVERIFY(desc.toString().endsWith(statusBlockFromHex("02030108").toString()));
}

void TestStatusRecords::tonerDumps()
{
    LogCapture log;
    TonerInfo black;
    black.id = QStringLiteral("TonerK");
    black.orderCode = "QT-400K";
    black.title = QStringLiteral("Black");
    black.barColors = QStringLiteral("000000");
    black.levelByte = 4;
    black.lowBit = 8;
    dumpTonerInfo({black}, QStringLiteral("Default values"));
    QVERIFY(log.contains(
            QStringLiteral("> <<<<<<<<<<<<<<<<<<<<< dumpTonerInfo: <Default values>: 1 items")));
    QVERIFY(log.contains(QStringLiteral("> \tid=TonerK code=QT-400K title=Black barColors=000000 "
                                        "levelByte=4 lowLevelBit=8")));
    QVERIFY(log.contains(QStringLiteral("> >>>>>>>>>>>>>>>>>>>>> dumpTonerInfo")));

    log.clear();
    TonerDesc levels;
    levels.insert(QStringLiteral("TonerY"), 7);
    levels.insert(QStringLiteral("TonerC"), kUnknownLevel);
    dumpTonerDesc(levels, QString());
    QCOMPARE(log.count(QStringLiteral("dumpTonerDesc: <>: 2 items")), 1);
    // Ascending by id.
    const int cyan = log.text().indexOf(QStringLiteral("\tkey=<TonerC> value=255"));
    const int yellow = log.text().indexOf(QStringLiteral("\tkey=<TonerY> value=7"));
    QVERIFY(cyan >= 0);
    QVERIFY(yellow > cyan);
    QVERIFY(log.contains(QStringLiteral(">>>>>>>>>>>>>>>>>>>>> dumpTonerDesc")));
}

void TestStatusRecords::tonersSortLowestFirstKeepingListOrderOnTies()
{
    SortedList<Toner> toners;
    QVERIFY(toners.isEmpty());
    toners.append({"K", 40});
    toners.append({"C", 5});
    toners.append({"M", 40});
    toners.append({"Y", kUnknownLevel});
    toners.append({"X", 0});
    toners.sort();
    QByteArray order;
    for (const Toner &toner : toners)
        order += toner.orderCode;
    QCOMPARE(order, QByteArray("XCKMY"));
    QCOMPARE(toners.count(), 5);
    QCOMPARE(toners.at(0).level, quint8(0));
}

QTEST_GUILESS_MAIN(TestStatusRecords)
#include "tst_statusrecords.moc"
