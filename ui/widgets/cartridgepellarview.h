#pragma once

#include <QStackedWidget>

class CartridgeView;
class QLabel;

// The toner display: the toner bars, or a text when the printer gives no toner information.
class CartridgePellarView : public QStackedWidget
{
    Q_OBJECT
    Q_PROPERTY(bool cartridgeVisible READ cartridgeVisible WRITE setCartridgeVisible)
    Q_PROPERTY(QString noCartridgeText READ noCartridgeText WRITE setNoCartridgeText)

public:
    explicit CartridgePellarView(QWidget *parent = nullptr, const char *name = nullptr);

    void setCartridgeVisible(bool visible);
    bool cartridgeVisible() const;
    void setNoCartridgeText(const QString &text);
    QString noCartridgeText() const;

    void addItem(const QString &id, const QString &title, const QColor &color1,
                 const QColor &color2, const QColor &color3);
    void setLevel(const QString &id, int level);
    using QStackedWidget::setVisible;
    void setVisible(const QString &id, bool visible);
    void clear();

    QSize sizeHint() const override;

private:
    QLabel *m_noCartridgePage;
    CartridgeView *m_cartridgePage;
};
