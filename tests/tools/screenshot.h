#pragma once

#include <QImage>
#include <QString>

// Saves a picture of what a user would see as build/screenshots/<name>.png, so that each screen
// can be looked at after ./test. False (with a warning) when it cannot be written.
bool saveScreenshot(const QImage &image, const QString &name);
