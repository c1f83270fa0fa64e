#pragma once

#include <QDomDocument>
#include <QDomElement>
#include <QDomNode>
#include <QString>
#include <QStringList>

class QFile;

// The XML document every reader of the program builds on: loading, saving and the small
// lookups they share. A document that fails to parse leaves the parser empty and not valid.
class DomParser
{
public:
    // Nesting deeper than this is refused: Qt's serialiser recurses once per level.
    static constexpr int kMaxDepth = 256;

    DomParser();
    explicit DomParser(const QString &text);
    explicit DomParser(QFile *file);
    virtual ~DomParser();

    DomParser(const DomParser &) = delete;
    DomParser &operator=(const DomParser &) = delete;

    virtual bool load(QFile *file);
    virtual bool setContent(const QString &text);
    virtual bool isValid() const;
    // Written as UTF-8 with its own XML declaration and no document type line.
    virtual bool save(const QString &fileName);

    QDomDocument &document() { return m_document; }
    const QDomDocument &document() const { return m_document; }
    bool isModified() const { return m_modified; }

    static QString nodeText(const QDomNode &node);
    static QString childText(const QDomNode &element, const QString &name);
    static QDomElement childNode(const QDomNode &element, const QString &name);
    static QString attribute(const QDomNode &node, const QString &name);
    static bool hasAttribute(const QDomNode &node, const QString &name);
    // "A/B/C" into its names.
    static QStringList splitPath(const QString &path);

    QDomElement findPath(const QStringList &names) const;
    // Creates only the missing end of the path; never a second document element.
    QDomElement findOrCreatePath(const QStringList &names);
    // Depth-first below node, each child tested before its own children.
    static QDomElement findByAttribute(const QDomNode &node, const QString &name,
                                       const QString &value);

    static void dumpNode(const QDomNode &node);
    void dumpDocument() const;

protected:
    void setModified(bool modified) { m_modified = modified; }

private:
    template<typename Text>
    bool parse(const Text &text, const QString &origin);

    QDomDocument m_document;
    bool m_valid = false;
    bool m_modified = false;
};
