#include "winmsg/clsMessage.h"

#include <QtTest>
#include <functional>

using namespace win;

namespace {

// Calls seen by the windows' own procedure, in order, as "prev:<msg>".
QStringList g_log;
LRESULT g_prevResult = 7;
std::function<void(HWND, UINT)> g_prevHook;

LRESULT baseProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    g_log << QStringLiteral("prev:%1:%2:%3").arg(msg).arg(wParam).arg(lParam);
    if (g_prevHook)
        g_prevHook(hwnd, msg);
    return g_prevResult;
}

class Listener : public MessageListener
{
public:
    explicit Listener(QString n) : name(std::move(n)) {}
    LRESULT CallBackWindow(HWND &hwnd, UINT &uMsg, WPARAM &wParam, LPARAM &lParam, bool &booReturn) override
    {
        g_log << name + QStringLiteral(":%1:%2").arg(uMsg).arg(wParam);
        seenReturn = booReturn;
        if (action)
            action(hwnd, uMsg, wParam, lParam, booReturn);
        return result;
    }
    QString name;
    LRESULT result = 0;
    bool seenReturn = false;
    std::function<void(HWND &, UINT &, WPARAM &, LPARAM &, bool &)> action;
};

class Prefixed : public PrefixedMessageListener
{
public:
    LRESULT mCallBackWindow(HWND &, UINT &uMsg, WPARAM &, LPARAM &, bool &) override
    {
        g_log << QStringLiteral("m:%1").arg(uMsg);
        return 0;
    }
};

// Attach as a listener does: find the router, create one when there is none.
std::shared_ptr<clsMessage> attach(MessageListener *l, HWND hwnd, bool enabled = true)
{
    auto router = clsMessage::MessageClass(hwnd);
    if (!router)
        router = std::make_shared<clsMessage>();
    router->AddMessage(l, hwnd, enabled);
    return router;
}

} // namespace

class TestClsMessage : public QObject
{
    Q_OBJECT
    HWND hwnd = 0;

private Q_SLOTS:
    void init()
    {
        g_log.clear();
        g_prevResult = 7;
        g_prevHook = nullptr;
        hwnd = CreateWindowHandle(&baseProc);
    }
    void cleanup() { DestroyWindowHandle(hwnd); }

    void hookSetsDecimalPropertyAndProcedure()
    {
        Listener a("A");
        QVERIFY(!clsMessage::MessageClass(hwnd));
        auto router = attach(&a, hwnd);
        QVERIFY(GetProp(hwnd, QString::number(hwnd)) > 0);
        QCOMPARE(clsMessage::MessageClass(hwnd), router);
        QVERIFY(GetWindowProc(hwnd) != &baseProc);
        QCOMPARE(router->MessageCount(), 1);
        QVERIFY(router->DeleteMessage(&a, hwnd));
    }

    void dispatchOrderAndPreviousProcedure()
    {
        Listener a("A"), b("B");
        attach(&a, hwnd);
        attach(&b, hwnd);
        QCOMPARE(SendMessage(hwnd, 0x100, 5, 6), LRESULT(7));
        QCOMPARE(g_log, QStringList({"A:256:5", "B:256:5", "prev:256:5:6"}));
        clsMessage::MessageClass(hwnd)->DeleteMessage(&a, hwnd);
        clsMessage::MessageClass(hwnd)->DeleteMessage(&b, hwnd);
    }

    void returnFlagGivesLastListenersResult()
    {
        Listener a("A"), b("B");
        a.result = 11;
        b.result = 22;
        a.action = [](HWND &, UINT &, WPARAM &, LPARAM &, bool &r) { r = true; };
        auto router = attach(&a, hwnd);
        attach(&b, hwnd);
        QCOMPARE(SendMessage(hwnd, 0x100, 0, 0), LRESULT(22));
        QVERIFY(b.seenReturn);
        QCOMPARE(g_log, QStringList({"A:256:0", "B:256:0"}));
        // A later listener may clear the flag again.
        g_log.clear();
        b.action = [](HWND &, UINT &, WPARAM &, LPARAM &, bool &r) { r = false; };
        QCOMPARE(SendMessage(hwnd, 0x100, 0, 0), LRESULT(7));
        QCOMPARE(g_log.last(), QStringLiteral("prev:256:0:0"));
        router->DeleteMessage(&a, hwnd);
        router->DeleteMessage(&b, hwnd);
    }

    void changedArgumentsReachLaterListenersAndWindow()
    {
        Listener a("A"), b("B");
        a.action = [](HWND &, UINT &m, WPARAM &w, LPARAM &l, bool &) { m = 0x101; w = 9; l = 99; };
        auto router = attach(&a, hwnd);
        attach(&b, hwnd);
        SendMessage(hwnd, 0x100, 1, 2);
        QCOMPARE(g_log, QStringList({"A:256:1", "B:257:9", "prev:257:9:99"}));
        router->DeleteMessage(&a, hwnd);
        router->DeleteMessage(&b, hwnd);
    }

    void disabledEntryCountedButNotCalled()
    {
        Listener a("A"), b("B");
        auto router = attach(&a, hwnd, false);
        router->AddMessage(&b, hwnd, true);
        QCOMPARE(router->MessageCount(), 2);
        SendMessage(hwnd, 0x100, 0, 0);
        QCOMPARE(g_log, QStringList({"B:256:0", "prev:256:0:0"}));
        router->DeleteMessage(&a, hwnd);
        router->DeleteMessage(&b, hwnd);
    }

    void listenerAddedTwiceIsCalledTwiceAndDeletedAtOnce()
    {
        Listener a("A");
        auto router = attach(&a, hwnd);
        QVERIFY(router->AddMessage(&a, hwnd, true));
        SendMessage(hwnd, 0x100, 0, 0);
        QCOMPARE(g_log, QStringList({"A:256:0", "A:256:0", "prev:256:0:0"}));
        QVERIFY(router->DeleteMessage(&a, 12345)); // the handle is not compared
        QCOMPARE(router->MessageCount(), 0);
        QVERIFY(!router->isHooked());
    }

    void lastDeleteRestoresProcedureAndProperty()
    {
        Listener a("A");
        std::weak_ptr<clsMessage> weak;
        {
            auto router = attach(&a, hwnd);
            weak = router;
        }
        QVERIFY(!weak.expired()); // a hooked router keeps itself alive
        QVERIFY(clsMessage::MessageClass(hwnd)->DeleteMessage(&a, hwnd));
        QVERIFY(GetWindowProc(hwnd) == &baseProc);
        QCOMPARE(GetProp(hwnd, QString::number(hwnd)), qintptr(0));
        QVERIFY(!clsMessage::MessageClass(hwnd));
        QVERIFY(weak.expired());
        // The window is used again: a fresh router.
        auto again = attach(&a, hwnd);
        QVERIFY(again->isHooked());
        SendMessage(hwnd, 0x100, 0, 0);
        QCOMPARE(g_log, QStringList({"A:256:0", "prev:256:0:0"}));
        again->DeleteMessage(&a, hwnd);
    }

    void oneRouterServesOneWindow()
    {
        Listener a("A");
        HWND other = CreateWindowHandle(&baseProc);
        auto router = attach(&a, hwnd);
        QVERIFY(!router->AddMessage(&a, other, true));
        QCOMPARE(router->MessageCount(), 1);
        QVERIFY(!clsMessage::MessageClass(other));
        router->DeleteMessage(&a, hwnd);
        DestroyWindowHandle(other);
    }

    void deleteUnknownListenerFails()
    {
        Listener a("A"), b("B");
        auto router = attach(&a, hwnd);
        QVERIFY(!router->DeleteMessage(&b, hwnd));
        QCOMPARE(router->MessageCount(), 1);
        QVERIFY(router->isHooked());
        router->DeleteMessage(&a, hwnd);
    }

    void commandFromChildReachesChildListenerFirst()
    {
        Listener a("A"), c("C"), d("D");
        const HWND child = 0x777;
        auto router = attach(&a, hwnd);
        QVERIFY(router->AddChildMessage(&c, child, true));
        QVERIFY(!router->AddChildMessage(&d, child, true)); // one listener per child
        QVERIFY(router->AddChildMessage(&d, 0x778, false));
        QCOMPARE(router->ChildMessageCount(), 2);
        SendMessage(hwnd, WM_COMMAND, 3, child);
        QCOMPARE(g_log, QStringList({"C:273:3", "A:273:3", "prev:273:3:1911"}));
        g_log.clear();
        SendMessage(hwnd, WM_COMMAND, 3, 0x778); // disabled child entry
        QCOMPARE(g_log, QStringList({"A:273:3", "prev:273:3:1912"}));
        g_log.clear();
        SendMessage(hwnd, 0x100, 3, child); // only commands go to children
        QCOMPARE(g_log, QStringList({"A:256:3", QStringLiteral("prev:256:3:%1").arg(child)}));
        QVERIFY(router->DeleteChildMessage(nullptr, child)); // the listener is not compared
        QVERIFY(!router->DeleteChildMessage(&c, child));
        QCOMPARE(router->ChildMessageCount(), 1);
        router->DeleteMessage(&a, hwnd);
    }

    void notifyFindsChildByHeaderSender()
    {
        Listener a("A"), c("C");
        auto router = attach(&a, hwnd);
        router->AddChildMessage(&c, 0x900, true);
        NMHDR header{0x900, 4, 0xFFFFFFF4u};
        SendMessage(hwnd, WM_NOTIFY, 4, reinterpret_cast<LPARAM>(&header));
        QCOMPARE(g_log.mid(0, 2), QStringList({"C:78:4", "A:78:4"}));
        g_log.clear();
        header.hwndFrom = 0x901;
        SendMessage(hwnd, WM_NOTIFY, 4, reinterpret_cast<LPARAM>(&header));
        QCOMPARE(g_log.first(), QStringLiteral("A:78:4"));
        g_log.clear();
        SendMessage(hwnd, WM_NOTIFY, 4, 0); // no header: nothing to read
        QCOMPARE(g_log.first(), QStringLiteral("A:78:4"));
        router->DeleteMessage(&a, hwnd);
    }

    void nestedMessageSkipsListeners()
    {
        Listener a("A");
        a.action = [this](HWND &, UINT &m, WPARAM &, LPARAM &, bool &) {
            if (m == 0x100)
                SendMessage(hwnd, 0x200, 1, 1);
        };
        auto router = attach(&a, hwnd);
        SendMessage(hwnd, 0x100, 0, 0);
        QCOMPARE(g_log, QStringList({"A:256:0", "prev:512:1:1", "prev:256:0:0"}));
        // The guard is cleared afterwards.
        g_log.clear();
        SendMessage(hwnd, 0x200, 0, 0);
        QCOMPARE(g_log, QStringList({"A:512:0", "prev:512:0:0"}));
        router->DeleteMessage(&a, hwnd);
    }

    void failingListenerIsSwallowed()
    {
        Listener a("A"), b("B");
        a.action = [](HWND &, UINT &, WPARAM &, LPARAM &, bool &) { throw std::runtime_error("boom"); };
        auto router = attach(&a, hwnd);
        attach(&b, hwnd);
        QCOMPARE(SendMessage(hwnd, 0x100, 0, 0), LRESULT(7));
        QCOMPARE(g_log, QStringList({"A:256:0", "B:256:0", "prev:256:0:0"}));
        router->DeleteMessage(&a, hwnd);
        router->DeleteMessage(&b, hwnd);
    }

    void listenerLeavingDuringDispatch()
    {
        Listener a("A"), b("B");
        std::weak_ptr<clsMessage> weak;
        a.action = [&](HWND &h, UINT &, WPARAM &, LPARAM &, bool &) {
            auto r = clsMessage::MessageClass(h);
            r->DeleteMessage(&a, h);
            r->DeleteMessage(&b, h); // router unhooks in the middle of its own dispatch
        };
        weak = attach(&a, hwnd);
        attach(&b, hwnd);
        QCOMPARE(SendMessage(hwnd, 0x100, 0, 0), LRESULT(7));
        QCOMPARE(g_log, QStringList({"A:256:0", "prev:256:0:0"})); // B had left: not called
        QVERIFY(weak.expired());
        QVERIFY(GetWindowProc(hwnd) == &baseProc);
    }

    void prefixedListenerNames()
    {
        Prefixed p;
        auto router = std::make_shared<clsMessage>();
        QVERIFY(router->mAddMessage(&p, hwnd, true));
        QCOMPARE(router->pMessageCount(), 1);
        QCOMPARE(clsMessage::pMessageClass(hwnd), router);
        SendMessage(hwnd, 0x7, 0, 0);
        QCOMPARE(g_log.first(), QStringLiteral("m:7"));
        QVERIFY(router->mAddChildMessage(&p, 0x55, true));
        QCOMPARE(router->pChildMessageCount(), 1);
        QVERIFY(router->mDeleteChildMessage(&p, 0x55));
        QVERIFY(router->mDeleteMessage(&p, hwnd));
        QVERIFY(!clsMessage::pMessageClass(hwnd));
    }

    void hookingAMissingWindowStillAdds()
    {
        Listener a("A");
        auto router = std::make_shared<clsMessage>();
        QVERIFY(router->AddMessage(&a, 0xDEAD0, true));
        QCOMPARE(router->MessageCount(), 1);
        QVERIFY(!clsMessage::MessageClass(0xDEAD0));
        QVERIFY(router->DeleteMessage(&a, 0xDEAD0));
    }

    void copyObject()
    {
        int value = 5;
        int *p = nullptr;
        clsMessage::CopyObject(p, reinterpret_cast<qintptr>(&value));
        QCOMPARE(p, &value);
        clsMessage::mCopyObject(p, 0);
        QCOMPARE(p, nullptr);
        QCOMPARE(value, 5);
    }

    void words_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<qint64>("a");
        QTest::addColumn<qint64>("b");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<bool>("overflow");
        QTest::newRow("LOWORD 0x1FFFF") << "LOWORD" << 131071LL << 0LL << -1LL << false;
        QTest::newRow("HIWORD 0x1FFFF") << "HIWORD" << 131071LL << 0LL << 1LL << false;
        QTest::newRow("HIWORD -1") << "HIWORD" << -1LL << 0LL << -1LL << false;
        QTest::newRow("LOWORD 0x8000") << "LOWORD" << 0x8000LL << 0LL << -32768LL << false;
        QTest::newRow("LOWORD 0x7FFF") << "LOWORD" << 0x7FFFLL << 0LL << 32767LL << false;
        QTest::newRow("HIWORD 0x80000000") << "HIWORD" << qint64(INT32_MIN) << 0LL << -32768LL << false;
        QTest::newRow("LOBYTE 0x1234") << "LOBYTE" << 0x1234LL << 0LL << 0x34LL << false;
        QTest::newRow("LOBYTE -1") << "LOBYTE" << -1LL << 0LL << 255LL << false;
        QTest::newRow("HIBYTE 0x12FF") << "HIBYTE" << 0x12FFLL << 0LL << 0x12LL << false;
        QTest::newRow("HIBYTE -1") << "HIBYTE" << -1LL << 0LL << 255LL << false;
        QTest::newRow("HIBYTE -256") << "HIBYTE" << -256LL << 0LL << 255LL << false;
        QTest::newRow("HIBYTE -65536") << "HIBYTE" << -65536LL << 0LL << 0LL << false;
        QTest::newRow("HIBYTE 65535") << "HIBYTE" << 65535LL << 0LL << 255LL << false;
        QTest::newRow("HIBYTE 65536") << "HIBYTE" << 65536LL << 0LL << 0LL << true;
        QTest::newRow("HIBYTE -65537") << "HIBYTE" << -65537LL << 0LL << 0LL << true;
        QTest::newRow("MAKEWORD 34,12") << "MAKEWORD" << 0x34LL << 0x12LL << 0x1234LL << false;
        QTest::newRow("MAKEWORD 255,127") << "MAKEWORD" << 255LL << 127LL << 32767LL << false;
        QTest::newRow("MAKEWORD hi 0x80") << "MAKEWORD" << 0LL << 0x80LL << 0LL << true;
        QTest::newRow("MAKELONG") << "MAKELONG" << 0x1234LL << 0x5678LL << 0x56781234LL << false;
        QTest::newRow("MAKELONG low -1") << "MAKELONG" << -1LL << 0LL << 65535LL << false;
        QTest::newRow("MAKELONG hi -1") << "MAKELONG" << 0LL << -1LL << -65536LL << false;
        QTest::newRow("MAKELONG hi -32768") << "MAKELONG" << 0LL << -32768LL << qint64(INT32_MIN) << false;
        QTest::newRow("MAKELONG hi 32768") << "MAKELONG" << 0LL << 32768LL << 0LL << true;
        QTest::newRow("MAKELONG hi -32769") << "MAKELONG" << 0LL << -32769LL << 0LL << true;
        QTest::newRow("mGetLowWord -1") << "mGetLowWord" << -1LL << 0LL << 65535LL << false;
        QTest::newRow("mGetHiWord -1") << "mGetHiWord" << -1LL << 0LL << 65535LL << false;
        QTest::newRow("mGetHiWord 0x12345678") << "mGetHiWord" << 0x12345678LL << 0LL << 0x1234LL << false;
        QTest::newRow("mMakeParam 65535,65535") << "mMakeParam" << 65535LL << 65535LL << -1LL << false;
        QTest::newRow("mMakeParam 0x1234,0x5678") << "mMakeParam" << 0x1234LL << 0x5678LL << 0x12345678LL << false;
        QTest::newRow("mMakeParam 32768,0") << "mMakeParam" << 32768LL << 0LL << qint64(INT32_MIN) << false;
        QTest::newRow("mMakeParam 65536,0") << "mMakeParam" << 65536LL << 0LL << 0LL << false;
        QTest::newRow("mMakeParam 98304,0") << "mMakeParam" << 98304LL << 0LL << 0LL << true;
        QTest::newRow("mMakeParam -32769,0") << "mMakeParam" << -32769LL << 0LL << 0LL << true;
    }

    void words()
    {
        QFETCH(QString, op);
        QFETCH(qint64, a);
        QFETCH(qint64, b);
        QFETCH(qint64, expected);
        QFETCH(bool, overflow);
        auto run = [&]() -> qint64 {
            const qint32 x = qint32(a), y = qint32(b);
            if (op == "LOWORD") return clsMessage::LOWORD(x);
            if (op == "HIWORD") return clsMessage::HIWORD(x);
            if (op == "LOBYTE") return clsMessage::LOBYTE(x);
            if (op == "HIBYTE") return clsMessage::HIBYTE(x);
            if (op == "MAKEWORD") return clsMessage::MAKEWORD(quint8(x), quint8(y));
            if (op == "MAKELONG") return clsMessage::MAKELONG(x, y);
            if (op == "mGetLowWord") return clsMessage::mGetLowWord(x);
            if (op == "mGetHiWord") return clsMessage::mGetHiWord(x);
            if (op == "mMakeParam") return clsMessage::mMakeParam(x, y);
            throw std::logic_error("unknown op");
        };
        if (overflow) {
            QVERIFY_THROWS_EXCEPTION(OverflowError, run());
        } else {
            QCOMPARE(run(), expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestClsMessage)
#include "tst_clsmessage.moc"
