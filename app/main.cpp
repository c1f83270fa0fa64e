#include "app/instancelock.h"
#include "app/qtsingleapplication.h"
#include "app/terminationwatcher.h"
#include "base/functions.h"
#include "config/appsettings.h"
#include "config/configurator.h"
#include "ui/autopixmapcache.h"
#include "ui/contextmenu.h"
#include "ui/trayicon.h"
#include "ui/traymainwindow.h"
#include "ui/widgethelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLayout>
#include <QPixmap>
#include <QToolTip>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

namespace {

QtMessageHandler g_previousHandler = nullptr;

// Without "debug" only critical and fatal messages get through.
void messageFilter(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg)
        return;
    if (g_previousHandler) {
        g_previousHandler(type, context, message);
        return;
    }
    if (type == QtFatalMsg) {
        fprintf(stderr, "Fatal: %s\n", qPrintable(message));
        abort();
    }
    fprintf(stderr, "%s\n", qPrintable(message));
}

// Changes to the directory of the first word as typed, made absolute.
void enterApplicationDirectory(const QString &firstWord)
{
    debugPrintf("QDir::currentDirPath=<%s>", qPrintable(QDir::currentPath()));
    const QString appFile = QDir::current().absoluteFilePath(firstWord);
    debugPrintf("appFile: <%s>", qPrintable(appFile));
    if (!QDir::setCurrent(QFileInfo(appFile).path()))
        debugPrintf("Failed to change the current directory");
    debugPrintf("QDir::currentDirPath=<%s>", qPrintable(QDir::currentPath()));
}

// The directory of the real executable. A launcher may give a first word that names no file
// (exec -a); the kernel still knows which file runs.
QString instanceIdentifier(const QString &firstWord)
{
    const QString directory = applicationDirectory(firstWord);
    if (!directory.isEmpty())
        return directory;
    debugPrintf("main(): can't find <%s>; using the running executable", qPrintable(firstWord));
    return applicationDirectory(QStringLiteral("/proc/self/exe"));
}

// Qt's platform for this session, set before the application is made: xcb where there is an X
// display (Xlib runs on Qt's own, also under XWayland), Wayland where there is only that. A
// platform the user names is kept. False when nothing could show a window.
bool choosePlatform()
{
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        if (x11)
            qputenv("QT_QPA_PLATFORM", "xcb");
        else if (wayland)
            qputenv("QT_QPA_PLATFORM", "wayland");
        return x11 || wayland;
    }
    // Qt tries the names in turn and aborts when none starts: one that can is enough.
    const QList<QByteArray> names = qgetenv("QT_QPA_PLATFORM").split(';');
    for (const QByteArray &name : names) {
        const QByteArray plugin = name.split(':').first().trimmed();
        if (plugin == "xcb" ? x11 : plugin.startsWith("wayland") ? wayland : true)
            return true;
    }
    return false;
}

const int kDockAttempts = 5;
const int kDockIntervalMs = 1000;

} // namespace

int main(int argc, char **argv)
{
    for (int i = 0; i < argc; ++i)
        AppSettings::words().append(QString::fromLocal8Bit(argv[i]));
    if (!AppSettings::hasWord(QStringLiteral("debug"))) {
        setLogEnabled(false);
        g_previousHandler = qInstallMessageHandler(messageFilter);
    }
    // Once, before any thread: setlocale frees the name it returned to another thread.
    loadSystemLocale();

    if (!choosePlatform()) {
        fprintf(stderr,
                "pellar: no display: neither X11 (DISPLAY) nor Wayland (WAYLAND_DISPLAY) is set\n");
        return 1;
    }

    // The class hosts and task bars know Pellar's windows by, whatever the executable is called.
    QCoreApplication::setApplicationName(QStringLiteral("pellar"));
    QGuiApplication::setDesktopFileName(QStringLiteral("pellar"));

    const QString firstWord = argc > 0 ? QFile::decodeName(argv[0]) : QString();
    const QString identifier = instanceIdentifier(firstWord);
    // One instance per user and session, of whichever installation: the state it keeps is the
    // user's. The selection that carries the message is named after the same lock.
    InstanceLock instanceLock;
    const QString lockPath = InstanceLock::defaultPath();
    auto app = std::make_unique<QtSingleApplication>(lockPath.isEmpty() ? identifier : lockPath,
                                                     argc, argv, true);

    enterApplicationDirectory(firstWord);

    switch (instanceLock.claim(lockPath)) {
    case InstanceLock::Claim::HeldByAnother:
        fprintf(stderr, "%s\n",
                qPrintable(QCoreApplication::translate(
                                   "main",
                                   "Pellar is already running for this user in this "
                                   "session (process %1, lock %2).")
                                   .arg(instanceLock.holder())
                                   .arg(lockPath)));
        app->sendMessage(identifier, 5000);
        return 0;
    case InstanceLock::Claim::Unguarded:
        fprintf(stderr, "%s\n",
                qPrintable(QCoreApplication::translate(
                        "main", "Pellar cannot make sure it runs only once in this session.")));
        break;
    case InstanceLock::Claim::Claimed:
        break;
    }
    if (app->sendMessage(identifier, 5000))
        return 0;
    // Watch for termination before the instance is announced and the slow part of start-up
    // begins: a signal that arrives early waits in the watcher's pipe for the event loop.
    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested, app.get(),
                     &QCoreApplication::quit);
    app->claimInstance(false);

    const QStringList arguments = quotedArgumentList(AppSettings::words());

    auto pixmapCache = std::make_unique<AutoPixmapCache>();
    auto configurator = std::make_unique<Configurator>(
            identifier, AppSettings::hasWord(QStringLiteral("use_local_sm")),
            AppSettings::hasWord(QStringLiteral("save_sm")));

    // Before any widget exists: the user-interface texts follow the status translations' language.
    auto uiTranslator = std::make_unique<QTranslator>();
    const QString catalogue = configurator->uiTranslationFile();
    if (uiTranslator->load(catalogue))
        QCoreApplication::installTranslator(uiTranslator.get());
    else
        debugPrintf("main(): no user-interface catalogue <%s>; the texts stay in English",
                    qPrintable(catalogue));

    auto trayMenu = std::make_unique<ContextMenu>();
    auto window = std::make_unique<TrayMainWindow>(configurator.get(), trayMenu.get(),
                                                   Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                                           | Qt::WindowSystemMenuHint
                                                           | Qt::WindowMinimizeButtonHint);
    if (window->layout())
        window->layout()->setSizeConstraint(QLayout::SetFixedSize);
    placeOnScreen(window.get());
    window->showNormal();
    window->hide();
    window->setArguments(arguments);
    QObject::connect(trayMenu.get(), &ContextMenu::checked, window.get(),
                     &TrayMainWindow::selectPrinterFromMenu);

    const ContextMenu::FixedEntries menuEntries = trayMenu->addFixedEntries(
            QPixmap(configurator->absPath(QStringLiteral("../share/icons/pl_default16x16.png"))));
    QObject::connect(menuEntries.quit, &QAction::triggered, app.get(), &QCoreApplication::quit);
    window->connectMenu(menuEntries);

    auto trayIcon = std::make_unique<TrayIcon>(
            QPixmap(configurator->absPath(QStringLiteral("../share/icons/pl_default.png"))),
            QObject::tr("Pellar"), trayMenu.get());
    trayIcon->setState(QStringLiteral("default"));
    window->menuCreated();
    QObject::connect(window.get(), &TrayMainWindow::stateChanged, trayIcon.get(),
                     &TrayIcon::setState);
    QObject::connect(window.get(), &TrayMainWindow::toolTipChanged, trayIcon.get(),
                     &TrayIcon::setToolTip);
    QObject::connect(trayIcon.get(), &TrayIcon::clicked, window.get(),
                     [shownWindow = window.get()](const QPoint &, int, const QRect &iconArea) {
                         shownWindow->trayIconClicked(iconArea);
                     });
    QObject::connect(trayIcon.get(), &TrayIcon::menuActivated, window.get(),
                     &TrayMainWindow::menu_activated);

    auto tooltipFont = std::make_unique<QFont>(QToolTip::font());
    tooltipFont->setPixelSize(10);
    QToolTip::setFont(*tooltipFont);

    QObject::connect(app.get(), &QtSingleApplication::messageReceived, window.get(),
                     &TrayMainWindow::restoreWindow);

    trayAvailable = trayIcon->dock(kDockAttempts, kDockIntervalMs);
    debugPrintf("main(): trayAvailable=%s", trayAvailable ? "true" : "false");
    if (!trayAvailable) {
        window->startWithoutTray();
        QObject::connect(trayIcon.get(), &TrayIcon::trayAppeared, window.get(),
                         [shownWindow = window.get()] {
                             trayAvailable = true;
                             debugPrintf("main(): a tray appeared; trayAvailable=true");
                             shownWindow->moveIntoTray();
                         });
    }

    QObject::connect(app.get(), &QGuiApplication::lastWindowClosed, app.get(),
                     &QCoreApplication::quit);

    debugPrintf("main(): event loop {");
    const int result = app->exec();
    debugPrintf("main(): event loop } %d", result);

    tooltipFont.reset();
    trayIcon.reset();
    window.reset();
    trayMenu.reset();
    uiTranslator.reset();
    configurator.reset();
    pixmapCache.reset();
    app.reset();
    return result;
}
