#include "platform/x11/X11ClipboardClaim.h"

#include <QAbstractNativeEventFilter>
#include <QClipboard>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

xcb_connection_t *qtConnection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return result;
}

bool serverListsUs(xcb_connection_t *c, xcb_atom_t selection)
{
    xcb_get_selection_owner_reply_t *reply = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const xcb_window_t owner = reply ? reply->owner : XCB_NONE;
    free(reply);
    const xcb_setup_t *setup = xcb_get_setup(c);
    return owner != XCB_NONE && (owner & ~setup->resource_id_mask) == setup->resource_id_base;
}

// Ends the loop once Qt's own handling of the probe window's property change has run: Qt takes
// the event's time as its own then.
class ProbeFilter : public QAbstractNativeEventFilter
{
public:
    ProbeFilter(xcb_window_t window, QEventLoop &loop) : window_(window), loop_(loop) {}
    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        auto *event = static_cast<xcb_generic_event_t *>(message);
        if (type == "xcb_generic_event_t" && (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY
            && reinterpret_cast<xcb_property_notify_event_t *>(event)->window == window_)
            QMetaObject::invokeMethod(&loop_, &QEventLoop::quit, Qt::QueuedConnection);
        return false;
    }

private:
    xcb_window_t window_;
    QEventLoop &loop_;
};

// A property change on a window of Qt's own carries the server's current time to Qt.
void catchUpServerTime(xcb_connection_t *c)
{
    static QWindow *probe = [] {
        auto *w = new QWindow;
        w->create(); // never shown: only its property changes matter
        return w;
    }();
    const auto window = xcb_window_t(probe->winId());
    QEventLoop loop;
    ProbeFilter filter(window, loop);
    QCoreApplication::instance()->installNativeEventFilter(&filter);
    static const xcb_atom_t property = atom(c, "_QUILLBOX_TIME");
    xcb_change_property(c, XCB_PROP_MODE_APPEND, window, property, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(c);
    QTimer::singleShot(500, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    QCoreApplication::instance()->removeNativeEventFilter(&filter);
}

} // namespace

void x11clipboard::Claim(QClipboard &clipboard, const std::function<QMimeData *()> &data)
{
    xcb_connection_t *c = qtConnection();
    static const xcb_atom_t selection = c ? atom(c, "CLIPBOARD") : XCB_ATOM_NONE;
    {
        // A refused claim must not be announced: the viewers would read the other owner's data.
        const QSignalBlocker quiet(&clipboard);
        clipboard.setMimeData(data(), QClipboard::Clipboard);
        if (c && !serverListsUs(c, selection)) {
            catchUpServerTime(c);
            clipboard.setMimeData(data(), QClipboard::Clipboard);
        }
    }
    Q_EMIT clipboard.changed(QClipboard::Clipboard);
    Q_EMIT clipboard.dataChanged();
}
