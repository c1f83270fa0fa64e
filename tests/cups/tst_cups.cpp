// CUPS access against the machine's real CUPS server, with queues and jobs of our own.
#include "cups/cups.h"
#include "tests/tools/cupsfixture.h"
#include "tests/tools/logcapture.h"

#include <QDir>
#include <QTcpServer>
#include <QTest>
#include <QThread>

#include <limits>
#include <memory>

namespace {

// Names that no library has: the program as on a machine without CUPS.
const QStringList kMissingLibraries{QStringLiteral("libpellar-no-such-cups.so"),
                                    QStringLiteral("libpellar-no-such-cups.so.2")};

class LibraryNames
{
public:
    explicit LibraryNames(const QStringList &names) { CUPS::setLibraryNames(names); }
    ~LibraryNames() { CUPS::setLibraryNames({}); }
};

QString ppdPathOf(const QString &queue)
{
    return QStringLiteral("/etc/cups/ppd/%1.ppd").arg(queue);
}

bool hasJob(const QList<CupsJob> &jobs, const CupsJob &wanted)
{
    return jobs.contains(wanted);
}

} // namespace

class TestCups : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void serverWithoutQueuesGivesEmptyList();
    void queueListHasKeysLocationsAndUris();
    void queueListFilterKeepsNamedQueues();
    void ppdSummaryOfAQueue();
    void missingOrUnreadablePpdGivesEmptySummary();
    void ppdSummaryFromText_data();
    void ppdSummaryFromText();
    void jobStateMapping_data();
    void jobStateMapping();
    void realJobsAreListedWithTheirStates();
    void heldJobIsNotActiveButPendingAndProcessingAre();
    void jobQueriesOfThreadsDoNotWaitForEachOther();
    void sequenceNumbersNeverOverflow_data();
    void sequenceNumbersNeverOverflow();
    void threadEndsSafelyAfterItsCupsObject();
    void withoutLibraryEverythingIsEmpty();
    void libraryWithoutCupsFunctionsGivesEmptyResults();
    void serverDownGivesEmptyResults();

private:
    // Adds the test queues on first use, after the check of an empty server.
    void addQueues();

    std::unique_ptr<CupsFixture> m_cups;
    std::unique_ptr<LoopbackPrinterPort> m_port;
    QString m_usbQueue;
    QString m_socketQueue;
    QString m_ippQueue;
    QString m_rawQueue;
    QString m_usbUri;
};

void TestCups::initTestCase()
{
    m_cups = std::make_unique<CupsFixture>();
    QVERIFY2(m_cups->isReady(), qPrintable(m_cups->error()));
    m_port = std::make_unique<LoopbackPrinterPort>();
    QVERIFY(m_port->isListening());
}

void TestCups::cleanupTestCase()
{
    m_cups.reset();
    m_port.reset();
}

void TestCups::addQueues()
{
    if (!m_usbQueue.isEmpty())
        return;
    m_usbUri = QStringLiteral("usb://Tessival/QuillonC400?serial=PL%1")
                       .arg(QCoreApplication::applicationPid());
    m_usbQueue = m_cups->addQueue(QStringLiteral("usb"), m_usbUri);
    m_socketQueue = m_cups->addQueue(QStringLiteral("socket"), m_port->deviceUri());
    m_ippQueue = m_cups->addQueue(QStringLiteral("ipp"),
                                  QStringLiteral("ipp://127.0.0.1:9/ipp/print"));
    m_rawQueue = m_cups->addQueue(QStringLiteral("raw"), QStringLiteral("socket://127.0.0.1:9"),
                                  QString());
    QVERIFY2(!m_usbQueue.isEmpty() && !m_socketQueue.isEmpty() && !m_ippQueue.isEmpty()
                     && !m_rawQueue.isEmpty(),
             qPrintable(m_cups->error()));
}

void TestCups::serverWithoutQueuesGivesEmptyList()
{
    QString names;
    CupsFixture::run(QStringLiteral("lpstat"), {QStringLiteral("-e")}, &names);
    if (!names.trimmed().isEmpty())
        QSKIP("the server has queues of others: no empty list to ask for");
    LogCapture log;
    CUPS cups;
    QVERIFY(cups.getDevices().isEmpty());
    // "Not found" is how the server says it has no queues: not a failure.
    QVERIFY2(!log.contains(QStringLiteral("failed")), qPrintable(log.text()));
    QVERIFY(!log.contains(QStringLiteral("can't get response")));
}

void TestCups::queueListHasKeysLocationsAndUris()
{
    addQueues();
    LogCapture log;
    CUPS cups;
    QVERIFY(cups.isLoaded());
    const DeviceDict devices = cups.getDevices();

    struct Expected
    {
        QString name;
        QString uri;
        int location;
    };
    const Expected expected[] = {
            {m_usbQueue, m_usbUri, Device::USB},
            {m_socketQueue, m_port->deviceUri(), Device::Network},
            {m_ippQueue, QStringLiteral("ipp://127.0.0.1:9/ipp/print"), Device::Network},
            {m_rawQueue, QStringLiteral("socket://127.0.0.1:9"), Device::Network},
    };
    for (const Expected &queue : expected) {
        const QString key = queue.uri.mid(queue.uri.indexOf(QLatin1Char(':')) + 1);
        const QList<Device> withKey = devices.values(key);
        auto found = std::find_if(withKey.cbegin(), withKey.cend(),
                                  [&](const Device &d) { return d.name == queue.name; });
        QVERIFY2(found != withKey.cend(), qPrintable(queue.name + QStringLiteral(" under ") + key));
        QCOMPARE(found->fullPath, queue.uri);
        QCOMPARE(found->location, queue.location);
        QVERIFY(found->ppd.isEmpty());
    }
    QCOMPARE(CUPS::deviceKey(QStringLiteral("usb://Tessival/QuillonC400?serial=1")),
             QStringLiteral("//Tessival/QuillonC400?serial=1"));
    QCOMPARE(CUPS::deviceKey(QString()), QString());
    QVERIFY2(log.lines().isEmpty(), qPrintable(log.text()));
}

void TestCups::queueListFilterKeepsNamedQueues()
{
    addQueues();
    CUPS cups;
    const DeviceDict devices = cups.getDevices({m_usbQueue, m_ippQueue, QStringLiteral("absent")});
    QStringList names;
    for (const Device &device : devices)
        names.append(device.name);
    names.sort();
    QStringList wanted{m_usbQueue, m_ippQueue};
    wanted.sort();
    QCOMPARE(names, wanted);
}

void TestCups::ppdSummaryOfAQueue()
{
    addQueues();
    CUPS cups;
    const PpdInfo info = cups.getPrinterDescription2(m_usbQueue);
    QCOMPARE(info.manufacturer, QStringLiteral("Tessival"));
    QCOMPARE(info.model, QStringLiteral("Quillon C400 Series"));
    QCOMPARE(info.product, QStringLiteral("(Quillon C400 Series)"));
    QCOMPARE(info.modelNumber, 400);
}

void TestCups::missingOrUnreadablePpdGivesEmptySummary()
{
    addQueues();
    LogCapture log;
    CUPS cups;
    const PpdInfo none = cups.getPrinterDescription2(m_rawQueue);
    QVERIFY(none.isEmpty());
    QCOMPARE(none.modelNumber, -1);
    QVERIFY2(log.contains(QStringLiteral("CUPS::getPrinterDescription2(%1) ppd file doesn't exist")
                                  .arg(m_rawQueue)),
             qPrintable(log.text()));

    // A directory in the place of the file exists but cannot be read as one.
    const QString name
            = QStringLiteral("pellar_t%1_unreadable").arg(QCoreApplication::applicationPid());
    QVERIFY(QDir().mkpath(ppdPathOf(name)));
    const PpdInfo unreadable = cups.getPrinterDescription2(name);
    QDir(ppdPathOf(name)).removeRecursively();
    QVERIFY(unreadable.isEmpty());
    QVERIFY2(log.contains(QStringLiteral("CUPS::getPrinterDescription2(%1) can't open ppd file")
                                  .arg(name)),
             qPrintable(log.text()));
}

void TestCups::ppdSummaryFromText_data()
{
    QTest::addColumn<QByteArray>("ppd");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<int>("modelNumber");

    const QByteArray head = "*PPD-Adobe: \"4.3\"\n*Manufacturer: \"Tessival\"\n";
    QTest::newRow("manufacturer prefix dropped") << head
                    + "*ShortNickName: \"Tessival   Quillon  C400   Series\"\n*Product: "
                      "\"(QuillonC400)\"\n"
                      "*cupsModelNumber: 17\n"
                                                 << "Quillon C400 Series"
                                                 << "(QuillonC400)"
                                                 << "Tessival" << 17;
    QTest::newRow("other name stays whole") << head + "*ShortNickName: \"Generic  Laser\"\n"
                                            << "Generic  Laser" << QString() << "Tessival" << 0;
    QTest::newRow("product keeps parentheses") << head + "*Product: \"(Model 123)\"\n"
                                               << QString() << "(Model 123)"
                                               << "Tessival" << 0;
    QTest::newRow("value with a colon keeps its last piece")
            << head + "*Product: \"(Model: 123)\"\n"
            << QString() << "123)"
            << "Tessival" << 0;
    QTest::newRow("first line wins") << head + "*Product: \"(First)\"\n*Product: \"(Second)\"\n"
                                     << QString() << "(First)"
                                     << "Tessival" << 0;
    QTest::newRow("keys are case-sensitive")
            << QByteArray("*manufacturer: \"Tessival\"\n*product: \"(X)\"\n*cupsmodelnumber: 4\n")
            << QString() << QString() << QString() << 0;
    QTest::newRow("model number not a number") << head + "*cupsModelNumber: 12ab\n"
                                               << QString() << QString() << "Tessival" << 0;
    QTest::newRow("carriage returns and blanks trimmed") << QByteArray(
            "*Manufacturer: \"Tessival\"\r\n*ShortNickName: \"Tessival QuillonC400\"\r\n"
            "*cupsModelNumber:   42  \r\n") << "QuillonC400"
                                                         << QString() << "Tessival" << 42;
    QTest::newRow("empty file") << QByteArray() << QString() << QString() << QString() << 0;
}

void TestCups::ppdSummaryFromText()
{
    QFETCH(QByteArray, ppd);
    const PpdInfo info = CUPS::ppdSummary(ppd);
    QTEST(info.model, "model");
    QTEST(info.product, "product");
    QTEST(info.manufacturer, "manufacturer");
    QTEST(info.modelNumber, "modelNumber");
}

void TestCups::jobStateMapping_data()
{
    QTest::addColumn<int>("ipp");
    QTest::addColumn<int>("state");
    QTest::newRow("pending") << 3 << 0;
    QTest::newRow("held") << 4 << 4;
    QTest::newRow("processing") << 5 << 5;
    QTest::newRow("stopped") << 6 << 0;
    QTest::newRow("canceled") << 7 << 3;
    QTest::newRow("aborted") << 8 << 0;
    QTest::newRow("completed") << 9 << 2;
    QTest::newRow("out of range") << 42 << 0;
}

void TestCups::jobStateMapping()
{
    QFETCH(int, ipp);
    QTEST(CupsJob::stateFromIpp(ipp), "state");
}

void TestCups::realJobsAreListedWithTheirStates()
{
    addQueues();
    CUPS cups;
    const int held = m_cups->submitJob(m_socketQueue, true);
    const int printed = m_cups->submitJob(m_socketQueue);
    const int canceled = m_cups->submitJob(m_socketQueue, true);
    QVERIFY(held > 0 && printed > 0 && canceled > 0);
    QVERIFY(m_cups->cancelJob(canceled));

    const CupsJob heldJob(held, m_socketQueue, CupsJob::Saved, false);
    QTRY_VERIFY_WITH_TIMEOUT(hasJob(cups.getJobs(false, false), heldJob), 10000);
    QVERIFY(hasJob(cups.getJobs(true, false), heldJob));

    // The loopback port takes the job at once; completed and canceled ones are history.
    const CupsJob printedJob(printed, m_socketQueue, CupsJob::Completed, true);
    const CupsJob canceledJob(canceled, m_socketQueue, CupsJob::Canceled, true);
    QTRY_VERIFY_WITH_TIMEOUT(hasJob(cups.getJobs(false, true), printedJob), 20000);
    QVERIFY(m_port->jobsReceived() >= 1);
    const QList<CupsJob> done = cups.getJobs(false, true);
    QVERIFY(hasJob(done, canceledJob));
    for (const CupsJob &job : done)
        QVERIFY(job.completed && job.id != held);
    for (const CupsJob &job : cups.getJobs(false, false))
        QVERIFY(!job.completed && job.id != printed && job.id != canceled);
    QVERIFY(m_cups->cancelJob(held));
}

void TestCups::heldJobIsNotActiveButPendingAndProcessingAre()
{
    addQueues();
    CUPS cups;
    QVERIFY(!cups.hasActiveJobs(m_ippQueue, true));

    const int held = m_cups->submitJob(m_ippQueue, true);
    QVERIFY(held > 0);
    QTRY_VERIFY_WITH_TIMEOUT(
            hasJob(cups.getJobs(false, false), CupsJob(held, m_ippQueue, CupsJob::Saved, false)),
            10000);
    QVERIFY(!cups.hasActiveJobs(m_ippQueue, true));
    QVERIFY(!cups.hasActiveJobs(m_ippQueue, false));

    // A stopped queue keeps its job pending: listed as unknown, yet active.
    QVERIFY(m_cups->setQueueEnabled(m_rawQueue, false));
    const int pending = m_cups->submitJob(m_rawQueue);
    QVERIFY(pending > 0);
    QTRY_VERIFY_WITH_TIMEOUT(hasJob(cups.getJobs(false, false),
                                    CupsJob(pending, m_rawQueue, CupsJob::Unknown, false)),
                             10000);
    QVERIFY(cups.hasActiveJobs(m_rawQueue, true));
    QVERIFY(cups.hasActiveJobs(m_rawQueue, false));

    // A USB queue without its device keeps the job processing.
    const int processing = m_cups->submitJob(m_usbQueue);
    QVERIFY(processing > 0);
    QTRY_VERIFY_WITH_TIMEOUT(hasJob(cups.getJobs(false, false),
                                    CupsJob(processing, m_usbQueue, CupsJob::Processing, false)),
                             10000);
    QVERIFY(cups.hasActiveJobs(m_usbQueue, true));
    QVERIFY(!cups.hasActiveJobs(QStringLiteral("pellar_no_such_queue"), false));

    for (int id : {held, pending, processing})
        QVERIFY(m_cups->cancelJob(id));
    QVERIFY(m_cups->setQueueEnabled(m_rawQueue, true));
}

void TestCups::jobQueriesOfThreadsDoNotWaitForEachOther()
{
    // A server that takes connections and never answers; the library reads its address once
    // per thread.
    auto silent = std::make_unique<QTcpServer>();
    QVERIFY(silent->listen(QHostAddress::LocalHost));
    const QByteArray saved = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", QByteArray("127.0.0.1:") + QByteArray::number(silent->serverPort()));
    std::unique_ptr<QThread> stuck(QThread::create([] { CUPS().getJobs(false, false); }));
    stuck->start();
    QTRY_VERIFY(silent->hasPendingConnections());
    if (saved.isNull())
        qunsetenv("CUPS_SERVER");
    else
        qputenv("CUPS_SERVER", saved);

    bool listed = false;
    std::unique_ptr<QThread> other(QThread::create([&listed] {
        CUPS().getJobs(false, false);
        listed = true;
    }));
    other->start();
    QVERIFY(other->wait(10000));
    QVERIFY(listed);
    QVERIFY(stuck->isRunning());
    // Closed, the server lets the stuck query fail.
    silent.reset();
    QVERIFY(stuck->wait(30000));
}

void TestCups::sequenceNumbersNeverOverflow_data()
{
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("seen");
    QTest::addColumn<int>("after");
    const int largest = std::numeric_limits<int>::max();
    QTest::newRow("next event") << 1 << 1 << 2;
    QTest::newRow("older event") << 5 << 3 << 5;
    QTest::newRow("one below the largest") << 1 << largest - 1 << largest;
    // No number is left after the largest: -1 stands for none.
    QTest::newRow("largest") << 1 << largest << -1;
    QTest::newRow("largest again") << largest << largest << -1;
}

void TestCups::sequenceNumbersNeverOverflow()
{
    QFETCH(int, next);
    QFETCH(int, seen);
    QFETCH(int, after);
    QCOMPARE(CUPS::sequenceAfter(next, seen).value_or(-1), after);
}

void TestCups::threadEndsSafelyAfterItsCupsObject()
{
    // The library keeps per-thread state and cleans it up when the thread ends, after the last
    // CUPS object of the process is gone.
    std::unique_ptr<QThread> thread(QThread::create([] {
        auto cups = std::make_unique<CUPS>();
        cups->getJobs(false, true);
        cups->getDevices();
    }));
    thread->start();
    QVERIFY(thread->wait(30000));
    thread.reset();
    CUPS again;
    QVERIFY(again.isLoaded());
}

void TestCups::withoutLibraryEverythingIsEmpty()
{
    addQueues();
    const int pending = m_cups->submitJob(m_socketQueue, true);
    QVERIFY(pending > 0);

    LibraryNames missing(kMissingLibraries);
    LogCapture log;
    CUPS cups;
    QVERIFY(!cups.isLoaded());
    QVERIFY(log.contains(QStringLiteral("CUPS(): invalid libcups handle!")));
    QVERIFY(cups.getDevices().isEmpty());
    const PpdInfo info = cups.getPrinterDescription2(m_usbQueue);
    QVERIFY(QFile::exists(ppdPathOf(m_usbQueue)));
    QVERIFY(info.isEmpty());
    QCOMPARE(info.modelNumber, -1);
    QVERIFY(!cups.hasActiveJobs(m_socketQueue, false));
    QVERIFY(cups.getJobs(false, false).isEmpty());
    QVERIFY(cups.getJobs(false, true).isEmpty());
    QVERIFY(m_cups->cancelJob(pending));
}

void TestCups::libraryWithoutCupsFunctionsGivesEmptyResults()
{
    addQueues();
    LibraryNames other({QStringLiteral("libm.so.6")});
    LogCapture log;
    CUPS cups;
    QVERIFY(cups.isLoaded());
    QVERIFY(cups.getDevices().isEmpty());
    QVERIFY(!cups.hasActiveJobs(m_usbQueue, false));
    QVERIFY(cups.getJobs(false, true).isEmpty());
    // Nothing was asked of a server, so nothing failed to connect.
    QVERIFY2(log.lines().isEmpty(), qPrintable(log.text()));
}

void TestCups::serverDownGivesEmptyResults()
{
    addQueues();
    // A server address where none listens; the library reads it once per thread.
    const QByteArray saved = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER",
            QDir::temp().filePath(QStringLiteral("pellar-no-cupsd.sock")).toLocal8Bit());
    LogCapture log;
    bool loaded = false;
    bool active = true;
    qsizetype devices = -1;
    qsizetype jobs = -1;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        CUPS cups;
        loaded = cups.isLoaded();
        devices = cups.getDevices().size();
        active = cups.hasActiveJobs(m_usbQueue, false);
        jobs = cups.getJobs(false, false).size() + cups.getJobs(false, true).size();
    }));
    thread->start();
    const bool finished = thread->wait(30000);
    if (saved.isNull())
        qunsetenv("CUPS_SERVER");
    else
        qputenv("CUPS_SERVER", saved);
    QVERIFY(finished);
    QVERIFY(loaded);
    QCOMPARE(devices, 0);
    QVERIFY(!active);
    QCOMPARE(jobs, 0);
    QVERIFY2(log.contains(QStringLiteral("Unable to connect to server")), qPrintable(log.text()));
}

QTEST_GUILESS_MAIN(TestCups)
#include "tst_cups.moc"
