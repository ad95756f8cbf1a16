#pragma once
// Key chords through the desktop's RemoteDesktop portal (GNOME, KDE): a keyboard-only session,
// opened at the first chord, kept open, and opened again after the desktop ends it. The desktop
// asks the user once; where the portal can remember that answer, its restore token is kept in
// the per-user store and offered to the next session.
#include "platform/KeyChordSender.h"

#include <QDBusConnection>
#include <QObject>
#include <QPointer>

class UserStore;
namespace portal {
class Session;
}

class RemoteDesktopKeys : public QObject, public KeyChordSender
{
    Q_OBJECT
public:
    static constexpr const char *Interface = "org.freedesktop.portal.RemoteDesktop";
    // Where the restore token is kept.
    static const QString StoreApp, StoreSection, StoreKey;

    RemoteDesktopKeys(const QDBusConnection &bus, UserStore &store, QObject *parent = nullptr);
    ~RemoteDesktopKeys() override;

    // Unavailable outside a Wayland session or without the portal; Refused when the user or the
    // desktop said no, or the session is not ready in time (the desktop may still be asking).
    Result sendChord(const QList<quint32> &keysyms) override;

    // How long a chord waits for the session to start.
    void setStartTimeoutMs(int ms) { startTimeoutMs_ = ms; }

Q_SIGNALS:
    // The session started, or failed to.
    void settled();

private:
    enum class State { Closed, Opening, Started };
    void open();
    void selectDevices();
    void start();
    void failed();
    bool notifyKey(quint32 keysym, bool pressed);

    QDBusConnection bus_;
    UserStore &store_;
    QPointer<portal::Session> session_;
    State state_ = State::Closed;
    uint version_ = 0;
    bool versionAsked_ = false;
    int startTimeoutMs_ = 1000;
};
