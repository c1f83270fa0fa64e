#pragma once

#include "config/options.h"
#include "config/watchoptions.h"
#include "ui/optiondialog.h"

// The options dialog: shows an options record and reports whether it was closed by OK.
class OptionDialogEx : public OptionDialog
{
    Q_OBJECT

public:
    explicit OptionDialogEx(QWidget *parent = nullptr, const char *name = nullptr,
                            bool modal = false, Qt::WindowFlags flags = {});

    // The dialog's ranges clamp what it is given: the records come back valid.
    void validate(Options &options, WatchOptions &watchOptions);
    // Shows the records, raised.
    void edit(const Options &options, const WatchOptions &watchOptions);
    void setOptions(const Options &options);
    Options options() const;
    void setWatchOptions(const WatchOptions &options);
    WatchOptions watchOptions() const;

    void btnOK_clicked() override;
    void btnCancel_clicked() override;

Q_SIGNALS:
    void closed(bool accepted);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_accepted = false;
};
