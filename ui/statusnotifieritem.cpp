#include "ui/statusnotifieritem.h"

#include "base/functions.h"
#include "ui/dbusmenuexporter.h"
#include "ui/statusnotifierhost.h"
#include "ui/trayart.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QMenu>
#include <QStandardPaths>
#include <QtEndian>

// A picture as the protocol carries it: width, height and ARGB32 pixels in network byte order.
struct SniImage
{
    int width = 0;
    int height = 0;
    QByteArray argb;
};
using SniImageList = QList<SniImage>;

struct SniToolTip
{
    QString iconName;
    SniImageList images;
    QString title;
    QString description;
};

Q_DECLARE_METATYPE(SniImage)
Q_DECLARE_METATYPE(SniToolTip)

QDBusArgument &operator<<(QDBusArgument &argument, const SniImage &image)
{
    argument.beginStructure();
    argument << image.width << image.height << image.argb;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, SniImage &image)
{
    argument.beginStructure();
    argument >> image.width >> image.height >> image.argb;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const SniToolTip &toolTip)
{
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.images << toolTip.title << toolTip.description;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, SniToolTip &toolTip)
{
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.images >> toolTip.title >> toolTip.description;
    argument.endStructure();
    return argument;
}

namespace {

const char kItemPath[] = "/StatusNotifierItem";
const char kMenuPath[] = "/MenuBar";
// A sound watcher or bus answers within milliseconds; a hung one is given up on after this.
const int kCallTimeoutMs = 2000;
// RequestName: fail rather than wait in a queue for the name.
const uint kDoNotQueue = 4;
const uint kPrimaryOwner = 1;
const uint kAlreadyOwner = 4;
// Hosts pick the size nearest their panel's; the image as drawn comes first.
const int kIconEdges[] = {16, 22, 24, 32, 48, 64};

void registerTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<SniImage>();
        qDBusRegisterMetaType<SniImageList>();
        qDBusRegisterMetaType<SniToolTip>();
        // QtDBus looks the adaptor's types up by the names it declares them with.
        qRegisterMetaType<SniImageList>("SniImageList");
        return true;
    }();
    Q_UNUSED(registered);
}

SniImage sniImage(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    SniImage sni{image.width(), image.height(), QByteArray()};
    sni.argb.resize(qsizetype(image.width()) * image.height() * 4);
    auto *out = reinterpret_cast<uchar *>(sni.argb.data());
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x, out += 4)
            qToBigEndian<quint32>(line[x], out);
    }
    return sni;
}

SniImageList sniImages(const QPixmap &pixmap, const QString &state)
{
    SniImageList images;
    if (pixmap.isNull())
        return images;
    const QImage image = pixmap.toImage();
    images.append(sniImage(image));
    for (int edge : kIconEdges) {
        if (image.size() == QSize(edge, edge))
            continue;
        const QPixmap sized = state.isEmpty() ? TrayArt::scaled(pixmap, edge, 1)
                                              : TrayArt::sized(state, edge, 1);
        images.append(sniImage(sized.toImage()));
    }
    return images;
}

// The state's icon in the installed hicolor theme, which hosts draw at their panel's size; none
// for an image of no state, or when Pellar runs from where it was built.
QString themeIconName(const QString &state)
{
    if (state.isEmpty())
        return QString();
    const QString name = QStringLiteral("pellar-") + state;
    const QString file = QStringLiteral("icons/hicolor/22x22/status/%1.png").arg(name);
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, file).isEmpty() ? QString()
                                                                                       : name;
}

// Hosts that know no pointer position send 0, 0.
QPoint clickPosition(int x, int y)
{
    return x == 0 && y == 0 ? QCursor::pos() : QPoint(x, y);
}

} // namespace

class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(SniImageList IconPixmap READ iconPixmap)
    Q_PROPERTY(SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)

public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem *item)
        : QDBusAbstractAdaptor(item)
        , m_item(item)
    {
        iconChanged();
    }

    // Drawn once per state, not on every read of the properties.
    void iconChanged()
    {
        m_images = sniImages(m_item->icon(), m_item->iconState());
        m_iconName = themeIconName(m_item->iconState());
    }

    QString category() const { return QStringLiteral("Hardware"); }
    QString id() const { return QCoreApplication::applicationName(); }
    QString title() const { return QGuiApplication::applicationDisplayName(); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString iconName() const { return m_iconName; }
    SniImageList iconPixmap() const { return m_images; }
    SniToolTip toolTip() const { return {QString(), {}, m_item->toolTip(), QString()}; }
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return QDBusObjectPath(m_item->menuPath()); }

public Q_SLOTS:
    void Activate(int x, int y) { Q_EMIT m_item->activated(clickPosition(x, y)); }
    void SecondaryActivate(int x, int y) { Q_EMIT m_item->secondaryActivated(clickPosition(x, y)); }
    void ContextMenu(int x, int y) { m_item->requestContextMenu(clickPosition(x, y)); }
    void Scroll(int delta, const QString &orientation)
    {
        Q_UNUSED(delta);
        Q_UNUSED(orientation);
    }

Q_SIGNALS:
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString &status);
    void NewTitle();

private:
    StatusNotifierItem *m_item;
    SniImageList m_images;
    QString m_iconName;
};

StatusNotifierItem::StatusNotifierItem(const QPixmap &icon, const QString &toolTip, QMenu *menu,
                                       QObject *parent)
    : QObject(parent)
    , m_bus(QDBusConnection::sessionBus())
    , m_icon(icon)
    , m_toolTip(toolTip)
    , m_menu(menu)
{
    registerTypes();
    m_adaptor = new StatusNotifierItemAdaptor(this);
    if (!m_bus.isConnected()) {
        debugPrintf("StatusNotifierItem: no session bus");
        return;
    }
    // Registering objects is local: nothing on the bus is waited for.
    m_registered
            = m_bus.registerObject(QLatin1String(kItemPath), this, QDBusConnection::ExportAdaptors);
    if (!m_registered)
        debugPrintf("StatusNotifierItem: %s is taken", kItemPath);
    exportMenu();
    // A restarted panel has forgotten the item.
    auto *watcher = new QDBusServiceWatcher(QLatin1String(StatusNotifierHost::kWatcherService),
                                            m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                if (!newOwner.isEmpty())
                    registerWithWatcher();
            });
    requestName();
}

StatusNotifierItem::~StatusNotifierItem()
{
    if (!m_bus.isConnected())
        return;
    if (m_registered)
        m_bus.unregisterObject(QLatin1String(kItemPath));
    m_menuExporter.reset();
    // Also while the request is still on its way: the bus handles both in order.
    if (!m_requestedName.isEmpty()) {
        QDBusMessage release = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReleaseName"));
        release << m_requestedName;
        m_bus.send(release);
    }
}

void StatusNotifierItem::setIcon(const QPixmap &icon, const QString &state)
{
    m_icon = icon;
    m_iconState = state;
    m_adaptor->iconChanged();
    Q_EMIT m_adaptor->NewIcon();
}

void StatusNotifierItem::setToolTip(const QString &text)
{
    m_toolTip = text;
    Q_EMIT m_adaptor->NewToolTip();
}

void StatusNotifierItem::setMenu(QMenu *menu)
{
    if (menu == m_menu || !m_bus.isConnected())
        return;
    m_menu = menu;
    // One object per path: the old export goes first.
    m_menuExporter.reset();
    exportMenu();
}

void StatusNotifierItem::exportMenu()
{
    m_menuExporter = std::make_unique<DBusMenuExporter>(m_menu, m_bus, QLatin1String(kMenuPath));
    connect(m_menuExporter.get(), &DBusMenuExporter::aboutToShow, this, [this](int id) {
        if (id == 0)
            Q_EMIT menuRequested();
    });
}

QString StatusNotifierItem::menuPath() const
{
    return QLatin1String(kMenuPath);
}

void StatusNotifierItem::requestContextMenu(const QPoint &globalPos)
{
    Q_EMIT menuRequested();
    if (m_menu)
        m_menu->popup(globalPos);
}

void StatusNotifierItem::requestName()
{
    static int itemCount = 0;
    m_requestedName = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                              .arg(QCoreApplication::applicationPid())
                              .arg(++itemCount);
    QDBusMessage request = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    request << m_requestedName << kDoNotQueue;
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(request, kCallTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *call) {
                call->deleteLater();
                const QDBusPendingReply<uint> reply = *call;
                if (reply.isValid()
                    && (reply.value() == kPrimaryOwner || reply.value() == kAlreadyOwner)) {
                    m_service = m_requestedName;
                } else {
                    // Hosts find the item under the connection's own name as well.
                    debugPrintf("StatusNotifierItem: no name %s: %s", qPrintable(m_requestedName),
                                qPrintable(reply.isError() ? reply.error().message()
                                                           : QStringLiteral("taken")));
                    m_service = m_bus.baseService();
                }
                registerWithWatcher();
            });
}

void StatusNotifierItem::registerWithWatcher()
{
    // Before the name is settled the watcher is asked once it is.
    if (m_service.isEmpty())
        return;
    QDBusMessage call
            = QDBusMessage::createMethodCall(QLatin1String(StatusNotifierHost::kWatcherService),
                                             QLatin1String(StatusNotifierHost::kWatcherPath),
                                             QLatin1String(StatusNotifierHost::kWatcherInterface),
                                             QStringLiteral("RegisterStatusNotifierItem"));
    call << m_service;
    call.setAutoStartService(false);
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *answer) {
                answer->deleteLater();
                if (answer->isError())
                    debugPrintf("StatusNotifierItem: the watcher did not take %s: %s",
                                qPrintable(m_service), qPrintable(answer->error().message()));
                else
                    debugPrintf("StatusNotifierItem: registered as %s", qPrintable(m_service));
            });
}

#include "statusnotifieritem.moc"
