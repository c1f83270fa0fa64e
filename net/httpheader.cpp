#include "net/httpheader.h"

namespace {

const QString kContentLength = QStringLiteral("content-length");
const QString kContentType = QStringLiteral("content-type");

// "HTTP/1.1" at `from`: major * 10 + minor, or -1.
int parseVersion(const QString &text, int from)
{
    if (text.size() < from + 8 || text.mid(from, 5) != QLatin1String("HTTP/")
        || !text.at(from + 5).isDigit() || text.at(from + 6) != QLatin1Char('.')
        || !text.at(from + 7).isDigit())
        return -1;
    return 10 * text.at(from + 5).digitValue() + text.at(from + 7).digitValue();
}

QString versionText(int version)
{
    return QStringLiteral("HTTP/%1.%2").arg(version / 10).arg(version % 10);
}

} // namespace

QString HttpHeader::toString() const
{
    QString text;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        text += it.key() + QLatin1String(": ") + it.value() + QLatin1String("\r\n");
    return text;
}

void HttpHeader::setValue(const QString &key, const QString &value)
{
    values.insert(key.toLower(), value);
}

QString HttpHeader::value(const QString &key) const
{
    return values.value(key.toLower());
}

bool HttpHeader::hasKey(const QString &key) const
{
    return values.contains(key.toLower());
}

QStringList HttpHeader::keys() const
{
    return values.keys();
}

void HttpHeader::removeValue(const QString &key)
{
    values.remove(key.toLower());
}

uint HttpHeader::contentLength() const
{
    bool ok = false;
    const uint length = values.value(kContentLength).toUInt(&ok);
    return ok ? length : 0;
}

void HttpHeader::setContentLength(int length)
{
    values.insert(kContentLength, QString::number(length));
}

QString HttpHeader::contentType() const
{
    const QString type = values.value(kContentType);
    if (type.isEmpty())
        return QString();
    const qsizetype semicolon = type.indexOf(QLatin1Char(';'));
    return semicolon < 0 ? type : type.left(semicolon).trimmed();
}

void HttpHeader::setContentType(const QString &type)
{
    values.insert(kContentType, type);
}

bool HttpHeader::parse(const QString &text)
{
    const QStringList pieces = text.trimmed().split(QLatin1String("\r\n"), Qt::SkipEmptyParts);
    QStringList lines;
    for (const QString &piece : pieces) {
        if (!piece.at(0).isSpace())
            lines.append(piece);
        else if (lines.isEmpty())
            qWarning("Invalid line: '%s'", qPrintable(piece));
        else
            lines.last() += QLatin1Char(' ') + piece.trimmed();
    }
    for (int number = 0; number < lines.size(); ++number) {
        if (!parseLine(lines.at(number), number)) {
            qWarning("Invalid line: '%s'", qPrintable(lines.at(number)));
            valid = false;
            return false;
        }
    }
    return true;
}

bool HttpHeader::parseLine(const QString &line, int)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return false;
    values.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    return true;
}

HttpRequestHeader::HttpRequestHeader(const QString &method, const QString &path, int version)
    : m_method(method)
    , m_path(path)
    , m_version(version)
{ }

HttpRequestHeader::HttpRequestHeader(const QString &text)
{
    parse(text);
}

void HttpRequestHeader::setRequest(const QString &method, const QString &path, int version)
{
    setValid(true);
    m_method = method;
    m_path = path;
    m_version = version;
}

QString HttpRequestHeader::toString() const
{
    return QStringLiteral("%1 %2").arg(m_method, m_path)
            + QStringLiteral(" %1\r\n%2\r\n").arg(versionText(m_version), HttpHeader::toString());
}

bool HttpRequestHeader::parseLine(const QString &line, int number)
{
    if (number != 0)
        return HttpHeader::parseLine(line, number);
    const QStringList fields = line.simplified().split(QLatin1Char(' '));
    if (fields.size() < 3)
        return false;
    const int version = parseVersion(fields.at(2), 0);
    if (version < 0)
        return false;
    m_method = fields.at(0);
    m_path = fields.at(1);
    m_version = version;
    return true;
}

HttpReplyHeader::HttpReplyHeader(int statusCode, const QString &reasonPhrase, int version)
    : m_statusCode(statusCode)
    , m_reasonPhrase(reasonPhrase)
    , m_version(version)
{ }

HttpReplyHeader::HttpReplyHeader(const QString &text)
{
    parse(text);
}

QString HttpReplyHeader::toString() const
{
    return QStringLiteral("%1 %2 %3\r\n%4\r\n")
            .arg(versionText(m_version), QString::number(m_statusCode), m_reasonPhrase,
                 HttpHeader::toString());
}

bool HttpReplyHeader::parseLine(const QString &line, int number)
{
    if (number != 0)
        return HttpHeader::parseLine(line, number);
    const QString simple = line.simplified();
    const int version = parseVersion(simple, 0);
    if (simple.size() < 10 || version < 0 || simple.at(8) != QLatin1Char(' ')
        || !simple.at(9).isDigit())
        return false;
    m_version = version;
    const qsizetype space = simple.indexOf(QLatin1Char(' '), 9);
    if (space >= 0) {
        m_statusCode = simple.mid(9, space - 9).toInt();
        m_reasonPhrase = simple.mid(space + 1);
    } else {
        m_statusCode = simple.mid(9).toInt();
        m_reasonPhrase = QString();
    }
    return true;
}
