#include "ui/trayart.h"

#include <QHash>
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

QString TrayArt::drawingOf(const QImage &image)
{
    if (image.size() != QSize(kDrawnEdge, kDrawnEdge))
        return QString();
    // Drawn once per run; the tray asks on every change of state.
    static const QHash<QString, QImage> drawn = [] {
        QHash<QString, QImage> images;
        for (const QString &drawing : drawings())
            images.insert(drawing, render(drawing, kDrawnEdge));
        return images;
    }();
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (auto it = drawn.cbegin(); it != drawn.cend(); ++it) {
        if (it.value() == argb)
            return it.key();
    }
    return QString();
}

QPixmap TrayArt::sized(const QPixmap &icon, int edge, qreal devicePixelRatio)
{
    if (icon.isNull() || edge <= 0)
        return icon;
    const int pixels = qRound(edge * devicePixelRatio);
    const QString drawing = drawingOf(icon.toImage());
    QPixmap pixmap = drawing.isEmpty()
            ? icon.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            : QPixmap::fromImage(render(drawing, pixels));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}
