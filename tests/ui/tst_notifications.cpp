// The followed printer with the panel closed: the tray follows it and the desktop is told through
// a notification service of the test's own on a session bus of the test's own.
#include "acquisition/printerdesc.h"
#include "config/appsettings.h"
#include "config/configurator.h"
#include "discovery/printerenumerator.h"
#include "tests/config/configuratorfixture.h"
#include "tests/tools/snifixture.h"
#include "tests/tools/usbsim/usbsim.h"
#include "ui/desktopnotifier.h"
#include "ui/traymainwindow.h"
#include "ui/widgets/plstatusview.h"

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

namespace {

const QByteArray kReady = QByteArray::fromHex("0101000064646464");
const QByteArray kJam = QByteArray::fromHex("0405020064646464");
// Text of a printer or server that a service reading markup would take as markup.
const QString kMarkedUp = QStringLiteral("<b>x</b> & <a href=\"http://example.invalid/\">y</a>");
// A closed panel polls every 5 s: two polls and a margin.
const int kClosedPollMs = 15000;

// tests/tools/notificationserver.py: one line per call it receives.
const QString kNotificationServer
        = QStringLiteral(PELLAR_SOURCE_DIR "/tests/tools/notificationserver.py");

// Keeps the printers the test gave: the enumerator's later passes would find none.
class FirstPrinterListOnly : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        return int(event->type()) == PrinterEnumerator::kPrintersChangedEvent
                || QObject::eventFilter(watched, event);
    }
};

// The panel closed in the tray, following a simulated USB printer of the family.
struct ClosedPanel
{
    ClosedPanel()
    {
        trayAvailable = true;
        QTRY_VERIFY_WITH_TIMEOUT(window.hasPrinterList(), 8000);
        window.installEventFilter(&listFilter);
        PrinterDesc printer("Acme", "Laser 100", "SIM0001", 0x0100, 0xf1e0,
                            PrinterDesc::uniqueKeyForQueue("laser"));
        printer.softName = QStringList({"laser"});
        printer.statusXml = QString::fromUtf8(readFile(PELLAR_SOURCE_DIR "/bin/sm.xml"));
        configurator.setPrinters(printerMapOf({printer}));
        window.selectPrinterFromMenu(int(printer.uniqueKey));
    }

    ApplicationTree tree;
    Configurator configurator{tree.bin(), false, false};
    ContextMenu menu;
    FirstPrinterListOnly listFilter;
    TrayMainWindow window{&configurator, &menu, Qt::Window};
};

} // namespace

class TestNotifications : public QObject
{
    Q_OBJECT

public:
    explicit TestNotifications(const PrivateSessionBus &bus)
        : m_bus(bus)
    { }

private Q_SLOTS:
    void jamWithThePanelClosedIsFollowedAndToldOnce();
    void withoutAServiceTheClosedPanelPopsUp();
    void openedPanelShowsWhatTheClosedOneWatched();
    void printerTextArrivesAsText_data();
    void printerTextArrivesAsText();

private:
    const PrivateSessionBus &m_bus;
};

void TestNotifications::jamWithThePanelClosedIsFollowedAndToldOnce()
{
    BusScript server;
    QVERIFY(server.start(m_bus, kNotificationServer));
    UsbSim usb;
    const UsbSimDevice printer = usb.addPrinter({.status = kReady});
    ClosedPanel panel;
    QSignalSpy images(&panel.window, &TrayMainWindow::stateChanged);
    QSignalSpy tips(&panel.window, &TrayMainWindow::toolTipChanged);
    QTRY_VERIFY_WITH_TIMEOUT(!tips.isEmpty() && tips.last().at(0).toString().contains("Ready"),
                             kClosedPollMs);

    printer.setStatus(kJam);
    QTRY_VERIFY_WITH_TIMEOUT(tips.last().at(0).toString().contains("Paper jam"), kClosedPollMs);
    QVERIFY(panel.window.isHidden());
    QCOMPARE(images.last().at(0).toString(), QString("error"));
    const QRegularExpressionMatch told = server.waitForLine(
            QRegularExpression("^notify (\\d+)\t([^\t]*)\t([^\t]*)\t([^\t]*)\t([^\t]*)$"), 5000);
    QVERIFY(told.hasMatch());
    QCOMPARE(told.captured(2), QStringLiteral("Paper jam"));
    QCOMPARE(told.captured(4), QStringLiteral("show|Show"));
    QVERIFY(told.captured(5).startsWith("file:///") && told.captured(5).endsWith("logo.png"));

    // "Show" opens the panel; the same jam reported again by the restarted polls (faster while
    // the panel is open) tells nothing more.
    server.write("invoke " + told.captured(1).toUtf8() + " show");
    QTRY_VERIFY(!panel.window.isHidden());
    panel.window.hideWindow();
    QTest::qWait(1500);
    QCOMPARE(server.count("notify "), 1);

    printer.setStatus(kReady);
    QVERIFY(server.waitForLine(QRegularExpression("^close " + told.captured(1) + "$"),
                               kClosedPollMs)
                    .hasMatch());
    QVERIFY(tips.last().at(0).toString().contains("Ready"));
    QCOMPARE(server.count("notify "), 1);
}

void TestNotifications::withoutAServiceTheClosedPanelPopsUp()
{
    UsbSim usb;
    const UsbSimDevice printer = usb.addPrinter({.status = kReady});
    ClosedPanel panel;
    QSignalSpy tips(&panel.window, &TrayMainWindow::toolTipChanged);
    QTRY_VERIFY_WITH_TIMEOUT(!tips.isEmpty() && tips.last().at(0).toString().contains("Ready"),
                             kClosedPollMs);
    QVERIFY(panel.window.isHidden());
    printer.setStatus(kJam);
    QTRY_VERIFY_WITH_TIMEOUT(!panel.window.isHidden(), kClosedPollMs);
    QVERIFY(tips.last().at(0).toString().contains("Paper jam"));
    panel.window.hideWindow();
}

// At an interval of 5 s or more the worker goes on when the panel opens, and reports only a
// change: the panel shows the status it watched instead of a blank one.
void TestNotifications::openedPanelShowsWhatTheClosedOneWatched()
{
    UsbSim usb;
    const UsbSimDevice printer = usb.addPrinter({.status = kJam});
    ClosedPanel panel;
    QSignalSpy tips(&panel.window, &TrayMainWindow::toolTipChanged);
    QWidget *options = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("optionDlg"))
            options = widget;
    }
    QVERIFY(options && options->findChild<QSpinBox *>());
    options->findChild<QSpinBox *>()->setValue(5);
    panel.window.options_closed(true);
    QTRY_VERIFY_WITH_TIMEOUT(!tips.isEmpty() && tips.last().at(0).toString().contains("Paper jam"),
                             kClosedPollMs);
    QVERIFY(panel.window.isWorkerBusy());

    panel.window.restoreWindow();
    const auto *view = panel.window.findChild<PLStatusView *>();
    QVERIFY(view);
    QStringList texts;
    for (const QLabel *label : view->regularView()->findChildren<QLabel *>())
        texts.append(label->text());
    QVERIFY2(texts.join('|').contains("Paper jam"), qPrintable(texts.join('|')));
    panel.window.hideWindow();
}

void TestNotifications::printerTextArrivesAsText_data()
{
    QTest::addColumn<QStringList>("serviceArguments");
    QTest::addColumn<QString>("body");
    QTest::newRow("service reads markup")
            << QStringList("--markup")
            << "&lt;b&gt;x&lt;/b&gt; &amp; &lt;a href=&quot;http://example.invalid/&quot;&gt;"
               "y&lt;/a&gt;";
    QTest::newRow("service reads text") << QStringList() << kMarkedUp;
}

// A queue's or status's text may hold anything: the service shows it as it is, whether it reads
// the body as markup or not. The summary is never markup.
void TestNotifications::printerTextArrivesAsText()
{
    QFETCH(QStringList, serviceArguments);
    BusScript server;
    QVERIFY(server.start(m_bus, kNotificationServer, serviceArguments));
    DesktopNotifier notifier(QStringLiteral("/nowhere/logo.png"));
    const QString summary = QStringLiteral("Job <i>1</i> & more");
    notifier.tell(summary, kMarkedUp);
    const QRegularExpressionMatch told
            = server.waitForLine(QRegularExpression("^notify (\\d+)\t([^\t]*)\t([^\t]*)\t"), 5000);
    QVERIFY(told.hasMatch());
    QCOMPARE(told.captured(2), summary);
    QTEST(told.captured(3), "body");
}

int main(int argc, char **argv)
{
    // Before Qt connects to it: the test's own bus, never the desktop's.
    PrivateSessionBus bus;
    if (!bus.isRunning()) {
        fprintf(stderr, "no private bus\n");
        return 1;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());
    QApplication app(argc, argv);
    TestNotifications test(bus);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_notifications.moc"
