// The window model's style word, rectangle, moves and parents for windows without a widget.
#include "platform/WinWindow.h"

#include <QTest>

namespace {
win::LRESULT NoProc(win::HWND, win::UINT, win::WPARAM, win::LPARAM)
{
    return 0;
}
} // namespace

class TestWinWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void childMovesInParentClientPixels_data()
    {
        QTest::addColumn<QRect>("parent"); // screen pixels
        QTest::addColumn<QRect>("move");   // x, y in the parent's client pixels
        QTest::addColumn<QRect>("screen");
        QTest::newRow("parent at the origin") << QRect(0, 0, 300, 200) << QRect(10, 10, 150, 20) << QRect(10, 10, 150, 20);
        QTest::newRow("parent moved away") << QRect(100, 50, 300, 200) << QRect(10, 10, 150, 20) << QRect(110, 60, 150, 20);
        QTest::newRow("left of the parent") << QRect(100, 50, 300, 200) << QRect(-20, 5, 10, 10) << QRect(80, 55, 10, 10);
    }
    void childMovesInParentClientPixels()
    {
        QFETCH(QRect, parent);
        QFETCH(QRect, move);
        QFETCH(QRect, screen);
        const win::HWND top = win::CreateWindowHandle(&NoProc);
        const win::HWND child = win::CreateWindowHandle(&NoProc, nullptr, top, win::WS_CHILD | win::WS_VISIBLE);
        QVERIFY(win::MoveWindow(top, parent.x(), parent.y(), parent.width(), parent.height(), true));
        QVERIFY(win::MoveWindow(child, move.x(), move.y(), move.width(), move.height(), true));
        win::RECT r;
        QVERIFY(win::GetWindowRect(child, &r));
        QCOMPARE(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), screen);
        QCOMPARE(win::GetParent(child), top);
        QCOMPARE(win::GetParent(top), 0u);
        win::DestroyWindowHandle(top);
        QCOMPARE(win::GetParent(child), 0u); // a parent that is gone is no parent
        win::DestroyWindowHandle(child);
    }

    void styleWordAndMissingWindows()
    {
        const win::HWND h = win::CreateWindowHandle(&NoProc, nullptr, 0, win::WS_VISIBLE);
        QCOMPARE(win::SetWindowStyle(h, win::WS_VISIBLE | win::WS_DISABLED), win::WS_VISIBLE);
        QCOMPARE(win::GetWindowStyle(h), win::WS_VISIBLE | win::WS_DISABLED);
        win::DestroyWindowHandle(h);
        win::RECT r;
        QCOMPARE(win::GetWindowStyle(h), 0u);
        QCOMPARE(win::SetWindowStyle(h, win::WS_VISIBLE), 0u);
        QVERIFY(!win::GetWindowRect(h, &r));
        QVERIFY(!win::MoveWindow(h, 0, 0, 1, 1, true));
        QVERIFY(!win::SetFocus(h));
        qint32 x = 0, y = 0;
        QVERIFY(!win::ClientToScreen(h, x, y));
    }
};

QTEST_APPLESS_MAIN(TestWinWindow)
#include "tst_winwindow.moc"
