#include "config/configurator.h"

#include "base/functions.h"
#include "base/wholefile.h"
#include "config/externalprograms.h"
#include "config/helplookup.h"
#include "status/helpparser.h"
#include "status/statusblock.h"
#include "status/translator.h"
#include "status/xmltext.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace {

const char kLocalStatusXml[] = "./sm.xml";
const char kConfigFile[] = "./.config";
const char kWatchFile[] = "./.watch";
// The queue the user followed last; the options file has a fixed layout and no room for it.
const char kActivePrinterFile[] = "./.active_printer";
// CUPS queue names are at most 127 bytes.
const qint64 kMaxQueueNameBytes = 1024;
const char kVersionFile[] = "./.version";
const char kIconDir[] = "../share/icons/";
const char kLogo[] = "../share/icons/logo.png";
const char kTranslationDir[] = "../share/translation/";
const char kHelpDir[] = "../share/help";
const char kSettingsTool[] = "../../TUNEX/bin/tunex";

const qint64 kMaxVersionLine = 1024;
const size_t kPipeChunk = 255;
const quint8 kFullLevel = 100;

QString versionText(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return QStringLiteral("[Can't get application version]\n");
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("[Can't open version file]\n");
    const QByteArray line = file.readLine(kMaxVersionLine);
    if (line.isEmpty())
        return QStringLiteral("[Can't read application version]\n");
    return QString::fromLocal8Bit(line);
}

QString osInfo()
{
    QByteArray text;
    if (FILE *pipe = popen("cat /etc/issue", "r")) {
        char chunk[kPipeChunk];
        size_t n = 0;
        while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0)
            text.append(chunk, qsizetype(n));
        pclose(pipe);
    }
    return text.isEmpty() ? QStringLiteral("[Not available]") : QString::fromLocal8Bit(text);
}

} // namespace

Configurator::Configurator(const QString &applicationDirectory, bool useLocalStatusXml,
                           bool saveStatusXml)
    : m_applicationDirectory(QDir::cleanPath(applicationDirectory))
    , m_saveStatusXml(saveStatusXml)
    , m_useLocalStatusXml(useLocalStatusXml)
{
    // Without it every relative path would land in the file system's root.
    if (applicationDirectory.isEmpty()) {
        m_applicationDirectory = QDir::currentPath();
        debugPrintf("Configurator: no application directory; using <%s>",
                    qPrintable(m_applicationDirectory));
    }
    m_stateDirectory = defaultStateDirectory();
    debugPrintf("Configurator: state directory <%s>", qPrintable(m_stateDirectory));
    logVersionBanner();
    addPseudoStatuses();
}

Configurator::~Configurator()
{
    debugPrintf("Configurator::~Configurator()");
    saveIgnoredBits();
    m_printers.clear();
    saveTranslation();
    m_translator.reset();
}

QString Configurator::absPath(const QString &path) const
{
    debugPrintf("Configurator::absPath(%s)", qPrintable(path));
    if (path.isNull())
        return m_applicationDirectory;
    debugPrintf("!null");
    if (path.startsWith(QLatin1String("./"))) {
        debugPrintf("startsWith");
        return m_applicationDirectory + path.mid(1);
    }
    debugPrintf("cleanDirPath");
    return QDir::cleanPath(m_applicationDirectory + QLatin1Char('/') + path);
}

QString Configurator::defaultStateDirectory()
{
    // A relative XDG_CONFIG_HOME counts as unset, as it does for the desktop's own programs.
    QString base = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    if (!base.startsWith(QLatin1Char('/')))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(base + QStringLiteral("/pellar"));
}

QString Configurator::statePath(const QString &name) const
{
    return m_stateDirectory + QLatin1Char('/') + QDir::cleanPath(name);
}

QString Configurator::stateSource(const QString &name) const
{
    const QString path = statePath(name);
    if (QFileInfo::exists(path))
        return path;
    const QString old = absPath(name);
    if (!QFileInfo::exists(old))
        return path;
    debugPrintf("Configurator: no <%s> yet; starting from <%s>", qPrintable(path), qPrintable(old));
    return old;
}

QString Configurator::stateTarget(const QString &name, const char *who) const
{
    if (!QDir().mkpath(m_stateDirectory)) {
        debugPrintf("%s: can't make the directory <%s>", who, qPrintable(m_stateDirectory));
        return QString();
    }
    return statePath(name);
}

void Configurator::logVersionBanner() const
{
    const QString version = versionText(absPath(QLatin1String(kVersionFile)));
    debugPrintf("\n=========================================================\n\t\t%s: \t%s\t\tUser "
                "ID: \t%d\n\t\tOS info: \t%s\n========================================"
                "=================\n",
                qPrintable(tr("Pellar")), qPrintable(version), int(getuid()), qPrintable(osInfo()));
}

void Configurator::addPseudoStatuses()
{
    struct Pseudo
    {
        quint32 id;
        qint32 type;
        QString string;
        QString title;
        QString desc;
        const char *help;
    };
    const QString refer = tr("Please refer to Troubleshooting Guide.");
    const Pseudo pseudos[] = {
            {kNoDeviceStatusId, StatusDesc::Error, QStringLiteral("No device for polling"),
             tr("No device for polling"), tr("Please install supported driver or port."),
             "main.htm"},
            {kUsbStatusUnavailableId, StatusDesc::Error,
             QStringLiteral("USB Printer status is not available"),
             tr("USB Printer status is not available"), refer, "usb_offline.htm"},
            {kNetworkStatusUnavailableId, StatusDesc::Error,
             QStringLiteral("Network Printer status is not available"),
             tr("Network Printer status is not available"), refer, "network_offline.htm"},
            {kPrintingCompletedId, StatusDesc::Info, QStringLiteral("Printing completed"),
             tr("Printing completed"), QString(), "main.htm"},
            {kBusyWithAnotherJobId, StatusDesc::Info,
             QStringLiteral("The printer is busy for another job"),
             tr("The printer is busy for another job"), QString(), "main.htm"},
            {kPreparingJobId, StatusDesc::Info, QStringLiteral("Please wait. Preparing print job"),
             tr("Please wait. Preparing print job"), QString(), "main.htm"},
            {kPrintingInProgressId, StatusDesc::Info, QStringLiteral("Printing in progress"),
             tr("Printing in progress"), QString(), "main.htm"},
    };
    for (const Pseudo &pseudo : pseudos) {
        StatusDesc record(pseudo.id, pseudo.type);
        record.setString(pseudo.string);
        record.setTitle(pseudo.title);
        record.setDesc(pseudo.desc.isNull() ? QLatin1String("") : pseudo.desc);
        record.setHelp(QLatin1String(pseudo.help));
        m_statusParser.addFixedStatus(record);
    }
}

void Configurator::setPrinters(const PrinterMap &printers)
{
    m_printers = printers;
}

void Configurator::setActivePrinter(quint32 id)
{
    debugPrintf("Configurator::setActivePrinter([0x%lXh])", static_cast<unsigned long>(id));
    // A silence belongs to the printer it was said for.
    if (id != m_activePrinter)
        m_ignoredBits.forgetSupplies();
    m_activePrinter = id;
}

void Configurator::rememberActivePrinter()
{
    const auto printer = printerDesc();
    const QString name = printer ? printer->softName.value(0) : QString();
    if (name.isEmpty() || name == m_rememberedPrinter)
        return;
    m_rememberedPrinter = name;
    const QString path
            = stateTarget(QLatin1String(kActivePrinterFile), "Configurator::setActivePrinter");
    if (!path.isNull())
        saveWholeFile(path, name.toUtf8(), "Configurator::setActivePrinter");
}

QString Configurator::rememberedPrinterName() const
{
    return m_rememberedPrinter;
}

std::unique_ptr<PrinterDesc> Configurator::printerDesc(quint32 id) const
{
    if (id == 0)
        id = m_activePrinter;
    if (id == kNoPrinter)
        return nullptr;
    const auto it = m_printers.constFind(qint32(id));
    if (it == m_printers.cend())
        return nullptr;
    return std::make_unique<PrinterDesc>(*it);
}

std::unique_ptr<PrinterDesc> Configurator::findPrinterByName(const QString &name) const
{
    for (const PrinterDesc &printer : m_printers) {
        if (printer.softName.contains(name))
            return std::make_unique<PrinterDesc>(printer);
    }
    return nullptr;
}

QString Configurator::activePrinterName() const
{
    const auto printer = printerDesc();
    if (!printer) {
        debugPrintf("Configurator::activePrinterName() pd is null");
        return QLatin1String("");
    }
    return printer->softName.value(0, QLatin1String(""));
}

QString Configurator::readLocalStatusXml() const
{
    const QString path = absPath(QLatin1String(kLocalStatusXml));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        debugPrintf("Cannot open file: '%s'", qPrintable(path));
        return QLatin1String("");
    }
    return decodeXmlDocument(file.readAll(), QStringConverter::Utf8);
}

void Configurator::activatePrinter()
{
    debugPrintf("Configurator::activatePrinter");
    if (const auto printer = printerDesc())
        activatePrinter(printer->statusXml);
}

void Configurator::activatePrinter(bool useLocalStatusXml)
{
    if (useLocalStatusXml)
        activatePrinter(readLocalStatusXml());
    else
        activatePrinter();
}

void Configurator::activatePrinter(const QString &statusXml)
{
    debugPrintf("Configurator::activatePrinter statusXML is %snull",
                statusXml.isEmpty() ? "" : "not ");
    const auto printer = printerDesc();
    if (m_saveStatusXml && printer) {
        const QString path
                = stateTarget(QStringLiteral("./sm(%1).xml").arg(productFileName(printer->product)),
                              "Configurator::activatePrinter");
        if (!path.isNull())
            saveWholeFile(path, statusXml.toUtf8(), "Configurator::activatePrinter");
    }

    m_statusParser.setContent(statusXml);
    m_statusParser.readErrorStatuses();

    // getHelp has logged why there is no help map.
    const QString helpMap = getHelp();
    if (!helpMap.isEmpty()) {
        QFile file(helpMap);
        HelpParser(&file).parse(m_statusParser.statusTable());
    }

    translateStatusTable();
}

void Configurator::translateStatusTable()
{
    Translator *translator = getTranslator();
    if (!translator)
        return;
    QDomElement container = translator->findOrCreatePath(
            DomParser::splitPath(QStringLiteral("root/Translation")));
    if (container.isNull())
        return;
    const QString descDefault = tr("Please refer to Troubleshooting Guide.");
    for (StatusDesc &record : m_statusParser.statusTable())
        translator->translate(record, container, QString(), descDefault);
}

QString Configurator::getHelp() const
{
    return findHelpMap(printerDesc().get(), absPath(QLatin1String(kHelpDir)),
                       absPath(QLatin1String(kTranslationDir)));
}

QString Configurator::getStatusHelp(const StatusDesc &record) const
{
    return findStatusHelp(printerDesc().get(), record, m_statusParser.statusTable(),
                          absPath(QLatin1String(kHelpDir)),
                          absPath(QLatin1String(kTranslationDir)));
}

int Configurator::runPrinterSettings(const QString &extraArguments) const
{
    return ::runPrinterSettings(printerDesc().get(), absPath(QLatin1String(kSettingsTool)),
                                extraArguments);
}

QString Configurator::translationLanguage() const
{
    const QString language = systemLanguage();
    if (!QFileInfo(absPath(QLatin1String(kTranslationDir) + language)).isDir())
        return QLatin1String(kFallbackLanguage);
    return language;
}

QString Configurator::uiTranslationFile() const
{
    const QString language = translationLanguage();
    return absPath(
            QStringLiteral("%1%2/pellar_%2.qm").arg(QLatin1String(kTranslationDir), language));
}

Translator *Configurator::getTranslator()
{
    debugPrintf("Configurator::getTranslator(): {");
    const QString locale = translationLanguage();
    const QString fileName = QStringLiteral("sm_%1.xml").arg(locale);
    const QString path = absPath(
            QStringLiteral("%1%2/%3").arg(QLatin1String(kTranslationDir), locale, fileName));
    debugPrintf("Translation file: %s", qPrintable(path));

    QFile file(path);
    if (m_translator && m_translator->fileName() == path) {
        debugPrintf("Translation source file: '%s' is found", qPrintable(path));
    } else if (m_translator) {
        debugPrintf("locale changed");
        m_translator->load(&file);
    } else {
        debugPrintf("translator is not created");
        m_translator = std::make_unique<Translator>(&file);
    }
    return m_translator.get();
}

void Configurator::saveTranslation()
{
    debugPrintf("Configurator::saveTranslation()");
    if (!m_translator || !m_translator->isModified() || m_translator->fileName().isEmpty())
        return;
    if (!m_translator->mayWriteBack()) {
        debugPrintf("Configurator::saveTranslation(): '%s' is left as it is",
                    qPrintable(m_translator->fileName()));
        return;
    }
    m_translator->save(m_translator->fileName());
}

bool Configurator::loadConfig()
{
    QFile remembered(stateSource(QLatin1String(kActivePrinterFile)));
    if (remembered.open(QIODevice::ReadOnly))
        m_rememberedPrinter = QString::fromUtf8(remembered.read(kMaxQueueNameBytes)).trimmed();
    m_watchOptions.load(QLatin1String(kWatchFile), stateSource(QLatin1String(kWatchFile)));

    const QString path = stateSource(QLatin1String(kConfigFile));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        debugPrintf("Configurator::loadConfig: failed to open <%s>", qPrintable(path));
        return false;
    }
    QDataStream stream(&file);
    stream.setVersion(QDataStream::Qt_DefaultCompiledVersion);
    stream >> m_options;
    file.close();
    debugPrintf("Configurator::loadConfig: options:%s", qPrintable(m_options.toString()));
    return true;
}

bool Configurator::saveConfig()
{
    debugPrintf("Configurator::saveConfig: options:%s", qPrintable(m_options.toString()));
    const QString path = stateTarget(QLatin1String(kConfigFile), "Configurator::saveConfig");
    if (path.isNull())
        return false;
    const FileSave result = saveWholeFile(path, streamed(m_options), "Configurator::saveConfig");
    if (result == FileSave::NotOpened)
        debugPrintf("Configurator::saveConfig: failed to open <%s>", qPrintable(path));
    const bool watchSaved = m_watchOptions.save(
            QLatin1String(kWatchFile),
            stateTarget(QLatin1String(kWatchFile), "Configurator::saveConfig"));
    return result == FileSave::Saved && watchSaved;
}

QString Configurator::printerImagePath() const
{
    const QString logo = absPath(QLatin1String(kLogo));
    const auto printer = printerDesc();
    if (!printer)
        return logo;
    const QString product = QString::fromLocal8Bit(printer->product);
    // Every picture name would contain an empty product.
    if (product.isEmpty())
        return logo;

    const QDir icons(absPath(QLatin1String(kIconDir)));
    const QStringList pictures = icons.entryList({QStringLiteral("*.png")}, QDir::Files,
                                                 QDir::Name | QDir::IgnoreCase);
    for (const QString &picture : pictures) {
        QString compared = picture;
        if (!underscoresToSpaces(compared).contains(product, Qt::CaseInsensitive))
            continue;
        // The file on disk keeps its underscores; only the comparison reads them as blanks.
        const QString path = absPath(QLatin1String(kIconDir) + picture);
        return QFileInfo::exists(path) ? path : logo;
    }
    return logo;
}

StatusDesc Configurator::getStatusDesc(quint32 id, const QString &unknownTitle,
                                       const QString &unknownDesc) const
{
    debugPrintf("Configurator::getStatusDesc(): id=%.8x", id);
    const StatusTable &table = m_statusParser.statusTable();
    auto it = table.constFind(id);
    if (it == table.cend())
        it = table.constFind(id | 0xFF);

    StatusDesc result(id, StatusDesc::Unknown);
    if (it != table.cend()) {
        result = *it;
    } else {
        result.setTitle(unknownTitle);
        result.setDesc(unknownDesc);
    }
    if (result.type() == StatusDesc::Info)
        result.setDesc(QLatin1String(""));
    return result;
}

TonerDesc Configurator::getTonerDesc(const StatusBlock &rawBlock) const
{
    debugPrintf("Configurator::getTonerDesc() 1-st byte = 0x%.2x", unsigned(rawBlock[0]));
    const TonerInfoList toners = tonerList();
    dumpTonerInfo(toners, QString());
    TonerDesc levels;
    for (const TonerInfo &toner : toners) {
        if (toner.levelByte >= StatusBlock::kPrinterBytes)
            continue;
        const quint8 level = rawBlock[toner.levelByte];
        levels.insert(toner.id, level > kFullLevel ? kUnknownLevel : level);
    }
    dumpTonerDesc(levels, QString());
    return levels;
}

void Configurator::updateIgnoredBits(const TonerDesc &tonerDesc)
{
    m_ignoredBits.rearm(tonerList(), tonerDesc);
}

bool Configurator::isStatusApplicable(const StatusDesc &record) const
{
    return !record.isLowToner() || !m_ignoredBits.silences(record.statusBlock()[3]);
}

void Configurator::ignoreStatus(quint32 bits, bool set)
{
    m_ignoredBits.ignore(bits, set);
}

void Configurator::ignoreStatusOf(const StatusDesc &record, bool set)
{
    if (record.isLowToner())
        ignoreStatus(record.statusBlock()[3], set);
}

bool Configurator::silencesSupplies(const QList<Supply> &supplies) const
{
    return m_ignoredBits.silencesSupplies(supplies);
}

void Configurator::ignoreSupplies(const QList<Supply> &supplies, bool set)
{
    m_ignoredBits.ignoreSupplies(supplies, set);
}

void Configurator::rearmSupplies(const QList<Supply> &supplies)
{
    m_ignoredBits.rearmSupplies(supplies);
}

QString Configurator::productFileName(const QByteArray &product)
{
    // A product name may come from a USB device's own strings: it must not name a path.
    QString name = QString::fromLocal8Bit(product);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.replace(QChar(u'\0'), QLatin1Char('_'));
    return name;
}

QString Configurator::ignoredBitsFileName(const QByteArray &product)
{
    return IgnoredBits::fileName(productFileName(product));
}

QString Configurator::activeIgnoredBitsFile(const char *method, const char *failure) const
{
    const auto printer = printerDesc();
    if (!printer) {
        debugPrintf("Configurator::%s(): %s", method, failure);
        return QString();
    }
    const QString name = ignoredBitsFileName(printer->product);
    debugPrintf("Configurator::%s(): model file \"%s\"", method, qPrintable(name));
    return name;
}

void Configurator::loadIgnoredBits()
{
    const QString name = activeIgnoredBitsFile("loadIgnoredBits", "Can't load ignored bits");
    if (!name.isNull())
        m_ignoredBits.load(name, stateSource(name));
}

void Configurator::saveIgnoredBits()
{
    const QString name = activeIgnoredBitsFile("saveIgnoredBits", "Can't save ignored bits");
    if (name.isNull())
        return;
    const QString path = stateTarget(name, "Configurator::saveIgnoredBits()");
    if (!path.isNull())
        m_ignoredBits.save(name, path);
}
