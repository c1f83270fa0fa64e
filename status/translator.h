#pragma once

#include "status/domparser.h"

#include <QHash>

class ILocalizable;

// A translation file "sm_<locale>.xml": <root><Translation> holding "message" elements, each with
// an "Id" (the source text, or the source text followed by " description") and a "Value".
// Entries missing for a record are appended with the untranslated text, so that translators
// find them in the file.
class Translator : public DomParser
{
public:
    // What one loaded file may gain. The texts come from the printers' documents and the file
    // is written back whole at exit, so a broken or hostile document must not fill it; a model
    // document has a few dozen statuses (two entries each), so this leaves room for many models.
    static constexpr int kMaxAppendedEntries = 1000;
    static constexpr qsizetype kMaxAppendedBytes = 128 * 1024;

    explicit Translator(QFile *file);

    bool load(QFile *file) override;
    bool save(const QString &fileName) override;

    QString fileName() const { return m_fileName; }
    // False when the file exists but could not be read as a translation file: writing the
    // document back would replace the translators' work by untranslated entries.
    bool mayWriteBack() const { return m_mayWriteBack; }

    void translate(ILocalizable &record, QDomElement &container, const QString &titleDefault,
                   const QString &descDefault);

private:
    void remember(QFile *file);
    void indexMessages(const QDomElement &container);
    bool mayAppend(const QString &id, const QString &value);
    void appendMessage(QDomElement &container, const QString &id, const QString &value);

    QString m_fileName;
    bool m_mayWriteBack = true;
    // Id text to the Values of its messages, in document order, for the container last
    // translated into: tables are translated whole at every activation, and a walk of the
    // container per record would be quadratic.
    struct Entry
    {
        int position;
        QString value;
    };
    QDomElement m_indexed;
    QHash<QString, QList<Entry>> m_values;
    int m_nextPosition = 0;
    int m_appendedEntries = 0;
    qsizetype m_appendedBytes = 0;
    bool m_appendRefused = false;
};
