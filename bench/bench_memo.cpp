// Memo table build and code page 932 decoding: prints medians over several runs.
// Usage: bench_memo [cards...]   (default: 100000 1000000)
#include "memo/MemoTable.h"
#include "memo/PrintMemo.h"
#include "BenchCardFile.h"
#include "memo/TextFastReadBinary.h"
#include "platform/Cp932.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <ctime>
#include <vector>

namespace {

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Figures {
    double wallMs;
    double cpuMs; // differs from wall time when the machine is busy
};

// prepare runs untimed before each run; work is timed.
Figures median(int runs, const std::function<void()> &prepare, const std::function<void()> &work)
{
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer t;
        const double c0 = cpuMs();
        t.start();
        work();
        wall.push_back(t.nsecsElapsed() / 1e6);
        cpu.push_back(cpuMs() - c0);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

} // namespace

// Prints the memo table of a card file as --print-memo does, to /dev/null, then its peak
// resident size in KiB.
int printMemoPeak(const QString &path)
{
    std::FILE *null = std::fopen("/dev/null", "w");
    const int rc = PrintMemo(path, null, stderr);
    std::fclose(null);
    // The peak of this program alone (the resource usage counts the parent's size before exec).
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            std::printf("%s\n", line.mid(6).trimmed().split(' ').value(0).constData());
    }
    return rc;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--print-memo-peak") == 0)
        return printMemoPeak(QString::fromLocal8Bit(argv[2]));
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(QByteArray(argv[i]).toInt());
    if (sizes.empty())
        sizes = {100000, 1000000};

    // The first call builds the conversion tables.
    QElapsedTimer first;
    first.start();
    Cp932::decode(QByteArrayView("\x82\xA0"));
    std::printf("codec tables, one-time build: %.2f ms\n", first.nsecsElapsed() / 1e6);

    QTemporaryDir dir;
    for (int cards : sizes) {
        const QByteArray bytes = makeCardFile(cards);
        const QString path = dir.filePath(QStringLiteral("bench.vlw"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return 1;
        f.close();
        const double mb = bytes.size() / 1e6;
        const int runs = cards > 200000 ? 5 : 11;

        const auto nothing = [] {};
        const Figures decode = median(runs, nothing, [&] { Cp932::decode(bytes); });
        std::optional<TextFastReadBinary> reader;
        const Figures load = median(runs, [&] { reader.emplace(); },
                                    [&] { reader->LoadTextFile(path); });
        const Figures fields = median(runs, [&] { reader.emplace(); reader->LoadTextFile(path); }, [&] {
            while (!reader->EOFText())
                reader->InputLine();
        });
        NoHistory history;
        MemoGroups table;
        // A first load into an empty table; freeing the previous table is not timed.
        const Figures build = median(runs, [&] { MemoGroups().swap(table); },
                                     [&] { ReadMemoFile(path, history, table); });
        // A reload, as the file watch does: the previous table is freed inside the call.
        const Figures reload = median(runs, nothing, [&] { ReadMemoFile(path, history, table); });

        std::printf("\n%d cards, %d groups, %.1f MB (%d runs, medians; wall / CPU ms)\n", cards,
                    int(table.size()), mb, runs);
        const auto line = [](const char *what, const Figures &f) {
            std::printf("  %-34s %8.1f / %8.1f\n", what, f.wallMs, f.cpuMs);
        };
        line("decode whole file", decode);
        line("LoadTextFile (read, count fields)", load);
        line("InputLine over all fields (decode)", fields);
        line("ReadMemoFile, empty table", build);
        line("ReadMemoFile, reload", reload);
        std::printf("  decode speed: %.0f MB/s (CPU), %.0f MB/s (wall)\n", mb / (decode.cpuMs / 1e3),
                    mb / (decode.wallMs / 1e3));
        std::printf("  share of the build: decoding alone %.0f%%, handing out all fields %.0f%% (CPU)\n",
                    100.0 * decode.cpuMs / build.cpuMs, 100.0 * fields.cpuMs / build.cpuMs);

        // --print-memo in a process of its own, so that its peak memory is its alone.
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--print-memo-peak"), path});
        child.waitForFinished(-1);
        const double peakMb = child.readAllStandardOutput().trimmed().toDouble() / 1024;
        std::printf("  --print-memo to /dev/null: peak resident %.0f MB = %.1f x the file\n", peakMb, peakMb / mb * 1.048576);
    }
    return 0;
}
