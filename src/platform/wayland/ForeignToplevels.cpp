#include "platform/wayland/ForeignToplevels.h"
#include "platform/wayland/WaylandConnection.h"

#include "wlr-foreign-toplevel-management-unstable-v1-client.h"

#include <wayland-client.h>

struct ToplevelEvents {
    using Toplevel = ForeignToplevels::Toplevel;
    using Handle = zwlr_foreign_toplevel_handle_v1;

    static void toplevel(void *data, zwlr_foreign_toplevel_manager_v1 *, Handle *handle)
    {
        auto *self = static_cast<ForeignToplevels *>(data);
        Toplevel &entry = self->m_toplevels[handle];
        entry.owner = self;
        entry.id = self->m_nextId++;
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &handleListener, &entry);
    }
    static void finished(void *data, zwlr_foreign_toplevel_manager_v1 *manager)
    {
        auto *self = static_cast<ForeignToplevels *>(data);
        zwlr_foreign_toplevel_manager_v1_destroy(manager);
        self->m_manager = nullptr;
    }
    static void title(void *, Handle *, const char *) {}
    static void appId(void *data, Handle *, const char *appId)
    {
        static_cast<Toplevel *>(data)->pendingAppId = QString::fromUtf8(appId);
    }
    static void output(void *, Handle *, wl_output *) {}
    static void state(void *data, Handle *, wl_array *states)
    {
        auto *entry = static_cast<Toplevel *>(data);
        entry->pendingActivated = false;
        const auto *state = static_cast<const uint32_t *>(states->data);
        for (size_t i = 0; i < states->size / sizeof(uint32_t); ++i) {
            if (state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED)
                entry->pendingActivated = true;
        }
    }
    static void done(void *data, Handle *)
    {
        auto *entry = static_cast<Toplevel *>(data);
        entry->appId = entry->pendingAppId;
        entry->activated = entry->pendingActivated;
    }
    static void closed(void *data, Handle *handle)
    {
        ForeignToplevels *self = static_cast<Toplevel *>(data)->owner;
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
        self->m_toplevels.erase(handle);
    }
    static void parent(void *, Handle *, Handle *) {}

    static constexpr zwlr_foreign_toplevel_manager_v1_listener managerListener = {&toplevel, &finished};
    static constexpr zwlr_foreign_toplevel_handle_v1_listener handleListener = {
        &title, &appId, &output, &output, &state, &done, &closed, &parent};
};

ForeignToplevels::ForeignToplevels(WaylandConnection *connection) : m_connection(connection)
{
    if (!connection || !connection->isConnected())
        return;
    m_manager = static_cast<zwlr_foreign_toplevel_manager_v1 *>(
        connection->bind(&zwlr_foreign_toplevel_manager_v1_interface, 3));
    if (!m_manager)
        return;
    zwlr_foreign_toplevel_manager_v1_add_listener(m_manager, &ToplevelEvents::managerListener, this);
    // The windows that exist now, each with its first state, arrive in answer to the bind.
    connection->roundtrip();
}

ForeignToplevels::~ForeignToplevels()
{
    if (!m_connection)
        return; // its proxies went with the display
    for (auto &[handle, entry] : m_toplevels)
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    if (m_manager)
        zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
    if (m_seat)
        wl_seat_destroy(m_seat);
}

void ForeignToplevels::activate(quint64 toplevel)
{
    if (!m_connection)
        return;
    if (!m_seat)
        m_seat = static_cast<wl_seat *>(m_connection->bind(&wl_seat_interface, 1));
    for (const auto &[handle, entry] : m_toplevels) {
        if (entry.id == toplevel && m_seat) {
            zwlr_foreign_toplevel_handle_v1_activate(handle, m_seat);
            m_connection->flush();
        }
    }
}

quint64 ForeignToplevels::activeToplevel() const
{
    for (const auto &[handle, entry] : m_toplevels) {
        if (entry.activated)
            return entry.id;
    }
    return 0;
}

QString ForeignToplevels::appId(quint64 toplevel) const
{
    for (const auto &[handle, entry] : m_toplevels) {
        if (entry.id == toplevel)
            return entry.appId;
    }
    return {};
}
