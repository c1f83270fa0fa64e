#include "ui/widgethelpers.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
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

void placeOnScreen(QWidget *window)
{
    QScreen *screen = window->window()->screen();
    if (screen && screen->virtualSiblings().size() > 1) {
        if (QScreen *underMouse = QGuiApplication::screenAt(QCursor::pos()))
            screen = underMouse;
    }
    if (!screen)
        screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize frame = window->frameGeometry().size();
    window->move(area.x() + (area.width() - frame.width()) / 2,
                 area.y() + (area.height() - frame.height()) / 2);
}
