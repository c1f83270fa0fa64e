#pragma once

#include "acquisition/printerdesc.h"
#include "config/externalprograms.h"
#include "config/ignoredbits.h"
#include "config/options.h"
#include "config/watchoptions.h"
#include "status/statusparser.h"

#include <QObject>
#include <QString>

#include <memory>

class StatusBlock;
class Translator;

// The single configuration and knowledge service of the GUI thread: program-relative paths,
// the printers and which one is followed, the active model's status table, the options, the
// ignored low-toner bits and the translator.
class Configurator : public QObject
{
    Q_OBJECT

public:
    static constexpr quint32 kNoPrinter = 0xFFFFFFFF;

    // The pseudo-statuses that stand for situations in which the printer gave no status.
    static constexpr quint32 kNoDeviceStatusId = 0x0000FF;
    static constexpr quint32 kUsbStatusUnavailableId = 0x0001FF;
    static constexpr quint32 kNetworkStatusUnavailableId = 0x0002FF;
    static constexpr quint32 kPrintingCompletedId = 0x0003FF;
    static constexpr quint32 kBusyWithAnotherJobId = 0x0004FF;
    static constexpr quint32 kPreparingJobId = 0x0005FF;
    static constexpr quint32 kPrintingInProgressId = 0x0006FF;
    // The record the window shows when no printer status has been read.
    static constexpr quint32 kNoStatusId = 0xFFFFFF;

    // Results of runPrinterSettings.
    static constexpr int kSettingsStarted = PrinterSettings::kStarted;
    static constexpr int kSettingsNoPrinter = PrinterSettings::kNoPrinter;
    static constexpr int kSettingsNoDevice = PrinterSettings::kNoDevice;
    static constexpr int kSettingsCannotStart = PrinterSettings::kCannotStart;

    Configurator(const QString &applicationDirectory, bool useLocalStatusXml, bool saveStatusXml);
    ~Configurator() override;

    QString absPath(const QString &path) const;
    // Where this user's options and remembered state are kept: "$XDG_CONFIG_HOME/pellar", by
    // default "~/.config/pellar". The installation's tree may belong to root.
    static QString defaultStateDirectory();
    QString stateDirectory() const { return m_stateDirectory; }

    void setPrinters(const PrinterMap &printers);
    PrinterMap printers() const { return m_printers; }
    void setActivePrinter(quint32 id);
    // Keeps the active printer's queue for the next start: the user's own choice only.
    void rememberActivePrinter();
    // The queue the user chose last, in this run or one before.
    QString rememberedPrinterName() const;
    quint32 activePrinter() const { return m_activePrinter; }
    // A copy for the caller, or null; id 0 means the active printer.
    std::unique_ptr<PrinterDesc> printerDesc(quint32 id = 0) const;
    std::unique_ptr<PrinterDesc> findPrinterByName(const QString &name) const;
    QString activePrinterName() const;

    bool useLocalStatusXml() const { return m_useLocalStatusXml; }
    bool saveStatusXml() const { return m_saveStatusXml; }
    QString readLocalStatusXml() const;
    void activatePrinter();
    void activatePrinter(const QString &statusXml);
    // With the installed status description instead of the printer's own ("use_local_sm").
    void activatePrinter(bool useLocalStatusXml);

    bool loadConfig();
    bool saveConfig();
    Options &options() { return m_options; }
    const Options &options() const { return m_options; }
    WatchOptions &watchOptions() { return m_watchOptions; }
    const WatchOptions &watchOptions() const { return m_watchOptions; }

    QString printerImagePath() const;

    const StatusParser &statusParser() const { return m_statusParser; }
    QString supplyOrderUrl() const { return m_statusParser.supplyOrderUrl(); }
    QString separator() const { return m_statusParser.separator(); }
    TonerInfoList tonerList() const { return m_statusParser.tonerList(); }

    // The absolute path of the active model's help map, or empty.
    QString getHelp() const;
    // The absolute path of the help page for the status, or empty.
    QString getStatusHelp(const StatusDesc &record) const;

    // Starts the printer-settings tool for the active USB printer, or opens a network
    // printer's own web page. The extra arguments are the quoted words start-up passes on.
    int runPrinterSettings(const QString &extraArguments) const;

    // The language of the translations: the system's when it has a translation folder, else
    // English. The status texts and the user-interface texts follow the same choice.
    QString translationLanguage() const;
    // The compiled catalogue of the user-interface texts for that language; it need not exist.
    QString uiTranslationFile() const;
    Translator *getTranslator();
    void saveTranslation();

    StatusDesc getStatusDesc(quint32 id, const QString &unknownTitle,
                             const QString &unknownDesc) const;
    TonerDesc getTonerDesc(const StatusBlock &rawBlock) const;
    void updateIgnoredBits(const TonerDesc &tonerDesc);
    bool isStatusApplicable(const StatusDesc &record) const;
    void ignoreStatus(quint32 bits, bool set);
    void ignoreStatusOf(const StatusDesc &record, bool set);
    quint32 ignoredBits() const { return m_ignoredBits.value(); }
    void loadIgnoredBits();
    void saveIgnoredBits();
    // A queue's supplies the user is prepared to see low, by name, for the printer followed:
    // every low one silenced, the low ones silenced or heard again, those seen above half full
    // heard again.
    bool silencesSupplies(const QList<Supply> &supplies) const;
    void ignoreSupplies(const QList<Supply> &supplies, bool set);
    void rearmSupplies(const QList<Supply> &supplies);

    // A product name made safe as part of a file name in the application directory.
    static QString productFileName(const QByteArray &product);
    // "./.cfg_(<product>)" with every whitespace character as "_".
    static QString ignoredBitsFileName(const QByteArray &product);

private:
    void logVersionBanner() const;
    void addPseudoStatuses();
    void translateStatusTable();
    // A state file ("./name") in the state directory.
    QString statePath(const QString &name) const;
    // The state file, or while the user has none yet the one an older version left in the tree.
    QString stateSource(const QString &name) const;
    // The state path of a file about to be written, its directory made; null, logged, if it
    // cannot be made.
    QString stateTarget(const QString &name, const char *who) const;
    // The active model's ignored-bits file, logged for the method; null without a printer.
    QString activeIgnoredBitsFile(const char *method, const char *failure) const;

    PrinterMap m_printers;
    quint32 m_activePrinter = kNoPrinter;
    QString m_rememberedPrinter;
    StatusParser m_statusParser;
    QString m_applicationDirectory;
    QString m_stateDirectory;
    bool m_saveStatusXml;
    bool m_useLocalStatusXml;
    IgnoredBits m_ignoredBits;
    std::unique_ptr<Translator> m_translator;
    Options m_options;
    WatchOptions m_watchOptions;
};
