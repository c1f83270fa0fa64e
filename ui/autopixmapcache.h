#pragma once

#include <QPixmap>
#include <QString>

// The process's shared pixmap cache: limited to 1024 kilobytes while this object lives and
// emptied when it goes. Qt ignores the cache before the application object exists, so the one
// instance lives in main beside the application.
class AutoPixmapCache
{
public:
    static constexpr int kLimitKilobytes = 1024;

    AutoPixmapCache();
    ~AutoPixmapCache();

    AutoPixmapCache(const AutoPixmapCache &) = delete;
    AutoPixmapCache &operator=(const AutoPixmapCache &) = delete;

    // An icon by path: from the cache, else loaded and kept there. Null when it cannot be read.
    static QPixmap pixmap(const QString &path);
};
