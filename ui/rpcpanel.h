#pragma once

#include "ui/panelstate.h"

#include <QDialog>

class CartridgePellarView;
class PictureButton;
class PLStatusView;
class QCheckBox;
class QFrame;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;

// The panel window's form; the main window derives from it and drives its widgets.
class RPCPanel : public QDialog
{
    Q_OBJECT

public:
    explicit RPCPanel(QWidget *parent = nullptr, const char *name = nullptr, bool modal = false,
                      Qt::WindowFlags flags = {});

protected:
    // Puts a decided state on the widgets: the two status pages and the buttons.
    void drawPanel(const PanelState &state);
    // Shown or hidden, and unchecked without that counting as the user's choice.
    void drawPrepareBox(bool show);
    // The bars, made again when their layout differs from the one drawn, and their levels.
    void drawToners(const PanelState &state);
    void drawBars(const QList<PanelState::TonerBar> &bars);
    // The bars of a table of toners, as the printer's description lists them.
    void drawTonerTable(const TonerInfoList &toners);
    // The guide button opens the troubleshooting guide, or the user's guide.
    void drawGuide(bool troubleshooting);
    // The printer's picture, scaled into its label; nothing for a picture that cannot be read.
    void drawPrinterPicture(const QString &path);

protected Q_SLOTS:
    virtual void init() { }
    virtual void destroy() { }

protected:
    QVBoxLayout *RPCPanelLayout;
    QHBoxLayout *Layout4;
    QGridLayout *Layout3;
    QLabel *logoBitmap;
    QFrame *frame3;
    QGridLayout *frame3Layout;
    PLStatusView *statusView;
    QCheckBox *preparedCheck;
    QVBoxLayout *Layout6;
    CartridgePellarView *cartridgeView;
    QVBoxLayout *Layout14;
    PictureButton *supplies;
    PictureButton *troubleshooting;
    PictureButton *printerSettings;
    QLabel *infoLabel;

private:
    // The bars the cartridge view holds, as PanelState::barsKey() writes them.
    QString m_drawnBars;
};
