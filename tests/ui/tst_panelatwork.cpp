// Pellar at work, end to end: the program's own classes wired as at start-up, on a staged
// installation, a CUPS server of the test's own, a simulated USB printer, and session and system
// buses of the test's own (cupsd's D-Bus notifier reaches the job polling on the latter).
#include "acquisition/printerdesc.h"
#include "config/appsettings.h"
#include "config/configurator.h"
#include "config/externalprograms.h"
#include "cups/cups.h"
#include "tests/tools/ippprinter.h"
#include "tests/tools/privatecupsserver.h"
#include "tests/tools/quillonprinter.h"
#include "tests/tools/screenshot.h"
#include "tests/tools/snifixture.h"
#include "tests/tools/standinprogram.h"
#include "tests/tools/testfiles.h"
#include "tests/tools/testprocess.h"
#include "tests/tools/x11fixture.h"
#include "ui/contextmenu.h"
#include "ui/trayicon.h"
#include "ui/traymainwindow.h"
#include "ui/widgets/cartridgebar.h"
#include "ui/widgets/plstatusview.h"
#include "usbsim.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString kUsbQueue = QStringLiteral("quillon");
const QString kOfficeQueue = QStringLiteral("office");

// The program as start-up assembles it.
struct Pellar
{
    explicit Pellar(const QString &binDir)
        : configurator(binDir, false, false)
    {
        const ContextMenu::FixedEntries entries = menu.addFixedEntries(QPixmap());
        window.connectMenu(entries);
        QObject::connect(&menu, &ContextMenu::checked, &window,
                         &TrayMainWindow::selectPrinterFromMenu);
        window.menuCreated();
        QObject::connect(&window, &TrayMainWindow::stateChanged, &icon, &TrayIcon::setState);
        QObject::connect(&window, &TrayMainWindow::toolTipChanged, &icon, &TrayIcon::setToolTip);
        QObject::connect(
                &icon, &TrayIcon::clicked, &window,
                [this](const QPoint &, int, const QRect &area) { window.trayIconClicked(area); });
        // Docking has tests of its own; these keep clear of the session's shared tray host,
        // and the panel stays away from the tray's corner of the screen.
        trayAvailable = true;
        window.move(300, 200);
    }

    QStringList printerEntries() const
    {
        QStringList names;
        for (QAction *action : menu.printerActions())
            names << action->text() + (action->isChecked() ? "*" : "");
        return names;
    }
    QString title() const
    {
        const auto *view = window.findChild<PLStatusView *>("statusView");
        const auto *page = static_cast<PLStatusSimpleView *>(view->currentWidget());
        return page->statusTitle();
    }
    QList<CartridgeBar *> bars() const { return window.findChildren<CartridgeBar *>(); }

    Configurator configurator;
    ContextMenu menu;
    TrayMainWindow window{&configurator, &menu, Qt::Window};
    TrayIcon icon{QPixmap(), QStringLiteral("Pellar"), &menu};
};

// A real click, as the user makes it, on the middle of a docked icon.
bool clickIcon(const TrayIcon &icon)
{
    const QPoint centre = X11Fixture().rootPosition(icon.dockWidget()->winId())
            + icon.dockWidget()->rect().center();
    return QProcess::execute("xdotool",
                             {"mousemove", QString::number(centre.x()), QString::number(centre.y()),
                              "click", "1"})
            == 0;
}

} // namespace

class TestPanelAtWork : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void menuListsThePrintersAndARestartKeepsTheChoice();
    void statusDrivesIconTextsBarsAndThePrepareBox();
    void stoppedQueueOfTheFamilyIsToldAndAJamStillWins();
    void jobFromLpIsFollowedInThePrintingMode();
    void trayClickOpensThePanelBesideTheIconAndClosesIt();
    void buttonsStartTheSettingsToolAndTheBrowser();
    void terminationDuringAPollEndsInOrder();
    void queueOfAnotherMakeIsFollowedThroughCups();

private:
    std::unique_ptr<Pellar> start();
    void printJob(int id)
    {
        m_printer.setJobs(UsbSimDevice::jobTable({{id, 1}}));
        // The raw "printing" the printer reports while its engine runs.
        m_printer.setStatus(QByteArray::fromHex("010104ff50505050"));
    }
    void finishJob(int id)
    {
        m_printer.setJobs(UsbSimDevice::jobTable({}));
        m_printer.setStatus(QByteArray::fromHex("0101000050505050"));
        QVERIFY(m_server.cancelJob(id));
    }

    StagedInstallation m_install;
    PrivateCupsServer m_server;
    UsbSim m_usb;
    UsbSimDevice m_printer;
};

void TestPanelAtWork::initTestCase()
{
    QVERIFY(m_install.isValid() && m_usb.isValid());
    m_server.setNotifierEnvironment(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
                                    qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS"));
    m_server.setWebInterface();
    m_server.setTcpListener();
    QVERIFY(m_server.start());
    // A desktop's server has its web interface on the loopback at the IPP port.
    qputenv("IPP_PORT", QByteArray::number(m_server.tcpPort()));
    qputenv("CUPS_SERVER", QFile::encodeName(m_server.socketPath()));
    CUPS::setPpdDirectory(m_server.ppdDirectory());
    const QString ppd
            = QStringLiteral(PELLAR_SOURCE_DIR "/tests/data/ppd/tessival_quillon_c400.ppd");
    UsbSimPrinter quillon = quillonPrinter();
    quillon.status = QByteArray::fromHex("0101000050505050");
    m_printer = m_usb.addPrinter(quillon);
    QVERIFY(m_server.addQueue(kUsbQueue, "usb://Tessival/Quillon%20C400%20Series?serial=SIM0001",
                              ppd));
    // The same printer under a second queue whose backend finishes every job at once.
    QVERIFY(m_server.addQueue(kOfficeQueue, "mfp:/dev/mfp5", ppd));
    QVERIFY(QDir::setCurrent(m_install.binDir()));
}

void TestPanelAtWork::cleanup()
{
    QFile::remove(m_install.configHome() + "/pellar/.active_printer");
    m_printer.setStatus(QByteArray::fromHex("0101000050505050"));
    m_printer.setJobs(UsbSimDevice::jobTable({}));
    m_printer.setMode(UsbSimDevice::Normal);
}

std::unique_ptr<Pellar> TestPanelAtWork::start()
{
    auto pellar = std::make_unique<Pellar>(m_install.binDir());
    if (!QTest::qWaitFor([&] { return pellar->window.hasPrinterList(); }, 15000))
        return nullptr;
    return pellar;
}

void TestPanelAtWork::menuListsThePrintersAndARestartKeepsTheChoice()
{
    {
        auto pellar = start();
        QVERIFY(pellar);
        // The list is in key order; with nothing remembered the first is chosen.
        QCOMPARE(pellar->printerEntries().size(), 2);
        QCOMPARE(pellar->printerEntries().filter(QRegularExpression("\\*$")).size(), 1);
        QAction *office = nullptr;
        for (QAction *action : pellar->menu.printerActions())
            office = action->text() == kOfficeQueue ? action : office;
        QVERIFY(office);
        office->trigger();
        QCOMPARE(pellar->configurator.activePrinterName(), kOfficeQueue);
    }
    auto pellar = start();
    QVERIFY(pellar);
    QVERIFY(pellar->printerEntries().contains(kOfficeQueue + "*"));
    QCOMPARE(pellar->configurator.activePrinterName(), kOfficeQueue);
}

void TestPanelAtWork::statusDrivesIconTextsBarsAndThePrepareBox()
{
    auto pellar = start();
    QVERIFY(pellar);
    TrayMainWindow &window = pellar->window;
    window.restoreWindow();
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Ready"), 10000);
    QCOMPARE(pellar->icon.state(), QString("normal"));
    QVERIFY(pellar->icon.toolTip().endsWith(": Ready"));

    // Cyan low at 8 %, yellow not known.
    m_printer.setStatus(QByteArray::fromHex("0203010450085aff"));
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Cyan toner low"), 10000);
    QCOMPARE(pellar->icon.state(), QString("warning"));
    QVERIFY(pellar->icon.toolTip().endsWith(": Cyan toner low"));
    const QList<CartridgeBar *> bars = pellar->bars();
    QCOMPARE(bars.size(), 4);
    QCOMPARE(bars.at(0)->level(), 0x50);
    QCOMPARE(bars.at(1)->level(), 0x08);
    QCOMPARE(bars.at(2)->level(), 0x5a);
    QVERIFY(bars.at(0)->isVisible() && !bars.at(3)->isVisible());
    saveScreenshot(window.grab().toImage(), "panel-at-work-toner-low");

    // Prepared for cyan: the next cyan report is silenced, another colour is reported.
    auto *prepared = window.findChild<QCheckBox *>("preparedCheck");
    QVERIFY(prepared && prepared->isVisible());
    prepared->click();
    QVERIFY(!prepared->isVisible());
    m_printer.setStatus(QByteArray::fromHex("0101000050085a50"));
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Ready"), 10000);
    m_printer.setStatus(QByteArray::fromHex("0203010450075a50"));
    QTest::qWait(2500);
    QCOMPARE(pellar->title(), QString("Ready"));
    m_printer.setStatus(QByteArray::fromHex("0203010250070650"));
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Magenta toner low"), 10000);
    QVERIFY(prepared->isVisible());
    window.hideWindow();
}

// cupsd's own part of a queue belongs to the family's printer too; the printer list carries it.
void TestPanelAtWork::stoppedQueueOfTheFamilyIsToldAndAJamStillWins()
{
    auto pellar = start();
    QVERIFY(pellar);
    TrayMainWindow &window = pellar->window;
    window.restoreWindow();
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Ready"), 10000);
    QVERIFY(m_server.setQueueEnabled(kUsbQueue, false));
    const auto enable = qScopeGuard([&] { m_server.setQueueEnabled(kUsbQueue, true); });
    // Within a pass of the printer list, whose interval is 10 s.
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Queue stopped"), 25000);
    QCOMPARE(pellar->icon.state(), QString("warning"));
    QVERIFY(pellar->icon.toolTip().endsWith(": Queue stopped"));
    saveScreenshot(window.grab().toImage(), "panel-at-work-queue-stopped");
    m_printer.setStatus(QByteArray::fromHex("0405020050505050"));
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Paper jam"), 10000);
    QCOMPARE(pellar->icon.state(), QString("error"));
    m_printer.setStatus(QByteArray::fromHex("0101000050505050"));
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Queue stopped"), 10000);
    QVERIFY(m_server.setQueueEnabled(kUsbQueue, true));
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Ready"), 25000);
    QCOMPARE(pellar->icon.state(), QString("normal"));
    window.hideWindow();
}

void TestPanelAtWork::jobFromLpIsFollowedInThePrintingMode()
{
    auto pellar = start();
    QVERIFY(pellar);
    TrayMainWindow &window = pellar->window;
    QVERIFY(window.isHidden());
    // The user types elsewhere while the job starts.
    QLineEdit editor;
    editor.move(300, 450);
    editor.show();
    editor.activateWindow();
    QTRY_VERIFY_WITH_TIMEOUT(editor.hasFocus(), 10000);
    const int job = m_server.submitJob(kUsbQueue, true);
    QVERIFY(job > 0);
    QTRY_VERIFY_WITH_TIMEOUT(window.isVisible(), 10000);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(300);
    QVERIFY(editor.hasFocus() && !window.isActiveWindow());
    // Return presses none of the panel's buttons, also once the user is in the panel.
    int presses = 0;
    for (QPushButton *button : window.findChildren<QPushButton *>())
        connect(button, &QAbstractButton::clicked, &window, [&presses] { ++presses; });
    window.activateWindow();
    QTRY_VERIFY_WITH_TIMEOUT(window.isActiveWindow() && QApplication::focusWidget(), 10000);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(presses, 0);
    QVERIFY(window.isVisible());
    editor.hide();
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Please wait. Preparing print job"), 10000);
    printJob(job);
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Printing in progress"), 10000);
    saveScreenshot(window.grab().toImage(), "panel-at-work-printing");
    finishJob(job);
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Printing completed"), 10000);
    // The panel came up by itself: it goes again 3 s later.
    QElapsedTimer shown;
    shown.start();
    QTRY_VERIFY_WITH_TIMEOUT(window.isHidden(), 10000);
    qInfo("panel closed %lld ms after the job ended", shown.elapsed());

    // Opened by the user, it stays.
    window.restoreWindow();
    const int second = m_server.submitJob(kUsbQueue, true);
    printJob(second);
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Printing in progress"), 10000);
    finishJob(second);
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Printing completed"), 10000);
    QTest::qWait(4000);
    QVERIFY(window.isVisible());
    window.hideWindow();
}

void TestPanelAtWork::trayClickOpensThePanelBesideTheIconAndClosesIt()
{
    auto pellar = start();
    QVERIFY(pellar);
    TrayMainWindow &window = pellar->window;
    pellar->icon.show();
    const auto undock = qScopeGuard([&] { pellar->icon.hide(); });
    QVERIFY(pellar->icon.isDocked());
    QTRY_VERIFY_WITH_TIMEOUT(pellar->icon.dockWidget()->isVisible(), 30000);
    QVERIFY(clickIcon(pellar->icon));
    QTRY_VERIFY_WITH_TIMEOUT(window.isVisible(), 10000);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), kUsbQueue);
    const QRect icon(X11Fixture().rootPosition(pellar->icon.dockWidget()->winId()),
                     pellar->icon.dockWidget()->size());
    const QRect panel = window.frameGeometry();
    QVERIFY(window.screen()->availableGeometry().contains(panel));
    QVERIFY(!panel.intersects(icon) && panel.adjusted(-8, -8, 8, 8).intersects(icon));
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Ready"), 10000);
    pellar->icon.dockWidget()->repaint();
    const QRect shown = panel | icon.adjusted(-4, -4, 4, 4);
    QVERIFY(saveScreenshot(QGuiApplication::primaryScreen()
                                   ->grabWindow(0, 0, 0, shown.right() + 12, shown.bottom() + 12)
                                   .toImage(),
                           "panel-beside-tray-icon"));
    // A second click, not a double click.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QVERIFY(clickIcon(pellar->icon));
    QTRY_VERIFY_WITH_TIMEOUT(window.isHidden(), 10000);
}

void TestPanelAtWork::buttonsStartTheSettingsToolAndTheBrowser()
{
    const QString browser = m_install.root() + "/browser";
    QVERIFY(writeStandInProgram(browser));
    setBrowserSearchList({browser});
    // Nothing on PATH: a desktop's xdg-open would take the stand-in browser's place.
    const QByteArray path = qgetenv("PATH");
    const auto restorePath = qScopeGuard([&path] { qputenv("PATH", path); });
    qputenv("PATH", QFile::encodeName(m_install.root() + "/no-programs"));
    auto pellar = start();
    QVERIFY(pellar);
    TrayMainWindow &window = pellar->window;
    window.restoreWindow();
    m_printer.setStatus(QByteArray::fromHex("0203010450085a50"));
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Cyan toner low"), 10000);

    window.supplies_clicked();
    QTRY_VERIFY_WITH_TIMEOUT(!recordedArguments(browser).isEmpty(), 10000);
    QVERIFY(recordedArguments(browser).at(1).startsWith(
            "https://supplies.tessival.example/order?items=QT-400C,"));
    QFile::remove(browser + ".args");
    window.troubleshooting_clicked();
    QTRY_VERIFY_WITH_TIMEOUT(!recordedArguments(browser).isEmpty(), 10000);
    QVERIFY(recordedArguments(browser).at(1).startsWith("file://" + m_install.root()
                                                        + "/share/help/"));

    const QString tool = QDir::cleanPath(m_install.root() + "/../TUNEX/bin/tunex");
    QVERIFY(QDir().mkpath(QFileInfo(tool).path()) && writeStandInProgram(tool));
    window.printerSettings_clicked();
    QTRY_VERIFY_WITH_TIMEOUT(!recordedArguments(tool).isEmpty(), 10000);
    QCOMPARE(recordedArguments(tool).mid(1, 2),
             (QStringList{"//Tessival/Quillon%20C400%20Series?serial=SIM0001",
                          "Quillon C400 Series"}));
    window.hideWindow();
}

// The staged program, stopped by SIGTERM while it waits for a slow printer.
void TestPanelAtWork::terminationDuringAPollEndsInOrder()
{
    // Cyan was prepared for in an earlier run and is still low.
    const QString ignored = m_install.configHome() + "/pellar/.cfg_(Quillon_C400_Series)";
    QVERIFY(QDir().mkpath(m_install.configHome() + "/pellar"));
    QVERIFY(writeFile(ignored, QByteArray::fromHex("00000004")));
    m_printer.setStatus(QByteArray::fromHex("0203010450085a50"));
    TestProcess pellar;
    const QProcessEnvironment usb = m_usb.childEnvironment();
    for (const QString &name : {QStringLiteral("LD_PRELOAD"), QStringLiteral("PELLAR_USBSIM_DIR")})
        pellar.setEnvironmentValue(name, usb.value(name));
    pellar.setEnvironmentValue("CUPS_SERVER", m_server.socketPath());
    pellar.setEnvironmentValue("CUPS_SERVERROOT", QFileInfo(m_server.ppdDirectory()).path());
    pellar.start(m_install.executable(), {"debug"});
    QVERIFY2(pellar.waitForStderr(QRegularExpression("printerListChanged }"), 20000),
             qPrintable(pellar.stdErr()));
    m_printer.setMode(UsbSimDevice::Slow, 400);
    TestProcess peer;
    peer.start(PELLAR_TOOLS_DIR "/pellar_peer",
               {"send", m_install.runtimeDir() + "/pellar.lock", "show"});
    QVERIFY(peer.waitForStdout(QRegularExpression("sent:1")));
    QVERIFY2(pellar.waitForStderr(QRegularExpression("PlDeviceUsb::requestStatus"), 20000),
             qPrintable(pellar.stdErr()));
    pellar.terminate();
    QVERIFY(pellar.waitForFinished(30000));
    QCOMPARE(pellar.exitStatus(), QProcess::NormalExit);
    QVERIFY2(pellar.exitCode() == 0, qPrintable(pellar.stdErr().right(3000)));
    QVERIFY2(pellar.stdErr().contains("saveIgnoredBits(): ignored bits = [0x00000004h]"),
             qPrintable(pellar.stdErr().right(3000)));
    QCOMPARE(readFile(ignored), QByteArray::fromHex("00000004"));
}

// A driverless queue of an IPP printer of another make: listed after the family, its reasons
// and supplies shown as CUPS and the printer give them, its job followed, its settings on the
// server's web page, and a printer that hangs never holds the window.
void TestPanelAtWork::queueOfAnotherMakeIsFollowedThroughCups()
{
    IppPrinterSimulator ipp;
    QVERIFY(ipp.start());
    QVERIFY(ipp.setMarkers("\"Black Toner\",\"Cyan Toner\"", "#000000,#00FFFF", "80,40", "10,10",
                           "toner,toner"));
    const QString queue = QStringLiteral("generic");
    QVERIFY(m_server.addDriverlessQueue(queue, ipp.uri()));
    const auto removeQueue = qScopeGuard([&] { m_server.removeQueue(queue); });
    const QString browser = m_install.root() + "/browser";
    QVERIFY(writeStandInProgram(browser));
    setBrowserSearchList({browser});

    auto pellar = start();
    QVERIFY(pellar);
    TrayMainWindow &window = pellar->window;
    QCOMPARE(pellar->printerEntries().size(), 3);
    QVERIFY(pellar->printerEntries().last().startsWith(queue));
    pellar->menu.printerAction(PrinterDesc::uniqueKeyForQueue(queue))->trigger();
    window.restoreWindow();
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Ready"), 10000);
    QCOMPARE(window.windowTitle(), queue);
    QCOMPARE(pellar->icon.state(), QString("normal"));
    for (const char *familyOnly : {"supplies", "troubleshooting", "preparedCheck"})
        QVERIFY2(!window.findChild<QWidget *>(familyOnly)->isVisible(), familyOnly);
    QTRY_VERIFY_WITH_TIMEOUT(window.findChild<QWidget *>("printerSettings")->isVisible(), 5000);

    // Cyan runs low, then the paper jams: the simulator reports both while idle.
    QVERIFY(ipp.setMarkers("", "", "80,5", "", ""));
    QVERIFY(ipp.changeReasons({"+media-jam"}));
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Paper jam"), 10000);
    QVERIFY(pellar->icon.toolTip().endsWith(": Paper jam"));
    QList<CartridgeBar *> bars = pellar->bars();
    QCOMPARE(bars.size(), 2);
    QCOMPARE(bars.at(1)->level(), 5);
    QVERIFY(window.findChild<QLabel *>("marker1_title")->text().endsWith("(low)"));
    saveScreenshot(window.grab().toImage(), "generic-printer-jam");

    {
        // Nothing on PATH: a desktop's xdg-open would take the stand-in browser's place.
        const QByteArray path = qgetenv("PATH");
        const auto restorePath = qScopeGuard([&path] { qputenv("PATH", path); });
        qputenv("PATH", QFile::encodeName(m_install.root() + "/no-programs"));
        QFile::remove(browser + ".args");
        window.printerSettings_clicked();
        QTRY_VERIFY_WITH_TIMEOUT(!recordedArguments(browser).isEmpty(), 10000);
        QCOMPARE(recordedArguments(browser).at(1),
                 QString("http://localhost:%1/printers/generic").arg(m_server.tcpPort()));
    }

    QVERIFY(ipp.changeReasons({"-media-jam"}));
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Ready"), 10000);
    QCOMPARE(pellar->icon.state(), QString("normal"));
    // A stopped queue is a warning of its own.
    QVERIFY(m_server.setQueueEnabled(queue, false));
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Queue stopped"), 10000);
    QCOMPARE(pellar->icon.state(), QString("warning"));
    QVERIFY(m_server.setQueueEnabled(queue, true));
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Ready"), 10000);
    QVERIFY(m_server.submitJob(queue) > 0);
    QTRY_COMPARE_WITH_TIMEOUT(pellar->title(), QString("Printing completed"), 15000);

    // A printer that hangs holds the worker's poll, never the window, and is told as silent:
    // never "Ready" while it does not answer.
    QVERIFY(ipp.pause());
    const auto resume = qScopeGuard([&] { ipp.resume(); });
    QElapsedTimer beat;
    beat.start();
    qint64 longest = 0;
    for (QDeadlineTimer end(5000); !end.hasExpired();) {
        QTest::qWait(10);
        longest = std::max(longest, beat.restart());
    }
    qInfo("longest gap of the window thread with the printer hanging: %lld ms", longest);
    QVERIFY2(longest < 250, qPrintable(QString::number(longest)));
    QTRY_VERIFY_WITH_TIMEOUT(pellar->icon.toolTip().endsWith(": Printer not answering"), 15000);
    QCOMPARE(pellar->title(), QString("Printer not answering"));
    QCOMPARE(pellar->icon.state(), QString("warning"));
    saveScreenshot(window.grab().toImage(), "generic-printer-not-answering");
    QVERIFY(ipp.resume());
    QTRY_VERIFY_WITH_TIMEOUT(pellar->icon.toolTip().endsWith(": Ready"), 15000);
    QCOMPARE(pellar->icon.state(), QString("normal"));
    window.hideWindow();
}

int main(int argc, char **argv)
{
    // Before Qt or the job polling connects to either: never the desktop's buses.
    PrivateSessionBus sessionBus;
    PrivateSessionBus systemBus(PrivateSessionBus::System);
    if (!sessionBus.isRunning() || !systemBus.isRunning()) {
        fprintf(stderr, "no private session and system buses\n");
        return 1;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", sessionBus.address().toUtf8());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", systemBus.address().toUtf8());
    QApplication app(argc, argv);
    // As QTEST_MAIN has it.
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestPanelAtWork test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_panelatwork.moc"
