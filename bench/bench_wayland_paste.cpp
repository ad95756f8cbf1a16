// Hot key to text on a Wayland desktop (a headless sway with XWayland): the time from the hot-key
// command (as a desktop binding runs it) to the chosen item's text in the target, for a
// Wayland-native target (virtual keyboard) beside an X11 one (XTest) on the same rig.
//   bench_wayland_paste [rounds=20]
#include "BenchStats.h"
#include "QuillboxSandbox.h"
#include "SwayRig.h"

#include <QCoreApplication>
#include <QTest>

#include <cstdio>

using namespace e2e;

namespace {

// Answers after the compositor has read the keys.
bool type(QProcess &keyboard, const QByteArray &combination)
{
    keyboard.write(combination + '\n');
    return keyboard.waitForReadyRead(5000) && keyboard.readLine().trimmed() == "ok";
}

bool pollUntil(const std::function<bool()> &done, int timeoutMs)
{
    const BenchClock::time_point start = BenchClock::now();
    while (!done()) {
        if (msSince(start) > timeoutMs)
            return false;
        QTest::qWait(5);
    }
    return true;
}

// Rounds of hot key, item "good night" picked by its keys, hide and paste into a fresh target.
std::vector<double> measure(SwayRig &rig, QProcess &keyboard, QuillboxSandbox &box, const QString &platform,
                            int rounds, int *failed)
{
    std::vector<double> times;
    const QString pasted = box.path(QStringLiteral("pasted-%1.txt").arg(platform));
    QProcessEnvironment env;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    QProcess *target = rig.start(QStringLiteral(PASTE_TARGET), {QStringLiteral("--out"), pasted}, env);
    if (!rig.waitForFocus(QStringLiteral("paste_target")))
        return times;
    const QString ours = QStringLiteral("Quillbox");
    for (int round = 1; round <= rounds; ++round) {
        const QString expected = QStringLiteral("good night").repeated(round);
        const BenchClock::time_point start = BenchClock::now();
        box.quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")});
        // Keys only once sway and XWayland agree the window has the focus.
        const bool shown = pollUntil([&] { return rig.hasFocus(ours); }, 5000);
        const bool done = shown && type(keyboard, "c") && type(keyboard, "b")
                          && pollUntil([&] { return readText(pasted) == expected; }, 5000);
        if (done)
            times.push_back(msSince(start));
        else
            ++*failed;
        // Back to the target before the next round, whatever happened.
        rig.waitForFocus(QStringLiteral("paste_target"), 5000);
        if (!done)
            break; // the text no longer matches the rounds
    }
    target->terminate();
    target->waitForFinished(5000);
    return times;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    SwayRig rig;
    if (!rig.isValid()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(rig.problem()));
        return 1;
    }
    QProcess *keyboard = rig.start(QStringLiteral(WAYLAND_KEYS), {});
    if (!keyboard->waitForReadyRead(10000) || keyboard->readLine().trimmed() != "ready") {
        std::fprintf(stderr, "no virtual keyboard for the test keys\n");
        return 1;
    }
    QuillboxSandbox box;
    box.writeCardFile(greetingCards());
    box.writeSettings({QStringLiteral("MinimizeAfterCopy = 2"), QStringLiteral("NoTrayHintShown = True")});
    QProcess *quillbox = box.start();
    const QString window = box.waitForWindow();
    if (window.isEmpty() || !rig.waitForFocus(QStringLiteral("Quillbox")) || !type(*keyboard, "ctrl+w")
        || !pollUntil([&] { return !box.windowVisible(window); }, 5000)) {
        std::fprintf(stderr, "Quillbox did not start and hide\n");
        return 1;
    }
    std::printf("hot-key command -> item text in the target, headless sway, %d rounds each\n", rounds);
    double nativeMedian = 0, x11Median = 0;
    for (const QString &platform : {QStringLiteral("wayland"), QStringLiteral("xcb")}) {
        int failed = 0;
        const std::vector<double> times = measure(rig, *keyboard, box, platform, rounds, &failed);
        const double m = median(times);
        (platform == QLatin1String("wayland") ? nativeMedian : x11Median) = m;
        const auto minmax = std::minmax_element(times.begin(), times.end());
        std::printf("  %-26s median %.1f ms (min %.1f, max %.1f) over %zu rounds, %d failed\n",
                    platform == QLatin1String("wayland") ? "Wayland-native (virtual kb)" : "X11 (XTest)", m,
                    times.empty() ? 0.0 : *minmax.first, times.empty() ? 0.0 : *minmax.second, times.size(), failed);
    }
    if (x11Median > 0)
        std::printf("  native / X11: %.2f (goal: at most 2)\n", nativeMedian / x11Median);
    box.quillbox({QStringLiteral("--quit")});
    quillbox->waitForFinished(10000);
    return 0;
}
