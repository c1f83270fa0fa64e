#include "tests/tools/messageboxcatcher.h"

#include <QApplication>
#include <QMessageBox>

MessageBoxCatcher::MessageBoxCatcher()
{
    // A modal box runs its own event loop, in which this timer still fires.
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxCatcher::look);
    m_timer.start(10);
}

void MessageBoxCatcher::look()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    m_boxes.append({box->windowTitle(), box->text(), box->textFormat()});
    box->done(QMessageBox::Ok);
}
