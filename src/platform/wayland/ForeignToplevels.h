#pragma once
// The compositor's list of toplevel windows (wlroots desktops), kept up to date on the event
// loop: which one is activated, and the app id of each.
#include "platform/ToplevelFocus.h"

#include <QPointer>
#include <QString>

#include <unordered_map>

class WaylandConnection;
struct wl_seat;
struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;

class ForeignToplevels : public ToplevelFocus
{
public:
    // Reads the list the compositor has now; connection may be null.
    explicit ForeignToplevels(WaylandConnection *connection);
    ~ForeignToplevels() override;
    bool isAvailable() const { return m_manager != nullptr; }
    quint64 activeToplevel() const override;
    QString appId(quint64 toplevel) const override;
    void activate(quint64 toplevel) override;

private:
    friend struct ToplevelEvents;
    // What the compositor said of a window; its changes count once "done" comes.
    struct Toplevel {
        ForeignToplevels *owner = nullptr;
        quint64 id = 0;
        QString appId, pendingAppId;
        bool activated = false, pendingActivated = false;
    };
    QPointer<WaylandConnection> m_connection; // may end before we do, at the application's end
    zwlr_foreign_toplevel_manager_v1 *m_manager = nullptr;
    wl_seat *m_seat = nullptr; // whose focus an activation moves
    // Node-based: each entry's address is the listener data of its handle.
    std::unordered_map<zwlr_foreign_toplevel_handle_v1 *, Toplevel> m_toplevels;
    quint64 m_nextId = 1;
};
