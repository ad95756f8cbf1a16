#pragma once
// The notification area as the icon object sees it: add, modify or delete one icon
// record, and mouse activity on the icon delivered back as (callback message, mouse message).
#include <QIcon>
#include <QString>
#include <functional>

class QWidget;

struct TrayIconRecord {
    QWidget *window = nullptr; // owner of the icon
    quint32 id = 1;
    quint32 flags = 7; // message, icon and tip valid
    quint32 callbackMessage = 0x0200;
    QIcon icon;
    QString tip;
    // A balloon message, shown when flags has Info (0x10).
    QString infoTitle;
    QString info;
    static constexpr quint32 Info = 0x10;
};

class TrayIconService
{
public:
    enum Operation { Add = 0, Modify = 1, Delete = 2 };
    using Notify = std::function<void(quint32 callbackMessage, qint32 mouseMessage)>;

    virtual ~TrayIconService() = default;
    virtual bool NotifyIcon(Operation op, const TrayIconRecord &record) = 0;
    virtual void setNotify(Notify notify) = 0;
    // Whether the desktop has a notification area now; an icon added without one shows up
    // when one appears.
    virtual bool isAreaAvailable() const = 0;
};
