#pragma once
// Quillbox's own connection to the Wayland compositor, separate from whatever Qt's platform
// plugin uses, so protocols Qt does not speak (clipboard control, virtual keyboards, the list of
// toplevel windows) work whichever plugin runs. One per process, opened only in a Wayland
// session; its events are dispatched on the Qt event loop of the thread that opened it.
#include <QByteArray>
#include <QList>
#include <QObject>

#include <cstdint>

struct wl_display;
struct wl_registry;
struct wl_interface;
class QSocketNotifier;

class WaylandConnection : public QObject
{
    Q_OBJECT
public:
    struct Global {
        uint32_t name = 0;
        QByteArray interface;
        uint32_t version = 0;
    };

    // The process's connection, opened at the first call; null when WAYLAND_DISPLAY is not set
    // or the compositor cannot be reached. Lives as long as the application object.
    static WaylandConnection *shared();

    // Connects to the named display (a socket name or path). Not shared: for tests and helpers.
    explicit WaylandConnection(const QByteArray &displayName, QObject *parent = nullptr);
    ~WaylandConnection() override;
    bool isConnected() const;

    wl_display *display() const { return display_; }
    const QList<Global> &globals() const { return globals_; }
    // The highest version of the interface the compositor offers, 0 when it offers none.
    uint32_t offeredVersion(const char *interface) const;
    // Binds the first global of the interface at the lower of its offered version and maxVersion;
    // null when it is not offered. The caller owns the returned proxy.
    void *bind(const wl_interface *interface, uint32_t maxVersion, uint32_t *boundVersion = nullptr);

    // Sends what is queued, then waits until the compositor has answered everything sent so far
    // and dispatches the answers; false after timeoutMs or when the connection broke.
    bool roundtrip(int timeoutMs = 1000);
    // Reads and dispatches what has arrived, waiting at most timeoutMs for something (0: no wait).
    // For callers that wait for the compositor without returning to the event loop.
    bool pump(int timeoutMs);
    void flush();

    // Registry listener callbacks.
    static void onGlobal(void *data, wl_registry *, uint32_t name, const char *interface, uint32_t version);
    static void onGlobalRemove(void *data, wl_registry *, uint32_t name);

Q_SIGNALS:
    void globalRemoved(uint32_t name);
    void disconnected();

private:
    void dispatch();
    void checkError();
    wl_display *display_ = nullptr;
    wl_registry *registry_ = nullptr;
    QSocketNotifier *notifier_ = nullptr;
    QList<Global> globals_;
    bool orphanedSync_ = false; // where late answers to timed-out roundtrips land
};
