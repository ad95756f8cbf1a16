// Card file watch figures: the time from a card file's rewrite to the rebuilt group list,
// the cost of one check tick when nothing changed, and the whole program's CPU time while
// idle, extrapolated to an hour. Needs a display (DISPLAY) for the main window.
//   bench_memowatch [rounds=7] [idleSeconds=180]
#include "app/MainForm.h"
#include "platform/Cp932.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <numeric>

namespace {

QByteArray card(const QString &group, const QString &body)
{
    return Cp932::encode(QStringLiteral("t") + QChar(1) + group + QChar(1) + body + QChar(1));
}

bool writeAtomically(const QString &path, const QByteArray &bytes)
{
    QFile f(path + QStringLiteral(".new"));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return false;
    f.close();
    return ::rename(QFile::encodeName(path + QStringLiteral(".new")).constData(), QFile::encodeName(path).constData()) == 0;
}

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    const int n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

double cpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Time on the CPU of every thread of pid, in nanoseconds.
qint64 processRunNs(qint64 pid)
{
    qint64 total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks.filePath(tid + QStringLiteral("/schedstat")));
        if (f.open(QIODevice::ReadOnly))
            total += QString::fromLatin1(f.readAll()).section(u' ', 0, 0).toLongLong();
    }
    return total;
}

// Runs the event loop (timers included) for ms milliseconds.
void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void latency(int rounds, int idleSeconds)
{
    QTemporaryDir dir;
    const QString memo = dir.filePath(QStringLiteral("QuillboxData.vlw"));
    writeAtomically(memo, card(QStringLiteral("start"), QStringLiteral("x")));
    AppPaths paths{dir.path(), QStringLiteral("Quillbox"), dir.path()};
    MainForm form(paths, AppServices{});
    form.Form_Load(QString());
    // The first tick only records the card file's time.
    spin(2300);

    QVector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        // A save lands anywhere within the timer's period.
        spin(100 + QRandomGenerator::global()->bounded(2000));
        const QString group = QStringLiteral("round%1").arg(i);
        QElapsedTimer clock;
        clock.start();
        writeAtomically(memo, card(group, QStringLiteral("y")));
        bool seen = false;
        while (!seen && clock.elapsed() < 10000) {
            spin(2);
            seen = !form.LstGroupName->findItems(group, Qt::MatchContains).isEmpty(); // after any history groups
        }
        ms.append(seen ? clock.nsecsElapsed() / 1e6 : -1);
        if (!seen)
            std::printf("  (timer active %d, remaining %d ms, first line \"%s\")\n", form.tmrMemoFileCheck->isActive(),
                        form.tmrMemoFileCheck->remainingTime(),
                        form.LstGroupName->count() ? qPrintable(form.LstGroupName->item(0)->text()) : "");
        std::printf("  round %d: %.1f ms\n", i + 1, ms.last());
    }
    QVector<double> ok = ms;
    ok.removeAll(-1);
    std::printf("rewrite -> new lists: median %.0f ms, mean %.0f ms, max %.0f ms over %d rounds (%d missed)\n",
                median(ok), ok.isEmpty() ? 0 : std::accumulate(ok.begin(), ok.end(), 0.0) / ok.size(),
                ok.isEmpty() ? 0 : *std::max_element(ok.begin(), ok.end()), rounds, int(ms.size() - ok.size()));

    // One tick with nothing changed: two file-status calls and the settings look-ups.
    QVector<double> perTick;
    for (int r = 0; r < 5; ++r) {
        const int n = 20000;
        const double t0 = cpuSeconds();
        for (int i = 0; i < n; ++i)
            form.tmrMemoFileCheck_Timer();
        perTick.append((cpuSeconds() - t0) / n * 1e6);
    }
    const double us = median(perTick);
    std::printf("idle tick: median %.2f us CPU (5 runs of 20000) -> %.4f s per hour at 1800 ticks\n", us,
                us * 1800 / 1e6);

    // The check timer's whole share, wake-ups included: the same window idling with and without it.
    const int half = std::max(2, idleSeconds / 4);
    double t0 = cpuSeconds();
    spin(half * 1000);
    const double with = (cpuSeconds() - t0) * 3600.0 / half;
    form.tmrMemoFileCheck->stop();
    t0 = cpuSeconds();
    spin(half * 1000);
    const double without = (cpuSeconds() - t0) * 3600.0 / half;
    std::printf("idle window in this process: %.3f s CPU per hour with the check timer, %.3f s without (%d s each)\n",
                with, without, half);
}

void idleCpu(int seconds)
{
    QTemporaryDir dir;
    const QString exe = dir.filePath(QStringLiteral("Quillbox"));
    QFile::copy(QStringLiteral(QUILLBOX_EXE), exe);
    QDir(dir.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(dir.filePath(QStringLiteral("run")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    writeAtomically(dir.filePath(QStringLiteral("QuillboxData.vlw")), card(QStringLiteral("g"), QStringLiteral("x")));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    p.setProcessEnvironment(env);
    p.start(exe, {});
    if (!p.waitForStarted()) {
        std::printf("idle: could not start %s\n", qPrintable(exe));
        return;
    }
    QThread::sleep(5); // past start-up
    const int segments = 3;
    QVector<double> perHour;
    const qint64 first = processRunNs(p.processId());
    for (int s = 0; s < segments; ++s) {
        const qint64 a = processRunNs(p.processId());
        QThread::msleep(qint64(seconds) * 1000 / segments);
        const qint64 b = processRunNs(p.processId());
        perHour.append((b - a) / 1e9 * 3600.0 * segments / seconds);
        std::printf("  idle segment %d: %.3f ms CPU in %d s\n", s + 1, (b - a) / 1e6, seconds / segments);
    }
    const qint64 last = processRunNs(p.processId());
    std::printf("idle program: %.3f s CPU per hour (whole window, %d s), median of %d segments %.3f s per hour\n",
                (last - first) / 1e9 * 3600.0 / seconds, seconds, segments, median(perHour));
    p.kill();
    p.waitForFinished(3000);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbox"));
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    const int idleSeconds = argc > 2 ? std::max(3, atoi(argv[2])) : 180;
    latency(rounds, idleSeconds);
    idleCpu(idleSeconds);
    return 0;
}
