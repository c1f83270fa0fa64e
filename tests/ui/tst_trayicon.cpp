// The tray icon docked in a real tray host on a display of the test's own, driven by real pointer
// events.
#include "tests/tools/screenshot.h"
#include "tests/tools/x11fixture.h"
#include "ui/contextmenu.h"
#include "ui/menuheader.h"
#include "ui/trayart.h"
#include "ui/trayicon.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>

namespace {

bool xdotool(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

bool moveAndClick(const QPoint &pos, int button = 0)
{
    QStringList arguments{QStringLiteral("mousemove"), QString::number(pos.x()),
                          QString::number(pos.y())};
    if (button)
        arguments << QStringLiteral("click") << QString::number(button);
    return xdotool(arguments);
}

QPixmap trayImage(const char *name)
{
    return QPixmap(QStringLiteral(PELLAR_STAGE_DIR "/share/icons/") + QLatin1String(name));
}

// Where the tray put the icon; Qt does not learn the position of a window that another client
// reparented.
QPoint iconCorner(const TrayIcon &icon)
{
    return X11Fixture().rootPosition(icon.dockWidget()->winId());
}

QPoint iconCentre(const TrayIcon &icon)
{
    return iconCorner(icon) + QPoint(11, 11);
}

} // namespace

class TestTrayIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void docksAndShowsEachState();
    void iconIsDrawnForTheTraySize();
    void tooltipShowsWhileTheIconIsNotActive();
    void clicksAndMenuReachTheSignalsInOrder();

private:
    std::unique_ptr<ContextMenu> m_menu;
    std::unique_ptr<TrayIcon> m_icon;
};

void TestTrayIcon::init()
{
    m_menu = std::make_unique<ContextMenu>();
    m_menu->addFixedEntries(trayImage("pl_default16x16.png"));
    m_icon = std::make_unique<TrayIcon>(trayImage("pl_default.png"), QStringLiteral("Pellar"),
                                        m_menu.get());
    m_icon->show();
    QVERIFY(m_icon->isDocked());
    QTRY_VERIFY_WITH_TIMEOUT(m_icon->dockWidget()->isVisible(), 30000);
}

void TestTrayIcon::cleanup()
{
    m_icon.reset();
    m_menu.reset();
}

void TestTrayIcon::docksAndShowsEachState()
{
    // Hosts and task bars name the icon's window after Pellar.
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(m_icon->dockWidget()->winId()), "WM_CLASS"});
    QVERIFY(xprop.waitForFinished());
    QCOMPARE(xprop.readAllStandardOutput().trimmed(),
             QByteArray("WM_CLASS(STRING) = \"pellar\", \"Pellar\""));
    for (const char *state : {"default", "normal", "warning", "error", "printing"}) {
        m_icon->setState(QLatin1String(state));
        QCOMPARE(m_icon->state(), QLatin1String(state));
        m_icon->dockWidget()->repaint();
        // The icon's slot in the tray with the tray's border around it, once the tray shows the
        // state's drawing there.
        const auto grab = [this] {
            const QPoint corner = iconCorner(*m_icon);
            return QGuiApplication::primaryScreen()
                    ->grabWindow(0, corner.x() - 1, corner.y() - 1,
                                 m_icon->dockWidget()->width() + 2,
                                 m_icon->dockWidget()->height() + 2)
                    .toImage()
                    .convertToFormat(QImage::Format_RGB32);
        };
        const auto blank = [](const QImage &image) {
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixel(x, y) != image.pixel(0, 0))
                        return false;
            return true;
        };
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT(!blank(shot = grab()), 10000);
        QVERIFY(saveScreenshot(shot.scaled(shot.size() * 4),
                               QStringLiteral("tray-icon-%1").arg(state)));
    }
}

// Each tray size runs in a process of its own: the tray host's height and Qt's scale are fixed
// before Qt starts.
void TestTrayIcon::iconIsDrawnForTheTraySize()
{
    const int trayHeight = qEnvironmentVariableIntValue("PELLAR_TEST_TRAY_HEIGHT");
    if (trayHeight == 0) {
        const std::pair<int, const char *> trays[]
                = {{16, "1"}, {22, "1"}, {32, "1"}, {48, "1"}, {48, "2"}};
        for (const auto &[height, scale] : trays) {
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("PELLAR_TEST_TRAY_HEIGHT"), QString::number(height));
            environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QLatin1String(scale));
            child.setProcessEnvironment(environment);
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("iconIsDrawnForTheTraySize")});
            QVERIFY(child.waitForFinished(60000));
            QVERIFY2(
                    child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                    qPrintable(QStringLiteral("tray of %1 px at scale %2").arg(height).arg(scale)));
        }
        return;
    }
    QWidget *dock = m_icon->dockWidget();
    const qreal ratio = dock->devicePixelRatioF();
    // trayer keeps a pixel of its panel above and below the slot; a square as high as that.
    QTRY_COMPARE_WITH_TIMEOUT(qRound(dock->height() * ratio), trayHeight - 2, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(dock->width(), dock->height(), 10000);
    const int edge = qRound(dock->height() * ratio);
    m_icon->setState(QStringLiteral("error"));
    dock->repaint();
    QImage shot = QGuiApplication::primaryScreen()->grabWindow(dock->winId()).toImage();
    shot = shot.convertToFormat(QImage::Format_ARGB32);
    const QString name
            = QStringLiteral("tray-%1px%2")
                      .arg(trayHeight)
                      .arg(ratio > 1 ? QStringLiteral("-scale%1").arg(ratio) : QString());
    QVERIFY(saveScreenshot(shot.scaled(shot.size() * 4), name));
    qInfo("%s: slot %dx%d logical, icon edge %d px", qPrintable(name), dock->width(),
          dock->height(), edge);

    // The error drawing at the slot's own pixel size, on the tray's background.
    QImage expected = TrayArt::render(QStringLiteral("error"), edge);
    QVERIFY(!expected.isNull());
    const QPoint offset((shot.width() - edge) / 2, (shot.height() - edge) / 2);
    const QColor background = shot.pixelColor(offset + QPoint(edge - 1, 0));
    QImage composed(expected.size(), QImage::Format_ARGB32);
    composed.fill(background);
    QPainter(&composed).drawImage(0, 0, expected);
    int alike = 0;
    for (int y = 0; y < edge; ++y) {
        for (int x = 0; x < edge; ++x) {
            const QColor a = composed.pixelColor(x, y);
            const QColor b = shot.pixelColor(offset + QPoint(x, y));
            alike += qAbs(a.red() - b.red()) <= 8 && qAbs(a.green() - b.green()) <= 8
                    && qAbs(a.blue() - b.blue()) <= 8;
        }
    }
    QVERIFY2(alike >= edge * edge * 98 / 100,
             qPrintable(QStringLiteral("%1 of %2 pixels as drawn").arg(alike).arg(edge * edge)));
}

void TestTrayIcon::tooltipShowsWhileTheIconIsNotActive()
{
    QVERIFY(moveAndClick(QPoint(400, 400)));
    QVERIFY(moveAndClick(iconCentre(*m_icon)));
    // Shown as plain text: a queue's name is no markup.
    QTRY_COMPARE_WITH_TIMEOUT(QToolTip::text(),
                              Qt::convertFromPlainText("Pellar", Qt::WhiteSpaceNoWrap), 30000);
    QVERIFY(moveAndClick(QPoint(400, 400)));
}

void TestTrayIcon::clicksAndMenuReachTheSignalsInOrder()
{
    QStringList order;
    connect(m_icon.get(), &TrayIcon::clicked, this, [&](const QPoint &pos, int button) {
        order << QStringLiteral("clicked %1").arg(button);
        QCOMPARE(pos, iconCentre(*m_icon));
    });
    connect(m_icon.get(), &TrayIcon::menuActivated, this,
            [&] { order << QStringLiteral("menuActivated"); });
    connect(m_menu.get(), &QMenu::aboutToShow, this, [&] { order << QStringLiteral("shown"); });
    const QStringList printers{QStringLiteral("Laser 2100"), QStringLiteral("Laser 3300 (office)"),
                               QStringLiteral("Colour 500 MFP")};
    for (int i = 0; i < printers.size(); ++i)
        m_menu->insertPrinter(printers.at(i), 10 + i, i == 1);

    QVERIFY(moveAndClick(iconCentre(*m_icon), 1));
    QVERIFY(moveAndClick(iconCentre(*m_icon), 2));
    QVERIFY(moveAndClick(iconCentre(*m_icon), 3));
    QTRY_VERIFY_WITH_TIMEOUT(m_menu->isVisible(), 30000);
    QVERIFY(QTest::qWaitForWindowExposed(m_menu.get()));
    m_menu->repaint();
    QCOMPARE(order, QStringList({"clicked 1", "clicked 4", "menuActivated", "shown"}));
    const QRect menuRect = m_menu->geometry();
    QVERIFY(saveScreenshot(
            QGuiApplication::primaryScreen()
                    ->grabWindow(0, 0, 0, menuRect.right() + 12, menuRect.bottom() + 12)
                    .toImage(),
            QStringLiteral("tray-menu")));

    // A click on the header is no choice; the printer chosen next is the only one checked.
    QSignalSpy triggered(m_menu.get(), &QMenu::triggered);
    QSignalSpy checked(m_menu.get(), &ContextMenu::checked);
    auto *header = m_menu->findChild<MenuHeader *>();
    QVERIFY(header);
    QVERIFY(moveAndClick(header->textLabel->mapToGlobal(QPoint(4, 4)), 1));
    QAction *third = m_menu->printerActions().at(2);
    QVERIFY(moveAndClick(m_menu->mapToGlobal(m_menu->actionGeometry(third).center()), 1));
    QTRY_COMPARE_WITH_TIMEOUT(checked.size(), 1, 30000);
    QCOMPARE(checked.first().first().toInt(), 12);
    QCOMPARE(triggered.size(), 1);
    QCOMPARE(triggered.first().first().value<QAction *>(), third);
    QCOMPARE(std::count_if(m_menu->printerActions().begin(), m_menu->printerActions().end(),
                           [](QAction *a) { return a->isChecked(); }),
             1);
    QVERIFY(third->isChecked());
    QCOMPARE(m_menu->removePrinters(), printers.at(2));
}

int main(int argc, char **argv)
{
    // Before Qt connects: the display and its tray host are ready when the tests begin.
    PrivateXSession session;
    const int trayHeight = qEnvironmentVariableIntValue("PELLAR_TEST_TRAY_HEIGHT");
    if (!session.isRunning() || !session.startTrayHost(trayHeight > 0 ? trayHeight : 26)) {
        fprintf(stderr, "no private display with a tray host\n");
        return 1;
    }
    qputenv("DISPLAY", session.display());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    // As QTEST_MAIN has it.
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestTrayIcon test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_trayicon.moc"
