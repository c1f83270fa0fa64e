#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

// Answers every modal message box that opens while it lives, as a user pressing its default
// button would, and keeps the caption, text and text format of each.
class MessageBoxCatcher : public QObject
{
    Q_OBJECT

public:
    MessageBoxCatcher();

    struct Box
    {
        QString caption;
        QString text;
        Qt::TextFormat format;
    };
    QList<Box> boxes() const { return m_boxes; }

private:
    void look();

    QTimer m_timer;
    QList<Box> m_boxes;
};
