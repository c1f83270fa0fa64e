#pragma once

#include <QString>
#include <QStringList>

class PrinterDesc;

// Results of runPrinterSettings.
namespace PrinterSettings {
constexpr int kStarted = 0;
constexpr int kNoPrinter = -1;
constexpr int kNoDevice = -2;
constexpr int kCannotStart = -3;
} // namespace PrinterSettings

// The browsers tried in order when xdg-open is not on PATH or cannot start; the first that
// exists is used.
QStringList browserSearchList();
// Replaces the search list (tests); an empty list restores the built-in one.
void setBrowserSearchList(const QStringList &paths);

// The command as it would read typed into a shell, each word quoted where needed; for the log.
QString commandLineText(const QString &program, const QStringList &arguments);

// The words of a command line as a shell would split it with single quotes as its only
// quoting: blanks outside quotes separate words, quotes are removed, and nothing else (double
// quotes, backslashes, "$", "*") means anything. An unterminated quote runs to the end.
QStringList splitQuotedWords(const QString &text);

// Starts a program detached, never waited for, with exactly these arguments: no shell sees
// them, so no text taken from a printer or a file is ever run as a command. Logs nothing;
// false when the program cannot be started.
bool startProgramDetached(const QString &program, const QStringList &arguments,
                          qint64 *pid = nullptr);

// Opens the address through xdg-open, else in the first browser found, or tells the user why it
// cannot.
void StartWebBrowser(const QString &address);

// An http or https address with a host: what may be opened of a text from outside.
bool isWebAddress(const QString &address);
// Opens an address that came from a printer or its documents. Anything but a web address could
// be an option to the browser or a local file: it is only shown to the user.
void OpenWebAddress(const QString &address);

// Starts the printer-settings tool (its absolute path) for a USB printer, or opens a network
// printer's own web page. The extra arguments are the quoted words start-up passes on.
int runPrinterSettings(const PrinterDesc *printer, const QString &tool,
                       const QString &extraArguments);
