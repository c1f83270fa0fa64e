#pragma once

#include "ui/widgets/cartridgebar.h"

#include <QFrame>
#include <QList>
#include <QPair>

class QGridLayout;
class QLabel;

// One toner row: the bar itself and its title beside it; both go when the item goes.
class CartridgeViewItem : public CartridgeBar
{
public:
    CartridgeViewItem(const QString &title, const QColor &color, QWidget *view);
    ~CartridgeViewItem() override;

    QLabel *titleLabel() const { return m_titleLabel; }

private:
    QLabel *m_titleLabel;
};

// Titled toner bars, one row each, looked up by toner id.
class CartridgeView : public QFrame
{
    Q_OBJECT

public:
    explicit CartridgeView(QWidget *parent = nullptr, const char *name = nullptr);
    ~CartridgeView() override;

    void addItem(const QString &id, const QString &title, const QColor &color1,
                 const QColor &color2, const QColor &color3);
    void setLevel(const QString &id, int level);
    using QFrame::setVisible;
    void setVisible(const QString &id, bool visible);
    void clear();

private:
    CartridgeViewItem *item(const QString &id) const;

    QGridLayout *m_layout;
    // In insertion order; an id may come twice, and the newest counts.
    QList<QPair<QString, CartridgeViewItem *>> m_items;
};
