#pragma once

#include <QImage>
#include <QString>

class QWidget;

// Helpers for widgets and images, kept apart from the plain utilities so that the folders
// below the user interface never see a widget class.

// Pixel size 10 for the widget and every widget below it.
void applySmallFont(QWidget *widget);

// Centres a top-level window on the screen it belongs to (under the mouse when there are several).
void placeOnScreen(QWidget *window);

// An image compiled into the program; a null image when there is none of that name.
QImage embeddedImage(const QString &name);
