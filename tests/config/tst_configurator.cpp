#include "config/configurator.h"
#include "status/translator.h"
#include "tests/config/configuratorfixture.h"
#include "tests/tools/logcapture.h"
#include "tests/tools/testlocale.h"
#include "tests/tools/testprocess.h"
#include "ui/autopixmapcache.h"

#include <QDir>
#include <QImage>
#include <QPixmapCache>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const char kSmallDocument[] = R"(<StatusMonitorInfo>
    <Status>
        <SM_READY STRING="Ready"><Status>[01][01][00][00]</Status></SM_READY>
        <SM_JAM STRING="Paper jam"><Status>[04][05][02][00]</Status>
            <Mask>[00][FF][FF][00][00][00][00][00]</Mask></SM_JAM>
    </Status>
</StatusMonitorInfo>
)";

QByteArray message(const QString &id, const QString &value)
{
    return QStringLiteral("<message><Id>%1</Id><Value>%2</Value></message>")
            .arg(id, value)
            .toUtf8();
}

QStringList messageIds(const QByteArray &file)
{
    DomParser parser(QString::fromUtf8(file));
    QStringList ids;
    const QDomElement container
            = parser.findPath(DomParser::splitPath(QStringLiteral("root/Translation")));
    for (QDomElement m = container.firstChildElement(); !m.isNull(); m = m.nextSiblingElement())
        ids.append(DomParser::childText(m, QStringLiteral("Id")));
    return ids;
}

const QStringList kPseudoStrings = {
        QStringLiteral("No device for polling"),
        QStringLiteral("USB Printer status is not available"),
        QStringLiteral("Network Printer status is not available"),
        QStringLiteral("Printing completed"),
        QStringLiteral("The printer is busy for another job"),
        QStringLiteral("Please wait. Preparing print job"),
        QStringLiteral("Printing in progress"),
};

} // namespace

class TestConfigurator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void absPath_data();
    void absPath();
    void missingApplicationDirectoryMeansTheCurrentOne();
    void versionBanner_data();
    void versionBanner();
    void printerMapAndActivePrinter();
    void optionsFileHasTheExactStoredForm();
    void optionsFileFailuresKeepTheOptions();
    void failedWriteKeepsTheOldOptionsFile();
    void stateIsTheUsersAndStartsFromTheTree();
    void localStatusDocument();
    void installedDataIsActivatedAndTranslated();
    void translatorIsMadeOnceAndFollowsTheLocale();
    void translationFileGainsExactlyTheMissingEntriesOnce();
    void missingTranslationFileIsCreatedAtExit();
    void unreadableTranslationFileIsLeftAsItIs();
    void savedStatusDocumentGoesToTheStateDirectory_data();
    void savedStatusDocumentGoesToTheStateDirectory();
    void printerPicture_data();
    void printerPicture();
    void destructionSavesBitsThenTranslation();
    void pixmapCacheIsLimitedAndEmptiedByItsOwner();
};

void TestConfigurator::initTestCase()
{
    // The translation file is chosen by the character-type locale; "C" has no directory of its
    // own unless a test makes one.
    qputenv("LC_ALL", "C");
}

void TestConfigurator::absPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("null") << QString() << "APP";
    QTest::newRow("empty") << ""
                           << "APP";
    QTest::newRow("dot slash") << "./sm.xml"
                               << "APP/sm.xml";
    QTest::newRow("dot slash, not cleaned") << ".//a/../b"
                                            << "APP//a/../b";
    QTest::newRow("hidden file") << "./.config"
                                 << "APP/.config";
    QTest::newRow("parent") << "../share/help"
                            << "ROOT/share/help";
    QTest::newRow("absolute is relative") << "/etc/passwd"
                                          << "APP/etc/passwd";
    QTest::newRow("cleaned") << "a//b/./c/../d/"
                             << "APP/a/b/d";
    QTest::newRow("above the root of the tree") << "../../../../../../../../x"
                                                << "/x";
    QTest::newRow("plain name") << "sm.xml"
                                << "APP/sm.xml";
}

void TestConfigurator::absPath()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    ApplicationTree tree;
    Configurator configurator(tree.bin(), false, false);
    expected.replace(QLatin1String("APP"), tree.bin());
    expected.replace(QLatin1String("ROOT"), tree.root());
    if (expected == QLatin1String("/x"))
        expected = QDir::cleanPath(tree.bin() + QStringLiteral("/../../../../../../../../x"));
    QCOMPARE(configurator.absPath(path), expected);
}

void TestConfigurator::missingApplicationDirectoryMeansTheCurrentOne()
{
    Configurator configurator(QString(), false, false);
    QCOMPARE(configurator.absPath(QString()), QDir::currentPath());
    QCOMPARE(configurator.absPath(QStringLiteral("./.config")),
             QDir::currentPath() + QStringLiteral("/.config"));
}

void TestConfigurator::versionBanner_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("version");
    QTest::newRow("two lines") << "file" << QByteArray("1.4.2\nbuilt today\n") << "1.4.2\n";
    QTest::newRow("no line end") << "file" << QByteArray("0.9") << "0.9";
    QTest::newRow("long line") << "file" << QByteArray(3000, 'v') << QString(1023, 'v');
    QTest::newRow("missing") << "none" << QByteArray() << "[Can't get application version]\n";
    QTest::newRow("cannot be opened")
            << "directory" << QByteArray() << "[Can't open version file]\n";
    QTest::newRow("empty") << "file" << QByteArray() << "[Can't read application version]\n";
}

void TestConfigurator::versionBanner()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(QString, version);
    ApplicationTree tree;
    if (kind == QLatin1String("file"))
        QVERIFY(tree.write(QStringLiteral("bin/.version"), content));
    else if (kind == QLatin1String("directory"))
        QVERIFY(QDir().mkpath(tree.path(QStringLiteral("bin/.version"))));

    LogCapture log;
    Configurator configurator(tree.bin(), false, false);
    const QString rule(57, QLatin1Char('='));
    const QString expected
            = QStringLiteral("> \n%1\n\t\tPellar: \t%2\t\tUser ID: \t%3\n\t\tOS info: \t")
                      .arg(rule, version)
                      .arg(getuid());
    QVERIFY2(log.contains(expected), qPrintable(log.text()));
    QVERIFY(log.text().contains(QStringLiteral("\n%1\n").arg(rule)));
}

void TestConfigurator::printerMapAndActivePrinter()
{
    ApplicationTree tree;
    LogCapture log;
    Configurator configurator(tree.bin(), true, false);
    QVERIFY(configurator.useLocalStatusXml());
    QVERIFY(!configurator.saveStatusXml());
    QCOMPARE(configurator.activePrinter(), Configurator::kNoPrinter);
    QVERIFY(!configurator.printerDesc());
    QCOMPARE(configurator.activePrinterName(), QString());
    QVERIFY(log.contains(QStringLiteral("Configurator::activePrinterName() pd is null")));

    PrinterDesc first = makePrinter("Quillon C410", QStringLiteral("office"));
    first.softName.append(QStringLiteral("shared"));
    const PrinterDesc second = makePrinter("Quillon C420", QStringLiteral("shared"));
    configurator.setPrinters(printerMapOf({first, second}));
    QCOMPARE(configurator.printers().size(), 2);

    configurator.setActivePrinter(second.uniqueKey);
    QVERIFY(log.contains(QString::asprintf("Configurator::setActivePrinter([0x%lXh])",
                                           static_cast<unsigned long>(second.uniqueKey))));
    QCOMPARE(configurator.activePrinter(), second.uniqueKey);
    QCOMPARE(configurator.printerDesc()->product, QByteArray("Quillon C420"));
    QCOMPARE(configurator.printerDesc(0)->product, QByteArray("Quillon C420"));
    QCOMPARE(configurator.printerDesc(first.uniqueKey)->product, QByteArray("Quillon C410"));
    QVERIFY(!configurator.printerDesc(0x12340000));
    QCOMPARE(configurator.activePrinterName(), QStringLiteral("shared"));

    // The copy belongs to the caller.
    auto copy = configurator.printerDesc();
    copy->product = "changed";
    QCOMPARE(configurator.printerDesc()->product, QByteArray("Quillon C420"));

    // By queue name: exact, first in the map's ascending (signed) key order.
    const quint32 lower = qint32(first.uniqueKey) < qint32(second.uniqueKey) ? first.uniqueKey
                                                                             : second.uniqueKey;
    QCOMPARE(configurator.findPrinterByName(QStringLiteral("shared"))->uniqueKey, lower);
    QCOMPARE(configurator.findPrinterByName(QStringLiteral("office"))->product,
             QByteArray("Quillon C410"));
    QVERIFY(!configurator.findPrinterByName(QStringLiteral("Office")));
    QVERIFY(!configurator.findPrinterByName(QStringLiteral("offic")));

    configurator.setPrinters(PrinterMap());
    QVERIFY(!configurator.printerDesc());
}

void TestConfigurator::optionsFileHasTheExactStoredForm()
{
    ApplicationTree tree;
    Configurator configurator(tree.bin(), false, false);
    QVERIFY(configurator.saveConfig());
    QCOMPARE(readFile(tree.state(QStringLiteral(".config"))),
             QByteArray::fromHex("0100000001010101"));

    configurator.options().displayPrinterWaiting = false;
    configurator.options().scheduleTime = 7;
    QVERIFY(configurator.saveConfig());
    QCOMPARE(readFile(tree.state(QStringLiteral(".config"))),
             QByteArray::fromHex("0100000007010001"));

    LogCapture log;
    Configurator reader(tree.bin(), false, false);
    QVERIFY(reader.loadConfig());
    QVERIFY(!reader.options().displayPrinterWaiting);
    QCOMPARE(reader.options().scheduleTime, 1);
    QVERIFY(log.contains(QStringLiteral("Configurator::loadConfig: options:\n\tSchedule time: 1")));

    // A longer file is written over, not appended to.
    QVERIFY(tree.writeState(QStringLiteral(".config"), QByteArray(64, '\x01')));
    QVERIFY(reader.saveConfig());
    QCOMPARE(readFile(tree.state(QStringLiteral(".config"))),
             QByteArray::fromHex("0100000001010001"));
}

void TestConfigurator::optionsFileFailuresKeepTheOptions()
{
    ApplicationTree tree;
    LogCapture log;
    Configurator configurator(tree.bin(), false, false);
    configurator.options().displayFinishNwJob = false;
    QVERIFY(!configurator.loadConfig());
    QVERIFY(!configurator.options().displayFinishNwJob);
    QVERIFY(log.contains(QStringLiteral("Configurator::loadConfig: failed to open <%1>")
                                 .arg(tree.state(QStringLiteral(".config")))));

    QVERIFY(QDir().mkpath(tree.state(QStringLiteral(".config"))));
    QVERIFY(!configurator.saveConfig());
    QVERIFY(log.contains(QStringLiteral("Configurator::saveConfig: failed to open <%1>")
                                 .arg(tree.state(QStringLiteral(".config")))));
    QVERIFY(!configurator.loadConfig());
}

void TestConfigurator::failedWriteKeepsTheOldOptionsFile()
{
    ApplicationTree tree;
    const QByteArray old = QByteArray::fromHex("0100000005000100");
    QVERIFY(tree.writeState(QStringLiteral(".config"), old));
    Configurator configurator(tree.bin(), false, false);
    LogCapture log;
    // A file-size limit of 0 fails every write, as a full disk does.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit full{0, saved.rlim_max};
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &full), 0);
    const bool written = configurator.saveConfig();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    QVERIFY(!written);
    QCOMPARE(readFile(tree.state(QStringLiteral(".config"))), old);
    QVERIFY2(log.contains(QStringLiteral("Configurator::saveConfig: can't write <%1>")
                                  .arg(tree.state(QStringLiteral(".config")))),
             qPrintable(log.text()));
}

void TestConfigurator::stateIsTheUsersAndStartsFromTheTree()
{
    ApplicationTree tree;
    // What a run in place or an older version left in the tree.
    const QByteArray oldOptions = QByteArray::fromHex("0000000001000100");
    QVERIFY(tree.write(QStringLiteral("bin/.config"), oldOptions));
    QVERIFY(tree.write(QStringLiteral("bin/.active_printer"), "old_queue"));
    QVERIFY(tree.write(QStringLiteral("bin/.cfg_(Quillon_C410_Series)"),
                       QByteArray::fromHex("00000008")));
    const PrinterDesc printer = makePrinter("Quillon C410 Series", QStringLiteral("new_queue"));
    {
        Configurator configurator(tree.bin(), false, false);
        QVERIFY(configurator.loadConfig());
        QVERIFY(!configurator.options().displayPrinterError);
        QCOMPARE(configurator.rememberedPrinterName(), QStringLiteral("old_queue"));
        configurator.setPrinters(printerMapOf({printer}));
        configurator.setActivePrinter(printer.uniqueKey);
        configurator.loadIgnoredBits();
        QCOMPARE(configurator.ignoredBits(), 8u);

        configurator.options().displayPrinterError = true;
        QVERIFY(configurator.saveConfig());
        configurator.rememberActivePrinter();
        configurator.ignoreStatus(0x4, true);
    }
    // The same stored forms, in the user's directory; the tree is left as it was.
    QCOMPARE(readFile(tree.state(QStringLiteral(".config"))),
             QByteArray::fromHex("0100000001000100"));
    QCOMPARE(readFile(tree.state(QStringLiteral(".active_printer"))), QByteArray("new_queue"));
    QCOMPARE(readFile(tree.state(QStringLiteral(".cfg_(Quillon_C410_Series)"))),
             QByteArray::fromHex("0000000c"));
    QCOMPARE(tree.read(QStringLiteral("bin/.config")), oldOptions);
    QCOMPARE(tree.read(QStringLiteral("bin/.active_printer")), QByteArray("old_queue"));
    {
        Configurator configurator(tree.bin(), false, false);
        QVERIFY(configurator.loadConfig());
        QVERIFY(configurator.options().displayPrinterError);
        QCOMPARE(configurator.rememberedPrinterName(), QStringLiteral("new_queue"));
    }

    // No directory can be made where the configuration home is a file.
    QVERIFY(tree.write(QStringLiteral("file"), "x"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(tree.path(QStringLiteral("file"))));
    LogCapture log;
    Configurator configurator(tree.bin(), false, false);
    QVERIFY(!configurator.saveConfig());
    QVERIFY2(log.contains(QStringLiteral("Configurator::saveConfig: can't make the directory <%1>")
                                  .arg(tree.path(QStringLiteral("file/pellar")))),
             qPrintable(log.text()));
}

void TestConfigurator::localStatusDocument()
{
    ApplicationTree tree;
    LogCapture log;
    Configurator configurator(tree.bin(), true, false);
    QVERIFY(configurator.readLocalStatusXml().isEmpty());
    QVERIFY(log.contains(QStringLiteral("Cannot open file: '%1/sm.xml'").arg(tree.bin())));

    // An empty text leaves the pseudo-statuses only.
    configurator.activatePrinter(configurator.readLocalStatusXml());
    QVERIFY(log.contains(QStringLiteral("Configurator::activatePrinter statusXML is null")));
    QCOMPARE(configurator.statusParser().statusTable().size(), 7);

    QVERIFY(tree.write(QStringLiteral("bin/sm.xml"), kSmallDocument));
    QCOMPARE(configurator.readLocalStatusXml(), QString::fromUtf8(kSmallDocument));
    configurator.activatePrinter(configurator.readLocalStatusXml());
    QVERIFY(log.contains(QStringLiteral("Configurator::activatePrinter statusXML is not null")));
    QCOMPARE(configurator.statusParser().statusTable().size(), 9);

    // Without an active printer the argumentless form has nothing to activate.
    log.clear();
    configurator.activatePrinter();
    QVERIFY(log.contains(QStringLiteral("Configurator::activatePrinter")));
    QVERIFY(!log.contains(QStringLiteral("statusXML")));
    QCOMPARE(configurator.statusParser().statusTable().size(), 9);

    // With one, its own document is used.
    PrinterDesc printer = makePrinter("Quillon C410", QStringLiteral("office"));
    printer.statusXml = QString::fromUtf8(kSmallDocument)
                                .replace(QLatin1String("SM_JAM"), QLatin1String("SM_JAM2"));
    configurator.setPrinters(printerMapOf({printer}));
    configurator.setActivePrinter(printer.uniqueKey);
    configurator.activatePrinter();
    QCOMPARE(configurator.statusParser().statusTable().value(0x0502FF, StatusDesc(0, 0)).tagName(),
             QStringLiteral("SM_JAM2"));
}

void TestConfigurator::installedDataIsActivatedAndTranslated()
{
    StagedInstallation installation;
    QVERIFY(installation.isValid());
    const QString translations = installation.root() + QStringLiteral("/share/translation/");
    QFile english(translations + QStringLiteral("en/sm_en.xml"));
    QVERIFY(english.open(QIODevice::ReadOnly));
    const QByteArray englishBefore = english.readAll();
    english.close();
    {
        LogCapture log;
        Configurator configurator(installation.binDir(), true, false);
        configurator.activatePrinter(configurator.readLocalStatusXml());
        const StatusTable &table = configurator.statusParser().statusTable();
        QCOMPARE(table.size(), 34 + 7);
        QVERIFY(log.contains(QStringLiteral("Translation file: %1en/sm_en.xml").arg(translations)));
        // Every status and pseudo-status is in the installed file: nothing is added.
        QVERIFY(!configurator.getTranslator()->isModified());
        const StatusDesc jam = configurator.getStatusDesc(0x050202, QString(), QString());
        QCOMPARE(jam.title(), QStringLiteral("Paper jam inside the printer"));
        QVERIFY(jam.desc().startsWith(QLatin1String("Open the front cover")));
        QCOMPARE(configurator.supplyOrderUrl(),
                 QStringLiteral("https://supplies.tessival.example/order?items="));
        QCOMPARE(configurator.separator(), QStringLiteral(","));
        QCOMPARE(configurator.tonerList().size(), 4);

        // A locale of its own: the German file under the locale's name.
        TestLocale locale("xy_ZZ.UTF-8");
        QVERIFY(locale.isValid());
        QVERIFY(QDir().mkpath(translations + QStringLiteral("xy")));
        QVERIFY(QFile::copy(translations + QStringLiteral("de/sm_de.xml"),
                            translations + QStringLiteral("xy/sm_xy.xml")));
        configurator.activatePrinter(configurator.readLocalStatusXml());
        QVERIFY(log.contains(QStringLiteral("locale changed")));
        QVERIFY(!configurator.getTranslator()->isModified());
        const StatusDesc german = configurator.getStatusDesc(0x050202, QString(), QString());
        QCOMPARE(german.title(), QStringLiteral("Papierstau im Drucker"));
        QCOMPARE(configurator.getStatusDesc(0x0001FF, QString(), QString()).title(),
                 QStringLiteral("Status des USB-Druckers nicht verfügbar"));
        QCOMPARE(configurator.getStatusDesc(0x0303FF, QString(), QString()).desc(),
                 QStringLiteral("Eine Tonerkartusche fehlt oder sitzt nicht richtig. Setzen Sie "
                                "die Kartusche ein und schließen Sie die vordere Abdeckung."));
    }
    QVERIFY(english.open(QIODevice::ReadOnly));
    QCOMPARE(english.readAll(), englishBefore);
}

void TestConfigurator::translatorIsMadeOnceAndFollowsTheLocale()
{
    TestLocale locale("fr_FR.UTF-8");
    QVERIFY(locale.isValid());
    ApplicationTree tree;
    QVERIFY(tree.write(QStringLiteral("share/translation/en/sm_en.xml"),
                       translationFile(message(QStringLiteral("Ready"), QStringLiteral("OK")))));
    LogCapture log;
    Configurator configurator(tree.bin(), false, false);
    Translator *first = configurator.getTranslator();
    QVERIFY(first);
    Translator *second = configurator.getTranslator();
    QCOMPARE(second, first);
    QCOMPARE(log.count(QStringLiteral("translator is not created")), 1);
    QCOMPARE(log.count(QStringLiteral("is found")), 1);
    QCOMPARE(log.count(QStringLiteral("Configurator::getTranslator(): {")), 2);
    QCOMPARE(first->fileName(), tree.path(QStringLiteral("share/translation/en/sm_en.xml")));

    // A locale directory that appears later is followed by the same translator.
    QVERIFY(tree.write(QStringLiteral("share/translation/fr/sm_fr.xml"),
                       translationFile(message(QStringLiteral("Ready"), QStringLiteral("Prêt")))));
    QCOMPARE(configurator.getTranslator(), first);
    QVERIFY(log.contains(QStringLiteral("locale changed")));
    QCOMPARE(first->fileName(), tree.path(QStringLiteral("share/translation/fr/sm_fr.xml")));
    QVERIFY(first->isValid());
}

void TestConfigurator::translationFileGainsExactlyTheMissingEntriesOnce()
{
    ApplicationTree tree;
    QByteArray messages;
    for (const QString &string : kPseudoStrings)
        messages += message(string, string) + message(string + QStringLiteral(" description"), {});
    messages += message(QStringLiteral("Ready"), QStringLiteral("Bereit"));
    const QString file = QStringLiteral("share/translation/en/sm_en.xml");
    QVERIFY(tree.write(file, translationFile(messages)));
    {
        Configurator configurator(tree.bin(), false, false);
        configurator.activatePrinter(QString::fromUtf8(kSmallDocument));
        configurator.activatePrinter(QString::fromUtf8(kSmallDocument));
        QCOMPARE(configurator.getStatusDesc(0x010000, QString(), QString()).title(),
                 QStringLiteral("Bereit"));
    }
    const QStringList ids = messageIds(tree.read(file));
    QCOMPARE(ids.size(), 2 * 7 + 1 + 3);
    QCOMPARE(ids.mid(15),
             QStringList({QStringLiteral("Ready description"),
                          QStringLiteral("Paper jam description"), QStringLiteral("Paper jam")}));
    DomParser written(QString::fromUtf8(tree.read(file)));
    const QDomElement container
            = written.findPath(DomParser::splitPath(QStringLiteral("root/Translation")));
    QCOMPARE(DomParser::childText(container.childNodes().at(16).toElement(),
                                  QStringLiteral("Value")),
             QStringLiteral("Please refer to Troubleshooting Guide."));
    QVERIFY(tree.read(file).startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n    "
                                       "<Translation>\n        <message>\n"));

    // A second run finds everything and leaves the file as it is.
    const QByteArray afterFirstRun = tree.read(file);
    {
        Configurator configurator(tree.bin(), false, false);
        configurator.activatePrinter(QString::fromUtf8(kSmallDocument));
        QVERIFY(!configurator.getTranslator()->isModified());
    }
    QCOMPARE(tree.read(file), afterFirstRun);
}

void TestConfigurator::missingTranslationFileIsCreatedAtExit()
{
    ApplicationTree tree;
    {
        Configurator configurator(tree.bin(), false, false);
        configurator.activatePrinter(QString::fromUtf8(kSmallDocument));
        QCOMPARE(configurator.getStatusDesc(0x0502AA, QString(), QString()).title(),
                 QStringLiteral("Paper jam"));
    }
    const QStringList ids = messageIds(tree.read(QStringLiteral("share/translation/en/sm_en.xml")));
    QCOMPARE(ids.size(), 2 * (7 + 2));
    for (const QString &string : kPseudoStrings) {
        QCOMPARE(ids.count(string), 1);
        QCOMPARE(ids.count(string + QStringLiteral(" description")), 1);
    }

    // Without the language directory the file cannot be written, and that is all.
    ApplicationTree bare;
    QVERIFY(QDir(bare.path(QStringLiteral("share/translation/en"))).removeRecursively());
    {
        Configurator configurator(bare.bin(), false, false);
        configurator.activatePrinter(QString::fromUtf8(kSmallDocument));
    }
    QVERIFY(!QFile::exists(bare.path(QStringLiteral("share/translation/en/sm_en.xml"))));
}

void TestConfigurator::unreadableTranslationFileIsLeftAsItIs()
{
    ApplicationTree tree;
    const QString file = QStringLiteral("share/translation/en/sm_en.xml");
    const QByteArray broken = translationFile(message(QStringLiteral("Ready"), "Bereit"))
                                      .replace("</Value>", "</Valeu>");
    QVERIFY(tree.write(file, broken));
    LogCapture log;
    {
        Configurator configurator(tree.bin(), false, false);
        configurator.activatePrinter(QString::fromUtf8(kSmallDocument));
        QCOMPARE(configurator.getStatusDesc(0x010000, QString(), QString()).title(),
                 QStringLiteral("Ready"));
    }
    QCOMPARE(tree.read(file), broken);
    QVERIFY(log.contains(QStringLiteral("is left as it is")));
}

void TestConfigurator::savedStatusDocumentGoesToTheStateDirectory_data()
{
    QTest::addColumn<QByteArray>("product");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("plain") << QByteArray("Quillon C410") << "sm(Quillon C410).xml";
    QTest::newRow("climbing") << QByteArray("../../../evil") << "sm(.._.._.._evil).xml";
    QTest::newRow("absolute") << QByteArray("/tmp/x") << "sm(_tmp_x).xml";
    QTest::newRow("NUL") << QByteArray("a\0/b", 4) << "sm(a__b).xml";
}

void TestConfigurator::savedStatusDocumentGoesToTheStateDirectory()
{
    QFETCH(QByteArray, product);
    QFETCH(QString, fileName);
    ApplicationTree tree;
    const PrinterDesc printer = makePrinter(product, QStringLiteral("q"));
    {
        Configurator configurator(tree.bin(), false, false);
        configurator.setPrinters(printerMapOf({printer}));
        configurator.setActivePrinter(printer.uniqueKey);
        configurator.activatePrinter(QString::fromUtf8(kSmallDocument));
    }
    QCOMPARE(QDir(tree.state(QString())).entryList({QStringLiteral("sm*")}, QDir::Files),
             QStringList());

    Configurator configurator(tree.bin(), false, true);
    QVERIFY(configurator.saveStatusXml());
    configurator.activatePrinter(QString::fromUtf8(kSmallDocument));
    QCOMPARE(QDir(tree.state(QString())).entryList({QStringLiteral("sm*")}, QDir::Files),
             QStringList());
    configurator.setPrinters(printerMapOf({printer}));
    configurator.setActivePrinter(printer.uniqueKey);
    QVERIFY(tree.writeState(fileName, QByteArray(4096, 'o')));
    configurator.activatePrinter(QString::fromUtf8(kSmallDocument));
    QCOMPARE(QDir(tree.state(QString())).entryList({QStringLiteral("sm*")}, QDir::Files),
             QStringList({fileName}));
    QCOMPARE(readFile(tree.state(fileName)), QByteArray(kSmallDocument));
    QCOMPARE(QDir(tree.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({QStringLiteral("bin"), QStringLiteral("share")}));
}

void TestConfigurator::printerPicture_data()
{
    QTest::addColumn<QStringList>("pictures");
    QTest::addColumn<QByteArray>("product");
    QTest::addColumn<QString>("expected");

    const QStringList set
            = {QStringLiteral("logo.png"),           QStringLiteral("Quillon_C410.png"),
               QStringLiteral("ml_2_3.png"),         QStringLiteral("abc_1.png"),
               QStringLiteral("quillon c420 b.png"), QStringLiteral("Quillon C420 A.PNG"),
               QStringLiteral("Quillon C420 a.png"), QStringLiteral("Vessel.jpg")};
    QTest::newRow("no printer") << set << QByteArray() << "logo.png";
    QTest::newRow("underscores read as blanks")
            << set << QByteArray("Quillon C410") << "Quillon_C410.png";
    QTest::newRow("case does not matter")
            << set << QByteArray("QUILLON c410") << "Quillon_C410.png";
    QTest::newRow("underscore between digits stays") << set << QByteArray("ml 2_3") << "ml_2_3.png";
    QTest::newRow("so it is not a blank") << set << QByteArray("ml 2 3") << "logo.png";
    QTest::newRow("trailing digit") << set << QByteArray("abc 1") << "abc_1.png";
    QTest::newRow("first in case-insensitive order")
            << set << QByteArray("Quillon C420") << "Quillon C420 a.png";
    QTest::newRow("only png") << set << QByteArray("Vessel") << "logo.png";
    QTest::newRow("no match") << set << QByteArray("Quillon C999") << "logo.png";
    QTest::newRow("empty product") << set << QByteArray("") << "logo.png";
    QTest::newRow("directory with a png name")
            << QStringList({QStringLiteral("dir:Zeta.png")}) << QByteArray("Zeta") << "logo.png";
}

void TestConfigurator::printerPicture()
{
    QFETCH(QStringList, pictures);
    QFETCH(QByteArray, product);
    QFETCH(QString, expected);
    ApplicationTree tree;
    for (const QString &picture : pictures) {
        if (picture.startsWith(QLatin1String("dir:")))
            QVERIFY(QDir().mkpath(tree.path(QStringLiteral("share/icons/") + picture.mid(4))));
        else
            QVERIFY(tree.write(QStringLiteral("share/icons/") + picture, "png"));
    }
    Configurator configurator(tree.bin(), false, false);
    if (!product.isNull()) {
        const PrinterDesc printer = makePrinter(product, QStringLiteral("q"));
        configurator.setPrinters(printerMapOf({printer}));
        configurator.setActivePrinter(printer.uniqueKey);
    }
    QCOMPARE(configurator.printerImagePath(), tree.path(QStringLiteral("share/icons/") + expected));
}

void TestConfigurator::destructionSavesBitsThenTranslation()
{
    ApplicationTree tree;
    LogCapture log;
    {
        Configurator configurator(tree.bin(), false, false);
        const PrinterDesc printer = makePrinter("Quillon C410 Series", QStringLiteral("q"));
        configurator.setPrinters(printerMapOf({printer}));
        configurator.setActivePrinter(printer.uniqueKey);
        configurator.activatePrinter(QString::fromUtf8(kSmallDocument));
        configurator.ignoreStatus(0x6, true);
        log.clear();
    }
    const QString all = log.text();
    const qsizetype destructor = all.indexOf(QStringLiteral("Configurator::~Configurator()"));
    const qsizetype bits = all.indexOf(QStringLiteral("Configurator::saveIgnoredBits(): ignored "
                                                      "bits = [0x00000006h]"));
    const qsizetype translation = all.indexOf(QStringLiteral("Configurator::saveTranslation()"));
    QVERIFY(destructor >= 0);
    QVERIFY(bits > destructor);
    QVERIFY(translation > bits);
    QCOMPARE(readFile(tree.state(QStringLiteral(".cfg_(Quillon_C410_Series)"))),
             QByteArray::fromHex("00000006"));
    QVERIFY(QFile::exists(tree.path(QStringLiteral("share/translation/en/sm_en.xml"))));
}

void TestConfigurator::pixmapCacheIsLimitedAndEmptiedByItsOwner()
{
    ApplicationTree tree;
    const QString path = tree.path(QStringLiteral("share/icons/pl_default.png"));
    QImage image(22, 22, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(path));
    QPixmap found;
    {
        AutoPixmapCache cache;
        QCOMPARE(QPixmapCache::cacheLimit(), 1024);
        QVERIFY(!QPixmapCache::find(path, &found));
        const QPixmap loaded = AutoPixmapCache::pixmap(path);
        QCOMPARE(loaded.size(), QSize(22, 22));
        QVERIFY(QPixmapCache::find(path, &found));
        QCOMPARE(AutoPixmapCache::pixmap(path).cacheKey(), loaded.cacheKey());
        QVERIFY(AutoPixmapCache::pixmap(tree.path(QStringLiteral("share/icons/none.png")))
                        .isNull());
        QVERIFY(!QPixmapCache::find(tree.path(QStringLiteral("share/icons/none.png")), &found));
    }
    QVERIFY(!QPixmapCache::find(path, &found));
}

QTEST_MAIN(TestConfigurator)
#include "tst_configurator.moc"
