#include "ui/optiondialog.h"
#include "ui/widgethelpers.h"
#include "ui/widgets/formnames.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
OptionDialog::OptionDialog(QWidget *parent, const char *name, bool modal, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("OptionDialog"));
    setModal(modal);
    setWindowTitle(tr("Configure - Pellar"));
    setWindowIcon(QPixmap::fromImage(embeddedImage(QStringLiteral("configure.png"))));

    OptionDialogLayout = namedLayout(new QVBoxLayout(this), "OptionDialogLayout", 11, 6);
    displayPrintingStatus = named(new QCheckBox(tr("Display printing status message"), this),
                                  "displayPrintingStatus");
    OptionDialogLayout->addWidget(displayPrintingStatus);
    keepWatchingCheckBox
            = named(new QCheckBox(tr("Keep watching the printer while this panel is closed"), this),
                    "keepWatchingCheckBox");
    OptionDialogLayout->addWidget(keepWatchingCheckBox);

    advancedOptions = named(new QFrame(this), "advancedOptions");
    advancedOptions->setFrameShape(QFrame::NoFrame);
    advancedOptionsLayout
            = namedLayout(new QVBoxLayout(advancedOptions), "advancedOptionsLayout", 11, 6);

    buttonGroup1 = named(new QGroupBox(tr("Alert Options"), advancedOptions), "buttonGroup1");
    auto *groupLayout = new QVBoxLayout(buttonGroup1);
    groupLayout->setAlignment(Qt::AlignTop);
    finishCheckBox = named(
            new QCheckBox(tr("Display when job is finished for network printer"), buttonGroup1),
            "finishCheckBox");
    errorCheckBox = named(
            new QCheckBox(tr("Display when the printer cannot print (for example, paper out)"),
                          buttonGroup1),
            "errorCheckBox");
    waitingCheckBox = named(new QCheckBox(tr("Display when the printer has no problem but "
                                             "waiting (for example, warming up)"),
                                          buttonGroup1),
                            "waitingCheckBox");
    for (QCheckBox *box : {finishCheckBox, errorCheckBox, waitingCheckBox})
        groupLayout->addWidget(box);
    advancedOptionsLayout->addWidget(buttonGroup1);

    Layout2 = namedLayout(new QHBoxLayout, "Layout2", 0, 6);
    textLabel2
            = named(new QLabel(tr("Schedule an automatic status checking every"), advancedOptions),
                    "textLabel2");
    checkSpinBox = named(new QSpinBox(advancedOptions), "checkSpinBox");
    checkSpinBox->setPrefix(QString());
    checkSpinBox->setSuffix(tr(" sec"));
    checkSpinBox->setRange(1, 10);
    checkSpinBox->setValue(3);
    textLabel3 = named(new QLabel(tr("(1-10 seconds)"), advancedOptions), "textLabel3");
    Layout2->addWidget(textLabel2);
    Layout2->addWidget(checkSpinBox);
    Layout2->addWidget(textLabel3);
    advancedOptionsLayout->addLayout(Layout2);
    OptionDialogLayout->addWidget(advancedOptions);

    line1 = named(new QFrame(this), "line1");
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    OptionDialogLayout->addWidget(line1);

    Layout4 = namedLayout(new QHBoxLayout, "Layout4", 0, 6);
    Layout4->addStretch();
    btnOK = named(new QPushButton(tr("&OK"), this), "btnOK");
    btnOK->setShortcut(QKeySequence(Qt::ALT | Qt::Key_O));
    btnOK->setMaximumHeight(24);
    btnCancel = named(new QPushButton(tr("&Cancel"), this), "btnCancel");
    btnCancel->setShortcut(QKeySequence(Qt::ALT | Qt::Key_C));
    btnCancel->setMaximumHeight(24);
    Layout4->addWidget(btnOK);
    Layout4->addWidget(btnCancel);
    OptionDialogLayout->addLayout(Layout4);

    connect(btnOK, &QPushButton::clicked, this, &OptionDialog::btnOK_clicked);
    connect(btnCancel, &QPushButton::clicked, this, &OptionDialog::btnCancel_clicked);
    // Switching the printing-status message switches every alert with it.
    for (QCheckBox *box : {finishCheckBox, errorCheckBox, waitingCheckBox})
        connect(displayPrintingStatus, &QCheckBox::toggled, box, &QCheckBox::setChecked);
}
