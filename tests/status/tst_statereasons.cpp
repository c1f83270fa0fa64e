#include "status/statereasons.h"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

using StateReasons::Severity;

namespace {

const char kGermanCatalogue[] = PELLAR_STAGE_DIR "/share/translation/de/pellar_de.qm";

} // namespace

class TestStateReasons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reasonsReadAsKeywordSeverityTitleAndSupply_data();
    void reasonsReadAsKeywordSeverityTitleAndSupply();
    void germanTitlesFromTheInstalledCatalogue_data();
    void germanTitlesFromTheInstalledCatalogue();
    void everyKnownKeywordHasShortTitleRemedyAndGerman();
};

void TestStateReasons::reasonsReadAsKeywordSeverityTitleAndSupply_data()
{
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<Severity>("severity");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("hasRemedy");
    QTest::addColumn<bool>("low");
    QTest::addColumn<bool>("empty");

    auto row = [](const char *name, const char *reason, const char *keyword, Severity severity,
                  const char *title, bool hasRemedy, bool low = false, bool empty = false) {
        QTest::newRow(name) << QString::fromUtf8(reason) << QString::fromUtf8(keyword) << severity
                            << QString::fromUtf8(title) << hasRemedy << low << empty;
    };
    row("error suffix", "media-jam-error", "media-jam", Severity::Error, "Paper jam", true);
    row("report suffix wins over the table", "toner-low-report", "toner-low", Severity::Report,
        "Toner low", true, true);
    row("warning suffix", "cover-open-warning", "cover-open", Severity::Warning, "Cover open",
        true);
    row("no suffix, an error", "media-jam", "media-jam", Severity::Error, "Paper jam", true);
    row("no suffix, a warning", "marker-supply-low", "marker-supply-low", Severity::Warning,
        "Supply low", true, true);
    row("no suffix, a report", "connecting-to-device", "connecting-to-device", Severity::Report,
        "Connecting to printer", true);
    row("supply out", "toner-empty-error", "toner-empty", Severity::Error, "Out of toner", true,
        false, true);
    row("keyword ending like a suffix", "input-media-tray-feed-error",
        "input-media-tray-feed-error", Severity::Error, "Paper feed problem", true);
    row("such a keyword with a suffix", "input-pick-roller-life-warning-report",
        "input-pick-roller-life-warning", Severity::Report, "Pickup roller worn", true);
    row("known cups keyword", "cups-missing-filter-warning", "cups-missing-filter",
        Severity::Warning, "Printer driver incomplete", true);
    row("other cups keyword", "cups-ipp-conformance-failure-report", "cups-ipp-conformance-failure",
        Severity::Report, "cups-ipp-conformance-failure-report", false);
    row("vendor prefix", "com.example-paper-wet-error", "com.example-paper-wet", Severity::Error,
        "com.example-paper-wet-error", false);
    row("unknown without suffix", "lid-missing", "lid-missing", Severity::Warning, "lid-missing",
        false);
    row("only a suffix", "-error", "-error", Severity::Warning, "-error", false);
    row("empty", "", "", Severity::Report, "", false);
}

void TestStateReasons::reasonsReadAsKeywordSeverityTitleAndSupply()
{
    QFETCH(QString, reason);
    QFETCH(QString, keyword);
    QFETCH(Severity, severity);
    QFETCH(QString, title);
    QFETCH(bool, hasRemedy);
    QFETCH(bool, low);
    QFETCH(bool, empty);

    QCOMPARE(StateReasons::keyword(reason), keyword);
    QCOMPARE(StateReasons::severity(reason), severity);
    const StateReasons::Text text = StateReasons::text(reason);
    QCOMPARE(text.title, title);
    QCOMPARE(!text.remedy.isEmpty(), hasRemedy);
    QCOMPARE(StateReasons::isSupplyLow(reason), low);
    QCOMPARE(StateReasons::isSupplyEmpty(reason), empty);
}

void TestStateReasons::germanTitlesFromTheInstalledCatalogue_data()
{
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("title");
    QTest::newRow("paper jam") << "media-jam-error" << QStringLiteral("Papierstau");
    QTest::newRow("toner low") << "toner-low-report" << QStringLiteral("Toner fast leer");
    QTest::newRow("cover open") << "cover-open" << QStringLiteral("Abdeckung geöffnet");
    QTest::newRow("offline") << "offline-report" << QStringLiteral("Drucker offline");
    QTest::newRow("vendor stays") << "com.example-foo" << QStringLiteral("com.example-foo");
}

void TestStateReasons::germanTitlesFromTheInstalledCatalogue()
{
    QFETCH(QString, reason);
    QFETCH(QString, title);
    QTranslator german;
    QVERIFY(german.load(QLatin1String(kGermanCatalogue)));
    QCoreApplication::installTranslator(&german);
    const QString translated = StateReasons::text(reason).title;
    QCoreApplication::removeTranslator(&german);
    QCOMPARE(translated, title);
}

void TestStateReasons::everyKnownKeywordHasShortTitleRemedyAndGerman()
{
    // Titles show as the panel's status title, which has room for about thirty characters.
    const qsizetype kMaxTitle = 30;
    QTranslator german;
    QVERIFY(german.load(QLatin1String(kGermanCatalogue)));
    const QStringList keywords = StateReasons::knownKeywords();
    QVERIFY(keywords.size() > 80);
    for (const QString &keyword : keywords) {
        const StateReasons::Text text = StateReasons::text(keyword);
        QVERIFY2(!text.title.isEmpty() && text.title != keyword, qPrintable(keyword));
        QVERIFY2(text.title.size() <= kMaxTitle, qPrintable(text.title));
        QVERIFY2(!text.remedy.isEmpty(), qPrintable(keyword));
        QCOMPARE(StateReasons::keyword(keyword), keyword);
        QVERIFY2(!german.translate("StateReasons", text.title.toUtf8().constData()).isEmpty(),
                 qPrintable(text.title));
        QVERIFY2(!german.translate("StateReasons", text.remedy.toUtf8().constData()).isEmpty(),
                 qPrintable(text.remedy));
    }
}

QTEST_GUILESS_MAIN(TestStateReasons)
#include "tst_statereasons.moc"
