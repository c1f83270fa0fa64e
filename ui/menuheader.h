#pragma once

#include <QFrame>

class QHBoxLayout;
class QLabel;
class QVBoxLayout;

// Swallows clicks and key presses so that the header of a menu never acts as a choice.
class KeyPressAndMouseEater : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// The framed title row of the tray menu: an image and a bold text.
class MenuHeader : public QFrame
{
    Q_OBJECT

public:
    explicit MenuHeader(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    QLabel *pixmapLabel;
    QLabel *textLabel;

public Q_SLOTS:
    virtual void setText(const QString &text);
    virtual void setPixmap(const QPixmap &pixmap);
    virtual void setSpacing(int spacing);

private:
    QVBoxLayout *frameLayout;
    QHBoxLayout *controlLayout;
    KeyPressAndMouseEater *m_eater;
};
