#include "status/familystatus.h"

namespace {

// The low nibble of the id's last byte names the colours of a low-toner status.
const quint8 kColorBitsMask = 0x0F;

} // namespace

PrinterState::Severity FamilyStatus::severityOf(qint32 type)
{
    switch (type) {
    case StatusDesc::Info:
        return PrinterState::Severity::Ok;
    case StatusDesc::PopupInfo:
        return PrinterState::Severity::Waiting;
    case StatusDesc::Warning:
        return PrinterState::Severity::Warning;
    case StatusDesc::Error:
        return PrinterState::Severity::Error;
    default:
        return PrinterState::Severity::Unknown;
    }
}

PrinterState FamilyStatus::state(const StatusDesc &record, const TonerDesc &levels,
                                 const TonerInfoList &toners, bool hasPrinter)
{
    const StatusBlock &raw = record.statusBlock();
    PrinterState state;
    state.source = hasPrinter ? PrinterState::Source::Family : PrinterState::Source::None;
    // An empty block is a printer that gave no status: its pseudo-status says so.
    state.severity = hasPrinter && raw.isEmpty() ? PrinterState::Severity::NotAnswering
                                                 : severityOf(record.type());
    state.activity
            = raw.isPrinting() ? PrinterState::Activity::Printing : PrinterState::Activity::Idle;
    state.title = record.title();
    state.description = record.desc();
    state.lowSupply = record.isLowToner();
    const quint8 lowColors = record.isLowToner() ? raw[3] & kColorBitsMask : 0;
    for (const TonerInfo &toner : toners) {
        Supply supply;
        supply.id = toner.id;
        supply.name = toner.title;
        supply.colors = toner.barColors;
        const quint8 level = levels.value(toner.id, kUnknownLevel);
        supply.level = level <= 100 ? int(level) : Supply::kUnknown;
        supply.low = (lowColors & toner.lowBit) != 0;
        state.supplies.append(supply);
    }
    state.showsSupplies = !levels.isEmpty() && record.showToner() && !record.isEmpty();
    state.hostJobs = raw[StatusBlock::kHostJobsByte];
    state.allJobs = raw[StatusBlock::kAllJobsByte];
    state.family = record;
    return state;
}
