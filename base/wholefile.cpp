#include "base/wholefile.h"

#include "base/functions.h"

#include <QSaveFile>

FileSave saveWholeFile(const QString &path, const QByteArray &bytes, const char *who)
{
    QSaveFile file(path);
    // Writing in place, when no file can be made beside it, would truncate the old one first.
    file.setDirectWriteFallback(false);
    // Unbuffered, so that a failed write shows in its result and not later in a silent flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        debugPrintf("%s: can't open <%s>: %s", who, qPrintable(path),
                    qPrintable(file.errorString()));
        return FileSave::NotOpened;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        debugPrintf("%s: can't write <%s>: %s; the old file is kept", who, qPrintable(path),
                    qPrintable(file.errorString()));
        return FileSave::NotWritten;
    }
    return FileSave::Saved;
}
