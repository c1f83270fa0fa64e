#pragma once

#include <QStringList>

// Process-wide values that start-up sets and the rest of the program reads (GUI thread only).
class AppSettings
{
public:
    // Every command-line word, the program name included, in order.
    static QStringList &words();
    // A switch word counts only as a whole word.
    static bool hasWord(const QString &word);
};

// True when the tray icon found a system tray to dock into.
extern bool trayAvailable;

// The words after the program name, each wrapped in single quotes, for the printer-settings tool.
QStringList quotedArgumentList(const QStringList &words);
