#include "status/capabilityparser.h"

#include "base/functions.h"

#include <QFile>

namespace {

const char kDevicesPath[] = "root/Devices";
const char kNameAttribute[] = "NAME";
const char kNetworkAttribute[] = "NETWORK";

} // namespace

CapabilityParser::CapabilityParser() = default;

CapabilityParser::CapabilityParser(const QString &text)
    : DomParser(text)
{ }

CapabilityParser::CapabilityParser(QFile *file)
    : DomParser(file)
{ }

CapabilityParser::~CapabilityParser() = default;

CapabilityDictionary CapabilityParser::parse() const
{
    CapabilityDictionary dictionary;
    if (!isValid()) {
        debugPrintf("CapabilityParser::parse(): CapabilityParser is invalid");
        return dictionary;
    }
    const QDomElement devices = findPath(splitPath(QLatin1String(kDevicesPath)));
    if (devices.isNull()) {
        debugPrintf("CapabilityParser::parse(): can't obtain root node");
        return dictionary;
    }
    for (QDomElement device = devices.firstChildElement(); !device.isNull();
         device = device.nextSiblingElement()) {
        const QString name = attribute(device, QLatin1String(kNameAttribute));
        const bool network = attribute(device, QLatin1String(kNetworkAttribute))
                                     .compare(QLatin1String("true"), Qt::CaseInsensitive)
                == 0;
        dictionary.push_back(std::make_unique<DeviceCapabilities>(name, network));
    }
    return dictionary;
}

CapabilityDictionary CapabilityParser::loadFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    return CapabilityParser(&file).parse();
}

const DeviceCapabilities *CapabilityParser::findFamily(const CapabilityDictionary &dictionary,
                                                       const QString &model)
{
    for (const auto &family : dictionary) {
        if (family->objectName().contains(model, Qt::CaseInsensitive))
            return family.get();
    }
    return nullptr;
}
