#include "ui/panelplacement.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QPoint PanelPlacement::besideIcon(const QRect &icon, const QSize &frame, const QRect &area)
{
    const int gap = 4;
    const int edge = 64;
    const QPoint centre = icon.center();
    const int toTop = centre.y() - area.top();
    const int toBottom = area.bottom() - centre.y();
    const int toLeft = centre.x() - area.left();
    const int toRight = area.right() - centre.x();
    QPoint pos;
    if (std::min(toTop, toBottom) <= edge || std::min(toLeft, toRight) > edge) {
        pos.setX(centre.x() - frame.width() / 2);
        pos.setY(toTop <= toBottom ? icon.bottom() + 1 + gap : icon.top() - gap - frame.height());
    } else {
        pos.setX(toLeft <= toRight ? icon.right() + 1 + gap : icon.left() - gap - frame.width());
        pos.setY(centre.y() - frame.height() / 2);
    }
    pos.setX(std::clamp(pos.x(), area.left(),
                        std::max(area.left(), area.right() + 1 - frame.width())));
    pos.setY(std::clamp(pos.y(), area.top(),
                        std::max(area.top(), area.bottom() + 1 - frame.height())));
    return pos;
}

void PanelPlacement::placeBesideIcon(QWidget *panel, const QRect &icon)
{
    if (icon.isNull() || panel->isVisible())
        return;
    QScreen *screen = QGuiApplication::screenAt(icon.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    if (panel->layout())
        panel->layout()->activate();
    const QSize frame = panel->size() + panel->frameGeometry().size() - panel->geometry().size();
    panel->move(besideIcon(icon, frame, screen->availableGeometry()));
}
