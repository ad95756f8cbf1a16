#include "platform/x11/X11SyntheticInput.h"
#include "platform/x11/X11Errors.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

// Xlib last: its macros (None, Bool, KeyPress...) collide with Qt names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

Display *display()
{
    auto *app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->display() : nullptr;
}

// Runs the event loop for ms, so that clipboard requests and repaints are served.
void pump(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

Window activeWindow(Display *dpy)
{
    const Atom prop = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    Window result = 0;
    if (XGetWindowProperty(dpy, DefaultRootWindow(dpy), prop, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success && data) {
        if (type == XA_WINDOW && format == 32 && count == 1)
            result = *reinterpret_cast<Window *>(data);
        XFree(data);
    }
    return result;
}

// The window itself and its ancestors up to the root; empty when it has gone.
QList<Window> lineage(Display *dpy, Window w)
{
    QList<Window> chain;
    x11::X11ErrorTrap trap(dpy);
    while (w && w != DefaultRootWindow(dpy) && chain.size() < 64) {
        chain << w;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int n = 0;
        if (!XQueryTree(dpy, w, &root, &parent, &children, &n))
            return {};
        if (children)
            XFree(children);
        w = parent;
    }
    return chain;
}

bool isOwnWindow(Display *dpy, Window w)
{
    const QList<Window> chain = lineage(dpy, w);
    const auto windows = QGuiApplication::allWindows();
    for (const QWindow *window : windows) {
        if (window->handle() && chain.contains(Window(window->winId())))
            return true;
    }
    return false;
}

void sendActivate(Display *dpy, Window w, unsigned long timestamp, long source)
{
    XEvent ev = {};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = source; // 1 application, 2 pager
    ev.xclient.data.l[1] = long(timestamp);
    x11::X11ErrorTrap trap(dpy);
    XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
}

QStringList classHint(Display *dpy, Window w)
{
    XClassHint hint = {};
    if (!XGetClassHint(dpy, w, &hint))
        return {};
    const QStringList names = {QString::fromLocal8Bit(hint.res_name), QString::fromLocal8Bit(hint.res_class)};
    XFree(hint.res_name);
    XFree(hint.res_class);
    return names;
}

// Empty when a name is unknown or has no key on this keyboard.
QList<KeyCode> keycodesFor(Display *dpy, const QStringList &names)
{
    QList<KeyCode> codes;
    for (const QString &name : names) {
        const KeySym sym = KeysymForKeyName(name);
        const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(dpy, sym);
        if (!code)
            return {};
        codes << code;
    }
    return codes;
}

// XWayland's window manager on wlroots compositors activates a window that comes back from hidden
// without moving the X input focus to it: the keys typed next would reach nobody. Once the window is
// viewable and the focus is still elsewhere, take it, as the activation asked.
void takeInputFocusOnceShown(Display *dpy, QWidget *window)
{
    auto *timer = new QTimer(window);
    timer->setInterval(20);
    const QDeadlineTimer deadline(1000);
    QObject::connect(timer, &QTimer::timeout, window, [dpy, window, timer, deadline] {
        const auto w = Window(window->winId());
        XWindowAttributes attributes = {};
        const bool viewable = window->isVisible() && XGetWindowAttributes(dpy, w, &attributes)
                              && attributes.map_state == IsViewable;
        if (viewable) {
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(dpy, &focus, &revert);
            if (!isOwnWindow(dpy, focus)) {
                x11::X11ErrorTrap trap(dpy);
                XSetInputFocus(dpy, w, RevertToParent, CurrentTime);
                XFlush(dpy);
            }
        }
        if (viewable || deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

} // namespace

int x11input::physicalButton(int logical, const unsigned char *map, int count)
{
    // With swapped buttons physical 3 gives logical 1: a "left" click must stay a left click.
    for (int i = 0; i < count; ++i) {
        if (map[i] == logical)
            return i + 1;
    }
    return logical;
}

X11SyntheticInput::X11SyntheticInput()
{
    x11::InstallErrorHandler();
}

bool X11SyntheticInput::isAvailable() const
{
    return display() != nullptr;
}

unsigned long X11SyntheticInput::focusedWindow()
{
    Display *dpy = display();
    if (!dpy)
        return 0;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(dpy, &focus, &revert);
    return focus == PointerRoot ? 0 : focus;
}

QStringList X11SyntheticInput::windowClass(unsigned long window)
{
    Display *dpy = display();
    if (!dpy || !window)
        return {};
    x11::X11ErrorTrap trap(dpy);
    // The focus often sits in a child of the client window, which alone carries the class.
    for (Window w : lineage(dpy, window)) {
        const QStringList names = classHint(dpy, w);
        if (!names.isEmpty())
            return names;
    }
    QList<Window> below = {Window(window)};
    for (int visited = 0; !below.isEmpty() && visited < 256; ++visited) {
        const Window w = below.takeFirst();
        const QStringList names = classHint(dpy, w);
        if (!names.isEmpty())
            return names;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int n = 0;
        if (!XQueryTree(dpy, w, &root, &parent, &children, &n))
            continue;
        for (unsigned int i = 0; i < n; ++i)
            below << children[i];
        if (children)
            XFree(children);
    }
    return {};
}

FocusHolder X11SyntheticInput::focusHolder() const
{
    Display *dpy = display();
    const Window focus = focusedWindow();
    // Not _NET_ACTIVE_WINDOW here: XWayland's window manager may leave it naming the last X11
    // window after a Wayland-native one took the focus.
    if (!dpy || !focus || focus == DefaultRootWindow(dpy))
        return FocusHolder::NoClient;
    return isOwnWindow(dpy, focus) ? FocusHolder::Ours : FocusHolder::X11Client;
}

void X11SyntheticInput::rememberFocus()
{
    Display *dpy = display();
    if (!dpy)
        return;
    Window focus = focusedWindow();
    const Window active = activeWindow(dpy);
    if (!focus)
        focus = active;
    // Shown again while already in front: keep the window the user came from.
    if (!focus || isOwnWindow(dpy, focus))
        return;
    m_focus = focus;
    m_active = (active && !isOwnWindow(dpy, active)) ? active : focus;
}

bool X11SyntheticInput::focusIsBack() const
{
    Display *dpy = display();
    const Window focus = focusedWindow();
    if (!focus)
        return false;
    if (focus == m_focus)
        return true;
    // The focus may sit in a child of the window we remembered.
    return lineage(dpy, focus).contains(Window(m_focus));
}

void X11SyntheticInput::releaseHeldModifiers()
{
    Display *dpy = display();
    char keys[32];
    XQueryKeymap(dpy, keys);
    XModifierKeymap *map = XGetModifierMapping(dpy);
    if (!map)
        return;
    for (int i = 0; i < 8 * map->max_keypermod; ++i) {
        const KeyCode code = map->modifiermap[i];
        if (code && (keys[code / 8] & (1 << (code % 8))))
            XTestFakeKeyEvent(dpy, code, False, CurrentTime);
    }
    XFreeModifiermap(map);
}

bool X11SyntheticInput::waitForFocus()
{
    // The window manager gives the focus back a few ms after our window hid; keys sent
    // before that are lost. Wait for it, and ask for it when it does not come by itself.
    Display *dpy = display();
    bool back = false;
    bool asked = false;
    QElapsedTimer clock;
    clock.start();
    // With no window remembered (ours was shown already), wait until the focus has left our
    // windows: the keys, and the class that chooses them, belong to the window that gets it.
    while (!m_focus && clock.elapsed() < m_focusTimeoutMs) {
        const Window focus = focusedWindow();
        if (focus && !isOwnWindow(dpy, focus))
            break;
        pump(5);
    }
    while (m_focus) {
        back = focusIsBack();
        if (back || clock.elapsed() >= m_focusTimeoutMs)
            break;
        if (!asked && clock.elapsed() >= 30) {
            if (lineage(dpy, m_active).isEmpty())
                break; // the window has gone: paste wherever the focus is
            sendActivate(dpy, m_active, CurrentTime, 2);
            asked = true;
        }
        pump(5);
    }
    return back;
}

bool X11SyntheticInput::paste()
{
    Display *dpy = display();
    if (!dpy)
        return false;
    XSync(dpy, False);

    const bool back = waitForFocus();

    // The keys go where the focus is now; a terminal emulator there needs other keys.
    Window target = focusedWindow();
    if (!target)
        target = m_focus;
    const QStringList windowClasses = windowClass(target);
    const PasteRule rule = m_rule ? m_rule() : PasteRule{DefaultTerminalClasses(), DefaultTerminalPasteKeys()};
    const PasteChoice choice = ChoosePasteKeys(windowClasses, rule);
    QList<KeyCode> codes = keycodesFor(dpy, choice.keys);
    if (codes.isEmpty() && choice.terminal) // keys this keyboard cannot type: the default ones
        codes = keycodesFor(dpy, ChoosePasteKeys(windowClasses, {rule.terminalClasses, QString()}).keys);
    if (codes.isEmpty())
        return false;
    if (choice.terminal) {
        // xterm and urxvt paste the primary selection on Shift+Insert, most others the clipboard.
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText(clipboard->text(QClipboard::Clipboard), QClipboard::Selection);
    }
    sendChord(codes);
    pump(m_settleMs);
    return back;
}

void X11SyntheticInput::sendChord(const QList<unsigned char> &keycodes)
{
    Display *dpy = display();
    x11::X11ErrorTrap trap(dpy);
    // Alt of a hot key or Shift of Shift+Enter would turn the chord into another command.
    releaseHeldModifiers();
    for (KeyCode code : keycodes)
        XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    for (auto it = keycodes.crbegin(); it != keycodes.crend(); ++it)
        XTestFakeKeyEvent(dpy, *it, False, CurrentTime);
    XFlush(dpy);
}

bool X11SyntheticInput::copyFromFocused()
{
    Display *dpy = display();
    if (!dpy)
        return false;
    const Window focus = focusedWindow();
    if (!focus || isOwnWindow(dpy, focus))
        return false;
    // While the hot key's own key is down, its grab sends every key to us, Ctrl+C included.
    char keys[32];
    XQueryKeymap(dpy, keys);
    {
        x11::X11ErrorTrap trap(dpy);
        for (int code = 8; code < 256; ++code) {
            if (keys[code / 8] & (1 << (code % 8)))
                XTestFakeKeyEvent(dpy, code, False, CurrentTime);
        }
        XSync(dpy, False);
    }
    const QList<KeyCode> copy = keycodesFor(dpy, {QStringLiteral("ctrl"), QStringLiteral("c")});
    if (copy.isEmpty())
        return false;
    sendChord(copy);
    return true;
}

void X11SyntheticInput::mouseButton(int button, bool press)
{
    Display *dpy = display();
    if (!dpy)
        return;
    unsigned char map[256];
    const int count = XGetPointerMapping(dpy, map, int(sizeof map));
    x11::X11ErrorTrap trap(dpy);
    XTestFakeButtonEvent(dpy, unsigned(x11input::physicalButton(button, map, count)), press ? True : False,
                         CurrentTime);
}

void X11SyntheticInput::moveBy(int dx, int dy)
{
    Display *dpy = display();
    if (!dpy)
        return;
    x11::X11ErrorTrap trap(dpy);
    XTestFakeRelativeMotionEvent(dpy, dx, dy, CurrentTime);
}

X11SyntheticInput &x11SyntheticInput()
{
    static X11SyntheticInput input;
    return input;
}

void activateWindow(QWidget *window, unsigned long timestamp)
{
    if (!window)
        return;
    window = window->window();
    window->show();
    window->raise();
    window->activateWindow();
    Display *dpy = display();
    if (!dpy || !window->windowHandle())
        return;
    // Qt's own request carries the time of the last event Qt saw, which for a grabbed
    // key is older than the key press; repeat it with the press's time.
    sendActivate(dpy, Window(window->winId()), timestamp, 1);
    XFlush(dpy);
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        takeInputFocusOnceShown(dpy, window);
}
