#include "FakeHotKeyService.h"
#include "platform/AtomTable.h"
#include "winmsg/clsHotKey.h"

#include <QSignalSpy>
#include <QtTest>

using namespace win;

namespace {
int g_prevCalls = 0;
LRESULT baseProc(HWND, UINT msg, WPARAM, LPARAM)
{
    if (msg == WM_HOTKEY)
        ++g_prevCalls;
    return 0;
}
} // namespace

class TestClsHotKey : public QObject
{
    Q_OBJECT
    HWND hwnd = 0;

private Q_SLOTS:
    void init()
    {
        g_prevCalls = 0;
        hwnd = CreateWindowHandle(&baseProc);
    }
    void cleanup() { DestroyWindowHandle(hwnd); }

    void addBeforeTargetFails()
    {
        AtomTable atoms;
        FakeHotKeyService svc;
        clsHotKey hk(atoms, svc);
        QVERIFY(!hk.mAddHotKey("PopUp", 46, 1));
        QVERIFY(svc.regs.isEmpty());
        QCOMPARE(atoms.count(), 0);
    }

    void pressRaisesOneEventWithNameMaskAndKey()
    {
        AtomTable atoms;
        FakeHotKeyService svc;
        clsHotKey hk(atoms, svc);
        hk.setPTarget(hwnd);
        QVERIFY(hk.mAddHotKey("PopUp", 46, 1));
        QVERIFY(hk.mAddHotKey("PopUpDic", 33, 8));
        QCOMPARE(svc.regs.size(), 2);
        QCOMPARE(svc.regs[0].id, int(atoms.FindAtom("PopUp")));
        QSignalSpy spy(&hk, &clsHotKey::HotKey);
        QVERIFY(svc.press(8, 33));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].toString(), QStringLiteral("PopUpDic"));
        QCOMPARE(spy[0][1].toInt(), 8);
        QCOMPARE(spy[0][2].toInt(), 33);
        QCOMPARE(g_prevCalls, 1); // the message still reaches the window
    }

    void otherMessagesRaiseNothing()
    {
        AtomTable atoms;
        FakeHotKeyService svc;
        clsHotKey hk(atoms, svc);
        hk.setPTarget(hwnd);
        hk.mAddHotKey("PopUp", 46, 1);
        QSignalSpy spy(&hk, &clsHotKey::HotKey);
        SendMessage(hwnd, WM_HOTKEY + 1, atoms.FindAtom("PopUp"), MAKELPARAM(1, 46));
        QCOMPARE(spy.size(), 0);
        // An atom deleted meanwhile has no name: no event either.
        SendMessage(hwnd, WM_HOTKEY, 0xC123, MAKELPARAM(1, 46));
        QCOMPARE(spy.size(), 0);
    }

    void sameNameTwiceKeepsFirst()
    {
        AtomTable atoms;
        FakeHotKeyService svc;
        clsHotKey hk(atoms, svc);
        hk.setPTarget(hwnd);
        QVERIFY(hk.mAddHotKey("PopUp", 46, 1));
        QVERIFY(!hk.mAddHotKey("PopUp", 45, 1));
        QCOMPARE(svc.regs.size(), 1);
        QCOMPARE(svc.regs[0].vk, 46u);
        QCOMPARE(hk.registeredNames(), QStringList{"PopUp"});
    }

    void nameHeldByAnotherCopyBlocks()
    {
        AtomTable atoms;
        FakeHotKeyService svc;
        atoms.AddAtom("PopUpCalc"); // left by another copy of the program
        clsHotKey hk(atoms, svc);
        hk.setPTarget(hwnd);
        QVERIFY(!hk.mAddHotKey("PopUpCalc", 36, 1));
        QVERIFY(svc.regs.isEmpty());
    }

    void takenCombinationLeavesNoAtom()
    {
        AtomTable atoms;
        FakeHotKeyService svc;
        svc.takenElsewhere.insert((quint64(1) << 32) | 34);
        clsHotKey hk(atoms, svc);
        hk.setPTarget(hwnd);
        QVERIFY(!hk.mAddHotKey("PopUpClock", 34, 1));
        QCOMPARE(atoms.FindAtom("PopUpClock"), AtomTable::ATOM(0));
        QVERIFY(hk.registeredNames().isEmpty());
        QVERIFY(hk.mAddHotKey("PopUpMenu", 35, 1)); // others still register
    }

    void invalidValuesFail_data()
    {
        QTest::addColumn<int>("vk");
        QTest::addColumn<int>("mask");
        QTest::newRow("mask bit 16") << 46 << 16;
        QTest::newRow("negative mask") << 46 << -1;
        QTest::newRow("negative key") << -46 << 1;
    }
    void invalidValuesFail()
    {
        QFETCH(int, vk);
        QFETCH(int, mask);
        AtomTable atoms;
        FakeHotKeyService svc;
        clsHotKey hk(atoms, svc);
        hk.setPTarget(hwnd);
        QVERIFY(!hk.mAddHotKey("PopUp", vk, mask));
        QCOMPARE(atoms.count(), 0);
    }

    void deleteHotKey()
    {
        AtomTable atoms;
        FakeHotKeyService svc;
        clsHotKey hk(atoms, svc);
        hk.setPTarget(hwnd);
        QVERIFY(!hk.mDeleteHotKey("PopUp")); // never registered
        hk.mAddHotKey("PopUp", 46, 1);
        hk.mAddHotKey("PopUpTV", 34, 8);
        QVERIFY(!hk.mDeleteHotKey("popup")); // names compare with case
        QVERIFY(hk.mDeleteHotKey("PopUp"));
        QCOMPARE(hk.registeredNames(), QStringList{"PopUpTV"});
        QCOMPARE(atoms.FindAtom("PopUp"), AtomTable::ATOM(0));
        QCOMPARE(svc.regs.size(), 1);
        QSignalSpy spy(&hk, &clsHotKey::HotKey);
        QVERIFY(!svc.press(1, 46));
        QVERIFY(hk.mAddHotKey("PopUp", 46, 1)); // free again
    }

    void targetIsSetOnce()
    {
        AtomTable atoms;
        FakeHotKeyService svc;
        HWND second = CreateWindowHandle(&baseProc);
        {
            clsHotKey hk(atoms, svc);
            hk.setPTarget(hwnd);
            hk.setPTarget(second);
            QCOMPARE(hk.pTarget(), hwnd);
            QVERIFY(!clsMessage::MessageClass(second));
            hk.mAddHotKey("PopUp", 46, 1);
            QCOMPARE(svc.regs[0].hwnd, hwnd);
        }
        DestroyWindowHandle(second);
    }

    void releaseUnregistersAndLeavesRouter()
    {
        AtomTable atoms;
        FakeHotKeyService svc;
        {
            clsHotKey hk(atoms, svc);
            hk.setPTarget(hwnd);
            QVERIFY(clsMessage::MessageClass(hwnd));
            hk.mAddHotKey("PopUp", 46, 1);
            hk.mAddHotKey("PopUpCalc", 36, 1);
        }
        QVERIFY(svc.regs.isEmpty());
        QCOMPARE(atoms.count(), 0);
        QVERIFY(!clsMessage::MessageClass(hwnd));
        QVERIFY(GetWindowProc(hwnd) == &baseProc);
    }

    void sharesRouterWithOtherListener()
    {
        struct Other : MessageListener {
            int calls = 0;
            LRESULT CallBackWindow(HWND &, UINT &, WPARAM &, LPARAM &, bool &) override
            {
                ++calls;
                return 0;
            }
        } other;
        auto router = std::make_shared<clsMessage>();
        router->AddMessage(&other, hwnd, true);
        AtomTable atoms;
        FakeHotKeyService svc;
        {
            clsHotKey hk(atoms, svc);
            hk.setPTarget(hwnd);
            QCOMPARE(router->MessageCount(), 2);
            hk.mAddHotKey("PopUp", 46, 1);
            svc.press(1, 46);
            QCOMPARE(other.calls, 1);
        }
        QCOMPARE(router->MessageCount(), 1);
        QVERIFY(router->isHooked());
        router->DeleteMessage(&other, hwnd);
    }

    void longNamesComeBackCut_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("reported");
        QTest::newRow("55") << 55 << 55;
        QTest::newRow("56") << 56 << 55;
        QTest::newRow("100") << 100 << 55;
    }
    void longNamesComeBackCut()
    {
        QFETCH(int, length);
        QFETCH(int, reported);
        AtomTable atoms;
        FakeHotKeyService svc;
        clsHotKey hk(atoms, svc);
        hk.setPTarget(hwnd);
        const QString name = QString(length, QLatin1Char('k'));
        QVERIFY(hk.mAddHotKey(name, 46, 1));
        QSignalSpy spy(&hk, &clsHotKey::HotKey);
        svc.press(1, 46);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].toString(), name.left(reported));
    }

    void atomTable()
    {
        AtomTable atoms;
        QCOMPARE(atoms.AddAtom(""), AtomTable::ATOM(0));
        QCOMPARE(atoms.AddAtom(QString(256, 'x')), AtomTable::ATOM(0));
        const auto a = atoms.AddAtom("PopUp");
        QVERIFY(a >= 0xC000);
        QCOMPARE(atoms.FindAtom("POPUP"), a); // without regard to case
        QCOMPARE(atoms.AddAtom("popup"), a);  // counted
        QCOMPARE(atoms.GetAtomName(a), QStringLiteral("PopUp"));
        QCOMPARE(atoms.DeleteAtom(a), AtomTable::ATOM(0));
        QCOMPARE(atoms.FindAtom("PopUp"), a);
        QCOMPARE(atoms.DeleteAtom(a), AtomTable::ATOM(0));
        QCOMPARE(atoms.FindAtom("PopUp"), AtomTable::ATOM(0));
        QCOMPARE(atoms.GetAtomName(a), QString());
        QCOMPARE(atoms.DeleteAtom(a), a); // unknown
        QVERIFY(atoms.AddAtom("Other") != a); // values are not handed out again at once
    }
};

QTEST_GUILESS_MAIN(TestClsHotKey)
#include "tst_clshotkey.moc"
