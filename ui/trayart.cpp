#include "ui/trayart.h"

#include <QPainter>
#include <QSvgRenderer>

namespace {

// As the build stacks them (tools/art/art.cmake); a 16 px tray gets the printer drawn for 16 px.
const char *badgeOf(const QString &drawing)
{
    if (drawing == QLatin1String("normal"))
        return "layer-normal22.svg";
    if (drawing == QLatin1String("warning"))
        return "layer-warning22.svg";
    if (drawing == QLatin1String("error"))
        return "layer-error22.svg";
    if (drawing == QLatin1String("printing"))
        return "layer-printing22.svg";
    return nullptr;
}

} // namespace

QStringList TrayArt::drawings()
{
    return {QStringLiteral("default"), QStringLiteral("normal"), QStringLiteral("warning"),
            QStringLiteral("error"), QStringLiteral("printing")};
}

QImage TrayArt::render(const QString &drawing, int edge)
{
    if (edge <= 0 || !drawings().contains(drawing))
        return QImage();
    QStringList layers{edge <= 16 ? QStringLiteral("layer-printer16.svg")
                                  : QStringLiteral("layer-printer22.svg")};
    if (const char *badge = badgeOf(drawing))
        layers.append(QLatin1String(badge));
    // The same steps as the build's renderer, so that a 22 px image is the installed one.
    QImage image(edge, edge, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const QString &layer : layers) {
        QSvgRenderer svg(QStringLiteral(":/tray/") + layer);
        svg.render(&painter, QRectF(0, 0, edge, edge));
    }
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QPixmap TrayArt::sized(const QString &drawing, int edge, qreal devicePixelRatio)
{
    if (edge <= 0)
        return QPixmap();
    const QImage image = render(drawing, qRound(edge * devicePixelRatio));
    if (image.isNull())
        return QPixmap();
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QPixmap TrayArt::scaled(const QPixmap &icon, int edge, qreal devicePixelRatio)
{
    if (icon.isNull() || edge <= 0)
        return icon;
    const int pixels = qRound(edge * devicePixelRatio);
    QPixmap pixmap = icon.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}
