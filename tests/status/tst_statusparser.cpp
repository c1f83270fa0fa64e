#include "status/statusparser.h"
#include "tests/tools/logcapture.h"

#include <QFile>
#include <QTest>

namespace {

QString document(const QString &body)
{
    return QStringLiteral("<?xml version=\"1.0\"?><StatusMonitorInfo>%1</StatusMonitorInfo>")
            .arg(body);
}

QString entry(const QString &tag, const QString &status, const QString &mask = QString(),
              const QString &attributes = QString())
{
    QString text = QStringLiteral("<%1 %2><Status>%3</Status>").arg(tag, attributes, status);
    if (!mask.isNull())
        text += QStringLiteral("<Mask>%1</Mask>").arg(mask);
    return text + QStringLiteral("</%1>").arg(tag);
}

QString statusElement(const QString &entries)
{
    return QStringLiteral("<Status>%1</Status>").arg(entries);
}

QString tonerIds(const TonerInfoList &toners)
{
    QStringList ids;
    for (const TonerInfo &toner : toners)
        ids.append(toner.id);
    return ids.join(QLatin1Char(' '));
}

QByteArray hex(const std::array<quint8, 8> &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size())).toHex();
}

StatusDesc pseudo(quint32 id, const char *string)
{
    StatusDesc record(id, StatusDesc::Error);
    record.setString(QLatin1String(string));
    record.setTitle(QLatin1String(string));
    return record;
}

} // namespace

class TestStatusParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statusBytes_data();
    void statusBytes();
    void idAndTypeFromStatusAndMask_data();
    void idAndTypeFromStatusAndMask();
    void popupRuleMakesTheWildcardEntryAPopup();
    void entryAttributesAndTagName();
    void entriesWithoutStatusChildAreLeftOut();
    void laterEntriesAndDocumentEntriesReplaceEarlierOnes();
    void rebuildStartsFromTheFixedStatuses();
    void tonerOrderNamesTheTonersInTableOrder();
    void tonerOverrides_data();
    void tonerOverrides();
    void urlWithoutTonerOrderChangesNothing();
    void capabilityFlags_data();
    void capabilityFlags();
    void capabilitiesOnlyFollowConsecutiveSiblings();
    void invalidDocumentLeavesTheFixedStatuses();
    void installedDocumentDescribesAFourColourModel();
};

void TestStatusParser::statusBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("bracketed") << "[04][01][05][00][00][00][00][00]"
                               << QByteArray("0401050000000000");
    QTest::newRow("lower case") << "[ff][0a][Bc][00][00][00][00][00]"
                                << QByteArray("ff0abc0000000000");
    QTest::newRow("no brackets") << "0102030405060708" << QByteArray("0102030405060708");
    QTest::newRow("not hexadecimal")
            << "[G1][01][zz][-1][+1][ 1][00][7F]" << QByteArray("000100000000007f");
    QTest::newRow("short") << "[01][02]" << QByteArray("0102000000000000");
    QTest::newRow("odd length") << "[01][0" << QByteArray("0100000000000000");
    QTest::newRow("empty") << "" << QByteArray("0000000000000000");
    QTest::newRow("surrounding white space")
            << "\n    [04][01]\n  " << QByteArray("0401000000000000");
    QTest::newRow("longer than eight")
            << "[01][02][03][04][05][06][07][08][09]" << QByteArray("0102030405060708");
    QTest::newRow("non-Latin digits")
            << QString::fromUtf8("[\xd9\xa1\xd9\xa2][01]") << QByteArray("0001000000000000");
}

void TestStatusParser::statusBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(hex(StatusParser::parseStatusBytes(text)), bytes);
}

void TestStatusParser::idAndTypeFromStatusAndMask_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<uint>("id");
    QTest::addColumn<int>("type");

    QTest::newRow("default mask keeps the id")
            << "[02][03][01][08][00][00][00][00]" << QString() << 0x030108u << 2;
    QTest::newRow("id 0, info") << "[01][00][00][00][00][00][00][00]" << QString() << 0u << 1;
    QTest::newRow("low byte masked: wildcard")
            << "[04][05][02][07][00][00][00][00]"
            << "[00][FF][FF][00][00][00][00][00]" << 0x0502FFu << 4;
    QTest::newRow("low nibble masked") << "[02][03][01][00][00][00][00][00]"
                                       << "[00][FF][FF][F0][00][00][00][00]" << 0x03010Fu << 2;
    QTest::newRow("two bytes masked") << "[04][06][12][34][00][00][00][00]"
                                      << "[00][FF][00][00][00][00][00][00]" << 0x06FFFFu << 4;
    QTest::newRow("mask on bytes 0 and 4..7 changes nothing")
            << "[04][01][02][03][00][00][00][00]"
            << "[00][FF][FF][FF][FF][FF][FF][FF]" << 0x010203u << 4;
    QTest::newRow("type is the low three bits")
            << "[0C][01][01][01][00][00][00][00]" << QString() << 0x010101u << 4;
    QTest::newRow("type 7 is kept") << "[07][01][01][02]" << QString() << 0x010102u << 7;
    QTest::newRow("type 0") << "[00][01][01][03]" << QString() << 0x010103u << 0;
    QTest::newRow("malformed mask reads as zero: every id bit set")
            << "[04][01][01][04]"
            << "[XX][YY][ZZ][WW]" << 0xFFFFFFu << 4;
}

void TestStatusParser::idAndTypeFromStatusAndMask()
{
    QFETCH(QString, status);
    QFETCH(QString, mask);
    QFETCH(uint, id);
    QFETCH(int, type);
    StatusParser parser;
    QVERIFY(parser.setContent(document(statusElement(entry(QStringLiteral("E"), status, mask)))));
    QVERIFY(parser.readErrorStatuses());
    QCOMPARE(parser.statusTable().size(), 1);
    QCOMPARE(parser.statusTable().firstKey(), quint32(id));
    QCOMPARE(parser.statusTable().first().id(), quint32(id));
    QCOMPARE(parser.statusTable().first().type(), type);
}

void TestStatusParser::popupRuleMakesTheWildcardEntryAPopup()
{
    StatusParser parser;
    parser.setContent(document(statusElement(
            entry(QStringLiteral("POPUP"), QStringLiteral("[04][01][05][00][00][00][00][00]"),
                  QStringLiteral("[00][FF][FF][00][00][00][00][00]"))
            + entry(QStringLiteral("OTHER"), QStringLiteral("[04][01][06][00]"),
                    QStringLiteral("[00][FF][FF][00][00][00][00][00]")))));
    QVERIFY(parser.readErrorStatuses());
    QCOMPARE(parser.statusTable().value(0x0105FF, StatusDesc(0, 0)).type(), 3);
    QCOMPARE(parser.statusTable().value(0x0106FF, StatusDesc(0, 0)).type(), 4);

    // An exact entry with that id counts as well; without one nothing becomes a popup.
    parser.setContent(document(
            statusElement(entry(QStringLiteral("EXACT"), QStringLiteral("[02][01][05][FF]")))));
    parser.readErrorStatuses();
    QCOMPARE(parser.statusTable().value(0x0105FF, StatusDesc(0, 0)).type(), 3);
    parser.setContent(document(
            statusElement(entry(QStringLiteral("EXACT"), QStringLiteral("[02][01][05][FE]")))));
    parser.readErrorStatuses();
    QCOMPARE(parser.statusTable().value(0x0105FE, StatusDesc(0, 0)).type(), 2);
}

void TestStatusParser::entryAttributesAndTagName()
{
    StatusParser parser;
    parser.setContent(document(statusElement(
            entry(QStringLiteral("SM_A"), QStringLiteral("[02][00][00][01]"), QString(),
                  QStringLiteral("STRING=\"Toner low\" SHOWTONERLEVEL=\"FALSE\" "
                                 "LOWTONERSTATUS=\"True\""))
            + entry(QStringLiteral("SM_B"), QStringLiteral("[02][00][00][02]"), QString(),
                    QStringLiteral("SHOWTONERLEVEL=\"no\" LOWTONERSTATUS=\"yes\""))
            + entry(QStringLiteral("SM_C"), QStringLiteral("[02][00][00][03]"), QString(),
                    QStringLiteral("STRING=\"\""))
            + entry(QStringLiteral("SM_D"), QStringLiteral("[04][00][00][04]"), QString(),
                    QStringLiteral("STRING=\"Jam &amp; more\" SHOWTONERLEVEL=\"false\"")))));
    QVERIFY(parser.readErrorStatuses());
    const StatusTable &table = parser.statusTable();

    const StatusDesc a = table.value(1, StatusDesc(0, 0));
    QCOMPARE(a.tagName(), QStringLiteral("SM_A"));
    QCOMPARE(a.string(), QStringLiteral("Toner low"));
    QCOMPARE(a.title(), QStringLiteral("Toner low"));
    QCOMPARE(a.desc(), QStringLiteral("Toner low"));
    QVERIFY(!a.showToner());
    QVERIFY(a.isLowToner());
    QVERIFY(a.help().isEmpty());
    QVERIFY(a.isEmpty());

    const StatusDesc b = table.value(2, StatusDesc(0, 0));
    QVERIFY(b.showToner());
    QVERIFY(!b.isLowToner());
    QVERIFY(b.string().isNull());
    QVERIFY(b.title().isNull());

    const StatusDesc c = table.value(3, StatusDesc(0, 0));
    QVERIFY(c.string().isEmpty());
    QVERIFY(!c.string().isNull());

    const StatusDesc d = table.value(4, StatusDesc(0, 0));
    QCOMPARE(d.string(), QStringLiteral("Jam & more"));
    QVERIFY(!d.showToner());
}

void TestStatusParser::entriesWithoutStatusChildAreLeftOut()
{
    StatusParser parser;
    parser.setContent(document(statusElement(
            QStringLiteral("<NOSTATUS STRING=\"x\"><Mask>[00][FF][FF][00]</Mask></NOSTATUS>"
                           "<NESTED><Inner><Status>[01][00][00][05]</Status></Inner></NESTED>"
                           "<!-- a comment --> text ")
            + entry(QStringLiteral("KEPT"), QStringLiteral("[01][00][00][06]")))));
    QVERIFY(parser.readErrorStatuses());
    QCOMPARE(parser.statusTable().keys(), QList<quint32>({6}));
}

void TestStatusParser::laterEntriesAndDocumentEntriesReplaceEarlierOnes()
{
    StatusParser parser;
    parser.addFixedStatus(pseudo(0x0000FF, "No device for polling"));
    parser.addFixedStatus(pseudo(0x0001FF, "USB Printer status is not available"));
    parser.setContent(document(
            statusElement(entry(QStringLiteral("FIRST"), QStringLiteral("[01][01][01][01]"),
                                QString(), QStringLiteral("STRING=\"first\""))
                          + entry(QStringLiteral("NODEV"), QStringLiteral("[04][00][00][FF]"),
                                  QString(), QStringLiteral("STRING=\"document\"")))
            + statusElement(entry(QStringLiteral("SECOND"), QStringLiteral("[02][01][01][01]"),
                                  QString(), QStringLiteral("STRING=\"second\"")))));
    QVERIFY(parser.readErrorStatuses());
    const StatusTable &table = parser.statusTable();
    QCOMPARE(table.size(), 3);
    QCOMPARE(table.value(0x010101, StatusDesc(0, 0)).string(), QStringLiteral("second"));
    QCOMPARE(table.value(0x010101, StatusDesc(0, 0)).type(), 2);
    QCOMPARE(table.value(0x0000FF, StatusDesc(0, 0)).string(), QStringLiteral("document"));
    QCOMPARE(table.value(0x0000FF, StatusDesc(0, 0)).tagName(), QStringLiteral("NODEV"));
    QCOMPARE(table.value(0x0001FF, StatusDesc(0, 0)).string(),
             QStringLiteral("USB Printer status is not available"));
}

void TestStatusParser::rebuildStartsFromTheFixedStatuses()
{
    StatusParser parser;
    parser.addFixedStatus(pseudo(0x0000FF, "No device for polling"));
    parser.addFixedStatus(pseudo(0x0000FF, "replaced"));
    parser.setContent(document(
            QStringLiteral("<Capabilities TUNEX=\"false\" ExtendedJobTableCode=\"true\"/>"
                           "<URL><TonerOrder TonerK=\"K\">http://x.example/</TonerOrder></URL>")
            + statusElement(entry(QStringLiteral("A"), QStringLiteral("[01][01][01][01]")))));
    QVERIFY(parser.readErrorStatuses());
    QCOMPARE(parser.statusTable().size(), 2);
    QVERIFY(!parser.tunexSupported());
    QVERIFY(parser.extendedJobTable());
    QCOMPARE(parser.tonerList().size(), 1);

    // Decorations made in place disappear with the next rebuild.
    parser.statusTable().find(0x0000FF)->setTitle(QStringLiteral("translated"));
    parser.setContent(document(
            statusElement(entry(QStringLiteral("B"), QStringLiteral("[01][02][02][02]")))));
    QVERIFY(parser.readErrorStatuses());
    QCOMPARE(parser.statusTable().keys(), QList<quint32>({0x0000FF, 0x020202}));
    QCOMPARE(parser.statusTable().value(0x0000FF, StatusDesc(0, 0)).title(),
             QStringLiteral("replaced"));
    QVERIFY(parser.tunexSupported());
    QVERIFY(!parser.extendedJobTable());
    QVERIFY(parser.tonerList().isEmpty());
    QVERIFY(parser.supplyOrderUrl().isEmpty());
    QVERIFY(parser.separator().isEmpty());
}

void TestStatusParser::tonerOrderNamesTheTonersInTableOrder()
{
    LogCapture log;
    StatusParser parser;
    parser.setContent(document(QStringLiteral(
            "<URL><TonerOrder TonerC=\"C-9\" TonerK=\"K-9\" TonerX=\"?\">http://order.example/"
            "?item=</TonerOrder></URL>")));
    QVERIFY(parser.readErrorStatuses());
    QCOMPARE(tonerIds(parser.tonerList()), QStringLiteral("TonerK TonerC"));
    QCOMPARE(parser.supplyOrderUrl(), QStringLiteral("http://order.example/?item="));
    QCOMPARE(parser.separator(), QStringLiteral(","));
    const TonerInfo black = parser.tonerList().at(0);
    QCOMPARE(black.orderCode, QByteArray("K-9"));
    QCOMPARE(black.title, QStringLiteral("Black"));
    QCOMPARE(black.barColors, QStringLiteral("000000"));
    QCOMPARE(black.levelByte, quint8(4));
    QCOMPARE(black.lowBit, quint8(8));
    const TonerInfo cyan = parser.tonerList().at(1);
    QCOMPARE(cyan.orderCode, QByteArray("C-9"));
    QCOMPARE(cyan.levelByte, quint8(5));
    QCOMPARE(cyan.lowBit, quint8(4));
    QVERIFY(log.contains(QStringLiteral("StatusParser::parseURLElement")));
    QVERIFY(log.contains(QStringLiteral("dumpTonerInfo: <Default values>: 2 items")));
    QVERIFY(log.contains(QStringLiteral("dumpTonerInfo: <Actual values>: 2 items")));
    QVERIFY(log.contains(QStringLiteral(
            "\tid=TonerC code=C-9 title=Cyan barColors=00FFFF levelByte=5 lowLevelBit=4")));

    // The ink table and a separator of the document's own.
    parser.setContent(document(QStringLiteral(
            "<URL><TonerOrder SEPARATOR=\"+\" InkPhoto=\"P\" InkColor=\"C\" InkK=\"K\" "
            "TonerY=\"Y\"/></URL>")));
    parser.readErrorStatuses();
    QCOMPARE(tonerIds(parser.tonerList()), QStringLiteral("TonerY InkK InkColor InkPhoto"));
    QCOMPARE(parser.separator(), QStringLiteral("+"));
    QCOMPARE(parser.tonerList().at(2).barColors, QStringLiteral("00FFFF,FF00FF,FFFF00"));
    QCOMPARE(parser.tonerList().at(3).barColors, QStringLiteral("00FFFF,FF00FF"));
    QCOMPARE(parser.tonerList().at(3).levelByte, quint8(6));
    QVERIFY(parser.supplyOrderUrl().isEmpty());
}

void TestStatusParser::tonerOverrides_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<QString>("colors");
    QTest::addColumn<int>("levelByte");
    QTest::addColumn<int>("lowBit");

    // Defaults of TonerC: 00FFFF, level byte 5, low bit 4.
    QTest::newRow("none") << ""
                          << "00FFFF" << 5 << 4;
    QTest::newRow("byte 4 is not a level byte") << "BarTonerByte=\"4\""
                                                << "00FFFF" << 5 << 4;
    QTest::newRow("byte 5") << "BarTonerByte=\"5\""
                            << "00FFFF" << 4 << 4;
    QTest::newRow("byte 8") << "BarTonerByte=\"8\""
                            << "00FFFF" << 7 << 4;
    QTest::newRow("byte 9") << "BarTonerByte=\"9\""
                            << "00FFFF" << 5 << 4;
    QTest::newRow("byte not a number") << "BarTonerByte=\"seven\""
                                       << "00FFFF" << 5 << 4;
    QTest::newRow("byte negative") << "BarTonerByte=\"-6\""
                                   << "00FFFF" << 5 << 4;
    QTest::newRow("low bit 2") << "BarTonerLowBit=\"2\""
                               << "00FFFF" << 5 << 2;
    QTest::newRow("low bit 8") << "BarTonerLowBit=\"8\""
                               << "00FFFF" << 5 << 8;
    QTest::newRow("low bit 3") << "BarTonerLowBit=\"3\""
                               << "00FFFF" << 5 << 4;
    QTest::newRow("low bit 16") << "BarTonerLowBit=\"16\""
                                << "00FFFF" << 5 << 4;
    QTest::newRow("low bit 0") << "BarTonerLowBit=\"0\""
                               << "00FFFF" << 5 << 4;
    QTest::newRow("two colours") << "BarColor1=\"AAAAAA\" BarColor2=\"BBBBBB\""
                                 << "AAAAAA,BBBBBB" << 5 << 4;
    QTest::newRow("colours stop at the first gap") << "BarColor1=\"AAAAAA\" BarColor3=\"CCCCCC\""
                                                   << "AAAAAA" << 5 << 4;
    QTest::newRow("no first colour") << "BarColor2=\"BBBBBB\""
                                     << "00FFFF" << 5 << 4;
    QTest::newRow("all") << "BarColor1=\"123456\" BarTonerByte=\"7\" BarTonerLowBit=\"1\""
                         << "123456" << 6 << 1;
}

void TestStatusParser::tonerOverrides()
{
    QFETCH(QString, attributes);
    QFETCH(QString, colors);
    QFETCH(int, levelByte);
    QFETCH(int, lowBit);
    StatusParser parser;
    parser.setContent(document(QStringLiteral("<URL><TonerOrder TonerK=\"K\" TonerC=\"C\"/>"
                                              "<TonerC %1/><TonerM BarTonerByte=\"5\"/></URL>")
                                       .arg(attributes)));
    QVERIFY(parser.readErrorStatuses());
    QCOMPARE(tonerIds(parser.tonerList()), QStringLiteral("TonerK TonerC"));
    const TonerInfo cyan = parser.tonerList().at(1);
    QCOMPARE(cyan.barColors, colors);
    QCOMPARE(int(cyan.levelByte), levelByte);
    QCOMPARE(int(cyan.lowBit), lowBit);
    // Black is untouched, and an override of a toner that is not ordered adds nothing.
    QCOMPARE(int(parser.tonerList().at(0).levelByte), 4);
    QCOMPARE(parser.tonerList().at(0).barColors, QStringLiteral("000000"));
}

void TestStatusParser::urlWithoutTonerOrderChangesNothing()
{
    StatusParser parser;
    parser.setContent(document(QStringLiteral(
            "<URL><TonerOrder TonerY=\"Y\">first</TonerOrder></URL><URL><Other/></URL>"
            "<URL><TonerOrder TonerM=\"M\">second</TonerOrder></URL><URL/>")));
    QVERIFY(parser.readErrorStatuses());
    QCOMPARE(tonerIds(parser.tonerList()), QStringLiteral("TonerM"));
    QCOMPARE(parser.supplyOrderUrl(), QStringLiteral("second"));
}

void TestStatusParser::capabilityFlags_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<bool>("tunex");
    QTest::addColumn<bool>("extended");
    QTest::newRow("none") << "" << true << false;
    QTest::newRow("false") << "TUNEX=\"false\"" << false << false;
    QTest::newRow("FALSE") << "TUNEX=\"FALSE\"" << false << false;
    QTest::newRow("no is not false") << "TUNEX=\"no\"" << true << false;
    QTest::newRow("empty is not false") << "TUNEX=\"\"" << true << false;
    QTest::newRow("True") << "ExtendedJobTableCode=\"True\"" << true << true;
    QTest::newRow("yes is not true") << "ExtendedJobTableCode=\"yes\"" << true << false;
    QTest::newRow("1 is not true") << "ExtendedJobTableCode=\"1\"" << true << false;
    QTest::newRow("both") << "TUNEX=\"False\" ExtendedJobTableCode=\"TRUE\"" << false << true;
}

void TestStatusParser::capabilityFlags()
{
    QFETCH(QString, attributes);
    QFETCH(bool, tunex);
    QFETCH(bool, extended);
    const QString text = document(QStringLiteral("<Capabilities %1/>").arg(attributes));

    StatusParser full;
    full.setContent(text);
    QVERIFY(full.readErrorStatuses());
    QCOMPARE(full.tunexSupported(), tunex);
    QCOMPARE(full.extendedJobTable(), extended);

    LogCapture log;
    StatusParser capabilitiesOnly;
    capabilitiesOnly.setContent(text);
    QVERIFY(capabilitiesOnly.parseCapabilities());
    QCOMPARE(capabilitiesOnly.tunexSupported(), tunex);
    QCOMPARE(capabilitiesOnly.extendedJobTable(), extended);
    QVERIFY(capabilitiesOnly.statusTable().isEmpty());
    QVERIFY(log.contains(QStringLiteral("StatusParser::parseCapabilitiesElement")));
}

void TestStatusParser::capabilitiesOnlyFollowConsecutiveSiblings()
{
    const QString text
            = document(QStringLiteral("<Status/><Capabilities TUNEX=\"false\"/><Capabilities "
                                      "ExtendedJobTableCode=\"true\" TUNEX=\"false\"/><URL/>"
                                      "<Capabilities TUNEX=\"true\"/>"));
    StatusParser parser;
    parser.setContent(text);
    QVERIFY(parser.parseCapabilities());
    QVERIFY(!parser.tunexSupported());
    QVERIFY(parser.extendedJobTable());
    // The whole walk reads the last one too, which sets both flags from its own attributes.
    QVERIFY(parser.readErrorStatuses());
    QVERIFY(parser.tunexSupported());
    QVERIFY(!parser.extendedJobTable());

    StatusParser without;
    without.setContent(document(QStringLiteral("<Status/>")));
    QVERIFY(without.parseCapabilities());
    QVERIFY(without.tunexSupported());
    QVERIFY(!without.extendedJobTable());
}

void TestStatusParser::invalidDocumentLeavesTheFixedStatuses()
{
    LogCapture log;
    StatusParser parser;
    parser.addFixedStatus(pseudo(0x0001FF, "USB Printer status is not available"));
    parser.setContent(document(QStringLiteral("<URL><TonerOrder TonerK=\"K\">u</TonerOrder>"
                                              "</URL><Capabilities TUNEX=\"false\"/>")));
    QVERIFY(parser.readErrorStatuses());
    QVERIFY(!parser.tunexSupported());

    parser.setContent(QStringLiteral("<StatusMonitorInfo><Status>"));
    QVERIFY(!parser.readErrorStatuses());
    QVERIFY(log.contains(QStringLiteral("StatusParser::readErrorStatuses(): StatusParser is "
                                        "invalid")));
    QCOMPARE(parser.statusTable().keys(), QList<quint32>({0x0001FF}));
    QVERIFY(parser.tonerList().isEmpty());
    QVERIFY(parser.supplyOrderUrl().isEmpty());
    QVERIFY(parser.tunexSupported());

    QVERIFY(!parser.parseCapabilities());
    QVERIFY(log.contains(QStringLiteral("StatusParser::parseCapabilities(): StatusParser is "
                                        "invalid")));
}

void TestStatusParser::installedDocumentDescribesAFourColourModel()
{
    QFile file(QStringLiteral(PELLAR_SOURCE_DIR "/bin/sm.xml"));
    StatusParser parser;
    QVERIFY(parser.load(&file));
    QVERIFY(parser.readErrorStatuses());
    const StatusTable &table = parser.statusTable();
    QCOMPARE(table.size(), 34);

    QSet<QString> strings;
    int lowToner = 0;
    for (const StatusDesc &record : table) {
        QVERIFY2(!record.string().isEmpty(), qPrintable(record.tagName()));
        QVERIFY(record.tagName().startsWith(QLatin1String("SM_")));
        QVERIFY(record.type() >= StatusDesc::Info && record.type() <= StatusDesc::Error);
        strings.insert(record.string());
        lowToner += record.isLowToner() ? 1 : 0;
        // Pseudo-status ids are the program's own.
        QVERIFY(record.id() > 0x0006FF);
    }
    QCOMPARE(strings.size(), table.size());
    QCOMPARE(lowToner, 5);
    QCOMPARE(table.value(StatusParser::kPopupInfoStatusId, StatusDesc(0, 0)).type(), 3);
    QVERIFY(table.contains(0x0502FF));
    QVERIFY(table.value(0x030108, StatusDesc(0, 0)).isLowToner());

    QCOMPARE(tonerIds(parser.tonerList()), QStringLiteral("TonerK TonerC TonerM TonerY"));
    QCOMPARE(parser.tonerList().at(0).barColors, QStringLiteral("1A1A1A"));
    for (const TonerInfo &toner : parser.tonerList())
        QVERIFY(!toner.orderCode.isEmpty());
    QVERIFY(parser.supplyOrderUrl().startsWith(QLatin1String("https://")));
    QCOMPARE(parser.separator(), QStringLiteral(","));
    QVERIFY(parser.tunexSupported());
    QVERIFY(!parser.extendedJobTable());
}

QTEST_GUILESS_MAIN(TestStatusParser)
#include "tst_statusparser.moc"
