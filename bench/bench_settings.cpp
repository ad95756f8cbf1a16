// Settings document: load a 10,000-line file, 1,000 look-ups, save it again.
// Usage: bench_settings [folder] [runs]. The save includes the fdatasync of the temporary file.
#include "BenchStats.h"
#include "settings/iniMente.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir tmp(args.size() > 1 && !args[1].isEmpty() ? args[1] + "/bench_settings-XXXXXX"
                                                       : QString());
    const int runs = args.size() > 2 ? args[2].toInt() : 21;
    if (!tmp.isValid())
        return 1;
    const QString file = tmp.filePath("Quillbox.ini");

    // A large but plausible file: group lines, comments, blank lines, paths and Japanese text.
    {
        iniMente gen;
        for (int i = 0; i < 10000; ++i) {
            switch (i % 10) {
            case 0: gen.SetiniValue("*REM*", QStringLiteral("; section %1").arg(i)); break;
            case 1: gen.SetiniValue("*REM*", QString()); break;
            case 2: gen.SetiniValue(QStringLiteral("DicName%1").arg(i), QStringLiteral("英和辞典 %1").arg(i)); break;
            default:
                gen.SetiniValue(QStringLiteral("RecentFile%1").arg(i),
                                QStringLiteral("/home/user/Documents/memo/メモ帳%1.vlw").arg(i));
            }
        }
        if (!gen.iniSaver(file))
            return 1;
    }
    const qint64 bytes = QFile(file).size();

    // Look-up keys spread over the file, a tenth of them missing.
    QStringList keys;
    for (int i = 0; i < 1000; ++i)
        keys << (i % 10 == 9 ? QStringLiteral("Missing%1").arg(i)
                             : QStringLiteral("recentfile%1").arg((i * 97) % 10000 / 10 * 10 + 3));

    std::vector<double> total, load, look, save;
    int found = 0;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        iniMente doc;
        if (!doc.iniLoader(file))
            return 1;
        const qint64 t1 = t.nsecsElapsed();
        for (const QString &k : keys)
            found += doc.GetiniValue(k).isEmpty() ? 0 : 1;
        const qint64 t2 = t.nsecsElapsed();
        if (!doc.iniSaverSameFilename())
            return 1;
        const qint64 t3 = t.nsecsElapsed();
        load.push_back(t1 / 1e6);
        look.push_back((t2 - t1) / 1e6);
        save.push_back((t3 - t2) / 1e6);
        total.push_back(t3 / 1e6);
    }

    const QStorageInfo fs(tmp.path());
    std::printf("file: %s (%lld bytes, 10000 lines) on %s\n", qPrintable(file), bytes,
                fs.fileSystemType().constData());
    std::printf("runs: %d, look-ups found: %d of %d\n", runs, found / runs, int(keys.size()));
    std::printf("median load      %8.3f ms\n", median(load));
    std::printf("median 1000 gets %8.3f ms\n", median(look));
    std::printf("median save      %8.3f ms (includes fdatasync)\n", median(save));
    std::printf("median total     %8.3f ms  (min %.3f, max %.3f)\n", median(total),
                *std::min_element(total.begin(), total.end()),
                *std::max_element(total.begin(), total.end()));
    return 0;
}
