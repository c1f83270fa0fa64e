#include "ui/optiondialogex.h"
#include "base/functions.h"
#include "ui/widgethelpers.h"

#include <QCheckBox>
#include <QFrame>
#include <QLayout>
#include <QSpinBox>

OptionDialogEx::OptionDialogEx(QWidget *parent, const char *name, bool modal, Qt::WindowFlags flags)
    : OptionDialog(parent, name, modal, flags)
{
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    applySmallFont(this);
    m_accepted = false;
    advancedOptions->hide();
    // Placed once its final size is known, so that it really is centred.
    layout()->activate();
    placeOnScreen(this);
}

void OptionDialogEx::setOptions(const Options &options)
{
    debugPrintf("OptionDialogEx::setOptions:%s", qPrintable(options.toString()));
    errorCheckBox->setChecked(options.displayPrinterError);
    waitingCheckBox->setChecked(options.displayPrinterWaiting);
    checkSpinBox->setValue(options.scheduleTime);
    finishCheckBox->setChecked(options.displayFinishNwJob);
    // Last: its toggle sets the three alert boxes the same way.
    displayPrintingStatus->setChecked(options.displayPrintingStatus);
}

Options OptionDialogEx::options() const
{
    Options options;
    options.displayPrinterError = errorCheckBox->isChecked();
    options.displayPrinterWaiting = waitingCheckBox->isChecked();
    options.scheduleTime = checkSpinBox->value();
    options.displayFinishNwJob = finishCheckBox->isChecked();
    options.displayPrintingStatus = displayPrintingStatus->isChecked();
    debugPrintf("OptionDialogEx::options:%s", qPrintable(options.toString()));
    return options;
}

void OptionDialogEx::setWatchOptions(const WatchOptions &options)
{
    keepWatchingCheckBox->setChecked(options.keepWatching);
}

WatchOptions OptionDialogEx::watchOptions() const
{
    WatchOptions options;
    options.keepWatching = keepWatchingCheckBox->isChecked();
    return options;
}

void OptionDialogEx::btnOK_clicked()
{
    m_accepted = true;
    close();
}

void OptionDialogEx::btnCancel_clicked()
{
    close();
}

void OptionDialogEx::closeEvent(QCloseEvent *event)
{
    Q_EMIT closed(m_accepted);
    m_accepted = false;
    OptionDialog::closeEvent(event);
}

void OptionDialogEx::validate(Options &options, WatchOptions &watchOptions)
{
    setOptions(options);
    setWatchOptions(watchOptions);
    options = this->options();
    watchOptions = this->watchOptions();
}

void OptionDialogEx::edit(const Options &options, const WatchOptions &watchOptions)
{
    setOptions(options);
    setWatchOptions(watchOptions);
    hide();
    showNormal();
}
