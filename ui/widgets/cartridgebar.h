#pragma once

#include <QColor>
#include <QFrame>

class QVBoxLayout;

// A framed toner bar: one ColorBar per colour, stacked from the top, all showing one level.
class CartridgeBar : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(int level READ level WRITE setLevel)

public:
    explicit CartridgeBar(QWidget *parent = nullptr, const char *name = nullptr);
    CartridgeBar(const QColor &color, QWidget *parent = nullptr, const char *name = nullptr);

    void addColor(const QColor &color);
    void setLevel(int level);
    int level() const { return m_level; }

private:
    QVBoxLayout *m_box;
    int m_level = 0;
};
