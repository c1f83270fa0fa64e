// The capabilities file: families, their network flag, and what a broken file gives.
#include "status/capabilityparser.h"
#include "tests/tools/logcapture.h"

#include <QMetaProperty>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString capabilities(const QString &devices)
{
    return QStringLiteral("<?xml version=\"1.0\"?>\n<root><Devices>%1</Devices></root>\n")
            .arg(devices);
}

QStringList names(const CapabilityDictionary &dictionary)
{
    QStringList result;
    for (const auto &family : dictionary)
        result.append(family->objectName());
    return result;
}

} // namespace

class TestCapabilityParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void networkFlag_data();
    void networkFlag();
    void everyElementIsAFamilyInDocumentOrder();
    void brokenFileGivesNoFamilies_data();
    void brokenFileGivesNoFamilies();
    void flagIsAReadOnlyProperty();
    void familyIsFoundByModelName();
    void installedFileListsTheFamily();
};

void TestCapabilityParser::networkFlag_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<bool>("network");
    QTest::newRow("true") << "NETWORK=\"true\"" << true;
    QTest::newRow("TRUE") << "NETWORK=\"TRUE\"" << true;
    QTest::newRow("True") << "NETWORK=\"True\"" << true;
    QTest::newRow("false") << "NETWORK=\"false\"" << false;
    QTest::newRow("yes") << "NETWORK=\"yes\"" << false;
    QTest::newRow("1") << "NETWORK=\"1\"" << false;
    QTest::newRow("padded") << "NETWORK=\" true\"" << false;
    QTest::newRow("empty") << "NETWORK=\"\"" << false;
    QTest::newRow("absent") << "" << false;
    QTest::newRow("lower-case name") << "network=\"true\"" << false;
}

void TestCapabilityParser::networkFlag()
{
    QFETCH(QString, attributes);
    QFETCH(bool, network);
    CapabilityParser parser(
            capabilities(QStringLiteral("<Device NAME=\"F\" %1/>").arg(attributes)));
    const CapabilityDictionary dictionary = parser.parse();
    QCOMPARE(dictionary.size(), size_t(1));
    QCOMPARE(dictionary.front()->network(), network);
}

void TestCapabilityParser::everyElementIsAFamilyInDocumentOrder()
{
    // Any tag name counts; text and comments do not; a name given twice is there twice; an
    // element without a name is a family with an empty name.
    CapabilityParser parser(capabilities(
            QStringLiteral("<Device NAME=\"Quillon C400 Series\" NETWORK=\"true\"/>text<!-- c -->"
                           "<Printer NAME=\"Quillon C200\" NETWORK=\"false\"/>"
                           "<Device NAME=\"Quillon C400 Series\" NETWORK=\"false\"/><Device/>")));
    const CapabilityDictionary dictionary = parser.parse();
    QCOMPARE(names(dictionary),
             (QStringList{"Quillon C400 Series", "Quillon C200", "Quillon C400 Series", ""}));
    QCOMPARE(dictionary[0]->network(), true);
    QCOMPARE(dictionary[1]->network(), false);
    QCOMPARE(dictionary[2]->network(), false);
    QCOMPARE(dictionary[3]->network(), false);
}

void TestCapabilityParser::brokenFileGivesNoFamilies_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("empty") << ""
                           << "CapabilityParser::parse(): CapabilityParser is invalid";
    QTest::newRow("not well-formed") << "<root><Devices><Device NAME=\"x\">"
                                     << "CapabilityParser::parse(): CapabilityParser is invalid";
    QTest::newRow("no Devices") << "<root><Device NAME=\"x\" NETWORK=\"true\"/></root>"
                                << "CapabilityParser::parse(): can't obtain root node";
    QTest::newRow("another root") << "<Root><Devices><Device NAME=\"x\"/></Devices></Root>"
                                  << "CapabilityParser::parse(): can't obtain root node";
}

void TestCapabilityParser::brokenFileGivesNoFamilies()
{
    QFETCH(QString, document);
    QFETCH(QString, logLine);
    LogCapture log;
    QVERIFY(CapabilityParser(document).parse().empty());
    QVERIFY2(log.contains(logLine), qPrintable(log.text()));
}

void TestCapabilityParser::flagIsAReadOnlyProperty()
{
    const DeviceCapabilities family(QStringLiteral("Quillon C400 Series"), true);
    QCOMPARE(family.objectName(), QStringLiteral("Quillon C400 Series"));
    QCOMPARE(family.property("NETWORK"), QVariant(true));
    const QMetaObject *meta = family.metaObject();
    const int index = meta->indexOfProperty("NETWORK");
    QVERIFY(index >= 0);
    QVERIFY(!meta->property(index).isWritable());
    QCOMPARE(meta->propertyCount() - meta->propertyOffset(), 1);
}

void TestCapabilityParser::familyIsFoundByModelName()
{
    const CapabilityDictionary dictionary
            = CapabilityParser(
                      capabilities(QStringLiteral(
                              "<Device NAME=\"Quillon C200 Series\" NETWORK=\"false\"/>"
                              "<Device NAME=\"Quillon C400 Series\" NETWORK=\"true\"/>"
                              "<Device NAME=\"Quillon C400 Series Pro\" NETWORK=\"false\"/>")))
                      .parse();
    const DeviceCapabilities *found
            = CapabilityParser::findFamily(dictionary, QStringLiteral("quillon c400"));
    QVERIFY(found);
    QCOMPARE(found->objectName(), QStringLiteral("Quillon C400 Series"));
    QVERIFY(found->network());
    QVERIFY(!CapabilityParser::findFamily(dictionary, QStringLiteral("Quillon C300")));
    QVERIFY(!CapabilityParser::findFamily(CapabilityDictionary(), QStringLiteral("Quillon")));
}

void TestCapabilityParser::installedFileListsTheFamily()
{
    const CapabilityDictionary installed
            = CapabilityParser::loadFile(QStringLiteral(PELLAR_STAGE_DIR "/bin/capabilities.xml"));
    QCOMPARE(names(installed), QStringList{"Quillon C400 Series"});
    QVERIFY(installed.front()->network());

    // No file, no families, and nothing to report.
    QTemporaryDir dir;
    LogCapture log;
    QVERIFY(CapabilityParser::loadFile(dir.filePath(QStringLiteral("capabilities.xml"))).empty());
    QVERIFY2(log.lines().isEmpty(), qPrintable(log.text()));
}

QTEST_GUILESS_MAIN(TestCapabilityParser)
#include "tst_capabilityparser.moc"
