// Help lookup: the help map and page of the active model in both layouts, the models that have
// help, and the installed help of the Quillon C400 Series.
#include "base/functions.h"
#include "config/configurator.h"
#include "config/helplookup.h"
#include "cups/cups.h"
#include "tests/config/configuratorfixture.h"
#include "tests/tools/logcapture.h"
#include "tests/tools/testlocale.h"
#include "tests/tools/testprocess.h"

#include <QDir>
#include <QTest>

namespace {

const QByteArray kProduct = "Model X 100 Series";
const QString kFamily = QStringLiteral("Model_X_100_Series_Help");

const char kDocument[] = R"(<StatusMonitorInfo><Status>
    <SM_READY STRING="Ready"><Status>[01][01][00][00]</Status></SM_READY>
    <SM_JAM STRING="Paper jam"><Status>[04][05][02][00]</Status></SM_JAM>
</Status></StatusMonitorInfo>)";

QByteArray helpMap(const QByteArray &entries)
{
    return "<StatusMonitorInfo><HTML>" + entries + "</HTML></StatusMonitorInfo>\n";
}

StatusDesc statusRecord(qint32 type, const QString &help = QString())
{
    StatusDesc record(0x050200, type);
    record.setString(QStringLiteral("Paper jam"));
    if (!help.isNull())
        record.setHelp(help);
    return record;
}

// The record the window asks about before any printer status was read.
StatusDesc noStatusRecord()
{
    return StatusDesc(Configurator::kNoStatusId, StatusDesc::Error);
}

} // namespace

class TestHelpLookup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void modelNameIsLowerCaseWithUnderscores_data();
    void modelNameIsLowerCaseWithUnderscores();
    void newLayoutFamilyIsFoundByPartOfItsName();
    void newLayoutWinsOverTheOld();
    void oldLayout_data();
    void oldLayout();
    void languageFolder_data();
    void languageFolder();
    void defaultPageFollowsTheStatusType_data();
    void defaultPageFollowsTheStatusType();
    void statusWithoutPrinterStatusGetsTheOfflinePage_data();
    void statusWithoutPrinterStatusGetsTheOfflinePage();
    void withoutPrinterThereIsNoHelp();
    void emptyProductMatchesNoFamily();
    void unusableLocaleMeansEnglish();
    void activationSetsPagesFromTheHelpMap();
    void supportedModelsListBothLayouts();
    void supportedModelsFallBackToEnglish();
    void installedModelFindsItsPagesInEveryLanguage_data();
    void installedModelFindsItsPagesInEveryLanguage();

private:
    void makeDirectories(const QStringList &relative) const;
    void activate(const QByteArray &product = kProduct, bool isLocal = true);
    QString path(const QString &relative) const { return m_tree->path(relative); }

    std::unique_ptr<ApplicationTree> m_tree;
    std::unique_ptr<Configurator> m_configurator;
};

void TestHelpLookup::initTestCase()
{
    qputenv("LC_ALL", "C");
}

void TestHelpLookup::init()
{
    m_tree = std::make_unique<ApplicationTree>();
    QVERIFY(m_tree->isValid());
    m_configurator = std::make_unique<Configurator>(m_tree->bin(), false, false);
}

void TestHelpLookup::cleanup()
{
    m_configurator.reset();
    m_tree.reset();
}

void TestHelpLookup::makeDirectories(const QStringList &relative) const
{
    for (const QString &directory : relative)
        QVERIFY(QDir().mkpath(path(directory)));
}

void TestHelpLookup::activate(const QByteArray &product, bool isLocal)
{
    PrinterDesc printer = makePrinter(product, QStringLiteral("office"));
    printer.isLocal = isLocal;
    m_configurator->setPrinters(printerMapOf({printer}));
    m_configurator->setActivePrinter(printer.uniqueKey);
}

void TestHelpLookup::modelNameIsLowerCaseWithUnderscores_data()
{
    QTest::addColumn<QByteArray>("product");
    QTest::addColumn<QString>("model");
    QTest::newRow("blanks") << QByteArray("Model X 100 Series") << "model_x_100_series";
    QTest::newRow("underscores stay") << QByteArray("Quillon_C400 Series") << "quillon_c400_series";
    QTest::newRow("empty") << QByteArray() << "";
}

void TestHelpLookup::modelNameIsLowerCaseWithUnderscores()
{
    QFETCH(QByteArray, product);
    QTEST(helpModelName(product), "model");
}

void TestHelpLookup::newLayoutFamilyIsFoundByPartOfItsName()
{
    // Both contain the model name; the first in case-insensitive order wins.
    makeDirectories({"share/help/model_x_100_series_z/en", "share/help/" + kFamily + "/en",
                     "share/help/Model_X_200_Series/en"});
    activate();
    LogCapture log;
    const QString family = path("share/help/" + kFamily);
    QCOMPARE(m_configurator->getHelp(), family + QStringLiteral("/help.xml"));
    const QStringList expected{
            "Configurator::getHelp(): {",
            "Configurator::getHelp(): printer name: office",
            QStringLiteral("Help dir found (new) <%1>").arg(family),
            QStringLiteral("Configurator::getHelp() returns \"%1/help.xml\"").arg(family),
    };
    for (const QString &line : expected)
        QVERIFY2(log.contains(line), qPrintable(line + QStringLiteral("\n") + log.text()));
}

void TestHelpLookup::newLayoutWinsOverTheOld()
{
    makeDirectories({"share/help/" + kFamily + "/en", "share/translation/en/help/" + kFamily});
    activate();
    QCOMPARE(m_configurator->getHelp(), path("share/help/" + kFamily + "/help.xml"));
    QCOMPARE(m_configurator->getStatusHelp(statusRecord(StatusDesc::Error)),
             path("share/help/" + kFamily + "/en/troubleshooting.htm"));
}

void TestHelpLookup::oldLayout_data()
{
    // The locale is de; paths are relative to the tree; METHOD stands for the method's name.
    QTest::addColumn<QStringList>("directories");
    QTest::addColumn<QString>("found");
    QTest::addColumn<QString>("logLine");
    const QString de = QStringLiteral("share/translation/de/help/");
    const QString en = QStringLiteral("share/translation/en/help/");
    QTest::newRow("family in the locale's folder")
            << QStringList{de + kFamily, en + kFamily} << de + kFamily
            << "Help dir found (old) <ROOT/" + de + kFamily + ">";
    QTest::newRow("family only in English")
            << QStringList{de + "Other", en + kFamily} << en + kFamily << QString();
    QTest::newRow("no locale folder, family in English")
            << QStringList{en + kFamily} << en + kFamily << QString();
    QTest::newRow("no locale folder, no family in English: English's folder itself")
            << QStringList{en + "Other"} << QStringLiteral("share/translation/en/help")
            << QString();
    QTest::newRow("locale folder, family nowhere")
            << QStringList{de + "Other", en + "Other"} << QString()
            << "Configurator::METHOD: Error! \"Help\" folder(\"ROOT/share/translation/en/help\") "
               "folder doesn't support model \"model_x_100_series\"(where '_' means ' ').";
    QTest::newRow("locale folder, no English folder")
            << QStringList{de + "Other"} << QString()
            << "Configurator::METHOD: Error! \"Help\" folder(\"ROOT/share/translation/en/help\") "
               "is not represented.";
    QTest::newRow("no help folder at all")
            << QStringList() << QString()
            << "Configurator::METHOD: Error! \"Help\" folder(\"ROOT/share/translation/en/help\") "
               "is not represented.";
}

void TestHelpLookup::oldLayout()
{
    QFETCH(QStringList, directories);
    QFETCH(QString, found);
    QFETCH(QString, logLine);
    TestLocale locale("de_DE.UTF-8");
    QVERIFY(locale.isValid());
    makeDirectories(directories);
    activate();
    logLine.replace(QLatin1String("ROOT"), m_tree->root());
    const QString directory = found.isNull() ? QString() : path(found);

    LogCapture log;
    QCOMPARE(m_configurator->getHelp(),
             found.isNull() ? QString() : directory + QStringLiteral("/help.xml"));
    if (found.isNull())
        QVERIFY2(log.contains(QString(logLine).replace("METHOD", "getHelp()")),
                 qPrintable(log.text()));

    // No default page in this layout: a status without a page of its own gets the folder.
    log.clear();
    QCOMPARE(m_configurator->getStatusHelp(statusRecord(StatusDesc::Error)), directory);
    QCOMPARE(m_configurator->getStatusHelp(statusRecord(StatusDesc::Error, "jam.htm")),
             found.isNull() ? QString() : directory + QStringLiteral("/jam.htm"));
    if (!logLine.isEmpty())
        QVERIFY2(log.contains(QString(logLine).replace("METHOD", "getStatusHelp()")),
                 qPrintable(log.text()));
    if (!found.isNull())
        QVERIFY(log.contains(QStringLiteral("Help dir found (old) <%1>").arg(directory)));
}

void TestHelpLookup::languageFolder_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("matchedLine");
    QTest::newRow("locale's own") << QByteArray("de_DE.UTF-8")
                                  << QStringList{"en_US", "de_DE", "common"} << "de_DE"
                                  << "locales matched(1):<de_DE>";
    QTest::newRow("any case") << QByteArray("de_DE.UTF-8") << QStringList{"en", "DE"} << "DE"
                              << "locales matched(1):<DE>";
    QTest::newRow("English for another")
            << QByteArray("fr_FR.UTF-8") << QStringList{"en_US", "de_DE"} << "en_US"
            << "locales matched(1):<en_US>";
    QTest::newRow("common never counts") << QByteArray("C") << QStringList{"common", "en"} << "en"
                                         << "locales matched(1):<en>";
    QTest::newRow("C is English, not Czech") << QByteArray("C") << QStringList{"cs", "en"} << "en"
                                             << "locales matched(1):<en>";
    QTest::newRow("only common") << QByteArray("de_DE.UTF-8") << QStringList{"common"} << QString()
                                 << "locales matched(0):<>";
    QTest::newRow("neither locale nor English")
            << QByteArray("fr_FR.UTF-8") << QStringList{"de", "es"} << QString()
            << "locales matched(0):<>";
}

void TestHelpLookup::languageFolder()
{
    QFETCH(QByteArray, locale);
    QFETCH(QStringList, languages);
    QFETCH(QString, chosen);
    QFETCH(QString, matchedLine);
    TestLocale environment(locale);
    QVERIFY(environment.isValid());
    const QString family = QStringLiteral("share/help/") + kFamily;
    for (const QString &language : languages)
        makeDirectories({family + QLatin1Char('/') + language});
    makeDirectories({"share/help/Other_Model/en"});
    activate();

    LogCapture log;
    const QString page = m_configurator->getStatusHelp(statusRecord(StatusDesc::Warning));
    QCOMPARE(page, chosen.isNull() ? QString() : path(family + "/" + chosen + "/start_here.htm"));
    QStringList sorted = languages;
    sorted.removeAll(QStringLiteral("common"));
    sorted.sort(Qt::CaseInsensitive);
    const QStringList expected{
            QStringLiteral("product=<Model X 100 Series> modelName=<model_x_100_series> "
                           "bNetworkDevice=0"),
            QStringLiteral("locale=<%1>")
                    .arg(QString::fromLatin1(locale == "C" ? "en" : locale.left(2))),
            QStringLiteral("models all(2):\n\t<%1>\n\t<Other_Model>").arg(kFamily),
            QStringLiteral("models matched(1):\n\t<%1>").arg(kFamily),
            QStringLiteral("Help dir found (new) <%1>").arg(path(family)),
            QStringLiteral("locales all(%1): <%2>")
                    .arg(sorted.size())
                    .arg(sorted.join(QStringLiteral("><"))),
            matchedLine,
    };
    for (const QString &line : expected)
        QVERIFY2(log.contains(line), qPrintable(line + QStringLiteral("\n---\n") + log.text()));
    if (chosen.isNull()) {
        QVERIFY(log.contains(QStringLiteral(
                "Configurator::getStatusHelp(): Error! Failure to find help folder.")));
    } else {
        QVERIFY(log.contains(
                QStringLiteral("Help dir found (new) <%1>").arg(path(family + "/" + chosen))));
        QVERIFY(log.contains(QStringLiteral("Help path <%1>").arg(page)));
    }
}

void TestHelpLookup::defaultPageFollowsTheStatusType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("help");
    QTest::addColumn<QString>("page");
    QTest::newRow("error") << int(StatusDesc::Error) << QString() << "troubleshooting.htm";
    QTest::newRow("warning") << int(StatusDesc::Warning) << QString() << "start_here.htm";
    QTest::newRow("info") << int(StatusDesc::Info) << QString() << "start_here.htm";
    QTest::newRow("popup info") << int(StatusDesc::PopupInfo) << QString() << "start_here.htm";
    QTest::newRow("unknown") << int(StatusDesc::Unknown) << QString() << "start_here.htm";
    QTest::newRow("own page wins") << int(StatusDesc::Error) << "paper_jam.htm"
                                   << "paper_jam.htm";
}

void TestHelpLookup::defaultPageFollowsTheStatusType()
{
    QFETCH(int, type);
    QFETCH(QString, help);
    QFETCH(QString, page);
    makeDirectories({"share/help/" + kFamily + "/en"});
    activate();
    QCOMPARE(m_configurator->getStatusHelp(statusRecord(type, help)),
             path("share/help/" + kFamily + "/en/" + page));
}

void TestHelpLookup::statusWithoutPrinterStatusGetsTheOfflinePage_data()
{
    QTest::addColumn<bool>("isLocal");
    QTest::addColumn<QByteArray>("map");
    QTest::addColumn<QString>("page");
    const QByteArray withDefault = helpMap("<SM_JAM><help>jam.htm</help></SM_JAM>"
                                           "<SM_NONDEFINED_ERROR_SHORT><help>other.htm</help>"
                                           "</SM_NONDEFINED_ERROR_SHORT>");
    const QByteArray withoutDefault = helpMap("<SM_JAM><help>jam.htm</help></SM_JAM>");
    QTest::newRow("usb, no help map") << true << QByteArray() << "usb_offline.htm";
    QTest::newRow("network, no help map") << false << QByteArray() << "network_offline.htm";
    // The help map gives the pseudo-statuses its default page.
    QTest::newRow("usb, help map") << true << withDefault << "other.htm";
    QTest::newRow("network, help map") << false << withDefault << "other.htm";
    // Without one, the record's own default.
    QTest::newRow("help map without default page")
            << true << withoutDefault << "troubleshooting.htm";
}

void TestHelpLookup::statusWithoutPrinterStatusGetsTheOfflinePage()
{
    QFETCH(bool, isLocal);
    QFETCH(QByteArray, map);
    QFETCH(QString, page);
    makeDirectories({"share/help/" + kFamily + "/en"});
    if (!map.isEmpty())
        QVERIFY(m_tree->write("share/help/" + kFamily + "/help.xml", map));
    activate(kProduct, isLocal);
    m_configurator->activatePrinter(QString::fromUtf8(kDocument));

    LogCapture log;
    QCOMPARE(m_configurator->getStatusHelp(noStatusRecord()),
             path("share/help/" + kFamily + "/en/" + page));
    QVERIFY(log.contains(QStringLiteral("bNetworkDevice=%1").arg(isLocal ? 0 : 1)));
    QVERIFY2(log.contains(QStringLiteral("fileName=<")), qPrintable(log.text()));

    // A record with a text of its own is a status, whatever its id.
    StatusDesc named = noStatusRecord();
    named.setString(QStringLiteral("Paper jam"));
    QCOMPARE(m_configurator->getStatusHelp(named),
             path("share/help/" + kFamily + "/en/troubleshooting.htm"));
}

void TestHelpLookup::withoutPrinterThereIsNoHelp()
{
    makeDirectories({"share/help/" + kFamily + "/en", "share/translation/en/help/" + kFamily});
    LogCapture log;
    QCOMPARE(m_configurator->getHelp(), QString());
    QCOMPARE(m_configurator->getStatusHelp(statusRecord(StatusDesc::Error)), QString());
    QVERIFY(log.contains(
            QStringLiteral("Configurator::getHelp(): Error! Can't detect active device.")));
    QVERIFY(log.contains(
            QStringLiteral("Configurator::getStatusHelp(): Error! Can't detect active device.")));
    QVERIFY(log.contains(QStringLiteral("Configurator::getStatusHelp(): { sd: ")));

    // A printer that is no longer in the list is no printer either.
    m_configurator->setActivePrinter(0x1234);
    QCOMPARE(m_configurator->getHelp(), QString());
}

void TestHelpLookup::emptyProductMatchesNoFamily()
{
    TestLocale locale("de_DE.UTF-8");
    QVERIFY(locale.isValid());
    makeDirectories({"share/help/" + kFamily + "/en", "share/translation/de/help/" + kFamily,
                     "share/translation/en/help/" + kFamily});
    activate(QByteArray());
    QCOMPARE(m_configurator->getHelp(), QString());
    QCOMPARE(m_configurator->getStatusHelp(statusRecord(StatusDesc::Error)), QString());
}

void TestHelpLookup::unusableLocaleMeansEnglish()
{
    {
        TestLocale locale("C");
        QVERIFY(locale.isValid());
        QCOMPARE(systemLanguage(), QStringLiteral("en"));
    }
    // A locale the machine does not have gives no name at all.
    const QByteArray saved = qgetenv("LC_ALL");
    qputenv("LC_ALL", "xx_NO.such-locale");
    loadSystemLocale();
    QCOMPARE(systemLanguage(), QStringLiteral("en"));
    makeDirectories({"share/help/" + kFamily + "/de_DE", "share/help/" + kFamily + "/en_GB"});
    activate();
    // Without a name every folder would match; English is chosen instead.
    QCOMPARE(m_configurator->getStatusHelp(statusRecord(StatusDesc::Error)),
             path("share/help/" + kFamily + "/en_GB/troubleshooting.htm"));
    qputenv("LC_ALL", saved);
    loadSystemLocale();

    QVERIFY(isUsableLocale(QStringLiteral("de")));
    QVERIFY(!isUsableLocale(QString()));
    QVERIFY(!isUsableLocale(QStringLiteral("..")));
    QVERIFY(!isUsableLocale(QStringLiteral("d/")));
}

void TestHelpLookup::activationSetsPagesFromTheHelpMap()
{
    makeDirectories({"share/help/" + kFamily + "/en"});
    QVERIFY(m_tree->write("share/help/" + kFamily + "/help.xml",
                          helpMap("<SM_JAM><help>jam.htm</help></SM_JAM>"
                                  "<SM_NONDEFINED_ERROR_SHORT><help>main.htm</help>"
                                  "</SM_NONDEFINED_ERROR_SHORT>")));
    activate();
    m_configurator->activatePrinter(QString::fromUtf8(kDocument));
    const StatusDesc jam = m_configurator->getStatusDesc(0x050200, QString(), QString());
    QCOMPARE(jam.help(), QStringLiteral("jam.htm"));
    QCOMPARE(m_configurator->getStatusDesc(0x010000, QString(), QString()).help(),
             QStringLiteral("main.htm"));
    QCOMPARE(m_configurator
                     ->getStatusDesc(Configurator::kUsbStatusUnavailableId, QString(), QString())
                     .help(),
             QStringLiteral("main.htm"));
    QCOMPARE(m_configurator->getStatusHelp(jam), path("share/help/" + kFamily + "/en/jam.htm"));

    // A broken map leaves the pages of the new table as they come.
    QVERIFY(m_tree->write("share/help/" + kFamily + "/help.xml", "<StatusMonitorInfo><HTML>"));
    LogCapture log;
    m_configurator->activatePrinter(QString::fromUtf8(kDocument));
    QVERIFY(log.contains(QStringLiteral("HelpParser is invalid")));
    QCOMPARE(m_configurator->getStatusDesc(0x050200, QString(), QString()).help(), QString());
    QCOMPARE(m_configurator
                     ->getStatusDesc(Configurator::kUsbStatusUnavailableId, QString(), QString())
                     .help(),
             QStringLiteral("usb_offline.htm"));
}

void TestHelpLookup::supportedModelsListBothLayouts()
{
    TestLocale locale("de_DE.UTF-8");
    QVERIFY(locale.isValid());
    makeDirectories({"share/translation/de/help/Zeta_Old", "share/translation/de/help/alpha_old",
                     "share/translation/de/help/.hidden", "share/translation/en/help/English_Only",
                     "share/help/Model_X_1_2", "share/help/Edge_", "share/help/b",
                     "share/help/.git"});
    QVERIFY(m_tree->write(QStringLiteral("share/help/file_not_folder"), "x"));
    const QStringList expected{"alpha old", "Zeta Old", "b", "Edge ", "Model X 1_2"};

    LogCapture log;
    QCOMPARE(getHelpSupportedModels(m_tree->bin()), expected);
    const QStringList lines{
            "PrinterEnumerator::getHelpSupportedModels(): {",
            "locale=<de>",
            QStringLiteral("Help directory (old): <%1>").arg(path("share/translation/de/help")),
            "list.isEmpty()=0",
            QStringLiteral("Help directory (new): <%1>").arg(path("share/help")),
            "Help directories:\n\t<alpha_old>\n\t<Zeta_Old>\n\t<b>\n\t<Edge_>\n\t<Model_X_1_2>",
            "PrinterEnumerator::getHelpSupportedModels(): }",
    };
    for (const QString &line : lines)
        QVERIFY2(log.contains(line), qPrintable(line + QStringLiteral("\n---\n") + log.text()));
    QCOMPARE(log.count(QStringLiteral("Help directory (old)")), 1);

    // By default relative to the working directory, which start-up makes the program's own.
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_tree->bin()));
    const QStringList fromWorkingDirectory = getHelpSupportedModels();
    QVERIFY(QDir::setCurrent(saved));
    QCOMPARE(fromWorkingDirectory, expected);
}

void TestHelpLookup::supportedModelsFallBackToEnglish()
{
    TestLocale locale("fr_FR.UTF-8");
    QVERIFY(locale.isValid());
    LogCapture log;
    QCOMPARE(getHelpSupportedModels(m_tree->bin()), QStringList());
    QVERIFY(log.contains(QStringLiteral("list.isEmpty()=1")));

    makeDirectories({"share/translation/en/help/Old_Model", "share/help/New_Model"});
    log.clear();
    QCOMPARE(getHelpSupportedModels(m_tree->bin()), (QStringList{"Old Model", "New Model"}));
    QVERIFY(log.contains(
            QStringLiteral("Help directory (old): <%1>").arg(path("share/translation/fr/help"))));
    QVERIFY(log.contains(
            QStringLiteral("Help directory (old): <%1>").arg(path("share/translation/en/help"))));
}

void TestHelpLookup::installedModelFindsItsPagesInEveryLanguage_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("jamTitle");
    QTest::newRow("English") << QByteArray("C") << "en"
                             << "Paper jam inside the printer";
    QTest::newRow("German") << QByteArray("de_DE.UTF-8") << "de"
                            << "Papierstau im Drucker";
}

void TestHelpLookup::installedModelFindsItsPagesInEveryLanguage()
{
    QFETCH(QByteArray, locale);
    QFETCH(QString, language);
    QFETCH(QString, jamTitle);
    TestLocale environment(locale);
    QVERIFY(environment.isValid());
    StagedInstallation installation;
    QVERIFY(installation.isValid());

    // The printer as discovery makes it from the queue's PPD.
    QFile ppd(QStringLiteral(PELLAR_SOURCE_DIR "/tests/data/ppd/tessival_quillon_c400.ppd"));
    QVERIFY(ppd.open(QIODevice::ReadOnly));
    const PpdInfo info = CUPS::ppdSummary(ppd.readAll());
    const PrinterDesc printer = makePrinter(info.model.toLocal8Bit(), QStringLiteral("quillon"));
    QVERIFY(getHelpSupportedModels(installation.binDir())
                    .filter(QString::fromLocal8Bit(printer.product), Qt::CaseInsensitive)
                    .size()
            == 1);

    Configurator configurator(installation.binDir(), true, false);
    configurator.setPrinters(printerMapOf({printer}));
    configurator.setActivePrinter(printer.uniqueKey);
    configurator.activatePrinter(configurator.readLocalStatusXml());

    const QString pages = installation.root() + QStringLiteral("/share/help/Quillon_C400_Series/")
            + language + QLatin1Char('/');
    const struct
    {
        quint32 id;
        const char *page;
    } cases[] = {
            {0x050202, "paper_jam.htm"},  {0x050101, "paper_out.htm"},
            {0x030108, "toner.htm"},      {0x040100, "covers.htm"},
            {0x010000, "main.htm"},       {0x060000, "troubleshooting.htm"},
            {0x0999FF, "start_here.htm"},
    };
    for (const auto &c : cases) {
        const StatusDesc record = configurator.getStatusDesc(c.id, QString(), QString());
        const QString page = configurator.getStatusHelp(record);
        QCOMPARE(page, pages + QLatin1String(c.page));
        QVERIFY2(QFileInfo(page).isFile(), qPrintable(page));
    }
    QCOMPARE(configurator.getStatusDesc(0x050202, QString(), QString()).title(), jamTitle);
    const QString offline = configurator.getStatusHelp(noStatusRecord());
    QCOMPARE(offline, pages + QStringLiteral("troubleshooting.htm"));
}

QTEST_MAIN(TestHelpLookup)
#include "tst_helplookup.moc"
