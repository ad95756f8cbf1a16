// Hot keys on a real X server: grabs through Qt's connection, presses by xdotool.
#include "platform/AtomTable.h"
#include "platform/desktop/X11HotKeyService.h"
#include "winmsg/clsHotKey.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

using namespace win;

namespace {

struct Seen {
    WPARAM wParam;
    LPARAM lParam;
};
QVector<Seen> g_seen;

LRESULT baseProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_HOTKEY)
        g_seen.append(Seen{wParam, lParam});
    return 0;
}

bool xdotool(const QStringList &args) { return QProcess::execute("xdotool", args) == 0; }

// Starts the other client; true when its grab succeeded.
bool holdGrab(QProcess &holder, const QString &keysym, unsigned xmods)
{
    holder.start(GRAB_HOLDER, {keysym, QString::number(xmods)});
    if (!holder.waitForStarted() || !holder.waitForReadyRead(5000))
        return false;
    return holder.readLine().trimmed() == "ok";
}

// Moves a keysym to another keycode; returns the keycode it had.
int moveKeysym(const QString &keysym, int keycode)
{
    QProcess p;
    p.start(GRAB_HOLDER, {"--move", keysym, QString::number(keycode)});
    p.waitForFinished(5000);
    return p.readAllStandardOutput().trimmed().toInt();
}

void release(QProcess &holder)
{
    holder.closeWriteChannel();
    holder.waitForFinished(5000);
}

constexpr unsigned XControl = 1 << 2, XMod1 = 1 << 3, XMod2 = 1 << 4;

} // namespace

class TestX11HotKey : public QObject
{
    Q_OBJECT
    X11HotKeyService *service = nullptr;
    AtomTable atoms;
    HWND hwnd = 0;

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
        service = new X11HotKeyService(this);
        QVERIFY(service->isAvailable());
        hwnd = CreateWindowHandle(&baseProc);
    }
    void init() { g_seen.clear(); }

    void pressRaisesHotKey_data()
    {
        QTest::addColumn<QString>("lock");
        QTest::newRow("no lock") << QString();
        QTest::newRow("Num Lock") << QStringLiteral("Num_Lock");
        QTest::newRow("Caps Lock") << QStringLiteral("Caps_Lock");
    }
    void pressRaisesHotKey()
    {
        QFETCH(QString, lock);
        clsHotKey hk(atoms, *service);
        hk.setPTarget(hwnd);
        QVERIFY(hk.mAddHotKey("PopUp", 46, 1));
        const AtomTable::ATOM atom = atoms.FindAtom("PopUp");
        QSignalSpy spy(&hk, &clsHotKey::HotKey);
        if (!lock.isEmpty())
            QVERIFY(xdotool({"key", lock}));
        const bool pressed = xdotool({"key", "alt+Delete"});
        if (!lock.isEmpty())
            QVERIFY(xdotool({"key", lock})); // back off
        QVERIFY(pressed);
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].toString(), QStringLiteral("PopUp"));
        QCOMPARE(spy[0][1].toInt(), 1);
        QCOMPARE(spy[0][2].toInt(), 46);
        QCOMPARE(g_seen.size(), 1);
        QCOMPARE(g_seen[0].wParam, WPARAM(atom));
        QCOMPARE(LOWORD(quint64(g_seen[0].lParam)), quint16(1));
        QCOMPARE(HIWORD(quint64(g_seen[0].lParam)), quint16(46));
        QVERIFY(service->lastEventTime() != 0);
        // Another combination on the same key is not ours.
        QVERIFY(xdotool({"key", "ctrl+Delete"}));
        QTest::qWait(200);
        QCOMPARE(spy.size(), 1);
    }

    void releasedKeyNoLongerFires()
    {
        {
            clsHotKey hk(atoms, *service);
            hk.setPTarget(hwnd);
            QVERIFY(hk.mAddHotKey("PopUpCalc", 36, 1));
        }
        QCOMPARE(atoms.count(), 0);
        QVERIFY(xdotool({"key", "alt+Home"}));
        QTest::qWait(200);
        QVERIFY(g_seen.isEmpty());
        // And another client can have it now.
        QProcess holder;
        QVERIFY(holdGrab(holder, "Home", XMod1));
        release(holder);
    }

    void sameCombinationTwiceInsideIsRefused()
    {
        clsHotKey hk(atoms, *service);
        hk.setPTarget(hwnd);
        QVERIFY(hk.mAddHotKey("PopUp", 46, 1));
        QVERIFY(!hk.mAddHotKey("PopUpOther", 46, 1));
        QCOMPARE(atoms.FindAtom("PopUpOther"), AtomTable::ATOM(0));
        QVERIFY(hk.mAddHotKey("PopUpHistory", 45, 1));
    }

    // The other client holds only the Num Lock variant: our other variants, grabbed
    // before the failure, must be released again.
    void combinationHeldElsewhereIsRefused()
    {
        QProcess holder;
        QVERIFY(holdGrab(holder, "F5", XControl | XMod1 | XMod2));
        {
            clsHotKey hk(atoms, *service);
            hk.setPTarget(hwnd);
            QVERIFY(!hk.mAddHotKey("PopUpTV", 0x74, 3));
            QCOMPARE(atoms.FindAtom("PopUpTV"), AtomTable::ATOM(0));
            QVERIFY(hk.mAddHotKey("PopUpMenu", 35, 1));
            QVERIFY(hk.mAddHotKey("PopUpDic", 33, 8));
            QProcess second;
            QVERIFY(holdGrab(second, "F5", XControl | XMod1));
            release(second);
            // The one we still hold is refused to others.
            QVERIFY(!holdGrab(second, "End", XMod1));
            release(second);
        }
        release(holder);
    }

    // After the keyboard mapping changes, the grab follows the key to its new keycode.
    void grabsRenewedAfterMappingChange()
    {
        clsHotKey hk(atoms, *service);
        hk.setPTarget(hwnd);
        QVERIFY(hk.mAddHotKey("PopUpExtApp", 145, 1)); // Scroll Lock
        QSignalSpy spy(&hk, &clsHotKey::HotKey);
        const int oldCode = moveKeysym("Scroll_Lock", 200);
        QVERIFY(oldCode > 0 && oldCode != 200);
        QTest::qWait(300);
        const bool pressed = xdotool({"key", "alt+Scroll_Lock"});
        moveKeysym("Scroll_Lock", oldCode);
        QVERIFY(pressed);
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(spy[0][2].toInt(), 145);
        QTest::qWait(300);
    }

    void invalidValuesRefused()
    {
        QVERIFY(!service->RegisterHotKey(hwnd, 1, 16, 46));
        QVERIFY(!service->RegisterHotKey(hwnd, 1, 1, 0xFF));
        QVERIFY(!service->UnregisterHotKey(hwnd, 12345));
    }

    void cleanupTestCase()
    {
        if (hwnd)
            DestroyWindowHandle(hwnd);
    }
};

QTEST_MAIN(TestX11HotKey)
#include "tst_x11hotkey.moc"
