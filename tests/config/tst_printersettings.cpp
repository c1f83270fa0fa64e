// The printer-settings tool: what it is started with, that printer text never reaches a shell,
// and the network printer's web page instead.
#include "config/appsettings.h"
#include "config/configurator.h"
#include "config/externalprograms.h"
#include "tests/config/configuratorfixture.h"
#include "tests/tools/logcapture.h"
#include "tests/tools/messageboxcatcher.h"
#include "tests/tools/standinprogram.h"
#include "tests/tools/testprocess.h"

#include <QTest>

namespace {

const int kWaitMs = 10000;

} // namespace

class TestPrinterSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void withoutPrinterNothingStarts();
    void usbPrinterWithoutDevicePathCannotStart();
    void usbPrinterStartsTheToolWithItsWords();
    void hostileTextReachesTheToolIntactAndRunsNothing();
    void toolThatCannotStartIsReported();
    void networkPrinterOpensItsWebPage_data();
    void networkPrinterOpensItsWebPage();

private:
    void activate(const QByteArray &product, const QString &devPath, bool isLocal = true);
    // Where the installation expects the tool: TUNEX/bin/tunex two levels above its bin.
    QString tool() const
    {
        return QDir::cleanPath(m_installation->binDir() + QStringLiteral("/../../TUNEX/bin/tunex"));
    }

    std::unique_ptr<StagedInstallation> m_installation;
    std::unique_ptr<Configurator> m_configurator;
    QByteArray m_path = qgetenv("PATH");
};

void TestPrinterSettings::init()
{
    m_installation = std::make_unique<StagedInstallation>();
    QVERIFY(m_installation->isValid());
    m_configurator = std::make_unique<Configurator>(m_installation->binDir(), false, false);
    // A desktop's xdg-open would take the stand-in browser's place.
    qputenv("PATH", QFile::encodeName(m_installation->root()));
}

void TestPrinterSettings::cleanup()
{
    m_configurator.reset();
    m_installation.reset();
    setBrowserSearchList({});
    qputenv("PATH", m_path);
}

void TestPrinterSettings::activate(const QByteArray &product, const QString &devPath, bool isLocal)
{
    PrinterDesc printer = makePrinter(product, QStringLiteral("office"));
    printer.devPath = devPath;
    printer.isLocal = isLocal;
    m_configurator->setPrinters(printerMapOf({printer}));
    m_configurator->setActivePrinter(printer.uniqueKey);
}

void TestPrinterSettings::withoutPrinterNothingStarts()
{
    QVERIFY(writeStandInProgram(tool()));
    LogCapture log;
    QCOMPARE(m_configurator->runPrinterSettings(QString()), Configurator::kSettingsNoPrinter);
    QVERIFY(log.contains(QStringLiteral("can't get printer description")));
    m_configurator->setActivePrinter(0x1234);
    QCOMPARE(m_configurator->runPrinterSettings(QString()), Configurator::kSettingsNoPrinter);
    QVERIFY(!QFile::exists(tool() + QStringLiteral(".args")));
}

void TestPrinterSettings::usbPrinterWithoutDevicePathCannotStart()
{
    QVERIFY(writeStandInProgram(tool()));
    activate("Quillon C400 Series", QString());
    LogCapture log;
    QCOMPARE(m_configurator->runPrinterSettings(QString()), Configurator::kSettingsNoDevice);
    QVERIFY(log.contains(QStringLiteral("Unable to run tunex")));
    QVERIFY(!QFile::exists(tool() + QStringLiteral(".args")));
}

void TestPrinterSettings::usbPrinterStartsTheToolWithItsWords()
{
    QVERIFY(writeStandInProgram(tool()));
    activate("Quillon C400 Series", QStringLiteral("/dev/usb/lp0"));
    // The words start-up passes on, quoted as it quotes them.
    const QString extra
            = quotedArgumentList({"pellar", "--lang", "two words", ""}).join(QLatin1Char(' '));
    LogCapture log;
    MessageBoxCatcher boxes;
    QCOMPARE(m_configurator->runPrinterSettings(extra), Configurator::kSettingsStarted);
    QTRY_COMPARE_WITH_TIMEOUT(
            recordedArguments(tool()),
            (QStringList{"5", "/dev/usb/lp0", "Quillon C400 Series", "--lang", "two words", ""}),
            kWaitMs);
    QVERIFY2(log.contains(QStringLiteral("Configurator::runPrinterSettings(): %1 /dev/usb/lp0 "
                                         "'Quillon C400 Series' --lang 'two words' '' &")
                                  .arg(tool())),
             qPrintable(log.text()));
    QVERIFY(boxes.boxes().isEmpty());

    // Nothing to pass on: device and product alone.
    QFile::remove(tool() + QStringLiteral(".args"));
    QCOMPARE(m_configurator->runPrinterSettings(QString()), Configurator::kSettingsStarted);
    QTRY_COMPARE_WITH_TIMEOUT(recordedArguments(tool()),
                              (QStringList{"2", "/dev/usb/lp0", "Quillon C400 Series"}), kWaitMs);
}

void TestPrinterSettings::hostileTextReachesTheToolIntactAndRunsNothing()
{
    QVERIFY(writeStandInProgram(tool()));
    // A product name and a device path as a device's own strings could give them.
    const QString marker = m_installation->root() + QStringLiteral("/ran");
    const QString product = QStringLiteral("Q' ; touch %1-semicolon; $(touch %1-substitution) "
                                           "`touch %1-backquote` | touch %1-pipe & \"x\"")
                                    .arg(marker);
    const QString devPath = QStringLiteral("/dev/usb/lp0';touch %1-device;'").arg(marker);
    activate(product.toLocal8Bit(), devPath);
    const QString extra
            = quotedArgumentList({"pellar", QStringLiteral("$(touch %1-extra)").arg(marker)})
                      .join(QLatin1Char(' '));

    QCOMPARE(m_configurator->runPrinterSettings(extra), Configurator::kSettingsStarted);
    QTRY_COMPARE_WITH_TIMEOUT(
            recordedArguments(tool()),
            (QStringList{"3", devPath, product, QStringLiteral("$(touch %1-extra)").arg(marker)}),
            kWaitMs);
    for (const char *suffix :
         {"-semicolon", "-substitution", "-backquote", "-pipe", "-device", "-extra"})
        QVERIFY2(!QFile::exists(marker + QLatin1String(suffix)), suffix);
}

void TestPrinterSettings::toolThatCannotStartIsReported()
{
    activate("Quillon C400 Series", QStringLiteral("/dev/usb/lp0"));
    LogCapture log;
    QCOMPARE(m_configurator->runPrinterSettings(QString()), Configurator::kSettingsCannotStart);
    QVERIFY(log.contains(QStringLiteral("Unable to run tunex")));

    // There, but not a program.
    QVERIFY(writeNotAProgram(tool()));
    QCOMPARE(m_configurator->runPrinterSettings(QString()), Configurator::kSettingsCannotStart);
}

void TestPrinterSettings::networkPrinterOpensItsWebPage_data()
{
    QTest::addColumn<QString>("devPath");
    QTest::addColumn<QString>("address");
    QTest::newRow("socket URI") << "socket://127.0.0.5:9100"
                                << "http://127.0.0.5";
    QTest::newRow("address alone") << "127.0.0.2"
                                   << "http://127.0.0.2";
    QTest::newRow("address in a longer URI") << "ipp://192.168.10.20:631/ipp/print"
                                             << "http://192.168.10.20";
    QTest::newRow("letters between the numbers") << "1a2b3c4" << QString();
    QTest::newRow("a part of four digits") << "socket://1270.0.0.1:9100" << QString();
    QTest::newRow("five parts") << "10.0.0.1.5" << QString();
    QTest::newRow("host name") << "lpd://printhost/queue" << QString();
    QTest::newRow("IPv6") << "[::1]" << QString();
    QTest::newRow("empty") << "" << QString();
}

void TestPrinterSettings::networkPrinterOpensItsWebPage()
{
    QFETCH(QString, devPath);
    QFETCH(QString, address);
    const QString browser = m_installation->root() + QStringLiteral("/browser");
    QVERIFY(writeStandInProgram(browser));
    QVERIFY(writeStandInProgram(tool()));
    setBrowserSearchList({browser});
    activate("Quillon C400 Series", devPath, false);

    LogCapture log;
    MessageBoxCatcher boxes;
    const int result = m_configurator->runPrinterSettings(QStringLiteral("'--lang'"));
    if (address.isNull()) {
        QCOMPARE(result, Configurator::kSettingsNoPrinter);
        QVERIFY(log.contains(QStringLiteral("can't obtain ip address for network device")));
        QVERIFY(!log.contains(QStringLiteral("StartWebBrowser command")));
    } else {
        QCOMPARE(result, Configurator::kSettingsStarted);
        QTRY_COMPARE_WITH_TIMEOUT(recordedArguments(browser), (QStringList{"1", address}), kWaitMs);
    }
    QVERIFY(boxes.boxes().isEmpty());
    // The settings tool is for USB printers only.
    QVERIFY(!QFile::exists(tool() + QStringLiteral(".args")));
}

QTEST_MAIN(TestPrinterSettings)
#include "tst_printersettings.moc"
