#pragma once

#include <QObject>

class QSocketNotifier;

// Ends the event loop in an orderly way on SIGTERM, SIGHUP and SIGINT, so that a desktop
// session that ends does not lose what the teardown saves. The handler only writes one byte
// to a pipe; the quit happens on the GUI thread.
class TerminationWatcher : public QObject
{
    Q_OBJECT

public:
    explicit TerminationWatcher(QObject *parent = nullptr);
    ~TerminationWatcher() override;

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
