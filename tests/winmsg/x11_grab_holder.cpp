// Another X client for the hot-key test: grabs one key combination on the root window,
// prints "ok" or "fail", and holds the grab until stdin closes.
// With --move KEYSYM KEYCODE it moves the keysym to that keycode instead (a keyboard
// mapping change), printing the keycode it had.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

static int g_failed = 0;
static int onError(Display *, XErrorEvent *)
{
    g_failed = 1;
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s KEYSYM XMODMASK\n", argv[0]);
        return 2;
    }
    Display *d = XOpenDisplay(nullptr);
    if (!d)
        return 3;
    XSetErrorHandler(onError);
    if (argc == 4 && std::string(argv[1]) == "--move") {
        const KeySym sym = XStringToKeysym(argv[2]);
        const KeyCode from = XKeysymToKeycode(d, sym);
        KeySym none = NoSymbol;
        if (from)
            XChangeKeyboardMapping(d, from, 1, &none, 1);
        KeySym moved = sym;
        XChangeKeyboardMapping(d, KeyCode(std::strtoul(argv[3], nullptr, 0)), 1, &moved, 1);
        XSync(d, False);
        std::printf("%d\n", int(from));
        XCloseDisplay(d);
        return g_failed;
    }
    const KeyCode code = XKeysymToKeycode(d, XStringToKeysym(argv[1]));
    XGrabKey(d, code, unsigned(std::strtoul(argv[2], nullptr, 0)), DefaultRootWindow(d), False,
             GrabModeAsync, GrabModeAsync);
    XSync(d, False);
    std::printf(g_failed || code == 0 ? "fail\n" : "ok\n");
    std::fflush(stdout);
    int c;
    while ((c = std::getchar()) != EOF) {
    }
    XCloseDisplay(d);
    return 0;
}
