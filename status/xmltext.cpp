#include "status/xmltext.h"

#include "base/functions.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace {

// The declaration must open the document; a longer head is not one.
const qsizetype kDeclarationHead = 256;

QByteArray declaredEncoding(const QByteArray &bytes)
{
    static const QRegularExpression declaration(QStringLiteral(
            R"(^<\?xml\s[^>]*?\bencoding\s*=\s*["']([A-Za-z][A-Za-z0-9._:-]*)["'])"));
    const QRegularExpressionMatch match
            = declaration.match(QString::fromLatin1(bytes.left(kDeclarationHead)));
    return match.hasMatch() ? match.captured(1).toLatin1() : QByteArray();
}

} // namespace

QString decodeXmlDocument(const QByteArray &bytes, QStringConverter::Encoding fallback)
{
    // A byte order mark, or UTF-16/32 text starting with '<', outranks the declaration.
    if (const auto marked = QStringConverter::encodingForData(bytes, u'<'))
        return QStringDecoder(*marked).decode(bytes);

    const QByteArray name = declaredEncoding(bytes);
    if (name.isEmpty())
        return QStringDecoder(fallback).decode(bytes);
    // The declaration has just been read one byte a character: it cannot mean UTF-16 or -32.
    const auto known = QStringConverter::encodingForName(name.constData());
    const bool wide = known && *known != QStringConverter::Utf8
            && *known != QStringConverter::Latin1 && *known != QStringConverter::System;
    QStringDecoder decoder(name.constData());
    if (wide || !decoder.isValid()) {
        debugPrintf("decodeXmlDocument: the declared encoding '%s' cannot be used; the document "
                    "is read as %s",
                    name.constData(), QStringConverter::nameForEncoding(fallback));
        return QStringDecoder(fallback).decode(bytes);
    }
    return decoder.decode(bytes);
}
