#include "ui/widgethelpers.h"

#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

class TestWidgetHelpers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void smallFontReachesEveryDescendant();
    void embeddedImageByName();
};

void TestWidgetHelpers::smallFontReachesEveryDescendant()
{
    QWidget top;
    auto *frame = new QWidget(&top);
    auto *label = new QLabel(QStringLiteral("deep"), frame);
    new QVBoxLayout(frame);
    applySmallFont(&top);
    QCOMPARE(top.font().pixelSize(), 10);
    QCOMPARE(frame->font().pixelSize(), 10);
    QCOMPARE(label->font().pixelSize(), 10);
    applySmallFont(nullptr);
}

void TestWidgetHelpers::embeddedImageByName()
{
    const QImage image = embeddedImage(QStringLiteral("probe.png"));
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(4, 3));
    QVERIFY(embeddedImage(QStringLiteral("missing.png")).isNull());
    QVERIFY(embeddedImage(QString()).isNull());
}

QTEST_MAIN(TestWidgetHelpers)
#include "tst_widgethelpers.moc"
