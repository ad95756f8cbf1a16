#pragma once
// One notification-area icon for a window: keeps picture and tip current and turns the
// icon's mouse notifications into MouseDown, MouseUp and DblClick with the button.
#include "winmsg/TrayIconService.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QWidget>

class clsSysTray : public QObject
{
    Q_OBJECT
public:
    explicit clsSysTray(TrayIconService &service, QObject *parent = nullptr);
    ~clsSysTray() override; // removes the icon

    bool mDeleteIcon();
    // Shows a balloon message at the icon.
    bool mShowBalloon(const QString &title, const QString &text);

    QWidget *pTarget() const { return m_target; }
    void setPTarget(QWidget *frmTargetWindow);
    // A null icon means the target window's own icon.
    QIcon pIcon() const { return m_icon; }
    void setPIcon(const QIcon &lngNewIcon);
    // Empty means the target window's caption.
    QString pToolTip() const { return m_toolTip; }
    void setPToolTip(const QString &strNewToolTip);

    // Entry for the icon's notifications (the service calls it).
    void mCallback(quint32 uMsg, qint32 mouseMessage);

Q_SIGNALS:
    void MouseDown(qint16 Button);
    void MouseUp(qint16 Button);
    void DblClick(qint16 Button);

private:
    bool UpdateTrayIcon(bool modify);
    TrayIconRecord Record() const;

    TrayIconService &m_service;
    QPointer<QWidget> m_target;
    QWidget *m_targetKey = nullptr; // identity of the icon's owner, never dereferenced
    QIcon m_icon;
    QString m_toolTip;
};
