#pragma once

#include "status/domparser.h"

class ILocalizable;

// A translation file "sm_<locale>.xml": <root><Translation> holding "message" elements, each with
// an "Id" (the source text, or the source text followed by " description") and a "Value".
// Entries missing for a record are appended with the untranslated text, so that translators
// find them in the file.
class Translator : public DomParser
{
public:
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
    void appendMessage(QDomElement &container, const QString &id, const QString &value);

    QString m_fileName;
    bool m_mayWriteBack = true;
};
