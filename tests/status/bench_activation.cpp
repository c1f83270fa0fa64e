// Prints what activating a large status document costs: the time of each activatePrinter call
// and what the translation file gains. Usage: bench_activation [statuses (8000)] [activations (3)]
#include "config/configurator.h"
#include "status/translator.h"
#include "tests/tools/testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

// The machine may be busy with other work: CPU time shows what the activation itself costs.
double threadCpuMs()
{
    timespec now = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int statuses = argc > 1 ? atoi(argv[1]) : 8000;
    const int activations = argc > 2 ? atoi(argv[2]) : 3;

    QByteArray document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<StatusMonitorInfo><Status>";
    for (int i = 0; i < statuses; ++i)
        document += QStringLiteral("<E%1 STRING=\"Engine reports condition %1\">"
                                   "<Status>[04][%2][%3][%4]</Status></E%1>\n")
                            .arg(i)
                            .arg((i >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
                            .arg((i >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                            .arg(i & 0xFF, 2, 16, QLatin1Char('0'))
                            .toUtf8();
    document += "</Status></StatusMonitorInfo>\n";
    const QString text = QString::fromUtf8(document);

    QTemporaryDir root;
    QDir().mkpath(root.filePath(QStringLiteral("bin")));
    QDir().mkpath(root.filePath(QStringLiteral("share/translation/en")));
    const QString translation = root.filePath(QStringLiteral("share/translation/en/sm_en.xml"));
    writeFile(translation,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><Translation>"
              "<message><Id>Engine reports condition 7</Id>"
              "<Value>Seven</Value></message></Translation></root>\n");

    std::printf("document: %d statuses, %lld bytes\n", statuses, qint64(document.size()));
    {
        Configurator configurator(root.filePath(QStringLiteral("bin")), false, false);
        for (int i = 1; i <= activations; ++i) {
            QElapsedTimer timer;
            timer.start();
            const double cpu = threadCpuMs();
            configurator.activatePrinter(text);
            std::printf("activation %d: %.1f ms (CPU %.1f ms)\n", i,
                        double(timer.nsecsElapsed()) / 1e6, threadCpuMs() - cpu);
        }
    }
    std::printf("translation file: %lld bytes\n", qint64(readFile(translation).size()));
    return 0;
}
