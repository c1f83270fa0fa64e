#include "ui/rpcpanel.h"

#include "base/functions.h"
#include "ui/widgethelpers.h"
#include "ui/widgets/cartridgepellarview.h"
#include "ui/widgets/formnames.h"
#include "ui/widgets/picturebutton.h"
#include "ui/widgets/plstatusview.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>

namespace {

QPixmap embeddedPixmap(const char *name)
{
    return QPixmap::fromImage(embeddedImage(QString::fromLatin1(name)));
}

void setPointSize(QWidget *widget, int points)
{
    QFont font = widget->font();
    font.setPointSize(points);
    widget->setFont(font);
}

PictureButton *pictureButton(const char *name, const QString &text, const char *image,
                             QWidget *parent)
{
    auto *button = named(new PictureButton(text, parent), name);
    button->setContentBitmap(embeddedPixmap(image));
    button->setScaleBitmap(true);
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    // The panel may come up while the user types elsewhere: Return must press no button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

RPCPanel::RPCPanel(QWidget *parent, const char *name, bool modal, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("RPCPanel"));
    setModal(modal);
    resize(494, 245);
    setWindowTitle(tr("RPCPanel"));
    setWindowIcon(embeddedPixmap("VirtualPanel16x16.png"));

    RPCPanelLayout = namedLayout(new QVBoxLayout(this), "RPCPanelLayout", 10, 0);
    Layout4 = namedLayout(new QHBoxLayout, "Layout4", 0, 18);
    Layout3 = namedLayout(new QGridLayout, "Layout3", 0, 6);

    logoBitmap = named(new QLabel(this), "logoBitmap");
    logoBitmap->setMinimumSize(70, 70);
    logoBitmap->setMaximumSize(70, 70);
    logoBitmap->setScaledContents(true);
    logoBitmap->setPixmap(embeddedPixmap("Device.png"));
    Layout3->addWidget(logoBitmap, 0, 0, Qt::AlignTop);
    Layout4->addLayout(Layout3);

    frame3 = named(new QFrame(this), "frame3");
    frame3->setMinimumSize(310, 109);
    frame3->setFrameShape(QFrame::StyledPanel);
    frame3->setFrameShadow(QFrame::Sunken);
    QPalette framePalette = frame3->palette();
    framePalette.setColor(QPalette::Window, framePalette.color(QPalette::Base));
    frame3->setPalette(framePalette);
    frame3->setAutoFillBackground(true);
    frame3Layout = namedLayout(new QGridLayout(frame3), "frame3Layout", 11, 6);

    statusView = new PLStatusView(frame3, "statusView");
    setPointSize(statusView, 9);
    frame3Layout->addWidget(statusView, 0, 0);

    preparedCheck = named(new QCheckBox(tr("Already prepared for that"), frame3), "preparedCheck");
    setPointSize(preparedCheck, 9);
    preparedCheck->hide();
    frame3Layout->addWidget(preparedCheck, 1, 0);

    Layout6 = namedLayout(new QVBoxLayout, "Layout6", 0, 0);
    cartridgeView = new CartridgePellarView(frame3, "cartridgeView");
    setPointSize(cartridgeView, 9);
    Layout6->addWidget(cartridgeView);
    frame3Layout->addLayout(Layout6, 2, 0);

    Layout14 = namedLayout(new QVBoxLayout, "Layout14", 0, 0);
    supplies = pictureButton("supplies", tr("Buy Now"), "Supplies.png", frame3);
    troubleshooting = pictureButton("troubleshooting", tr("Troubleshooting\nGuide"),
                                    "Troubleshooting.png", frame3);
    printerSettings = pictureButton("printerSettings", tr("Printer\nSettings"),
                                    "PrinterSettings.png", frame3);
    Layout14->addWidget(supplies);
    Layout14->addWidget(troubleshooting);
    Layout14->addWidget(printerSettings);
    frame3Layout->addLayout(Layout14, 0, 1, 3, 1);
    frame3Layout->setColumnStretch(0, 1);
    frame3Layout->setRowStretch(2, 1);

    Layout4->addWidget(frame3, 1);
    RPCPanelLayout->addLayout(Layout4, 1);

    infoLabel = named(new QLabel(tr("Use right button click to get access to panel menu"), this),
                      "infoLabel");
    infoLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    RPCPanelLayout->addWidget(infoLabel);
}

void RPCPanel::drawPanel(const PanelState &state)
{
    cartridgeView->setCartridgeVisible(state.controlsEnabled);
    supplies->setEnabled(state.controlsEnabled);
    printerSettings->setEnabled(state.controlsEnabled);
    statusView->setStatus(statusView->regularView(), state.regular.title, state.regular.text);
    statusView->setStatus(statusView->printingView(), state.printing.title, state.printing.text);
    if (state.showsPrintingView)
        statusView->showPrintingStatus();
    else
        statusView->showRegularStatus();
    troubleshooting->setEnabled(state.troubleshootingEnabled);
    troubleshooting->setVisible(state.showsFamilyControls);
    supplies->setVisible(state.showsFamilyControls);
}

void RPCPanel::drawPrepareBox(bool show)
{
    preparedCheck->setVisible(show);
    const QSignalBlocker notTheUsers(preparedCheck);
    preparedCheck->setChecked(false);
}

void RPCPanel::drawToners(const PanelState &state)
{
    cartridgeView->setCartridgeVisible(state.showsToners);
    if (!state.showsToners)
        return;
    // Supplies may change in number, name and colour: a queue's between polls, the family's
    // when the printer's description comes after its first report.
    if (PanelState::barsKey(state.tonerBars) != m_drawnBars)
        drawBars(state.tonerBars);
    for (const PanelState::TonerBar &bar : state.tonerBars) {
        cartridgeView->setVisible(bar.id, bar.visible);
        cartridgeView->setLevel(bar.id, bar.level);
    }
}

void RPCPanel::drawBars(const QList<PanelState::TonerBar> &bars)
{
    cartridgeView->clear();
    m_drawnBars = PanelState::barsKey(bars);
    for (const PanelState::TonerBar &bar : bars)
        cartridgeView->addItem(bar.id, bar.title, bar.colors[0], bar.colors[1], bar.colors[2]);
}

void RPCPanel::drawPrinterPicture(const QString &path)
{
    const QPixmap picture(path);
    if (picture.width() == 0 || picture.height() == 0)
        return;
    const int side = qMin(logoBitmap->width(), logoBitmap->height());
    logoBitmap->setPixmap(
            picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void RPCPanel::drawGuide(bool troubleshootingGuide)
{
    troubleshooting->setText(troubleshootingGuide ? tr("Troubleshooting\nGuide")
                                                  : tr("User's Guide"));
}

void RPCPanel::drawTonerTable(const TonerInfoList &toners)
{
    debugPrintf("TrayMainWindow::updateCartridgeView");
    dumpTonerInfo(toners, QString());
    QList<PanelState::TonerBar> bars;
    for (const TonerInfo &toner : toners)
        bars.append(PanelState::barOf({toner.id, toner.title, toner.barColors}, false));
    drawBars(bars);
}
