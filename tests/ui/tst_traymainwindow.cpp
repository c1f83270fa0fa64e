#include "acquisition/jobpollingthread.h"
#include "acquisition/workerevents.h"
#include "config/appsettings.h"
#include "config/configurator.h"
#include "tests/config/configuratorfixture.h"
#include "tests/tools/logcapture.h"
#include "tests/tools/messageboxcatcher.h"
#include "tests/tools/snifixture.h"
#include "tests/tools/usbsim/usbsim.h"
#include "ui/traymainwindow.h"
#include "ui/widgets/cartridgebar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <memory>

namespace {

const QByteArray kReady = QByteArray::fromHex("0101000064646464");

template<typename Call>
qint64 msOf(Call call)
{
    QElapsedTimer timer;
    timer.start();
    call();
    return timer.elapsed();
}

struct Panel
{
    Panel()
    {
        trayAvailable = true;
        QVERIFY(tree.isValid());
        QTRY_VERIFY_WITH_TIMEOUT(window.hasPrinterList(), 8000);
        PrinterDesc printer("Acme", "Laser 100", "SIM0001", 0x0100, 0xf1e0,
                            PrinterDesc::uniqueKeyForQueue("laser"));
        printer.softName = QStringList({"laser"});
        printer.statusXml = QStringLiteral("<sm/>");
        configurator.setPrinters(printerMapOf({printer}));
        window.selectPrinterFromMenu(int(printer.uniqueKey));
    }

    ApplicationTree tree;
    // These cases follow a panel that stops polling once it is closed.
    bool notWatching = tree.writeState(QStringLiteral(".watch"), "keep_watching=0\n");
    Configurator configurator{tree.bin(), false, false};
    ContextMenu menu;
    TrayMainWindow window{&configurator, &menu, Qt::Window};
};

// The menu's rows: "-" for a separator, "(text)" for a disabled entry.
QStringList menuRows(const QMenu &menu)
{
    QStringList rows;
    for (const QAction *action : menu.actions()) {
        const QString row = action->isSeparator() ? QStringLiteral("-") : action->text();
        rows << (action->isEnabled() ? row : '(' + row + ')');
    }
    return rows;
}

} // namespace

class TestTrayMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hiddenPanelShowsReportsOnlyWhileFollowingAJob()
    {
        UsbSim usb;
        Panel panel;
        QSignalSpy images(&panel.window, &TrayMainWindow::stateChanged);
        QSignalSpy tips(&panel.window, &TrayMainWindow::toolTipChanged);
        StatusBlock raw;
        std::copy(kReady.cbegin(), kReady.cend(), raw.data());
        PrinterStatusChangedEvent ready(raw);
        QCoreApplication::sendEvent(&panel.window, &ready);
        QVERIFY(images.isEmpty() && panel.window.isHidden());

        JobChangedEvent job(false, "laser", false);
        QCoreApplication::sendEvent(&panel.window, &job);
        QVERIFY(panel.window.printingMode().hasActiveJobsInSpooler());
        images.clear();
        raw[0] |= 0x08;
        PrinterStatusChangedEvent printing(raw);
        QCoreApplication::sendEvent(&panel.window, &printing);
        QVERIFY(!panel.window.isHidden());
        QVERIFY(!panel.window.printingMode().hasActiveJobsInSpooler());
        QCOMPARE(images.count(), 1);
        QCOMPARE(tips.last().at(0).toString(), QString("Pellar — laser: Unknown status"));
        panel.window.hide();
    }

    // A job elsewhere follows another queue for this run only; the next start follows the
    // user's own choice.
    void onlyTheUsersChoiceIsRememberedForTheNextStart()
    {
        UsbSim usb;
        Panel panel;
        const QString remembered = panel.tree.state(QStringLiteral(".active_printer"));
        QCOMPARE(readFile(remembered), QByteArray("laser"));
        PrinterDesc office("Acme", "Laser 100", "SIM0002", 0x0100, 0xf1e0,
                           PrinterDesc::uniqueKeyForQueue("office"));
        office.softName = QStringList({"office"});
        office.statusXml = QStringLiteral("<sm/>");
        PrinterMap printers = panel.configurator.printers();
        printers.insert(qint32(office.uniqueKey), office);
        panel.configurator.setPrinters(printers);

        JobChangedEvent job(false, "office", false);
        QCoreApplication::sendEvent(&panel.window, &job);
        QCOMPARE(panel.configurator.activePrinterName(), QStringLiteral("office"));
        QCOMPARE(readFile(remembered), QByteArray("laser"));
        panel.window.selectPrinterFromMenu(int(office.uniqueKey));
        QCOMPARE(readFile(remembered), QByteArray("office"));
        panel.window.hide();
    }

    // A running worker does not send an unchanged status again: a report that came before the
    // printer's description is shown when a printer list brings the description.
    void reportWithoutDescriptionIsShownOnceTheDescriptionComes()
    {
        UsbSim usb;
        Panel panel;
        const auto followed = panel.configurator.printerDesc();
        QVERIFY(followed);
        PrinterDesc printer = *followed;
        printer.statusXml = QString();
        panel.configurator.setPrinters(printerMapOf({printer}));
        panel.window.show();
        QSignalSpy images(&panel.window, &TrayMainWindow::stateChanged);
        StatusBlock raw;
        std::copy(kReady.cbegin(), kReady.cend(), raw.data());
        PrinterStatusChangedEvent ready(raw);
        QCoreApplication::sendEvent(&panel.window, &ready);
        QVERIFY(images.isEmpty());

        printer.statusXml = QString::fromUtf8(readFile(PELLAR_SOURCE_DIR "/bin/sm.xml"));
        panel.configurator.setPrinters(printerMapOf({printer}));
        panel.window.selectPrinter(printer.uniqueKey, 2);
        QCOMPARE(images.count(), 1);
        // Its toners are drawn too, though the view was made before they were known.
        const QList<CartridgeBar *> bars = panel.window.findChildren<CartridgeBar *>();
        QVERIFY(!panel.configurator.tonerList().isEmpty());
        QCOMPARE(bars.size(), panel.configurator.tonerList().size());
        QVERIFY(std::all_of(bars.cbegin(), bars.cend(), [](const CartridgeBar *bar) {
            return bar->isVisibleTo(bar->window());
        }));
        panel.window.hide();
    }

    // The worker holds its lock for a whole poll; the window must not wait for it.
    void hidingDuringASlowPollDoesNotWaitForIt()
    {
        UsbSim usb;
        UsbSimDevice printer = usb.addPrinter({.status = kReady});
        printer.setMode(UsbSimDevice::Slow, 1500);
        Panel panel;
        panel.window.restoreWindow();
        QTRY_VERIFY_WITH_TIMEOUT(!printer.requests("control").isEmpty()
                                         || !printer.requests("open").isEmpty(),
                                 8000);
        QElapsedTimer blocked;
        blocked.start();
        panel.window.hideWindow();
        const qint64 hideMs = blocked.elapsed();
        QVERIFY(panel.window.isWorkerBusy());
        blocked.restart();
        panel.window.restoreWindow();
        const qint64 restoreMs = blocked.elapsed();
        qInfo("window thread blocked: hide %lld ms, restore %lld ms", hideMs, restoreMs);
        QVERIFY2(hideMs < 250 && restoreMs < 250, "the window waited for the poll");
        panel.window.hideWindow();
        QTRY_VERIFY_WITH_TIMEOUT(!panel.window.isWorkerBusy(), 20000);
    }

    // Neither the printer's page nor an order can be made of a printer that does not answer.
    void unreachableNetworkPrinterDisablesSettingsAndOrdering()
    {
        UsbSim usb;
        Panel panel;
        PrinterDesc printer = *panel.configurator.printerDesc();
        printer.isLocal = false;
        printer.devPath = QStringLiteral("127.0.0.9");
        panel.configurator.setPrinters(printerMapOf({printer}));
        panel.window.show();
        PrinterStatusChangedEvent silent{StatusBlock()};
        QCoreApplication::sendEvent(&panel.window, &silent);
        for (const char *name : {"supplies", "printerSettings"}) {
            const auto *button = panel.window.findChild<QWidget *>(name);
            QVERIFY2(button && !button->isEnabled(), name);
        }
        panel.window.hide();
    }

    // The settings tool would disturb a job the printer is printing.
    void printerSettingsWaitForTheJobToEnd()
    {
        UsbSim usb;
        QByteArray printing = kReady;
        printing[0] = char(printing[0] | 0x08);
        usb.addPrinter({.status = printing});
        Panel panel;
        PrinterDesc printer = *panel.configurator.printerDesc();
        printer.devPath = QStringLiteral("//Acme/Laser%20100?serial=SIM0001");
        panel.configurator.setPrinters(printerMapOf({printer}));
        LogCapture log;
        MessageBoxCatcher boxes;
        panel.window.printerSettings_clicked();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), 1, 20000);
        QCOMPARE(boxes.boxes().first().text, QStringLiteral("Printer is busy."));
        QVERIFY(log.contains(QStringLiteral("Device is printing now.")));
    }

    // Each printer list passes the followed printer again; its worker goes on polling.
    void printerListPassLeavesARunningWorkerAlone()
    {
        UsbSim usb;
        usb.addPrinter({.status = kReady});
        Panel panel;
        LogCapture log;
        QSignalSpy images(&panel.window, &TrayMainWindow::stateChanged);
        panel.window.restoreWindow();
        QTRY_COMPARE_WITH_TIMEOUT(images.count(), 1, 8000);
        panel.window.selectPrinter(PrinterDesc::uniqueKeyForQueue("laser"), 2);
        QTest::qWait(2500);
        QCOMPARE(log.count("Worker::run: started"), 1);
        QCOMPARE(images.count(), 1);
        panel.window.hideWindow();
    }

    // A CUPS server that takes connections and never answers holds a request for a minute; the
    // window never waits for one.
    void silentCupsServerNeverHoldsTheWindow()
    {
        UsbSim usb;
        auto log = std::make_unique<LogCapture>();
        auto panel = std::make_unique<Panel>();
        const quint32 laser = PrinterDesc::uniqueKeyForQueue("laser");
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const auto showPrintingStatus = [&panel](bool on) {
            panel->configurator.options().displayPrintingStatus = on;
            panel->window.showOptions();
            panel->window.options_closed(true);
        };
        // The library reads the server's address once per thread: job polling starts afresh.
        showPrintingStatus(false);
        const QByteArray saved = qgetenv("CUPS_SERVER");
        qputenv("CUPS_SERVER", "127.0.0.1:" + QByteArray::number(silent.serverPort()));
        const auto restore = qScopeGuard([&saved] {
            if (saved.isNull())
                qunsetenv("CUPS_SERVER");
            else
                qputenv("CUPS_SERVER", saved);
        });
        showPrintingStatus(true);
        QTRY_VERIFY_WITH_TIMEOUT(silent.hasPendingConnections(), 10000);

        QStringList figures;
        const auto quick = [&figures](const char *call, qint64 ms) {
            figures.append(QStringLiteral("%1 %2 ms").arg(QLatin1String(call)).arg(ms));
            return ms < 250;
        };
        QVERIFY2(quick("menu choice",
                       msOf([&] { panel->window.selectPrinterFromMenu(int(laser)); })),
                 qPrintable(figures.last()));
        panel->window.show();
        StatusBlock raw;
        std::copy(kReady.cbegin(), kReady.cend(), raw.data());
        PrinterStatusChangedEvent ready(raw);
        QVERIFY2(quick("status report",
                       msOf([&] { QCoreApplication::sendEvent(&panel->window, &ready); })),
                 qPrintable(figures.last()));
        panel->window.hide();
        // Off and on again while the old run still waits for the server.
        QVERIFY2(quick("options OK", msOf([&] {
                           showPrintingStatus(false);
                           showPrintingStatus(true);
                       })),
                 qPrintable(figures.last()));
        QVERIFY2(quick("printer list pass", msOf([&] { panel->window.selectPrinter(laser, 2); })),
                 qPrintable(figures.last()));
        QVERIFY2(quick("exit", msOf([&] { panel.reset(); })), qPrintable(figures.last()));

        // Closed, the server lets the thread that was left behind end and go.
        silent.close();
        while (QTcpSocket *connection = silent.nextPendingConnection())
            delete connection;
        QTRY_COMPARE_WITH_TIMEOUT(log->count("JobPollingThread::run(): finished"),
                                  log->count("JobPollingThread::run(): started"), 30000);
        QTest::qWait(200);
        log.reset();
        qInfo("window thread blocked: %s", qPrintable(figures.join(QStringLiteral(", "))));
    }

    // Without a tray the panel's menu keeps only what a window needs; a tray that comes later
    // gets every entry back in its place, the printers and the settings entry as they are then.
    void trayMenuKeepsItsOrderWithoutAndWithATray()
    {
        UsbSim usb;
        ApplicationTree tree;
        QVERIFY(tree.isValid());
        Configurator configurator{tree.bin(), false, false};
        ContextMenu menu;
        TrayMainWindow window{&configurator, &menu, Qt::Window};
        const auto hide = qScopeGuard([&] { window.hide(); });
        window.connectMenu(menu.addFixedEntries(QPixmap()));
        window.menuCreated();
        trayAvailable = false;
        window.startWithoutTray();
        QTRY_VERIFY_WITH_TIMEOUT(window.hasPrinterList(), 8000);
        PrinterDesc printer("Acme", "Laser 100", "SIM0001", 0x0100, 0xf1e0,
                            PrinterDesc::uniqueKeyForQueue("laser"));
        printer.softName = QStringList({"laser"});
        printer.statusXml = QStringLiteral("<sm/>");
        printer.hasTunex = true;
        configurator.setPrinters(printerMapOf({printer}));
        menu.insertPrinter("laser", int(printer.uniqueKey), false);
        menu.insertPrinter("office", 7, false);
        window.selectPrinterFromMenu(int(printer.uniqueKey));
        const QString header = menu.actions().value(0)->text();
        QCOMPARE(menuRows(menu),
                 QStringList({header, "Configure Pellar...", "-", "laser", "office", "&Quit"}));

        trayAvailable = true;
        window.moveIntoTray();
        QCOMPARE(menuRows(menu),
                 QStringList({header, "Show Pellar", "Configure Pellar...", "-",
                              "Printer Settings...", "Troubleshooting Guide", "Buy Now", "-",
                              "laser", "office", "-", "&Quit"}));
        window.selectPrinterFromMenu(7);
        QCOMPARE(menuRows(menu),
                 QStringList({header, "Show Pellar", "Configure Pellar...", "(-)",
                              "(Troubleshooting Guide)", "(Buy Now)", "(-)", "laser", "office", "-",
                              "&Quit"}));
        // Back on a printer with the tool, its entry returns usable, not greyed.
        window.selectPrinterFromMenu(int(printer.uniqueKey));
        QCOMPARE(menuRows(menu),
                 QStringList({header, "Show Pellar", "Configure Pellar...", "-",
                              "Printer Settings...", "Troubleshooting Guide", "Buy Now", "-",
                              "laser", "office", "-", "&Quit"}));
    }

    // With the worker stopped, "Printer Settings" reads the status once; the window goes on.
    void settingsStatusIsReadBesideTheWindow()
    {
        UsbSim usb;
        UsbSimDevice printer = usb.addPrinter({.status = kReady});
        printer.setMode(UsbSimDevice::Slow, 300);
        Panel panel;
        LogCapture log;
        MessageBoxCatcher boxes;
        const QString read = QStringLiteral("TrayMainWindow::printerSettings_clicked(): status =");
        panel.window.printerSettings_clicked();
        QVERIFY(!log.contains(read));
        QTRY_VERIFY_WITH_TIMEOUT(log.contains(read), 20000);
        // The record has no device path: the user is told the printer is busy.
        QTRY_COMPARE(boxes.boxes().size(), 1);
    }
};

int main(int argc, char **argv)
{
    // Before Qt, the notifier or the job polling connects to either: never the machine's buses,
    // which a fresh machine may not have at all.
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
    TestTrayMainWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_traymainwindow.moc"
