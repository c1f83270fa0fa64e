#include "status/statusparser.h"
#include "status/translator.h"
#include "tests/status/testfiles.h"
#include "tests/tools/logcapture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

StatusDesc fixedStatus()
{
    StatusDesc record(0x0001FF, StatusDesc::Error);
    record.setString(QStringLiteral("USB Printer status is not available"));
    return record;
}

QString nested(int depth, const QString &inner = QString())
{
    QString text;
    for (int i = 0; i < depth; ++i)
        text += QStringLiteral("<n>");
    text += inner;
    for (int i = 0; i < depth; ++i)
        text += QStringLiteral("</n>");
    return text;
}

} // namespace

// Documents come from printers and from files that people edit: whatever arrives ends in the
// documented defaults, without a crash or a hang.
class TestHostileDocuments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void brokenStatusDocumentsGiveTheFixedStatuses_data();
    void brokenStatusDocumentsGiveTheFixedStatuses();
    void externalEntitiesAreNotRead();
    void deepNestingIsRefusedAndModerateNestingKept();
    void hugeValuesAreCarriedWithoutHarm();
    void missingElementsGiveDefaults_data();
    void missingElementsGiveDefaults();
    void brokenTranslationFilesTranslateNothingAndStayUntouched_data();
    void brokenTranslationFilesTranslateNothingAndStayUntouched();
};

void TestHostileDocuments::brokenStatusDocumentsGiveTheFixedStatuses_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("white space") << QByteArray(" \n\t ");
    QTest::newRow("declaration only") << QByteArray("<?xml version=\"1.0\"?>");
    QTest::newRow("unclosed") << QByteArray("<StatusMonitorInfo><Status><E><Status>[04]");
    QTest::newRow("mismatched tags") << QByteArray("<StatusMonitorInfo></Status>");
    QTest::newRow("two roots") << QByteArray(
            "<StatusMonitorInfo/><StatusMonitorInfo><Status/></StatusMonitorInfo>");
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe\x01<\x02\x03>\x80\x81", 10);
    QTest::newRow("NUL inside") << QByteArray(
            "<StatusMonitorInfo><Status>\x00</Status></StatusMonitorInfo>", 58);
    QTest::newRow("undefined entity")
            << QByteArray("<StatusMonitorInfo><Status><E STRING=\"&nope;\"><Status>[01]"
                          "</Status></E></Status></StatusMonitorInfo>");
    QTest::newRow("entity expansion bomb")
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE StatusMonitorInfo [<!ENTITY a "
                          "\"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
                          "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                          "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                          "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                          "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
                          "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
                          "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
                          "]><StatusMonitorInfo><Status><E STRING=\"&g;\"><Status>[01]"
                          "</Status></E></Status></StatusMonitorInfo>");
}

void TestHostileDocuments::brokenStatusDocumentsGiveTheFixedStatuses()
{
    QFETCH(QByteArray, bytes);
    LogCapture log;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sm.xml"));
    QVERIFY(writeFile(path, bytes));

    QElapsedTimer timer;
    timer.start();
    StatusParser fromText;
    fromText.addFixedStatus(fixedStatus());
    fromText.setContent(QString::fromUtf8(bytes));
    StatusParser fromFile;
    fromFile.addFixedStatus(fixedStatus());
    QFile file(path);
    fromFile.load(&file);
    for (StatusParser *parser : {&fromText, &fromFile}) {
        parser->readErrorStatuses();
        QCOMPARE(parser->statusTable().keys(), QList<quint32>({0x0001FF}));
        QVERIFY(parser->tonerList().isEmpty());
        QVERIFY(parser->tunexSupported());
    }
    QVERIFY(!fromFile.isValid());
    // Generous: these parse in well under a millisecond; this only catches a runaway.
    QVERIFY(timer.elapsed() < 10000);
}

void TestHostileDocuments::externalEntitiesAreNotRead()
{
    QTemporaryDir dir;
    const QString secret = dir.filePath(QStringLiteral("secret.txt"));
    QVERIFY(writeFile(secret, "SECRET"));
    StatusParser parser;
    parser.setContent(QStringLiteral("<?xml version=\"1.0\"?><!DOCTYPE StatusMonitorInfo "
                                     "[<!ENTITY x SYSTEM \"file://%1\">]><StatusMonitorInfo>"
                                     "<Status><E STRING=\"a\"><Status>[01][01][01][01]</Status>"
                                     "</E></Status><URL><TonerOrder TonerK=\"K\">&x;"
                                     "</TonerOrder></URL></StatusMonitorInfo>")
                              .arg(secret));
    parser.readErrorStatuses();
    QVERIFY(!parser.supplyOrderUrl().contains(QLatin1String("SECRET")));
    QVERIFY(!parser.document().toString().contains(QLatin1String("SECRET")));
}

void TestHostileDocuments::deepNestingIsRefusedAndModerateNestingKept()
{
    LogCapture log;
    const QString entry
            = QStringLiteral("<E STRING=\"deep\"><Status>[01][01][01][01]</Status></E>");
    StatusParser parser;
    for (int depth : {DomParser::kMaxDepth + 1, 5000, 200000}) {
        QVERIFY(!parser.setContent(QStringLiteral("<StatusMonitorInfo><Status>%1</Status>"
                                                  "</StatusMonitorInfo>")
                                           .arg(nested(depth, entry))));
        QVERIFY(parser.document().documentElement().isNull());
        parser.readErrorStatuses();
        QVERIFY(parser.statusTable().isEmpty());
    }
    QVERIFY(log.contains(QStringLiteral("deeper than 256 levels")));

    // Just inside the limit the document is read, saved and read back.
    const QString inside = nested(DomParser::kMaxDepth - 4, entry);
    QVERIFY(parser.setContent(QStringLiteral("<StatusMonitorInfo><Status>%1</Status>"
                                             "</StatusMonitorInfo>")
                                      .arg(inside)));
    QVERIFY(parser.readErrorStatuses());
    QVERIFY(parser.statusTable().isEmpty()); // the entry is not a direct child of Status
    QVERIFY(!DomParser::findByAttribute(parser.document(), QStringLiteral("STRING"),
                                        QStringLiteral("deep"))
                     .isNull());
    parser.dumpDocument();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("deep.xml"));
    QVERIFY(parser.save(path));
    QFile file(path);
    DomParser reread(&file);
    QVERIFY(reread.isValid());
}

void TestHostileDocuments::hugeValuesAreCarriedWithoutHarm()
{
    const QString huge(4 * 1024 * 1024, QLatin1Char('x'));
    QString manyColours;
    for (int i = 1; i <= 5000; ++i)
        manyColours += QStringLiteral(" BarColor%1=\"%2\"").arg(i).arg(i, 6, 10, QLatin1Char('0'));
    StatusParser parser;
    QVERIFY(parser.setContent(
            QStringLiteral("<StatusMonitorInfo><Status><E STRING=\"%1\" SHOWTONERLEVEL=\"%1\">"
                           "<Status>[04][01][01][01]%1</Status><Mask>%1</Mask></E></Status>"
                           "<URL><TonerOrder TonerK=\"%1\" SEPARATOR=\"%1\">%1</TonerOrder>"
                           "<TonerK BarTonerByte=\"%1\" BarTonerLowBit=\"99999999999999999999\""
                           "%2/></URL></StatusMonitorInfo>")
                    .arg(huge, manyColours)));
    QVERIFY(parser.readErrorStatuses());
    // The mask of x's reads as all zero: every id bit set.
    QCOMPARE(parser.statusTable().keys(), QList<quint32>({0xFFFFFF}));
    const StatusDesc record = parser.statusTable().first();
    QCOMPARE(record.string().size(), huge.size());
    QVERIFY(record.showToner());
    QCOMPARE(parser.tonerList().size(), 1);
    const TonerInfo black = parser.tonerList().first();
    QCOMPARE(black.orderCode.size(), huge.size());
    QCOMPARE(black.levelByte, quint8(4));
    QCOMPARE(black.lowBit, quint8(8));
    QCOMPARE(black.barColors.count(QLatin1Char(',')), 4999);
    QCOMPARE(parser.supplyOrderUrl().size(), huge.size());
}

void TestHostileDocuments::missingElementsGiveDefaults_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("entries");
    QTest::newRow("other root") << "<root><Status><E><Status>[01]</Status></E></Status></root>"
                                << 0;
    QTest::newRow("root only") << "<StatusMonitorInfo/>" << 0;
    QTest::newRow("empty Status") << "<StatusMonitorInfo><Status/></StatusMonitorInfo>" << 0;
    QTest::newRow("Status text only")
            << "<StatusMonitorInfo><Status>[01][01][01][01]</Status></StatusMonitorInfo>" << 0;
    QTest::newRow("entry with empty Status")
            << "<StatusMonitorInfo><Status><E><Status/></E></Status></StatusMonitorInfo>" << 1;
    QTest::newRow("entry with empty Mask")
            << "<StatusMonitorInfo><Status><E><Status>[01][02][03][04]</Status><Mask/></E>"
               "</Status></StatusMonitorInfo>"
            << 1;
    QTest::newRow("URL without children")
            << "<StatusMonitorInfo><URL>text</URL><Capabilities/></StatusMonitorInfo>" << 0;
    QTest::newRow("TonerOrder without attributes")
            << "<StatusMonitorInfo><URL><TonerOrder/><TonerK BarTonerByte=\"6\"/></URL>"
               "</StatusMonitorInfo>"
            << 0;
    QTest::newRow("Status in other namespace")
            << "<StatusMonitorInfo xmlns:x=\"urn:x\"><x:Status><E><Status>[01]</Status></E>"
               "</x:Status></StatusMonitorInfo>"
            << 0;
}

void TestHostileDocuments::missingElementsGiveDefaults()
{
    QFETCH(QString, text);
    QFETCH(int, entries);
    StatusParser parser;
    parser.addFixedStatus(fixedStatus());
    QVERIFY(parser.setContent(text));
    QVERIFY(parser.readErrorStatuses());
    QCOMPARE(parser.statusTable().size(), 1 + entries);
    QVERIFY(parser.tonerList().isEmpty());
    QVERIFY(parser.tunexSupported());
    QVERIFY(!parser.extendedJobTable());
    QVERIFY(parser.parseCapabilities());
    QVERIFY(parser.tunexSupported());
}

void TestHostileDocuments::brokenTranslationFilesTranslateNothingAndStayUntouched_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("cut off") << QByteArray(
            "<root><Translation><message><Id>Ready</Id><Value>Bereit</Value>");
    QTest::newRow("deep") << nested(3000).toUtf8();
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
}

void TestHostileDocuments::brokenTranslationFilesTranslateNothingAndStayUntouched()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sm_de.xml"));
    QVERIFY(writeFile(path, bytes));
    QFile file(path);
    Translator translator(&file);
    QVERIFY(!translator.isValid());
    QVERIFY(!translator.mayWriteBack());

    // Translating still works on an empty document, and only the file is spared.
    QDomElement container
            = translator.findOrCreatePath(DomParser::splitPath(QStringLiteral("root/Translation")));
    QVERIFY(!container.isNull());
    StatusDesc record = fixedStatus();
    record.setTitle(QStringLiteral("title"));
    translator.translate(record, container, QString(), QString());
    QCOMPARE(record.title(), QStringLiteral("title"));
    QVERIFY(translator.isModified());
    QFile check(path);
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), bytes);
}

QTEST_GUILESS_MAIN(TestHostileDocuments)
#include "tst_hostiledocuments.moc"
