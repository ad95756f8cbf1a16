// One clipboard change recorded in a full history on disk: shift, commit, rebuild of the groups.
// Prints medians in milliseconds.
#include "BenchStats.h"
#include "clipboard/ClipHistory.h"
#include "platform/UserStore.h"
#include "settings/iniMente.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString makeText(int serial, int length)
{
    QString text = QStringLiteral("%1:").arg(serial);
    text.reserve(length);
    while (text.size() < length)
        text += QChar(char16_t(u'a' + (text.size() * 7 + serial) % 26));
    return text.left(length);
}

void run(int length, int changes)
{
    QTemporaryDir dir;
    iniMente ini;
    MemoGroups table(2);
    int serial = 0;
    {
        // Fill the history to its 101 entries first.
        FileUserStore store(dir.path());
        ClipHistory history(ini, store, table);
        for (int i = 0; i < 101; ++i)
            history.ShiftWriteClipHistory(makeText(serial++, length));
    }
    QElapsedTimer timer;
    timer.start();
    FileUserStore store(dir.path());
    ClipHistory history(ini, store, table);
    const qint16 last = history.MAXofClipHistory();
    const double loadMs = timer.nsecsElapsed() / 1e6;

    std::vector<double> fresh, repeat;
    for (int i = 0; i < changes; ++i) {
        const QString text = makeText(serial++, length);
        timer.restart();
        history.ShiftWriteClipHistory(text);
        fresh.push_back(timer.nsecsElapsed() / 1e6);
        // The entry in the middle moves back to the top.
        const QString again = history.StoredTexts(store).at(50);
        timer.restart();
        history.ShiftWriteClipHistory(again);
        repeat.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("%6d chars x %d entries: load %.2f ms, new text median %.2f ms (min %.2f, max %.2f), "
                "moved text median %.2f ms, over %d changes\n",
                length, last + 1, loadMs, median(fresh), *std::min_element(fresh.begin(), fresh.end()),
                *std::max_element(fresh.begin(), fresh.end()), median(repeat), changes);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    run(100, 21);
    run(150000, 21);
    return 0;
}
