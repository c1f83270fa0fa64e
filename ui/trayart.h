#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

// The tray state images drawn again from their SVG sources at the size a tray asks for. The
// window hands over the 22 px image the build rendered; its drawing is found by its pixels.
namespace TrayArt {

// Tray images are drawn for this edge; trays of other sizes get them drawn again.
constexpr int kDrawnEdge = 22;

// The state drawings: "default", "normal", "warning", "error", "printing".
QStringList drawings();
// The drawing's image, a square of `edge` pixels; null for an unknown drawing.
QImage render(const QString &drawing, int edge);
// The drawing a 22 px state image shows; empty when it is none of them.
QString drawingOf(const QImage &image);
// The icon for a square of `edge` logical pixels at that device pixel ratio: its drawing
// rendered there, or, for an image of no drawing, the image smoothly scaled.
QPixmap sized(const QPixmap &icon, int edge, qreal devicePixelRatio);

} // namespace TrayArt
