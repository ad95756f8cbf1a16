// The card editor with a large card file: opening and saving it, and how long a key typed
// into a card takes to be handled and painted. Prints medians; never fails on time.
// Usage: bench_cards [cards]   (default 100000). Runs on the display Qt is given.
#include "cards/CardFile.h"
#include "cards/CardModel.h"
#include "cards/CardsWindow.h"
#include "platform/Cp932.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUndoStack>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Spread {
    double median, p95, max;
};

Spread spread(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)], ms.back()};
}

double timeMs(const std::function<void()> &work)
{
    QElapsedTimer t;
    t.start();
    work();
    return t.nsecsElapsed() / 1e6;
}

double medianMs(int runs, const std::function<void()> &work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i)
        ms.push_back(timeMs(work));
    return spread(ms).median;
}

// About 100 bytes a card: a dated title, one of 500 groups, a two-line body.
QByteArray makeCardFile(int cards)
{
    QString text;
    text.reserve(qsizetype(cards) * 60);
    quint32 seed = 12345;
    for (int i = 0; i < cards; ++i) {
        seed = seed * 1103515245u + 12345u;
        text += QStringLiteral("2024/01/02：件名%1").arg(i) + QChar(0x01)
                + QStringLiteral("グループ%1").arg((seed >> 8) % 500) + QChar(0x01)
                + QStringLiteral("お世話になっております。\r\nよろしくお願いします（番号%1）").arg(i) + QChar(0x01);
    }
    return Cp932::encode(text);
}

// Each key: delivered, handled (undo step, list row, title bar) and painted.
Spread typing(QWidget *field, int keys)
{
    std::vector<double> ms;
    for (int i = 0; i < keys; ++i) {
        ms.push_back(timeMs([&] {
            QTest::keyClick(field, char('a' + i % 26));
            QCoreApplication::processEvents();
        }));
    }
    return spread(ms);
}

// Resident memory of this process, from the kernel's own account.
double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &l : status.readAll().split('\n'))
        if (l.startsWith("VmRSS:"))
            return l.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

void line(const char *what, double ms)
{
    std::printf("  %-50s %8.1f ms\n", what, ms);
}

void line(const char *what, const Spread &s)
{
    std::printf("  %-50s %6.2f / %6.2f / %6.2f ms (median / p95 / max)\n", what, s.median, s.p95, s.max);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int cards = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    Cp932::decode(QByteArrayView("\x82\xA0")); // builds the codec tables once

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.vlw"));
    const QByteArray bytes = makeCardFile(cards);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return 1;
    f.close();
    std::printf("%d cards, %.1f MB, platform %s\n", cards, bytes.size() / 1e6, qPrintable(QGuiApplication::platformName()));

    // The window first, in a fresh process, so that its memory is not mixed with the runs below.
    CardsWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    const double before = residentMb();
    line("window: first open until painted", timeMs([&] {
             window.openFile(path);
             QCoreApplication::processEvents();
         }));
    std::printf("  %-50s %8.1f MB (%.1f MB before)\n", "resident memory with the file open", residentMb(), before);

    const int runs = 7;
    CardFileContents contents;
    line("load (read, split, decode, keep bytes)", medianMs(runs, [&] { CardFile::load(path, &contents, nullptr); }));
    line("save unchanged (atomic, fsync)", medianMs(runs, [&] { CardFile::save(path, contents, nullptr); }));
    for (Card &card : contents.cards)
        card.stored.clear();
    line("save, every card edited (encode all)", medianMs(runs, [&] { CardFile::save(path, contents, nullptr); }));
    line("check for characters code page 932 lacks",
         medianMs(runs, [&] { CardFile::findUnencodable(contents.cards, 5); }));
    CardFileContents().cards.swap(contents.cards);
    line("window: open file again until painted", medianMs(runs, [&] {
             window.openFile(path);
             QCoreApplication::processEvents();
         }));
    auto *list = window.findChild<QTreeView *>();
    const QModelIndex middle = list->model()->index(cards / 2, 0);
    list->setCurrentIndex(middle);
    list->scrollTo(middle);
    QCoreApplication::processEvents();

    auto *body = window.findChild<QPlainTextEdit *>();
    body->setFocus();
    QTest::keyClick(body, Qt::Key_End, Qt::ControlModifier);
    line("typing in the body, per key", typing(body, 300));
    QLineEdit *title = nullptr;
    for (auto *edit : window.findChildren<QLineEdit *>())
        if (edit->accessibleName() == QStringLiteral("タイトル"))
            title = edit;
    title->setFocus();
    line("typing in the title (list row follows), per key", typing(title, 300));
    auto *group = window.findChild<QComboBox *>();
    group->setFocus();
    line("typing in the group, per key", typing(group, 300));

    list->setFocus();
    std::vector<double> moves;
    for (int i = 0; i < 100; ++i) {
        moves.push_back(timeMs([&] {
            QTest::keyClick(list, Qt::Key_Down);
            QCoreApplication::processEvents();
        }));
    }
    line("next card in the list (fields refilled), per key", spread(moves));
    std::vector<double> adds;
    for (int i = 0; i < 50; ++i) {
        adds.push_back(timeMs([&] {
            QTest::keyClick(list, Qt::Key_N, Qt::ControlModifier);
            QCoreApplication::processEvents();
        }));
        list->setFocus();
    }
    line("Ctrl+N in the middle of the list", spread(adds));
    std::vector<double> shifts;
    for (int i = 0; i < 50; ++i) {
        shifts.push_back(timeMs([&] {
            QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
            QCoreApplication::processEvents();
        }));
    }
    line("Alt+Down (move the card) in the middle", spread(shifts));
    std::vector<double> undos;
    for (int i = 0; i < 50; ++i) {
        undos.push_back(timeMs([&] {
            QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
            QCoreApplication::processEvents();
        }));
    }
    line("Ctrl+Z, per step", spread(undos));
    line("save after these edits (window)", timeMs([&] { window.save(); }));
    window.undoStack()->setClean();
    return 0;
}
