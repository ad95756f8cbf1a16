#include "winmsg/QtTrayIconService.h"

#include "winmsg/TrayMouse.h"

QtTrayIconService::QtTrayIconService(QObject *parent) : QObject(parent) {}

QtTrayIconService::~QtTrayIconService() { delete m_icon; }

QVector<qint32> QtTrayIconService::MouseMessagesFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger: return {tray::LeftDown, tray::LeftUp};
    case QSystemTrayIcon::Context: return {tray::RightDown, tray::RightUp};
    case QSystemTrayIcon::DoubleClick: return {tray::LeftDblClick};
    case QSystemTrayIcon::MiddleClick: return {tray::MiddleDown, tray::MiddleUp};
    default: return {};
    }
}

bool QtTrayIconService::NotifyIcon(Operation op, const TrayIconRecord &record)
{
    switch (op) {
    case Add:
        if (m_icon)
            return false; // one icon per record, as the system keeps it
        m_icon = new QSystemTrayIcon(this);
        connect(m_icon, &QSystemTrayIcon::activated, this, &QtTrayIconService::onActivated);
        break;
    case Modify:
        if (!m_icon || record.window != m_record.window || record.id != m_record.id)
            return false;
        break;
    case Delete:
        if (!m_icon || record.window != m_record.window || record.id != m_record.id)
            return false;
        m_icon->hide();
        m_icon->deleteLater();
        m_icon = nullptr;
        return true;
    }
    m_record = record;
    m_icon->setIcon(record.icon);
    m_icon->setToolTip(record.tip);
    m_icon->show();
    if (record.flags & TrayIconRecord::Info)
        m_icon->showMessage(record.infoTitle, record.info, QSystemTrayIcon::Warning);
    return true;
}

void QtTrayIconService::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (!m_notify)
        return;
    const quint32 callback = m_record.callbackMessage;
    const Notify notify = m_notify; // a handler may replace it
    for (qint32 message : MouseMessagesFor(reason))
        notify(callback, message);
}
