// The tray icon as a StatusNotifierItem, in this process: a display without an XEmbed tray and a
// session bus of the test's own with the test watcher, both set up before Qt looks for a tray.
#include "tests/tools/screenshot.h"
#include "tests/tools/snifixture.h"
#include "tests/tools/x11fixture.h"
#include "ui/contextmenu.h"
#include "ui/statusnotifierhost.h"
#include "ui/trayart.h"
#include "ui/trayicon.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

QPixmap trayImage(const char *name)
{
    return QPixmap(QStringLiteral(PELLAR_STAGE_DIR "/share/icons/") + QLatin1String(name));
}

// The longest time the event loop went without running a 10 ms timer: how long the window
// thread was held, whatever held it.
class Heartbeat
{
public:
    Heartbeat()
    {
        m_sinceTick.start();
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longestGapMs = qMax(m_longestGapMs, m_sinceTick.restart()); });
        m_timer.start(10);
    }
    qint64 longestGapMs() const { return m_longestGapMs; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longestGapMs = 0;
};

} // namespace

class TestSni : public QObject
{
    Q_OBJECT

public:
    explicit TestSni(const PrivateSessionBus &bus)
        : m_bus(bus)
    { }

private Q_SLOTS:
    void hangingWatcherIsNotWaitedFor();
    void halfHungWatcherHoldsNothingAndALaterOneGetsTheIcon();
    void watcherHangingAfterTheCheckHoldsNothingAndItsSuccessorGetsTheItem();
    void itemFollowsStateTooltipAndMenu();

private:
    const PrivateSessionBus &m_bus;
};

void TestSni::hangingWatcherIsNotWaitedFor()
{
    // Qt's own check would hold the window for the bus's 25 s time-out.
    SniWatcher watcher;
    QVERIFY(watcher.start(m_bus, SniWatcher::Hanging));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!StatusNotifierHost::isAvailable(300));
    QVERIFY(timer.elapsed() < 5000);
}

void TestSni::halfHungWatcherHoldsNothingAndALaterOneGetsTheIcon()
{
    // It answers the host query but never Introspect, which Qt waits 25 s for before it gives
    // up on every host for the rest of the run.
    SniWatcher halfHung;
    QVERIFY(halfHung.start(m_bus, SniWatcher::HalfHung));
    ContextMenu menu;
    menu.addFixedEntries(trayImage("pl_default16x16.png"));
    TrayIcon icon(trayImage("pl_default.png"), QStringLiteral("Pellar"), &menu);
    QSignalSpy appeared(&icon, &TrayIcon::trayAppeared);
    Heartbeat heartbeat;
    QTest::qWait(50);
    QVERIFY(!icon.dock(1, 0));
    QTest::qWait(50);
    QVERIFY2(heartbeat.longestGapMs() < 1000,
             qPrintable(QStringLiteral("window thread held %1 ms").arg(heartbeat.longestGapMs())));
    qInfo("window thread held at most %lld ms", heartbeat.longestGapMs());

    // A proper watcher in its place gets the icon.
    halfHung.stop();
    SniWatcher watcher;
    QVERIFY(watcher.start(m_bus));
    QVERIFY(watcher.waitForLine(QRegularExpression("^registered "), 30000).hasMatch());
    QTRY_COMPARE_WITH_TIMEOUT(appeared.size(), 1, 30000);
    QVERIFY(icon.isStatusNotifierItem());
    QVERIFY(heartbeat.longestGapMs() < 1000);
}

void TestSni::watcherHangingAfterTheCheckHoldsNothingAndItsSuccessorGetsTheItem()
{
    // It passes the check, then leaves every call unanswered, the item's registration too.
    SniWatcher hung;
    QVERIFY(hung.start(m_bus, SniWatcher::HangingAfterCheck));
    ContextMenu menu;
    menu.addFixedEntries(trayImage("pl_default16x16.png"));
    auto icon = std::make_unique<TrayIcon>(trayImage("pl_default.png"), QStringLiteral("Pellar"),
                                           &menu);
    Heartbeat heartbeat;
    QTest::qWait(50);
    QVERIFY(icon->dock(1, 0));
    QVERIFY(icon->isStatusNotifierItem());
    icon->setState(QStringLiteral("error"));
    icon->setToolTip(QStringLiteral("Paper jam"));
    menu.insertPrinter(QStringLiteral("Laser 2100"), 10, true);
    menu.removePrinters();
    QTest::qWait(100);

    // A restarted panel gets the item as it is now.
    hung.stop();
    SniWatcher watcher;
    QVERIFY(watcher.start(m_bus));
    QVERIFY(watcher.waitForLine(QRegularExpression("^registered ")).hasMatch());
    QCOMPARE(watcher.request("probe", "probe").object()["ToolTip"].toString(),
             QStringLiteral("Paper jam"));

    // Gone while a hung watcher holds the name again.
    watcher.stop();
    QVERIFY(hung.start(m_bus, SniWatcher::HangingAfterCheck));
    QTest::qWait(50);
    icon.reset();
    QTest::qWait(50);
    QVERIFY2(heartbeat.longestGapMs() < 1000,
             qPrintable(QStringLiteral("window thread held %1 ms").arg(heartbeat.longestGapMs())));
    qInfo("window thread held at most %lld ms", heartbeat.longestGapMs());
}

void TestSni::itemFollowsStateTooltipAndMenu()
{
    SniWatcher watcher;
    QVERIFY(watcher.start(m_bus));
    ContextMenu menu;
    menu.addFixedEntries(trayImage("pl_default16x16.png"));
    TrayIcon icon(trayImage("pl_default.png"), QStringLiteral("Pellar"), &menu);
    QVERIFY(icon.dock(1, 0));
    QVERIFY(icon.isStatusNotifierItem() && !icon.dockWidget());
    QVERIFY(watcher.waitForLine(QRegularExpression("^registered ")).hasMatch());

    // A status change: the new image reaches the host, at its panel's sizes drawn from the
    // sources, and by name where the theme has it.
    QTemporaryDir data;
    const QString themed = data.filePath("icons/hicolor/22x22/status/pellar-error.png");
    QVERIFY(QDir().mkpath(QFileInfo(themed).path()));
    QVERIFY(QFile::copy(QStringLiteral(PELLAR_STAGE_DIR "/share/icons/pl_error.png"), themed));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(data.path()));
    const QPixmap error = trayImage("pl_error.png");
    icon.setState(QStringLiteral("error"));
    QVERIFY(watcher.waitForLine(QRegularExpression("^signal NewIcon ")).hasMatch());
    icon.setToolTip(QStringLiteral("Paper jam"));
    QVERIFY(watcher.waitForLine(QRegularExpression("^signal NewToolTip ")).hasMatch());
    const QJsonObject item = watcher.request("probe", "probe").object();
    QCOMPARE(item["ToolTip"].toString(), QStringLiteral("Paper jam"));
    const QImage shown = SniWatcher::itemIcon(item);
    QCOMPARE(shown, error.toImage().convertToFormat(QImage::Format_ARGB32));
    QVERIFY(saveScreenshot(shown.scaled(88, 88), QStringLiteral("tray-sni-error")));
    QCOMPARE(item["IconName"].toString(), QStringLiteral("pellar-error"));
    QCOMPARE(item["IconSizes"].toVariant().toList(), QVariantList({22, 16, 24, 32, 48, 64}));
    const QImage largest = SniWatcher::itemIcon(QJsonObject{{"IconWidth", item["LargestWidth"]},
                                                            {"IconHeight", item["LargestHeight"]},
                                                            {"IconArgb", item["LargestArgb"]}});
    QCOMPARE(largest, TrayArt::render(QStringLiteral("error"), 64));
    QVERIFY(saveScreenshot(largest, QStringLiteral("tray-sni-error-64")));

    // Printer entries come and go with the printer list; a click on one chooses it.
    menu.insertPrinter(QStringLiteral("Laser 2100"), 10, false);
    QSignalSpy checked(&menu, &ContextMenu::checked);
    QVERIFY(watcher.command("click Laser 2100", "clicked"));
    QTRY_COMPARE(checked.size(), 1);
    QCOMPARE(checked.first().first().toInt(), 10);
}

int main(int argc, char **argv)
{
    // Before Qt connects to either: the test's own display and bus, never the desktop's.
    PrivateXSession session;
    PrivateSessionBus bus;
    if (!session.isRunning() || !bus.isRunning()) {
        fprintf(stderr, "no private display or bus\n");
        return 1;
    }
    qputenv("DISPLAY", session.display());
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestSni test(bus);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sni.moc"
