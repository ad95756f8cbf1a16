#include "platform/wayland/WaylandConnection.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>

#include <poll.h>
#include <wayland-client.h>

namespace {

const wl_registry_listener registryListener = {
    &WaylandConnection::onGlobal,
    &WaylandConnection::onGlobalRemove,
};

} // namespace

WaylandConnection *WaylandConnection::shared()
{
    static QPointer<WaylandConnection> connection;
    static bool tried = false;
    if (connection || tried || !QCoreApplication::instance())
        return connection;
    tried = true;
    const QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (name.isEmpty())
        return nullptr;
    auto *opened = new WaylandConnection(name, QCoreApplication::instance());
    if (!opened->isConnected()) {
        delete opened;
        return nullptr;
    }
    connection = opened;
    return connection;
}

WaylandConnection::WaylandConnection(const QByteArray &displayName, QObject *parent) : QObject(parent)
{
    display_ = wl_display_connect(displayName.constData());
    if (!display_)
        return;
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &registryListener, this);
    // The globals are known before anyone binds one.
    if (!roundtrip()) {
        wl_registry_destroy(registry_);
        registry_ = nullptr;
        wl_display_disconnect(display_);
        display_ = nullptr;
        return;
    }
    notifier_ = new QSocketNotifier(wl_display_get_fd(display_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { pump(0); });
    // Requests made by event handlers and timers leave before the loop sleeps, and events another
    // reader of the socket queued for us are handled.
    if (QAbstractEventDispatcher *loop = QAbstractEventDispatcher::instance(thread()))
        connect(loop, &QAbstractEventDispatcher::aboutToBlock, this, &WaylandConnection::dispatch);
}

WaylandConnection::~WaylandConnection()
{
    delete notifier_;
    if (registry_)
        wl_registry_destroy(registry_);
    if (display_)
        wl_display_disconnect(display_);
}

bool WaylandConnection::isConnected() const
{
    return display_ && wl_display_get_error(display_) == 0;
}

void WaylandConnection::onGlobal(void *data, wl_registry *, uint32_t name, const char *interface, uint32_t version)
{
    static_cast<WaylandConnection *>(data)->globals_.append({name, QByteArray(interface), version});
}

void WaylandConnection::onGlobalRemove(void *data, wl_registry *, uint32_t name)
{
    auto *self = static_cast<WaylandConnection *>(data);
    self->globals_.removeIf([name](const Global &g) { return g.name == name; });
    Q_EMIT self->globalRemoved(name);
}

uint32_t WaylandConnection::offeredVersion(const char *interface) const
{
    uint32_t best = 0;
    for (const Global &g : globals_) {
        if (g.interface == interface)
            best = qMax(best, g.version);
    }
    return best;
}

void *WaylandConnection::bind(const wl_interface *interface, uint32_t maxVersion, uint32_t *boundVersion)
{
    if (!isConnected())
        return nullptr;
    for (const Global &g : std::as_const(globals_)) {
        if (g.interface != interface->name)
            continue;
        const uint32_t version = qMin(qMin(g.version, maxVersion), uint32_t(interface->version));
        if (boundVersion)
            *boundVersion = version;
        return wl_registry_bind(registry_, g.name, interface, version);
    }
    return nullptr;
}

void WaylandConnection::flush()
{
    if (isConnected())
        wl_display_flush(display_);
}

void WaylandConnection::dispatch()
{
    if (!isConnected())
        return;
    wl_display_dispatch_pending(display_);
    wl_display_flush(display_);
    checkError();
}

bool WaylandConnection::pump(int timeoutMs)
{
    if (!isConnected())
        return false;
    // Whatever another reader queued is handled first; the read is only prepared on an empty queue.
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) {
            checkError();
            return false;
        }
    }
    wl_display_flush(display_);
    pollfd fd = {wl_display_get_fd(display_), POLLIN, 0};
    if (::poll(&fd, 1, timeoutMs) <= 0 || !(fd.revents & POLLIN)) {
        wl_display_cancel_read(display_);
        checkError();
        return fd.revents == 0;
    }
    const bool ok = wl_display_read_events(display_) == 0 && wl_display_dispatch_pending(display_) >= 0;
    wl_display_flush(display_);
    checkError();
    return ok;
}

bool WaylandConnection::roundtrip(int timeoutMs)
{
    if (!display_)
        return false;
    bool done = false;
    static const wl_callback_listener doneListener = {
        [](void *data, wl_callback *callback, uint32_t) {
            *static_cast<bool *>(data) = true;
            wl_callback_destroy(callback);
        },
    };
    wl_callback *callback = wl_display_sync(display_);
    wl_callback_add_listener(callback, &doneListener, &done);
    const QDeadlineTimer deadline(timeoutMs);
    while (!done && isConnected() && !deadline.hasExpired())
        pump(int(qMax<qint64>(deadline.remainingTime(), 0)));
    if (!done) {
        // The answer may still come: it must not write into this frame then.
        wl_proxy_set_user_data(reinterpret_cast<wl_proxy *>(callback), &orphanedSync_);
    }
    return done && isConnected();
}

void WaylandConnection::checkError()
{
    if (!display_ || wl_display_get_error(display_) == 0 || !notifier_)
        return;
    // A broken connection stays broken: stop watching it, and tell the clients once.
    delete notifier_;
    notifier_ = nullptr;
    Q_EMIT disconnected();
}
