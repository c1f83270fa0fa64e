#pragma once

#include <QList>
#include <QMenu>

class MenuHeader;

// The tray icon's pop-up menu: the fixed entries and a group of checkable printer entries of
// which exactly the chosen one is checked.
class ContextMenu : public QMenu
{
    Q_OBJECT

public:
    // The fixed entries, for the window to connect its slots to.
    struct FixedEntries
    {
        MenuHeader *header = nullptr;
        QAction *showPanel = nullptr;
        QAction *configure = nullptr;
        QAction *printerSettings = nullptr;
        QAction *troubleshooting = nullptr;
        QAction *buyNow = nullptr;
        QAction *quit = nullptr;
    };

    explicit ContextMenu(QWidget *parent = nullptr);

    // Header, fixed entries and separators in their positions; printer entries go between the
    // last two separators.
    FixedEntries addFixedEntries(const QPixmap &headerPixmap);

    QAction *insertPrinter(const QString &text, int printerKey, bool checked, int index);
    // Removes every printer entry; returns the text of the checked one (empty if none).
    QString removePrinters();
    const QList<QAction *> &printerActions() const { return m_printerActions; }

    QAction *troubleshootingAction() const { return m_troubleshootingAction; }
    void setTroubleshootingAction(QAction *action) { m_troubleshootingAction = action; }

public Q_SLOTS:
    void onActivated(int printerKey);

Q_SIGNALS:
    void checked(int printerKey);

private:
    QList<QAction *> m_printerActions;
    QAction *m_troubleshootingAction = nullptr;
};
