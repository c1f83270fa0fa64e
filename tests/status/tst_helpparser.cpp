// The help map: which page each status of a table gets, and what a broken map changes.
#include "status/helpparser.h"
#include "tests/tools/logcapture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

StatusDesc record(quint32 id, const QString &tagName, const QString &help = QString())
{
    StatusDesc entry(id, StatusDesc::Error);
    entry.setTagName(tagName);
    if (!help.isNull())
        entry.setHelp(help);
    return entry;
}

// Two document entries and one pseudo-status (no tag name), each with a page of its own.
StatusTable sampleTable()
{
    StatusTable table;
    table.insert(0x0001FF, record(0x0001FF, QString(), QStringLiteral("usb_offline.htm")));
    table.insert(0x050201, record(0x050201, QStringLiteral("SM_JAM"), QStringLiteral("old.htm")));
    table.insert(0x0301FF, record(0x0301FF, QStringLiteral("SM_TONER_LOW")));
    return table;
}

QStringList pages(const StatusTable &table)
{
    QStringList result;
    for (const StatusDesc &entry : table)
        result.append(entry.help());
    return result;
}

QString helpMap(const QString &entries)
{
    return QStringLiteral("<?xml version=\"1.0\"?>\n<StatusMonitorInfo><HTML>%1</HTML>"
                          "</StatusMonitorInfo>\n")
            .arg(entries);
}

} // namespace

class TestHelpParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyStatusGetsItsPageOrTheDefault();
    void withoutDefaultUnmappedStatusesGetNoPage();
    void onlyElementsWithAHelpChildMapAPage();
    void laterElementReplacesAnEarlierOne();
    void brokenMapChangesNothing_data();
    void brokenMapChangesNothing();
    void mapIsReadFromAFile();
};

void TestHelpParser::everyStatusGetsItsPageOrTheDefault()
{
    HelpParser parser(
            helpMap(QStringLiteral("<SM_JAM><help>paper_jam.htm</help></SM_JAM>"
                                   "<SM_NONDEFINED_ERROR_SHORT><help>troubleshooting.htm</help>"
                                   "</SM_NONDEFINED_ERROR_SHORT>")));
    StatusTable table = sampleTable();
    QVERIFY(parser.parse(table));
    // In ascending id order: the pseudo-status, whose tag name is empty, gets the default too.
    QCOMPARE(pages(table),
             (QStringList{"troubleshooting.htm", "troubleshooting.htm", "paper_jam.htm"}));
}

void TestHelpParser::withoutDefaultUnmappedStatusesGetNoPage()
{
    HelpParser parser(helpMap(QStringLiteral("<SM_JAM><help>paper_jam.htm</help></SM_JAM>")));
    StatusTable table = sampleTable();
    QVERIFY(parser.parse(table));
    QCOMPARE(pages(table), (QStringList{"", "", "paper_jam.htm"}));
}

void TestHelpParser::onlyElementsWithAHelpChildMapAPage()
{
    // A status element without "help", a page in an attribute, text and comments map nothing;
    // only the first "help" child counts.
    HelpParser parser(helpMap(QStringLiteral(
            "text<!-- a comment --><SM_JAM page=\"jam.htm\"><page>jam.htm</page></SM_JAM>"
            "<SM_TONER_LOW><help>toner.htm</help><help>second.htm</help></SM_TONER_LOW>"
            "<SM_NONDEFINED_ERROR_SHORT><help>main.htm</help></SM_NONDEFINED_ERROR_SHORT>")));
    StatusTable table = sampleTable();
    QVERIFY(parser.parse(table));
    QCOMPARE(pages(table), (QStringList{"main.htm", "toner.htm", "main.htm"}));
}

void TestHelpParser::laterElementReplacesAnEarlierOne()
{
    HelpParser parser(helpMap(QStringLiteral("<SM_JAM><help>first.htm</help></SM_JAM>"
                                             "<SM_JAM><help>second.htm</help></SM_JAM>")));
    StatusTable table = sampleTable();
    QVERIFY(parser.parse(table));
    QCOMPARE(table.value(0x050201, record(0, QString())).help(), QStringLiteral("second.htm"));
}

void TestHelpParser::brokenMapChangesNothing_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("empty") << ""
                           << "HelpParser is invalid";
    QTest::newRow("not well-formed") << "<StatusMonitorInfo><HTML><SM_JAM>"
                                     << "HelpParser is invalid";
    QTest::newRow("no HTML element")
            << "<StatusMonitorInfo><Html><SM_JAM><help>x.htm</help></SM_JAM></Html>"
               "</StatusMonitorInfo>"
            << "HelpParser::parse() can't go to StatusMonitorInfo/HTML";
    QTest::newRow("another root") << "<root><HTML><SM_JAM><help>x.htm</help></SM_JAM></HTML></root>"
                                  << "HelpParser::parse() can't go to StatusMonitorInfo/HTML";
}

void TestHelpParser::brokenMapChangesNothing()
{
    QFETCH(QString, document);
    QFETCH(QString, logLine);
    LogCapture log;
    HelpParser parser(document);
    StatusTable table = sampleTable();
    QVERIFY(!parser.parse(table));
    QCOMPARE(pages(table), pages(sampleTable()));
    QVERIFY2(log.contains(logLine), qPrintable(log.text()));
}

void TestHelpParser::mapIsReadFromAFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("help.xml")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(helpMap(QStringLiteral("<SM_JAM><help>jam.htm</help></SM_JAM>")).toUtf8());
    file.close();
    HelpParser fromFile(&file);
    StatusTable table = sampleTable();
    QVERIFY(fromFile.parse(table));
    QCOMPARE(pages(table), (QStringList{"", "", "jam.htm"}));

    // A file that is not there is an invalid map.
    LogCapture log;
    QFile missing(dir.filePath(QStringLiteral("absent.xml")));
    HelpParser parser;
    QVERIFY(!parser.load(&missing));
    QVERIFY(!parser.parse(table));
    QVERIFY(log.contains(QStringLiteral("HelpParser is invalid")));
    QCOMPARE(pages(table), (QStringList{"", "", "jam.htm"}));
}

QTEST_GUILESS_MAIN(TestHelpParser)
#include "tst_helpparser.moc"
