#include "tests/tools/screenshot.h"

#include <QDir>
#include <QtGlobal>

bool saveScreenshot(const QImage &image, const QString &name)
{
    const QString directory = QStringLiteral(PELLAR_SOURCE_DIR "/build/screenshots");
    const QString path = directory + QLatin1Char('/') + name + QStringLiteral(".png");
    if (image.isNull() || !QDir().mkpath(directory) || !image.save(path)) {
        qWarning("Could not save the screenshot %s", qPrintable(path));
        return false;
    }
    return true;
}
