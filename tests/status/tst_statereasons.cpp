#include "status/statereasons.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTranslator>

using StateReasons::Severity;

namespace {

const char kGermanCatalogue[] = PELLAR_STAGE_DIR "/share/translation/de/pellar_de.qm";
// The registry's keywords as Debian's CUPS ships them, from which the table was made.
const char kRegistry[] = "/usr/share/cups/locale/en/cups_en.po";
const QString kGeneric = QStringLiteral("Printer problem");

// Passes the German catalogue's answers on, and keeps every text it has none for.
class RecordingTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override
    {
        const QString translated = german.translate(context, sourceText, disambiguation, n);
        if (translated.isEmpty())
            missing.insert(QString::fromUtf8(sourceText));
        return translated;
    }
    bool isEmpty() const override { return false; }

    QTranslator german;
    mutable QSet<QString> missing;
};

} // namespace

class TestStateReasons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reasonsReadAsKeywordSeverityTitleAndSupply_data();
    void reasonsReadAsKeywordSeverityTitleAndSupply();
    void unknownKeywordsAreTitledInTheirWords_data();
    void unknownKeywordsAreTitledInTheirWords();
    void germanTitlesFromTheInstalledCatalogue_data();
    void germanTitlesFromTheInstalledCatalogue();
    void everyKnownKeywordHasShortTitleRemedyAndGerman();
    void everyRegisteredKeywordIsKnown();
};

void TestStateReasons::reasonsReadAsKeywordSeverityTitleAndSupply_data()
{
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<Severity>("severity");
    QTest::addColumn<bool>("internal");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("hasRemedy");
    QTest::addColumn<bool>("low");
    QTest::addColumn<bool>("empty");

    auto row = [](const char *name, const char *reason, const char *keyword, Severity severity,
                  const char *title, bool hasRemedy, bool low = false, bool empty = false) {
        QTest::newRow(name) << QString::fromUtf8(reason) << QString::fromUtf8(keyword) << severity
                            << false << QString::fromUtf8(title) << hasRemedy << low << empty;
    };
    auto internal = [](const char *name, const char *reason, const char *keyword, const char *title,
                       bool hasRemedy) {
        QTest::newRow(name) << QString::fromUtf8(reason) << QString::fromUtf8(keyword)
                            << Severity::Report << true << QString::fromUtf8(title) << hasRemedy
                            << false << false;
    };
    // Suffixes and the table's own severities.
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
    row("such a keyword with a suffix", "media-path-input-feed-error-report",
        "media-path-input-feed-error", Severity::Report, "Paper feed problem", true);
    row("registry spelling of the roller", "input-pick-roller-life-warn-report",
        "input-pick-roller-life-warn", Severity::Report, "Pickup roller worn", true);
    row("roller spelt with a suffix", "input-pick-roller-life-warning", "input-pick-roller-life",
        Severity::Warning, "Input pick roller life", false);
    row("a reset is an event", "printer-manual-reset", "printer-manual-reset", Severity::Report,
        "Printer reset by hand", true);
    row("warming up", "fuser-under-temp", "fuser-under-temp", Severity::Report, "Fuser warming up",
        true);
    row("registered, nothing to do", "interpreter-memory-increase", "interpreter-memory-increase",
        Severity::Report, "Printer memory increased", false);

    // What cupsd and its backends set.
    row("missing filter", "cups-missing-filter-warning", "cups-missing-filter", Severity::Warning,
        "Printer driver incomplete", true);
    row("insecure filter", "cups-insecure-filter-warning", "cups-insecure-filter",
        Severity::Warning, "Printer driver not trusted", true);
    row("offline", "offline-report", "offline", Severity::Report, "Printer offline", true);
    row("paused", "paused", "paused", Severity::Warning, "Printer paused", true);
    row("moving to paused", "moving-to-paused", "moving-to-paused", Severity::Report, "Pausing",
        true);
    row("holding new jobs", "hold-new-jobs", "hold-new-jobs", Severity::Warning,
        "New jobs are held", true);
    row("busy printer", "spool-area-full", "spool-area-full", Severity::Warning,
        "Print memory full", true);
    row("certificate", "cups-certificate-error", "cups-certificate", Severity::Error,
        "Printer certificate refused", true);
    row("waste almost full", "waste-receptacle-almost-full-report", "waste-receptacle-almost-full",
        Severity::Report, "Waste container almost full", true);
    row("waste full", "waste-receptacle-full-warning", "waste-receptacle-full", Severity::Warning,
        "Waste container full", true);
    row("held at the remote printer", "cups-remote-pending-held", "cups-remote-pending-held",
        Severity::Warning, "Held at the remote printer", true);
    internal("waiting for the printer", "cups-waiting-for-job-completed",
             "cups-waiting-for-job-completed", "Finishing the job", true);
    internal("remote job printing", "cups-remote-processing", "cups-remote-processing",
             "Printing at the remote printer", true);
    internal("missing operation", "cups-ipp-missing-validate-job", "cups-ipp-missing-validate-job",
             "Printer lacks an IPP feature", false);
    internal("conformance, as a report", "cups-ipp-conformance-failure-report",
             "cups-ipp-conformance-failure", "Printer not fully conformant", false);
    internal("old HTTP", "cups-ipp-wrong-http-version", "cups-ipp-wrong-http-version",
             "Printer speaks old HTTP", false);
    internal("certificate expired", "cups-pki-expired", "cups-pki-expired",
             "Printer certificate expired", true);
    internal("recoverable, not a warning", "com.apple.print.recoverable-warning",
             "com.apple.print.recoverable", "Retrying the printer", false);
    internal("unlisted, with an error suffix", "cups-ipp-missing-fax-out-error",
             "cups-ipp-missing-fax-out", "Ipp missing fax out", false);
    internal("unlisted, of the other maker", "com.apple.print.glitch-error",
             "com.apple.print.glitch", "Glitch", false);
    internal("nothing", "none", "none", "No problem", false);
    internal("printer's bookkeeping", "alert-removal-of-binary-change-entry",
             "alert-removal-of-binary-change-entry", "Old printer alerts removed", false);

    // Finishing units.
    row("unit jammed", "binder-jam", "binder-jam", Severity::Error, "Binder jammed", true);
    row("unit with a suffix", "folder-almost-full-report", "folder-almost-full", Severity::Report,
        "Folder almost full", true);
    row("unit's own words", "stapler-empty", "stapler-empty", Severity::Error, "Out of staples",
        true);
    row("unit warming up", "wrapper-warming-up", "wrapper-warming-up", Severity::Report,
        "Wrapper warming up", true);
    row("unit's event", "make-envelope-resource-removed", "make-envelope-resource-removed",
        Severity::Report, "Envelope unit resource removed", false);
    row("unit's keyword ending like a suffix", "stapler-unrecoverable-storage-error",
        "stapler-unrecoverable-storage-error", Severity::Error, "Stapler storage failure", true);
    row("subunit's storage", "subunit-unrecoverable-storage-error", "subunit-unrecoverable-storage",
        Severity::Error, "Printer unit storage failure", true);
    row("subunit cooling", "subunit-cooling-down", "subunit-cooling-down", Severity::Report,
        "Printer unit cooling down", true);
    row("registry's capital", "subunit-timing-Failure", "subunit-timing-Failure", Severity::Error,
        "Printer unit timing failure", true);
    row("no jam in a subunit", "subunit-jam", "subunit-jam", Severity::Warning, "Subunit jam",
        false);

    // Unknown keywords.
    row("vendor prefix", "com.example-paper-wet-error", "com.example-paper-wet", Severity::Error,
        "Paper wet", false);
    row("unknown without suffix", "lid-missing", "lid-missing", Severity::Warning, "Lid missing",
        false);
    row("only a suffix", "-error", "-error", Severity::Warning, "Printer problem", true);
    row("empty", "", "", Severity::Report, "", false);
}

void TestStateReasons::reasonsReadAsKeywordSeverityTitleAndSupply()
{
    QFETCH(QString, reason);
    QFETCH(QString, keyword);
    QFETCH(Severity, severity);
    QFETCH(bool, internal);
    QFETCH(QString, title);
    QFETCH(bool, hasRemedy);
    QFETCH(bool, low);
    QFETCH(bool, empty);

    QCOMPARE(StateReasons::keyword(reason), keyword);
    QCOMPARE(StateReasons::severity(reason), severity);
    QCOMPARE(StateReasons::isInternal(reason), internal);
    const StateReasons::Text text = StateReasons::text(reason);
    QCOMPARE(text.title, title);
    QCOMPARE(!text.remedy.isEmpty(), hasRemedy);
    QCOMPARE(StateReasons::isSupplyLow(reason), low);
    QCOMPARE(StateReasons::isSupplyEmpty(reason), empty);
}

void TestStateReasons::unknownKeywordsAreTitledInTheirWords_data()
{
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("title");

    auto row = [](const char *name, const QString &reason, const QString &title) {
        QTest::newRow(name) << reason << title;
    };
    const QString ellipsis(QChar(0x2026));
    row("registered shape", "waste-receptacle-overflowing-warning", "Waste receptacle overflowing");
    row("reverse domain, then a dash", "com.example-foo-bar", "Foo bar");
    row("reverse domain, then a dot", "com.example.paper-wet", "Paper wet");
    row("deeper domain", "org.example.print.tray-stuck-error", "Tray stuck");
    row("a domain alone", "com.example", "Example");
    row("enterprise number", "smi4711-belt-slipping", "Belt slipping");
    row("not an enterprise number", "smiling-printer", "Smiling printer");
    row("an empty enterprise number", "smi-belt", "Smi belt");
    row("unknown of the scheduler", "cups-fancy-state", "Fancy state");
    row("underscores and runs of dashes", "tray__stuck--now", "Tray stuck now");
    row("capitals kept", "TONER-Sludge", "TONER Sludge");
    row("cut at a word", QString("abcdefghij-").repeated(12),
        "Abcdefghij " + QString("abcdefghij ").repeated(6).chopped(1) + ellipsis);
    row("cut in a word", QString(200, 'a'), "A" + QString(78, 'a') + ellipsis);
    row("longer than a keyword", QString(256, 'a'), kGeneric);
    row("line break", "media\njam", kGeneric);
    row("not ASCII", QString::fromUtf8("p\xd0\xb0per-jam"), kGeneric);
    row("markup", "<b>jam</b>", kGeneric);
    row("space", "paper jam", kGeneric);
    row("no letters", "1234-5678", kGeneric);
    row("dashes only", "---", kGeneric);
    row("a vendor without a name", "com.example-", kGeneric);
}

void TestStateReasons::unknownKeywordsAreTitledInTheirWords()
{
    QFETCH(QString, reason);
    QFETCH(QString, title);

    const StateReasons::Text text = StateReasons::text(reason);
    QCOMPARE(text.title, title);
    QVERIFY(text.title.size() <= 80);
    // Only the generic title knows something to do.
    QCOMPARE(text.remedy.isEmpty(), title != kGeneric);
}

void TestStateReasons::germanTitlesFromTheInstalledCatalogue_data()
{
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("title");
    QTest::newRow("paper jam") << "media-jam-error" << QStringLiteral("Papierstau");
    QTest::newRow("toner low") << "toner-low-report" << QStringLiteral("Toner fast leer");
    QTest::newRow("cover open") << "cover-open" << QStringLiteral("Abdeckung geöffnet");
    QTest::newRow("offline") << "offline-report" << QStringLiteral("Drucker offline");
    QTest::newRow("unit") << "folder-jam" << QStringLiteral("Falzeinheit: Stau");
    QTest::newRow("subunit") << "subunit-missing" << QStringLiteral("Baugruppe fehlt");
    QTest::newRow("bookkeeping") << "cups-pki-expired"
                                 << QStringLiteral("Zertifikat des Druckers abgelaufen");
    QTest::newRow("vendor's words stay") << "com.example-foo" << QStringLiteral("Foo");
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
    const QStringList keywords = StateReasons::knownKeywords();
    QVERIFY(keywords.size() > 800);
    QCOMPARE(QSet<QString>(keywords.cbegin(), keywords.cend()).size(), keywords.size());
    for (const QString &keyword : keywords) {
        const StateReasons::Text text = StateReasons::text(keyword);
        QVERIFY2(!text.title.isEmpty() && text.title != keyword, qPrintable(keyword));
        QVERIFY2(text.title.size() <= kMaxTitle, qPrintable(text.title));
        QVERIFY2(!text.title.contains(QLatin1Char('%')), qPrintable(text.title));
        QVERIFY2(!text.remedy.isEmpty()
                         || StateReasons::severity(keyword) == StateReasons::Severity::Report,
                 qPrintable(keyword));
        QCOMPARE(StateReasons::keyword(keyword), keyword);
    }

    RecordingTranslator recorder;
    QVERIFY(recorder.german.load(QLatin1String(kGermanCatalogue)));
    QCoreApplication::installTranslator(&recorder);
    for (const QString &keyword : keywords) {
        const StateReasons::Text text = StateReasons::text(keyword);
        QVERIFY2(!text.title.contains(QLatin1Char('%')), qPrintable(text.title));
    }
    QCoreApplication::removeTranslator(&recorder);
    QVERIFY2(recorder.missing.isEmpty(), qPrintable(recorder.missing.values().join(" | ")));
}

void TestStateReasons::everyRegisteredKeywordIsKnown()
{
    QFile registry(QString::fromLatin1(kRegistry));
    if (!registry.open(QIODevice::ReadOnly))
        QSKIP("CUPS's message catalogue is not installed");
    const QString po = QString::fromUtf8(registry.readAll());
    const QStringList known = StateReasons::knownKeywords();
    const QSet<QString> table(known.cbegin(), known.cend());
    static const QRegularExpression entry(
            QStringLiteral("^msgid \"printer-state-reasons\\.([^\"]+)\"$"),
            QRegularExpression::MultilineOption);
    QStringList missing;
    qsizetype registered = 0;
    for (const QRegularExpressionMatch &match : entry.globalMatch(po)) {
        ++registered;
        // The catalogue spells one keyword with a capital; keywords are lower case.
        const QString keyword = match.captured(1).toLower();
        if (!table.contains(keyword))
            missing.append(keyword);
    }
    QVERIFY2(registered > 700, qPrintable(QString::number(registered)));
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(' '))));
}

QTEST_GUILESS_MAIN(TestStateReasons)
#include "tst_statereasons.moc"
