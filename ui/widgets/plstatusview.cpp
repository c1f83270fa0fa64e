#include "ui/widgets/plstatusview.h"
#include "base/functions.h"

#include <QLabel>
#include <QVBoxLayout>

Ui_PLStatusSimpleView::Ui_PLStatusSimpleView(QWidget *parent, const char *name)
    : QWidget(parent)
    , titleLabel(new QLabel(this))
    , line(new QFrame(this))
    , descLabel(new QLabel(this))
    , layout(new QVBoxLayout(this))
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("Ui_PLStatusSimpleView"));
    resize(228, 51);
    setWindowTitle(tr("PLStatusSimpleView"));
    layout->setObjectName(QStringLiteral("Ui_PLStatusSimpleViewLayout"));
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    // Titles and descriptions may come from the printer: shown as they are, never as markup.
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    titleLabel->setTextFormat(Qt::PlainText);
    titleLabel->setText(tr("Status Title"));
    line->setObjectName(QStringLiteral("line"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    descLabel->setObjectName(QStringLiteral("descLabel"));
    descLabel->setTextFormat(Qt::PlainText);
    descLabel->setText(tr("Status Description"));
    layout->addWidget(titleLabel);
    layout->addWidget(line);
    layout->addWidget(descLabel);
}

PLStatusSimpleView::PLStatusSimpleView(QWidget *parent, const char *name)
    : Ui_PLStatusSimpleView(parent, name)
{
    titleLabel->setWordWrap(true);
    descLabel->setWordWrap(true);
}

QString PLStatusSimpleView::statusTitle() const
{
    return titleLabel->text();
}

void PLStatusSimpleView::setStatusTitle(const QString &title)
{
    titleLabel->setText(title);
}

QString PLStatusSimpleView::statusDescription() const
{
    return descLabel->text();
}

void PLStatusSimpleView::setStatusDescription(const QString &description)
{
    descLabel->setText(description);
}

QString PLStatusSimpleView::dump() const
{
    return QStringLiteral("title=<%1> desc=<%2>").arg(statusTitle(), statusDescription());
}

PLStatusView::PLStatusView(QWidget *parent, const char *name)
    : QStackedWidget(parent)
    , m_regularView(new PLStatusSimpleView(this, "svRegular"))
    , m_printingView(new PLStatusSimpleView(this, "svPrinting"))
{
    setObjectName(QString::fromLatin1(name));
    addWidget(m_regularView);
    addWidget(m_printingView);
    showRegularStatus();
}

void PLStatusView::setStatus(PLStatusSimpleView *page, const QString &title,
                             const QString &description)
{
    debugPrintf("PLStatusView::setStatus(%s,%s,%s)", qPrintable(page->objectName()),
                qPrintable(title), qPrintable(description));
    debugPrintf("old: %s", qPrintable(dump()));
    page->setStatusTitle(title);
    page->setStatusDescription(description);
    debugPrintf("new: %s", qPrintable(dump()));
}

QString PLStatusView::dump() const
{
    return QStringLiteral("\n\tregular:  %1\n\tprinting: %2")
            .arg(m_regularView->dump(), m_printingView->dump());
}

void PLStatusView::showRegularStatus()
{
    debugPrintf("PLStatusView::showRegularStatus");
    setCurrentWidget(m_regularView);
}

void PLStatusView::showPrintingStatus()
{
    debugPrintf("PLStatusView::showPrintingStatus");
    setCurrentWidget(m_printingView);
}
