#pragma once

#include "status/statereasons.h"

#include <QString>
#include <QStringList>

// What each printer-state-reasons keyword means: the registry's, those CUPS sets, and the
// finishing units' conditions made from their parts.
namespace StateReasonTable {

constexpr char kContext[] = "StateReasons";

enum class Supply { None, Low, Empty };

struct Known
{
    StateReasons::Severity severity = StateReasons::Severity::Warning;
    Supply supply = Supply::None;
    bool internal = false;
    const char *title = nullptr;
    const char *remedy = nullptr;
    const char *unit = nullptr; // put in for the title's %1
};

// The keyword's meaning, or null for a keyword the table does not name.
const Known *lookUp(const QString &keyword);
// Every keyword of the table, in its order.
const QStringList &keywords();
// Bookkeeping by its prefix, also where the table does not name the keyword.
bool isBookkeepingByName(const QString &keyword);

} // namespace StateReasonTable
