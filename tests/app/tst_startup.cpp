// The program as a whole process on a display with a tray host and session and system buses of
// the test's own: the log switch, one instance per user and session, the start through links
// and PATH, and the orderly end on signals.
#include "app/qtsingleapplication.h"
#include "tests/tools/snifixture.h"
#include "tests/tools/testprocess.h"
#include "tests/tools/x11fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

namespace {

// The selection is named after the session's lock file.
QByteArray atomFor(const StagedInstallation &install)
{
    return QtSingleApplication::atomName(install.runtimeDir() + QStringLiteral("/pellar.lock"));
}

QString refusal(const QString &runtimeDir, qint64 pid)
{
    return QStringLiteral("Pellar is already running for this user in this session (process %1, "
                          "lock %2/pellar.lock).\n")
            .arg(pid)
            .arg(runtimeDir);
}

QRegularExpression literal(const QString &text)
{
    return QRegularExpression(QRegularExpression::escape(text));
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void debugWordShowsTheLog();
    void switchWordsCountOnlyAsWholeWords_data();
    void switchWordsCountOnlyAsWholeWords();
    void oneInstancePerSession();
    void startThroughSymbolicLinkAndPath();
    void unfoundProgramNameStillGuardsTheInstallation();
    void signalsEndTheLoopInOrder_data();
    void signalsEndTheLoopInOrder();

private:
    X11Fixture m_x11;
};

void TestStartup::debugWordShowsTheLog()
{
    StagedInstallation install;
    QVERIFY(install.isValid());
    TestProcess pellar;
    pellar.start(install.executable(), {QStringLiteral("debug")}, QDir::tempPath());
    QVERIFY2(pellar.waitForStderr(literal("main(): event loop {")), qPrintable(pellar.stdErr()));

    const QString log = pellar.stdErr();
    const QString bin = install.binDir();
    QVERIFY(log.contains("QDir::currentDirPath=<" + QDir::tempPath() + ">"));
    QVERIFY(log.contains("appFile: <" + install.executable() + ">"));
    QVERIFY(log.contains("QDir::currentDirPath=<" + bin + ">"));
    QVERIFY(QRegularExpression(R"(\d\d:\d\d:\d\d\.\d\d\d\[[0-9a-f]+\]> appFile)")
                    .match(log)
                    .hasMatch());
    QVERIFY(m_x11.waitForSelectionOwner(atomFor(install)));
    pellar.terminate();
    QVERIFY(pellar.waitForFinished());
}

void TestStartup::switchWordsCountOnlyAsWholeWords_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<bool>("logShown");
    QTest::newRow("no words") << QStringList() << false;
    QTest::newRow("prefixed") << QStringList{"xdebug"} << false;
    QTest::newRow("suffixed") << QStringList{"debugx"} << false;
    QTest::newRow("dashes") << QStringList{"--debug"} << false;
    QTest::newRow("among others") << QStringList{"save_sm", "debug", "use_local_sm"} << true;
}

void TestStartup::switchWordsCountOnlyAsWholeWords()
{
    QFETCH(QStringList, words);
    QFETCH(bool, logShown);
    StagedInstallation install;
    QVERIFY(install.isValid());
    TestProcess pellar;
    pellar.start(install.executable(), words);
    QVERIFY(m_x11.waitForSelectionOwner(atomFor(install)));
    pellar.terminate();
    QVERIFY(pellar.waitForFinished());
    QCOMPARE(pellar.exitStatus(), QProcess::NormalExit);
    QCOMPARE(pellar.exitCode(), 0);
    const QString log = pellar.stdErr();
    QCOMPARE(log.contains("QDir::currentDirPath=<"), logShown);
    if (!logShown)
        QVERIFY2(log.isEmpty(), qPrintable(log));
}

void TestStartup::oneInstancePerSession()
{
    StagedInstallation install;
    QVERIFY(install.isValid());
    TestProcess first;
    first.start(install.executable(), {QStringLiteral("debug")});
    QVERIFY(first.waitForStderr(literal("main(): event loop {")));

    // The same session: refused in one line, also without "debug".
    for (const QStringList &words : {QStringList{"debug"}, QStringList{}}) {
        TestProcess second;
        second.start(install.executable(), words);
        QVERIFY(second.waitForFinished());
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        const QString log = second.stdErr();
        QVERIFY2(log.contains(refusal(install.runtimeDir(), first.pid())), qPrintable(log));
        QVERIFY(!log.contains("event loop"));
        if (words.isEmpty())
            QCOMPARE(log, refusal(install.runtimeDir(), first.pid()));
    }

    // Another session of the same user on the same display has one of its own.
    QTemporaryDir otherSession;
    TestProcess other;
    other.setEnvironmentValue("XDG_RUNTIME_DIR", otherSession.path());
    other.start(install.executable(), {QStringLiteral("debug")});
    QVERIFY2(other.waitForStderr(literal("main(): event loop {")), qPrintable(other.stdErr()));

    // The lock file an ended instance leaves behind refuses nobody.
    QVERIFY(first.isRunning());
    first.terminate();
    QVERIFY(first.waitForFinished());
    QCOMPARE(first.exitCode(), 0);
    QVERIFY(QFile::exists(install.runtimeDir() + "/pellar.lock"));
    TestProcess third;
    third.start(install.executable(), {QStringLiteral("debug")});
    QVERIFY2(third.waitForStderr(literal("main(): event loop {")), qPrintable(third.stdErr()));
    third.terminate();
    QVERIFY(third.waitForFinished());
    other.terminate();
    QVERIFY(other.waitForFinished());
}

void TestStartup::startThroughSymbolicLinkAndPath()
{
    StagedInstallation install;
    QVERIFY(install.isValid());
    QTemporaryDir links;
    const QString linkDir = QDir(links.path()).canonicalPath();
    QVERIFY(QFile::link(install.executable(), linkDir + "/pellar"));

    {
        TestProcess pellar;
        pellar.start(linkDir + "/pellar", {QStringLiteral("debug")}, QDir::tempPath());
        QVERIFY(pellar.waitForStderr(literal("main(): event loop {")));
        // The identifier is the real directory; the working directory that of the word as typed.
        QVERIFY(m_x11.waitForSelectionOwner(atomFor(install)));
        QVERIFY(pellar.stdErr().contains("appFile: <" + linkDir + "/pellar>"));
        QVERIFY(pellar.stdErr().contains("QDir::currentDirPath=<" + linkDir + ">"));
        pellar.terminate();
        QVERIFY(pellar.waitForFinished());
    }
    {
        QTemporaryDir work;
        const QString workDir = QDir(work.path()).canonicalPath();
        TestProcess pellar;
        pellar.setEnvironmentValue("PATH", "/usr/bin:" + linkDir + ":/bin");
        // exec keeps the bare word as argv[0], as a shell does for a command found in PATH.
        pellar.start("/bin/sh", {"-c", "exec pellar debug"}, workDir);
        QVERIFY(pellar.waitForStderr(literal("main(): event loop {")));
        QVERIFY(m_x11.waitForSelectionOwner(atomFor(install)));
        QVERIFY2(pellar.stdErr().contains("appFile: <" + workDir + "/pellar>"),
                 qPrintable(pellar.stdErr()));
        pellar.terminate();
        QVERIFY(pellar.waitForFinished());
        QCOMPARE(pellar.exitCode(), 0);
    }
}

void TestStartup::unfoundProgramNameStillGuardsTheInstallation()
{
    StagedInstallation install;
    QVERIFY(install.isValid());
    // A launcher that names the program with a word found nowhere.
    const QStringList launch{"-c", "exec -a no-such-pellar \"$0\" debug", install.executable()};
    TestProcess first;
    first.start("/bin/bash", launch);
    QVERIFY(first.waitForStderr(literal("main(): event loop {")));
    QVERIFY2(m_x11.waitForSelectionOwner(atomFor(install)), qPrintable(first.stdErr()));

    TestProcess second;
    second.start("/bin/bash", launch);
    QVERIFY(second.waitForFinished());
    QVERIFY2(second.stdErr().contains(refusal(install.runtimeDir(), first.pid())),
             qPrintable(second.stdErr()));
    first.terminate();
    QVERIFY(first.waitForFinished());
}

void TestStartup::signalsEndTheLoopInOrder_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestStartup::signalsEndTheLoopInOrder()
{
    QFETCH(int, signalNumber);
    StagedInstallation install;
    QVERIFY(install.isValid());
    TestProcess pellar;
    pellar.start(install.executable(), {QStringLiteral("debug")});
    QVERIFY(pellar.waitForStderr(literal("main(): event loop {")));
    ::kill(pid_t(pellar.pid()), signalNumber);
    QVERIFY(pellar.waitForFinished());
    QCOMPARE(pellar.exitStatus(), QProcess::NormalExit);
    QCOMPARE(pellar.exitCode(), 0);
    QVERIFY(pellar.stdErr().contains("main(): event loop } 0"));
}

int main(int argc, char **argv)
{
    // Every Pellar started here inherits them: none reaches a desktop's display or buses.
    PrivateXSession session;
    PrivateSessionBus sessionBus;
    PrivateSessionBus systemBus(PrivateSessionBus::System);
    if (!session.isRunning() || !session.startTrayHost() || !sessionBus.isRunning()
        || !systemBus.isRunning()) {
        fprintf(stderr, "no private display with a tray host, or no private buses\n");
        return 1;
    }
    qputenv("DISPLAY", session.display());
    qputenv("DBUS_SESSION_BUS_ADDRESS", sessionBus.address().toUtf8());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", systemBus.address().toUtf8());
    QCoreApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_startup.moc"
