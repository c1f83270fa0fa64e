#include "status/statusdesc.h"

StatusDesc::StatusDesc(quint32 id, qint32 type)
    : m_id(id)
    , m_type(type)
{ }

StatusDesc::~StatusDesc() = default;

const char *StatusDesc::typeName(qint32 type)
{
    switch (type) {
    case Info:
        return "info";
    case Warning:
        return "warning";
    case PopupInfo:
        return "popup info";
    case Error:
        return "error";
    default:
        return "unknown";
    }
}

QString StatusDesc::string() const
{
    return m_string;
}

QString StatusDesc::title() const
{
    return m_title;
}

QString StatusDesc::desc() const
{
    return m_desc;
}

void StatusDesc::setString(const QString &text)
{
    m_string = text;
}

void StatusDesc::setTitle(const QString &text)
{
    m_title = text;
}

void StatusDesc::setDesc(const QString &text)
{
    m_desc = text;
}

QString StatusDesc::toString() const
{
    return QString::asprintf(
            "\n\tempty: %d\n\tid: 0x%.6x\n\ttype: %d(%s)\n\tstring: <%s>\n\ttitle: "
            "<%s>\n\tdesc: <%s>\n\thelp: <%s>\n\ttagName: <%s>\n\tshowToner: "
            "%d\n\tisLowToner: %d\n\tstatus: %s",
            isEmpty() ? 1 : 0, m_id, m_type, typeName(m_type), qUtf8Printable(m_string),
            qUtf8Printable(m_title), qUtf8Printable(m_desc), qUtf8Printable(m_help),
            qUtf8Printable(m_tagName), m_showToner ? 1 : 0, m_isLowToner ? 1 : 0,
            qUtf8Printable(m_statusBlock.toString()));
}
