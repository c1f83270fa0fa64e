// Renders stacked SVG layers into one PNG at an exact pixel size, for the build.
// Usage: pellar_render_art OUT.png WIDTH HEIGHT LAYER.svg [LAYER.svg...]
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const int width = args.value(2).toInt();
    const int height = args.value(3).toInt();
    if (args.size() < 5 || width <= 0 || height <= 0) {
        std::fprintf(stderr, "usage: %s OUT.png WIDTH HEIGHT LAYER.svg...\n", argv[0]);
        return 2;
    }

    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const QString &layer : args.mid(4)) {
        QSvgRenderer svg(layer);
        if (!svg.isValid()) {
            std::fprintf(stderr, "%s: not a valid SVG\n", qPrintable(layer));
            return 1;
        }
        svg.render(&painter, QRectF(0, 0, width, height));
    }
    painter.end();

    const QString out = args.at(1);
    QDir().mkpath(QFileInfo(out).absolutePath());
    if (!image.convertToFormat(QImage::Format_ARGB32).save(out, "PNG")) {
        std::fprintf(stderr, "%s: cannot write\n", qPrintable(out));
        return 1;
    }
    return 0;
}
