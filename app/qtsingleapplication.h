#pragma once

#include <QAbstractNativeEventFilter>
#include <QApplication>

#include <memory>

class QWidget;

// A QApplication that lets a second start on the same X display hand a message to the first.
// The first instance owns an X selection named after the user and the identifier; a message is
// written as a property on the owner's window and read back from its PropertyNotify.
class QtSingleApplication : public QApplication, private QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    QtSingleApplication(const QString &id, int &argc, char **argv, bool gui = true);
    ~QtSingleApplication() override;

    QString id() const { return m_id; }

    void claimInstance(bool activate);
    bool otherInstanceRunning() const;

    // The name of the selection atom: login name and identifier, restricted to safe characters.
    static QByteArray atomName(const QString &id);

public Q_SLOTS:
    bool sendMessage(const QString &message) { return sendMessage(message, 5000); }
    bool sendMessage(const QString &message, int timeout);
    void activateMainWidget();

Q_SIGNALS:
    void messageReceived(const QString &message);

private:
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    QString m_id;
    unsigned long m_selectionAtom = 0;
    unsigned long m_typeAtom = 0;
    std::unique_ptr<QWidget> m_listener;
};
