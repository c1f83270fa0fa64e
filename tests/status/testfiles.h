#pragma once

#include "status/statusblock.h"
#include "tests/tools/testfiles.h"

// A translation file holding the given message elements.
inline QByteArray translationFile(const QByteArray &messages)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><Translation>" + messages
            + "</Translation></root>\n";
}

// A raw status block from up to ten bytes written in hexadecimal; missing bytes are zero.
inline StatusBlock statusBlockFromHex(const QByteArray &hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    StatusBlock block;
    for (int i = 0; i < bytes.size() && i < StatusBlock::kSize; ++i)
        block[i] = quint8(bytes.at(i));
    return block;
}
