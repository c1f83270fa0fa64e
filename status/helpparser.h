#pragma once

#include "status/domparser.h"
#include "status/statusparser.h"

// A model's help map "help.xml": <StatusMonitorInfo><HTML> holding one element per status tag
// name whose "help" child names the page, relative to the help directory.
// "SM_NONDEFINED_ERROR_SHORT" names the page of every status without an element of its own.
class HelpParser : public DomParser
{
public:
    HelpParser();
    explicit HelpParser(const QString &text);
    explicit HelpParser(QFile *file);
    ~HelpParser() override;

    // Sets the help page of every status of the table; false, changing nothing, when the
    // document is not a help map.
    bool parse(StatusTable &statusTable) const;
};
