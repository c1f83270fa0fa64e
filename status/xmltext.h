#pragma once

#include <QByteArray>
#include <QString>
#include <QStringConverter>

// The text of an XML document read as its byte order mark or its declaration's encoding says.
// A document that names no encoding is read as fallback, which is what its source has always
// used; an encoding that cannot be decoded is logged and read as fallback too.
QString decodeXmlDocument(const QByteArray &bytes, QStringConverter::Encoding fallback);
