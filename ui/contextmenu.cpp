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

    entries.showPanel = addAction(embeddedIcon("VirtualPanel16x16.png"), tr("Show Pellar"));
    entries.configure = addAction(embeddedIcon("configure.png"), tr("Configure Pellar..."));
    addSeparator();
    entries.printerSettings
            = addAction(embeddedIcon("PrinterSettings16x16.png"), tr("Printer Settings..."));
    entries.troubleshooting
            = addAction(embeddedIcon("Troubleshooting16x16.png"), tr("Troubleshooting Guide"));
    m_troubleshootingAction = entries.troubleshooting;
    entries.buyNow = addAction(embeddedIcon("Supplies16x16.png"), tr("Buy Now"));
    addSeparator();
    addSeparator();
    // Translated like every other entry: a lone English word in a translated menu reads as a fault.
    entries.quit = addAction(embeddedIcon("exit.png"), tr("&Quit"));
    return entries;
}

QAction *ContextMenu::insertPrinter(const QString &text, int printerKey, bool isChecked, int index)
{
    auto *action = new QAction(text, this);
    action->setCheckable(true);
    action->setChecked(isChecked);
    action->setData(printerKey);
    connect(action, &QAction::triggered, this, [this, printerKey] { onActivated(printerKey); });
    insertAction(actions().value(index), action);
    m_printerActions.append(action);
    return action;
}

QString ContextMenu::removePrinters()
{
    QString checkedText;
    for (QAction *action : std::as_const(m_printerActions)) {
        if (action->isChecked())
            checkedText = action->text();
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
