#pragma once
// Hot keys through the desktop's GlobalShortcuts portal, for Wayland sessions where X11 key grabs
// reach only XWayland's windows. The registrations of one turn of the event loop are bound in one
// BindShortcuts call, once per session, and the session is kept. An activated shortcut arrives as
// the WM_HOTKEY message the X11 service would send. What the portal does not bind (it refused, or
// bound only some) is handed to the fallback service, so each key is bound in one place only.
#include "platform/AtomTable.h"
#include "platform/HotKeyService.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QPointer>
#include <QVector>

#include <functional>

namespace portal {
class Session;
}

class GlobalShortcutsService : public QObject, public HotKeyService
{
    Q_OBJECT
public:
    static constexpr const char *Interface = "org.freedesktop.portal.GlobalShortcuts";

    // atoms names the registration ids (the hot keys' names); describe gives a shortcut's
    // description from that name.
    GlobalShortcutsService(const QDBusConnection &bus, AtomTable &atoms,
                           std::function<QString(const QString &name)> describe, HotKeyService *fallback,
                           QObject *parent = nullptr);
    ~GlobalShortcutsService() override;

    bool RegisterHotKey(win::HWND hwnd, int id, quint32 modifiers, quint32 virtualKey) override;
    bool UnregisterHotKey(win::HWND hwnd, int id) override;

    enum class State { Idle, Binding, Bound, FellBack };
    State state() const { return state_; }
    // The names the portal bound.
    QStringList boundNames() const;

private Q_SLOTS:
    void onActivated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp,
                     const QVariantMap &options);

private:
    struct Registration {
        win::HWND hwnd;
        int id;
        QString name;
        quint32 mask;
        quint32 virtualKey;
        bool bound = false;    // by the portal
        bool fallback = false; // by the fallback service
    };
    void bind();
    void bound(uint response, const QVariantMap &results);
    void fallBack(Registration &r);

    QDBusConnection bus_;
    AtomTable &atoms_;
    std::function<QString(const QString &)> describe_;
    HotKeyService *fallback_;
    QPointer<portal::Session> session_;
    QVector<Registration> registrations_;
    State state_ = State::Idle;
    bool bindQueued_ = false;
};
