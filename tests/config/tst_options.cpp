#include "base/wholefile.h"
#include "config/options.h"
#include "tests/tools/logcapture.h"

#include <QBuffer>
#include <QDataStream>
#include <QTest>

namespace {

QByteArray stored(const Options &options)
{
    return streamed(options);
}

Options loaded(const QByteArray &bytes, Options options = Options())
{
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_DefaultCompiledVersion);
    stream >> options;
    return options;
}

Options allSwitchesOff()
{
    Options options;
    options.displayPrinterError = false;
    options.displayPrinterWaiting = false;
    options.displayFinishNwJob = false;
    options.displayPrintingStatus = false;
    return options;
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultsAndTextForm();
    void storedFormHasTableOrderNotDeclaredOrder();
    void load_data();
    void load();
    void shortStoredFormKeepsWhatIsMissing();
    void streamingIsLogged();
};

void TestOptions::defaultsAndTextForm()
{
    const Options options;
    QVERIFY(options.displayPrinterError);
    QVERIFY(options.displayPrinterWaiting);
    QCOMPARE(options.scheduleTime, 1);
    QVERIFY(options.displayFinishNwJob);
    QVERIFY(options.displayPrintingStatus);
    QCOMPARE(options.toString(),
             QStringLiteral("\n\tSchedule time: 1\n\tDisplay Printer Error: true\n\tDisplay "
                            "Printer Waiting: true\n\tDisplay Finish N/W Job: true\n\tDisplay "
                            "Printing status: true"));

    Options changed = allSwitchesOff();
    changed.displayPrinterWaiting = true;
    changed.scheduleTime = 9;
    QCOMPARE(changed.toString(),
             QStringLiteral("\n\tSchedule time: 9\n\tDisplay Printer Error: false\n\tDisplay "
                            "Printer Waiting: true\n\tDisplay Finish N/W Job: false\n\tDisplay "
                            "Printing status: false"));
}

void TestOptions::storedFormHasTableOrderNotDeclaredOrder()
{
    QCOMPARE(stored(Options()), QByteArray::fromHex("0100000001010101"));

    // Each switch alone, to see where it lands.
    Options error = allSwitchesOff();
    error.displayPrinterError = true;
    QCOMPARE(stored(error), QByteArray::fromHex("0100000001000000"));
    Options waiting = allSwitchesOff();
    waiting.displayPrinterWaiting = true;
    QCOMPARE(stored(waiting), QByteArray::fromHex("0000000001000100"));
    Options finish = allSwitchesOff();
    finish.displayFinishNwJob = true;
    QCOMPARE(stored(finish), QByteArray::fromHex("0000000001010000"));
    Options printing = allSwitchesOff();
    printing.displayPrintingStatus = true;
    QCOMPARE(stored(printing), QByteArray::fromHex("0000000001000001"));

    Options time = allSwitchesOff();
    time.scheduleTime = 0x01020304;
    QCOMPARE(stored(time), QByteArray::fromHex("0001020304000000"));
    time.scheduleTime = -2;
    QCOMPARE(stored(time), QByteArray::fromHex("00fffffffe000000"));
}

void TestOptions::load_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("error");
    QTest::addColumn<bool>("waiting");
    QTest::addColumn<bool>("finish");
    QTest::addColumn<bool>("printing");
    QTest::addColumn<QByteArray>("rewritten");

    QTest::newRow("defaults") << QByteArray::fromHex("0100000001010101") << true << true << true
                              << true << QByteArray::fromHex("0100000001010101");
    QTest::newRow("stored time 7 comes back as 1")
            << QByteArray::fromHex("0100000007010101") << true << true << true << true
            << QByteArray::fromHex("0100000001010101");
    QTest::newRow("all off") << QByteArray::fromHex("0000000001000000") << false << false << false
                             << false << QByteArray::fromHex("0000000001000000");
    QTest::newRow("switch byte 2 is true, written as 1")
            << QByteArray::fromHex("0200000001000002") << true << false << false << true
            << QByteArray::fromHex("0100000001000001");
    QTest::newRow("byte order: finish, waiting, printing")
            << QByteArray::fromHex("00ffffffff010000") << false << false << true << false
            << QByteArray::fromHex("0000000001010000");
    QTest::newRow("trailing bytes ignored")
            << QByteArray::fromHex("0100000003000000ffff") << true << false << false << false
            << QByteArray::fromHex("0100000001000000");
}

void TestOptions::load()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, error);
    QFETCH(bool, waiting);
    QFETCH(bool, finish);
    QFETCH(bool, printing);
    QFETCH(QByteArray, rewritten);

    Options before;
    before.scheduleTime = 6;
    const Options options = loaded(bytes, before);
    QCOMPARE(options.displayPrinterError, error);
    QCOMPARE(options.displayPrinterWaiting, waiting);
    QCOMPARE(options.displayFinishNwJob, finish);
    QCOMPARE(options.displayPrintingStatus, printing);
    QCOMPARE(options.scheduleTime, 1);
    QCOMPARE(stored(options), rewritten);
}

void TestOptions::shortStoredFormKeepsWhatIsMissing()
{
    // A file cut after the schedule time: the first switch is read, the others stay.
    Options options = loaded(QByteArray::fromHex("0000000005"), Options());
    QVERIFY(!options.displayPrinterError);
    QCOMPARE(options.scheduleTime, 1);
    QVERIFY(options.displayPrinterWaiting);
    QVERIFY(options.displayFinishNwJob);
    QVERIFY(options.displayPrintingStatus);

    // A schedule time cut in the middle is not read as a value either.
    options = loaded(QByteArray::fromHex("0000"), allSwitchesOff());
    QVERIFY(!options.displayPrinterError);
    QVERIFY(!options.displayPrinterWaiting);
    QCOMPARE(options.scheduleTime, 1);

    options = loaded(QByteArray(), Options());
    QVERIFY(options.displayPrinterError);
    QVERIFY(options.displayPrintingStatus);
    QCOMPARE(options.scheduleTime, 1);
}

void TestOptions::streamingIsLogged()
{
    LogCapture log;
    Options options;
    options.scheduleTime = 4;
    stored(options);
    QVERIFY(log.contains(QStringLiteral("<< options:\n\tSchedule time: 4\n")));
    loaded(stored(options));
    QVERIFY(log.contains(QStringLiteral(">> options:\n\tSchedule time: 1\n")));
}

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
