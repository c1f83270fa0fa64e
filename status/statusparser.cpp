#include "status/statusparser.h"

#include "base/functions.h"

namespace {

const QString kDefaultMask = QStringLiteral("[00][FF][FF][FF][00][00][00][00]");
const QString kDefaultSeparator = QStringLiteral(",");

bool isFlag(const QString &value, const char *flag)
{
    return value.compare(QLatin1String(flag), Qt::CaseInsensitive) == 0;
}

// A boolean attribute that differs from its default only for the one opposite word.
bool flagAttribute(const QDomElement &element, const QString &name, bool defaultValue)
{
    if (!element.hasAttribute(name))
        return defaultValue;
    return defaultValue ? !isFlag(element.attribute(name), "false")
                        : isFlag(element.attribute(name), "true");
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

StatusParser::StatusParser() = default;

StatusParser::~StatusParser() = default;

TonerInfoList StatusParser::defaultToners()
{
    const auto toner = [](const char *id, const char *title, const char *colors, quint8 levelByte,
                          quint8 lowBit) {
        TonerInfo info;
        info.id = QLatin1String(id);
        info.title = QLatin1String(title);
        info.barColors = QLatin1String(colors);
        info.levelByte = levelByte;
        info.lowBit = lowBit;
        return info;
    };
    return {
            toner("TonerK", "Black", "000000", 4, 8),
            toner("TonerC", "Cyan", "00FFFF", 5, 4),
            toner("TonerM", "Magenta", "FF00FF", 6, 2),
            toner("TonerY", "Yellow", "FFFF00", 7, 1),
            toner("InkK", "Black", "000000", 4, 8),
            toner("InkColor", "Color", "00FFFF,FF00FF,FFFF00", 5, 4),
            toner("InkPhoto", "Photo", "00FFFF,FF00FF", 6, 2),
    };
}

bool StatusParser::load(QFile *file)
{
    m_parsedText = QString();
    return DomParser::load(file);
}

bool StatusParser::setContent(const QString &text)
{
    if (isValid() && !m_parsedText.isNull() && text == m_parsedText)
        return true;
    const bool parsed = DomParser::setContent(text);
    m_parsedText = parsed ? text : QString();
    return parsed;
}

std::array<quint8, 8> StatusParser::parseStatusBytes(const QString &text)
{
    QString digits = text.trimmed();
    digits.remove(QLatin1Char('['));
    digits.remove(QLatin1Char(']'));
    std::array<quint8, 8> bytes{};
    for (int i = 0; i < int(bytes.size()); ++i) {
        const qsizetype at = qsizetype(i) * 2;
        if (at + 1 >= digits.size())
            break;
        const int high = hexDigit(digits.at(at));
        const int low = hexDigit(digits.at(at + 1));
        bytes[i] = (high < 0 || low < 0) ? 0 : quint8(high * 16 + low);
    }
    return bytes;
}

void StatusParser::addFixedStatus(const StatusDesc &record)
{
    m_fixedStatuses.insert(record.id(), record);
}

bool StatusParser::readErrorStatuses()
{
    m_supplyOrderUrl = QLatin1String("");
    m_separator = QLatin1String("");
    m_tunexSupported = true;
    m_extendedJobTable = false;
    m_tonerList.clear();
    m_statusTable = m_fixedStatuses;

    if (!isValid()) {
        debugPrintf("StatusParser::readErrorStatuses(): StatusParser is invalid");
        return false;
    }
    const QDomElement root = findPath({QStringLiteral("StatusMonitorInfo")});
    for (QDomElement child = root.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        const QString name = child.tagName();
        if (name == QLatin1String("URL"))
            parseURLElement(child);
        else if (name == QLatin1String("Capabilities"))
            parseCapabilitiesElement(child);
        else if (name == QLatin1String("Status"))
            readStatusElement(child);
    }
    return true;
}

bool StatusParser::parseCapabilities()
{
    if (!isValid()) {
        debugPrintf("StatusParser::parseCapabilities(): StatusParser is invalid");
        return false;
    }
    m_tunexSupported = true;
    m_extendedJobTable = false;
    const QString capabilities = QStringLiteral("Capabilities");
    QDomElement element = findPath(splitPath(QStringLiteral("StatusMonitorInfo/Capabilities")));
    for (; !element.isNull() && element.tagName() == capabilities;
         element = element.nextSiblingElement())
        parseCapabilitiesElement(element);
    return true;
}

void StatusParser::parseCapabilitiesElement(const QDomElement &capabilities)
{
    debugPrintf("StatusParser::parseCapabilitiesElement");
    m_tunexSupported = flagAttribute(capabilities, QStringLiteral("TUNEX"), true);
    m_extendedJobTable = flagAttribute(capabilities, QStringLiteral("ExtendedJobTableCode"), false);
}

void StatusParser::readStatusElement(const QDomElement &status)
{
    for (QDomElement entry = status.firstChildElement(); !entry.isNull();
         entry = entry.nextSiblingElement())
        readEntry(entry);
    auto popup = m_statusTable.find(kPopupInfoStatusId);
    if (popup != m_statusTable.end())
        popup->setType(StatusDesc::PopupInfo);
}

void StatusParser::readEntry(const QDomElement &entry)
{
    const QDomElement statusBytes = childNode(entry, QStringLiteral("Status"));
    if (statusBytes.isNull())
        return;
    const QDomElement maskElement = childNode(entry, QStringLiteral("Mask"));
    static const auto defaults = parseStatusBytes(kDefaultMask);
    const auto status = parseStatusBytes(statusBytes.text());
    const auto mask = maskElement.isNull() ? defaults : parseStatusBytes(maskElement.text());

    // Id bits left out by the mask become 1: a masked low byte reads 0xFF, the wildcard that the
    // lookup tries after the exact id.
    std::array<quint8, 8> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = quint8(status[i] | (~mask[i] & defaults[i]));

    const quint32 id = (quint32(bytes[1]) << 16) | (quint32(bytes[2]) << 8) | bytes[3];
    StatusDesc record(id, bytes[0] & 0x07);
    record.setTagName(entry.tagName());
    const QString string = entry.hasAttribute(QStringLiteral("STRING"))
            ? entry.attribute(QStringLiteral("STRING"))
            : QString();
    record.setString(string);
    record.setTitle(string);
    record.setDesc(string);
    record.setShowToner(flagAttribute(entry, QStringLiteral("SHOWTONERLEVEL"), true));
    record.setLowToner(flagAttribute(entry, QStringLiteral("LOWTONERSTATUS"), false));
    m_statusTable.insert(id, record);
}

void StatusParser::parseURLElement(const QDomElement &url)
{
    debugPrintf("StatusParser::parseURLElement");
    const QDomElement order = childNode(url, QStringLiteral("TonerOrder"));
    if (order.isNull())
        return;
    m_supplyOrderUrl = order.text();
    m_separator = order.hasAttribute(QStringLiteral("SEPARATOR"))
            ? order.attribute(QStringLiteral("SEPARATOR"))
            : kDefaultSeparator;

    debugPrintf("Default values");
    m_tonerList.clear();
    const TonerInfoList defaults = defaultToners();
    for (TonerInfo toner : defaults) {
        if (!order.hasAttribute(toner.id))
            continue;
        toner.orderCode = order.attribute(toner.id).toUtf8();
        logTonerInfo(toner);
        m_tonerList.append(toner);
    }
    dumpTonerInfo(m_tonerList, QStringLiteral("Default values"));

    for (TonerInfo &toner : m_tonerList) {
        const QDomElement override = childNode(url, toner.id);
        if (!override.isNull())
            applyTonerOverrides(toner, override);
    }
    dumpTonerInfo(m_tonerList, QStringLiteral("Actual values"));
}

void StatusParser::applyTonerOverrides(TonerInfo &toner, const QDomElement &override)
{
    QStringList colors;
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("BarColor%1").arg(n);
        if (!override.hasAttribute(name))
            break;
        colors.append(override.attribute(name));
    }
    if (!colors.isEmpty())
        toner.barColors = colors.join(QLatin1Char(','));

    bool ok = false;
    // The document counts status bytes from 1; only the four level bytes may hold a level.
    const int byteNumber = override.attribute(QStringLiteral("BarTonerByte")).toInt(&ok);
    if (ok && byteNumber >= 5 && byteNumber <= 8)
        toner.levelByte = quint8(byteNumber - 1);

    const int lowBit = override.attribute(QStringLiteral("BarTonerLowBit")).toInt(&ok);
    if (ok && (lowBit == 1 || lowBit == 2 || lowBit == 4 || lowBit == 8))
        toner.lowBit = quint8(lowBit);
}
