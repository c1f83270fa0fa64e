#pragma once

#include "status/statusblock.h"

#include <QByteArray>
#include <QFile>
#include <QString>

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
