// Hot-key figures of the running program: the time from an XTest press of Alt+Delete to the
// main window mapped and holding the input focus (card file of 1,000 cards), and the context
// switches of every thread while idle with all hot keys registered.
// Needs an X server with a window manager (DISPLAY); xdotool finds the window.
//   bench_hotkeys [rounds=15] [idleSeconds=60]
#include "BenchStats.h"
#include "platform/Cp932.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <poll.h>

namespace {

using Clock = BenchClock;

QByteArray memoFile(int cards)
{
    QByteArray bytes;
    for (int i = 0; i < cards; ++i) {
        const QString group = QStringLiteral("グループ%1").arg(i / 25, 2, 10, QChar(u'0'));
        const QString body = QStringLiteral("定型文 %1 の本文です。\r\n二行目 %1").arg(i);
        bytes += Cp932::encode(QStringLiteral("項目%1").arg(i) + QChar(1) + group + QChar(1) + body + QChar(1));
    }
    return bytes;
}

int g_xerror = 0;
int onXError(Display *, XErrorEvent *e)
{
    g_xerror = e->error_code;
    return 0;
}

// Waits for the next X event up to timeoutMs; false on timeout.
bool nextEvent(Display *d, XEvent *ev, int timeoutMs)
{
    const Clock::time_point start = Clock::now();
    while (XPending(d) == 0) {
        const int left = timeoutMs - int(msSince(start));
        if (left <= 0)
            return false;
        pollfd fd{ConnectionNumber(d), POLLIN, 0};
        ::poll(&fd, 1, left);
    }
    XNextEvent(d, ev);
    return true;
}

bool hasFocus(Display *d, Window w)
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    return focus == w;
}

bool isViewable(Display *d, Window w)
{
    XWindowAttributes a;
    return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
}

// Asks the window to close, as its close box does: the program hides it.
void closeWindow(Display *d, Window w)
{
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &ev);
    XFlush(d);
}

struct Switches {
    long long voluntary = 0;
    long long involuntary = 0;
};

// Context switches per thread (by thread id), with each thread's name.
std::map<QString, std::pair<QString, Switches>> threadSwitches(qint64 pid)
{
    std::map<QString, std::pair<QString, Switches>> out;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(tid + QStringLiteral("/status")));
        QFile comm(tasks.filePath(tid + QStringLiteral("/comm")));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        comm.open(QIODevice::ReadOnly);
        Switches s;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:"))
                s.voluntary = line.mid(24).trimmed().toLongLong();
            else if (line.startsWith("nonvoluntary_ctxt_switches:"))
                s.involuntary = line.mid(27).trimmed().toLongLong();
        }
        out[tid] = {QString::fromUtf8(comm.readAll()).trimmed(), s};
    }
    return out;
}

// The program's own default hot keys; a grab that fails with BadAccess is held by it.
int heldDefaultHotKeys(Display *d)
{
    struct Combo {
        KeySym sym;
        unsigned mods;
    };
    const Combo combos[] = {{XK_Delete, Mod1Mask}, {XK_Scroll_Lock, Mod1Mask}, {XK_Next, Mod1Mask},
                            {XK_End, Mod1Mask},    {XK_Insert, Mod1Mask},      {XK_Prior, Mod1Mask},
                            {XK_Prior, Mod4Mask},  {XK_Next, Mod4Mask},        {XK_Home, Mod1Mask}};
    int held = 0;
    for (const Combo &c : combos) {
        const KeyCode code = XKeysymToKeycode(d, c.sym);
        if (code == 0)
            continue;
        g_xerror = 0;
        XGrabKey(d, code, c.mods, DefaultRootWindow(d), False, GrabModeAsync, GrabModeAsync);
        XSync(d, False);
        if (g_xerror == BadAccess)
            ++held;
        else
            XUngrabKey(d, code, c.mods, DefaultRootWindow(d));
    }
    XSync(d, False);
    return held;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const int idleSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 60;

    Display *d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    XSetErrorHandler(onXError);

    QTemporaryDir dir;
    const QString exe = dir.filePath(QStringLiteral("Quillbox"));
    QFile::copy(QStringLiteral(QUILLBOX_EXE), exe);
    QDir(dir.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(dir.filePath(QStringLiteral("run")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile memo(dir.filePath(QStringLiteral("QuillboxData.vlw")));
    if (!memo.open(QIODevice::WriteOnly) || memo.write(memoFile(1000)) < 0)
        return 1;
    memo.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess quillbox;
    quillbox.setProcessEnvironment(env);
    quillbox.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    quillbox.setStandardErrorFile(QProcess::nullDevice());
    quillbox.start(exe);
    if (!quillbox.waitForStarted())
        return 1;

    Window window = 0;
    for (int i = 0; i < 100 && window == 0; ++i) {
        QProcess search;
        search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                 QStringLiteral("--name"), QStringLiteral("^Quillbox with VLM")});
        search.waitForFinished(5000);
        window = Window(search.readAllStandardOutput().trimmed().split('\n').value(0).toULong());
        if (window == 0)
            QThread::msleep(100);
    }
    if (window == 0) {
        std::fprintf(stderr, "main window not found\n");
        return 1;
    }
    QThread::msleep(1000); // start-up settles (memo file, tray icon)
    std::printf("card file: 1000 cards; default hot keys held by the program: %d of 9\n", heldDefaultHotKeys(d));

    XSelectInput(d, window, StructureNotifyMask | FocusChangeMask);
    const KeyCode alt = XKeysymToKeycode(d, XK_Alt_L);
    const KeyCode del = XKeysymToKeycode(d, XK_Delete);
    std::vector<double> toMapped, toFocused;
    int failed = 0;
    for (int round = 0; round < rounds; ++round) {
        closeWindow(d, window);
        XEvent ev;
        for (int i = 0; i < 200 && isViewable(d, window); ++i)
            QThread::msleep(10);
        QThread::msleep(300);
        while (XPending(d))
            XNextEvent(d, &ev);

        const Clock::time_point t0 = Clock::now();
        XTestFakeKeyEvent(d, alt, True, CurrentTime);
        XTestFakeKeyEvent(d, del, True, CurrentTime);
        XTestFakeKeyEvent(d, del, False, CurrentTime);
        XTestFakeKeyEvent(d, alt, False, CurrentTime);
        XFlush(d);
        double mapped = -1, focused = -1;
        while ((mapped < 0 || focused < 0) && msSince(t0) < 3000) {
            if (!nextEvent(d, &ev, 50)) {
                // A focus change before our selection took effect shows in the query only.
                if (focused < 0 && hasFocus(d, window))
                    focused = msSince(t0);
                continue;
            }
            if (ev.type == MapNotify && ev.xmap.window == window && mapped < 0)
                mapped = msSince(t0);
            else if (ev.type == FocusIn && ev.xfocus.window == window && ev.xfocus.detail != NotifyPointer && focused < 0)
                focused = msSince(t0);
        }
        if (mapped < 0 || focused < 0) {
            ++failed;
            continue;
        }
        toMapped.push_back(mapped);
        toFocused.push_back(std::max(mapped, focused));
        QThread::msleep(200);
    }
    const auto minmax = std::minmax_element(toFocused.begin(), toFocused.end());
    std::printf("Alt+Delete (XTest) -> window mapped:           median %.1f ms over %zu rounds\n",
                median(toMapped), toMapped.size());
    if (!toFocused.empty())
        std::printf("Alt+Delete (XTest) -> window mapped and focused: median %.1f ms (min %.1f, max %.1f), %d failed\n",
                    median(toFocused), *minmax.first, *minmax.second, failed);

    // Idle: the window hidden, as the program mostly sits in the tray.
    closeWindow(d, window);
    QThread::msleep(2000);
    const qint64 pid = quillbox.processId();
    const auto before = threadSwitches(pid);
    QThread::sleep(unsigned(idleSeconds));
    const auto after = threadSwitches(pid);
    long long voluntary = 0, involuntary = 0;
    std::printf("context switches in %d s idle (window hidden, all hot keys registered):\n", idleSeconds);
    for (const auto &[tid, named] : after) {
        const auto was = before.find(tid);
        const Switches start = was == before.end() ? Switches{} : was->second.second;
        const long long v = named.second.voluntary - start.voluntary;
        const long long n = named.second.involuntary - start.involuntary;
        voluntary += v;
        involuntary += n;
        std::printf("  thread %-8s %-16s voluntary %5lld  involuntary %4lld%s\n", qPrintable(tid),
                    qPrintable(named.first), v, n, was == before.end() ? "  (new)" : "");
    }
    std::printf("  all threads: voluntary %lld, involuntary %lld (%.2f per second)\n", voluntary, involuntary,
                double(voluntary + involuntary) / idleSeconds);

    QProcess quit;
    quit.setProcessEnvironment(env);
    quit.start(exe, {QStringLiteral("--quit")});
    quit.waitForFinished(10000);
    quillbox.waitForFinished(10000);
    XCloseDisplay(d);
    return failed == rounds ? 1 : 0;
}
