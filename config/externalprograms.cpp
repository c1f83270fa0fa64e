#include "config/externalprograms.h"

#include "acquisition/printerdesc.h"
#include "base/functions.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

namespace {

QMutex g_browsersMutex;
QStringList g_browsers;

QStringList defaultBrowsers()
{
    return {QStringLiteral("/usr/bin/firefox"),        QStringLiteral("/usr/bin/mozilla"),
            QStringLiteral("/usr/bin/konqueror"),      QStringLiteral("/opt/kde3/bin/konqueror"),
            QStringLiteral("/usr/bin/galeon"),         QStringLiteral("/usr/bin/opera"),
            QStringLiteral("/usr/bin/netscape"),       QStringLiteral("/usr/bin/epiphany"),
            QStringLiteral("/usr/bin/mozilla-firefox")};
}

} // namespace

QStringList browserSearchList()
{
    QMutexLocker lock(&g_browsersMutex);
    return g_browsers.isEmpty() ? defaultBrowsers() : g_browsers;
}

void setBrowserSearchList(const QStringList &paths)
{
    QMutexLocker lock(&g_browsersMutex);
    g_browsers = paths;
}

QString commandLineText(const QString &program, const QStringList &arguments)
{
    QStringList words{shellQuoted(program)};
    for (const QString &argument : arguments)
        words.append(shellQuoted(argument));
    return words.join(QLatin1Char(' '));
}

QStringList splitQuotedWords(const QString &text)
{
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted
                   && (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n'))) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else {
            word.append(c);
            inWord = true;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

bool startProgramDetached(const QString &program, const QStringList &arguments, qint64 *pid)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    // Detached programs must not read the terminal we were started from.
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached(pid);
}

namespace {

// Shown from the tray menu, the box may be the only window: closing it must not end Pellar.
void warn(const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, caption, text);
    // The text quotes addresses from outside: shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setAttribute(Qt::WA_QuitOnClose, false);
    box.exec();
}

} // namespace

void StartWebBrowser(const QString &address)
{
    // The desktop's own choice of browser first; the fixed list only where there is none.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty()) {
        debugPrintf("StartWebBrowser command : \"%s &\"",
                    qPrintable(commandLineText(opener, {address})));
        if (startProgramDetached(opener, {address}))
            return;
        debugPrintf("StartWebBrowser: can't start %s; trying the browsers", qPrintable(opener));
    }
    QString browser;
    for (const QString &path : browserSearchList()) {
        if (QFileInfo::exists(path)) {
            browser = path;
            break;
        }
    }
    if (browser.isEmpty()) {
        warn(QCoreApplication::translate("ExternalPrograms", "Warning"),
             QCoreApplication::translate("ExternalPrograms",
                                         "Web browser not found.\nUse that address:\n%1")
                     .arg(address));
        return;
    }
    const QByteArray command
            = (commandLineText(browser, {address}) + QStringLiteral(" &")).toLocal8Bit();
    debugPrintf("StartWebBrowser command : \"%s\"", command.constData());
    if (!startProgramDetached(browser, {address})) {
        qWarning("Unable to execute command %s", command.constData());
        warn(QCoreApplication::translate("ExternalPrograms", "About"),
             QCoreApplication::translate("ExternalPrograms", "Error starting %1").arg(browser));
    }
}

bool isWebAddress(const QString &address)
{
    // The scheme is checked on the text itself: the browser gets the text, not the parsed URL.
    if (!address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        && !address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return false;
    const QUrl url(address);
    return url.isValid() && !url.host().isEmpty();
}

void OpenWebAddress(const QString &address)
{
    if (isWebAddress(address))
        return StartWebBrowser(address);
    debugPrintf("OpenWebAddress: \"%s\" is not a web address; it is not opened",
                qPrintable(address));
    warn(QCoreApplication::translate("ExternalPrograms", "Warning"),
         QCoreApplication::translate("ExternalPrograms",
                                     "This is not a web address, so it was not opened.\nUse "
                                     "that address:\n%1")
                 .arg(address));
}

int runPrinterSettings(const PrinterDesc *printer, const QString &tool,
                       const QString &extraArguments)
{
    if (!printer) {
        debugPrintf("can't get printer description");
        return PrinterSettings::kNoPrinter;
    }
    if (printer->isLocal) {
        if (printer->devPath.isEmpty()) {
            debugPrintf("Unable to run tunex");
            return PrinterSettings::kNoDevice;
        }
        // Device path and product come from the printer: they reach the tool as they are, as
        // single arguments, and no shell ever reads them.
        const QStringList arguments
                = QStringList{printer->devPath, QString::fromLocal8Bit(printer->product)}
                + splitQuotedWords(extraArguments);
        debugPrintf("Configurator::runPrinterSettings(): %s &",
                    qPrintable(commandLineText(tool, arguments)));
        if (!startProgramDetached(tool, arguments)) {
            debugPrintf("Unable to run tunex");
            return PrinterSettings::kCannotStart;
        }
        return PrinterSettings::kStarted;
    }
    // Four parts of one to three digits, not a piece of a longer run of digits and dots.
    static const QRegularExpression address(
            QStringLiteral("(?<![\\d.])(\\d{1,3}(?:\\.\\d{1,3}){3})(?![\\d.])"));
    const QRegularExpressionMatch match = address.match(printer->devPath);
    if (!match.hasMatch()) {
        debugPrintf("can't obtain ip address for network device");
        return PrinterSettings::kNoPrinter;
    }
    OpenWebAddress(QStringLiteral("http://%1").arg(match.captured(1)));
    return PrinterSettings::kStarted;
}
