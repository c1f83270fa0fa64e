#include "ui/widgets/colorbar.h"

#include <QPainter>

ColorBar::ColorBar(QWidget *parent)
    : QProgressBar(parent)
{ }

ColorBar::ColorBar(int totalSteps, QWidget *parent)
    : QProgressBar(parent)
{
    setMaximum(totalSteps);
}

void ColorBar::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void ColorBar::setGradientFill(bool on)
{
    m_gradientFill = on;
    update();
}

QSize ColorBar::sizeHint() const
{
    return QSize(QProgressBar::sizeHint().width(), 1);
}

void ColorBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPen pen = painter.pen();
    QRect r = contentsRect();
    painter.fillRect(r, palette().brush(backgroundRole()));

    const int total = maximum() - minimum();
    const int progress = value() - minimum();
    if (total <= 0 || progress <= 0)
        return;
    r.setWidth(qMin(r.width(), r.width() * progress / total));
    if (r.width() <= 0)
        return;

    if (!m_gradientFill) {
        painter.setPen(pen);
        painter.setBrush(m_color);
        // A rectangle drawn with a pen covers one pixel more each way than its size.
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        return;
    }
    int hL, sL, vL, hD, sD, vD;
    m_color.lighter(140).getHsv(&hL, &sL, &vL);
    m_color.darker(200).getHsv(&hD, &sD, &vD);
    const int height = r.height();
    for (int k = 0; k < height; ++k) {
        painter.setPen(QColor::fromHsv(hL + (hD - hL) * k / height, sL + (sD - sL) * k / height,
                                       vL + (vD - vL) * k / height));
        painter.drawLine(r.left(), r.top() + k, r.right(), r.top() + k);
    }
}
