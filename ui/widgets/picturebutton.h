#pragma once

#include <QPixmap>
#include <QPushButton>

class QStylePainter;

// A push button with a small picture on the left; its text shrinks until it fits beside it.
class PictureButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(QPixmap contentBitmap READ contentBitmap WRITE setContentBitmap)
    Q_PROPERTY(bool scaleBitmap READ scaleBitmap WRITE setScaleBitmap)

public:
    // No smaller text is drawn, however long it is.
    static constexpr qreal kSmallestFontSize = 8.5;

    explicit PictureButton(QWidget *parent = nullptr);
    explicit PictureButton(const QString &text, QWidget *parent = nullptr);

    QPixmap contentBitmap() const { return m_contentBitmap; }
    bool scaleBitmap() const { return m_scaleBitmap; }

public Q_SLOTS:
    void setContentBitmap(const QPixmap &pixmap);
    void setScaleBitmap(bool scale);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void drawButtonLabel(QStylePainter &painter);
    // A smaller font of the same family, or the same font when it may shrink no further.
    QFont shrunkFont(qreal &previousSize) const;

    QPixmap m_contentBitmap;
    QPixmap m_scaledBitmap;
    bool m_scaleBitmap = false;
};
