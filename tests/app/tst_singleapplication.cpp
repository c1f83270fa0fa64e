// Two processes on one display: the second hands its message to the first through the selection.
#include "app/qtsingleapplication.h"
#include "tests/tools/testprocess.h"
#include "tests/tools/x11fixture.h"

#include <QTest>
#include <QUuid>

#include <pwd.h>
#include <unistd.h>

namespace {

QString peer()
{
    return QStringLiteral(PELLAR_TOOLS_DIR "/pellar_peer");
}

QString uniqueId()
{
    return "/tmp/single-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QString login()
{
    const struct passwd *entry = getpwuid(getuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

} // namespace

class TestSingleApplication : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void atomNameKeepsOnlyAllowedCharacters();
    void messageReachesTheFirstInstance();
    void sendWithoutOwnerFails();
    void propertiesOfOtherFormatOrTypeAreIgnored();
};

void TestSingleApplication::atomNameKeepsOnlyAllowedCharacters()
{
    QCOMPARE(QtSingleApplication::atomName("/opt/Pellar/bin"),
             (login() + "/opt/Pellar/bin").toLocal8Bit());
    QCOMPARE(QtSingleApplication::atomName("a b\tc\nd~!"), (login() + "a b\tc\nd~!").toLocal8Bit());
    QCOMPARE(QtSingleApplication::atomName(QString("x\001y\177z")),
             (login() + "x-y-z").toLocal8Bit());
    // Non-ASCII bytes of the local encoding are not allowed either.
    QCOMPARE(QtSingleApplication::atomName(QString::fromUtf8("/P\xc3\xa4r")),
             (login() + "/P--r").toLocal8Bit());
}

void TestSingleApplication::messageReachesTheFirstInstance()
{
    const QString id = uniqueId();
    TestProcess listener;
    listener.start(peer(), {"listen", id});
    QVERIFY(listener.waitForStdout(QRegularExpression("ready")));

    const QString text = QString::fromUtf8("hello w\xc3\xb6rld 'quoted' $x");
    TestProcess sender;
    sender.start(peer(), {"send", id, text});
    QVERIFY(sender.waitForFinished());
    QCOMPARE(sender.stdOut().trimmed(), QStringLiteral("sent:1"));
    QVERIFY2(listener.waitForStdout(
                     QRegularExpression(QRegularExpression::escape("received:<" + text + ">"))),
             qPrintable(listener.stdOut()));
}

void TestSingleApplication::sendWithoutOwnerFails()
{
    TestProcess sender;
    sender.start(peer(), {"send", uniqueId(), "nobody"});
    QVERIFY(sender.waitForFinished());
    QCOMPARE(sender.stdOut().trimmed(), QStringLiteral("sent:0"));
}

void TestSingleApplication::propertiesOfOtherFormatOrTypeAreIgnored()
{
    X11Fixture x11;
    QVERIFY(x11.isOpen());
    const QString id = uniqueId();
    TestProcess listener;
    listener.start(peer(), {"listen", id});
    QVERIFY(listener.waitForStdout(QRegularExpression("ready")));
    const QByteArray atom = QtSingleApplication::atomName(id);
    const unsigned long owner = x11.selectionOwner(atom);
    QVERIFY(owner != 0);

    x11.writeProperty(owner, atom, "QtSingleApplicationType", 32, QByteArray("wrongfmt", 8));
    x11.writeProperty(owner, atom, "STRING", 8, "wrongtype");
    x11.writeProperty(owner, atom, "QtSingleApplicationType", 8, "right");
    QVERIFY(listener.waitForStdout(QRegularExpression("received:<right>")));
    // The property is read when its notification is handled, so a notification of an ignored
    // write may already see the right one: only "right" may ever come out, once or more.
    const QStringList lines = listener.stdOut().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.first(), QStringLiteral("ready"));
    for (const QString &line : lines.mid(1))
        QCOMPARE(line, QStringLiteral("received:<right>"));
}

QTEST_GUILESS_MAIN(TestSingleApplication)
#include "tst_singleapplication.moc"
