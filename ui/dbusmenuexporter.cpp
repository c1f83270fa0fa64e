#include "ui/dbusmenuexporter.h"

#include "base/functions.h"

#include <QActionEvent>
#include <QActionGroup>
#include <QBuffer>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QMenu>
#include <QWidgetAction>

// The menu's wire types: an entry with its properties, and a layout that nests entries in
// variants, (ia{sv}av).
struct DBusMenuLayoutItem
{
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};

struct DBusMenuItem
{
    int id = 0;
    QVariantMap properties;
};
using DBusMenuItemList = QList<DBusMenuItem>;

struct DBusMenuItemKeys
{
    int id = 0;
    QStringList names;
};
using DBusMenuItemKeysList = QList<DBusMenuItemKeys>;

struct DBusMenuEvent
{
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using DBusMenuEventList = QList<DBusMenuEvent>;

Q_DECLARE_METATYPE(DBusMenuLayoutItem)
Q_DECLARE_METATYPE(DBusMenuItem)
Q_DECLARE_METATYPE(DBusMenuItemKeys)
Q_DECLARE_METATYPE(DBusMenuEvent)

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuLayoutItem &item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.beginArray(qMetaTypeId<QDBusVariant>());
    for (const DBusMenuLayoutItem &child : item.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuLayoutItem &item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.beginArray();
    item.children.clear();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        DBusMenuLayoutItem childItem;
        qvariant_cast<QDBusArgument>(child.variant()) >> childItem;
        item.children.append(childItem);
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItem &item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItem &item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItemKeys &keys)
{
    argument.beginStructure();
    argument << keys.id << keys.names;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItemKeys &keys)
{
    argument.beginStructure();
    argument >> keys.id >> keys.names;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuEvent &event)
{
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuEvent &event)
{
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

namespace {

const uint kProtocolVersion = 3;
const int kRootId = 0;
const int kIconEdge = 16;

void registerTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<DBusMenuLayoutItem>();
        qDBusRegisterMetaType<DBusMenuItem>();
        qDBusRegisterMetaType<DBusMenuItemList>();
        qDBusRegisterMetaType<DBusMenuItemKeys>();
        qDBusRegisterMetaType<DBusMenuItemKeysList>();
        qDBusRegisterMetaType<DBusMenuEvent>();
        qDBusRegisterMetaType<DBusMenuEventList>();
        // The adaptor's signatures name the lists as above, and QtDBus looks them up by name.
        qRegisterMetaType<DBusMenuItemList>("DBusMenuItemList");
        qRegisterMetaType<DBusMenuItemKeysList>("DBusMenuItemKeysList");
        qRegisterMetaType<DBusMenuEventList>("DBusMenuEventList");
        return true;
    }();
    Q_UNUSED(registered);
}

// Hosts mark the mnemonic with an underscore, as GTK does.
QString hostLabel(const QString &text)
{
    QString label;
    label.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'_') {
            label += QLatin1String("__");
        } else if (c == u'&') {
            if (i + 1 < text.size() && text.at(i + 1) == u'&') {
                label += u'&';
                ++i;
            } else {
                label += u'_';
            }
        } else {
            label += c;
        }
    }
    return label;
}

QByteArray pngOf(const QIcon &icon)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    icon.pixmap(QSize(kIconEdge, kIconEdge)).save(&buffer, "PNG");
    return png;
}

QVariantMap actionProperties(QAction *action)
{
    QVariantMap properties;
    if (action->isSeparator()) {
        properties.insert(QStringLiteral("type"), QStringLiteral("separator"));
    } else {
        properties.insert(QStringLiteral("label"), hostLabel(action->text()));
        // A widget row reacts through its widget, which the host does not have.
        properties.insert(QStringLiteral("enabled"),
                          action->isEnabled() && !qobject_cast<QWidgetAction *>(action));
        if (action->isCheckable()) {
            const bool radio = action->actionGroup() && action->actionGroup()->isExclusive();
            properties.insert(QStringLiteral("toggle-type"),
                              radio ? QStringLiteral("radio") : QStringLiteral("checkmark"));
            properties.insert(QStringLiteral("toggle-state"), action->isChecked() ? 1 : 0);
        }
        if (!action->icon().isNull())
            properties.insert(QStringLiteral("icon-data"), pngOf(action->icon()));
        if (action->menu())
            properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    }
    properties.insert(QStringLiteral("visible"), action->isVisible());
    return properties;
}

QVariantMap selected(const QVariantMap &properties, const QStringList &names)
{
    if (names.isEmpty())
        return properties;
    QVariantMap chosen;
    for (const QString &name : names) {
        const auto found = properties.constFind(name);
        if (found != properties.constEnd())
            chosen.insert(name, found.value());
    }
    return chosen;
}

} // namespace

class DBusMenuAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)

public:
    explicit DBusMenuAdaptor(DBusMenuExporter *exporter)
        : QDBusAbstractAdaptor(exporter)
        , m_exporter(exporter)
    { }

    uint version() const { return kProtocolVersion; }
    QString textDirection() const
    {
        return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                                     : QStringLiteral("ltr");
    }
    QString status() const { return QStringLiteral("normal"); }

public Q_SLOTS:
    uint GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames,
                   DBusMenuLayoutItem &layout)
    {
        if (!known(parentId))
            return 0;
        layout = layoutOf(parentId, recursionDepth, propertyNames);
        return m_exporter->revision();
    }

    DBusMenuItemList GetGroupProperties(const QList<int> &ids, const QStringList &propertyNames)
    {
        DBusMenuItemList items;
        for (int id : ids) {
            if (id == kRootId || m_exporter->actionOf(id))
                items.append({id, selected(m_exporter->properties(id), propertyNames)});
        }
        return items;
    }

    QDBusVariant GetProperty(int id, const QString &name)
    {
        const QVariant value = known(id) ? m_exporter->properties(id).value(name) : QVariant();
        // An empty variant cannot be sent: without an error the caller would wait for nothing.
        if (!value.isValid())
            m_exporter->failCall(QStringLiteral("no property %1").arg(name));
        return QDBusVariant(value.isValid() ? value : QVariant(QString()));
    }

    void Event(int id, const QString &eventId, const QDBusVariant &data, uint timestamp)
    {
        Q_UNUSED(data);
        Q_UNUSED(timestamp);
        if (eventId == QLatin1String("clicked"))
            m_exporter->trigger(id);
    }

    QList<int> EventGroup(const DBusMenuEventList &events)
    {
        QList<int> idErrors;
        for (const DBusMenuEvent &event : events) {
            if (event.id != kRootId && !m_exporter->actionOf(event.id))
                idErrors.append(event.id);
            else
                Event(event.id, event.eventId, event.data, event.timestamp);
        }
        return idErrors;
    }

    bool AboutToShow(int id)
    {
        const uint before = m_exporter->revision();
        Q_EMIT m_exporter->aboutToShow(id);
        return m_exporter->revision() != before;
    }

    QList<int> AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors)
    {
        QList<int> updatesNeeded;
        for (int id : ids) {
            if (id != kRootId && !m_exporter->actionOf(id))
                idErrors.append(id);
            else if (AboutToShow(id))
                updatesNeeded.append(id);
        }
        return updatesNeeded;
    }

Q_SIGNALS:
    void ItemsPropertiesUpdated(const DBusMenuItemList &updatedProps,
                                const DBusMenuItemKeysList &removedProps);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    // Unknown ids get an error, not a reply that looks like an empty menu.
    bool known(int id)
    {
        if (id == kRootId || m_exporter->actionOf(id))
            return true;
        m_exporter->failCall(QStringLiteral("no menu entry %1").arg(id));
        return false;
    }

    DBusMenuLayoutItem layoutOf(int id, int depth, const QStringList &propertyNames)
    {
        DBusMenuLayoutItem item;
        item.id = id;
        item.properties = selected(m_exporter->properties(id), propertyNames);
        QMenu *menu = depth != 0 ? m_exporter->menuOf(id) : nullptr;
        if (!menu)
            return item;
        const QList<QAction *> actions = menu->actions();
        for (QAction *action : actions)
            item.children.append(layoutOf(m_exporter->idOf(action), depth - 1, propertyNames));
        return item;
    }

    DBusMenuExporter *m_exporter;
};

DBusMenuExporter::DBusMenuExporter(QMenu *menu, const QDBusConnection &bus, const QString &path,
                                   QObject *parent)
    : QObject(parent)
    , m_menu(menu)
    , m_bus(bus)
    , m_path(path)
{
    registerTypes();
    m_announcer.setSingleShot(true);
    m_announcer.setInterval(0);
    connect(&m_announcer, &QTimer::timeout, this, &DBusMenuExporter::announce);
    if (menu)
        watchMenu(menu);
    m_adaptor = new DBusMenuAdaptor(this);
    // Local: nothing on the bus is waited for.
    m_registered = m_bus.registerObject(m_path, this, QDBusConnection::ExportAdaptors);
    if (!m_registered)
        debugPrintf("DBusMenuExporter: %s is taken", qPrintable(m_path));
}

DBusMenuExporter::~DBusMenuExporter()
{
    if (m_registered)
        m_bus.unregisterObject(m_path);
}

QMenu *DBusMenuExporter::menuOf(int id) const
{
    if (id == kRootId)
        return m_menu;
    QAction *action = actionOf(id);
    return action ? action->menu() : nullptr;
}

QAction *DBusMenuExporter::actionOf(int id) const
{
    return m_actions.value(id);
}

int DBusMenuExporter::idOf(QAction *action)
{
    const auto known = m_ids.constFind(action);
    if (known != m_ids.constEnd())
        return known.value();
    const int id = m_nextId++;
    m_ids.insert(action, id);
    m_actions.insert(id, action);
    connect(action, &QObject::destroyed, this, [this, action, id] {
        m_ids.remove(action);
        m_actions.remove(id);
        m_properties.remove(id);
        m_changed.remove(id);
        layoutChanged();
    });
    if (QMenu *submenu = action->menu())
        watchMenu(submenu);
    return id;
}

QVariantMap DBusMenuExporter::properties(int id)
{
    if (id == kRootId)
        return {{QStringLiteral("children-display"), QStringLiteral("submenu")}};
    QAction *action = actionOf(id);
    if (!action)
        return {};
    const auto sent = m_properties.constFind(id);
    if (sent != m_properties.constEnd() && !m_changed.contains(id))
        return sent.value();
    const QVariantMap current = actionProperties(action);
    // A change not yet announced is announced against what the host was given before.
    if (sent == m_properties.constEnd())
        m_properties.insert(id, current);
    return current;
}

void DBusMenuExporter::failCall(const QString &text)
{
    // Only the first failure of a call is its answer.
    if (calledFromDBus() && !message().isDelayedReply())
        sendErrorReply(QDBusError::InvalidArgs, text);
}

void DBusMenuExporter::trigger(int id)
{
    QAction *action = actionOf(id);
    if (!action || !action->isEnabled() || action->isSeparator() || action->menu())
        return;
    // After the answer: the host waits for it while whatever the entry starts comes up.
    QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
}

bool DBusMenuExporter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
        layoutChanged();
        break;
    case QEvent::ActionChanged:
        actionChanged(static_cast<QActionEvent *>(event)->action());
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void DBusMenuExporter::watchMenu(QMenu *menu)
{
    menu->installEventFilter(this);
}

void DBusMenuExporter::actionChanged(QAction *action)
{
    const auto known = m_ids.constFind(action);
    if (known == m_ids.constEnd())
        return;
    m_changed.insert(known.value());
    m_announcer.start();
}

void DBusMenuExporter::layoutChanged()
{
    m_layoutChanged = true;
    m_announcer.start();
}

void DBusMenuExporter::announce()
{
    DBusMenuItemList updated;
    DBusMenuItemKeysList removed;
    bool submenuChanged = false;
    for (int id : std::as_const(m_changed)) {
        QAction *action = actionOf(id);
        if (!action)
            continue;
        const QVariantMap current = actionProperties(action);
        const QVariantMap before = m_properties.value(id);
        DBusMenuItem changes{id, {}};
        DBusMenuItemKeys gone{id, {}};
        for (auto it = current.constBegin(); it != current.constEnd(); ++it) {
            if (before.value(it.key()) != it.value())
                changes.properties.insert(it.key(), it.value());
        }
        for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
            if (!current.contains(it.key()))
                gone.names.append(it.key());
        }
        submenuChanged = submenuChanged
                || before.contains(QStringLiteral("children-display"))
                        != current.contains(QStringLiteral("children-display"));
        if (action->menu())
            watchMenu(action->menu());
        if (!changes.properties.isEmpty())
            updated.append(changes);
        if (!gone.names.isEmpty())
            removed.append(gone);
        m_properties.insert(id, current);
    }
    m_changed.clear();
    if (m_layoutChanged || submenuChanged) {
        m_layoutChanged = false;
        ++m_revision;
        Q_EMIT m_adaptor->LayoutUpdated(m_revision, kRootId);
    }
    if (!updated.isEmpty() || !removed.isEmpty())
        Q_EMIT m_adaptor->ItemsPropertiesUpdated(updated, removed);
}

#include "dbusmenuexporter.moc"
