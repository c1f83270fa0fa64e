#include "ui/contextmenu.h"

#include "ui/menuheader.h"
#include "ui/widgethelpers.h"

#include <QPixmap>
#include <QWidgetAction>

namespace {

QIcon embeddedIcon(const char *name)
{
    const QImage image = embeddedImage(QString::fromLatin1(name));
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

} // namespace

ContextMenu::ContextMenu(QWidget *parent)
    : QMenu(parent)
{ }

ContextMenu::FixedEntries ContextMenu::addFixedEntries(const QPixmap &headerPixmap)
{
    FixedEntries entries;
    entries.header = new MenuHeader;
    entries.header->setText(tr("Pellar"));
    entries.header->setPixmap(headerPixmap);
    entries.header->setSpacing(6);
    auto *headerAction = new QWidgetAction(this);
    headerAction->setDefaultWidget(entries.header);
    addAction(headerAction);
    m_headerAction = headerAction;

    entries.showPanel = addAction(embeddedIcon("VirtualPanel16x16.png"), tr("Show Pellar"));
    entries.configure = addAction(embeddedIcon("configure.png"), tr("Configure Pellar..."));
    m_entriesSeparator = addSeparator();
    entries.printerSettings
            = addAction(embeddedIcon("PrinterSettings16x16.png"), tr("Printer Settings..."));
    entries.troubleshooting
            = addAction(embeddedIcon("Troubleshooting16x16.png"), tr("Troubleshooting Guide"));
    m_troubleshootingAction = entries.troubleshooting;
    entries.buyNow = addAction(embeddedIcon("Supplies16x16.png"), tr("Buy Now"));
    m_printersSeparator = addSeparator();
    m_quitSeparator = addSeparator();
    // Translated like every other entry: a lone English word in a translated menu reads as a fault.
    entries.quit = addAction(embeddedIcon("exit.png"), tr("&Quit"));
    m_entries = entries;
    return entries;
}

QAction *ContextMenu::insertPrinter(const QString &text, int printerKey, bool isChecked)
{
    // A queue's name is shown as it is: its "&" marks no shortcut.
    auto *action = new QAction(QString(text).replace(QLatin1Char('&'), QLatin1String("&&")), this);
    action->setCheckable(true);
    action->setChecked(isChecked);
    action->setData(printerKey);
    connect(action, &QAction::triggered, this, [this, printerKey] { onActivated(printerKey); });
    m_printerActions.append(action);
    insertInPlace(action);
    return action;
}

QString ContextMenu::removePrinters()
{
    QString checkedText;
    for (QAction *action : std::as_const(m_printerActions)) {
        if (action->isChecked())
            checkedText = action->text().replace(QLatin1String("&&"), QLatin1String("&"));
        removeAction(action);
        delete action;
    }
    m_printerActions.clear();
    return checkedText;
}

void ContextMenu::onActivated(int printerKey)
{
    for (QAction *action : std::as_const(m_printerActions))
        action->setChecked(action->data().toInt() == printerKey);
    Q_EMIT checked(printerKey);
}

QAction *ContextMenu::printerAction(quint32 printerKey) const
{
    QAction *found = nullptr;
    for (QAction *action : m_printerActions) {
        if (action->data().toUInt() == printerKey)
            found = action;
    }
    return found;
}

void ContextMenu::showPrinterSettings(bool show)
{
    if (!m_entries.printerSettings || m_withoutTray || show == m_printerSettingsShown)
        return;
    m_printerSettingsShown = show;
    if (show)
        insertInPlace(m_entries.printerSettings);
    else
        removeAction(m_entries.printerSettings);
}

void ContextMenu::showFamilyEntries(bool show)
{
    for (QAction *entry : {m_entries.troubleshooting, m_entries.buyNow}) {
        if (entry)
            entry->setVisible(show);
    }
}

void ContextMenu::enablePrinterEntries(bool enable)
{
    if (m_withoutTray)
        return;
    // The settings entry too while it is out of the menu: it returns as the others are.
    for (QAction *entry : {m_entriesSeparator, m_entries.printerSettings, m_entries.troubleshooting,
                           m_entries.buyNow, m_printersSeparator}) {
        if (entry)
            entry->setEnabled(enable);
    }
}

void ContextMenu::leaveTray()
{
    if (m_withoutTray)
        return;
    m_withoutTray = true;
    // Five entries go, as they always have: with the settings entry hidden, the separator before
    // Quit goes in its stead.
    m_entriesWithoutTray = {m_entries.showPanel,
                            m_printerSettingsShown ? m_entries.printerSettings : m_quitSeparator,
                            m_entries.troubleshooting, m_entries.buyNow, m_printersSeparator};
    for (QAction *entry : std::as_const(m_entriesWithoutTray)) {
        if (entry)
            removeAction(entry);
    }
}

void ContextMenu::enterTray()
{
    if (!m_withoutTray)
        return;
    m_withoutTray = false;
    for (QAction *entry : std::as_const(m_entriesWithoutTray)) {
        if (entry)
            insertInPlace(entry);
    }
    m_entriesWithoutTray.clear();
}

QList<QAction *> ContextMenu::fullOrder() const
{
    QList<QAction *> order{m_headerAction,     m_entries.showPanel,       m_entries.configure,
                           m_entriesSeparator, m_entries.printerSettings, m_entries.troubleshooting,
                           m_entries.buyNow,   m_printersSeparator};
    order += m_printerActions;
    order << m_quitSeparator << m_entries.quit;
    order.removeAll(nullptr);
    return order;
}

void ContextMenu::insertInPlace(QAction *entry)
{
    const QList<QAction *> order = fullOrder();
    const QList<QAction *> shown = actions();
    QAction *before = nullptr;
    for (qsizetype i = order.indexOf(entry) + 1; i < order.size() && !before; ++i) {
        if (shown.contains(order.at(i)))
            before = order.at(i);
    }
    insertAction(before, entry);
}

void ContextMenu::showGuide(bool troubleshooting)
{
    if (m_troubleshootingAction)
        m_troubleshootingAction->setText(troubleshooting ? tr("Troubleshooting Guide")
                                                         : tr("User's Guide"));
}

QString ContextMenu::checkPrinter(quint32 printerKey)
{
    QAction *entry = printerAction(printerKey);
    if (!entry)
        return QString();
    entry->setChecked(true);
    return entry->text();
}
