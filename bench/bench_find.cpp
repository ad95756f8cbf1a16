// Finding a snippet by typing, in the real main window with a large card file: how long each
// key typed into the find field takes to be searched, listed, previewed and painted.
// Prints medians and worst cases; never fails on time.
// Usage: bench_find [cards]   (default 100000). Runs on the display Qt is given (offscreen works).
#include "app/MainForm.h"
#include "BenchCardFile.h"
#include "BenchStats.h"

#include <QApplication>
#include <QKeyEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

struct Typing {
    std::vector<double> ms;
    int firstHits = 0; // after the first key
};

// Types the query a key at a time, then takes it back with Backspace; every key is timed
// until its hits are listed and painted.
Typing typeAndErase(MainForm &form, const QString &query)
{
    Typing t;
    const auto timed = [&](const std::function<void()> &key) {
        const auto t0 = BenchClock::now();
        key();
        QCoreApplication::processEvents();
        t.ms.push_back(msSince(t0));
    };
    for (const QChar c : query) {
        timed([&] {
            // A key carrying its text, whatever the script (QTest's key clicks take Latin-1).
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(form.txtFind, &press);
        });
        if (t.ms.size() == 1)
            t.firstHits = form.LstItemName->count();
    }
    for (int i = 0; i < query.size(); ++i)
        timed([&] { QTest::keyClick(form.txtFind, Qt::Key_Backspace); });
    return t;
}

void line(const char *what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("  %-52s %7.2f / %7.2f ms (median / max of %zu keys)\n", what, median(ms), ms.back(), ms.size());
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int cards = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;

    QTemporaryDir dir;
    const QString memo = dir.filePath(QStringLiteral("QuillboxData.vlw"));
    const QByteArray settings =
        Cp932::encode(QStringLiteral("[General]\r\nTXTFile = %1\r\nClipEnable = False\r\n").arg(memo));
    if (!writeFile(memo, makeCardFile(cards)) || !writeFile(dir.filePath(QStringLiteral("Quillbox.ini")), settings))
        return 1;

    AppPaths paths{dir.path(), QStringLiteral("Quillbox"), dir.path()};
    MainForm form(paths, AppServices());
    form.Form_Load(QString());
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    std::printf("%d cards in %d groups, platform %s\n", cards, int(form.MemoGroups.size()),
                qPrintable(QGuiApplication::platformName()));

    auto t0 = BenchClock::now();
    form.MenuFind_Click();
    QCoreApplication::processEvents();
    std::printf("  %-52s %7.2f ms\n", "first Ctrl+F (folds every card once)", msSince(t0));

    struct Query {
        const char *what;
        QString text;
    };
    const Query queries[] = {
        {"title, every card holds its first key", QStringLiteral("件名4242")},
        {"text, hiragana", QStringLiteral("よろしく")},
        {"text, half-width katakana", QStringLiteral("ﾖﾛｼｸ")},
        {"no match", QStringLiteral("zzz")},
    };
    // The search alone, without the window's list and preview.
    SnippetFinder finder;
    finder.setGroupCount(int(form.MemoGroups.size()));
    for (int g = 0; g < form.MemoGroups.size(); ++g)
        finder.setGroup(g, form.MemoGroups[g].ItemNames, form.MemoGroups[g].ItemTexts);
    for (const Query &q : queries) {
        std::vector<double> ms;
        for (qsizetype n = 1; n <= q.text.size(); ++n) {
            const auto k0 = BenchClock::now();
            finder.find(QStringView(q.text).left(n));
            ms.push_back(msSince(k0));
        }
        for (qsizetype n = q.text.size() - 1; n >= 0; --n) {
            const auto k0 = BenchClock::now();
            finder.find(QStringView(q.text).left(n));
            ms.push_back(msSince(k0));
        }
        line((QByteArray("search alone: ") + q.what).constData(), ms);
    }

    std::vector<double> all;
    for (const Query &q : queries) {
        const Typing t = typeAndErase(form, q.text);
        std::printf("  \"%s\": %d lines after its first key\n", qUtf8Printable(q.text), t.firstHits);
        line(q.what, t.ms);
        all.insert(all.end(), t.ms.begin(), t.ms.end());
    }
    line("every key above", all);

    t0 = BenchClock::now();
    QTest::keyClick(form.txtFind, Qt::Key_Escape);
    QCoreApplication::processEvents();
    std::printf("  %-52s %7.2f ms\n", "Esc (lists restored)", msSince(t0));
    t0 = BenchClock::now();
    form.MenuFind_Click();
    QCoreApplication::processEvents();
    std::printf("  %-52s %7.2f ms\n", "Ctrl+F again (nothing to fold)", msSince(t0));
    return 0;
}
