#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into the Qt signal exitRequested() on the thread that
// created the bridge, through a self-pipe: a signal handler may only write a byte, the
// event loop (also a nested one) reads it. One bridge at a time per process.
#include <QObject>

class QSocketNotifier;

class SignalBridge : public QObject
{
    Q_OBJECT
public:
    explicit SignalBridge(QObject *parent = nullptr);
    ~SignalBridge() override; // restores the previous handlers

    bool isInstalled() const { return m_notifier != nullptr; }
    // The last signal number delivered, 0 before any.
    int lastSignal() const { return m_lastSignal; }

Q_SIGNALS:
    void exitRequested();

private:
    void drain();

    QSocketNotifier *m_notifier = nullptr;
    int m_lastSignal = 0;
};
