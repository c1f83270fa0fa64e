// What the keywords mean is the table of statereasontable.cpp; here they are parsed.
#include "status/statereasons.h"

#include "status/statereasontable.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <array>

namespace StateReasons {
namespace {

using StateReasonTable::kContext;
using StateReasonTable::Known;
using StateReasonTable::lookUp;
using Supply = StateReasonTable::Supply;

struct Suffix
{
    QLatin1StringView text;
    Severity severity;
};

constexpr std::array kSuffixes = {
        Suffix{QLatin1StringView("-report"), Severity::Report},
        Suffix{QLatin1StringView("-warning"), Severity::Warning},
        Suffix{QLatin1StringView("-error"), Severity::Error},
};

const Suffix *suffixOf(const QString &reason)
{
    for (const Suffix &suffix : kSuffixes) {
        if (reason.size() > suffix.text.size() && reason.endsWith(suffix.text))
            return &suffix;
    }
    return nullptr;
}

struct Parsed
{
    QString keyword;
    const Suffix *suffix = nullptr;
    const Known *known = nullptr;
};

Parsed parse(const QString &reason)
{
    // Some registered keywords end like a suffix (input-media-tray-feed-error,
    // stapler-unrecoverable-storage-error), so the whole reason is looked up before any suffix
    // is cut.
    if (const Known *known = lookUp(reason))
        return {reason, nullptr, known};
    const Suffix *suffix = suffixOf(reason);
    if (!suffix)
        return {reason, nullptr, nullptr};
    const QString keyword = reason.chopped(suffix->text.size());
    return {keyword, suffix, lookUp(keyword)};
}

bool isInternal(const Parsed &parsed)
{
    if (parsed.known)
        return parsed.known->internal;
    return StateReasonTable::isBookkeepingByName(parsed.keyword);
}

Text textOf(const Known &known)
{
    QString title = QCoreApplication::translate(kContext, known.title);
    if (known.unit)
        title = title.arg(QCoreApplication::translate(kContext, known.unit));
    return {title, known.remedy ? QCoreApplication::translate(kContext, known.remedy) : QString()};
}

// IPP's bound for a keyword; a longer one is no keyword at all.
constexpr qsizetype kMaxKeyword = 255;
constexpr qsizetype kMaxTitle = 80;

bool isKeywordCharacter(QChar c)
{
    return c.unicode() < 0x80
            && (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')
                || c == QLatin1Char('.'));
}

// The name without its maker's prefix: "com.example-paper-wet", "com.example.paper-wet",
// "smi4711-paper-wet" and "cups-paper-wet" all name "paper-wet".
QStringView nameOf(QStringView keyword)
{
    const qsizetype dot = keyword.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        QStringView name = keyword.mid(dot + 1);
        // A domain has two labels at least; with one before the dot, the second runs to a dash.
        const qsizetype dash = name.indexOf(QLatin1Char('-'));
        if (!keyword.left(dot).contains(QLatin1Char('.')) && dash >= 0)
            name = name.mid(dash + 1);
        return name;
    }
    if (keyword.startsWith(QLatin1StringView("cups-")))
        return keyword.mid(5);
    if (keyword.startsWith(QLatin1StringView("smi"))) {
        const qsizetype dash = keyword.indexOf(QLatin1Char('-'));
        const auto isDigit = [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        };
        if (dash > 3 && std::all_of(keyword.cbegin() + 3, keyword.cbegin() + dash, isDigit))
            return keyword.mid(dash + 1);
    }
    return keyword;
}

// A title in the keyword's own words, or none for what cannot be a keyword.
QString titleOfWords(const QString &keyword)
{
    if (keyword.isEmpty() || keyword.size() > kMaxKeyword || !keyword.at(0).isLetter()
        || !std::all_of(keyword.cbegin(), keyword.cend(), isKeywordCharacter))
        return {};
    QString words = nameOf(keyword).toString();
    words.replace(QLatin1Char('-'), QLatin1Char(' ')).replace(QLatin1Char('_'), QLatin1Char(' '));
    words = words.simplified();
    if (!std::any_of(words.cbegin(), words.cend(), [](QChar c) { return c.isLetter(); }))
        return {};
    words[0] = words.at(0).toUpper();
    if (words.size() > kMaxTitle) {
        words.truncate(kMaxTitle - 1);
        const qsizetype space = words.lastIndexOf(QLatin1Char(' '));
        if (space > kMaxTitle / 2)
            words.truncate(space);
        words.append(QChar(0x2026));
    }
    return words;
}

} // namespace

QString keyword(const QString &reason)
{
    return parse(reason).keyword;
}

Severity severity(const QString &reason)
{
    if (reason.isEmpty())
        return Severity::Report;
    const Parsed parsed = parse(reason);
    if (isInternal(parsed))
        return Severity::Report;
    if (parsed.suffix)
        return parsed.suffix->severity;
    return parsed.known ? parsed.known->severity : Severity::Warning;
}

bool isInternal(const QString &reason)
{
    return isInternal(parse(reason));
}

Text text(const QString &reason)
{
    if (reason.isEmpty())
        return {};
    const Parsed parsed = parse(reason);
    if (parsed.known)
        return textOf(*parsed.known);
    const QString words = titleOfWords(parsed.keyword);
    if (words.isEmpty())
        return textOf(*lookUp(QStringLiteral("other")));
    return {words, QString()};
}

bool isSupplyLow(const QString &reason)
{
    const Known *known = parse(reason).known;
    return known && known->supply == Supply::Low;
}

bool isSupplyEmpty(const QString &reason)
{
    const Known *known = parse(reason).known;
    return known && known->supply == Supply::Empty;
}

QStringList knownKeywords()
{
    return StateReasonTable::keywords();
}

} // namespace StateReasons
