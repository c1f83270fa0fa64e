#pragma once

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QString>

enum class FileSave { Saved, NotOpened, NotWritten };

// Replaces a file as a whole or not at all: the bytes go to a new file beside it, which takes
// the old one's place only once every byte is written, so a full disk leaves the old file as it
// was. A failure is logged for the caller ("<who>: ...").
FileSave saveWholeFile(const QString &path, const QByteArray &bytes, const char *who);

// A value in Qt's binary stream form, as the settings files hold it.
template<typename T>
QByteArray streamed(const T &value)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_DefaultCompiledVersion);
    stream << value;
    return bytes;
}
