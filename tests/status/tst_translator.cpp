#include "status/statusdesc.h"
#include "status/statusparser.h"
#include "status/translator.h"
#include "status/xmltext.h"
#include "tests/status/testfiles.h"
#include "tests/tools/logcapture.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char kRefer[] = "Please refer to Troubleshooting Guide.";

QByteArray message(const char *id, const char *value)
{
    return QByteArray("<message><Id>") + id + "</Id><Value>" + value + "</Value></message>";
}

StatusDesc record(const QString &string)
{
    StatusDesc desc(0x040101, StatusDesc::Error);
    desc.setString(string);
    desc.setTitle(string);
    desc.setDesc(string);
    return desc;
}

// One message pair in the container: the Id texts, in document order.
QStringList ids(const QDomElement &container)
{
    QStringList list;
    for (QDomElement m = container.firstChildElement(); !m.isNull(); m = m.nextSiblingElement())
        list.append(m.firstChildElement(QStringLiteral("Id")).text());
    return list;
}

QDomElement translationContainer(Translator &translator)
{
    return translator.findOrCreatePath(DomParser::splitPath(QStringLiteral("root/Translation")));
}

QString valueOf(const QDomElement &container, const QString &id)
{
    for (QDomElement m = container.firstChildElement(); !m.isNull(); m = m.nextSiblingElement()) {
        if (m.firstChildElement(QStringLiteral("Id")).text() == id)
            return m.firstChildElement(QStringLiteral("Value")).text();
    }
    return QString();
}

} // namespace

class TestTranslator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void titleAndDescriptionComeFromTheirMessages();
    void missingDescriptionIsAppendedOnceWithTheDefault();
    void missingTitleIsAppendedWithTheKeyOrItsDefault();
    void idsMatchExactlyAndCaseSensitively();
    void duplicatesCountUpToWhereBothEntriesWereMet();
    void messageWithoutValueIsReportedAndSkipped();
    void recordWithoutStringGetsOnlyADescriptionEntry();
    void loadAndSaveClearModified();
    void unreadableExistingFileIsNotToBeWrittenBack();
    void largeDocumentAddsAtMostTheBoundAndKeepsTranslating();
    void latin1DocumentIsReadByItsDeclarationAndTranslated();

private:
    QString writeTranslation(const QByteArray &messages);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestTranslator::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestTranslator::writeTranslation(const QByteArray &messages)
{
    const QString path = m_dir->filePath(QStringLiteral("sm_xx.xml"));
    writeFile(path, translationFile(messages));
    return path;
}

void TestTranslator::titleAndDescriptionComeFromTheirMessages()
{
    QFile file(writeTranslation(message("Paper jam", "Papierstau")
                                + message("Paper jam description", "Papier entfernen.")
                                + message("Other", "Anderes")));
    Translator translator(&file);
    QVERIFY(translator.isValid());
    QCOMPARE(translator.fileName(), file.fileName());
    QVERIFY(!translator.isModified());

    QDomElement container = translationContainer(translator);
    StatusDesc jam = record(QStringLiteral("Paper jam"));
    translator.translate(jam, container, QString(), QLatin1String(kRefer));
    QCOMPARE(jam.title(), QStringLiteral("Papierstau"));
    QCOMPARE(jam.desc(), QStringLiteral("Papier entfernen."));
    QCOMPARE(jam.string(), QStringLiteral("Paper jam"));
    QVERIFY(!translator.isModified());
    QCOMPARE(ids(container).size(), 3);

    // Through the interface, as the table translation uses it.
    StatusDesc other = record(QStringLiteral("Other"));
    ILocalizable &localizable = other;
    translator.translate(localizable, container, QString(), QLatin1String(kRefer));
    QCOMPARE(other.title(), QStringLiteral("Anderes"));
}

void TestTranslator::missingDescriptionIsAppendedOnceWithTheDefault()
{
    QFile file(writeTranslation(message("Paper jam", "Papierstau")));
    Translator translator(&file);
    QDomElement container = translationContainer(translator);

    StatusDesc jam = record(QStringLiteral("Paper jam"));
    translator.translate(jam, container, QString(), QLatin1String(kRefer));
    QVERIFY(translator.isModified());
    QCOMPARE(ids(container),
             QStringList({QStringLiteral("Paper jam"), QStringLiteral("Paper jam description")}));
    QCOMPARE(valueOf(container, QStringLiteral("Paper jam description")), QLatin1String(kRefer));
    QCOMPARE(jam.title(), QStringLiteral("Papierstau"));
    // The record keeps its own description: the default only goes into the file.
    QCOMPARE(jam.desc(), QStringLiteral("Paper jam"));

    // The appended entry is found by the next call: nothing more is added.
    StatusDesc again = record(QStringLiteral("Paper jam"));
    translator.translate(again, container, QString(), QLatin1String(kRefer));
    QCOMPARE(ids(container).size(), 2);
    QCOMPARE(again.desc(), QLatin1String(kRefer));

    // Without a default the key itself is the description.
    StatusDesc cover = record(QStringLiteral("Cover open"));
    translator.translate(cover, container, QString(), QString());
    QCOMPARE(valueOf(container, QStringLiteral("Cover open description")),
             QStringLiteral("Cover open"));
}

void TestTranslator::missingTitleIsAppendedWithTheKeyOrItsDefault()
{
    QFile file(writeTranslation(message("Paper jam description", "Papier entfernen.")));
    Translator translator(&file);
    QDomElement container = translationContainer(translator);

    StatusDesc jam = record(QStringLiteral("Paper jam"));
    translator.translate(jam, container, QString(), QLatin1String(kRefer));
    QCOMPARE(ids(container),
             QStringList({QStringLiteral("Paper jam description"), QStringLiteral("Paper jam")}));
    QCOMPARE(valueOf(container, QStringLiteral("Paper jam")), QStringLiteral("Paper jam"));
    QCOMPARE(jam.desc(), QStringLiteral("Papier entfernen."));

    // Both missing: the description entry first, then the title entry.
    StatusDesc toner = record(QStringLiteral("Toner low"));
    translator.translate(toner, container, QStringLiteral("Title default"), QString());
    QCOMPARE(ids(container).mid(2),
             QStringList({QStringLiteral("Toner low description"), QStringLiteral("Toner low")}));
    QCOMPARE(valueOf(container, QStringLiteral("Toner low")), QStringLiteral("Title default"));
}

void TestTranslator::idsMatchExactlyAndCaseSensitively()
{
    QFile file(writeTranslation(message("paper jam", "klein") + message("Paper jam ", "Leerzeichen")
                                + message("Paper jam", "Papierstau")
                                + message("Paper jam description", "Beschreibung")));
    Translator translator(&file);
    QDomElement container = translationContainer(translator);
    StatusDesc jam = record(QStringLiteral("Paper jam"));
    translator.translate(jam, container, QString(), QLatin1String(kRefer));
    QCOMPARE(jam.title(), QStringLiteral("Papierstau"));
    QVERIFY(!translator.isModified());

    StatusDesc lower = record(QStringLiteral("PAPER JAM"));
    translator.translate(lower, container, QString(), QLatin1String(kRefer));
    QCOMPARE(lower.title(), QStringLiteral("PAPER JAM"));
    QVERIFY(translator.isModified());
}

void TestTranslator::duplicatesCountUpToWhereBothEntriesWereMet()
{
    QFile file(writeTranslation(
            message("Paper jam", "Stau 1") + message("Paper jam", "Stau 2")
            + message("Paper jam description", "Text 1") + message("Paper jam", "Stau 3")
            + message("Paper jam description", "Text 2") + message("Cover open", "Deckel 1")
            + message("Cover open", "Deckel 2")));
    Translator translator(&file);
    QDomElement container = translationContainer(translator);
    StatusDesc jam = record(QStringLiteral("Paper jam"));
    translator.translate(jam, container, QString(), QLatin1String(kRefer));
    QCOMPARE(jam.title(), QStringLiteral("Stau 2"));
    QCOMPARE(jam.desc(), QStringLiteral("Text 1"));
    // Without a description the whole file is read: the last title counts.
    StatusDesc cover = record(QStringLiteral("Cover open"));
    translator.translate(cover, container, QString(), QLatin1String(kRefer));
    QCOMPARE(cover.title(), QStringLiteral("Deckel 2"));
}

void TestTranslator::messageWithoutValueIsReportedAndSkipped()
{
    LogCapture log;
    QFile file(writeTranslation("<message><Id>Paper jam</Id></message>"
                                + message("Paper jam description", "Beschreibung")
                                + "<note><Id>Paper jam</Id><Value>not a message</Value></note>"
                                + message("Paper jam", "Papierstau")));
    Translator translator(&file);
    QDomElement container = translationContainer(translator);
    StatusDesc jam = record(QStringLiteral("Paper jam"));
    translator.translate(jam, container, QString(), QLatin1String(kRefer));
    QVERIFY(log.contains(QStringLiteral("Wrong XML format")));
    // The broken entry is passed over; the good one later in the file still counts.
    QCOMPARE(jam.title(), QStringLiteral("Papierstau"));
    QCOMPARE(jam.desc(), QStringLiteral("Beschreibung"));
    QVERIFY(!translator.isModified());

    // With only a broken entry, the title entry is appended as if there were none.
    QFile broken(writeTranslation("<message><Id>Cover open</Id></message>"));
    QVERIFY(translator.load(&broken));
    container = translationContainer(translator);
    StatusDesc cover = record(QStringLiteral("Cover open"));
    translator.translate(cover, container, QString(), QLatin1String(kRefer));
    QCOMPARE(ids(container).count(QStringLiteral("Cover open")), 2);
    QCOMPARE(cover.title(), QStringLiteral("Cover open"));
}

void TestTranslator::recordWithoutStringGetsOnlyADescriptionEntry()
{
    QFile file(writeTranslation(QByteArray()));
    Translator translator(&file);
    QDomElement container = translationContainer(translator);
    StatusDesc nameless(0x010101, StatusDesc::Info);
    nameless.setString(QString());
    translator.translate(nameless, container, QString(), QLatin1String(kRefer));
    QCOMPARE(ids(container), QStringList({QStringLiteral(" description")}));
}

void TestTranslator::loadAndSaveClearModified()
{
    QFile first(writeTranslation(QByteArray()));
    Translator translator(&first);
    QDomElement container = translationContainer(translator);
    StatusDesc jam = record(QStringLiteral("Paper jam"));
    translator.translate(jam, container, QString(), QLatin1String(kRefer));
    QVERIFY(translator.isModified());

    QVERIFY(translator.save(translator.fileName()));
    QVERIFY(!translator.isModified());
    QFile reread(first.fileName());
    Translator check(&reread);
    QCOMPARE(ids(check.findPath(DomParser::splitPath(QStringLiteral("root/Translation")))),
             QStringList({QStringLiteral("Paper jam description"), QStringLiteral("Paper jam")}));

    StatusDesc other = record(QStringLiteral("Other"));
    translator.translate(other, container, QString(), QString());
    QVERIFY(translator.isModified());
    const QString secondPath = m_dir->filePath(QStringLiteral("sm_yy.xml"));
    QVERIFY(writeFile(secondPath, translationFile(message("A", "B"))));
    QFile second(secondPath);
    QVERIFY(translator.load(&second));
    QVERIFY(!translator.isModified());
    QCOMPARE(translator.fileName(), secondPath);

    // A file that cannot be read replaces the document and the name all the same, so the old
    // file is never written with the new document.
    container = translationContainer(translator);
    translator.translate(jam, container, QString(), QString());
    QFile absent(m_dir->filePath(QStringLiteral("sm_zz.xml")));
    QVERIFY(!translator.load(&absent));
    QVERIFY(!translator.isModified());
    QCOMPARE(translator.fileName(), absent.fileName());
    QVERIFY(translator.mayWriteBack());
}

void TestTranslator::unreadableExistingFileIsNotToBeWrittenBack()
{
    const QString path = m_dir->filePath(QStringLiteral("sm_xx.xml"));
    QVERIFY(writeFile(path, "<root><Translation><message><Id>x</Id>"));
    QFile file(path);
    Translator translator(&file);
    QVERIFY(!translator.isValid());
    QVERIFY(!translator.mayWriteBack());

    QFile absent(m_dir->filePath(QStringLiteral("sm_new.xml")));
    Translator fresh(&absent);
    QVERIFY(!fresh.isValid());
    QVERIFY(fresh.mayWriteBack());
}

void TestTranslator::largeDocumentAddsAtMostTheBoundAndKeepsTranslating()
{
    const QString path = writeTranslation(message("Status 7999", "Sieben"));
    const qint64 before = QFileInfo(path).size();
    QFile file(path);
    Translator translator(&file);
    QDomElement container = translationContainer(translator);
    LogCapture log;
    QList<StatusDesc> table;
    for (int i = 0; i < 8000; ++i)
        table.append(record(QStringLiteral("Status %1").arg(i)));
    // Every activation translates the whole table again.
    for (int activation = 0; activation < 3; ++activation) {
        for (StatusDesc &status : table)
            translator.translate(status, container, QString(), QLatin1String(kRefer));
    }
    QCOMPARE(table.last().title(), QStringLiteral("Sieben"));
    QVERIFY(ids(container).size() <= 1 + Translator::kMaxAppendedEntries);
    QCOMPARE(log.count(QStringLiteral("takes no more new entries")), 1);
    QVERIFY(translator.save(path));
    QVERIFY(QFileInfo(path).size() <= before + Translator::kMaxAppendedBytes);
}

void TestTranslator::latin1DocumentIsReadByItsDeclarationAndTranslated()
{
    const QByteArray body = "<StatusMonitorInfo><Status><E STRING=\"Bac \xe0 papier vide\">"
                            "<Status>[04][01][02][03]</Status></E></Status></StatusMonitorInfo>";
    StatusParser parser;
    parser.setContent(decodeXmlDocument("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + body,
                                        QStringConverter::Utf8));
    QVERIFY(parser.readErrorStatuses());
    QVERIFY(parser.statusTable().contains(0x010203));
    StatusDesc &status = *parser.statusTable().find(0x010203);
    QCOMPARE(status.string(), QStringLiteral("Bac à papier vide"));
    QFile file(writeTranslation(message("Bac \xc3\xa0 papier vide", "Paper tray empty")));
    Translator translator(&file);
    QDomElement container = translationContainer(translator);
    translator.translate(status, container, QString(), QLatin1String(kRefer));
    QCOMPARE(status.title(), QStringLiteral("Paper tray empty"));

    // Without a declaration each source keeps the encoding it has always used.
    QCOMPARE(decodeXmlDocument(body, QStringConverter::Latin1), QString::fromLatin1(body));
    QCOMPARE(decodeXmlDocument(body, QStringConverter::Utf8), QString::fromUtf8(body));
}

QTEST_GUILESS_MAIN(TestTranslator)
#include "tst_translator.moc"
