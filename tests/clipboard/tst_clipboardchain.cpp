// The viewer chain and the monitor's window procedure, on windows of the window model.
#include "clipboard/MonitorClipBoard.h"
#include "platform/ClipboardChain.h"

#include <QtTest>

namespace {

// Every window procedure of the test logs what reached it.
QStringList &log()
{
    static QStringList l;
    return l;
}

QString describe(const char *who, win::HWND hwnd, win::UINT msg, win::WPARAM w, win::LPARAM l)
{
    const QString name = msg == win::WM_DRAWCLIPBOARD ? QStringLiteral("draw")
        : msg == win::WM_CHANGECBCHAIN                ? QStringLiteral("chain")
                                                      : QString::number(msg, 16);
    Q_UNUSED(hwnd);
    return QStringLiteral("%1:%2(%3,%4)").arg(QLatin1String(who), name).arg(w).arg(l);
}

win::LRESULT mainProc(win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l)
{
    log() << describe("main", h, m, w, l);
    return 42;
}

// Stands in for the message router that hooks the main window first.
win::WNDPROC routerPrevious = nullptr;
win::LRESULT routerProc(win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l)
{
    log() << describe("router", h, m, w, l);
    return win::CallWindowProc(routerPrevious, h, m, w, l);
}

// Another program's viewer: records and forwards as a well-behaved viewer does.
struct OtherViewer {
    win::HWND hwnd = 0;
    win::HWND next = 0;
};
QHash<win::HWND, OtherViewer *> &others()
{
    static QHash<win::HWND, OtherViewer *> o;
    return o;
}
win::LRESULT otherProc(win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l)
{
    OtherViewer *v = others().value(h);
    log() << describe("other", h, m, w, l);
    if (m == win::WM_DRAWCLIPBOARD && v->next)
        win::SendMessage(v->next, m, w, l);
    if (m == win::WM_CHANGECBCHAIN) {
        if (win::HWND(w) == v->next)
            v->next = win::HWND(l);
        else if (v->next)
            win::SendMessage(v->next, m, w, l);
    }
    return 0;
}

// A chain that only records, to see the monitor's own calls.
struct RecordingChain : ClipboardChain {
    win::HWND joinResult = 0;
    QStringList calls;
    win::HWND SetClipboardViewer(win::HWND hwnd) override
    {
        const bool hooked = win::GetWindowProc(hwnd) == &MonitorClipBoard::ClipMonitorWindowProc;
        calls << QStringLiteral("join hooked=%1").arg(hooked);
        return joinResult;
    }
    bool ChangeClipboardChain(win::HWND remove, win::HWND next) override
    {
        const bool hooked = win::GetWindowProc(remove) == &MonitorClipBoard::ClipMonitorWindowProc;
        calls << QStringLiteral("leave %1 %2 hooked=%3").arg(remove).arg(next).arg(hooked);
        return true;
    }
};

// Leaves the chain before the test's chain object goes away.
struct StopAtExit {
    ~StopAtExit() { MonitorClipBoard::StopClipMonitor(); }
};

} // namespace

class TestClipboardChain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void joinsBeforeHooking();
    void changeCallsOnceAndForwards();
    void nestedChangeIsNotHandled();
    void otherMessagesPassThrough();
    void changeChain_data();
    void changeChain();
    void hooksUndoneInReverseOrder();
    void processChainNotifiesEveryViewer();
    void viewerInsideChainLeaves();

private:
    win::HWND main_ = 0;
    int changes_ = 0;
};

void TestClipboardChain::init()
{
    log().clear();
    changes_ = 0;
    main_ = win::CreateWindowHandle(&mainProc);
}

void TestClipboardChain::cleanup()
{
    MonitorClipBoard::StopClipMonitor();
    win::DestroyWindowHandle(main_);
}

void TestClipboardChain::joinsBeforeHooking()
{
    RecordingChain chain;
    const StopAtExit stop;
    chain.joinResult = 77;
    MonitorClipBoard::StartClipMonitor(main_, [this] { ++changes_; }, chain);
    QCOMPARE(chain.calls, QStringList{QStringLiteral("join hooked=0")});
    QCOMPARE(MonitorClipBoard::NextViewer(), win::HWND(77));
    QVERIFY(win::GetWindowProc(main_) == &MonitorClipBoard::ClipMonitorWindowProc);
    MonitorClipBoard::StopClipMonitor();
    // Unhooked first, then out of the chain with the next viewer.
    QCOMPARE(chain.calls.last(), QStringLiteral("leave %1 77 hooked=0").arg(main_));
    QVERIFY(win::GetWindowProc(main_) == &mainProc);
    QVERIFY(!MonitorClipBoard::IsMonitoring());
}

void TestClipboardChain::changeCallsOnceAndForwards()
{
    OtherViewer other;
    other.hwnd = win::CreateWindowHandle(&otherProc);
    others().insert(other.hwnd, &other);
    RecordingChain chain;
    const StopAtExit stop;
    chain.joinResult = other.hwnd;
    MonitorClipBoard::StartClipMonitor(main_, [this] { ++changes_; log() << QStringLiteral("change"); }, chain);

    const win::LRESULT result = win::SendMessage(main_, win::WM_DRAWCLIPBOARD, 5, 6);
    QCOMPARE(result, win::LRESULT(42));
    QCOMPARE(changes_, 1);
    QCOMPARE(log(), (QStringList{"change", "other:draw(5,6)", "main:draw(5,6)"}));
    win::DestroyWindowHandle(other.hwnd);
}

void TestClipboardChain::nestedChangeIsNotHandled()
{
    OtherViewer other;
    other.hwnd = win::CreateWindowHandle(&otherProc);
    others().insert(other.hwnd, &other);
    RecordingChain chain;
    const StopAtExit stop;
    chain.joinResult = other.hwnd;
    // Our own write inside the change notifies again while the first is handled.
    MonitorClipBoard::StartClipMonitor(main_, [this] {
        ++changes_;
        win::SendMessage(main_, win::WM_DRAWCLIPBOARD, 1, 0);
    }, chain);
    win::SendMessage(main_, win::WM_DRAWCLIPBOARD, 0, 0);
    QCOMPARE(changes_, 1);
    QCOMPARE(log(), (QStringList{"main:draw(1,0)", "other:draw(0,0)", "main:draw(0,0)"}));
    // The flag is clear again afterwards.
    win::SendMessage(main_, win::WM_DRAWCLIPBOARD, 0, 0);
    QCOMPARE(changes_, 2);
    win::DestroyWindowHandle(other.hwnd);
}

void TestClipboardChain::otherMessagesPassThrough()
{
    RecordingChain chain;
    const StopAtExit stop;
    MonitorClipBoard::StartClipMonitor(main_, [this] { ++changes_; }, chain);
    QCOMPARE(win::SendMessage(main_, win::WM_USER + 1, 2, 3), win::LRESULT(42));
    QCOMPARE(log(), QStringList{QStringLiteral("main:401(2,3)")});
    QCOMPARE(changes_, 0);
}

void TestClipboardChain::changeChain_data()
{
    QTest::addColumn<bool>("leavingIsNext");
    QTest::newRow("next viewer leaves") << true;
    QTest::newRow("a later viewer leaves") << false;
}

void TestClipboardChain::changeChain()
{
    QFETCH(bool, leavingIsNext);
    OtherViewer other;
    other.hwnd = win::CreateWindowHandle(&otherProc);
    others().insert(other.hwnd, &other);
    RecordingChain chain;
    const StopAtExit stop;
    chain.joinResult = other.hwnd;
    MonitorClipBoard::StartClipMonitor(main_, [this] { ++changes_; }, chain);

    const win::HWND leaving = leavingIsNext ? other.hwnd : win::HWND(9001);
    win::SendMessage(main_, win::WM_CHANGECBCHAIN, leaving, 9002);
    if (leavingIsNext) {
        QCOMPARE(MonitorClipBoard::NextViewer(), win::HWND(9002));
        QCOMPARE(log(), QStringList{QStringLiteral("main:chain(%1,9002)").arg(other.hwnd)});
    } else {
        QCOMPARE(MonitorClipBoard::NextViewer(), other.hwnd);
        QCOMPARE(log(), (QStringList{"other:chain(9001,9002)", "main:chain(9001,9002)"}));
    }
    QCOMPARE(changes_, 0);
    win::DestroyWindowHandle(other.hwnd);
}

void TestClipboardChain::hooksUndoneInReverseOrder()
{
    RecordingChain chain;
    const StopAtExit stop;
    routerPrevious = win::SetWindowProc(main_, &routerProc);
    MonitorClipBoard::StartClipMonitor(main_, [this] { ++changes_; log() << QStringLiteral("change"); }, chain);
    win::SendMessage(main_, win::WM_DRAWCLIPBOARD, 0, 0);
    QCOMPARE(log(), (QStringList{"change", "router:draw(0,0)", "main:draw(0,0)"}));
    MonitorClipBoard::StopClipMonitor();
    QVERIFY(win::GetWindowProc(main_) == &routerProc);
    QVERIFY(win::SetWindowProc(main_, routerPrevious) == &routerProc);
    QVERIFY(win::GetWindowProc(main_) == &mainProc);
}

void TestClipboardChain::processChainNotifiesEveryViewer()
{
    ProcessClipboardChain chain;
    const StopAtExit stop;
    OtherViewer first;
    first.hwnd = win::CreateWindowHandle(&otherProc);
    others().insert(first.hwnd, &first);
    first.next = chain.SetClipboardViewer(first.hwnd);
    QCOMPARE(first.next, win::HWND(0));
    QCOMPARE(log(), QStringList{QStringLiteral("other:draw(0,0)")}); // told on joining
    log().clear();

    MonitorClipBoard::StartClipMonitor(main_, [this] { ++changes_; log() << QStringLiteral("change"); }, chain);
    // The notification while joining reached the old procedure only.
    QCOMPARE(log(), QStringList{QStringLiteral("main:draw(0,0)")});
    QCOMPARE(changes_, 0);
    QCOMPARE(chain.GetClipboardViewer(), main_);
    log().clear();

    chain.NotifyChanged();
    QCOMPARE(log(), (QStringList{"change", "other:draw(0,0)", "main:draw(0,0)"}));
    QCOMPARE(changes_, 1);

    MonitorClipBoard::StopClipMonitor();
    QCOMPARE(chain.GetClipboardViewer(), first.hwnd);
    log().clear();
    chain.NotifyChanged();
    QCOMPARE(log(), QStringList{QStringLiteral("other:draw(0,0)")});
    QCOMPARE(changes_, 1);
    win::DestroyWindowHandle(first.hwnd);
}

void TestClipboardChain::viewerInsideChainLeaves()
{
    ProcessClipboardChain chain;
    const StopAtExit stop;
    OtherViewer a, b;
    a.hwnd = win::CreateWindowHandle(&otherProc);
    b.hwnd = win::CreateWindowHandle(&otherProc);
    others().insert(a.hwnd, &a);
    others().insert(b.hwnd, &b);
    a.next = chain.SetClipboardViewer(a.hwnd);
    b.next = chain.SetClipboardViewer(b.hwnd); // chain: b -> a
    MonitorClipBoard::StartClipMonitor(main_, [this] { ++changes_; }, chain); // main -> b -> a
    QCOMPARE(MonitorClipBoard::NextViewer(), b.hwnd);

    // b leaves: main is before it and takes a as its next viewer.
    chain.ChangeClipboardChain(b.hwnd, b.next);
    QCOMPARE(MonitorClipBoard::NextViewer(), a.hwnd);
    log().clear();
    chain.NotifyChanged();
    QCOMPARE(log(), (QStringList{"other:draw(0,0)", "main:draw(0,0)"}));
    QCOMPARE(changes_, 1);

    // a (the last) leaves: the news passes along main.
    chain.ChangeClipboardChain(a.hwnd, 0);
    QCOMPARE(MonitorClipBoard::NextViewer(), win::HWND(0));
    log().clear();
    chain.NotifyChanged();
    QCOMPARE(log(), QStringList{QStringLiteral("main:draw(0,0)")});
    win::DestroyWindowHandle(a.hwnd);
    win::DestroyWindowHandle(b.hwnd);
}

QTEST_MAIN(TestClipboardChain)
#include "tst_clipboardchain.moc"
