// Pellar in a session with a Wayland display and no X display: a headless weston and a session bus
// of the test's own with the test's StatusNotifierWatcher; and a session with no display at all.
#include "tests/tools/endwithparent.h"
#include "tests/tools/privatecupsserver.h"
#include "tests/tools/screenshot.h"
#include "tests/tools/snifixture.h"
#include "tests/tools/testprocess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

QRegularExpression literal(const QString &text)
{
    return QRegularExpression(QRegularExpression::escape(text));
}

// A headless weston on a socket of its own in the runtime directory. Stopped by its PID.
class PrivateWayland
{
public:
    explicit PrivateWayland(const QString &runtimeDir)
        : m_socket(QStringLiteral("pellar-wayland-%1").arg(QCoreApplication::applicationPid()))
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        m_weston.setProcessEnvironment(environment);
        // A file: a pipe that nobody reads could fill and stop the compositor.
        m_weston.setProcessChannelMode(QProcess::MergedChannels);
        m_weston.setStandardOutputFile(m_log.filePath(QStringLiteral("weston.log")));
        endWithParent(m_weston);
        m_weston.start(QStringLiteral("weston"),
                       {QStringLiteral("--backend=headless-backend.so"),
                        QStringLiteral("--socket=") + m_socket, QStringLiteral("--no-config"),
                        QStringLiteral("--idle-time=0"),
                        // The screenshooter's protocol, and pixels to take.
                        QStringLiteral("--debug"), QStringLiteral("--use-pixman")});
        QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired() && m_weston.state() != QProcess::NotRunning
               && !QFileInfo::exists(runtimeDir + QLatin1Char('/') + m_socket))
            QTest::qWait(50);
        m_running = m_weston.state() == QProcess::Running;
    }
    ~PrivateWayland()
    {
        if (m_weston.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_weston.processId()), SIGTERM);
        if (!m_weston.waitForFinished(5000)) {
            ::kill(pid_t(m_weston.processId()), SIGKILL);
            m_weston.waitForFinished(5000);
        }
    }
    bool isRunning() { return m_running && m_weston.state() == QProcess::Running; }
    QString socket() const { return m_socket; }
    QString output() const
    {
        QFile log(m_log.filePath(QStringLiteral("weston.log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
    }
    // The whole output, as weston-screenshooter takes it.
    QImage screenshot(const QString &runtimeDir)
    {
        QTemporaryDir dir;
        QProcess shooter;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), m_socket);
        shooter.setProcessEnvironment(environment);
        shooter.setWorkingDirectory(dir.path());
        shooter.start(QStringLiteral("weston-screenshooter"), {});
        if (!shooter.waitForFinished(10000)) {
            ::kill(pid_t(shooter.processId()), SIGKILL);
            shooter.waitForFinished(5000);
        }
        const QStringList files = QDir(dir.path()).entryList({QStringLiteral("*.png")});
        return files.isEmpty() ? QImage() : QImage(dir.filePath(files.first()));
    }

private:
    QString m_socket;
    QTemporaryDir m_log;
    QProcess m_weston;
    bool m_running = false;
};

} // namespace

class TestWayland : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void onlyWaylandTheItemIsTheTray();
    void noDisplayEndsAtOnce();

private:
    StagedInstallation m_install;
};

void TestWayland::initTestCase()
{
    QVERIFY(m_install.isValid());
    // Pellar chooses its platform itself; the test's own and the X display stay out.
    qunsetenv("QT_QPA_PLATFORM");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
}

void TestWayland::onlyWaylandTheItemIsTheTray()
{
    PrivateWayland wayland(m_install.runtimeDir());
    QVERIFY2(wayland.isRunning(), qPrintable(wayland.output()));
    PrivateSessionBus bus;
    SniWatcher watcher;
    QVERIFY(bus.isRunning() && watcher.start(bus));
    // A supported queue, so that the panel has a printer to open on.
    PrivateCupsServer cups;
    QVERIFY(cups.start());
    QVERIFY(cups.addQueue("office", "mfp:/dev/mfp5",
                          PELLAR_SOURCE_DIR "/tests/data/ppd/tessival_quillon_c400.ppd"));

    TestProcess pellar;
    pellar.setEnvironmentValue("WAYLAND_DISPLAY", wayland.socket());
    pellar.setEnvironmentValue("DBUS_SESSION_BUS_ADDRESS", bus.address());
    pellar.setEnvironmentValue("CUPS_SERVER", cups.socketPath());
    pellar.setEnvironmentValue("CUPS_SERVERROOT", QFileInfo(cups.ppdDirectory()).path());
    pellar.start(m_install.executable(), {"debug"});
    QVERIFY2(watcher.waitForLine(QRegularExpression("^registered "), 30000).hasMatch(),
             qPrintable(pellar.stdErr()));
    QVERIFY(pellar.waitForStderr(literal("main(): trayAvailable=true")));
    QVERIFY(pellar.stdErr().contains("TrayIcon::dock(): no X display"));
    QVERIFY(pellar.waitForStderr(literal("printerListChanged }")));

    QVERIFY(watcher.command("activate", "activated"));
    QVERIFY2(pellar.waitForStderr(literal("TrayMainWindow::restoreWindow(): showNormal()")),
             qPrintable(pellar.stdErr()));
    QVERIFY(pellar.isRunning());
    // Only for the picture: the panel with its first status, drawn.
    QVERIFY(pellar.waitForStderr(literal("printerStatusChangedEvent(): status <")));
    QTest::qWait(500);
    saveScreenshot(wayland.screenshot(m_install.runtimeDir()), "wayland-panel");
    const QJsonArray menu = watcher.request("menu", "menu").array();
    QVERIFY(menu.contains(QJsonObject({{"id", 3},
                                       {"label", "Configure Pellar..."},
                                       {"type", "standard"},
                                       {"enabled", true},
                                       {"visible", true}})));
    QVERIFY(watcher.command("click Configure Pellar...", "clicked"));
    // The form is filled once at start and again when it is shown.
    // Counted, not matched across the log: a pattern spanning hundreds of lines can exhaust the
    // matcher's stack and miss.
    QTRY_VERIFY_WITH_TIMEOUT(pellar.stdErr().count("OptionDialogEx::setOptions:") >= 2, 10000);

    pellar.terminate();
    QVERIFY(pellar.waitForFinished());
    QCOMPARE(pellar.exitStatus(), QProcess::NormalExit);
}

void TestWayland::noDisplayEndsAtOnce()
{
    TestProcess pellar;
    QElapsedTimer clock;
    clock.start();
    pellar.start(m_install.executable(), {});
    QVERIFY(pellar.waitForFinished(10000));
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(pellar.exitStatus(), QProcess::NormalExit);
    QCOMPARE(pellar.exitCode(), 1);
    QCOMPARE(pellar.stdErr(),
             "pellar: no display: neither X11 (DISPLAY) nor Wayland (WAYLAND_DISPLAY) is set\n");
}

QTEST_GUILESS_MAIN(TestWayland)
#include "tst_wayland.moc"
