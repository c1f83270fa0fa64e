#pragma once

#include <QColor>
#include <QProgressBar>

// One toner colour of a cartridge bar: the level drawn as a bar filled from the left.
class ColorBar : public QProgressBar
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(bool gradientFill READ gradientFill WRITE setGradientFill)

public:
    explicit ColorBar(QWidget *parent = nullptr);
    ColorBar(int totalSteps, QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    bool gradientFill() const { return m_gradientFill; }
    void setGradientFill(bool on);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
    bool m_gradientFill = false;
};
