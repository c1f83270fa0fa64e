#include "config/configurator.h"
#include "tests/config/configuratorfixture.h"
#include "tests/status/testfiles.h"
#include "tests/tools/logcapture.h"

#include <QTest>

namespace {

// A colour model: per-colour and combined low-toner entries, a popup wildcard, a wildcard jam,
// an info entry with a description, and the four toners.
const char kDocument[] = R"(<StatusMonitorInfo>
    <URL><TonerOrder TonerK="K" TonerC="C" TonerM="M" TonerY="Y">http://order.example/</TonerOrder>
        <TonerY BarTonerByte="6" BarTonerLowBit="2"/></URL>
    <Status>
        <SM_READY STRING="Ready"><Status>[01][01][00][00]</Status></SM_READY>
        <SM_LOW STRING="Toner low" LOWTONERSTATUS="true"><Status>[02][03][01][00]</Status>
            <Mask>[00][FF][FF][00][00][00][00][00]</Mask></SM_LOW>
        <SM_LOW_K STRING="Black toner low" LOWTONERSTATUS="true">
            <Status>[02][03][01][08]</Status></SM_LOW_K>
        <SM_DUPLEX STRING="Manual duplex"><Status>[04][01][05][00]</Status>
            <Mask>[00][FF][FF][00][00][00][00][00]</Mask></SM_DUPLEX>
        <SM_JAM STRING="Paper jam"><Status>[04][05][02][00]</Status>
            <Mask>[00][FF][FF][00][00][00][00][00]</Mask></SM_JAM>
        <SM_JAM_TRAY STRING="Paper jam in Tray 1"><Status>[04][05][02][01]</Status></SM_JAM_TRAY>
    </Status>
</StatusMonitorInfo>
)";

// What stands where a model's ignored-bits file would be.
enum FileForm { NoFile, DirectoryInstead, Written };

StatusDesc lowTonerRecord(quint8 colourBits)
{
    StatusDesc record(0x0301FF, StatusDesc::Warning);
    record.setLowToner(true);
    StatusBlock b;
    b[0] = 2;
    b[1] = 3;
    b[2] = 1;
    b[3] = colourBits;
    record.setStatusBlock(b);
    return record;
}

} // namespace

class TestConfiguratorLookup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void pseudoStatusesAreAlwaysThere_data();
    void pseudoStatusesAreAlwaysThere();
    void statusLookup_data();
    void statusLookup();
    void tonerLevelsFollowTheDocumentsBytes();
    void fullTonersTakeBackTheSilence_data();
    void fullTonersTakeBackTheSilence();
    void applicability_data();
    void applicability();
    void ignoringUsesOnlyLowTonerRecordsAndColourBits();
    void ignoredBitsSurviveASaveLoadCycle();
    void ignoredBitsFileName_data();
    void ignoredBitsFileName();
    void ignoredBitsBelongToTheirModel();
    void queueSuppliesAreSilencedByNameForTheirPrinter();
    void unreadableIgnoredBitsFilesSilenceNothing_data();
    void unreadableIgnoredBitsFilesSilenceNothing();
    void unwritableIgnoredBitsFileIsLogged();
    void withoutAPrinterNothingIsLoadedOrSaved();

private:
    void activate(const QByteArray &product = "Quillon C410 Series");

    std::unique_ptr<ApplicationTree> m_tree;
    std::unique_ptr<Configurator> m_configurator;
};

void TestConfiguratorLookup::initTestCase()
{
    qputenv("LC_ALL", "C");
}

void TestConfiguratorLookup::init()
{
    m_tree = std::make_unique<ApplicationTree>();
    QVERIFY(m_tree->isValid());
    m_configurator = std::make_unique<Configurator>(m_tree->bin(), false, false);
}

void TestConfiguratorLookup::cleanup()
{
    m_configurator.reset();
    m_tree.reset();
}

void TestConfiguratorLookup::activate(const QByteArray &product)
{
    const PrinterDesc printer = makePrinter(product, QStringLiteral("office"));
    m_configurator->setPrinters(printerMapOf({printer}));
    m_configurator->setActivePrinter(printer.uniqueKey);
    m_configurator->activatePrinter(QString::fromUtf8(kDocument));
}

void TestConfiguratorLookup::pseudoStatusesAreAlwaysThere_data()
{
    QTest::addColumn<uint>("id");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("string");
    QTest::addColumn<QString>("desc");
    QTest::addColumn<QString>("help");
    QTest::newRow("no device") << 0x0000FFu << 4 << "No device for polling"
                               << "Please install supported driver or port."
                               << "main.htm";
    QTest::newRow("usb") << 0x0001FFu << 4 << "USB Printer status is not available"
                         << "Please refer to Troubleshooting Guide."
                         << "usb_offline.htm";
    QTest::newRow("network") << 0x0002FFu << 4 << "Network Printer status is not available"
                             << "Please refer to Troubleshooting Guide."
                             << "network_offline.htm";
    QTest::newRow("completed") << 0x0003FFu << 1 << "Printing completed"
                               << ""
                               << "main.htm";
    QTest::newRow("busy") << 0x0004FFu << 1 << "The printer is busy for another job"
                          << ""
                          << "main.htm";
    QTest::newRow("preparing") << 0x0005FFu << 1 << "Please wait. Preparing print job"
                               << ""
                               << "main.htm";
    QTest::newRow("printing") << 0x0006FFu << 1 << "Printing in progress"
                              << ""
                              << "main.htm";
}

void TestConfiguratorLookup::pseudoStatusesAreAlwaysThere()
{
    QFETCH(uint, id);
    QFETCH(int, type);
    QFETCH(QString, string);
    QFETCH(QString, desc);
    QFETCH(QString, help);

    // Before any document, after a broken one and after a real one. Without a translation file
    // the first activation appends the entries, whose description is the general advice.
    bool first = true;
    for (const char *document : {"", "<broken", kDocument}) {
        m_configurator->activatePrinter(QString::fromUtf8(document));
        const StatusTable &table = m_configurator->statusParser().statusTable();
        QVERIFY(table.contains(id));
        const StatusDesc record = table.value(id, StatusDesc(0, 0));
        QCOMPARE(record.type(), type);
        QCOMPARE(record.string(), string);
        QCOMPARE(record.title(), string);
        QCOMPARE(record.help(), help);
        QVERIFY(record.tagName().isEmpty());
        QVERIFY(record.isEmpty());
        const StatusDesc looked = m_configurator->getStatusDesc(id, QString(), QString());
        const QString expected
                = first ? desc : QStringLiteral("Please refer to Troubleshooting Guide.");
        QCOMPARE(looked.desc(), type == StatusDesc::Info ? QString() : expected);
        first = false;
    }
}

void TestConfiguratorLookup::statusLookup_data()
{
    QTest::addColumn<uint>("asked");
    QTest::addColumn<uint>("id");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("desc");

    QTest::newRow("exact") << 0x050201u << 0x050201u << 4 << "Paper jam in Tray 1"
                           << "Paper jam in Tray 1";
    QTest::newRow("wildcard reports its own id") << 0x050207u << 0x0502FFu << 4 << "Paper jam"
                                                 << "Paper jam";
    QTest::newRow("popup by wildcard") << 0x010533u << 0x0105FFu << 3 << "Manual duplex"
                                       << "Manual duplex";
    QTest::newRow("exact low toner before wildcard")
            << 0x030108u << 0x030108u << 2 << "Black toner low"
            << "Black toner low";
    QTest::newRow("combined colours by wildcard") << 0x03010Cu << 0x0301FFu << 2 << "Toner low"
                                                  << "Toner low";
    QTest::newRow("pseudo-status by wildcard")
            << 0x000123u << 0x0001FFu << 4 << "USB Printer status is not available"
            << "Please refer to Troubleshooting Guide.";
    QTest::newRow("info has no description") << 0x010000u << 0x010000u << 1 << "Ready"
                                             << "";
    QTest::newRow("unknown") << 0x070707u << 0x070707u << 0 << "0407070700000000"
                             << "Unknown status";
    QTest::newRow("no other fallback") << 0x0503FFu << 0x0503FFu << 0 << "0405..."
                                       << "Unknown status";
}

void TestConfiguratorLookup::statusLookup()
{
    QFETCH(uint, asked);
    QFETCH(uint, id);
    QFETCH(int, type);
    QFETCH(QString, title);
    QFETCH(QString, desc);
    activate();
    LogCapture log;
    const StatusDesc record = m_configurator->getStatusDesc(
            asked, type == 0 ? title : QStringLiteral("unused"), QStringLiteral("Unknown status"));
    QVERIFY(log.contains(QString::asprintf("Configurator::getStatusDesc(): id=%.8x", asked)));
    QCOMPARE(record.id(), quint32(id));
    QCOMPARE(record.type(), type);
    QCOMPARE(record.title(), title);
    QCOMPARE(record.desc(), desc);
    QVERIFY(record.isEmpty());
    if (type == 0) {
        QVERIFY(record.string().isEmpty());
        QVERIFY(record.showToner());
        QVERIFY(!record.isLowToner());
    }
}

void TestConfiguratorLookup::tonerLevelsFollowTheDocumentsBytes()
{
    LogCapture log;
    // Without a document there are no toners.
    QVERIFY(m_configurator->getTonerDesc(statusBlockFromHex("0101000064646464")).isEmpty());

    activate();
    // Yellow is moved to byte 5 by the document, beside cyan.
    const TonerDesc levels = m_configurator->getTonerDesc(statusBlockFromHex("020301ff0a14651e"));
    QVERIFY(log.contains(QStringLiteral("Configurator::getTonerDesc() 1-st byte = 0x02")));
    QCOMPARE(levels.size(), 4);
    QCOMPARE(levels.value(QStringLiteral("TonerK")), quint8(10));
    QCOMPARE(levels.value(QStringLiteral("TonerC")), quint8(20));
    QCOMPARE(levels.value(QStringLiteral("TonerM")), kUnknownLevel);
    QCOMPARE(levels.value(QStringLiteral("TonerY")), quint8(20));
    QVERIFY(log.contains(QStringLiteral("dumpTonerDesc: <>: 4 items")));
    QVERIFY(log.contains(QStringLiteral("dumpTonerInfo: <>: 4 items")));
}

void TestConfiguratorLookup::fullTonersTakeBackTheSilence_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("0") << 0 << 0 << false;
    QTest::newRow("50") << 50 << 50 << false;
    QTest::newRow("51") << 51 << 51 << true;
    QTest::newRow("100") << 100 << 100 << true;
    QTest::newRow("101") << 101 << 255 << false;
    QTest::newRow("255") << 255 << 255 << false;
}

void TestConfiguratorLookup::fullTonersTakeBackTheSilence()
{
    QFETCH(int, level);
    QFETCH(int, stored);
    QFETCH(bool, cleared);
    activate();
    m_configurator->ignoreStatus(0xF, true);
    QCOMPARE(m_configurator->ignoredBits(), 0xFu);

    // Magenta (byte 6, bit 2) at the level under test; the others low.
    StatusBlock b = statusBlockFromHex("0203010e05050505");
    b[6] = quint8(level);
    const TonerDesc levels = m_configurator->getTonerDesc(b);
    QCOMPARE(int(levels.value(QStringLiteral("TonerM"))), stored);
    m_configurator->updateIgnoredBits(levels);
    QCOMPARE(m_configurator->ignoredBits(), cleared ? 0xDu : 0xFu);

    // Nothing happens for an empty map.
    m_configurator->updateIgnoredBits(TonerDesc());
    QCOMPARE(m_configurator->ignoredBits(), cleared ? 0xDu : 0xFu);
}

void TestConfiguratorLookup::applicability_data()
{
    QTest::addColumn<uint>("ignored");
    QTest::addColumn<int>("colourByte");
    QTest::addColumn<bool>("lowToner");
    QTest::addColumn<bool>("applicable");
    QTest::newRow("cyan ignored") << 6u << 0x04 << true << false;
    QTest::newRow("cyan and magenta ignored") << 6u << 0x06 << true << false;
    QTest::newRow("black not ignored") << 6u << 0x0C << true << true;
    QTest::newRow("no colour bits") << 6u << 0x00 << true << true;
    QTest::newRow("high nibble does not count") << 6u << 0xF4 << true << false;
    QTest::newRow("nothing ignored") << 0u << 0x08 << true << true;
    QTest::newRow("not a low-toner status") << 0xFu << 0x0F << false << true;
}

void TestConfiguratorLookup::applicability()
{
    QFETCH(uint, ignored);
    QFETCH(int, colourByte);
    QFETCH(bool, lowToner);
    QFETCH(bool, applicable);
    m_configurator->ignoreStatus(ignored, true);
    StatusDesc record = lowTonerRecord(quint8(colourByte));
    record.setLowToner(lowToner);
    LogCapture log;
    QCOMPARE(m_configurator->isStatusApplicable(record), applicable);
    if (lowToner) {
        QVERIFY(log.contains(
                QStringLiteral("Configurator::isStatusApplicable() colorRecognitionByte: %1")
                        .arg(colourByte)));
        QVERIFY(log.contains(
                QStringLiteral(
                        "Configurator::isStatusApplicable() lowTonerBits: %1 ignored bits: %2")
                        .arg(colourByte & 0x0F)
                        .arg(ignored)));
    }
    QCOMPARE(log.contains(QStringLiteral("status is not applicable")), !applicable);
}

void TestConfiguratorLookup::ignoringUsesOnlyLowTonerRecordsAndColourBits()
{
    LogCapture log;
    m_configurator->ignoreStatus(0xF4, true);
    QCOMPARE(m_configurator->ignoredBits(), 4u);
    QVERIFY(log.contains(QStringLiteral("Configurator::ignoreStatus: 4 - set")));
    QVERIFY(log.contains(QStringLiteral("Configurator::ignoreStatus: ignored bits = 4")));
    m_configurator->ignoreStatus(0x9, true);
    QCOMPARE(m_configurator->ignoredBits(), 0xDu);
    m_configurator->ignoreStatus(0x5, false);
    QCOMPARE(m_configurator->ignoredBits(), 0x8u);
    QVERIFY(log.contains(QStringLiteral("Configurator::ignoreStatus: 5 - reset")));

    // The record's own block tells the colours.
    m_configurator->ignoreStatusOf(lowTonerRecord(0x03), true);
    QCOMPARE(m_configurator->ignoredBits(), 0xBu);
    m_configurator->ignoreStatusOf(lowTonerRecord(0x08), false);
    QCOMPARE(m_configurator->ignoredBits(), 0x3u);
    StatusDesc jam(0x0502FF, StatusDesc::Error);
    StatusBlock b;
    b[3] = 0x0C;
    jam.setStatusBlock(b);
    m_configurator->ignoreStatusOf(jam, true);
    QCOMPARE(m_configurator->ignoredBits(), 0x3u);

    // A record straight from the table carries an empty block: it names no colour, so it stays
    // applicable and silencing it changes nothing.
    activate();
    StatusDesc looked = m_configurator->getStatusDesc(0x03010C, QString(), QString());
    QVERIFY(looked.isLowToner());
    m_configurator->ignoreStatusOf(looked, true);
    QCOMPARE(m_configurator->ignoredBits(), 0x3u);
    QVERIFY(m_configurator->isStatusApplicable(looked));
    looked.setStatusBlock(statusBlockFromHex("0203010c"));
    m_configurator->ignoreStatusOf(looked, true);
    QCOMPARE(m_configurator->ignoredBits(), 0xFu);
    QVERIFY(!m_configurator->isStatusApplicable(looked));
}

void TestConfiguratorLookup::ignoredBitsSurviveASaveLoadCycle()
{
    activate();
    m_configurator->ignoreStatus(0x6, true);
    m_configurator->saveIgnoredBits();
    const QString file = m_tree->state(QStringLiteral(".cfg_(Quillon_C410_Series)"));
    QCOMPARE(readFile(file), QByteArray::fromHex("00000006"));

    m_configurator->ignoreStatus(0xF, false);
    LogCapture log;
    m_configurator->loadIgnoredBits();
    QCOMPARE(m_configurator->ignoredBits(), 6u);
    QVERIFY(log.contains(QStringLiteral(
            "Configurator::loadIgnoredBits(): model file \"./.cfg_(Quillon_C410_Series)\"")));
    QVERIFY(log.contains(QStringLiteral("Configurator::loadIgnoredBits(): ignored bits = "
                                        "[0x00000006h]")));

    // Only the first four bytes count; bits beyond the colours are carried as they are.
    QVERIFY(writeFile(file, QByteArray::fromHex("8000000bffff")));
    m_configurator->loadIgnoredBits();
    QCOMPARE(m_configurator->ignoredBits(), 0x8000000Bu);
    QVERIFY(!m_configurator->isStatusApplicable(lowTonerRecord(0x08)));

    // A full toner re-arms its warning, and the cleared state is what is saved.
    m_configurator->updateIgnoredBits(
            m_configurator->getTonerDesc(statusBlockFromHex("0101000064000000")));
    QCOMPARE(m_configurator->ignoredBits(), 0x80000003u);
    m_configurator->saveIgnoredBits();
    QCOMPARE(readFile(file), QByteArray::fromHex("80000003"));
}

// The window saves the bits of the printer it leaves and loads those of the one it follows.
void TestConfiguratorLookup::ignoredBitsBelongToTheirModel()
{
    activate("Quillon C410 Series");
    m_configurator->ignoreStatus(0x6, true);
    m_configurator->saveIgnoredBits();

    activate("Quillon C420 Series");
    LogCapture log;
    m_configurator->loadIgnoredBits();
    QCOMPARE(m_configurator->ignoredBits(), 0u);
    QVERIFY(log.contains(QStringLiteral("Configurator::loadIgnoredBits(): Can't open model file: "
                                        "\"./.cfg_(Quillon_C420_Series)\"")));
    m_configurator->ignoreStatus(0x8, true);
    m_configurator->saveIgnoredBits();

    activate("Quillon C410 Series");
    m_configurator->loadIgnoredBits();
    QCOMPARE(m_configurator->ignoredBits(), 6u);
    activate("Quillon C420 Series");
    m_configurator->loadIgnoredBits();
    QCOMPARE(m_configurator->ignoredBits(), 8u);
}

// A queue of another make has no colour bits: its low supplies are silenced by name.
void TestConfiguratorLookup::queueSuppliesAreSilencedByNameForTheirPrinter()
{
    activate("Generic A");
    const Supply black{"marker0", "Black", "000000", 5, true};
    const Supply cyan{"marker1", "Cyan", "00FFFF", 8, true};
    Supply fullCyan = cyan;
    fullCyan.level = 80;
    fullCyan.low = false;
    QVERIFY(!m_configurator->silencesSupplies({black}));
    m_configurator->ignoreSupplies({black, fullCyan}, true);
    QVERIFY(m_configurator->silencesSupplies({black, fullCyan}));
    // Another supply running low is told; nothing low, nothing silenced.
    QVERIFY(!m_configurator->silencesSupplies({black, cyan}));
    QVERIFY(!m_configurator->silencesSupplies({fullCyan}));
    // Seen above half full, the silence ends.
    Supply fullBlack = black;
    fullBlack.level = 51;
    fullBlack.low = false;
    m_configurator->rearmSupplies({fullBlack});
    QVERIFY(!m_configurator->silencesSupplies({black}));
    m_configurator->ignoreSupplies({black}, true);
    m_configurator->ignoreSupplies({black}, false);
    QVERIFY(!m_configurator->silencesSupplies({black}));

    // A silence said for one printer does not mute the next.
    m_configurator->ignoreSupplies({black}, true);
    const PrinterDesc other = makePrinter("Generic B", QStringLiteral("lobby"));
    PrinterMap printers = m_configurator->printers();
    printers.insert(qint32(other.uniqueKey), other);
    m_configurator->setPrinters(printers);
    m_configurator->setActivePrinter(other.uniqueKey);
    QVERIFY(!m_configurator->silencesSupplies({black}));
}

void TestConfiguratorLookup::ignoredBitsFileName_data()
{
    QTest::addColumn<QByteArray>("product");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("blanks") << QByteArray("Model X 100 Series") << ".cfg_(Model_X_100_Series)";
    QTest::newRow("tab and line end") << QByteArray("A\tB\nC") << ".cfg_(A_B_C)";
    QTest::newRow("slashes") << QByteArray("../../etc/x") << ".cfg_(.._.._etc_x)";
    QTest::newRow("NUL") << QByteArray("a\0b", 3) << ".cfg_(a_b)";
    QTest::newRow("empty") << QByteArray("") << ".cfg_()";
}

void TestConfiguratorLookup::ignoredBitsFileName()
{
    QFETCH(QByteArray, product);
    QFETCH(QString, fileName);
    QCOMPARE(Configurator::ignoredBitsFileName(product), QStringLiteral("./") + fileName);
    activate(product);
    m_configurator->ignoreStatus(1, true);
    m_configurator->saveIgnoredBits();
    QStringList files = QDir(m_tree->state(QString())).entryList(QDir::Files | QDir::Hidden);
    files.removeOne(QStringLiteral(".active_printer"));
    QCOMPARE(files, QStringList({fileName}));
    QCOMPARE(QDir(m_tree->root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({QStringLiteral("bin"), QStringLiteral("share")}));
}

void TestConfiguratorLookup::unreadableIgnoredBitsFilesSilenceNothing_data()
{
    QTest::addColumn<int>("form");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("logged");
    const QString notOpened = QStringLiteral("Can't open model file: ");
    const QString notRead = QStringLiteral("Can't read ignored bits: ");
    QTest::newRow("missing") << int(NoFile) << QByteArray() << notOpened;
    QTest::newRow("a directory") << int(DirectoryInstead) << QByteArray() << notOpened;
    QTest::newRow("empty") << int(Written) << QByteArray() << notRead;
    QTest::newRow("short") << int(Written) << QByteArray::fromHex("000000") << notRead;
}

void TestConfiguratorLookup::unreadableIgnoredBitsFilesSilenceNothing()
{
    QFETCH(int, form);
    QFETCH(QByteArray, content);
    QFETCH(QString, logged);
    activate();
    m_configurator->ignoreStatus(0x5, true);
    const QString file = QStringLiteral(".cfg_(Quillon_C410_Series)");
    if (form == DirectoryInstead)
        QVERIFY(QDir().mkpath(m_tree->state(file)));
    if (form == Written)
        QVERIFY(m_tree->writeState(file, content));

    LogCapture log;
    m_configurator->loadIgnoredBits();
    QVERIFY2(log.contains(QStringLiteral("Configurator::loadIgnoredBits(): ") + logged
                          + QStringLiteral("\"./") + file + QLatin1Char('"')),
             qPrintable(log.text()));
    QCOMPARE(m_configurator->ignoredBits(), 0u);
}

void TestConfiguratorLookup::unwritableIgnoredBitsFileIsLogged()
{
    activate();
    m_configurator->ignoreStatus(0x5, true);
    QVERIFY(QDir().mkpath(m_tree->state(QStringLiteral(".cfg_(Quillon_C410_Series)"))));
    LogCapture log;
    m_configurator->saveIgnoredBits();
    QVERIFY(log.contains(QStringLiteral("Configurator::saveIgnoredBits(): Can't open model file "
                                        "\"./.cfg_(Quillon_C410_Series)\"")));
}

void TestConfiguratorLookup::withoutAPrinterNothingIsLoadedOrSaved()
{
    LogCapture log;
    m_configurator->ignoreStatus(2, true);
    m_configurator->saveIgnoredBits();
    m_configurator->loadIgnoredBits();
    QVERIFY(log.contains(
            QStringLiteral("Configurator::saveIgnoredBits(): Can't save ignored bits")));
    QVERIFY(log.contains(
            QStringLiteral("Configurator::loadIgnoredBits(): Can't load ignored bits")));
    QCOMPARE(m_configurator->ignoredBits(), 2u);
    QCOMPARE(QDir(m_tree->bin()).entryList(QDir::Files | QDir::Hidden), QStringList());
    QVERIFY(!QFileInfo::exists(m_tree->state(QString())));
}

QTEST_GUILESS_MAIN(TestConfiguratorLookup)
#include "tst_configurator_lookup.moc"
