#include "status/statereasons.h"

#include <QCoreApplication>
#include <QHash>

#include <array>

namespace StateReasons {
namespace {

constexpr char kContext[] = "StateReasons";

enum class Supply { None, Low, Empty };

struct Entry
{
    const char *keyword;
    Severity severity;
    Supply supply;
    const char *title;
    const char *remedy;
};

// The keywords of the IPP registry a desktop user meets, and the cups- ones a person can act on.
// A keyword's severity here is only used when the printer sends it without a suffix.
constexpr Entry kEntries[] = {
        {"other", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer problem"),
         QT_TRANSLATE_NOOP("StateReasons", "Check the printer's display or control panel.")},
        {"media-needed", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper needed"),
         QT_TRANSLATE_NOOP("StateReasons", "Load the requested paper into the printer.")},
        {"media-path-input-request", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper needed"),
         QT_TRANSLATE_NOOP("StateReasons", "Load the requested paper into the printer.")},
        {"media-jam", Severity::Error, Supply::None, QT_TRANSLATE_NOOP("StateReasons", "Paper jam"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Open the printer's cover and remove the jammed paper.")},
        {"media-path-jam", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper jam"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Open the printer's cover and remove the jammed paper.")},
        {"media-path-input-jam", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper jam"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Open the printer's cover and remove the jammed paper.")},
        {"media-path-output-jam", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper jam at output"),
         QT_TRANSLATE_NOOP("StateReasons", "Remove the jammed paper from the output tray.")},
        {"output-media-tray-jam", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper jam at output"),
         QT_TRANSLATE_NOOP("StateReasons", "Remove the jammed paper from the output tray.")},
        {"input-media-tray-jam", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper jam in tray"),
         QT_TRANSLATE_NOOP("StateReasons", "Remove the jammed paper from the paper tray.")},
        {"input-media-tray-feed-error", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper feed problem"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Take the paper out of the tray, straighten it and put it back.")},
        {"media-path-input-feed-error", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper feed problem"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Take the paper out of the tray, straighten it and put it back.")},
        {"media-low", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper low"),
         QT_TRANSLATE_NOOP("StateReasons", "Add paper to the tray soon.")},
        {"media-empty", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Out of paper"),
         QT_TRANSLATE_NOOP("StateReasons", "Load paper into the tray.")},
        {"media-path-input-empty", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Out of paper"),
         QT_TRANSLATE_NOOP("StateReasons", "Load paper into the tray.")},
        {"input-tray-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper tray missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the paper tray into the printer.")},
        {"media-path-media-tray-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper tray missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the paper tray into the printer.")},
        {"output-tray-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Output tray missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Attach the output tray to the printer.")},
        {"output-area-almost-full", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Output tray almost full"),
         QT_TRANSLATE_NOOP("StateReasons", "Remove the printed pages from the output tray.")},
        {"media-path-media-tray-almost-full", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Output tray almost full"),
         QT_TRANSLATE_NOOP("StateReasons", "Remove the printed pages from the output tray.")},
        {"output-area-full", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Output tray full"),
         QT_TRANSLATE_NOOP("StateReasons", "Remove the printed pages from the output tray.")},
        {"media-path-output-full", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Output tray full"),
         QT_TRANSLATE_NOOP("StateReasons", "Remove the printed pages from the output tray.")},
        {"media-path-media-tray-full", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Output tray full"),
         QT_TRANSLATE_NOOP("StateReasons", "Remove the printed pages from the output tray.")},
        {"input-manual-input-request", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Manual feed"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert a sheet into the manual feed slot.")},
        {"input-media-size-change", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper size change"),
         QT_TRANSLATE_NOOP("StateReasons", "Load paper of the size the printer asks for.")},
        {"input-media-type-change", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper type change"),
         QT_TRANSLATE_NOOP("StateReasons", "Load paper of the type the printer asks for.")},
        {"input-cannot-feed-size-selected", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper size not supported"),
         QT_TRANSLATE_NOOP("StateReasons", "Choose another paper size or tray.")},
        {"media-path-cannot-duplex-media-selected", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "No two-sided printing"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Print one-sided, or choose paper that allows two-sided printing.")},
        {"input-pick-roller-life-warning", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Pickup roller worn"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the paper pickup roller soon.")},
        {"media-path-pick-roller-life-warning", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Pickup roller worn"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the paper pickup roller soon.")},
        {"input-pick-roller-life-over", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Pickup roller worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the paper pickup roller.")},
        {"media-path-pick-roller-life-over", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Pickup roller worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the paper pickup roller.")},
        {"media-drying", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper drying"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printed pages have dried.")},
        {"door-open", Severity::Error, Supply::None, QT_TRANSLATE_NOOP("StateReasons", "Door open"),
         QT_TRANSLATE_NOOP("StateReasons", "Close the printer's door.")},
        {"cover-open", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Cover open"),
         QT_TRANSLATE_NOOP("StateReasons", "Close the printer's cover.")},
        {"interlock-open", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer open"),
         QT_TRANSLATE_NOOP("StateReasons", "Close all doors and covers of the printer.")},
        {"toner-low", Severity::Warning, Supply::Low,
         QT_TRANSLATE_NOOP("StateReasons", "Toner low"),
         QT_TRANSLATE_NOOP("StateReasons", "Order a new toner cartridge.")},
        {"toner-empty", Severity::Error, Supply::Empty,
         QT_TRANSLATE_NOOP("StateReasons", "Out of toner"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the toner cartridge.")},
        {"marker-toner-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Toner cartridge missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the toner cartridge.")},
        {"marker-toner-cartridge-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Toner cartridge missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the toner cartridge.")},
        {"marker-supply-low", Severity::Warning, Supply::Low,
         QT_TRANSLATE_NOOP("StateReasons", "Supply low"),
         QT_TRANSLATE_NOOP("StateReasons", "Order a replacement for the supply running low.")},
        {"marker-supply-almost-empty", Severity::Warning, Supply::Low,
         QT_TRANSLATE_NOOP("StateReasons", "Supply low"),
         QT_TRANSLATE_NOOP("StateReasons", "Order a replacement for the supply running low.")},
        {"marker-supply-empty", Severity::Error, Supply::Empty,
         QT_TRANSLATE_NOOP("StateReasons", "Supply empty"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the empty supply.")},
        {"marker-supply-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Supply missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the missing supply.")},
        {"marker-ink-almost-empty", Severity::Warning, Supply::Low,
         QT_TRANSLATE_NOOP("StateReasons", "Ink low"),
         QT_TRANSLATE_NOOP("StateReasons", "Order a new ink cartridge.")},
        {"marker-ink-empty", Severity::Error, Supply::Empty,
         QT_TRANSLATE_NOOP("StateReasons", "Out of ink"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the ink cartridge.")},
        {"marker-ink-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Ink cartridge missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the ink cartridge.")},
        {"developer-low", Severity::Warning, Supply::Low,
         QT_TRANSLATE_NOOP("StateReasons", "Developer low"),
         QT_TRANSLATE_NOOP("StateReasons", "Order new developer.")},
        {"marker-developer-almost-empty", Severity::Warning, Supply::Low,
         QT_TRANSLATE_NOOP("StateReasons", "Developer low"),
         QT_TRANSLATE_NOOP("StateReasons", "Order new developer.")},
        {"developer-empty", Severity::Error, Supply::Empty,
         QT_TRANSLATE_NOOP("StateReasons", "Out of developer"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the developer.")},
        {"marker-developer-empty", Severity::Error, Supply::Empty,
         QT_TRANSLATE_NOOP("StateReasons", "Out of developer"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the developer.")},
        {"marker-developer-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Developer missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the developer unit.")},
        {"marker-print-ribbon-almost-empty", Severity::Warning, Supply::Low,
         QT_TRANSLATE_NOOP("StateReasons", "Ribbon low"),
         QT_TRANSLATE_NOOP("StateReasons", "Order a new print ribbon.")},
        {"marker-print-ribbon-empty", Severity::Error, Supply::Empty,
         QT_TRANSLATE_NOOP("StateReasons", "Ribbon used up"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the print ribbon.")},
        {"marker-print-ribbon-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Ribbon missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert a print ribbon.")},
        {"marker-waste-almost-full", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Waste container almost full"),
         QT_TRANSLATE_NOOP("StateReasons", "Order a new waste container.")},
        {"marker-waste-toner-receptacle-almost-full", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Waste container almost full"),
         QT_TRANSLATE_NOOP("StateReasons", "Order a new waste container.")},
        {"marker-waste-ink-receptacle-almost-full", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Waste container almost full"),
         QT_TRANSLATE_NOOP("StateReasons", "Order a new waste container.")},
        {"marker-waste-full", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Waste container full"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the waste container.")},
        {"marker-waste-toner-receptacle-full", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Waste container full"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the waste container.")},
        {"marker-waste-ink-receptacle-full", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Waste container full"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the waste container.")},
        {"marker-waste-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Waste container missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the waste container.")},
        {"marker-waste-toner-receptacle-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Waste container missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the waste container.")},
        {"marker-waste-ink-receptacle-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Waste container missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the waste container.")},
        {"opc-near-eol", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Drum nearly worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Order a new drum unit.")},
        {"opc-life-over", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Drum worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the drum unit.")},
        {"marker-opc-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Drum unit missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the drum unit.")},
        {"fuser-over-temp", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Fuser too hot"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and let it cool down.")},
        {"fuser-under-temp", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Fuser warming up"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer has warmed up.")},
        {"marker-fuser-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Fuser missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the fuser unit.")},
        {"cleaner-life-almost-over", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Cleaning unit nearly worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Order a new cleaning unit.")},
        {"cleaner-life-over", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Cleaning unit worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the cleaning unit.")},
        {"marker-adjusting-print-quality", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Adjusting print quality"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer has finished adjusting.")},
        {"stapler-almost-empty", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Staples low"),
         QT_TRANSLATE_NOOP("StateReasons", "Add staples to the stapler soon.")},
        {"stapler-empty", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Out of staples"),
         QT_TRANSLATE_NOOP("StateReasons", "Add staples to the stapler.")},
        {"stapler-jam", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Staple jam"),
         QT_TRANSLATE_NOOP("StateReasons", "Open the stapler and remove the jammed staples.")},
        {"stacker-almost-full", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Stacker almost full"),
         QT_TRANSLATE_NOOP("StateReasons", "Remove the printed pages from the stacker.")},
        {"stacker-full", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Stacker full"),
         QT_TRANSLATE_NOOP("StateReasons", "Remove the printed pages from the stacker.")},
        {"puncher-almost-full", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Punch waste almost full"),
         QT_TRANSLATE_NOOP("StateReasons", "Empty the hole punch's waste container.")},
        {"puncher-full", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Punch waste full"),
         QT_TRANSLATE_NOOP("StateReasons", "Empty the hole punch's waste container.")},
        {"fan-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Fan failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"motor-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Motor failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"offline", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer offline"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Switch the printer on and check its cable or network.")},
        {"connecting-to-device", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Connecting to printer"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait while the computer connects to the printer.")},
        {"timed-out", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer not responding"),
         QT_TRANSLATE_NOOP("StateReasons", "Check that the printer is on and connected.")},
        {"shutdown", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer switched off"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer on.")},
        {"printer-shutdown", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer shutting down"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer on again to print.")},
        {"printer-restarted", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer restarted"),
         QT_TRANSLATE_NOOP("StateReasons", "Send again any job that did not print.")},
        {"printer-manual-reset", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer needs a restart"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and on again.")},
        {"printer-ready-to-print", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Ready to print"),
         QT_TRANSLATE_NOOP("StateReasons", "You can print.")},
        {"configuration-change", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer settings changed"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Check the printer's settings if pages look different.")},
        {"moving-to-paused", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Pausing"),
         QT_TRANSLATE_NOOP("StateReasons", "The printer pauses after the current job.")},
        {"paused", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer paused"),
         QT_TRANSLATE_NOOP("StateReasons", "Resume the printer to print again.")},
        {"stopping", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer stopping"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer has stopped.")},
        {"stopped", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer stopped"),
         QT_TRANSLATE_NOOP("StateReasons", "Check the printer, then resume it.")},
        {"stopped-partly", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer partly stopped"),
         QT_TRANSLATE_NOOP("StateReasons", "Check the printer's control panel.")},
        {"spool-area-full", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Print memory full"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Wait until waiting jobs have printed, or cancel some.")},
        {"hold-new-jobs", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "New jobs are held"),
         QT_TRANSLATE_NOOP("StateReasons", "Release the held jobs to print them.")},
        {"deactivated", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer deactivated"),
         QT_TRANSLATE_NOOP("StateReasons", "Ask your administrator to activate the printer.")},
        {"identify-printer-requested", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Identifying printer"),
         QT_TRANSLATE_NOOP("StateReasons", "The printer gives a signal so that you can find it.")},
        {"interpreter-resource-unavailable", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer resource missing"),
         QT_TRANSLATE_NOOP(
                 "StateReasons",
                 "The printer lacks a font or form the job needs; print with other settings.")},
        {"cups-waiting-for-job-completed", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Finishing the job"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer has finished the job.")},
        {"cups-missing-filter", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer driver incomplete"),
         QT_TRANSLATE_NOOP("StateReasons", "Reinstall the printer's driver.")},
        {"cups-insecure-filter", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer driver not trusted"),
         QT_TRANSLATE_NOOP("StateReasons", "Ask your administrator to check the driver's files.")},
        {"cups-remote-pending", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Waiting at the remote printer"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the remote printer takes the job.")},
        {"cups-remote-pending-held", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Held at the remote printer"),
         QT_TRANSLATE_NOOP("StateReasons", "Release the job at the remote printer.")},
        {"cups-remote-processing", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printing at the remote printer"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the remote printer has finished.")},
        {"cups-remote-stopped", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Remote printer stopped"),
         QT_TRANSLATE_NOOP("StateReasons", "Check the remote printer.")},
        {"cups-remote-canceled", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Canceled at the remote printer"),
         QT_TRANSLATE_NOOP("StateReasons", "Print the document again if you still need it.")},
        {"cups-remote-aborted", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Aborted by the remote printer"),
         QT_TRANSLATE_NOOP("StateReasons", "Print the document again.")},
        {"cups-remote-completed", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Done at the remote printer"),
         QT_TRANSLATE_NOOP("StateReasons", "Collect your pages at the remote printer.")},
};

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

const Entry *entryFor(const QString &keyword)
{
    // Built once, thread-safe by the language's rule for function statics.
    static const QHash<QString, const Entry *> byKeyword = [] {
        QHash<QString, const Entry *> hash;
        for (const Entry &entry : kEntries)
            hash.insert(QLatin1StringView(entry.keyword), &entry);
        return hash;
    }();
    return byKeyword.value(keyword, nullptr);
}

struct Parsed
{
    QString keyword;
    const Suffix *suffix = nullptr;
    const Entry *entry = nullptr;
};

Parsed parse(const QString &reason)
{
    // Some registered keywords end like a suffix (input-media-tray-feed-error,
    // input-pick-roller-life-warning), so the whole reason is looked up before any suffix is cut.
    if (const Entry *entry = entryFor(reason))
        return {reason, nullptr, entry};
    const Suffix *suffix = suffixOf(reason);
    if (!suffix)
        return {reason, nullptr, nullptr};
    const QString keyword = reason.chopped(suffix->text.size());
    return {keyword, suffix, entryFor(keyword)};
}

const Entry *find(const QString &reason)
{
    return parse(reason).entry;
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
    if (parsed.suffix)
        return parsed.suffix->severity;
    return parsed.entry ? parsed.entry->severity : Severity::Warning;
}

Text text(const QString &reason)
{
    const Entry *entry = find(reason);
    if (!entry)
        return {reason, QString()};
    return {QCoreApplication::translate(kContext, entry->title),
            QCoreApplication::translate(kContext, entry->remedy)};
}

bool isSupplyLow(const QString &reason)
{
    const Entry *entry = find(reason);
    return entry && entry->supply == Supply::Low;
}

bool isSupplyEmpty(const QString &reason)
{
    const Entry *entry = find(reason);
    return entry && entry->supply == Supply::Empty;
}

bool isInternal(const QString &reason)
{
    return reason.startsWith(QLatin1String("cups-ipp-"))
            || reason.startsWith(QLatin1String("cups-pki-"))
            || reason.startsWith(QLatin1String("com.apple."))
            || reason.startsWith(QLatin1String("cups-waiting-for-job-completed"));
}

QStringList knownKeywords()
{
    QStringList keywords;
    keywords.reserve(std::size(kEntries));
    for (const Entry &entry : kEntries)
        keywords.append(QLatin1StringView(entry.keyword));
    return keywords;
}

} // namespace StateReasons
