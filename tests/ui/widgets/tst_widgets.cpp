#include "ui/menuheader.h"
#include "ui/widgets/cartridgebar.h"
#include "ui/widgets/cartridgeview.h"
#include "ui/widgets/colorbar.h"
#include "ui/widgets/picturebutton.h"
#include "ui/widgets/plstatusview.h"

#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

namespace {

// Pixels of the middle row that are not the bar's background.
int filledWidth(ColorBar &bar)
{
    const QImage image = bar.grab().toImage();
    const QRgb background = bar.palette().color(bar.backgroundRole()).rgb();
    int filled = 0;
    for (int x = 0; x < image.width(); ++x)
        filled += image.pixel(x, image.height() / 2) != background;
    return filled;
}

QList<CartridgeBar *> barsNamed(const QWidget &view, const QString &name)
{
    return view.findChildren<CartridgeBar *>(name);
}

// Hands a printer's text to a widget made inside the host and returns the label it lands in.
using ShowText = QLabel *(*)(QWidget &host, const QString &text);

// Shown and hidden widgets draw into images of different formats.
QImage picture(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// What a label would draw for the text taken as it is.
QImage plainRendering(const QLabel &label)
{
    QLabel plain;
    plain.setTextFormat(Qt::PlainText);
    plain.setText(label.text());
    plain.setFont(label.font());
    plain.setPalette(label.palette());
    plain.setWordWrap(label.wordWrap());
    plain.setAlignment(label.alignment());
    plain.setIndent(label.indent());
    plain.setMargin(label.margin());
    plain.setContentsMargins(label.contentsMargins());
    plain.resize(label.size());
    return picture(plain);
}

} // namespace

Q_DECLARE_METATYPE(ShowText)

class TestWidgets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fillWidthFollowsLevel_data();
    void fillWidthFollowsLevel();
    void gradientRunsFromLightToDark();
    void coloursStackInOrderWithOneLevel();
    void newestOfTwoEqualIdsTakesTheLevel();
    void hiddenBarHidesItsTitle();
    void unknownIdOnlyWarns();
    void fittingTextKeepsItsFont();
    void longTextShrinksNoFurtherThanTheLimit_data();
    void longTextShrinksNoFurtherThanTheLimit();
    void statusGoesToItsPageWithoutSwitching();
    void printerTextShowsAsItIs_data();
    void printerTextShowsAsItIs();
};

void TestWidgets::fillWidthFollowsLevel_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("pixels");
    QTest::newRow("45") << 45 << 45;
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("100") << 100 << 101;
    QTest::newRow("99 truncates") << 99 << 99;
}

void TestWidgets::fillWidthFollowsLevel()
{
    QFETCH(int, level);
    ColorBar bar;
    bar.setColor(Qt::red);
    bar.setFixedSize(101, 9);
    bar.setValue(level);
    QFETCH(int, pixels);
    QCOMPARE(filledWidth(bar), pixels);
}

void TestWidgets::gradientRunsFromLightToDark()
{
    ColorBar bar;
    bar.setColor(QColor(0, 0, 200));
    bar.setGradientFill(true);
    bar.setFixedSize(40, 20);
    bar.setValue(100);
    const QImage image = bar.grab().toImage();
    QCOMPARE(image.pixelColor(20, 0), QColor(0, 0, 200).lighter(140));
    const int light = QColor(0, 0, 200).lighter(140).value();
    const int dark = QColor(0, 0, 200).darker(200).value();
    QCOMPARE(image.pixelColor(20, 19).value(), light + (dark - light) * 19 / 20);
}

void TestWidgets::coloursStackInOrderWithOneLevel()
{
    CartridgeBar bar(QColor(255, 0, 0));
    bar.addColor(QColor(0, 255, 0));
    bar.addColor(QColor(0, 0, 255));
    bar.setFixedSize(50, 62);
    bar.setLevel(60);

    const auto colours = bar.findChildren<ColorBar *>();
    QStringList names;
    for (const ColorBar *colour : colours) {
        names << colour->objectName();
        QCOMPARE(colour->value(), 60);
    }
    QCOMPARE(names, QStringList({"ColorBar_#ff0000", "ColorBar_#00ff00", "ColorBar_#0000ff"}));

    const QImage image = bar.grab().toImage();
    // Inside the 1-pixel box: three bars of 20 rows, each filled 48 * 60 / 100 = 28 pixels wide.
    QCOMPARE(image.pixelColor(10, 11), QColor(255, 0, 0));
    QCOMPARE(image.pixelColor(10, 31), QColor(0, 255, 0));
    QCOMPARE(image.pixelColor(10, 51), QColor(0, 0, 255));
    QCOMPARE(image.pixelColor(27, 31), QColor(0, 255, 0));
    QCOMPARE(image.pixelColor(30, 31), colours.at(1)->palette().color(QPalette::Window));
}

void TestWidgets::newestOfTwoEqualIdsTakesTheLevel()
{
    CartridgeView view;
    QCOMPARE(barsNamed(view, "0_bar").value(0)->level(), 90);
    view.addItem("C", "Cyan", QColor(0, 255, 255), QColor(0, 0, 255), QColor(0, 0, 128));
    QCOMPARE(barsNamed(view, "C_bar").value(0)->findChildren<ColorBar *>().size(), 3);
    view.addItem("C", "Cyan", QColor(0, 255, 255), QColor(), QColor());
    view.setLevel("C", 30);
    const auto bars = barsNamed(view, "C_bar");
    QCOMPARE(bars.size(), 2);
    QCOMPARE(bars.at(0)->level(), 100);
    QCOMPARE(bars.at(1)->level(), 30);
}

void TestWidgets::hiddenBarHidesItsTitle()
{
    CartridgeView view;
    view.addItem("M", "Magenta", QColor(255, 0, 255), QColor(), QColor());
    view.show();
    view.setVisible("M", false);
    QVERIFY(barsNamed(view, "M_bar").value(0)->isHidden());
    QVERIFY(view.findChild<QLabel *>("M_title")->isHidden());
    QVERIFY(barsNamed(view, "0_bar").value(0)->isVisible());
}

void TestWidgets::unknownIdOnlyWarns()
{
    CartridgeView view;
    view.clear();
    QVERIFY(barsNamed(view, QString()).isEmpty());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ASSERT: \"!items.isEmpty\\(\\)\""));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ASSERT: \"item\""));
    view.setLevel("0", 10);
}

void TestWidgets::fittingTextKeepsItsFont()
{
    PictureButton button("Buy Now");
    QFont font = button.font();
    font.setPointSize(9);
    button.setFont(font);
    button.setFixedSize(200, 40);
    button.grab();
    QCOMPARE(button.font().pointSizeF(), 9.0);
}

void TestWidgets::longTextShrinksNoFurtherThanTheLimit_data()
{
    QTest::addColumn<bool>("inPixels");
    QTest::addColumn<qreal>("smallest");
    QTest::newRow("points") << false << 8.5;
    QTest::newRow("pixels") << true << 9.0;
}

void TestWidgets::longTextShrinksNoFurtherThanTheLimit()
{
    QFETCH(bool, inPixels);
    PictureButton button("Troubleshooting\nGuide");
    QPixmap picture(22, 22);
    picture.fill(Qt::darkGreen);
    button.setContentBitmap(picture);
    QFont font = button.font();
    if (inPixels)
        font.setPixelSize(13);
    else
        font.setPointSize(12);
    button.setFont(font);
    button.setFixedSize(60, 40);
    button.grab();
    const qreal size = inPixels ? button.font().pixelSize() : button.font().pointSizeF();
    QFETCH(qreal, smallest);
    QCOMPARE(size, smallest);
}

void TestWidgets::statusGoesToItsPageWithoutSwitching()
{
    PLStatusView view;
    QCOMPARE(view.currentWidget(), view.regularView());
    view.setStatus(view.printingView(), "Printing", "Job 3");
    QCOMPARE(view.currentWidget(), view.regularView());
    QCOMPARE(view.dump(),
             QStringLiteral("\n\tregular:  title=<Status Title> desc=<Status "
                            "Description>\n\tprinting: title=<Printing> desc=<Job 3>"));
    view.showPrintingStatus();
    QCOMPARE(view.currentWidget(), view.printingView());
}

void TestWidgets::printerTextShowsAsItIs_data()
{
    QTest::addColumn<ShowText>("show");
    QTest::newRow("supply name") << ShowText([](QWidget &host, const QString &text) {
        auto *view = new CartridgeView(&host);
        view->addItem("K", text, Qt::black, QColor(), QColor());
        return view->findChild<QLabel *>("K_title");
    });
    QTest::newRow("status title") << ShowText([](QWidget &host, const QString &text) {
        auto *view = new PLStatusView(&host);
        view->setStatus(view->regularView(), text, "Ready");
        return view->regularView()->findChild<QLabel *>("titleLabel");
    });
    QTest::newRow("status description") << ShowText([](QWidget &host, const QString &text) {
        auto *view = new PLStatusView(&host);
        view->setStatus(view->printingView(), "Printing", text);
        view->showPrintingStatus();
        return view->printingView()->findChild<QLabel *>("descLabel");
    });
    QTest::newRow("menu header") << ShowText([](QWidget &host, const QString &text) {
        auto *header = new MenuHeader(&host);
        header->setText(text);
        return header->textLabel;
    });
}

// A printer names its supplies and states as it likes: markup in them is shown, not obeyed.
void TestWidgets::printerTextShowsAsItIs()
{
    QFETCH(ShowText, show);
    const QString text = QStringLiteral("<b>Bold</b>");
    QWidget host;
    QLabel *label = show(host, text);
    QVERIFY(label);
    auto *layout = new QVBoxLayout(&host);
    for (QWidget *widget : host.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        layout->addWidget(widget);
    host.resize(300, 120);
    host.show();
    QCOMPARE(label->text(), text);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QVERIFY(!label->size().isEmpty());
    QCOMPARE(picture(*label), plainRendering(*label));
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
