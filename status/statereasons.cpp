// The keywords are those of the IANA printer-state-reasons registry as Debian 12's CUPS 2.4 ships
// it (the "printer-state-reasons.*" messages of /usr/share/cups/locale/en/cups_en.po, package
// cups-common), and those that cupsd and its ipp, socket, lpd and usb backends set themselves.
#include "status/statereasons.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
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
    const char *remedy; // null where there is nothing to do
};

// A keyword's severity here is only used when it comes without a suffix.
constexpr Entry kEntries[] = {
        // Paper and its path.
        {"other", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer problem"),
         QT_TRANSLATE_NOOP("StateReasons", "Check the printer's display or control panel.")},
        {"unknown", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Unknown printer state"),
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
        {"media-path-output-feed-error", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper output problem"),
         QT_TRANSLATE_NOOP("StateReasons", "Remove any paper stuck at the output.")},
        {"output-media-tray-feed-error", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper output problem"),
         QT_TRANSLATE_NOOP("StateReasons", "Remove any paper stuck at the output.")},
        {"media-path-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper path failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"input-media-tray-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper tray failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Take the paper tray out and insert it again.")},
        {"input-tray-elevation-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper tray lift failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Take the paper tray out and insert it again.")},
        {"input-tray-position-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper tray not in place"),
         QT_TRANSLATE_NOOP("StateReasons", "Push the paper tray fully into the printer.")},
        {"output-media-tray-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Output tray failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Check the output tray and its attachment.")},
        {"output-mailbox-select-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Output bin not available"),
         QT_TRANSLATE_NOOP("StateReasons", "Choose another output bin.")},
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
        {"input-media-color-change", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper color change"),
         QT_TRANSLATE_NOOP("StateReasons", "Load paper of the color the printer asks for.")},
        {"input-media-weight-change", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper weight change"),
         QT_TRANSLATE_NOOP("StateReasons", "Load paper of the weight the printer asks for.")},
        {"input-media-form-parts-change", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Form change"),
         QT_TRANSLATE_NOOP("StateReasons", "Load the forms the printer asks for.")},
        {"input-cannot-feed-size-selected", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper size not supported"),
         QT_TRANSLATE_NOOP("StateReasons", "Choose another paper size or tray.")},
        {"media-path-cannot-duplex-media-selected", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "No two-sided printing"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Print one-sided, or choose paper that allows two-sided printing.")},
        {"input-pick-roller-life-warn", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Pickup roller worn"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the paper pickup roller soon.")},
        {"media-path-pick-roller-life-warn", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Pickup roller worn"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the paper pickup roller soon.")},
        {"input-pick-roller-life-over", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Pickup roller worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the paper pickup roller.")},
        {"media-path-pick-roller-life-over", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Pickup roller worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the paper pickup roller.")},
        {"input-pick-roller-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Pickup roller missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the paper pickup roller.")},
        {"media-path-pick-roller-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Pickup roller missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the paper pickup roller.")},
        {"input-pick-roller-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Pickup roller failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"media-path-pick-roller-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Pickup roller failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"media-drying", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Paper drying"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printed pages have dried.")},
        // Doors, supplies and worn parts.
        {"door-open", Severity::Error, Supply::None, QT_TRANSLATE_NOOP("StateReasons", "Door open"),
         QT_TRANSLATE_NOOP("StateReasons", "Close the printer's door.")},
        {"cover-open", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Cover open"),
         QT_TRANSLATE_NOOP("StateReasons", "Close the printer's cover.")},
        {"interlock-open", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer open"),
         QT_TRANSLATE_NOOP("StateReasons", "Close all doors and covers of the printer.")},
        {"interlock-closed", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer closed"), nullptr},
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
        {"waste-receptacle-almost-full", Severity::Warning, Supply::None,
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
        {"waste-receptacle-full", Severity::Error, Supply::None,
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
        {"fuser-under-temp", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Fuser warming up"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer has warmed up.")},
        {"marker-fuser-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Fuser missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the fuser unit.")},
        {"marker-fuser-thermistor-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Fuser sensor failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"marker-fuser-timing-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Fuser timing failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"cleaner-life-almost-over", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Cleaning unit nearly worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Order a new cleaning unit.")},
        {"cleaner-life-over", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Cleaning unit worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the cleaning unit.")},
        {"marker-cleaner-missing", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Cleaning unit missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Insert the cleaning unit.")},
        {"marker-adjusting-print-quality", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Adjusting print quality"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer has finished adjusting.")},
        {"lamp-near-eol", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Lamp nearly worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Order a new lamp.")},
        {"lamp-at-eol", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Lamp worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Replace the lamp.")},
        {"lamp-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Lamp failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"laser-near-eol", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Laser nearly worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Have the laser unit replaced soon.")},
        {"laser-at-eol", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Laser worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Have the laser unit replaced.")},
        {"laser-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Laser failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"fan-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Fan failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"motor-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Motor failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"camera-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Camera failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"fax-modem-life-almost-over", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Fax modem nearly worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Have the fax modem replaced soon.")},
        {"fax-modem-life-over", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Fax modem worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Have the fax modem replaced.")},
        {"fax-modem-missing", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Fax modem missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Check the printer's fax modem.")},
        {"fax-modem-turned-off", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Fax modem switched off"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the fax modem on to send faxes.")},
        {"fax-modem-turned-on", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Fax modem switched on"), nullptr},
        // Finishing units with words of their own; the others' texts are made below.
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
        // Printers that build objects.
        {"material-low", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Material low"),
         QT_TRANSLATE_NOOP("StateReasons", "Have new material ready soon.")},
        {"material-empty", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Out of material"),
         QT_TRANSLATE_NOOP("StateReasons", "Load new material.")},
        {"material-needed", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Material needed"),
         QT_TRANSLATE_NOOP("StateReasons", "Load the material the printer asks for.")},
        {"extruder-jam", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Extruder jammed"),
         QT_TRANSLATE_NOOP("StateReasons", "Clear the extruder as its manual describes.")},
        {"extruder-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Extruder failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"extruder-heating", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Extruder heating up"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer is ready.")},
        {"extruder-cooling", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Extruder cooling down"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer is ready.")},
        {"extruder-temperature-high", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Extruder too hot"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and let it cool down.")},
        {"extruder-temperature-low", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Extruder too cold"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer has warmed up.")},
        {"chamber-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Chamber failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"chamber-heating", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Chamber heating up"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer is ready.")},
        {"chamber-cooling", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Chamber cooling down"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer is ready.")},
        {"chamber-temperature-high", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Chamber too hot"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and let it cool down.")},
        {"chamber-temperature-low", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Chamber too cold"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer has warmed up.")},
        {"platform-failure", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Build platform failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"platform-heating", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Build platform heating up"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer is ready.")},
        {"platform-cooling", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Build platform cooling down"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer is ready.")},
        {"platform-temperature-high", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Build platform too hot"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and let it cool down.")},
        {"platform-temperature-low", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Build platform too cold"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer has warmed up.")},
        // The printer as a whole, its interpreter and its queue.
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
        {"power-down", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer powering down"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer on again to print.")},
        {"power-up", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer powering up"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer is ready.")},
        {"printer-restarted", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer restarted"),
         QT_TRANSLATE_NOOP("StateReasons", "Send again any job that did not print.")},
        {"printer-manual-reset", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer reset by hand"),
         QT_TRANSLATE_NOOP("StateReasons", "Send again any job that did not print.")},
        {"printer-nms-reset", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer reset remotely"),
         QT_TRANSLATE_NOOP("StateReasons", "Send again any job that did not print.")},
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
        {"spool-area-full", Severity::Warning, Supply::None,
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
        {"interpreter-complex-page-encountered", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Page too complex"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Print the page with fewer graphics or a lower resolution.")},
        {"interpreter-memory-increase", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer memory increased"), nullptr},
        {"interpreter-memory-decrease", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer memory decreased"), nullptr},
        {"interpreter-resource-added", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer resource added"), nullptr},
        {"interpreter-resource-deleted", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer resource removed"), nullptr},
        {"interpreter-cartridge-added", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Plug-in module added"), nullptr},
        {"interpreter-cartridge-deleted", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Plug-in module removed"), nullptr},
        {"cups-certificate", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer certificate refused"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Ask your administrator to check the printer's certificate.")},
        {"cups-missing-filter", Severity::Error, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer driver incomplete"),
         QT_TRANSLATE_NOOP("StateReasons", "Reinstall the printer's driver.")},
        {"cups-insecure-filter", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer driver not trusted"),
         QT_TRANSLATE_NOOP("StateReasons", "Ask your administrator to check the driver's files.")},
        {"cups-remote-pending-held", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Held at the remote printer"),
         QT_TRANSLATE_NOOP("StateReasons", "Release the job at the remote printer.")},
        {"cups-remote-stopped", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Remote printer stopped"),
         QT_TRANSLATE_NOOP("StateReasons", "Check the remote printer.")},
        {"cups-remote-aborted", Severity::Warning, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Aborted by the remote printer"),
         QT_TRANSLATE_NOOP("StateReasons", "Print the document again.")},
};

// Scheduler and backend bookkeeping, and printer events, that a person need not see.
constexpr Entry kBookkeeping[] = {
        {"none", Severity::Report, Supply::None, QT_TRANSLATE_NOOP("StateReasons", "No problem"),
         nullptr},
        {"alert-removal-of-binary-change-entry", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Old printer alerts removed"), nullptr},
        {"cups-waiting-for-job-completed", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Finishing the job"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer has finished the job.")},
        {"cups-remote-pending", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Waiting at the remote printer"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the remote printer takes the job.")},
        {"cups-remote-processing", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printing at the remote printer"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the remote printer has finished.")},
        {"cups-remote-canceled", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Canceled at the remote printer"),
         QT_TRANSLATE_NOOP("StateReasons", "Print the document again if you still need it.")},
        {"cups-remote-completed", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Done at the remote printer"),
         QT_TRANSLATE_NOOP("StateReasons", "Collect your pages at the remote printer.")},
        {"cups-ipp-conformance-failure", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer not fully conformant"), nullptr},
        {"cups-ipp-wrong-http-version", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer speaks old HTTP"), nullptr},
        {"cups-pki-invalid", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer certificate invalid"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Ask your administrator to check the printer's certificate.")},
        {"cups-pki-changed", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer certificate changed"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Ask your administrator to check the printer's certificate.")},
        {"cups-pki-expired", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer certificate expired"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Ask your administrator to check the printer's certificate.")},
        {"cups-pki-unknown", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Printer certificate unknown"),
         QT_TRANSLATE_NOOP("StateReasons",
                           "Ask your administrator to check the printer's certificate.")},
        {"com.apple.print.recoverable", Severity::Report, Supply::None,
         QT_TRANSLATE_NOOP("StateReasons", "Retrying the printer"), nullptr},
};

// What the ipp backend finds a printer lacking: cups-ipp-missing-<what>.
constexpr const char *kIppMissing[] = {
        "cancel-job",
        "get-job-attributes",
        "get-printer-attributes",
        "job-history",
        "job-id",
        "job-state",
        "operations-supported",
        "print-job",
        "printer-is-accepting-jobs",
        "printer-state-reasons",
        "send-document",
        "validate-job",
};
constexpr const char *kIppMissingTitle
        = QT_TRANSLATE_NOOP("StateReasons", "Printer lacks an IPP feature");

// Keywords no table names that are bookkeeping all the same.
constexpr std::array kBookkeepingPrefixes = {
        QLatin1StringView("cups-ipp-"),
        QLatin1StringView("cups-pki-"),
        QLatin1StringView("com.apple."),
};

// Finishing units: every one of them has the same conditions, <unit>-<condition>, and the
// generic subunit a slightly different set.
struct Unit
{
    const char *keyword;
    const char *name;
    bool generic;
};

constexpr Unit kUnits[] = {
        {"bander", QT_TRANSLATE_NOOP("StateReasons", "Bander"), false},
        {"binder", QT_TRANSLATE_NOOP("StateReasons", "Binder"), false},
        {"die-cutter", QT_TRANSLATE_NOOP("StateReasons", "Die cutter"), false},
        {"folder", QT_TRANSLATE_NOOP("StateReasons", "Folder"), false},
        {"imprinter", QT_TRANSLATE_NOOP("StateReasons", "Imprinter"), false},
        {"inserter", QT_TRANSLATE_NOOP("StateReasons", "Inserter"), false},
        {"make-envelope", QT_TRANSLATE_NOOP("StateReasons", "Envelope unit"), false},
        {"perforater", QT_TRANSLATE_NOOP("StateReasons", "Perforator"), false},
        {"puncher", QT_TRANSLATE_NOOP("StateReasons", "Hole punch"), false},
        {"separation-cutter", QT_TRANSLATE_NOOP("StateReasons", "Sheet cutter"), false},
        {"sheet-rotator", QT_TRANSLATE_NOOP("StateReasons", "Sheet rotator"), false},
        {"slitter", QT_TRANSLATE_NOOP("StateReasons", "Slitter"), false},
        {"stacker", QT_TRANSLATE_NOOP("StateReasons", "Stacker"), false},
        {"stapler", QT_TRANSLATE_NOOP("StateReasons", "Stapler"), false},
        {"stitcher", QT_TRANSLATE_NOOP("StateReasons", "Stitcher"), false},
        {"subunit", QT_TRANSLATE_NOOP("StateReasons", "Printer unit"), true},
        {"trimmer", QT_TRANSLATE_NOOP("StateReasons", "Trimmer"), false},
        {"wrapper", QT_TRANSLATE_NOOP("StateReasons", "Wrapper"), false},
};

enum class Units { Every, Named, Generic };

struct Condition
{
    const char *keyword;
    Units units;
    Severity severity;
    const char *title; // %1: the unit's name
    const char *remedy;
};

constexpr Condition kConditions[] = {
        {"added", Units::Every, Severity::Report, QT_TRANSLATE_NOOP("StateReasons", "%1 added"),
         nullptr},
        {"almost-empty", Units::Every, Severity::Warning,
         QT_TRANSLATE_NOOP("StateReasons", "%1 almost empty"),
         QT_TRANSLATE_NOOP("StateReasons", "Refill this unit's supplies soon.")},
        {"almost-full", Units::Every, Severity::Warning,
         QT_TRANSLATE_NOOP("StateReasons", "%1 almost full"),
         QT_TRANSLATE_NOOP("StateReasons", "Empty this unit soon.")},
        {"at-limit", Units::Every, Severity::Error,
         QT_TRANSLATE_NOOP("StateReasons", "%1 at its limit"),
         QT_TRANSLATE_NOOP("StateReasons", "Empty or refill this unit.")},
        {"near-limit", Units::Every, Severity::Warning,
         QT_TRANSLATE_NOOP("StateReasons", "%1 near its limit"),
         QT_TRANSLATE_NOOP("StateReasons", "Empty or refill this unit soon.")},
        {"empty", Units::Every, Severity::Error, QT_TRANSLATE_NOOP("StateReasons", "%1 empty"),
         QT_TRANSLATE_NOOP("StateReasons", "Refill this unit's supplies.")},
        {"full", Units::Every, Severity::Error, QT_TRANSLATE_NOOP("StateReasons", "%1 full"),
         QT_TRANSLATE_NOOP("StateReasons", "Empty this unit.")},
        {"jam", Units::Named, Severity::Error, QT_TRANSLATE_NOOP("StateReasons", "%1 jammed"),
         QT_TRANSLATE_NOOP("StateReasons", "Clear the jam in this unit.")},
        {"closed", Units::Every, Severity::Report, QT_TRANSLATE_NOOP("StateReasons", "%1 closed"),
         nullptr},
        {"interlock-closed", Units::Named, Severity::Report,
         QT_TRANSLATE_NOOP("StateReasons", "%1 closed"), nullptr},
        {"cover-closed", Units::Named, Severity::Report,
         QT_TRANSLATE_NOOP("StateReasons", "%1 cover closed"), nullptr},
        {"opened", Units::Every, Severity::Error, QT_TRANSLATE_NOOP("StateReasons", "%1 open"),
         QT_TRANSLATE_NOOP("StateReasons", "Close all doors and covers of this unit.")},
        {"interlock-open", Units::Named, Severity::Error,
         QT_TRANSLATE_NOOP("StateReasons", "%1 open"),
         QT_TRANSLATE_NOOP("StateReasons", "Close all doors and covers of this unit.")},
        {"cover-open", Units::Named, Severity::Error,
         QT_TRANSLATE_NOOP("StateReasons", "%1 cover open"),
         QT_TRANSLATE_NOOP("StateReasons", "Close this unit's cover.")},
        {"missing", Units::Every, Severity::Error, QT_TRANSLATE_NOOP("StateReasons", "%1 missing"),
         QT_TRANSLATE_NOOP("StateReasons", "Attach this unit to the printer.")},
        {"removed", Units::Every, Severity::Warning,
         QT_TRANSLATE_NOOP("StateReasons", "%1 removed"),
         QT_TRANSLATE_NOOP("StateReasons", "Attach this unit again to use it.")},
        {"offline", Units::Every, Severity::Error, QT_TRANSLATE_NOOP("StateReasons", "%1 offline"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch this unit on and check its connection.")},
        {"turned-off", Units::Every, Severity::Warning,
         QT_TRANSLATE_NOOP("StateReasons", "%1 switched off"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch this unit on.")},
        {"turned-on", Units::Every, Severity::Report,
         QT_TRANSLATE_NOOP("StateReasons", "%1 switched on"), nullptr},
        {"power-saver", Units::Every, Severity::Report,
         QT_TRANSLATE_NOOP("StateReasons", "%1 saving power"), nullptr},
        {"warming-up", Units::Every, Severity::Report,
         QT_TRANSLATE_NOOP("StateReasons", "%1 warming up"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer has warmed up.")},
        {"cooling-down", Units::Generic, Severity::Report,
         QT_TRANSLATE_NOOP("StateReasons", "%1 cooling down"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer is ready.")},
        {"under-temperature", Units::Every, Severity::Warning,
         QT_TRANSLATE_NOOP("StateReasons", "%1 too cold"),
         QT_TRANSLATE_NOOP("StateReasons", "Wait until the printer has warmed up.")},
        {"over-temperature", Units::Every, Severity::Error,
         QT_TRANSLATE_NOOP("StateReasons", "%1 too hot"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and let it cool down.")},
        {"life-almost-over", Units::Every, Severity::Warning,
         QT_TRANSLATE_NOOP("StateReasons", "%1 nearly worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Have this unit replaced soon.")},
        {"life-over", Units::Every, Severity::Error,
         QT_TRANSLATE_NOOP("StateReasons", "%1 worn out"),
         QT_TRANSLATE_NOOP("StateReasons", "Have this unit replaced.")},
        {"configuration-change", Units::Named, Severity::Report,
         QT_TRANSLATE_NOOP("StateReasons", "%1 settings changed"), nullptr},
        {"resource-added", Units::Every, Severity::Report,
         QT_TRANSLATE_NOOP("StateReasons", "%1 resource added"), nullptr},
        {"resource-removed", Units::Every, Severity::Report,
         QT_TRANSLATE_NOOP("StateReasons", "%1 resource removed"), nullptr},
        {"memory-exhausted", Units::Every, Severity::Error,
         QT_TRANSLATE_NOOP("StateReasons", "%1 out of memory"),
         QT_TRANSLATE_NOOP("StateReasons", "Print the job in smaller parts.")},
        {"recoverable-failure", Units::Every, Severity::Warning,
         QT_TRANSLATE_NOOP("StateReasons", "%1 problem"),
         QT_TRANSLATE_NOOP("StateReasons", "Check this unit on the printer's control panel.")},
        {"recoverable-storage", Units::Every, Severity::Warning,
         QT_TRANSLATE_NOOP("StateReasons", "%1 storage problem"),
         QT_TRANSLATE_NOOP("StateReasons", "Check this unit on the printer's control panel.")},
        {"unrecoverable-storage-error", Units::Named, Severity::Error,
         QT_TRANSLATE_NOOP("StateReasons", "%1 storage failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"unrecoverable-storage", Units::Generic, Severity::Error,
         QT_TRANSLATE_NOOP("StateReasons", "%1 storage failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"unrecoverable-failure", Units::Every, Severity::Error,
         QT_TRANSLATE_NOOP("StateReasons", "%1 failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"motor-failure", Units::Every, Severity::Error,
         QT_TRANSLATE_NOOP("StateReasons", "%1 motor failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"thermistor-failure", Units::Every, Severity::Error,
         QT_TRANSLATE_NOOP("StateReasons", "%1 sensor failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
        {"timing-failure", Units::Every, Severity::Error,
         QT_TRANSLATE_NOOP("StateReasons", "%1 timing failure"),
         QT_TRANSLATE_NOOP("StateReasons", "Switch the printer off and call for service.")},
};

struct Known
{
    Severity severity = Severity::Warning;
    Supply supply = Supply::None;
    bool internal = false;
    const char *title = nullptr;
    const char *remedy = nullptr;
    const char *unit = nullptr; // put in for the title's %1
};

struct Table
{
    QHash<QString, Known> byKeyword;
    QStringList keywords;

    // The first text for a keyword stays: a unit's own words before those made for every unit.
    void add(const QString &keyword, const Known &known)
    {
        if (byKeyword.contains(keyword))
            return;
        byKeyword.insert(keyword, known);
        keywords.append(keyword);
    }

    void add(const Entry &entry, bool internal)
    {
        add(QLatin1StringView(entry.keyword),
            {entry.severity, entry.supply, internal, entry.title, entry.remedy});
    }
};

const Table &table()
{
    // Built once, thread-safe by the language's rule for function statics.
    static const Table built = [] {
        Table table;
        for (const Entry &entry : kEntries)
            table.add(entry, false);
        for (const Entry &entry : kBookkeeping)
            table.add(entry, true);
        for (const char *what : kIppMissing)
            table.add(QLatin1StringView("cups-ipp-missing-") + QLatin1StringView(what),
                      {Severity::Report, Supply::None, true, kIppMissingTitle});
        for (const Unit &unit : kUnits) {
            for (const Condition &condition : kConditions) {
                if (condition.units != Units::Every
                    && (condition.units == Units::Generic) != unit.generic)
                    continue;
                table.add(QLatin1StringView(unit.keyword) + QLatin1Char('-')
                                  + QLatin1StringView(condition.keyword),
                          {condition.severity, Supply::None, false, condition.title,
                           condition.remedy, unit.name});
            }
        }
        return table;
    }();
    return built;
}

const Known *lookUp(const QString &keyword)
{
    const QHash<QString, Known> &byKeyword = table().byKeyword;
    auto found = byKeyword.constFind(keyword);
    // Keywords are lower case, but the registry itself once spelt one otherwise.
    if (found == byKeyword.cend())
        found = byKeyword.constFind(keyword.toLower());
    return found == byKeyword.cend() ? nullptr : &found.value();
}

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
    return std::any_of(kBookkeepingPrefixes.cbegin(), kBookkeepingPrefixes.cend(),
                       [&](QLatin1StringView prefix) { return parsed.keyword.startsWith(prefix); });
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
    return table().keywords;
}

} // namespace StateReasons
