// Starting the web browser: the search list, the argument that arrives, and what the user is told.
#include "config/appsettings.h"
#include "config/externalprograms.h"
#include "tests/tools/logcapture.h"
#include "tests/tools/messageboxcatcher.h"
#include "tests/tools/standinprogram.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestExternalPrograms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void builtInSearchListOrder();
    void desktopOpenerFirstThenTheBrowserList();
    void firstExistingBrowserIsUsed();
    void hostileAddressArrivesAsOneArgumentAndRunsNothing();
    void withoutBrowserTheUserGetsTheAddress();
    void textFromOutsideOpensOnlyAsAWebAddress_data();
    void textFromOutsideOpensOnlyAsAWebAddress();
    void browserThatCannotStartIsReported();
    void commandLineReadsAsAShellWould_data();
    void commandLineReadsAsAShellWould();
    void programStartsDetachedWithItsArguments();
    void quotedWordsSplitWithoutAShell_data();
    void quotedWordsSplitWithoutAShell();
    void quotedArguments();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_path = qgetenv("PATH");
};

void TestExternalPrograms::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // Only the test's own programs: a desktop's xdg-open must not take the browser's place.
    QVERIFY(QDir().mkpath(path(QStringLiteral("path"))));
    qputenv("PATH", QFile::encodeName(path(QStringLiteral("path"))));
}

void TestExternalPrograms::cleanup()
{
    setBrowserSearchList({});
    qputenv("PATH", m_path);
}

void TestExternalPrograms::builtInSearchListOrder()
{
    const QStringList expected{
            "/usr/bin/firefox",        "/usr/bin/mozilla",  "/usr/bin/konqueror",
            "/opt/kde3/bin/konqueror", "/usr/bin/galeon",   "/usr/bin/opera",
            "/usr/bin/netscape",       "/usr/bin/epiphany", "/usr/bin/mozilla-firefox"};
    QCOMPARE(browserSearchList(), expected);
    setBrowserSearchList({path(QStringLiteral("x"))});
    QCOMPARE(browserSearchList(), QStringList{path(QStringLiteral("x"))});
    setBrowserSearchList({});
    QCOMPARE(browserSearchList(), expected);
}

void TestExternalPrograms::desktopOpenerFirstThenTheBrowserList()
{
    const QString opener = path(QStringLiteral("path/xdg-open"));
    const QString browser = path(QStringLiteral("firefox"));
    QVERIFY(writeStandInProgram(opener));
    QVERIFY(writeStandInProgram(browser));
    setBrowserSearchList({browser});
    MessageBoxCatcher boxes;
    const QString address = QStringLiteral("https://shop.example/order?c=QT-400K&n='x';$(id)");
    OpenWebAddress(address);
    QTRY_COMPARE_WITH_TIMEOUT(recordedArguments(opener), (QStringList{"1", address}), 10000);
    const QString help = QStringLiteral("file:///opt/Pellar/share/help/start_here.htm");
    QFile::remove(opener + QStringLiteral(".args"));
    StartWebBrowser(help);
    QTRY_COMPARE_WITH_TIMEOUT(recordedArguments(opener), (QStringList{"1", help}), 10000);
    QVERIFY(!QFile::exists(browser + QStringLiteral(".args")));

    // Without it on PATH the fixed list is used.
    QVERIFY(QFile::remove(opener));
    OpenWebAddress(address);
    QTRY_COMPARE_WITH_TIMEOUT(recordedArguments(browser), (QStringList{"1", address}), 10000);
    QVERIFY(boxes.boxes().isEmpty());
}

void TestExternalPrograms::firstExistingBrowserIsUsed()
{
    const QString first = path(QStringLiteral("firefox"));
    const QString second = path(QStringLiteral("mozilla"));
    QVERIFY(writeStandInProgram(first));
    QVERIFY(writeStandInProgram(second));
    setBrowserSearchList({path(QStringLiteral("absent")), first, second});

    LogCapture log;
    MessageBoxCatcher boxes;
    const QString address = QStringLiteral("file:///opt/Pellar/share/help/start_here.htm");
    StartWebBrowser(address);
    QTRY_COMPARE_WITH_TIMEOUT(recordedArguments(first), (QStringList{"1", address}), 10000);
    QVERIFY(!QFile::exists(second + QStringLiteral(".args")));
    QVERIFY2(log.contains(
                     QStringLiteral("StartWebBrowser command : \"%1 %2 &\"").arg(first, address)),
             qPrintable(log.text()));
    QVERIFY(boxes.boxes().isEmpty());
}

void TestExternalPrograms::hostileAddressArrivesAsOneArgumentAndRunsNothing()
{
    const QString browser = path(QStringLiteral("browser"));
    QVERIFY(writeStandInProgram(browser));
    setBrowserSearchList({browser});
    // What a printer's status description could put into a supply-order address.
    const QString marker = path(QStringLiteral("ran"));
    const QString address
            = QStringLiteral("http://127.0.0.1/order?item=K 1&name='x\"y';touch %1-semicolon;"
                             "$(touch %1-substitution)`touch %1-backquote` | touch %1-pipe &")
                      .arg(marker);

    LogCapture log;
    MessageBoxCatcher boxes;
    StartWebBrowser(address);
    QTRY_COMPARE_WITH_TIMEOUT(recordedArguments(browser), (QStringList{"1", address}), 10000);
    for (const char *suffix : {"-semicolon", "-substitution", "-backquote", "-pipe"})
        QVERIFY2(!QFile::exists(marker + QLatin1String(suffix)), suffix);
    // The log shows the command quoted, as a shell would have to read it.
    QString quoted = address;
    quoted.replace(QLatin1String("'"), QLatin1String("'\\''"));
    QVERIFY2(
            log.contains(
                    QStringLiteral("StartWebBrowser command : \"%1 '%2' &\"").arg(browser, quoted)),
            qPrintable(log.text()));
    QVERIFY(boxes.boxes().isEmpty());
}

void TestExternalPrograms::withoutBrowserTheUserGetsTheAddress()
{
    setBrowserSearchList({path(QStringLiteral("firefox")), path(QStringLiteral("opera"))});
    LogCapture log;
    MessageBoxCatcher boxes;
    // With the panel hidden the box is the only window: closing it must not end the program,
    // which would leave the event loop with 0 before this exit code.
    QTimer::singleShot(0, [] {
        StartWebBrowser(QStringLiteral("'https://127.0.0.1/order?a=1'"));
        QTimer::singleShot(100, [] { QCoreApplication::exit(7); });
    });
    QCOMPARE(QCoreApplication::exec(), 7);
    QCOMPARE(boxes.boxes().size(), 1);
    QCOMPARE(boxes.boxes().first().caption, QStringLiteral("Warning"));
    QCOMPARE(boxes.boxes().first().text,
             QStringLiteral(
                     "Web browser not found.\nUse that address:\n'https://127.0.0.1/order?a=1'"));
    QVERIFY(!log.contains(QStringLiteral("StartWebBrowser command")));
}

void TestExternalPrograms::textFromOutsideOpensOnlyAsAWebAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("opened");
    QTest::newRow("order page") << "https://shop.example/order?c=QT-400K,QT-400C" << true;
    QTest::newRow("printer page") << "http://127.0.0.2" << true;
    QTest::newRow("browser option") << "--kioskQT-400K,QT-400C" << false;
    QTest::newRow("local file") << "file:///etc/passwd#QT-400K" << false;
    QTest::newRow("no host") << "http:///order" << false;
    QTest::newRow("other scheme") << "javascript:alert(1)//http://x" << false;
    QTest::newRow("markup") << "<b>Order</b> https://shop.example/" << false;
}

void TestExternalPrograms::textFromOutsideOpensOnlyAsAWebAddress()
{
    QFETCH(QString, address);
    QFETCH(bool, opened);
    const QString browser = path(QStringLiteral("browser"));
    QVERIFY(writeStandInProgram(browser));
    setBrowserSearchList({browser});
    LogCapture log;
    MessageBoxCatcher boxes;
    OpenWebAddress(address);
    if (opened) {
        QTRY_COMPARE_WITH_TIMEOUT(recordedArguments(browser), (QStringList{"1", address}), 10000);
        QVERIFY(boxes.boxes().isEmpty());
        return;
    }
    QCOMPARE(boxes.boxes().size(), 1);
    QVERIFY(boxes.boxes().first().text.endsWith(QStringLiteral("Use that address:\n") + address));
    QCOMPARE(boxes.boxes().first().format, Qt::PlainText);
    QVERIFY(!log.contains(QStringLiteral("StartWebBrowser command")));
}

void TestExternalPrograms::browserThatCannotStartIsReported()
{
    // There, but not a program.
    const QString browser = path(QStringLiteral("firefox"));
    QVERIFY(writeNotAProgram(browser));
    setBrowserSearchList({browser, path(QStringLiteral("opera"))});
    LogCapture log;
    MessageBoxCatcher boxes;
    StartWebBrowser(QStringLiteral("file:///help.htm"));
    QCOMPARE(boxes.boxes().size(), 1);
    QCOMPARE(boxes.boxes().first().caption, QStringLiteral("About"));
    QCOMPARE(boxes.boxes().first().text, QStringLiteral("Error starting %1").arg(browser));
    QVERIFY(log.contains(
            QStringLiteral("StartWebBrowser command : \"%1 file:///help.htm &\"").arg(browser)));
    QVERIFY2(
            log.contains(
                    QStringLiteral("Unable to execute command %1 file:///help.htm &").arg(browser)),
            qPrintable(log.text()));
}

void TestExternalPrograms::commandLineReadsAsAShellWould_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain words") << QStringList{"/dev/usb/lp0", "LX200", "--x=1,2"}
                                 << "/usr/bin/tool /dev/usb/lp0 LX200 --x=1,2";
    QTest::newRow("blank") << QStringList{"LX200 Series"} << "/usr/bin/tool 'LX200 Series'";
    QTest::newRow("single quote") << QStringList{"it's"} << "/usr/bin/tool 'it'\\''s'";
    QTest::newRow("shell characters") << QStringList{"a;b", "$(c)", "`d`", "e|f", "g&", "*"}
                                      << "/usr/bin/tool 'a;b' '$(c)' '`d`' 'e|f' 'g&' '*'";
    QTest::newRow("empty argument") << QStringList{QString()} << "/usr/bin/tool ''";
    QTest::newRow("none") << QStringList() << "/usr/bin/tool";
}

void TestExternalPrograms::commandLineReadsAsAShellWould()
{
    QFETCH(QStringList, arguments);
    QTEST(commandLineText(QStringLiteral("/usr/bin/tool"), arguments), "text");
}

void TestExternalPrograms::programStartsDetachedWithItsArguments()
{
    const QString tool = path(QStringLiteral("tunex"));
    QVERIFY(writeStandInProgram(tool));
    qint64 pid = 0;
    const QStringList arguments{"/dev/usb/lp0", "LX200 Series", "it's", "", "$(x)"};
    QVERIFY(startProgramDetached(tool, arguments, &pid));
    QVERIFY(pid > 0);
    QTRY_COMPARE_WITH_TIMEOUT(recordedArguments(tool), QStringList{"5"} + arguments, 10000);
    QVERIFY(!startProgramDetached(path(QStringLiteral("absent")), {}));
}

void TestExternalPrograms::quotedWordsSplitWithoutAShell_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("nothing") << "" << QStringList();
    QTest::newRow("blanks only") << "  \t " << QStringList();
    QTest::newRow("start-up's quoting")
            << quotedArgumentList({"pellar", "--device", "two words"}).join(QLatin1Char(' '))
            << QStringList{"--device", "two words"};
    QTest::newRow("plain words") << "a  b\tc" << QStringList{"a", "b", "c"};
    QTest::newRow("empty quoted word") << "'' 'x'" << QStringList{"", "x"};
    QTest::newRow("quotes inside a word") << "--name='a b'c" << QStringList{"--name=a bc"};
    QTest::newRow("nothing is expanded")
            << "'$(touch x)' `id` \"$HOME\" * ~ a\\ b;c|d&"
            << QStringList{"$(touch x)", "`id`", "\"$HOME\"", "*", "~", "a\\", "b;c|d&"};
    QTest::newRow("unterminated quote runs to the end") << "x 'a  b" << QStringList{"x", "a  b"};
}

void TestExternalPrograms::quotedWordsSplitWithoutAShell()
{
    QFETCH(QString, text);
    QTEST(splitQuotedWords(text), "words");
}

void TestExternalPrograms::quotedArguments()
{
    QCOMPARE(quotedArgumentList({QStringLiteral("./pellar")}), QStringList());
    QCOMPARE(quotedArgumentList(
                     {QStringLiteral("pellar"), QStringLiteral("debug"), QStringLiteral("a b")}),
             QStringList({QStringLiteral("'debug'"), QStringLiteral("'a b'")}));
}

QTEST_MAIN(TestExternalPrograms)
#include "tst_externalprograms.moc"
