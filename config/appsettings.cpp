#include "config/appsettings.h"

bool trayAvailable = false;

QStringList &AppSettings::words()
{
    static QStringList list;
    return list;
}

bool AppSettings::hasWord(const QString &word)
{
    return words().contains(word);
}

QStringList quotedArgumentList(const QStringList &words)
{
    QStringList quoted;
    for (qsizetype i = 1; i < words.size(); ++i)
        quoted.append(QLatin1Char('\'') + words.at(i) + QLatin1Char('\''));
    return quoted;
}
