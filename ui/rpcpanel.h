#pragma once

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
};
