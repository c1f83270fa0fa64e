#include "config/watchoptions.h"

#include "base/functions.h"
#include "base/wholefile.h"

#include <QFile>

namespace {

const char kKeepWatchingKey[] = "keep_watching=";
const qint64 kMaxFileBytes = 256;

} // namespace

int WatchOptions::pollingInterval(int chosenSeconds, bool panelHidden)
{
    return panelHidden ? qMax(chosenSeconds, kHiddenMinInterval) : chosenSeconds;
}

void WatchOptions::load(const QString &name, const QString &path)
{
    keepWatching = true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        debugPrintf("WatchOptions::load: no <%s>; keep watching: true", qPrintable(name));
        return;
    }
    const QByteArray line = file.read(kMaxFileBytes).trimmed();
    const QByteArray key(kKeepWatchingKey);
    const QByteArray value = line.startsWith(key) ? line.mid(key.size()) : QByteArray();
    if (value == "1" || value == "0") {
        keepWatching = value == "1";
        debugPrintf("WatchOptions::load: keep watching: %s", keepWatching ? "true" : "false");
        return;
    }
    debugPrintf("WatchOptions::load: malformed <%s>; keep watching: true", qPrintable(name));
}

bool WatchOptions::save(const QString &name, const QString &path) const
{
    const QByteArray bytes = QByteArray(kKeepWatchingKey) + (keepWatching ? "1\n" : "0\n");
    const FileSave result = saveWholeFile(path, bytes, "WatchOptions::save");
    if (result == FileSave::NotOpened)
        debugPrintf("WatchOptions::save: failed to open <%s>", qPrintable(name));
    return result == FileSave::Saved;
}
