#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

// The tray state images drawn from their SVG sources at the size a tray asks for. A state is
// handed over by its name, which is the drawing's.
namespace TrayArt {

// Tray images are drawn for this edge; trays of other sizes get them drawn again.
constexpr int kDrawnEdge = 22;

// The state drawings: "default", "normal", "warning", "error", "printing".
QStringList drawings();
// The drawing's image, a square of `edge` pixels; null for an unknown drawing.
QImage render(const QString &drawing, int edge);
// The drawing for a square of `edge` logical pixels at that device pixel ratio; null for an
// unknown drawing.
QPixmap sized(const QString &drawing, int edge, qreal devicePixelRatio);
// An image of no drawing for such a square, smoothly scaled.
QPixmap scaled(const QPixmap &icon, int edge, qreal devicePixelRatio);

} // namespace TrayArt
