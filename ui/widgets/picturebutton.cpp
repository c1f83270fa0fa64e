#include "ui/widgets/picturebutton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include <cmath>

namespace {
constexpr int kPictureSize = 22;
constexpr int kPictureGap = 2;
constexpr int kFitTries = 10;
} // namespace

PictureButton::PictureButton(QWidget *parent)
    : QPushButton(parent)
{ }

PictureButton::PictureButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{ }

void PictureButton::setContentBitmap(const QPixmap &pixmap)
{
    const QImage image = pixmap.toImage();
    m_scaledBitmap = QPixmap::fromImage(image.scaled(
            kPictureSize, kPictureSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    // The icon is never drawn; it makes the size hint leave room for the picture.
    setIconSize(QSize(kPictureSize, kPictureSize));
    setIcon(QIcon(m_scaledBitmap));
    m_contentBitmap = pixmap;
}

void PictureButton::setScaleBitmap(bool scale)
{
    m_scaleBitmap = scale;
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    drawButtonLabel(painter);
}

QFont PictureButton::shrunkFont(qreal &previousSize) const
{
    QFont shrunk = font();
    const bool inPixels = shrunk.pointSizeF() < 0;
    const qreal size = inPixels ? shrunk.pixelSize() : shrunk.pointSizeF();
    if (size <= kSmallestFontSize)
        return shrunk;
    if (inPixels) {
        shrunk.setPixelSize(qMax(int(size - 1), int(std::ceil(kSmallestFontSize))));
    } else {
        const qreal step = size == previousSize ? 0.5 : 0.4;
        shrunk.setPointSizeF(qMax(size - step, kSmallestFontSize));
    }
    previousSize = size;
    return shrunk;
}

void PictureButton::drawButtonLabel(QStylePainter &painter)
{
    const QStyle *st = style();
    QStyleOptionButton option;
    initStyleOption(&option);
    const int margin = st->pixelMetric(QStyle::PM_ButtonMargin, &option, this)
            + st->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    QRect r = rect().adjusted(margin, margin, -margin, -margin);
    if (isDown())
        r.translate(st->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                    st->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));

    int textLeft = r.left();
    if (!m_contentBitmap.isNull()) {
        const QPixmap &picture = m_scaleBitmap ? m_scaledBitmap : m_contentBitmap;
        const int align = Qt::AlignLeft | Qt::AlignVCenter;
        painter.drawItemPixmap(r, align, picture);
        textLeft = st->itemPixmapRect(r, align, picture).right() + 1 + kPictureGap;
    }
    const QRect area(QPoint(textLeft, r.top()), r.bottomRight());
    const int textAlign = Qt::AlignHCenter | Qt::AlignVCenter;

    QRect textRect;
    qreal previousSize = -1;
    for (int i = 0; i < kFitTries; ++i) {
        textRect = st->itemTextRect(painter.fontMetrics(), area, textAlign, isEnabled(), text());
        if (area.contains(textRect))
            break;
        const QFont shrunk = shrunkFont(previousSize);
        if (shrunk == font())
            break;
        setFont(shrunk);
        painter.setFont(shrunk);
    }
    painter.drawItemText(textRect, textAlign, palette(), isEnabled(), text(), QPalette::ButtonText);
}
