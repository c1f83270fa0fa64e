#pragma once

#include "status/ilocalizable.h"
#include "status/statusblock.h"

#include <QString>

// One described status: an entry of the status table, or the result of a lookup, which then
// may carry the raw block of the poll it describes.
class StatusDesc : public ILocalizable
{
public:
    enum Type { Unknown = 0, Info = 1, Warning = 2, PopupInfo = 3, Error = 4 };

    StatusDesc(quint32 id, qint32 type);
    StatusDesc(const StatusDesc &) = default;
    StatusDesc &operator=(const StatusDesc &) = default;
    ~StatusDesc() override;

    // "info", "warning", "popup info", "error", else "unknown".
    static const char *typeName(qint32 type);

    quint32 id() const { return m_id; }
    qint32 type() const { return m_type; }
    void setType(qint32 type) { m_type = type; }

    QString string() const override;
    QString title() const override;
    QString desc() const override;
    void setString(const QString &text) override;
    void setTitle(const QString &text) override;
    void setDesc(const QString &text) override;

    QString help() const { return m_help; }
    void setHelp(const QString &help) { m_help = help; }
    QString tagName() const { return m_tagName; }
    void setTagName(const QString &tagName) { m_tagName = tagName; }
    bool showToner() const { return m_showToner; }
    void setShowToner(bool show) { m_showToner = show; }
    bool isLowToner() const { return m_isLowToner; }
    void setLowToner(bool lowToner) { m_isLowToner = lowToner; }

    const StatusBlock &statusBlock() const { return m_statusBlock; }
    void setStatusBlock(const StatusBlock &block) { m_statusBlock = block; }
    // No printer status behind this record: bytes 0..7 of its block are zero.
    bool isEmpty() const { return m_statusBlock.isEmpty(); }

    QString toString() const;

private:
    quint32 m_id;
    qint32 m_type;
    QString m_string = QLatin1String("");
    QString m_title = QLatin1String("");
    QString m_desc = QLatin1String("");
    QString m_help = QLatin1String("");
    QString m_tagName = QLatin1String("");
    bool m_showToner = true;
    bool m_isLowToner = false;
    StatusBlock m_statusBlock;
};
