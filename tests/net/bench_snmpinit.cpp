// Prints what the SNMP library's one-time start costs: time, resident memory, files written.
// Each variant runs in a child process of its own, as the library starts only once per process.
//   default:  the library as it comes (reads the system's configuration)
//   noconfig: configuration and persistent state off, MIB loading left on
//   quiet:    SNMPClient::initLibrary (also no MIB loading)

#include "net/snmpclient.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRuns = 21;

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

int child(const QString &variant)
{
    const long before = residentKb();
    QElapsedTimer clock;
    clock.start();
    if (variant == QLatin1String("quiet")) {
        SNMPClient::initLibrary();
    } else {
        if (variant == QLatin1String("noconfig")) {
            netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
            netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE,
                                   1);
            netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
        }
        init_snmp("SNMPClient");
    }
    const qint64 us = clock.nsecsElapsed() / 1000;
    const long after = residentKb();
    snmp_shutdown("SNMPClient"); // where the library saves its persistent state
    std::printf("%lld %ld\n", static_cast<long long>(us), after - before);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--child")
        return child(QString::fromLatin1(argv[2]));

    QTextStream out(stdout);
    out << "variant   init(us, median of " << kRuns << ")  RSS growth(kB)  files written  "
        << "stderr lines\n";
    for (const QString &variant :
         {QStringLiteral("default"), QStringLiteral("noconfig"), QStringLiteral("quiet")}) {
        QList<qint64> times;
        long rss = 0;
        int files = 0;
        int stderrLines = 0;
        for (int run = 0; run < kRuns; ++run) {
            QTemporaryDir home;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("HOME"), home.path());
            env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"),
                       home.path() + QStringLiteral("/persist"));
            QProcess process;
            process.setProcessEnvironment(env);
            process.start(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--child"), variant});
            process.waitForFinished(60000);
            const QList<QByteArray> figures = process.readAllStandardOutput().trimmed().split(' ');
            times << figures.value(0).toLongLong();
            rss = figures.value(1).toLong();
            stderrLines = process.readAllStandardError().count('\n');
            files = QDir(home.path() + QStringLiteral("/persist"))
                            .entryList(QDir::Files | QDir::NoDotAndDotDot)
                            .size();
        }
        std::sort(times.begin(), times.end());
        out << variant.leftJustified(10) << QString::number(times.at(kRuns / 2)).rightJustified(8)
            << QString::number(rss).rightJustified(22) << QString::number(files).rightJustified(15)
            << QString::number(stderrLines).rightJustified(14) << "\n";
    }
    return 0;
}
