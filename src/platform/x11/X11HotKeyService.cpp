#include "platform/x11/X11HotKeyService.h"

#include "platform/x11/X11Errors.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/VirtualKeys.h"

namespace {

quint32 toXModifiers(quint32 mask)
{
    quint32 x = 0;
    if (mask & hotkey::MOD_ALT)
        x |= Mod1Mask;
    if (mask & hotkey::MOD_CONTROL)
        x |= ControlMask;
    if (mask & hotkey::MOD_SHIFT)
        x |= ShiftMask;
    if (mask & hotkey::MOD_WIN)
        x |= Mod4Mask;
    return x;
}

} // namespace

X11HotKeyService::X11HotKeyService(QObject *parent) : QObject(parent)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    m_display = x11 ? x11->display() : nullptr;
    if (!m_display)
        return;
    x11::InstallErrorHandler();
    m_root = DefaultRootWindow(m_display);
    int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (XkbQueryExtension(m_display, &opcode, &m_xkbEventBase, &error, &major, &minor) == False)
        m_xkbEventBase = -1;
    m_numLockMask = readNumLockMask();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotKeyService::~X11HotKeyService()
{
    if (!m_display)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    for (Registration &r : m_registrations)
        ungrab(r);
    XSync(m_display, False);
}

quint32 X11HotKeyService::readNumLockMask() const
{
    // Asked of the server each time: Xlib's cached maps may be stale after a change.
    const KeyCode numLock = KeyCode(keysymToKeycode(XK_Num_Lock));
    if (numLock == 0)
        return 0;
    XModifierKeymap *map = XGetModifierMapping(m_display);
    if (!map)
        return 0;
    quint32 mask = 0;
    for (int mod = 0; mod < 8 && !mask; ++mod) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            if (map->modifiermap[mod * map->max_keypermod + k] == numLock) {
                mask = 1u << mod;
                break;
            }
        }
    }
    XFreeModifiermap(map);
    return mask;
}

quint32 X11HotKeyService::keysymToKeycode(quint32 keysym) const
{
    int minCode = 0, maxCode = 0;
    XDisplayKeycodes(m_display, &minCode, &maxCode);
    int perCode = 0;
    KeySym *syms = XGetKeyboardMapping(m_display, KeyCode(minCode), maxCode - minCode + 1, &perCode);
    if (!syms)
        return 0;
    quint32 found = 0;
    // The lowest shift level wins, so Delete is found on its own key, not on KP_Delete's.
    for (int level = 0; level < perCode && !found; ++level) {
        for (int code = minCode; code <= maxCode; ++code) {
            if (syms[(code - minCode) * perCode + level] == KeySym(keysym)) {
                found = quint32(code);
                break;
            }
        }
    }
    XFree(syms);
    return found;
}

void X11HotKeyService::resolve(Registration &r)
{
    r.keycode = keysymToKeycode(vkeys::VirtualKeyToKeysym(int(r.virtualKey)));
    r.xmods = toXModifiers(r.mask);
}

bool X11HotKeyService::grab(Registration &r)
{
    if (r.keycode == 0)
        return true; // nothing to grab until a key carries it
    QVector<quint32> variants{r.xmods, r.xmods | LockMask};
    if (m_numLockMask) {
        variants << (r.xmods | m_numLockMask) << (r.xmods | LockMask | m_numLockMask);
    }
    x11::X11ErrorTrap trap(m_display);
    for (quint32 mods : variants) {
        XGrabKey(m_display, int(r.keycode), mods, Window(m_root), False, GrabModeAsync, GrabModeAsync);
        // Checked one by one: only the variants we really hold may be released.
        if (trap.syncFailed()) {
            ungrab(r);
            return false;
        }
        r.grabs.append(Grab{r.keycode, mods});
    }
    return true;
}

void X11HotKeyService::ungrab(Registration &r)
{
    for (const Grab &g : qAsConst(r.grabs))
        XUngrabKey(m_display, int(g.keycode), g.xmods, Window(m_root));
    r.grabs.clear();
    XFlush(m_display);
}

bool X11HotKeyService::RegisterHotKey(win::HWND hwnd, int id, quint32 modifiers, quint32 virtualKey)
{
    if (!m_display || (modifiers & ~hotkey::MOD_ALL) != 0 || vkeys::VirtualKeyToKeysym(int(virtualKey)) == 0)
        return false;
    Registration r{hwnd, id, modifiers, virtualKey};
    resolve(r);
    for (const Registration &other : qAsConst(m_registrations)) {
        const bool sameKey = other.virtualKey == r.virtualKey || (r.keycode != 0 && other.keycode == r.keycode);
        if (sameKey && other.mask == r.mask)
            return false; // already ours: a second registration could never fire
    }
    if (!grab(r))
        return false;
    m_registrations.append(r);
    return true;
}

bool X11HotKeyService::UnregisterHotKey(win::HWND hwnd, int id)
{
    bool removed = false;
    for (int i = m_registrations.size() - 1; i >= 0; --i) {
        if (m_registrations[i].hwnd == hwnd && m_registrations[i].id == id) {
            ungrab(m_registrations[i]);
            m_registrations.removeAt(i);
            removed = true;
        }
    }
    return removed;
}

void X11HotKeyService::renewGrabs()
{
    m_renewPending = false;
    if (!m_display)
        return;
    // Switching between keyboards (a second one, or synthetic input) reports a new keyboard
    // with the same map: a grab released then would let the hot key pressed meanwhile through
    // to the focused window. Only grabs whose key or modifiers moved are renewed.
    const quint32 numLockMask = readNumLockMask();
    const bool numLockMoved = numLockMask != m_numLockMask;
    m_numLockMask = numLockMask;
    QVector<Registration *> moved;
    for (Registration &r : m_registrations) {
        const quint32 keycode = r.keycode, xmods = r.xmods;
        resolve(r);
        if (numLockMoved || r.keycode != keycode || r.xmods != xmods || r.grabs.isEmpty()) {
            ungrab(r);
            moved.append(&r);
        }
    }
    // All released before any is taken again: one key may have moved onto another's old key.
    for (Registration *r : qAsConst(moved))
        grab(*r); // a combination taken meanwhile stays without a grab
}

void X11HotKeyService::scheduleRenew()
{
    if (m_renewPending)
        return;
    m_renewPending = true;
    QMetaObject::invokeMethod(this, &X11HotKeyService::renewGrabs, Qt::QueuedConnection);
}

void X11HotKeyService::deliver(win::HWND hwnd, int id, quint32 mask, quint32 virtualKey)
{
    win::SendMessage(hwnd, win::WM_HOTKEY, win::WPARAM(id), win::MAKELPARAM(quint16(mask), quint16(virtualKey)));
}

bool X11HotKeyService::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !m_display)
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    const uint8_t type = event->response_type & 0x7f;

    if (type == XCB_MAPPING_NOTIFY) {
        auto *mapping = reinterpret_cast<xcb_mapping_notify_event_t *>(event);
        if (mapping->request != XCB_MAPPING_POINTER)
            scheduleRenew();
        return false; // Qt updates its own keymap too
    }
    if (m_xkbEventBase >= 0 && type == m_xkbEventBase) {
        const uint8_t xkbType = reinterpret_cast<const uint8_t *>(event)[1];
        if (xkbType == XkbNewKeyboardNotify || xkbType == XkbMapNotify)
            scheduleRenew();
        return false;
    }
    if (type != XCB_KEY_PRESS)
        return false;

    auto *key = reinterpret_cast<xcb_key_press_event_t *>(event);
    if (key->event != m_root)
        return false;
    const quint32 state = key->state & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask) & ~m_numLockMask;
    for (const Registration &r : qAsConst(m_registrations)) {
        if (r.keycode == key->detail && r.xmods == state && !r.grabs.isEmpty()) {
            m_lastEventTime = key->time;
            // Posted, as the system posts hot-key messages: the receiver may open menus
            // and message boxes, which must not run inside X event processing.
            const win::HWND hwnd = r.hwnd;
            const int id = r.id;
            const quint32 mask = r.mask, vk = r.virtualKey;
            QMetaObject::invokeMethod(this, [this, hwnd, id, mask, vk] { deliver(hwnd, id, mask, vk); },
                                      Qt::QueuedConnection);
            return true;
        }
    }
    return false;
}
