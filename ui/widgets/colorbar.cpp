#include "ui/widgets/colorbar.h"

#include <QPainter>

namespace {

// Lightness apart that keeps a fill readable on its track.
constexpr int kTrackContrast = 64;

// The panel's colour, unless the fill is too close to it (black toner on a dark desktop): then
// moved towards white behind a dark fill and towards black behind a light one.
QColor trackFor(const QColor &fill, const QColor &panel)
{
    if (qAbs(panel.lightness() - fill.lightness()) >= kTrackContrast)
        return panel;
    const QColor away = fill.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
    QColor track = panel;
    for (int step = 1; step <= 10 && qAbs(track.lightness() - fill.lightness()) < kTrackContrast;
         ++step) {
        const auto mix = [step](int from, int to) {
            return from + (to - from) * step / 10;
        };
        track = QColor(mix(panel.red(), away.red()), mix(panel.green(), away.green()),
                       mix(panel.blue(), away.blue()));
    }
    return track;
}

} // namespace

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
    painter.fillRect(r, trackFor(m_color, palette().color(backgroundRole())));

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
