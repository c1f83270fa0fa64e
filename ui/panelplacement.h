#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where the panel opens beside the tray icon.
class PanelPlacement
{
public:
    // Inside the available area: below or above the icon in a tray along the top or bottom
    // edge, beside it in one along the left or right edge. `frame` is the panel with its frame.
    static QPoint besideIcon(const QRect &icon, const QSize &frame, const QRect &area);
    // Moves a hidden panel there, on the screen that holds the icon; an open panel stays where
    // the user may have moved it, and nothing moves before the icon's place is known.
    static void placeBesideIcon(QWidget *panel, const QRect &icon);
};
