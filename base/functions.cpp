#include "base/functions.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QThread>
#include <QTime>

#include <atomic>

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <unistd.h>

namespace {

std::atomic<bool> g_logEnabled{true};

} // namespace

bool isLogEnabled()
{
    return g_logEnabled.load(std::memory_order_relaxed);
}

void setLogEnabled(bool enabled)
{
    g_logEnabled.store(enabled, std::memory_order_relaxed);
}

void debugLine(const char *format, ...)
{
    char text[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);

    const QByteArray time
            = QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")).toLatin1();
    const auto thread = reinterpret_cast<unsigned long>(QThread::currentThread());
    qDebug("%s[%lx]> %s", time.constData(), thread, text);
}

QByteArray toHexString(const unsigned char *bytes, int length)
{
    QByteArray hex;
    if (!bytes || length <= 0)
        return hex;
    hex.reserve(length * 2);
    static const char digits[] = "0123456789abcdef";
    for (int i = 0; i < length; ++i) {
        hex.append(digits[bytes[i] >> 4]);
        hex.append(digits[bytes[i] & 0x0f]);
    }
    return hex;
}

bool readBigEndianField(unsigned int *out, const unsigned char *bytes, int length, int from, int to)
{
    if (!out || !bytes || from < 0 || from >= length)
        return false;
    if (to == -1)
        to = from + 4;
    else if (to < from)
        return false;
    if (to > from + 4)
        to = from + 4;
    if (to > length)
        to = length;

    unsigned int value = 0;
    for (int i = from; i < to; ++i)
        value = (value << 8) | bytes[i];
    *out = value;
    return true;
}

namespace {

QMutex g_localeMutex;
QByteArray g_localeName;
bool g_localeLoaded = false;

void loadSystemLocaleLocked()
{
    const char *name = setlocale(LC_CTYPE, "");
    debugPrintf("::GetSystemLocale: setlocale: ret=<%s>", name ? name : "(null)");
    g_localeName = name ? QByteArray(name) : QByteArray();
    g_localeLoaded = true;
}

QByteArray systemLocaleName()
{
    QMutexLocker lock(&g_localeMutex);
    // A program that never called loadSystemLocale (a test) loads it here, once.
    if (!g_localeLoaded)
        loadSystemLocaleLocked();
    return g_localeName;
}

} // namespace

void loadSystemLocale()
{
    QMutexLocker lock(&g_localeMutex);
    loadSystemLocaleLocked();
}

QString GetSystemLocale()
{
    const QByteArray name = systemLocaleName();
    if (name.isNull())
        return QString();
    return QString::fromLocal8Bit(name).left(2);
}

QString systemLanguage()
{
    const QByteArray name = systemLocaleName();
    // The portable locales are the program's own untranslated texts; their first letters
    // ("C", "PO") would match a folder of another language.
    static const QRegularExpression portable(QStringLiteral("^(C|POSIX)([.@].*)?$"));
    if (portable.match(QString::fromLatin1(name)).hasMatch())
        return QLatin1String(kFallbackLanguage);
    const QString code = QString::fromLocal8Bit(name).left(2);
    return isUsableLocale(code) ? code : QLatin1String(kFallbackLanguage);
}

bool isUsableLocale(const QString &locale)
{
    if (locale.isEmpty())
        return false;
    for (const QChar c : locale) {
        if (!c.isLetter())
            return false;
    }
    return true;
}

QString &underscoresToSpaces(QString &text)
{
    const qsizetype length = text.length();
    for (qsizetype i = 0; i < length; ++i) {
        if (text.at(i) != QLatin1Char('_'))
            continue;
        const bool betweenDigits
                = i >= 1 && i <= length - 2 && text.at(i - 1).isDigit() && text.at(i + 1).isDigit();
        if (!betweenDigits)
            text[i] = QLatin1Char(' ');
    }
    return text;
}

QString shellQuoted(const QString &word)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_@%+=:,./-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    QString quoted = word;
    quoted.replace(QLatin1String("'"), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

namespace {

const int kMaxLinkResolutions = 128;

QString readLink(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    QByteArray target(4096, '\0');
    const ssize_t n = ::readlink(encoded.constData(), target.data(), target.size());
    if (n < 0)
        return QString();
    target.truncate(n);
    return QFile::decodeName(target);
}

// Replaces every prefix of an absolute path that is a symbolic link by the link's target,
// over and over, until no prefix is a link. A chain deeper than 128 links gives a null string.
QString resolveSymbolicLinks(QString path)
{
    int resolutions = 0;
    bool changed = true;
    while (changed) {
        changed = false;
        const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        QString prefix;
        for (qsizetype i = 0; i < parts.size(); ++i) {
            prefix += QLatin1Char('/') + parts.at(i);
            const QFileInfo info(prefix);
            if (!info.isSymLink())
                continue;
            if (++resolutions > kMaxLinkResolutions)
                return QString();
            QString target = readLink(prefix);
            if (target.isEmpty())
                return QString();
            if (!target.startsWith(QLatin1Char('/')))
                target = QFileInfo(prefix).path() + QLatin1Char('/') + target;
            const QString rest = parts.mid(i + 1).join(QLatin1Char('/'));
            path = QDir::cleanPath(rest.isEmpty() ? target : target + QLatin1Char('/') + rest);
            changed = true;
            break;
        }
    }
    return path;
}

} // namespace

QString applicationDirectory(const QString &firstWord)
{
    QString path;
    if (firstWord.startsWith(QLatin1Char('/'))) {
        path = firstWord;
    } else if (firstWord.contains(QLatin1Char('/'))) {
        path = QDir::current().absoluteFilePath(firstWord);
    } else {
        const QStringList dirs = QString::fromLocal8Bit(qgetenv("PATH"))
                                         .split(QLatin1Char(':'), Qt::SkipEmptyParts);
        for (const QString &dir : dirs) {
            const QString candidate
                    = QDir::current().absoluteFilePath(dir + QLatin1Char('/') + firstWord);
            if (QFileInfo(candidate).isFile()) {
                path = candidate;
                break;
            }
        }
    }
    path = QDir::cleanPath(path);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return QString();
    const QString resolved = resolveSymbolicLinks(path);
    if (resolved.isEmpty())
        return QString();
    return QFileInfo(resolved).path();
}
