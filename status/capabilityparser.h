#pragma once

#include "status/devicecapabilities.h"
#include "status/domparser.h"

#include <memory>
#include <vector>

// The families by name, in document order; a name given twice is there twice.
using CapabilityDictionary = std::vector<std::unique_ptr<DeviceCapabilities>>;

// The file "capabilities.xml": <root><Devices> holding one element per model family with the
// attributes NAME and NETWORK ("true" in any case when the family can be reached over the
// network).
class CapabilityParser : public DomParser
{
public:
    CapabilityParser();
    explicit CapabilityParser(const QString &text);
    explicit CapabilityParser(QFile *file);
    ~CapabilityParser() override;

    // Empty when the document is not a capabilities file.
    CapabilityDictionary parse() const;

    // The file's families, or none when it does not exist.
    static CapabilityDictionary loadFile(const QString &path);
    // The first family whose name contains the model name, in any case; null when none does.
    static const DeviceCapabilities *findFamily(const CapabilityDictionary &dictionary,
                                                const QString &model);
};
