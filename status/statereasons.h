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

// The keyword without its "-report", "-warning" or "-error" suffix.
QString keyword(const QString &reason);

// From the suffix; without one, the keyword's own usual severity (media-jam is an error,
// toner-low a warning, connecting-to-device a report); an unknown keyword is a warning, an
// empty reason a report, so that nothing alarming is shown for it.
Severity severity(const QString &reason);

// Title and one-line remedy in the user-interface language. An unknown keyword, a vendor's
// ("com.example-foo") and a cups- one with nothing to tell a person: the reason as given as the
// title and no remedy.
Text text(const QString &reason);

// Whether the keyword is about a supply running low (toner-low, marker-supply-low, ...) or out
// (toner-empty, marker-supply-empty, ...).
bool isSupplyLow(const QString &reason);
bool isSupplyEmpty(const QString &reason);

// Scheduler bookkeeping a person need not see (cups-ipp-*, com.apple.*, ...).
bool isInternal(const QString &reason);

// Every keyword with a text of its own, without suffixes.
QStringList knownKeywords();

} // namespace StateReasons
