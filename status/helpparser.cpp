#include "status/helpparser.h"

#include "base/functions.h"

#include <QHash>

namespace {

const char kHtmlPath[] = "StatusMonitorInfo/HTML";
const char kHelpElement[] = "help";
const char kDefaultTag[] = "SM_NONDEFINED_ERROR_SHORT";

} // namespace

HelpParser::HelpParser() = default;

HelpParser::HelpParser(const QString &text)
    : DomParser(text)
{ }

HelpParser::HelpParser(QFile *file)
    : DomParser(file)
{ }

HelpParser::~HelpParser() = default;

bool HelpParser::parse(StatusTable &statusTable) const
{
    if (!isValid()) {
        debugPrintf("HelpParser is invalid");
        return false;
    }
    const QDomElement html = findPath(splitPath(QLatin1String(kHtmlPath)));
    if (html.isNull()) {
        debugPrintf("HelpParser::parse() can't go to %s", kHtmlPath);
        return false;
    }

    // A later element of the same name replaces an earlier one.
    QHash<QString, QString> pages;
    for (QDomElement entry = html.firstChildElement(); !entry.isNull();
         entry = entry.nextSiblingElement()) {
        const QDomElement help = childNode(entry, QLatin1String(kHelpElement));
        if (!help.isNull())
            pages.insert(entry.tagName(), nodeText(help));
    }

    const QString defaultPage = pages.value(QLatin1String(kDefaultTag), QLatin1String(""));
    for (StatusDesc &record : statusTable)
        record.setHelp(pages.value(record.tagName(), defaultPage));
    return true;
}
