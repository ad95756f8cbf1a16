#include "platform/x11/X11Keyboard.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

quint32 x11keys::UnshiftedKeysym(quint32 keycode, quint32 xState)
{
    auto *app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *dpy = app ? app->display() : nullptr;
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
