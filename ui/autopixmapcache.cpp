#include "ui/autopixmapcache.h"

#include <QPixmapCache>

AutoPixmapCache::AutoPixmapCache()
{
    QPixmapCache::setCacheLimit(kLimitKilobytes);
}

AutoPixmapCache::~AutoPixmapCache()
{
    QPixmapCache::clear();
}

QPixmap AutoPixmapCache::pixmap(const QString &path)
{
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap))
        return pixmap;
    if (pixmap.load(path))
        QPixmapCache::insert(path, pixmap);
    return pixmap;
}
