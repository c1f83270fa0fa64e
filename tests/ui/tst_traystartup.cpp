// Start-up's docking through a real tray host on a display of the test's own: the five attempts
// without a tray, a tray that appears late, a tray host that is restarted, and the tree that
// cmake --install lays out.
#include "tests/tools/testlocale.h"
#include "tests/tools/testprocess.h"
#include "tests/tools/x11fixture.h"

#include <QTest>

namespace {

const char kNoManager[] = "manager_window != None: false";

QRegularExpression literal(const QString &text)
{
    return QRegularExpression(QRegularExpression::escape(text));
}

} // namespace

class TestTrayStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutTrayFiveAttemptsAndNoTray();
    void trayAppearingByTheThirdAttemptIsUsed();
    void restartedTrayHostGetsTheIconBack();
    void installedTreeRuns();

private:
    void startPellar(TestProcess &pellar, const PrivateXSession &session);
    StagedInstallation m_install;
};

void TestTrayStartup::startPellar(TestProcess &pellar, const PrivateXSession &session)
{
    pellar.setEnvironmentValue(QStringLiteral("DISPLAY"), QString::fromLatin1(session.display()));
    pellar.start(m_install.executable(), {QStringLiteral("debug")});
}

void TestTrayStartup::withoutTrayFiveAttemptsAndNoTray()
{
    PrivateXSession session;
    QVERIFY(session.isRunning() && m_install.isValid());
    TestProcess pellar;
    startPellar(pellar, session);
    QVERIFY2(pellar.waitForStderr(literal("main(): trayAvailable=false"), 20000),
             qPrintable(pellar.stdErr()));
    QCOMPARE(pellar.stdErr().count(kNoManager), 5);
    // The panel stands in for the icon: an ordinary window whose right button opens the menu.
    QVERIFY(pellar.waitForStderr(literal("TrayMainWindow::startWithoutTray: showNormal()")));
    const auto xdotool = [&](const QStringList &arguments) {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", QString::fromLatin1(session.display()));
        tool.setProcessEnvironment(environment);
        tool.start("xdotool", arguments);
        tool.waitForFinished(10000);
        return QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
    };
    QString window;
    QTRY_VERIFY_WITH_TIMEOUT(
            !(window = xdotool({"search", "--onlyvisible", "--name", "^Pellar$"})).isEmpty(),
            10000);
    const auto shown = [&] {
        return xdotool({"search", "--onlyvisible", "--class", "pellar"}).split('\n').size();
    };
    const qsizetype before = shown();
    xdotool({"mousemove", "--window", window, "40", "40", "click", "3"});
    QTRY_VERIFY_WITH_TIMEOUT(shown() > before, 10000);
    QProcess::execute("import",
                      {"-display", QString::fromLatin1(session.display()), "-window", "root",
                       PELLAR_SOURCE_DIR "/build/screenshots/no-tray-window.png"});
    pellar.terminate();
    QVERIFY(pellar.waitForFinished());
}

void TestTrayStartup::trayAppearingByTheThirdAttemptIsUsed()
{
    PrivateXSession session;
    QVERIFY(session.isRunning());
    TestProcess pellar;
    startPellar(pellar, session);
    QVERIFY2(pellar.waitForStderr(literal(kNoManager)), qPrintable(pellar.stdErr()));
    QVERIFY(session.startTrayHost());
    QVERIFY2(pellar.waitForStderr(literal("main(): trayAvailable=true"), 20000),
             qPrintable(pellar.stdErr()));
    QVERIFY(pellar.stdErr().count(kNoManager) <= 2);
    X11Fixture x11(session.display());
    QTRY_VERIFY_WITH_TIMEOUT(x11.dockedWindow("psidock"), 10000);
    pellar.terminate();
    QVERIFY(pellar.waitForFinished());
}

void TestTrayStartup::restartedTrayHostGetsTheIconBack()
{
    PrivateXSession session;
    QVERIFY(session.isRunning() && session.startTrayHost());
    TestProcess pellar;
    startPellar(pellar, session);
    X11Fixture x11(session.display());
    QTRY_VERIFY_WITH_TIMEOUT(x11.dockedWindow("psidock"), 10000);

    session.stopTrayHost();
    QTRY_VERIFY_WITH_TIMEOUT(!x11.dockedWindow("psidock"), 10000);
    QVERIFY(session.startTrayHost());
    QTRY_VERIFY_WITH_TIMEOUT(x11.dockedWindow("psidock"), 10000);
    QVERIFY(pellar.waitForStderr(
            QRegularExpression(QStringLiteral("(?s)result: true.*result: true"))));
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
    pellar.setEnvironmentValue("DISPLAY", QString::fromLatin1(session.display()));
    pellar.start(root + "/lib/pellar/bin/pellar", {"debug"});
    QVERIFY2(pellar.waitForStderr(literal("main(): event loop {"), 20000),
             qPrintable(pellar.stdErr()));
    QVERIFY(pellar.stdErr().contains("main(): trayAvailable=true"));
    QVERIFY(pellar.stdErr().contains(": \t" PELLAR_VERSION));
    QVERIFY2(!pellar.stdErr().contains("no user-interface catalogue"), qPrintable(pellar.stdErr()));
    pellar.terminate();
    QVERIFY(pellar.waitForFinished());
}

QTEST_GUILESS_MAIN(TestTrayStartup)
#include "tst_traystartup.moc"
