// Another X client for the hot-key test. Modes:
//   KEYSYM XMODMASK      grabs the combination on the root window, prints "ok" or "fail",
//                        holds it until stdin closes, then releases it before exiting
//   --move KEYSYM CODE   moves the keysym to that keycode (a keyboard mapping change),
//                        printing the keycode it had
//   --code KEYSYM        prints the keycode carrying the keysym (0: none)
//   --free               prints the highest keycode without any keysym (0: none)
//   --row CODE           prints that keycode's keysyms, one hex number per column
//   --set CODE [SYM...]  writes that keycode's keysyms (hex), missing columns NoSymbol
//   --numlock            prints the modifier mask Num Lock is on (0: none)
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

static int g_failed = 0;
static int onError(Display *, XErrorEvent *)
{
    g_failed = 1;
    return 0;
}

namespace {

struct Keymap {
    int minCode = 0, maxCode = 0, perCode = 0;
    std::vector<KeySym> syms;

    explicit Keymap(Display *d)
    {
        XDisplayKeycodes(d, &minCode, &maxCode);
        KeySym *all = XGetKeyboardMapping(d, KeyCode(minCode), maxCode - minCode + 1, &perCode);
        if (all) {
            syms.assign(all, all + (maxCode - minCode + 1) * perCode);
            XFree(all);
        }
    }
    bool valid(int code) const { return !syms.empty() && code >= minCode && code <= maxCode; }
    KeySym at(int code, int column) const { return syms[size_t((code - minCode) * perCode + column)]; }
    bool empty(int code) const
    {
        for (int c = 0; c < perCode; ++c) {
            if (at(code, c) != NoSymbol)
                return false;
        }
        return true;
    }
};

int toInt(const char *s) { return int(std::strtol(s, nullptr, 0)); }

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s KEYSYM XMODMASK | --move KEYSYM CODE | --code KEYSYM | --free"
                             " | --row CODE | --set CODE [SYM...] | --numlock\n", argv[0]);
        return 2;
    }
    Display *d = XOpenDisplay(nullptr);
    if (!d)
        return 3;
    XSetErrorHandler(onError);
    const std::string mode = argv[1];
    // Asked of the server each time: this process may outlive a mapping change.
    if (mode == "--code" && argc == 3) {
        const Keymap map(d);
        const KeySym sym = XStringToKeysym(argv[2]);
        int found = 0;
        for (int c = 0; c < map.perCode && !found && sym != NoSymbol; ++c) {
            for (int code = map.minCode; code <= map.maxCode; ++code) {
                if (map.at(code, c) == sym) {
                    found = code;
                    break;
                }
            }
        }
        std::printf("%d\n", found);
    } else if (mode == "--free" && argc == 2) {
        const Keymap map(d);
        int found = 0;
        for (int code = map.maxCode; code >= map.minCode && !found && !map.syms.empty(); --code) {
            if (map.empty(code))
                found = code;
        }
        std::printf("%d\n", found);
    } else if (mode == "--row" && argc == 3) {
        const Keymap map(d);
        const int code = toInt(argv[2]);
        if (!map.valid(code))
            return 4;
        for (int c = 0; c < map.perCode; ++c)
            std::printf(c ? " 0x%lx" : "0x%lx", static_cast<unsigned long>(map.at(code, c)));
        std::printf("\n");
    } else if (mode == "--set" && argc >= 3) {
        const Keymap map(d);
        const int code = toInt(argv[2]);
        if (!map.valid(code) || argc - 3 > map.perCode)
            return 4;
        std::vector<KeySym> row(size_t(map.perCode), NoSymbol);
        for (int i = 3; i < argc; ++i)
            row[size_t(i - 3)] = KeySym(std::strtoul(argv[i], nullptr, 0));
        XChangeKeyboardMapping(d, code, map.perCode, row.data(), 1);
        XSync(d, False);
    } else if (mode == "--numlock" && argc == 2) {
        const KeyCode numLock = XKeysymToKeycode(d, XK_Num_Lock);
        XModifierKeymap *mods = XGetModifierMapping(d);
        unsigned mask = 0;
        for (int mod = 0; mods && numLock && mod < 8 && !mask; ++mod) {
            for (int k = 0; k < mods->max_keypermod; ++k) {
                if (mods->modifiermap[mod * mods->max_keypermod + k] == numLock)
                    mask = 1u << mod;
            }
        }
        if (mods)
            XFreeModifiermap(mods);
        std::printf("%u\n", mask);
    } else if (mode == "--move" && argc == 4) {
        const KeySym sym = XStringToKeysym(argv[2]);
        const KeyCode from = XKeysymToKeycode(d, sym);
        KeySym none = NoSymbol;
        if (from)
            XChangeKeyboardMapping(d, from, 1, &none, 1);
        KeySym moved = sym;
        XChangeKeyboardMapping(d, toInt(argv[3]), 1, &moved, 1);
        XSync(d, False);
        std::printf("%d\n", int(from));
    } else if (argc == 3 && mode.compare(0, 2, "--") != 0) {
        const KeyCode code = XKeysymToKeycode(d, XStringToKeysym(argv[1]));
        const unsigned mods = unsigned(std::strtoul(argv[2], nullptr, 0));
        XGrabKey(d, code, mods, DefaultRootWindow(d), False, GrabModeAsync, GrabModeAsync);
        XSync(d, False);
        const bool held = !g_failed && code != 0;
        std::printf(held ? "ok\n" : "fail\n");
        std::fflush(stdout);
        int c;
        while ((c = std::getchar()) != EOF) {
        }
        // Released and synced here: the server drops a closed client's grabs only when it
        // gets round to the disconnect, which may be after our parent already went on.
        if (held) {
            XUngrabKey(d, code, mods, DefaultRootWindow(d));
            XSync(d, False);
        }
        XCloseDisplay(d);
        return 0;
    } else {
        XCloseDisplay(d);
        return 2;
    }
    XCloseDisplay(d);
    return g_failed;
}
