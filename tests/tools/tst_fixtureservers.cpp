// The servers that fixtures start end with the test however it ends: a child run of this program
// starts each of them and aborts, as a test does on a failed check in a helper or a crash.
#include "simulatednetworkprinter.h"
#include "tests/tools/hostileippprinter.h"
#include "tests/tools/privatecupsserver.h"
#include "tests/tools/snifixture.h"
#include "tests/tools/testfiles.h"
#include "tests/tools/testprocess.h"
#include "tests/tools/x11fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// "pid command" of each process this one started.
QStringList children()
{
    QStringList found;
    const QString me = QString::number(getpid());
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(entry));
        const qsizetype close = stat.lastIndexOf(')');
        // The fields after the command: state, then the parent's id.
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        if (close > 0 && fields.size() > 1 && fields.at(1) == me.toLatin1())
            found << entry + QLatin1Char(' ')
                            + QString::fromLatin1(
                                    stat.mid(stat.indexOf('(') + 1, close - stat.indexOf('(') - 1));
    }
    return found;
}

// Gone, or ended and waiting for init to reap it.
bool ended(qint64 pid)
{
    const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    return stat.isEmpty() || stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z";
}

int childRun(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    PrivateXSession session;
    PrivateSessionBus bus;
    PrivateSessionBus systemBus(PrivateSessionBus::System);
    SniWatcher watcher;
    PrivateCupsServer cups;
    cups.setNotifierEnvironment(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), systemBus.address());
    SimulatedNetworkPrinter printer;
    HostileIppPrinter hostile;
    TestProcess program;
    program.start(QStringLiteral("sleep"), {QStringLiteral("600")});
    if (!session.isRunning() || !session.startTrayHost() || !bus.isRunning()
        || !systemBus.isRunning() || !watcher.start(bus) || !cups.start() || !printer.isValid()
        || !hostile.start()) {
        fprintf(stderr, "a fixture did not start\n");
        return 1;
    }
    for (const QString &child : children())
        printf("server %s\n", qPrintable(child));
    fflush(stdout);
    abort();
}

} // namespace

class TestFixtureServers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void serversEndWithATestThatAborts();
};

void TestFixtureServers::serversEndWithATestThatAborts()
{
    // The child's temporary folders are never removed: they go with this one.
    QTemporaryDir temporary;
    QVERIFY(QFile::setPermissions(temporary.path(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                          | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                          | QFileDevice::ExeOther));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temporary.path());
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--abort-with-servers")});
    QVERIFY(child.waitForFinished(120000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QMap<qint64, QString> servers;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == 3 && words.at(0) == "server")
            servers.insert(words.at(1).toLongLong(), QString::fromLatin1(words.at(2)));
    }
    // Xvfb, trayer, two buses, the watcher, cupsd, snmpd, the HTTP server, the hostile IPP
    // printer and a program.
    QVERIFY2(servers.size() >= 10, qPrintable(QStringList(servers.values()).join(' ')));

    QStringList running;
    QElapsedTimer waited;
    waited.start();
    QDeadlineTimer deadline(30000);
    do {
        running.clear();
        for (auto it = servers.cbegin(); it != servers.cend(); ++it) {
            if (!ended(it.key()))
                running << QStringLiteral("%1 (%2)").arg(it.value()).arg(it.key());
        }
        QTest::qWait(50);
    } while (!running.isEmpty() && !deadline.hasExpired());
    qInfo("%s ended %lld ms after the test", qPrintable(QStringList(servers.values()).join(' ')),
          waited.elapsed());
    // What is left must not outlive this test either.
    for (auto it = servers.cbegin(); it != servers.cend(); ++it) {
        if (!ended(it.key()))
            ::kill(pid_t(it.key()), SIGKILL);
    }
    QVERIFY2(running.isEmpty(), qPrintable("still running: " + running.join(", ")));
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--abort-with-servers") == 0)
        return childRun(argc, argv);
    QCoreApplication app(argc, argv);
    TestFixtureServers test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fixtureservers.moc"
