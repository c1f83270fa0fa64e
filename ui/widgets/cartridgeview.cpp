#include "ui/widgets/cartridgeview.h"

#include <QGridLayout>
#include <QLabel>

#include <cstdio>

CartridgeViewItem::CartridgeViewItem(const QString &title, const QColor &color, QWidget *view)
    : CartridgeBar(color, view)
    , m_titleLabel(new QLabel(view))
{
    // A supply's name may come from the printer: shown as it is, never as markup.
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_titleLabel->setText(title);
}

CartridgeViewItem::~CartridgeViewItem()
{
    delete m_titleLabel;
}

CartridgeView::CartridgeView(QWidget *parent, const char *name)
    : QFrame(parent)
    , m_layout(new QGridLayout(this))
{
    setObjectName(QString::fromLatin1(name));
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(4);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::MinimumExpanding);
    addItem(QStringLiteral("0"), tr("Black"), QColor(0, 0, 0), QColor(), QColor());
    setLevel(QStringLiteral("0"), 90);
}

CartridgeView::~CartridgeView()
{
    clear();
}

void CartridgeView::addItem(const QString &id, const QString &title, const QColor &color1,
                            const QColor &color2, const QColor &color3)
{
    auto *bar = new CartridgeViewItem(title, color1, this);
    for (const QColor &color : {color2, color3}) {
        if (color.isValid())
            bar->addColor(color);
    }
    m_items.append({id, bar});
    bar->titleLabel()->setObjectName(id + QStringLiteral("_title"));
    bar->setObjectName(id + QStringLiteral("_bar"));

    // Rows of the grid never go away, so a new row lands below every earlier one.
    const int row = m_layout->rowCount();
    m_layout->addWidget(bar->titleLabel(), row, 0);
    m_layout->addWidget(bar, row, 1);
    bar->titleLabel()->show();
    bar->show();
}

CartridgeViewItem *CartridgeView::item(const QString &id) const
{
    if (m_items.isEmpty())
        qWarning("ASSERT: \"%s\" in %s (%d)", "!items.isEmpty()", __FILE__, __LINE__);
    for (auto it = m_items.crbegin(); it != m_items.crend(); ++it) {
        if (it->first == id)
            return it->second;
    }
    qWarning("ASSERT: \"%s\" in %s (%d)", "item", __FILE__, __LINE__);
    return nullptr;
}

void CartridgeView::setLevel(const QString &id, int level)
{
    if (CartridgeViewItem *bar = item(id))
        bar->setLevel(level);
}

void CartridgeView::setVisible(const QString &id, bool visible)
{
    if (CartridgeViewItem *bar = item(id)) {
        bar->titleLabel()->setVisible(visible);
        bar->setVisible(visible);
    }
}

void CartridgeView::clear()
{
    const auto items = std::exchange(m_items, {});
    for (const auto &entry : items)
        delete entry.second;
    // Deleted widgets leave the layout by themselves; anything left is a leak worth seeing.
    for (int i = 0; i < m_layout->count(); ++i) {
        QLayoutItem *li = m_layout->itemAt(i);
        std::printf("\tli=%p\n", static_cast<void *>(li));
        std::printf("\tli->name()=<%s>\n",
                    li->widget() ? qPrintable(li->widget()->objectName()) : "nonewidget");
    }
}
