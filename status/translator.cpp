#include "status/translator.h"

#include "base/functions.h"
#include "status/ilocalizable.h"

#include <QFile>

#include <limits>

namespace {

const QString kMessage = QStringLiteral("message");
const QString kId = QStringLiteral("Id");
const QString kValue = QStringLiteral("Value");
const QString kDescriptionSuffix = QStringLiteral(" description");
// The indented message, Id and Value lines of one entry as save() writes them, without texts.
const qsizetype kMessageMarkupBytes = 87;

} // namespace

Translator::Translator(QFile *file)
    : DomParser(file)
{
    remember(file);
}

bool Translator::load(QFile *file)
{
    // The document is replaced even when the new file cannot be read, so it must never be
    // written to the old file's name, nor count as modified.
    const bool loaded = DomParser::load(file);
    setModified(false);
    remember(file);
    return loaded;
}

void Translator::remember(QFile *file)
{
    m_indexed = QDomElement();
    m_values.clear();
    m_appendedEntries = 0;
    m_appendedBytes = 0;
    m_appendRefused = false;
    if (!file)
        return;
    m_fileName = file->fileName();
    m_mayWriteBack = isValid() || !file->exists();
    if (!m_mayWriteBack)
        debugPrintf("Translator: '%s' is unreadable; it will not be written back",
                    qPrintable(m_fileName));
}

bool Translator::save(const QString &fileName)
{
    setModified(false);
    return DomParser::save(fileName);
}

void Translator::translate(ILocalizable &record, QDomElement &container,
                           const QString &titleDefault, const QString &descDefault)
{
    if (container != m_indexed)
        indexMessages(container);
    const QString key = record.string();
    const QString descKey = key + kDescriptionSuffix;

    // Read as from the top of the file, stopping once both entries were met: of several
    // entries for one Id, the last one before that point counts.
    const QList<Entry> titles = m_values.value(key);
    const QList<Entry> descs = m_values.value(descKey);
    const int stop = titles.isEmpty() || descs.isEmpty()
            ? std::numeric_limits<int>::max()
            : qMax(titles.first().position, descs.first().position);
    const auto lastBefore = [stop](const QList<Entry> &entries) {
        const Entry *found = nullptr;
        for (const Entry &entry : entries) {
            if (entry.position <= stop)
                found = &entry;
        }
        return found;
    };
    if (const Entry *title = lastBefore(titles))
        record.setTitle(title->value);
    if (const Entry *desc = lastBefore(descs))
        record.setDesc(desc->value);

    if (descs.isEmpty())
        appendMessage(container, descKey, descDefault.isNull() ? key : descDefault);
    if (titles.isEmpty() && !key.isNull())
        appendMessage(container, key, titleDefault.isNull() ? key : titleDefault);
}

void Translator::indexMessages(const QDomElement &container)
{
    m_indexed = container;
    m_values.clear();
    m_nextPosition = 0;
    int withoutValue = 0;
    QString firstWithoutValue;
    for (QDomElement message = container.firstChildElement(kMessage); !message.isNull();
         message = message.nextSiblingElement(kMessage)) {
        const QDomElement id = childNode(message, kId);
        if (id.isNull())
            continue;
        const QDomElement value = childNode(message, kValue);
        if (value.isNull()) {
            if (withoutValue++ == 0)
                firstWithoutValue = id.text();
            continue;
        }
        m_values[id.text()].append({m_nextPosition++, value.text()});
    }
    if (withoutValue)
        debugPrintf("Translator::translate: Wrong XML format: %d message(s) without Value, the "
                    "first <%s>; they are skipped",
                    withoutValue, qPrintable(firstWithoutValue));
}

bool Translator::mayAppend(const QString &id, const QString &value)
{
    if (m_appendRefused)
        return false;
    // The text as written: UTF-8, with room for the escapes of markup characters.
    const auto written = [](const QString &text) {
        return text.toUtf8().size() + 4 * (text.count(u'&') + text.count(u'<') + text.count(u'>'));
    };
    const qsizetype bytes = kMessageMarkupBytes + written(id) + written(value);
    if (m_appendedEntries < kMaxAppendedEntries && m_appendedBytes + bytes <= kMaxAppendedBytes) {
        ++m_appendedEntries;
        m_appendedBytes += bytes;
        return true;
    }
    m_appendRefused = true;
    debugPrintf("Translator::translate: '%s' takes no more new entries (at most %d entries "
                "and %lld bytes per load); the rest are not added",
                qPrintable(m_fileName), kMaxAppendedEntries, qint64(kMaxAppendedBytes));
    return false;
}

void Translator::appendMessage(QDomElement &container, const QString &id, const QString &value)
{
    if (!mayAppend(id, value))
        return;
    QDomDocument &doc = document();
    QDomElement message = doc.createElement(kMessage);
    QDomElement idElement = doc.createElement(kId);
    idElement.appendChild(doc.createTextNode(id));
    QDomElement valueElement = doc.createElement(kValue);
    valueElement.appendChild(doc.createTextNode(value));
    message.appendChild(idElement);
    message.appendChild(valueElement);
    container.appendChild(message);
    m_values[id].append({m_nextPosition++, value});
    setModified(true);
}
