#include "status/translator.h"

#include "app/functions.h"
#include "status/ilocalizable.h"

#include <QFile>

namespace {

const QString kMessage = QStringLiteral("message");
const QString kId = QStringLiteral("Id");
const QString kValue = QStringLiteral("Value");
const QString kDescriptionSuffix = QStringLiteral(" description");

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
    const QString key = record.string();
    const QString descKey = key + kDescriptionSuffix;
    bool titleFound = false;
    bool descFound = false;

    for (QDomElement message = container.firstChildElement(); !message.isNull();
         message = message.nextSiblingElement()) {
        if (titleFound && descFound)
            break;
        if (message.tagName() != kMessage)
            continue;
        const QDomElement id = childNode(message, kId);
        if (id.isNull())
            continue;
        const QString idText = id.text();
        const bool isTitle = idText == key;
        if (!isTitle && idText != descKey)
            continue;
        const QDomElement value = childNode(message, kValue);
        if (value.isNull()) {
            debugPrintf("Translator::translate: Wrong XML format: message <%s> has no Value",
                        qPrintable(idText));
            continue;
        }
        if (isTitle) {
            record.setTitle(value.text());
            titleFound = true;
        } else {
            record.setDesc(value.text());
            descFound = true;
        }
    }

    if (!descFound)
        appendMessage(container, descKey, descDefault.isNull() ? key : descDefault);
    if (!titleFound && !key.isNull())
        appendMessage(container, key, titleDefault.isNull() ? key : titleDefault);
}

void Translator::appendMessage(QDomElement &container, const QString &id, const QString &value)
{
    QDomDocument &doc = document();
    QDomElement message = doc.createElement(kMessage);
    QDomElement idElement = doc.createElement(kId);
    idElement.appendChild(doc.createTextNode(id));
    QDomElement valueElement = doc.createElement(kValue);
    valueElement.appendChild(doc.createTextNode(value));
    message.appendChild(idElement);
    message.appendChild(valueElement);
    container.appendChild(message);
    setModified(true);
}
