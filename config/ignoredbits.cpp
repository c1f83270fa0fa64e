#include "config/ignoredbits.h"

#include "base/functions.h"
#include "base/wholefile.h"

#include <QDataStream>
#include <QFile>

namespace {

// Toner levels above half full take back the silence the user gave their low-toner warning.
const quint8 kRearmLevel = 51;
const quint8 kFullLevel = 100;
const quint32 kColourBits = 0x0F;

} // namespace

void IgnoredBits::ignore(quint32 bits, bool set)
{
    bits &= kColourBits;
    if (set) {
        debugPrintf("Configurator::ignoreStatus: %u - set", bits);
        m_bits |= bits;
    } else {
        debugPrintf("Configurator::ignoreStatus: %u - reset", bits);
        m_bits &= ~bits;
    }
    debugPrintf("Configurator::ignoreStatus: ignored bits = %u", m_bits);
}

bool IgnoredBits::silences(quint8 colorRecognition) const
{
    debugPrintf("Configurator::isStatusApplicable() colorRecognitionByte: %d", colorRecognition);
    const quint32 bits = colorRecognition & kColourBits;
    debugPrintf("Configurator::isStatusApplicable() lowTonerBits: %d ignored bits: %d", int(bits),
                int(m_bits));
    if (bits != 0 && (bits & m_bits) == bits) {
        debugPrintf("Configurator::isStatusApplicable(): status is not applicable");
        return true;
    }
    return false;
}

void IgnoredBits::rearm(const TonerInfoList &toners, const TonerDesc &levels)
{
    if (levels.isEmpty())
        return;
    for (const TonerInfo &toner : toners) {
        const auto level = levels.constFind(toner.id);
        if (level != levels.cend() && *level >= kRearmLevel && *level <= kFullLevel)
            ignore(toner.lowBit, false);
    }
}

bool IgnoredBits::silencesSupplies(const QList<Supply> &supplies) const
{
    bool any = false;
    for (const Supply &supply : supplies) {
        if (!supply.low)
            continue;
        if (!m_supplies.contains(supply.name))
            return false;
        any = true;
    }
    return any;
}

void IgnoredBits::ignoreSupplies(const QList<Supply> &supplies, bool set)
{
    for (const Supply &supply : supplies) {
        if (!supply.low)
            continue;
        if (!set)
            m_supplies.removeAll(supply.name);
        else if (!m_supplies.contains(supply.name))
            m_supplies.append(supply.name);
    }
    debugPrintf("Configurator::ignoreSupplies: <%s>",
                qPrintable(m_supplies.join(QLatin1Char(','))));
}

void IgnoredBits::rearmSupplies(const QList<Supply> &supplies)
{
    for (const Supply &supply : supplies) {
        if (supply.level >= kRearmLevel && supply.level <= kFullLevel)
            m_supplies.removeAll(supply.name);
    }
}

QString IgnoredBits::fileName(const QString &product)
{
    QString name = product;
    for (QChar &c : name) {
        if (c.isSpace())
            c = QLatin1Char('_');
    }
    return QStringLiteral("./.cfg_(%1)").arg(name);
}

void IgnoredBits::load(const QString &name, const QString &path)
{
    // The bits are the model's own: a model without a readable file has nothing silenced.
    m_bits = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        debugPrintf("Configurator::loadIgnoredBits(): Can't open model file: \"%s\"",
                    qPrintable(name));
        return;
    }
    QDataStream stream(&file);
    stream.setVersion(QDataStream::Qt_DefaultCompiledVersion);
    quint32 bits = 0;
    bool read = false;
    if (!stream.atEnd()) {
        stream >> bits;
        read = stream.status() == QDataStream::Ok;
    }
    if (read)
        m_bits = bits;
    else
        debugPrintf("Configurator::loadIgnoredBits(): Can't read ignored bits: \"%s\"",
                    qPrintable(name));
    file.close();
    debugPrintf("Configurator::loadIgnoredBits(): ignored bits = [0x%.8xh]", m_bits);
}

bool IgnoredBits::save(const QString &name, const QString &path) const
{
    const FileSave result
            = saveWholeFile(path, streamed(m_bits), "Configurator::saveIgnoredBits()");
    if (result == FileSave::NotOpened)
        debugPrintf("Configurator::saveIgnoredBits(): Can't open model file \"%s\"",
                    qPrintable(name));
    if (result != FileSave::Saved)
        return false;
    debugPrintf("Configurator::saveIgnoredBits(): ignored bits = [0x%.8xh]", m_bits);
    return true;
}
