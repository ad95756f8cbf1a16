// Start-up and copy latency of the real program, measured from outside on the current X
// display (run it on a private Xvfb with a window manager):
//   bench_startup [runs]
// Prints, as medians over the runs: process start to the main window mapped and focused;
// to the first command answered (the event loop is idle by then); the run of a `--hotkey PopUp`
// command and of a second start, each on its own; resident memory after 5 s idle; and an item
// letter typed (XTest) to Quillbox owning the clipboard.
#include "BenchStats.h"
#include "platform/Cp932.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString windowName(Display *d, Window w)
{
    char *name = nullptr;
    QString result;
    if (XFetchName(d, w, &name) && name) {
        result = QString::fromUtf8(name);
        XFree(name);
    }
    return result;
}

Window activeWindow(Display *d)
{
    const Atom active = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    Window w = 0;
    if (XGetWindowProperty(d, DefaultRootWindow(d), active, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                           &data) == Success && data && count == 1)
        w = *reinterpret_cast<Window *>(data);
    if (data)
        XFree(data);
    return w;
}

void key(Display *d, const char *keysym)
{
    const KeyCode code = XKeysymToKeycode(d, XStringToKeysym(keysym));
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XFlush(d);
}

long residentKb(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    Display *d = XOpenDisplay(nullptr);
    // The active window may be gone by the time we ask for its name.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    if (!d) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }

    QTemporaryDir dir;
    const QString exe = dir.filePath(QStringLiteral("Quillbox"));
    QFile::copy(QStringLiteral(QUILLBOX_EXE), exe);
    QByteArray memo;
    for (int i = 0; i < 1000; ++i)
        memo += Cp932::encode(QStringLiteral("項目%1").arg(i) + QChar(1) + QStringLiteral("グループ%1").arg(i % 20)
                              + QChar(1) + QStringLiteral("本文 %1 のテキストです。\r\nよろしくお願いします。").arg(i)
                              + QChar(1));
    QFile memoFile(dir.filePath(QStringLiteral("QuillboxData.vlw")));
    memoFile.open(QIODevice::WriteOnly);
    memoFile.write(memo);
    memoFile.close();
    QDir(dir.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(dir.filePath(QStringLiteral("run")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    // The history groups come first; without them the memo groups start at A.
    QFile ini(dir.filePath(QStringLiteral("Quillbox.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[General]\r\nClipEnable = False\r\n");
    ini.close();

    std::vector<double> shown, answered, hotKeyCommand, secondStart, copied;
    std::vector<double> rss;
    const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
    for (int run = 0; run < runs; ++run) {
        QProcess p;
        p.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        p.start(exe, {});
        p.waitForStarted();
        Window w = 0;
        while (clock.elapsed() < 10000) {
            w = activeWindow(d);
            if (w && windowName(d, w).startsWith(QStringLiteral("Quillbox with VLM")))
                break;
            w = 0;
            QThread::usleep(500);
        }
        shown.push_back(clock.nsecsElapsed() / 1e6);

        QProcess command;
        command.setProcessEnvironment(env);
        command.start(exe, {QStringLiteral("--hotkey"), QStringLiteral("PopUp")});
        command.waitForFinished();
        answered.push_back(clock.nsecsElapsed() / 1e6);
        // Both end as soon as the running copy has answered.
        for (auto [args, times] : {std::pair{QStringList{QStringLiteral("--hotkey"), QStringLiteral("PopUp")}, &hotKeyCommand},
                                   std::pair{QStringList(), &secondStart}}) {
            QProcess again;
            again.setProcessEnvironment(env);
            QElapsedTimer own;
            own.start();
            again.start(exe, args);
            again.waitForFinished();
            times->push_back(own.nsecsElapsed() / 1e6);
        }

        if (run == 0) {
            QThread::sleep(5);
            rss.push_back(residentKb(p.processId()) / 1024.0);
        }

        // Group letter, then the item letter that copies; time the item letter alone.
        key(d, "c");
        QThread::msleep(300);
        XSetSelectionOwner(d, clipboard, None, CurrentTime);
        XSync(d, False);
        QElapsedTimer copy;
        copy.start();
        key(d, "a");
        while (copy.elapsed() < 2000 && XGetSelectionOwner(d, clipboard) == None)
            QThread::usleep(100);
        copied.push_back(copy.nsecsElapsed() / 1e6);

        QProcess quit;
        quit.setProcessEnvironment(env);
        quit.start(exe, {QStringLiteral("--quit")});
        quit.waitForFinished();
        p.waitForFinished();
    }
    std::printf("runs: %d, card file: 1000 cards in 20 groups\n", runs);
    std::printf("start to window mapped and focused: median %.1f ms\n", median(shown));
    std::printf("start to first command answered (event loop idle): median %.1f ms\n", median(answered));
    std::printf("`--hotkey PopUp` while running, start to end: median %.1f ms\n", median(hotKeyCommand));
    std::printf("second start (hands over) while running, start to end: median %.1f ms\n", median(secondStart));
    std::printf("resident memory after 5 s idle: %.1f MB\n", median(rss));
    std::printf("item letter typed to clipboard owned: median %.2f ms\n", median(copied));
    XCloseDisplay(d);
    return 0;
}
