// The installed data that discovery and help rely on, as the build stages it: the help map and
// pages of the model family, the capabilities file, and the PPD that test queues use.
#include "cups/cups.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QTest>

namespace {

const QString kStage = QStringLiteral(PELLAR_STAGE_DIR);
const QString kFamilyDir = kStage + QStringLiteral("/share/help/Quillon_C400_Series");

QDomDocument readXml(const QString &path, QString *error)
{
    QDomDocument document;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = path + QStringLiteral(": cannot open");
        return document;
    }
    QString message;
    int line = 0;
    if (!document.setContent(&file, &message, &line))
        *error = QStringLiteral("%1:%2: %3").arg(path).arg(line).arg(message);
    return document;
}

// Status tag to page, from the help map.
QMap<QString, QString> helpMap(QString *error)
{
    QMap<QString, QString> pages;
    const QDomDocument document = readXml(kFamilyDir + QStringLiteral("/help.xml"), error);
    const QDomElement html = document.documentElement().firstChildElement(QStringLiteral("HTML"));
    if (document.documentElement().tagName() != QLatin1String("StatusMonitorInfo") || html.isNull())
        error->append(QStringLiteral(" no StatusMonitorInfo/HTML"));
    for (QDomElement e = html.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        const QDomElement help = e.firstChildElement(QStringLiteral("help"));
        if (!help.isNull())
            pages.insert(e.tagName(), help.text());
    }
    return pages;
}

QStringList languages()
{
    QStringList names = QDir(kFamilyDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    names.removeAll(QStringLiteral("common"));
    return names;
}

} // namespace

class TestInstalledData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void helpMapGivesEveryStatusOfTheStatusDescriptionAPage();
    void everyPageExistsInEveryLanguage();
    void pagesAreWellFormedAndTheirLinksLead();
    void ppdModelHasHelpAndNetworkCapability();
};

void TestInstalledData::helpMapGivesEveryStatusOfTheStatusDescriptionAPage()
{
    QString error;
    const QMap<QString, QString> pages = helpMap(&error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(pages.value(QStringLiteral("SM_NONDEFINED_ERROR_SHORT")),
             QStringLiteral("troubleshooting.htm"));

    const QString statusFile = kStage + QStringLiteral("/bin/sm.xml");
    if (!QFile::exists(statusFile))
        QSKIP("no installed status description to compare with");
    const QDomDocument statuses = readXml(statusFile, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    int count = 0;
    for (QDomElement group = statuses.documentElement().firstChildElement(QStringLiteral("Status"));
         !group.isNull(); group = group.nextSiblingElement(QStringLiteral("Status"))) {
        for (QDomElement e = group.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
            ++count;
            QVERIFY2(pages.contains(e.tagName()), qPrintable(e.tagName()));
        }
    }
    QVERIFY(count > 0);
}

void TestInstalledData::everyPageExistsInEveryLanguage()
{
    QString error;
    const QMap<QString, QString> pages = helpMap(&error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QStringList needed = pages.values();
    needed << QStringLiteral("start_here.htm") << QStringLiteral("troubleshooting.htm")
           << QStringLiteral("main.htm") << QStringLiteral("usb_offline.htm")
           << QStringLiteral("network_offline.htm");
    needed.removeDuplicates();

    const QStringList found = languages();
    QVERIFY(found.contains(QStringLiteral("en")));
    QVERIFY(found.contains(QStringLiteral("de")));
    for (const QString &language : found) {
        for (const QString &page : needed) {
            const QString path = kFamilyDir + QLatin1Char('/') + language + QLatin1Char('/') + page;
            QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
        }
    }
}

void TestInstalledData::pagesAreWellFormedAndTheirLinksLead()
{
    static const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"#]+)"));
    for (const QString &language : languages()) {
        const QDir dir(kFamilyDir + QLatin1Char('/') + language);
        const QStringList pages = dir.entryList({QStringLiteral("*.htm")}, QDir::Files);
        QVERIFY(!pages.isEmpty());
        for (const QString &page : pages) {
            // Plain HTML that is also well-formed XML.
            QString error;
            const QDomDocument document = readXml(dir.filePath(page), &error);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            const QDomElement html = document.documentElement();
            QCOMPARE(html.attribute(QStringLiteral("lang")), language);
            const QString title = html.firstChildElement(QStringLiteral("head"))
                                          .firstChildElement(QStringLiteral("title"))
                                          .text();
            QVERIFY2(!title.isEmpty(), qPrintable(page));

            QFile file(dir.filePath(page));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            for (auto it = link.globalMatch(text); it.hasNext();) {
                const QString target = dir.filePath(it.next().captured(1));
                QVERIFY2(QFileInfo(target).isFile(),
                         qPrintable(page + QStringLiteral(" -> ") + target));
            }
        }
    }
}

void TestInstalledData::ppdModelHasHelpAndNetworkCapability()
{
    QFile ppd(QStringLiteral(PELLAR_SOURCE_DIR "/tests/data/ppd/tessival_quillon_c400.ppd"));
    QVERIFY(ppd.open(QIODevice::ReadOnly));
    const PpdInfo info = CUPS::ppdSummary(ppd.readAll());
    QCOMPARE(info.manufacturer, QStringLiteral("Tessival"));
    QCOMPARE(info.model, QStringLiteral("Quillon C400 Series"));
    QCOMPARE(info.product, QStringLiteral("(Quillon C400 Series)"));
    QCOMPARE(info.modelNumber, 400);

    // Help is found by the model name in lower case with '_' for blanks.
    QString model = info.model;
    model.replace(QLatin1Char(' '), QLatin1Char('_'));
    QVERIFY(QFileInfo(kFamilyDir).fileName().contains(model, Qt::CaseInsensitive));

    QString error;
    const QDomDocument capabilities
            = readXml(kStage + QStringLiteral("/bin/capabilities.xml"), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(capabilities.documentElement().tagName(), QStringLiteral("root"));
    const QDomElement devices
            = capabilities.documentElement().firstChildElement(QStringLiteral("Devices"));
    QDomElement family;
    for (QDomElement e = devices.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.attribute(QStringLiteral("NAME")).contains(info.model, Qt::CaseInsensitive)) {
            family = e;
            break;
        }
    }
    QVERIFY(!family.isNull());
    QCOMPARE(family.attribute(QStringLiteral("NETWORK")).toLower(), QStringLiteral("true"));
}

QTEST_GUILESS_MAIN(TestInstalledData)
#include "tst_installeddata.moc"
