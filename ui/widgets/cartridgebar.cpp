#include "ui/widgets/cartridgebar.h"
#include "ui/widgets/colorbar.h"

#include <QVBoxLayout>

CartridgeBar::CartridgeBar(QWidget *parent, const char *name)
    : CartridgeBar(QColor(0, 0, 0), parent, name)
{ }

CartridgeBar::CartridgeBar(const QColor &color, QWidget *parent, const char *name)
    : QFrame(parent)
    , m_box(new QVBoxLayout(this))
{
    setObjectName(QString::fromLatin1(name));
    m_box->setContentsMargins(0, 0, 0, 0);
    m_box->setSpacing(0);
    addColor(color);
    setFrameShape(QFrame::Box);
    setLevel(100);
}

void CartridgeBar::addColor(const QColor &color)
{
    auto *bar = new ColorBar(this);
    bar->setObjectName(QStringLiteral("ColorBar_") + color.name());
    bar->setColor(color);
    bar->setTextVisible(false);
    QSizePolicy policy = bar->sizePolicy();
    policy.setVerticalPolicy(QSizePolicy::MinimumExpanding);
    bar->setSizePolicy(policy);
    bar->setValue(m_level);
    bar->setGradientFill(false);
    m_box->addWidget(bar);
    bar->show();
}

void CartridgeBar::setLevel(int level)
{
    const auto bars = findChildren<ColorBar *>(Qt::FindDirectChildrenOnly);
    for (ColorBar *bar : bars)
        bar->setValue(level);
    m_level = level;
}
