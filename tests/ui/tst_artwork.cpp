// The artwork as the build renders it: every image the program loads exists at its size, and
// the tray states are told apart by shape, not colour alone. Leaves a contact sheet.
#include "tests/tools/screenshot.h"
#include "ui/trayart.h"
#include "ui/widgethelpers.h"

#include <QPainter>
#include <QTest>

namespace {

struct Art
{
    QString name;
    int size;
    bool builtIn;
};

const QList<Art> kArt = {
        {QStringLiteral("Device.png"), 70, true},
        {QStringLiteral("Supplies.png"), 32, true},
        {QStringLiteral("Troubleshooting.png"), 32, true},
        {QStringLiteral("PrinterSettings.png"), 32, true},
        {QStringLiteral("VirtualPanel16x16.png"), 16, true},
        {QStringLiteral("Supplies16x16.png"), 16, true},
        {QStringLiteral("Troubleshooting16x16.png"), 16, true},
        {QStringLiteral("PrinterSettings16x16.png"), 16, true},
        {QStringLiteral("configure.png"), 16, true},
        {QStringLiteral("exit.png"), 16, true},
        {QStringLiteral("Quillon_C400_Series.png"), 70, false},
        {QStringLiteral("logo.png"), 70, false},
        {QStringLiteral("pl_default16x16.png"), 16, false},
        {QStringLiteral("pl_default.png"), 22, false},
        {QStringLiteral("pl_normal.png"), 22, false},
        {QStringLiteral("pl_warning.png"), 22, false},
        {QStringLiteral("pl_error.png"), 22, false},
        {QStringLiteral("pl_printing.png"), 22, false},
};

const qsizetype kTrayStates = 5;

QImage load(const Art &art)
{
    return art.builtIn ? embeddedImage(art.name)
                       : QImage(QStringLiteral(PELLAR_STAGE_DIR "/share/icons/") + art.name);
}

} // namespace

class TestArtwork : public QObject
{
    Q_OBJECT
private slots:
    void everyImageAtItsSize();
    void trayStatesDifferInShape();
};

void TestArtwork::everyImageAtItsSize()
{
    // Each image at 1x and at 4x, on a light and on a dark panel.
    QImage sheet(2680, 760, QImage::Format_ARGB32);
    sheet.fill(QColor(0xe8e8e8));
    QPainter painter(&sheet);
    painter.fillRect(0, 380, sheet.width(), 380, QColor(0x2a2d33));
    int x = 10;
    for (const Art &art : kArt) {
        const QImage image = load(art);
        QVERIFY2(image.size() == QSize(art.size, art.size), qPrintable(art.name));
        for (int top : {10, 390}) {
            painter.drawImage(x, top, image);
            painter.drawImage(QRect(x, top + art.size + 10, art.size * 4, art.size * 4), image);
        }
        x += art.size * 4 + 20;
    }
    painter.end();
    saveScreenshot(sheet, QStringLiteral("artwork"));
}

void TestArtwork::trayStatesDifferInShape()
{
    QList<QImage> masks;
    for (qsizetype i = kArt.size() - kTrayStates; i < kArt.size(); ++i) {
        const QImage image = load(kArt[i]);
        masks << image.convertToFormat(QImage::Format_Alpha8);
        // The installed image of each state is its drawing, as the tray draws it by name.
        const QString state = kArt[i].name.mid(3).chopped(4);
        QCOMPARE(image.convertToFormat(QImage::Format_ARGB32),
                 TrayArt::render(state, TrayArt::kDrawnEdge));
    }
    for (qsizetype a = 0; a < masks.size(); ++a)
        for (qsizetype b = a + 1; b < masks.size(); ++b)
            QVERIFY2(masks[a] != masks[b], qPrintable(kArt[kArt.size() - kTrayStates + a].name));
}

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
