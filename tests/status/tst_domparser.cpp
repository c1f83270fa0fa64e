#include "status/domparser.h"
#include "tests/status/testfiles.h"
#include "tests/tools/logcapture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char kSample[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<StatusMonitorInfo>
    <Capabilities TUNEX="false"/>
    <URL>
        <TonerOrder TonerK="K-1">http://order.example/</TonerOrder>
    </URL>
    <Status>
        <A key="1"><B key="2"/></A>
        <C key="2"/>
    </Status>
</StatusMonitorInfo>
)";

} // namespace

class TestDomParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyParserIsInvalid();
    void textAndFileSourcesGiveTheSameDocument();
    void failedParseLeavesAnEmptyDocument();
    void missingOrNullFileIsReported();
    void saveWritesDeclarationAndFourSpaceIndent();
    void saveToUnwritablePlaceFails();
    void lookups();
    void findPath_data();
    void findPath();
    void findOrCreatePathCreatesOnlyTheMissingEnd();
    void findOrCreatePathNeverAddsASecondDocumentElement();
    void findByAttributeSearchesDepthFirstInDocumentOrder();
    void dumpsLogEveryElementAttributeAndValue();
};

void TestDomParser::emptyParserIsInvalid()
{
    DomParser parser;
    QVERIFY(!parser.isValid());
    QVERIFY(!parser.isModified());
    QVERIFY(parser.document().documentElement().isNull());
    QVERIFY(parser.findPath({QStringLiteral("StatusMonitorInfo")}).isNull());
}

void TestDomParser::textAndFileSourcesGiveTheSameDocument()
{
    DomParser fromText(QString::fromUtf8(kSample));
    QVERIFY(fromText.isValid());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sm.xml"));
    QVERIFY(writeFile(path, kSample));
    QFile file(path);
    DomParser fromFile(&file);
    QVERIFY(fromFile.isValid());
    QVERIFY(!file.isOpen());
    QCOMPARE(fromFile.document().toString(), fromText.document().toString());

    DomParser later;
    QVERIFY(later.setContent(QString::fromUtf8(kSample)));
    QVERIFY(later.isValid());
    QCOMPARE(
            later.findPath(DomParser::splitPath(QStringLiteral("StatusMonitorInfo/URL"))).tagName(),
            QStringLiteral("URL"));
}

void TestDomParser::failedParseLeavesAnEmptyDocument()
{
    LogCapture log;
    DomParser parser(QString::fromUtf8(kSample));
    QVERIFY(parser.isValid());
    // Qt keeps what it built before the error; the parser must not.
    QVERIFY(!parser.setContent(QStringLiteral("<StatusMonitorInfo><Status><A/>")));
    QVERIFY(!parser.isValid());
    QVERIFY(parser.document().documentElement().isNull());
    QVERIFY(parser.findPath({QStringLiteral("StatusMonitorInfo")}).isNull());
    QVERIFY(log.contains(QStringLiteral("is not well-formed")));

    QVERIFY(parser.setContent(QString::fromUtf8(kSample)));
    QVERIFY(parser.isValid());
    QVERIFY(!parser.setContent(QString()));
    QVERIFY(!parser.isValid());
}

void TestDomParser::missingOrNullFileIsReported()
{
    LogCapture log;
    DomParser parser(QString::fromUtf8(kSample));
    QVERIFY(!parser.load(nullptr));

    QTemporaryDir dir;
    QFile missing(dir.filePath(QStringLiteral("absent.xml")));
    QVERIFY(!parser.load(&missing));
    QVERIFY(!parser.isValid());
    QVERIFY(parser.document().documentElement().isNull());
    QVERIFY(log.contains(QStringLiteral("Cannot open file: '%1'").arg(missing.fileName())));
}

void TestDomParser::saveWritesDeclarationAndFourSpaceIndent()
{
    DomParser parser(QStringLiteral("<?xml version='1.0'?><!-- kept --><root><a x=\"1\"><b>text</b>"
                                    "</a></root>"));
    QVERIFY(parser.isValid());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.xml"));
    QVERIFY(writeFile(path, "old content that is longer than the new document will ever be......"));
    QVERIFY(parser.save(path));
    QCOMPARE(readFile(path),
             QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<!-- kept -->\n"
                        "<root>\n"
                        "    <a x=\"1\">\n"
                        "        <b>text</b>\n"
                        "    </a>\n"
                        "</root>\n"));

    // A document built from nothing has no document type line either, and non-ASCII text
    // survives the round trip.
    DomParser built;
    QDomElement root = built.findOrCreatePath({QStringLiteral("root")});
    root.appendChild(built.document().createTextNode(QStringLiteral("Schließen")));
    QVERIFY(built.save(path));
    QCOMPARE(readFile(path),
             QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<root>Schließen</root>\n"));
    QFile file(path);
    DomParser reread(&file);
    QCOMPARE(reread.findPath({QStringLiteral("root")}).text(), QStringLiteral("Schließen"));
}

void TestDomParser::saveToUnwritablePlaceFails()
{
    LogCapture log;
    DomParser parser(QStringLiteral("<root/>"));
    QTemporaryDir dir;
    QVERIFY(!parser.save(dir.filePath(QStringLiteral("missing/dir/out.xml"))));
    QVERIFY(log.contains(QStringLiteral("DomParser::save")));
}

void TestDomParser::lookups()
{
    DomParser parser(QString::fromUtf8(kSample));
    const QDomElement root = parser.findPath({QStringLiteral("StatusMonitorInfo")});
    const QDomElement url = DomParser::childNode(root, QStringLiteral("URL"));
    QCOMPARE(url.tagName(), QStringLiteral("URL"));
    QVERIFY(DomParser::childNode(root, QStringLiteral("url")).isNull());
    QCOMPARE(DomParser::childText(url, QStringLiteral("TonerOrder")),
             QStringLiteral("http://order.example/"));
    QVERIFY(DomParser::childText(url, QStringLiteral("Nothing")).isNull());

    QDomElement order = DomParser::childNode(url, QStringLiteral("TonerOrder"));
    QCOMPARE(DomParser::nodeText(order), QStringLiteral("http://order.example/"));
    QCOMPARE(DomParser::nodeText(order.attributeNode(QStringLiteral("TonerK"))),
             QStringLiteral("K-1"));
    QCOMPARE(DomParser::attribute(order, QStringLiteral("TonerK")), QStringLiteral("K-1"));
    QVERIFY(DomParser::hasAttribute(order, QStringLiteral("TonerK")));
    QVERIFY(!DomParser::hasAttribute(order, QStringLiteral("TonerC")));
    const QString absent = DomParser::attribute(order, QStringLiteral("TonerC"));
    QVERIFY(absent.isEmpty());
    QVERIFY(!absent.isNull());
    QVERIFY(DomParser::attribute(QDomNode(), QStringLiteral("x")).isEmpty());
}

void TestDomParser::findPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("found");
    QTest::newRow("root") << "StatusMonitorInfo"
                          << "StatusMonitorInfo";
    QTest::newRow("two steps") << "StatusMonitorInfo/Capabilities"
                               << "Capabilities";
    QTest::newRow("three steps") << "StatusMonitorInfo/URL/TonerOrder"
                                 << "TonerOrder";
    QTest::newRow("doubled slash") << "StatusMonitorInfo//URL"
                                   << "URL";
    QTest::newRow("case matters") << "statusmonitorinfo"
                                  << "";
    QTest::newRow("missing middle") << "StatusMonitorInfo/Nothing/TonerOrder"
                                    << "";
    QTest::newRow("not a child") << "StatusMonitorInfo/TonerOrder"
                                 << "";
    QTest::newRow("empty path") << ""
                                << "";
}

void TestDomParser::findPath()
{
    QFETCH(QString, path);
    QFETCH(QString, found);
    DomParser parser(QString::fromUtf8(kSample));
    const QDomElement element = parser.findPath(DomParser::splitPath(path));
    QCOMPARE(element.isNull(), found.isEmpty());
    if (!found.isEmpty())
        QCOMPARE(element.tagName(), found);
}

void TestDomParser::findOrCreatePathCreatesOnlyTheMissingEnd()
{
    LogCapture log;
    DomParser parser(QString::fromUtf8(kSample));
    const QStringList existing = DomParser::splitPath(QStringLiteral("StatusMonitorInfo/URL"));
    QCOMPARE(parser.findOrCreatePath(existing), parser.findPath(existing));
    QVERIFY(!log.contains(QStringLiteral("need to create path!")));

    const QStringList longer = DomParser::splitPath(QStringLiteral("StatusMonitorInfo/URL/X/Y"));
    const QDomElement created = parser.findOrCreatePath(longer);
    QCOMPARE(created.tagName(), QStringLiteral("Y"));
    QVERIFY(log.contains(QStringLiteral("need to create path!")));
    QCOMPARE(parser.findPath(longer), created);
    QCOMPARE(parser.document().elementsByTagName(QStringLiteral("URL")).count(), 1);
    QCOMPARE(parser.document().elementsByTagName(QStringLiteral("StatusMonitorInfo")).count(), 1);
    // The new element is the last child of the one that existed.
    QCOMPARE(parser.findPath(existing).lastChildElement().tagName(), QStringLiteral("X"));

    DomParser empty;
    const QDomElement translation
            = empty.findOrCreatePath(DomParser::splitPath(QStringLiteral("root/Translation")));
    QCOMPARE(translation.tagName(), QStringLiteral("Translation"));
    QCOMPARE(empty.document().documentElement().tagName(), QStringLiteral("root"));
    QVERIFY(empty.findOrCreatePath({}).isNull());
}

void TestDomParser::findOrCreatePathNeverAddsASecondDocumentElement()
{
    LogCapture log;
    DomParser parser(QStringLiteral("<other><keep/></other>"));
    QVERIFY(parser.findOrCreatePath(DomParser::splitPath(QStringLiteral("root/Translation")))
                    .isNull());
    QCOMPARE(parser.document().childNodes().count(), 1);
    QCOMPARE(parser.document().documentElement().tagName(), QStringLiteral("other"));
    QVERIFY(log.contains(QStringLiteral("the document element is <other>")));
}

void TestDomParser::findByAttributeSearchesDepthFirstInDocumentOrder()
{
    DomParser parser(QString::fromUtf8(kSample));
    const QDomElement status
            = parser.findPath(DomParser::splitPath(QStringLiteral("StatusMonitorInfo/Status")));
    // B (inside A) comes before its uncle C.
    QCOMPARE(DomParser::findByAttribute(status, QStringLiteral("key"), QStringLiteral("2"))
                     .tagName(),
             QStringLiteral("B"));
    QCOMPARE(DomParser::findByAttribute(parser.document(), QStringLiteral("key"),
                                        QStringLiteral("1"))
                     .tagName(),
             QStringLiteral("A"));
    // The start node itself is not a candidate.
    const QDomElement a = DomParser::childNode(status, QStringLiteral("A"));
    QVERIFY(DomParser::findByAttribute(a, QStringLiteral("key"), QStringLiteral("1")).isNull());
    // The search stays below the start node.
    const QDomElement b = DomParser::childNode(a, QStringLiteral("B"));
    QVERIFY(DomParser::findByAttribute(b, QStringLiteral("key"), QStringLiteral("2")).isNull());
    QVERIFY(DomParser::findByAttribute(status, QStringLiteral("key"), QStringLiteral("3"))
                    .isNull());
    QVERIFY(DomParser::findByAttribute(status, QStringLiteral("KEY"), QStringLiteral("1"))
                    .isNull());
    QCOMPARE(DomParser::findByAttribute(parser.document(), QStringLiteral("TonerK"),
                                        QStringLiteral("K-1"))
                     .tagName(),
             QStringLiteral("TonerOrder"));
}

void TestDomParser::dumpsLogEveryElementAttributeAndValue()
{
    LogCapture log;
    DomParser parser(QString::fromUtf8(kSample));
    const QString before = parser.document().toString();
    parser.dumpDocument();
    QVERIFY(log.contains(QStringLiteral("<StatusMonitorInfo>")));
    QVERIFY(log.contains(QStringLiteral("<TonerOrder>")));
    QVERIFY(log.contains(QStringLiteral("TonerK=\"K-1\"")));
    QVERIFY(log.contains(QStringLiteral("\"http://order.example/\"")));
    QVERIFY(log.contains(QStringLiteral("<C>")));
    log.clear();
    DomParser::dumpNode(parser.findPath({QStringLiteral("StatusMonitorInfo")}).firstChildElement());
    QCOMPARE(log.count(QStringLiteral("<Capabilities>")), 1);
    QCOMPARE(log.count(QStringLiteral("TUNEX=\"false\"")), 1);
    QCOMPARE(log.count(QStringLiteral("<URL>")), 0);
    QCOMPARE(parser.document().toString(), before);
}

QTEST_GUILESS_MAIN(TestDomParser)
#include "tst_domparser.moc"
