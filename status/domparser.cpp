#include "status/domparser.h"

#include "base/functions.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <QXmlStreamReader>

namespace {

const char kDocumentTypeName[] = "doc";
const int kIndent = 4;

// Walks every node below root in document order (each node before its children) without
// recursion; visit returns true to stop.
template<typename Visit>
void walkBelow(const QDomNode &root, Visit visit)
{
    QDomNode current = root.firstChild();
    int depth = 1;
    while (!current.isNull()) {
        if (visit(current, depth))
            return;
        if (current.hasChildNodes()) {
            current = current.firstChild();
            ++depth;
            continue;
        }
        while (!current.isNull() && current.nextSibling().isNull()) {
            current = current.parentNode();
            --depth;
            if (current == root)
                return;
        }
        if (!current.isNull())
            current = current.nextSibling();
    }
}

// Deepest element nesting, read with the streaming reader before the document is built.
int streamedDepth(QXmlStreamReader &reader)
{
    int depth = 0;
    int deepest = 0;
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            deepest = qMax(deepest, ++depth);
            if (deepest > DomParser::kMaxDepth)
                break;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return deepest;
}

// The same by a plain scan, many times faster than the reader. It is exact for the well-formed
// beginning of a text, which is all that is ever built; -1 with a document type, whose entities
// may expand to elements.
int scannedDepth(QStringView text)
{
    const qsizetype size = text.size();
    int depth = 0;
    int deepest = 0;
    qsizetype i = 0;
    const auto skipPast = [&](qsizetype from, QStringView end) {
        const qsizetype at = text.indexOf(end, from);
        return at < 0 ? size : at + end.size();
    };
    while ((i = text.indexOf(u'<', i)) >= 0) {
        const QStringView rest = text.mid(i);
        if (rest.startsWith(u"<!--")) {
            i = skipPast(i + 4, u"-->");
        } else if (rest.startsWith(u"<![CDATA[")) {
            i = skipPast(i + 9, u"]]>");
        } else if (rest.startsWith(u"<?")) {
            i = skipPast(i + 2, u"?>");
        } else if (rest.startsWith(u"<!")) {
            return -1;
        } else if (rest.startsWith(u"</")) {
            --depth;
            i += 2;
        } else {
            // A start tag; its attribute values may hold '>' and "/>".
            QChar quote;
            for (++i; i < size; ++i) {
                const QChar c = text[i];
                if (!quote.isNull()) {
                    if (c == quote)
                        quote = QChar();
                } else if (c == u'"' || c == u'\'') {
                    quote = c;
                } else if (c == u'>') {
                    break;
                }
            }
            if (i < size && text[i - 1] != u'/')
                deepest = qMax(deepest, ++depth);
        }
    }
    return deepest;
}

int nestingDepth(const QString &text)
{
    const int scanned = scannedDepth(text);
    if (scanned >= 0 && scanned <= DomParser::kMaxDepth)
        return scanned;
    QXmlStreamReader reader(text);
    return streamedDepth(reader);
}

// Bytes may be in any encoding: only the reader knows where the tags are.
int nestingDepth(const QByteArray &bytes)
{
    QXmlStreamReader reader(bytes);
    return streamedDepth(reader);
}

} // namespace

DomParser::DomParser()
    : m_document(QString::fromLatin1(kDocumentTypeName))
{ }

DomParser::DomParser(const QString &text)
    : DomParser()
{
    setContent(text);
}

DomParser::DomParser(QFile *file)
    : DomParser()
{
    load(file);
}

DomParser::~DomParser() = default;

template<typename Text>
bool DomParser::parse(const Text &text, const QString &origin)
{
    const int depth = nestingDepth(text);
    QString error;
    int line = 0;
    int column = 0;
    if (depth > kMaxDepth) {
        debugPrintf("DomParser: %s nests elements deeper than %d levels", qPrintable(origin),
                    kMaxDepth);
        m_valid = false;
    } else {
        m_valid = m_document.setContent(text, false, &error, &line, &column);
        if (!m_valid)
            debugPrintf("DomParser: %s is not well-formed: %s (line %d, column %d)",
                        qPrintable(origin), qPrintable(error), line, column);
    }
    // A failed parse can leave a partial tree behind; the readers expect nothing at all.
    if (!m_valid)
        m_document = QDomDocument(QString::fromLatin1(kDocumentTypeName));
    return m_valid;
}

bool DomParser::load(QFile *file)
{
    if (!file)
        return false;
    if (!file->open(QIODevice::ReadOnly)) {
        debugPrintf("Cannot open file: '%s'", qPrintable(file->fileName()));
        m_valid = false;
        m_document = QDomDocument(QString::fromLatin1(kDocumentTypeName));
        return false;
    }
    const QByteArray bytes = file->readAll();
    file->close();
    return parse(bytes, QStringLiteral("'%1'").arg(file->fileName()));
}

bool DomParser::setContent(const QString &text)
{
    return parse(text, QStringLiteral("text"));
}

bool DomParser::isValid() const
{
    return m_valid;
}

bool DomParser::save(const QString &fileName)
{
    QSaveFile file(fileName);
    // Where only the file itself is writable, write it in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        debugPrintf("DomParser::save: Can't open '%s' for writing", qPrintable(fileName));
        return false;
    }
    // A copy without the document type line and the old declaration: the stream writes its own
    // declaration, which then always names the encoding actually written.
    QDomDocument written;
    for (QDomNode node = m_document.firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (node.isDocumentType())
            continue;
        if (node.isProcessingInstruction() && node.nodeName() == QLatin1String("xml"))
            continue;
        written.appendChild(written.importNode(node, true));
    }
    QTextStream out(&file);
    out.setEncoding(QStringConverter::Utf8);
    written.save(out, kIndent, QDomNode::EncodingFromTextStream);
    out.flush();
    if (!file.commit()) {
        debugPrintf("DomParser::save: Can't write '%s'", qPrintable(fileName));
        return false;
    }
    return true;
}

QString DomParser::nodeText(const QDomNode &node)
{
    if (node.isElement())
        return node.toElement().text();
    return node.nodeValue();
}

QString DomParser::childText(const QDomNode &element, const QString &name)
{
    const QDomElement child = childNode(element, name);
    return child.isNull() ? QString() : child.text();
}

QDomElement DomParser::childNode(const QDomNode &element, const QString &name)
{
    return element.firstChildElement(name);
}

QString DomParser::attribute(const QDomNode &node, const QString &name)
{
    return node.toElement().attribute(name, QLatin1String(""));
}

bool DomParser::hasAttribute(const QDomNode &node, const QString &name)
{
    return node.isElement() && node.toElement().hasAttribute(name);
}

QStringList DomParser::splitPath(const QString &path)
{
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

QDomElement DomParser::findPath(const QStringList &names) const
{
    QDomNode node = m_document;
    for (const QString &name : names) {
        node = node.firstChildElement(name);
        if (node.isNull())
            return QDomElement();
    }
    return node.toElement();
}

QDomElement DomParser::findOrCreatePath(const QStringList &names)
{
    if (names.isEmpty())
        return QDomElement();
    QDomElement found = findPath(names);
    if (!found.isNull())
        return found;
    debugPrintf("need to create path!");

    QDomNode node = m_document;
    qsizetype existing = 0;
    for (; existing < names.size(); ++existing) {
        const QDomElement next = node.firstChildElement(names.at(existing));
        if (next.isNull())
            break;
        node = next;
    }
    // A second top-level element would make the file unreadable the next time.
    if (existing == 0 && !m_document.documentElement().isNull()) {
        debugPrintf("DomParser::findOrCreatePath: the document element is <%s>, not <%s>",
                    qPrintable(m_document.documentElement().tagName()), qPrintable(names.first()));
        return QDomElement();
    }
    for (qsizetype i = existing; i < names.size(); ++i)
        node = node.appendChild(m_document.createElement(names.at(i)));
    return node.toElement();
}

QDomElement DomParser::findByAttribute(const QDomNode &node, const QString &name,
                                       const QString &value)
{
    QDomElement found;
    walkBelow(node, [&](const QDomNode &current, int) {
        const QDomElement element = current.toElement();
        if (!element.isNull() && element.hasAttribute(name) && element.attribute(name) == value) {
            found = element;
            return true;
        }
        return false;
    });
    return found;
}

void DomParser::dumpNode(const QDomNode &node)
{
    const auto dumpOne = [](const QDomNode &current, int depth) {
        const QByteArray indent(depth, '\t');
        if (current.isElement()) {
            const QDomElement element = current.toElement();
            debugPrintf("%s<%s>", indent.constData(), qPrintable(element.tagName()));
            const QDomNamedNodeMap attributes = element.attributes();
            for (int i = 0; i < attributes.count(); ++i) {
                const QDomNode attribute = attributes.item(i);
                debugPrintf("%s  %s=\"%s\"", indent.constData(), qPrintable(attribute.nodeName()),
                            qPrintable(attribute.nodeValue()));
            }
        } else if (current.isText() || current.isCDATASection()) {
            debugPrintf("%s\"%s\"", indent.constData(), qPrintable(current.nodeValue()));
        }
        return false;
    };
    dumpOne(node, 0);
    walkBelow(node, dumpOne);
}

void DomParser::dumpDocument() const
{
    debugPrintf("DomParser::dumpDocument: valid=%d {", m_valid ? 1 : 0);
    dumpNode(m_document);
    debugPrintf("DomParser::dumpDocument: }");
}
