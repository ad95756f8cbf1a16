#pragma once
// TrayIconService on QSystemTrayIcon. Without a tray host the icon is still created and
// shown; it docks when a host appears.
#include "winmsg/TrayIconService.h"

#include <QObject>
#include <QSystemTrayIcon>
#include <QVector>

class QtTrayIconService : public QObject, public TrayIconService
{
    Q_OBJECT
public:
    explicit QtTrayIconService(QObject *parent = nullptr);
    ~QtTrayIconService() override;

    bool NotifyIcon(Operation op, const TrayIconRecord &record) override;
    void setNotify(Notify notify) override { m_notify = std::move(notify); }
    bool isAreaAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

    // The mouse messages a click of the given kind stands for, in order.
    static QVector<qint32> MouseMessagesFor(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon *icon() const { return m_icon; }

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon *m_icon = nullptr;
    TrayIconRecord m_record;
    Notify m_notify;
};
