// Calculator figures: the engine on a typical expression, a sum of 10,000 terms and an
// expression nested 1,000 parentheses deep (time and peak memory), `Quillbox --calc` from
// launch to exit, and, with an X display and a window manager, the calculator hot key
// (Alt+Home, XTest) to the bar holding the input focus.
//   bench_calc [rounds=15]
#include "BenchStats.h"
#include "calc/clsDCC.h"

#include <QString>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = BenchClock;

QString workload(const char *name)
{
    if (std::strcmp(name, "sum") == 0) {
        QString sum = QStringLiteral("1");
        for (int i = 2; i <= 10000; ++i)
            sum += u'+' + QString::number(i);
        return sum;
    }
    if (std::strcmp(name, "nested") == 0)
        return QStringLiteral("(").repeated(1000) + QStringLiteral("1") + QStringLiteral("*1.5+1)").repeated(1000);
    if (std::strcmp(name, "typical") == 0)
        return QStringLiteral("sqr(16)+2^10*3-(1+2)/7");
    return QString();
}

double calculateOnce(const QString &expr, qint32 *code, double *result)
{
    clsDCC engine;
    engine.SetVariable(QStringLiteral("pi"), clsDCC::Pi);
    const Clock::time_point t0 = Clock::now();
    *code = engine.Calculate(expr, *result);
    return msSince(t0);
}

// Runs argv to its end; the wall time in ms, the child's peak resident set in kB and its CPU
// time (user and system) in ms.
bool spawnAndWait(const std::vector<const char *> &argv, double *ms, long *peakKb, bool quiet, double *cpuMs = nullptr)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet)
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char *> args;
    for (const char *a : argv)
        args.push_back(const_cast<char *>(a));
    args.push_back(nullptr);
    pid_t pid = 0;
    const Clock::time_point t0 = Clock::now();
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return false;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    *ms = msSince(t0);
    if (peakKb)
        *peakKb = usage.ru_maxrss;
    if (cpuMs)
        *cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
                 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    return WIFEXITED(status);
}

void engineFigures(const char *self, int rounds)
{
    const QString typical = workload("typical");
    clsDCC engine;
    engine.SetVariable(QStringLiteral("pi"), clsDCC::Pi);
    double result = 0;
    std::vector<double> perCall;
    const int calls = 20000;
    for (int r = 0; r < rounds; ++r) {
        const Clock::time_point t0 = Clock::now();
        for (int i = 0; i < calls; ++i)
            engine.Calculate(typical, result);
        perCall.push_back(msSince(t0) * 1000 / calls);
    }
    std::printf("typical \"%s\" = %.15g: median %.2f us per Calculate (%d calls x %d rounds)\n",
                qPrintable(typical), result, median(perCall), calls, rounds);

    double baseMs = 0;
    long baseKb = 0;
    // The typical expression as the base: the same code paged in, next to no data.
    spawnAndWait({self, "--workload", "typical"}, &baseMs, &baseKb, true);
    for (const char *name : {"sum", "nested"}) {
        const QString expr = workload(name);
        std::vector<double> times;
        qint32 code = 0;
        for (int r = 0; r < std::min(rounds, 7); ++r)
            times.push_back(calculateOnce(expr, &code, &result));
        double ms = 0;
        long kb = 0;
        spawnAndWait({self, "--workload", name}, &ms, &kb, true);
        std::printf("%-6s (%lld chars, code %d, result %.15g): median %.1f ms; peak RSS %.1f MB "
                    "(%.2f MB above the %.1f MB of the same process calculating the typical one)\n",
                    name, static_cast<long long>(expr.size()), code, result, median(times), kb / 1024.0,
                    (kb - baseKb) / 1024.0, baseKb / 1024.0);
    }
}

void commandLineFigures(int rounds)
{
    // --version loads the same libraries and does nothing else: the floor of any option.
    struct Run {
        const char *label;
        std::vector<const char *> argv;
        std::vector<double> wall, cpu;
    } runs[] = {{"Quillbox --calc EXPR", {QUILLBOX_EXE, "--calc", "sqr(16)+2^10*3-(1+2)/7"}, {}, {}},
                {"Quillbox --version", {QUILLBOX_EXE, "--version"}, {}, {}},
                {"/bin/true", {"/bin/true"}, {}, {}}};
    for (int r = 0; r < rounds; ++r) {
        for (Run &run : runs) {
            double ms = 0, cpu = 0;
            if (spawnAndWait(run.argv, &ms, nullptr, true, &cpu)) {
                run.wall.push_back(ms);
                run.cpu.push_back(cpu);
            }
        }
    }
    for (const Run &run : runs)
        std::printf("%-22s launch to exit: median %.1f ms wall, %.1f ms CPU (user+system) over %zu runs\n",
                    run.label, median(run.wall), median(run.cpu), run.wall.size());
}

bool focusIs(Display *d, Window w)
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    return focus == w;
}

// The bar's window once it holds the focus: the focus window named "電卓".
Window focusedBar(Display *d)
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    if (focus <= PointerRoot)
        return 0;
    XTextProperty name{};
    Window found = 0;
    if (XGetTextProperty(d, focus, &name, XInternAtom(d, "_NET_WM_NAME", False)) && name.value) {
        if (std::strcmp(reinterpret_cast<const char *>(name.value), "電卓") == 0)
            found = focus;
        XFree(name.value);
    }
    return found;
}

void pressKeys(Display *d, std::initializer_list<KeySym> keys)
{
    for (KeySym k : keys)
        XTestFakeKeyEvent(d, XKeysymToKeycode(d, k), True, CurrentTime);
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it)
        XTestFakeKeyEvent(d, XKeysymToKeycode(d, *it), False, CurrentTime);
    XFlush(d);
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    const Clock::time_point t0 = Clock::now();
    while (!condition()) {
        if (msSince(t0) > timeoutMs)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

void hotKeyFigures(int rounds)
{
    Display *d = XOpenDisplay(nullptr);
    if (!d) {
        std::printf("hot key to bar: skipped (no X display)\n");
        return;
    }
    char dir[] = "/tmp/bench_calc_XXXXXX";
    if (!mkdtemp(dir))
        return;
    const std::string run = std::string(dir) + "/run", config = std::string(dir) + "/config";
    mkdir(run.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const std::string exe = std::string(dir) + "/Quillbox";
    std::system(("cp '" QUILLBOX_EXE "' '" + exe + "'").c_str());

    pid_t pid = 0;
    std::vector<char *> args = {const_cast<char *>(exe.c_str()), nullptr};
    posix_spawn(&pid, exe.c_str(), nullptr, nullptr, args.data(), environ);
    std::this_thread::sleep_for(std::chrono::seconds(3)); // start-up settles (tray icon, grabs)

    Window bar = 0;
    std::vector<double> toFocus;
    int failed = 0;
    for (int r = 0; r < rounds + 1; ++r) {
        const Clock::time_point t0 = Clock::now();
        pressKeys(d, {XK_Alt_L, XK_Home});
        const bool ok = bar ? waitUntil([&] { return focusIs(d, bar); }, 3000)
                            : waitUntil([&] { return (bar = focusedBar(d)) != 0; }, 5000);
        const double ms = msSince(t0);
        if (!ok)
            ++failed;
        else if (r > 0) // the first round finds the window
            toFocus.push_back(ms);
        pressKeys(d, {XK_Control_L, XK_w});
        waitUntil([&] { return bar && !focusIs(d, bar); }, 2000);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    if (!toFocus.empty()) {
        std::printf("Alt+Home (XTest) -> calculator bar focused: median %.1f ms (min %.1f, max %.1f) over %zu "
                    "rounds, %d failed\n",
                    median(toFocus), *std::min_element(toFocus.begin(), toFocus.end()),
                    *std::max_element(toFocus.begin(), toFocus.end()), toFocus.size(), failed);
    } else {
        std::printf("hot key to bar: the bar never took the focus\n");
    }

    std::vector<char *> quit = {const_cast<char *>(exe.c_str()), const_cast<char *>("--quit"), nullptr};
    pid_t q = 0;
    posix_spawn(&q, exe.c_str(), nullptr, nullptr, quit.data(), environ);
    waitpid(q, nullptr, 0);
    waitpid(pid, nullptr, 0);
    std::system(("rm -rf '" + std::string(dir) + "'").c_str());
    XCloseDisplay(d);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--workload") == 0) {
        // One calculation in a process of its own, so its peak memory can be read.
        const QString expr = workload(argv[2]);
        qint32 code = 0;
        double result = 0;
        if (!expr.isEmpty())
            calculateOnce(expr, &code, &result);
        return code == 0 ? 0 : 1;
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    engineFigures(argv[0], rounds);
    commandLineFigures(std::max(rounds, 20));
    hotKeyFigures(rounds);
    return 0;
}
