#pragma once

// The diagnostic log and the plain utilities every folder may use: no widget or image class
// comes in through here.

#include <QByteArray>
#include <QString>

// One diagnostic log line: "hh:mm:ss.zzz[thread]> text", handed to qDebug.
// Safe from any thread; the text is cut at 2047 bytes.
void debugLine(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Whether log lines are wanted at all (by default they are). Without the log, a line costs a
// flag's load: neither its text nor its arguments are made, which matters for a program that
// polls a printer every second all day.
bool isLogEnabled();
void setLogEnabled(bool enabled);

#define debugPrintf(...) (isLogEnabled() ? debugLine(__VA_ARGS__) : void())

// Two lowercase hex digits per byte, no separators.
QByteArray toHexString(const unsigned char *bytes, int length);

// Reads bytes [from, to) as one big-endian number of at most four bytes; to == -1 means from + 4.
bool readBigEndianField(unsigned int *out, const unsigned char *bytes, int length, int from,
                        int to = -1);

// Sets the character-type locale from the environment and keeps its name for GetSystemLocale.
// setlocale frees the name it returned before, so only main, before any thread starts, and
// tests, with no other thread running, call this.
void loadSystemLocale();

// The first two characters of the character-type locale's name, as loaded once; empty when the
// environment names a locale the machine lacks. Safe from any thread.
QString GetSystemLocale();

// The language wherever the locale's own has no files.
inline constexpr char kFallbackLanguage[] = "en";

// The two-letter language by which translation and help files are chosen: the locale's own;
// English for the C and POSIX locales and for a name that gives no usable code.
QString systemLanguage();

// Letters only: nothing that could lead out of the directory it names a part of.
bool isUsableLocale(const QString &locale);

// Every underscore becomes a blank, except one standing between two digits.
QString &underscoresToSpaces(QString &text);

// The word as a shell must read it: quoted unless it is plain.
QString shellQuoted(const QString &word);

// The directory of the running executable, found from the first command-line word
// (PATH search, symbolic links resolved); null when the executable cannot be found.
QString applicationDirectory(const QString &firstWord);
