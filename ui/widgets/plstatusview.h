#pragma once

#include <QStackedWidget>
#include <QWidget>

class QFrame;
class QLabel;
class QVBoxLayout;

// The form of one status page: a title over a line over a description.
class Ui_PLStatusSimpleView : public QWidget
{
    Q_OBJECT

public:
    explicit Ui_PLStatusSimpleView(QWidget *parent = nullptr, const char *name = nullptr);

protected:
    QLabel *titleLabel;
    QFrame *line;
    QLabel *descLabel;
    QVBoxLayout *layout;
};

// One status shown as title and description, both wrapped.
class PLStatusSimpleView : public Ui_PLStatusSimpleView
{
    Q_OBJECT
    Q_PROPERTY(QString statusTitle READ statusTitle WRITE setStatusTitle)
    Q_PROPERTY(QString statusDescription READ statusDescription WRITE setStatusDescription)

public:
    explicit PLStatusSimpleView(QWidget *parent = nullptr, const char *name = nullptr);

    QString statusTitle() const;
    void setStatusTitle(const QString &title);
    QString statusDescription() const;
    void setStatusDescription(const QString &description);
    QString dump() const;
};

// The status display: the regular status page and the printing status page, one shown at a time.
class PLStatusView : public QStackedWidget
{
    Q_OBJECT

public:
    explicit PLStatusView(QWidget *parent = nullptr, const char *name = nullptr);

    PLStatusSimpleView *regularView() const { return m_regularView; }
    PLStatusSimpleView *printingView() const { return m_printingView; }
    void setStatus(PLStatusSimpleView *page, const QString &title, const QString &description);
    QString dump() const;

public Q_SLOTS:
    void showRegularStatus();
    void showPrintingStatus();

private:
    PLStatusSimpleView *m_regularView;
    PLStatusSimpleView *m_printingView;
};
