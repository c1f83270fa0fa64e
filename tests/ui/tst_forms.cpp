#include "config/configurator.h"
#include "tests/tools/screenshot.h"
#include "tests/tools/testlocale.h"
#include "ui/optiondialogex.h"
#include "ui/rpcpanel.h"
#include "ui/widgets/cartridgebar.h"
#include "ui/widgets/cartridgepellarview.h"
#include "ui/widgets/colorbar.h"
#include "ui/widgets/picturebutton.h"
#include "ui/widgets/plstatusview.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTranslator>

namespace {

// The toner names come from the printer's status description, translated with its statuses.
void showToners(CartridgePellarView *view,
                const QStringList &names = {"Black", "Cyan", "Magenta", "Yellow"})
{
    view->clear();
    view->addItem("TonerK", names.at(0), QColor("#000000"), QColor(), QColor());
    view->addItem("TonerC", names.at(1), QColor("#00a0e0"), QColor(), QColor());
    view->addItem("TonerM", names.at(2), QColor("#e0007a"), QColor(), QColor());
    view->addItem("TonerY", names.at(3), QColor("#ffe600"), QColor(), QColor());
    const std::pair<const char *, int> levels[]
            = {{"TonerK", 85}, {"TonerC", 40}, {"TonerM", 8}, {"TonerY", 100}};
    for (const auto &[id, level] : levels)
        view->setLevel(id, level);
}

} // namespace

class TestForms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void panelWithToners();
    void panelWithoutCartridge();
    void tonerBarsStandOutInLightAndDarkPalettes();
    void printingStatusBoxSetsTheAlerts();
    void scheduleTimeIsClamped();
    void closingReportsHow();
    void germanPanelFromTheInstalledCatalogue();
};

void TestForms::panelWithToners()
{
    RPCPanel panel;
    QCOMPARE(panel.size(), QSize(494, 245));
    auto *status = panel.findChild<PLStatusView *>("statusView");
    status->setStatus(status->regularView(), "Toner Low",
                      "The magenta toner is nearly empty. Printing can go on for a while; "
                      "order a new cartridge now so that it is at hand when the printer stops.");
    auto *cartridges = panel.findChild<CartridgePellarView *>("cartridgeView");
    showToners(cartridges);
    panel.findChild<QLabel *>("infoLabel")->hide();
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));

    const auto buttons = panel.findChildren<PictureButton *>();
    QCOMPARE(buttons.size(), 3);
    for (PictureButton *button : buttons)
        QVERIFY(button->font().pointSizeF() >= PictureButton::kSmallestFontSize);
    QVERIFY(cartridges->cartridgeVisible());
    saveScreenshot(panel.grab().toImage(), "panel-toner");
}

void TestForms::panelWithoutCartridge()
{
    RPCPanel panel;
    auto *status = panel.findChild<PLStatusView *>("statusView");
    status->setStatus(status->regularView(), "Ready", "The printer is ready to print.");
    auto *cartridges = panel.findChild<CartridgePellarView *>("cartridgeView");
    cartridges->setCartridgeVisible(false);
    QVERIFY(!cartridges->cartridgeVisible());
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    saveScreenshot(panel.grab().toImage(), "panel-no-cartridge");
}

void TestForms::tonerBarsStandOutInLightAndDarkPalettes()
{
    // A dark desktop palette: near-black panel, light text.
    const QColor window(36, 36, 36);
    const QColor text(230, 230, 230);
    const QPalette dark(text, QColor(48, 48, 48), QColor(80, 80, 80), QColor(20, 20, 20),
                        QColor(40, 40, 40), text, Qt::white, QColor(30, 30, 30), window);
    const QPalette light = QApplication::palette();
    for (const bool isDark : {false, true}) {
        // The desktop's palette is there before the panel is built.
        QApplication::setPalette(isDark ? dark : light);
        RPCPanel panel;
        auto *status = panel.findChild<PLStatusView *>("statusView");
        status->setStatus(status->regularView(), "Ready", "The printer is ready to print.");
        auto *cartridges = panel.findChild<CartridgePellarView *>("cartridgeView");
        showToners(cartridges);
        cartridges->setLevel("TonerK", 50);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        // The printers' black and a yellow: the empty part of a bar differs from its fill.
        for (const QColor fill : {QColor(26, 26, 26), QColor(255, 230, 0)}) {
            auto *bar = panel.findChild<CartridgeBar *>("TonerK_bar");
            bar->setLevel(50);
            const auto colorBars = bar->findChildren<ColorBar *>();
            QCOMPARE(colorBars.size(), 1);
            colorBars.first()->setColor(fill);
            const QImage image = colorBars.first()->grab().toImage();
            const int y = image.height() / 2;
            const int filled = image.pixelColor(image.width() / 4, y).lightness();
            const int track = image.pixelColor(image.width() * 3 / 4, y).lightness();
            QVERIFY2(qAbs(filled - track) >= 60,
                     qPrintable(QStringLiteral("%1 on a %2 panel: fill %3, track %4")
                                        .arg(fill.name(), isDark ? "dark" : "light")
                                        .arg(filled)
                                        .arg(track)));
        }
        panel.findChild<CartridgeBar *>("TonerK_bar")
                ->findChild<ColorBar *>()
                ->setColor(QColor(26, 26, 26));
        if (isDark)
            saveScreenshot(panel.grab().toImage(), "panel-dark");
    }
    QApplication::setPalette(light);
}

void TestForms::printingStatusBoxSetsTheAlerts()
{
    OptionDialogEx dialog(nullptr, "optionDlg");
    Options options;
    options.displayPrinterError = false;
    options.displayFinishNwJob = false;
    options.scheduleTime = 7;
    dialog.setOptions(options);
    // The printing-status box was off and is switched on last, so its toggle drove the alerts.
    Options shown = dialog.options();
    QVERIFY(shown.displayPrinterError && shown.displayPrinterWaiting && shown.displayFinishNwJob);

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(!dialog.findChild<QWidget *>("advancedOptions")->isVisible());
    QTest::mouseClick(dialog.findChild<QCheckBox *>("displayPrintingStatus"), Qt::LeftButton);
    shown = dialog.options();
    QVERIFY(!shown.displayPrintingStatus && !shown.displayPrinterError
            && !shown.displayPrinterWaiting && !shown.displayFinishNwJob);
    QCOMPARE(shown.scheduleTime, 7);
    QTest::mouseClick(dialog.findChild<QCheckBox *>("displayPrintingStatus"), Qt::LeftButton);
    saveScreenshot(dialog.grab().toImage(), "options-dialog");
}

void TestForms::scheduleTimeIsClamped()
{
    OptionDialogEx dialog;
    Options options;
    options.scheduleTime = 0;
    dialog.setOptions(options);
    QCOMPARE(dialog.options().scheduleTime, 1);
    options.scheduleTime = 11;
    dialog.setOptions(options);
    QCOMPARE(dialog.options().scheduleTime, 10);
}

void TestForms::closingReportsHow()
{
    OptionDialogEx dialog;
    QSignalSpy closed(&dialog, &OptionDialogEx::closed);
    dialog.show();
    dialog.findChild<QPushButton *>("btnOK")->click();
    QVERIFY(dialog.isHidden());
    dialog.show();
    dialog.close(); // as the window frame does
    dialog.show();
    dialog.findChild<QPushButton *>("btnCancel")->click();
    QCOMPARE(closed.size(), 3);
    QCOMPARE(closed.at(0).at(0).toBool(), true);
    QCOMPARE(closed.at(1).at(0).toBool(), false);
    QCOMPARE(closed.at(2).at(0).toBool(), false);
}

QTEST_MAIN(TestForms)
// The catalogue start-up picks for a German desktop is built and installed, and reaches the panel.
void TestForms::germanPanelFromTheInstalledCatalogue()
{
    TestLocale german("de_DE.UTF-8");
    QVERIFY(german.isValid());
    const Configurator configurator(QStringLiteral(PELLAR_STAGE_DIR "/bin"), false, false);
    QTranslator translator;
    QVERIFY(translator.load(configurator.uiTranslationFile()));
    QCoreApplication::installTranslator(&translator);

    RPCPanel panel;
    QCOMPARE(panel.findChild<PictureButton *>("supplies")->text(), QStringLiteral("Jetzt kaufen"));
    auto *status = panel.findChild<PLStatusView *>("statusView");
    status->setStatus(status->regularView(), "Toner fast leer",
                      "Der Magenta-Toner ist fast leer. Bestellen Sie jetzt eine neue Kartusche.");
    showToners(panel.findChild<CartridgePellarView *>("cartridgeView"),
               {"Schwarz", "Cyan", "Magenta", "Gelb"});
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    saveScreenshot(panel.grab().toImage(), "panel-de");
    QCoreApplication::removeTranslator(&translator);
}

#include "tst_forms.moc"
