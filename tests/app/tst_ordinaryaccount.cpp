// Pellar as people on a shared machine run it: accounts outside the lp group, a private cupsd
// with its default file modes, and an installation that only root may change. The test runs as
// root and drops to the accounts named in PELLAR_TEST_ACCOUNTS (./test makes them) for Pellar
// alone; each account's Pellar gets a display with a tray host of its own.
#include "ordinaryaccount.h"
#include "pellarrig.h"
#include "tests/tools/snifixture.h"
#include "tests/tools/testprocess.h"
#include "tests/tools/x11fixture.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList accounts()
{
    return qEnvironmentVariable("PELLAR_TEST_ACCOUNTS").split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The options record as Pellar logs it, ending with the printing-status switch.
QString optionsLine(const char *what)
{
    return QStringLiteral("Configurator::%1: options:\\n(?:\\t[^\\n]*\\n){4}"
                          "\\tDisplay Printing status: (\\w+)")
            .arg(QLatin1String(what));
}

bool logShows(const QString &file, const QString &pattern, int timeoutMs)
{
    const QRegularExpression expression(pattern);
    QDeadlineTimer deadline(timeoutMs);
    do {
        QFile log(file);
        if (log.open(QIODevice::ReadOnly)
            && expression.match(QString::fromLocal8Bit(log.readAll())).hasMatch())
            return true;
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    return false;
}

QString tail(const QString &file)
{
    QFile log(file);
    return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll().right(3000))
                                         : QString();
}

} // namespace

class TestOrdinaryAccount : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void supportedQueueIsListedAndAnOptionKept();
    void twoAccountsOnTwoDisplaysEachGetTheirOwn();

private:
    // A copy of the stage that every account may run and only root may change.
    bool installForAll(StagedInstallation &install)
    {
        return install.isValid()
                && ::chmod(QFile::encodeName(QFileInfo(install.root()).path()).constData(), 0755)
                == 0;
    }
    bool startOnDisplayOfItsOwn(PrivateXSession &session)
    {
        if (!session.isRunning() || !session.startTrayHost())
            return false;
        // The rig works on $DISPLAY.
        qputenv("DISPLAY", session.display());
        return true;
    }

    QTemporaryDir m_logs;
};

void TestOrdinaryAccount::initTestCase()
{
    if (geteuid() != 0 || accounts().size() < 2)
        QSKIP("needs root and two unprivileged accounts in PELLAR_TEST_ACCOUNTS");
    QVERIFY(m_logs.isValid());
}

void TestOrdinaryAccount::supportedQueueIsListedAndAnOptionKept()
{
    const OrdinaryAccount account(accounts().first());
    QVERIFY(account.isValid());
    StagedInstallation install;
    QVERIFY(installForAll(install));
    PrivateXSession session;
    QVERIFY(startOnDisplayOfItsOwn(session));
    PellarRig rig;
    QVERIFY(rig.prepare());
    QVERIFY(rig.setAccount(&account));

    // The queue's PPD is root's and lp's alone, yet the printer is listed and followed.
    const QString firstLog = m_logs.filePath(QStringLiteral("first.log"));
    QVERIFY(rig.startPellar(install.executable(), {QStringLiteral("debug")}, firstLog));
    qint64 at = 0;
    QVERIFY2(!rig.waitForLog(QStringLiteral("new active device ") + PellarRig::kQueue, &at, 30000)
                      .isEmpty(),
             qPrintable(tail(firstLog)));

    // Switched off in the options dialog (past the header, Show Pellar, Configure Pellar...), kept
    // for the next start although the installation is not the account's to write.
    QVERIFY(rig.waitForTrayIcon());
    QVERIFY(rig.chooseFromMenu(3));
    QVERIFY(rig.typeIntoWindow(QStringLiteral("Configure - Pellar"),
                               {QStringLiteral("space"), QStringLiteral("alt+o")}));
    const QStringList saved = rig.waitForLog(optionsLine("saveConfig"), &at);
    QVERIFY2(saved.value(1) == QLatin1String("false"), qPrintable(tail(firstLog)));
    // A queue of another make is followed through the server as well, the last printer entry.
    QVERIFY(rig.cups().addQueue(QStringLiteral("Other_Make"), "socket://127.0.0.9:9100"));
    QVERIFY(!rig.waitForLog(QStringLiteral("added generic queue: Other_Make"), &at, 30000)
                     .isEmpty());
    QVERIFY(rig.chooseFromMenu(-2));
    QVERIFY2(!rig.waitForLog(QStringLiteral("PlDeviceCups: Other_Make: state 3"), &at).isEmpty(),
             qPrintable(tail(firstLog)));
    QCOMPARE(rig.stopPellar(), 0);

    const QString secondLog = m_logs.filePath(QStringLiteral("second.log"));
    QVERIFY(rig.startPellar(install.executable(), {QStringLiteral("debug")}, secondLog));
    at = 0;
    const QStringList loaded = rig.waitForLog(optionsLine("loadConfig"), &at);
    QVERIFY2(loaded.value(1) == QLatin1String("false"), qPrintable(tail(secondLog)));
    QCOMPARE(rig.stopPellar(), 0);
}

void TestOrdinaryAccount::twoAccountsOnTwoDisplaysEachGetTheirOwn()
{
    const OrdinaryAccount first(accounts().at(0));
    const OrdinaryAccount second(accounts().at(1));
    QVERIFY(first.isValid() && second.isValid());
    StagedInstallation install;
    QVERIFY(installForAll(install));
    PrivateXSession firstSession;
    QVERIFY(startOnDisplayOfItsOwn(firstSession));
    PellarRig rig;
    QVERIFY(rig.prepare());
    QVERIFY(rig.setAccount(&first));
    const QString firstLog = m_logs.filePath(QStringLiteral("first-account.log"));
    QVERIFY(rig.startPellar(install.executable(), {QStringLiteral("debug")}, firstLog));
    QVERIFY2(rig.waitForTrayIcon(30000), qPrintable(tail(firstLog)));

    // The other account, on a display and session bus of its own, while the first one runs.
    PrivateXSession secondSession;
    QVERIFY(secondSession.isRunning() && secondSession.startTrayHost());
    PrivateSessionBus bus;
    PrivateSessionBus systemBus{PrivateSessionBus::System};
    QVERIFY(bus.isRunning() && systemBus.isRunning());
    QProcessEnvironment environment = bus.environment(secondSession.display());
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), systemBus.address());
    environment.insert(QStringLiteral("CUPS_SERVER"), rig.cups().socketPath());
    QProcess other;
    second.prepare(other, environment);
    const QString secondLog = m_logs.filePath(QStringLiteral("second-account.log"));
    other.setStandardOutputFile(QProcess::nullDevice());
    other.setStandardErrorFile(secondLog);
    other.start(install.executable(), {QStringLiteral("debug")});
    QVERIFY(other.waitForStarted(10000));
    const bool docked = logShows(secondLog, QStringLiteral("dock request result: true"), 30000)
            && logShows(secondLog, QStringLiteral("main\\(\\): event loop \\{"), 10000);
    const bool bothRun = other.state() == QProcess::Running && rig.isPellarRunning();
    ::kill(pid_t(other.processId()), SIGTERM);
    QVERIFY(other.waitForFinished(15000));
    QVERIFY2(docked && bothRun, qPrintable(tail(secondLog)));
    QCOMPARE(other.exitCode(), 0);
    QCOMPARE(rig.stopPellar(), 0);
}

QTEST_GUILESS_MAIN(TestOrdinaryAccount)
#include "tst_ordinaryaccount.moc"
