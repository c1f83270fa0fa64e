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

    // Header, fixed entries and separators in their places; printer entries go between the
    // last two separators.
    FixedEntries addFixedEntries(const QPixmap &headerPixmap);

    // After the fixed entries and the printers inserted before.
    QAction *insertPrinter(const QString &text, int printerKey, bool checked);
    // Removes every printer entry; returns the text of the checked one (empty if none).
    QString removePrinters();
    const QList<QAction *> &printerActions() const { return m_printerActions; }
    // The entry of the printer with this key; null when there is none.
    QAction *printerAction(quint32 printerKey) const;

    // Only for a printer that has the settings tool; a menu without a tray has no such entry.
    void showPrinterSettings(bool show);
    // The entries that act on the followed printer.
    void enablePrinterEntries(bool enable);
    // Ordering and the guides exist for the supported family only.
    void showFamilyEntries(bool show);
    // Without a tray the panel stands in for the icon: the entries about it leave the menu,
    // and return in their places when a tray appears.
    void leaveTray();
    void enterTray();

    QAction *troubleshootingAction() const { return m_troubleshootingAction; }
    void setTroubleshootingAction(QAction *action) { m_troubleshootingAction = action; }
    // The guide entry opens the troubleshooting guide, or the user's guide.
    void showGuide(bool troubleshooting);
    // Checks the printer's entry; its text, or null without one.
    QString checkPrinter(quint32 printerKey);

public Q_SLOTS:
    void onActivated(int printerKey);

Q_SIGNALS:
    void checked(int printerKey);

private:
    // Every entry in the order of a menu with a tray and the settings entry.
    QList<QAction *> fullOrder() const;
    // Puts an entry back before the next one of the full order that is in the menu.
    void insertInPlace(QAction *entry);

    QList<QAction *> m_printerActions;
    QAction *m_troubleshootingAction = nullptr;
    FixedEntries m_entries;
    QAction *m_headerAction = nullptr;
    QAction *m_entriesSeparator = nullptr;
    QAction *m_printersSeparator = nullptr;
    QAction *m_quitSeparator = nullptr;
    bool m_printerSettingsShown = true;
    bool m_withoutTray = false;
    QList<QAction *> m_entriesWithoutTray;
};
