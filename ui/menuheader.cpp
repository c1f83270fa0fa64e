#include "ui/menuheader.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>

bool KeyPressAndMouseEater::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

MenuHeader::MenuHeader(QWidget *parent, Qt::WindowFlags flags)
    : QFrame(parent, flags)
    , pixmapLabel(new QLabel(this))
    , textLabel(new QLabel(this))
    , frameLayout(new QVBoxLayout(this))
    , controlLayout(new QHBoxLayout)
    , m_eater(new KeyPressAndMouseEater(this))
{
    setMinimumSize(0, 26);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    pixmapLabel->setObjectName(QStringLiteral("pixmapLabel"));
    textLabel->setObjectName(QStringLiteral("textLabel"));
    frameLayout->setObjectName(QStringLiteral("frameLayout"));
    controlLayout->setObjectName(QStringLiteral("controlLayout"));
    frameLayout->setContentsMargins(4, 4, 4, 4);
    frameLayout->setSpacing(0);
    controlLayout->setContentsMargins(0, 0, 0, 0);
    controlLayout->setSpacing(0);
    frameLayout->addLayout(controlLayout);
    controlLayout->addWidget(pixmapLabel);
    controlLayout->addWidget(textLabel, 1);
    // Whatever names the menu is shown as it is, never as markup.
    textLabel->setTextFormat(Qt::PlainText);
    textLabel->setText(tr("textLabel"));
    QFont bold = textLabel->font();
    bold.setBold(true);
    textLabel->setFont(bold);
    pixmapLabel->installEventFilter(m_eater);
    textLabel->installEventFilter(m_eater);
    // Inside a menu a click on the frame's margin would otherwise reach the menu as a choice.
    installEventFilter(m_eater);
}

void MenuHeader::setText(const QString &text)
{
    textLabel->setText(text);
}

void MenuHeader::setPixmap(const QPixmap &pixmap)
{
    pixmapLabel->setPixmap(pixmap);
}

void MenuHeader::setSpacing(int spacing)
{
    controlLayout->setSpacing(spacing);
}
