#include "base/functions.h"
#include "tests/tools/logcapture.h"
#include "tests/tools/testlocale.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <clocale>
#include <unistd.h>

namespace {

bool makeFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

bool symlinkTo(const QString &target, const QString &link)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData())
            == 0;
}

} // namespace

class TestFunctions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void logLineHasTimeThreadAndText();
    void logCutsLongTextAndKeepsPercentSignsOfArguments();
    void logFromSeveralThreadsKeepsWholeLines();
    void hexDump();
    void bigEndianField_data();
    void bigEndianField();
    void underscores_data();
    void underscores();
    void localeCode();
    void localeReadByTwoThreadsAtOnce();
    void applicationDirectoryFindsRealExecutable();
};

void TestFunctions::logLineHasTimeThreadAndText()
{
    LogCapture capture;
    debugPrintf("Worker::setPollingInterval(%d)", 5);
    QCOMPARE(capture.lines().size(), 1);
    const QString expectedThread
            = QString::number(reinterpret_cast<quintptr>(QThread::currentThread()), 16);
    const QRegularExpression line(QStringLiteral(
            R"(^\d\d:\d\d:\d\d\.\d\d\d\[([0-9a-f]+)\]> Worker::setPollingInterval\(5\)$)"));
    const auto match = line.match(capture.lines().first());
    QVERIFY2(match.hasMatch(), qPrintable(capture.lines().first()));
    QCOMPARE(match.captured(1), expectedThread);
}

void TestFunctions::logCutsLongTextAndKeepsPercentSignsOfArguments()
{
    LogCapture capture;
    const QByteArray longText(5000, 'x');
    debugPrintf("%s", longText.constData());
    debugPrintf("name <%s>", "100% %s %d");
    QCOMPARE(capture.lines().size(), 2);
    const QString first = capture.lines().at(0);
    const qsizetype text = first.indexOf(QStringLiteral("> ")) + 2;
    QCOMPARE(first.size() - text, 2047);
    QVERIFY(first.endsWith(QLatin1Char('x')));
    QVERIFY(capture.lines().at(1).endsWith(QStringLiteral("> name <100% %s %d>")));
}

void TestFunctions::logFromSeveralThreadsKeepsWholeLines()
{
    LogCapture capture;
    QList<QThread *> threads;
    for (int t = 0; t < 4; ++t) {
        threads.append(QThread::create([t] {
            for (int i = 0; i < 200; ++i)
                debugPrintf("thread %d line %d {", t, i);
        }));
        threads.last()->start();
    }
    for (QThread *thread : threads) {
        QVERIFY(thread->wait(10000));
        delete thread;
    }
    QCOMPARE(capture.lines().size(), 800);
    const QRegularExpression line(
            QStringLiteral(R"(^[\d:.]{12}\[[0-9a-f]+\]> thread \d line \d+ \{$)"));
    for (const QString &message : capture.lines())
        QVERIFY2(line.match(message).hasMatch(), qPrintable(message));
}

void TestFunctions::hexDump()
{
    const unsigned char bytes[] = {0x00, 0x0a, 0xff, 0x10};
    QCOMPARE(toHexString(bytes, 4), QByteArray("000aff10"));
    QCOMPARE(toHexString(bytes, 0), QByteArray());
    QCOMPARE(toHexString(nullptr, 4), QByteArray());
}

void TestFunctions::bigEndianField_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<uint>("value");

    // Buffer: 01 02 03 04 05 06 07 08
    QTest::newRow("offset 2, default end, six bytes") << 6 << 2 << -1 << true << 0x03040506u;
    QTest::newRow("offset 2, default end, five bytes") << 5 << 2 << -1 << true << 0x030405u;
    QTest::newRow("from equal to the length") << 5 << 5 << -1 << false << 0u;
    QTest::newRow("negative from") << 8 << -1 << 2 << false << 0u;
    QTest::newRow("to below from") << 8 << 4 << 2 << false << 0u;
    QTest::newRow("to lowered to four bytes") << 8 << 0 << 8 << true << 0x01020304u;
    QTest::newRow("empty range stores zero") << 8 << 3 << 3 << true << 0u;
    QTest::newRow("single byte") << 8 << 7 << 8 << true << 0x08u;
}

void TestFunctions::bigEndianField()
{
    QFETCH(int, length);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, ok);
    QFETCH(uint, value);
    const unsigned char bytes[] = {1, 2, 3, 4, 5, 6, 7, 8};
    unsigned int out = 0xdeadbeef;
    QCOMPARE(readBigEndianField(&out, bytes, length, from, to), ok);
    QCOMPARE(out, ok ? value : 0xdeadbeefu);
    QVERIFY(!readBigEndianField(nullptr, bytes, length, 0, -1));
    QVERIFY(!readBigEndianField(&out, nullptr, length, 0, -1));
}

void TestFunctions::underscores_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("between letters") << "Model_X"
                                     << "Model X";
    QTest::newRow("between digits") << "KX_2_3"
                                    << "KX 2_3";
    QTest::newRow("first and last") << "_1_"
                                    << " 1 ";
    QTest::newRow("digit then letter") << "2_a"
                                       << "2 a";
    QTest::newRow("lone underscore") << "_"
                                     << " ";
    QTest::newRow("empty") << ""
                           << "";
}

void TestFunctions::underscores()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QString text = input;
    QCOMPARE(underscoresToSpaces(text), expected);
    QCOMPARE(text, expected);
}

void TestFunctions::localeCode()
{
    LogCapture capture;
    const QByteArray saved = qgetenv("LC_ALL");
    qputenv("LC_ALL", "C");
    loadSystemLocale();
    QCOMPARE(GetSystemLocale(), QStringLiteral("C"));
    QVERIFY(capture.lines().last().endsWith(
            QStringLiteral("::GetSystemLocale: setlocale: ret=<C>")));
    qputenv("LC_ALL", "no_such_LOCALE.nothing");
    loadSystemLocale();
    QCOMPARE(GetSystemLocale(), QString());
    qputenv("LC_ALL", saved);
    setlocale(LC_CTYPE, "C");
    loadSystemLocale();
}

void TestFunctions::localeReadByTwoThreadsAtOnce()
{
    TestLocale locale("de_DE.UTF-8");
    QVERIFY(locale.isValid());
    LogCapture capture;
    std::atomic<int> wrong = 0;
    const auto read = [&wrong] {
        for (int i = 0; i < 2000; ++i)
            wrong += GetSystemLocale() == QLatin1String("de") ? 0 : 1;
    };
    QThread *other = QThread::create(read);
    other->start();
    read();
    QVERIFY(other->wait(60000));
    delete other;
    QCOMPARE(wrong.load(), 0);
}

void TestFunctions::applicationDirectoryFindsRealExecutable()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString root = QDir(tmp.path()).canonicalPath();
    QVERIFY(QDir().mkpath(root + "/real/bin"));
    QVERIFY(QDir().mkpath(root + "/links"));
    QVERIFY(QDir().mkpath(root + "/path1"));
    QVERIFY(makeFile(root + "/real/bin/prog"));

    // Absolute, relative and cleaned.
    QCOMPARE(applicationDirectory(root + "/real/bin/prog"), root + "/real/bin");
    QCOMPARE(applicationDirectory(root + "/real/bin/../bin/prog"), root + "/real/bin");
    const QString saved = QDir::currentPath();
    QDir::setCurrent(root + "/real");
    QCOMPARE(applicationDirectory("bin/prog"), root + "/real/bin");

    // Through a chain of links, one relative, and a linked directory.
    QVERIFY(symlinkTo(root + "/real/bin/prog", root + "/links/first"));
    QVERIFY(symlinkTo("first", root + "/links/second"));
    QVERIFY(symlinkTo(root + "/links", root + "/dirlink"));
    QCOMPARE(applicationDirectory(root + "/links/second"), root + "/real/bin");
    QCOMPARE(applicationDirectory(root + "/dirlink/second"), root + "/real/bin");

    // Through PATH: the first directory holding the word, empty parts skipped.
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH",
            QFile::encodeName("::" + root + "/path1:" + root + "/links:" + root + "/real/bin"));
    QCOMPARE(applicationDirectory("second"), root + "/real/bin");
    QCOMPARE(applicationDirectory("prog"), root + "/real/bin");
    QVERIFY(applicationDirectory("absent").isNull());

    // A loop of links and a missing file give nothing.
    QVERIFY(symlinkTo(root + "/links/loopB", root + "/links/loopA"));
    QVERIFY(symlinkTo(root + "/links/loopA", root + "/links/loopB"));
    QVERIFY(applicationDirectory(root + "/links/loopA").isNull());
    QVERIFY(applicationDirectory(root + "/real/bin/none").isNull());

    qputenv("PATH", savedPath);
    QDir::setCurrent(saved);
}

QTEST_MAIN(TestFunctions)
#include "tst_functions.moc"
