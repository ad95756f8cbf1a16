#include "platform/x11/X11Keyboard.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

Display *display()
{
    auto *app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->display() : nullptr;
}

} // namespace

QByteArrayList x11keys::ServerXkbRuleNames()
{
    Display *dpy = display();
    if (!dpy)
        return {};
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    QByteArrayList names;
    if (XGetWindowProperty(dpy, DefaultRootWindow(dpy), XInternAtom(dpy, "_XKB_RULES_NAMES", False), 0, 1024,
                           False, XA_STRING, &type, &format, &count, &after, &data) == Success && data) {
        // Five strings, each ending in a NUL.
        if (type == XA_STRING && format == 8)
            names = QByteArray(reinterpret_cast<const char *>(data), qsizetype(count)).split('\0').mid(0, 5);
        XFree(data);
    }
    return names;
}

quint32 x11keys::UnshiftedKeysym(quint32 keycode, quint32 xState)
{
    Display *dpy = display();
    if (!dpy || keycode < 8 || keycode > 255)
        return 0;
    const unsigned int group = (xState >> 13) & 3;
    const KeySym base = XkbKeycodeToKeysym(dpy, KeyCode(keycode), group, 0);
    // The keypad's navigation keys type digits while Num Lock is on.
    if (base >= XK_KP_Home && base <= XK_KP_Delete) {
        const unsigned int numLock = XkbKeysymToModifiers(dpy, XK_Num_Lock);
        if (numLock && (xState & numLock)) {
            const KeySym digit = XkbKeycodeToKeysym(dpy, KeyCode(keycode), group, 1);
            if (digit != NoSymbol)
                return quint32(digit);
        }
    }
    return quint32(base);
}
