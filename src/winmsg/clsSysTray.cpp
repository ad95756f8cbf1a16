#include "winmsg/clsSysTray.h"

#include "winmsg/TrayMouse.h"

clsSysTray::clsSysTray(TrayIconService &service, QObject *parent)
    : QObject(parent), m_service(service)
{
    m_service.setNotify([this](quint32 uMsg, qint32 mouseMessage) { mCallback(uMsg, mouseMessage); });
}

clsSysTray::~clsSysTray()
{
    mDeleteIcon();
    m_service.setNotify(nullptr);
    m_target = nullptr;
    m_targetKey = nullptr;
    m_toolTip.clear();
    m_icon = QIcon();
}

TrayIconRecord clsSysTray::Record() const
{
    TrayIconRecord r;
    r.window = m_targetKey;
    r.id = 1;
    r.flags = 7;
    r.callbackMessage = tray::CallbackMessage;
    r.icon = m_icon.isNull() && m_target ? m_target->windowIcon() : m_icon;
    r.tip = m_toolTip.isEmpty() && m_target ? m_target->windowTitle() : m_toolTip;
    return r;
}

bool clsSysTray::UpdateTrayIcon(bool modify)
{
    if (!m_target)
        return false;
    return m_service.NotifyIcon(modify ? TrayIconService::Modify : TrayIconService::Add, Record());
}

bool clsSysTray::mShowBalloon(const QString &title, const QString &text)
{
    if (!m_target)
        return false;
    TrayIconRecord r = Record();
    r.flags |= TrayIconRecord::Info;
    r.infoTitle = title;
    r.info = text;
    return m_service.NotifyIcon(TrayIconService::Modify, r);
}

bool clsSysTray::mDeleteIcon()
{
    // The icon is named by its owner's identity, so it goes even after the window died.
    if (!m_targetKey)
        return false;
    return m_service.NotifyIcon(TrayIconService::Delete, Record());
}

void clsSysTray::setPTarget(QWidget *frmTargetWindow)
{
    if (m_targetKey == frmTargetWindow)
        return;
    if (m_targetKey)
        mDeleteIcon();
    m_target = frmTargetWindow;
    m_targetKey = frmTargetWindow;
    UpdateTrayIcon(false);
}

void clsSysTray::setPIcon(const QIcon &lngNewIcon)
{
    m_icon = lngNewIcon;
    UpdateTrayIcon(true);
}

void clsSysTray::setPToolTip(const QString &strNewToolTip)
{
    m_toolTip = strNewToolTip;
    UpdateTrayIcon(true);
}

void clsSysTray::mCallback(quint32 uMsg, qint32 mouseMessage)
{
    if (uMsg != tray::CallbackMessage)
        return;
    const tray::Decoded d = tray::DecodeMouseMessage(mouseMessage);
    switch (d.event) {
    case tray::MouseEvent::MouseDown: Q_EMIT MouseDown(d.button); break;
    case tray::MouseEvent::MouseUp: Q_EMIT MouseUp(d.button); break;
    case tray::MouseEvent::DblClick: Q_EMIT DblClick(d.button); break;
    case tray::MouseEvent::None: break;
    }
}
