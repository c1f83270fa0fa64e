#pragma once

#include <QLayout>
#include <QString>
#include <QWidget>

// The forms are built in code; these keep each widget's and layout's settings to one line.

template<typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

template<typename L>
L *namedLayout(L *layout, const char *name, int margin, int spacing)
{
    layout->setObjectName(QString::fromLatin1(name));
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(spacing);
    return layout;
}
