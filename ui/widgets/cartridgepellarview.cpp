#include "ui/widgets/cartridgepellarview.h"
#include "ui/widgets/cartridgeview.h"

#include <QLabel>

CartridgePellarView::CartridgePellarView(QWidget *parent, const char *name)
    : QStackedWidget(parent)
    , m_noCartridgePage(new QLabel(this))
    , m_cartridgePage(new CartridgeView(this, "CartridgeView_widget"))
{
    setObjectName(QString::fromLatin1(name));
    m_noCartridgePage->setObjectName(QStringLiteral("noCartridgeText_widget"));
    addWidget(m_noCartridgePage);
    addWidget(m_cartridgePage);
    setCurrentWidget(m_cartridgePage);
    setNoCartridgeText(tr("No cartridge information available."));
}

void CartridgePellarView::setCartridgeVisible(bool visible)
{
    setCurrentWidget(visible ? static_cast<QWidget *>(m_cartridgePage) : m_noCartridgePage);
}

bool CartridgePellarView::cartridgeVisible() const
{
    return currentWidget() == m_cartridgePage;
}

void CartridgePellarView::setNoCartridgeText(const QString &text)
{
    m_noCartridgePage->setWordWrap(true);
    m_noCartridgePage->setText(text);
}

QString CartridgePellarView::noCartridgeText() const
{
    return m_noCartridgePage->text();
}

void CartridgePellarView::addItem(const QString &id, const QString &title, const QColor &color1,
                                  const QColor &color2, const QColor &color3)
{
    m_cartridgePage->addItem(id, title, color1, color2, color3);
}

void CartridgePellarView::setLevel(const QString &id, int level)
{
    m_cartridgePage->setLevel(id, level);
}

void CartridgePellarView::setVisible(const QString &id, bool visible)
{
    m_cartridgePage->setVisible(id, visible);
}

void CartridgePellarView::clear()
{
    m_cartridgePage->clear();
}

QSize CartridgePellarView::sizeHint() const
{
    const QWidget *page = currentWidget();
    return page ? page->sizeHint() : QSize(-1, -1);
}
