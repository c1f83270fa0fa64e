#include "app/widgethelpers.h"

#include <QFile>
#include <QWidget>

void applySmallFont(QWidget *widget)
{
    if (!widget)
        return;
    auto shrink = [](QWidget *w) {
        QFont font = w->font();
        font.setPixelSize(10);
        w->setFont(font);
    };
    shrink(widget);
    const auto children = widget->findChildren<QWidget *>();
    for (QWidget *child : children)
        shrink(child);
}

QImage embeddedImage(const QString &name)
{
    const QString path = QStringLiteral(":/images/") + name;
    if (name.isEmpty() || !QFile::exists(path))
        return QImage();
    return QImage(path);
}
