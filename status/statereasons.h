#pragma once

#include <QString>
#include <QStringList>

// What a printer-state-reasons keyword means to a person.
namespace StateReasons {

enum class Severity { Report, Warning, Error };

struct Text
{
    QString title;
    QString remedy;
};

// The keyword without its "-report", "-warning" or "-error" suffix; a keyword that itself ends
// like one (input-media-tray-feed-error) stays whole.
QString keyword(const QString &reason);

// Bookkeeping is a report whatever its suffix. Otherwise from the suffix; without one, the
// keyword's own usual severity (media-jam is an error, toner-low a warning,
// connecting-to-device a report); an unknown keyword is a warning, an empty reason a report,
// so that nothing alarming is shown for it.
Severity severity(const QString &reason);

// Whether the reason is bookkeeping a person need not see: the scheduler's and its backends'
// (cups-ipp-…, cups-pki-…, com.apple.…, cups-waiting-for-job-completed, cups-remote-processing,
// …), the printer's own (alert-removal-of-binary-change-entry) and "none".
bool isInternal(const QString &reason);

// Title (at most 80 characters) and one-line remedy in the user-interface language; the remedy
// is empty where there is nothing to do. An unknown keyword, a vendor's ("com.example-foo-bar")
// included, is titled in its own words ("Foo bar") with no remedy; one that cannot be a keyword
// (too long, characters outside IPP's) gets the text of "other". An empty reason has no text.
Text text(const QString &reason);

// Whether the keyword is about a supply running low (toner-low, marker-supply-low, ...) or out
// (toner-empty, marker-supply-empty, ...).
bool isSupplyLow(const QString &reason);
bool isSupplyEmpty(const QString &reason);

// Every keyword with a text of its own, without suffixes: those of the IANA registry, those
// cupsd and its backends set, and their bookkeeping.
QStringList knownKeywords();

} // namespace StateReasons
