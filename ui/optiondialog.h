#pragma once

#include <QDialog>

class QCheckBox;
class QFrame;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSpinBox;
class QVBoxLayout;

// The options form; OptionDialogEx moves the options in and out of it.
class OptionDialog : public QDialog
{
    Q_OBJECT

public:
    explicit OptionDialog(QWidget *parent = nullptr, const char *name = nullptr, bool modal = false,
                          Qt::WindowFlags flags = {});

public Q_SLOTS:
    virtual void btnCancel_clicked() { }
    virtual void btnOK_clicked() { }

protected:
    QVBoxLayout *OptionDialogLayout;
    QCheckBox *displayPrintingStatus;
    QCheckBox *keepWatchingCheckBox;
    QFrame *advancedOptions;
    QVBoxLayout *advancedOptionsLayout;
    QGroupBox *buttonGroup1;
    QCheckBox *finishCheckBox;
    QCheckBox *errorCheckBox;
    QCheckBox *waitingCheckBox;
    QHBoxLayout *Layout2;
    QLabel *textLabel2;
    QSpinBox *checkSpinBox;
    QLabel *textLabel3;
    QFrame *line1;
    QHBoxLayout *Layout4;
    QPushButton *btnOK;
    QPushButton *btnCancel;
};
