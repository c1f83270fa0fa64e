#include "config/helplookup.h"

#include "acquisition/printerdesc.h"
#include "base/functions.h"
#include "config/configurator.h"

#include <QDir>

namespace {

const char kCommonDirectory[] = "common";
const char kHelpMap[] = "help.xml";
const char kErrorHelpPage[] = "troubleshooting.htm";
const char kOtherHelpPage[] = "start_here.htm";

QString helpDirectoryOf(const QString &translationDirectory, const QString &locale)
{
    return QDir::cleanPath(translationDirectory + QLatin1Char('/') + locale
                           + QStringLiteral("/help"));
}

void logNotRepresented(const char *method, const QString &directory)
{
    debugPrintf("%s: Error! \"Help\" folder(\"%s\") is not represented.", method,
                qPrintable(directory));
}

} // namespace

QString helpModelName(const QByteArray &product)
{
    QString model = QString::fromLocal8Bit(product);
    model.replace(QLatin1Char(' '), QLatin1Char('_'));
    return model.toLower();
}

QStringList helpSubdirectories(const QString &directory)
{
    return QDir(directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                     QDir::Name | QDir::IgnoreCase);
}

QStringList modelDirectories(const QStringList &names, const QString &model)
{
    QStringList matched;
    // An empty name is in every name: it names no family.
    if (model.isEmpty())
        return matched;
    for (const QString &name : names) {
        if (name.contains(model, Qt::CaseInsensitive))
            matched.append(name);
    }
    return matched;
}

QString findModelDirectory(const QString &directory, const QString &model)
{
    const QStringList matched = modelDirectories(helpSubdirectories(directory), model);
    QDir found(directory);
    if (matched.isEmpty() || !found.cd(matched.first()))
        return QString();
    return found.absolutePath();
}

QString findLanguageDirectory(const QString &familyDirectory, const QString &locale)
{
    QStringList languages = helpSubdirectories(familyDirectory);
    languages.removeAll(QLatin1String(kCommonDirectory));
    debugPrintf("locales all(%d): <%s>", int(languages.size()),
                qPrintable(languages.join(QStringLiteral("><"))));
    const auto startingWith = [&languages](const QString &prefix) {
        QStringList found;
        for (const QString &name : std::as_const(languages)) {
            if (name.startsWith(prefix, Qt::CaseInsensitive))
                found.append(name);
        }
        return found;
    };
    QStringList matched = startingWith(locale);
    if (matched.isEmpty())
        matched = startingWith(QLatin1String(kFallbackLanguage));
    debugPrintf("locales matched(%d):<%s>", int(matched.size()),
                qPrintable(matched.join(QStringLiteral("><"))));
    QDir found(familyDirectory);
    if (matched.isEmpty() || !found.cd(matched.first()))
        return QString();
    return found.absolutePath();
}

QString findOldLayoutHelpDirectory(const QString &translationDirectory, const QString &locale,
                                   const QString &model, const char *method)
{
    const QString english = helpDirectoryOf(translationDirectory, QLatin1String(kFallbackLanguage));
    QString directory = helpDirectoryOf(translationDirectory, locale);
    const bool localeMissing = !QDir(directory).exists();
    if (localeMissing) {
        directory = english;
        if (!QDir(directory).exists()) {
            logNotRepresented(method, directory);
            return QString();
        }
    }
    QString found = findModelDirectory(directory, model);
    if (!found.isNull())
        return found;
    if (localeMissing)
        return directory;

    if (!QDir(english).exists()) {
        logNotRepresented(method, english);
        return QString();
    }
    found = findModelDirectory(english, model);
    if (found.isNull())
        debugPrintf("%s: Error! \"Help\" folder(\"%s\") folder doesn't support model "
                    "\"%s\"(where '_' means ' ').",
                    method, qPrintable(english), qPrintable(model));
    return found;
}

QString findHelpMap(const PrinterDesc *printer, const QString &helpDirectory,
                    const QString &translationDirectory)
{
    debugPrintf("Configurator::getHelp(): {");
    if (!printer) {
        debugPrintf("Configurator::getHelp(): Error! Can't detect active device.");
        return QString();
    }
    debugPrintf("Configurator::getHelp(): printer name: %s",
                qPrintable(printer->softName.value(0)));
    const QString model = helpModelName(printer->product);

    QString directory = findModelDirectory(helpDirectory, model);
    if (!directory.isNull()) {
        debugPrintf("Help dir found (new) <%s>", qPrintable(directory));
    } else {
        directory = findOldLayoutHelpDirectory(translationDirectory, systemLanguage(), model,
                                               "Configurator::getHelp()");
        if (directory.isNull())
            return QString();
    }
    const QString helpMap = directory + QLatin1Char('/') + QLatin1String(kHelpMap);
    debugPrintf("Configurator::getHelp() returns \"%s\"", qPrintable(helpMap));
    return helpMap;
}

QString findStatusHelp(const PrinterDesc *printer, const StatusDesc &record,
                       const StatusTable &table, const QString &helpDirectory,
                       const QString &translationDirectory)
{
    debugPrintf("Configurator::getStatusHelp(): { sd: %s", qPrintable(record.toString()));
    if (!printer) {
        debugPrintf("Configurator::getStatusHelp(): Error! Can't detect active device.");
        return QString();
    }
    const QString model = helpModelName(printer->product);
    const bool networkDevice = !printer->isLocal;
    debugPrintf("product=<%s> modelName=<%s> bNetworkDevice=%d", printer->product.constData(),
                qPrintable(model), int(networkDevice));
    const QString locale = systemLanguage();
    debugPrintf("locale=<%s>", qPrintable(locale));

    QString directory;
    QString defaultPage = QLatin1String("");
    QDir help(helpDirectory);
    const QStringList models = helpSubdirectories(help.path());
    debugPrintf("models all(%d):\n\t<%s>", int(models.size()),
                qPrintable(models.join(QStringLiteral(">\n\t<"))));
    const QStringList matched = modelDirectories(models, model);
    debugPrintf("models matched(%d):\n\t<%s>", int(matched.size()),
                qPrintable(matched.join(QStringLiteral(">\n\t<"))));

    if (!matched.isEmpty() && help.cd(matched.first())) {
        debugPrintf("Help dir found (new) <%s>", qPrintable(help.absolutePath()));
        directory = findLanguageDirectory(help.absolutePath(), locale);
        if (directory.isNull()) {
            debugPrintf("Configurator::getStatusHelp(): Error! Failure to find help folder.");
            return QString();
        }
        debugPrintf("Help dir found (new) <%s>", qPrintable(directory));
        defaultPage = QLatin1String(record.type() == StatusDesc::Error ? kErrorHelpPage
                                                                       : kOtherHelpPage);
    } else {
        directory = findOldLayoutHelpDirectory(translationDirectory, locale, model,
                                               "Configurator::getStatusHelp()");
        if (directory.isNull())
            return QString();
        debugPrintf("Help dir found (old) <%s>", qPrintable(directory));
    }

    QString page = defaultPage;
    if (record.string().isEmpty() && record.id() == Configurator::kNoStatusId) {
        const QString fileName
                = table.value(networkDevice ? Configurator::kNetworkStatusUnavailableId
                                            : Configurator::kUsbStatusUnavailableId,
                              StatusDesc(0, StatusDesc::Unknown))
                          .help();
        debugPrintf("fileName=<%s>", qPrintable(fileName));
        // A help map without a default page leaves the pseudo-status without one.
        if (!fileName.isEmpty())
            page = fileName;
    } else if (!record.help().isEmpty()) {
        page = record.help();
    }
    const QString path
            = page.isEmpty() ? directory : QDir::cleanPath(directory + QLatin1Char('/') + page);
    debugPrintf("Help path <%s>", qPrintable(path));
    return path;
}

QStringList getHelpSupportedModels(const QString &applicationDirectory)
{
    debugPrintf("PrinterEnumerator::getHelpSupportedModels(): {");
    const QString locale = systemLanguage();
    debugPrintf("locale=<%s>", qPrintable(locale));

    const QDir base(applicationDirectory);
    const QString translation = base.absoluteFilePath(QStringLiteral("../share/translation"));
    QString oldDirectory = helpDirectoryOf(translation, locale);
    debugPrintf("Help directory (old): <%s>", qPrintable(oldDirectory));
    if (!QDir(oldDirectory).exists()) {
        oldDirectory = helpDirectoryOf(translation, QLatin1String(kFallbackLanguage));
        debugPrintf("Help directory (old): <%s>", qPrintable(oldDirectory));
    }
    QStringList models = helpSubdirectories(oldDirectory);
    debugPrintf("list.isEmpty()=%d", int(models.isEmpty()));

    const QString newDirectory
            = QDir::cleanPath(base.absoluteFilePath(QStringLiteral("../share/help")));
    debugPrintf("Help directory (new): <%s>", qPrintable(newDirectory));
    models += helpSubdirectories(newDirectory);

    debugPrintf("Help directories:\n\t<%s>", qPrintable(models.join(QStringLiteral(">\n\t<"))));
    for (QString &model : models)
        underscoresToSpaces(model);
    debugPrintf("PrinterEnumerator::getHelpSupportedModels(): }");
    return models;
}
