// Start-up's docking through a real tray host on a display and a session bus of the test's own:
// the five attempts without a tray, a tray that appears late, a tray host that is restarted, a
// StatusNotifierItem host instead of an XEmbed tray, and the tree that cmake --install lays out.
#include "tests/tools/screenshot.h"
#include "tests/tools/snifixture.h"
#include "tests/tools/testlocale.h"
#include "tests/tools/testprocess.h"
#include "tests/tools/x11fixture.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

#include <ctime>

namespace {

const char kNoManager[] = "manager_window != None: false";

QRegularExpression literal(const QString &text)
{
    return QRegularExpression(QRegularExpression::escape(text));
}

QString xdotool(const PrivateXSession &session, const QStringList &arguments)
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", QString::fromLatin1(session.display()));
    tool.setProcessEnvironment(environment);
    tool.start("xdotool", arguments);
    tool.waitForFinished(10000);
    return QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
}

QString panelWindow(const PrivateXSession &session)
{
    return xdotool(session, {"search", "--onlyvisible", "--name", "^Pellar$"});
}

void screenshot(const PrivateXSession &session, const QString &name)
{
    QDir().mkpath(PELLAR_SOURCE_DIR "/build/screenshots");
    QProcess::execute("import",
                      {"-display", QString::fromLatin1(session.display()), "-window", "root",
                       PELLAR_SOURCE_DIR "/build/screenshots/" + name + ".png"});
}

qint64 monotonicNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The exported menu as "label" per entry, "-" for a separator, "(label)" for a disabled one.
QStringList menuRows(SniWatcher &watcher)
{
    QStringList rows;
    const QJsonArray entries = watcher.request("menu", "menu").array();
    for (const QJsonValue &entry : entries) {
        const QJsonObject row = entry.toObject();
        if (!row["visible"].toBool())
            continue;
        const QString label = row["type"].toString() == "separator" ? "-" : row["label"].toString();
        rows << (row["enabled"].toBool() ? label : '(' + label + ')');
    }
    return rows;
}

} // namespace

class TestTrayStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutTrayFiveAttemptsAndNoTray();
    void trayAppearingByTheThirdAttemptIsUsed();
    void restartedTrayHostGetsTheIconBack();
    void trayAppearingAfterTheWindowTakesItIn();
    void statusNotifierHostShowsTheIcon();
    void bothTraysTheXEmbedOneWins();
    void watcherAppearingAfterTheWindowTakesTheIcon();
    void installedTreeRuns();

private:
    // On a bus of its own, with the watcher on it first when one is given; false on failure.
    bool startPellar(TestProcess &pellar, const PrivateXSession &session,
                     SniWatcher *watcher = nullptr, const QString &executable = QString());
    // Started where there is no tray at all: the panel is shown as a window.
    bool startWithoutTray(TestProcess &pellar, const PrivateXSession &session);
    StagedInstallation m_install;
    // Never the desktop's bus: an icon of a test must not land in a real panel.
    std::unique_ptr<PrivateSessionBus> m_bus;
    qint64 m_started = 0;
};

bool TestTrayStartup::startPellar(TestProcess &pellar, const PrivateXSession &session,
                                  SniWatcher *watcher, const QString &executable)
{
    m_bus = std::make_unique<PrivateSessionBus>();
    if (!m_bus->isRunning() || (watcher && !watcher->start(*m_bus)))
        return false;
    pellar.setEnvironmentValue(QStringLiteral("DISPLAY"), QString::fromLatin1(session.display()));
    pellar.setEnvironmentValue(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus->address());
    m_started = monotonicNs();
    pellar.start(executable.isEmpty() ? m_install.executable() : executable,
                 {QStringLiteral("debug")});
    return true;
}

bool TestTrayStartup::startWithoutTray(TestProcess &pellar, const PrivateXSession &session)
{
    if (!startPellar(pellar, session)
        || !pellar.waitForStderr(literal("TrayMainWindow::startWithoutTray: showNormal()"), 30000))
        return false;
    QDeadlineTimer deadline(30000);
    while (panelWindow(session).isEmpty() && !deadline.hasExpired())
        QTest::qWait(50);
    return !panelWindow(session).isEmpty();
}

void TestTrayStartup::withoutTrayFiveAttemptsAndNoTray()
{
    PrivateXSession session;
    QVERIFY(session.isRunning() && m_install.isValid());
    TestProcess pellar;
    QVERIFY(startPellar(pellar, session));
    QVERIFY2(pellar.waitForStderr(literal("main(): trayAvailable=false"), 30000),
             qPrintable(pellar.stdErr()));
    QCOMPARE(pellar.stdErr().count(kNoManager), 5);
    // The panel stands in for the icon: an ordinary window whose right button opens the menu.
    QVERIFY(pellar.waitForStderr(literal("TrayMainWindow::startWithoutTray: showNormal()")));
    QString window;
    QTRY_VERIFY_WITH_TIMEOUT(!(window = panelWindow(session)).isEmpty(), 30000);
    const auto shown = [&] {
        return xdotool(session, {"search", "--onlyvisible", "--class", "pellar"})
                .split('\n')
                .size();
    };
    const qsizetype before = shown();
    xdotool(session, {"mousemove", "--window", window, "40", "40", "click", "3"});
    QTRY_VERIFY_WITH_TIMEOUT(shown() > before, 30000);
    screenshot(session, "no-tray-window");
    pellar.terminate();
    QVERIFY(pellar.waitForFinished());
}

void TestTrayStartup::trayAppearingByTheThirdAttemptIsUsed()
{
    PrivateXSession session;
    QVERIFY(session.isRunning());
    TestProcess pellar;
    QVERIFY(startPellar(pellar, session));
    QVERIFY2(pellar.waitForStderr(literal(kNoManager)), qPrintable(pellar.stdErr()));
    QVERIFY(session.startTrayHost());
    QVERIFY2(pellar.waitForStderr(literal("main(): trayAvailable=true"), 30000),
             qPrintable(pellar.stdErr()));
    QVERIFY(pellar.stdErr().count(kNoManager) <= 2);
    X11Fixture x11(session.display());
    QTRY_VERIFY_WITH_TIMEOUT(x11.dockedWindow("pellar"), 30000);
    pellar.terminate();
    QVERIFY(pellar.waitForFinished());
}

void TestTrayStartup::restartedTrayHostGetsTheIconBack()
{
    PrivateXSession session;
    QVERIFY(session.isRunning() && session.startTrayHost());
    TestProcess pellar;
    QVERIFY(startPellar(pellar, session));
    X11Fixture x11(session.display());
    QTRY_VERIFY_WITH_TIMEOUT(x11.dockedWindow("pellar"), 30000);

    session.stopTrayHost();
    QTRY_VERIFY_WITH_TIMEOUT(!x11.dockedWindow("pellar"), 30000);
    QVERIFY(session.startTrayHost());
    QTRY_VERIFY_WITH_TIMEOUT(x11.dockedWindow("pellar"), 30000);
    QVERIFY(pellar.waitForStderr(
            QRegularExpression(QStringLiteral("(?s)result: true.*result: true"))));
    pellar.terminate();
    QVERIFY(pellar.waitForFinished());
}

void TestTrayStartup::trayAppearingAfterTheWindowTakesItIn()
{
    PrivateXSession session;
    QVERIFY(session.isRunning());
    TestProcess pellar;
    QVERIFY2(startWithoutTray(pellar, session), qPrintable(pellar.stdErr()));

    QVERIFY(session.startTrayHost());
    X11Fixture x11(session.display());
    unsigned long icon = 0;
    QTRY_VERIFY_WITH_TIMEOUT((icon = x11.dockedWindow("pellar")), 30000);
    QVERIFY(pellar.waitForStderr(literal("TrayMainWindow::moveIntoTray()")));
    QTRY_VERIFY_WITH_TIMEOUT(panelWindow(session).isEmpty(), 30000);
    // The tray's menu again: a right click on the icon shows all of it.
    const QPoint centre = x11.rootPosition(icon) + QPoint(11, 11);
    xdotool(session,
            {"mousemove", QString::number(centre.x()), QString::number(centre.y()), "click", "3"});
    QTRY_VERIFY_WITH_TIMEOUT(
            !xdotool(session, {"search", "--onlyvisible", "--class", "pellar"}).isEmpty(), 30000);
    screenshot(session, "late-tray-menu");
    pellar.terminate();
    QVERIFY(pellar.waitForFinished());
}

void TestTrayStartup::statusNotifierHostShowsTheIcon()
{
    PrivateXSession session;
    QVERIFY(session.isRunning());
    TestProcess pellar;
    SniWatcher watcher;
    QVERIFY(startPellar(pellar, session, &watcher));
    const QRegularExpressionMatch registered
            = watcher.waitForLine(QRegularExpression("^registered (\\S+) (\\d+)$"), 30000);
    QVERIFY2(registered.hasMatch(), qPrintable(pellar.stdErr()));
    qInfo("from start to a registered item: %.1f ms",
          double(registered.captured(2).toLongLong() - m_started) / 1e6);
    QVERIFY(pellar.waitForStderr(literal("main(): trayAvailable=true")));
    QCOMPARE(pellar.stdErr().count(kNoManager), 1);

    const QJsonObject item = watcher.request("probe", "probe").object();
    QCOMPARE(watcher.output().count("registered "), 1);
    QCOMPARE(item["ToolTip"].toString(), "Pellar");
    const QImage icon = SniWatcher::itemIcon(item);
    QCOMPARE(icon,
             QImage(m_install.root() + "/share/icons/pl_default.png")
                     .convertToFormat(QImage::Format_ARGB32));
    saveScreenshot(icon.scaled(88, 88), "tray-sni-icon");
    QCOMPARE(menuRows(watcher),
             QStringList({"(Pellar)", "Show Pellar", "Configure Pellar...", "-",
                          "(Troubleshooting Guide)", "(Buy Now)", "-", "-", "_Quit"}));
    QVERIFY(watcher.command("activate", "activated"));
    QVERIFY(pellar.waitForStderr(literal("TrayMainWindow::restoreWindow()")));
    QTRY_VERIFY_WITH_TIMEOUT(
            !xdotool(session, {"search", "--onlyvisible", "--class", "pellar"}).isEmpty(), 30000);
    screenshot(session, "tray-sni-activated");
    pellar.terminate();
    QVERIFY(pellar.waitForFinished());
}

void TestTrayStartup::bothTraysTheXEmbedOneWins()
{
    PrivateXSession session;
    QVERIFY(session.isRunning() && session.startTrayHost());
    TestProcess pellar;
    SniWatcher watcher;
    QVERIFY(startPellar(pellar, session, &watcher));
    X11Fixture x11(session.display());
    QTRY_VERIFY_WITH_TIMEOUT(x11.dockedWindow("pellar"), 30000);
    QVERIFY(pellar.waitForStderr(literal("main(): event loop {")));
    // The decision is made: the watcher has no item to show a menu of.
    QVERIFY(watcher.request("menu", "menu").isNull());
    QVERIFY(!watcher.output().contains("registered"));
    screenshot(session, "tray-both-xembed");
    pellar.terminate();
    QVERIFY(pellar.waitForFinished());
}

void TestTrayStartup::watcherAppearingAfterTheWindowTakesTheIcon()
{
    PrivateXSession session;
    QVERIFY(session.isRunning());
    TestProcess pellar;
    QVERIFY2(startWithoutTray(pellar, session), qPrintable(pellar.stdErr()));

    SniWatcher watcher;
    QVERIFY(watcher.start(*m_bus));
    QVERIFY(watcher.waitForLine(QRegularExpression("^registered ")).hasMatch());
    QVERIFY(pellar.waitForStderr(literal("TrayMainWindow::moveIntoTray()")));
    QTRY_VERIFY_WITH_TIMEOUT(panelWindow(session).isEmpty(), 30000);
    // The entries that the window's menu had dropped are back, in their places.
    QCOMPARE(menuRows(watcher),
             QStringList({"(Pellar)", "Show Pellar", "Configure Pellar...", "-",
                          "(Troubleshooting Guide)", "(Buy Now)", "-", "-", "_Quit"}));
    pellar.terminate();
    QVERIFY(pellar.waitForFinished());
}

void TestTrayStartup::installedTreeRuns()
{
    QTemporaryDir destdir;
    QProcess install;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DESTDIR", destdir.path());
    install.setProcessEnvironment(environment);
    install.start(PELLAR_CMAKE_COMMAND, {"--install", PELLAR_BINARY_DIR, "--prefix", "/usr"});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());

    const QString root = destdir.path() + "/usr";
    const QStringList entries{root + "/share/applications/pellar.desktop",
                              destdir.path() + "/etc/xdg/autostart/pellar.desktop"};
    QProcess validate;
    validate.start("desktop-file-validate", entries);
    QVERIFY(validate.waitForFinished(10000));
    QVERIFY2(validate.exitCode() == 0 && validate.readAll().isEmpty(),
             validate.readAllStandardError().constData());
    QFile entry(entries.first());
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY(entry.readAll().contains("\nExec=/usr/lib/pellar/bin/pellar\n"));
    for (int size : {16, 22, 32, 48})
        QCOMPARE(QImage(root + QString("/share/icons/hicolor/%1x%1/apps/pellar.png").arg(size))
                         .size(),
                 QSize(size, size));
    QVERIFY(QFile::exists(root + "/share/icons/hicolor/scalable/apps/pellar.svg"));

    // Started by its full path, as the entries do, it finds its data: the version beside it and
    // the German catalogue under share/.
    PrivateXSession session;
    QVERIFY(session.isRunning() && session.startTrayHost());
    TestLocale german("de_DE.UTF-8");
    QVERIFY(german.isValid());
    TestProcess pellar;
    QVERIFY(startPellar(pellar, session, nullptr, root + "/lib/pellar/bin/pellar"));
    QVERIFY2(pellar.waitForStderr(literal("main(): event loop {"), 30000),
             qPrintable(pellar.stdErr()));
    QVERIFY(pellar.stdErr().contains("main(): trayAvailable=true"));
    QVERIFY(pellar.stdErr().contains(": \t" PELLAR_VERSION));
    QVERIFY2(!pellar.stdErr().contains("no user-interface catalogue"), qPrintable(pellar.stdErr()));
    screenshot(session, "installed-tray");
    pellar.terminate();
    QVERIFY(pellar.waitForFinished());
}

QTEST_GUILESS_MAIN(TestTrayStartup)
#include "tst_traystartup.moc"
