// Hot keys on a real X server: grabs through Qt's connection, presses by xdotool.
#include "platform/AtomTable.h"
#include "platform/x11/X11HotKeyService.h"
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

// Runs the other client in one of its one-shot modes; its output, or a null string
// when it did not finish cleanly.
QString askHolder(const QStringList &args)
{
    QProcess p;
    p.start(GRAB_HOLDER, args);
    if (!p.waitForFinished(5000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QString();
    return QString::fromLatin1(p.readAllStandardOutput().trimmed());
}

// Moves a keysym to another keycode; returns the keycode it had.
int moveKeysym(const QString &keysym, int keycode)
{
    return askHolder({"--move", keysym, QString::number(keycode)}).toInt();
}

// The X server keeps a changed keyboard mapping after we are gone, for every later test
// and run: the keycodes a test remaps are written back as they were, also when a check
// fails half-way.
class KeyRowsGuard
{
public:
    explicit KeyRowsGuard(const QList<int> &keycodes)
    {
        for (int code : keycodes) {
            const QString row = askHolder({"--row", QString::number(code)});
            if (row.isEmpty())
                m_ok = false;
            else
                m_rows.insert(code, row);
        }
    }
    ~KeyRowsGuard() { restore(); }
    bool saved() const { return m_ok && !m_rows.isEmpty(); }

    // True when every saved keycode reads back as it was.
    bool restore()
    {
        bool same = true;
        for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
            const QString code = QString::number(it.key());
            if (askHolder({"--row", code}) == it.value())
                continue;
            askHolder(QStringList{"--set", code} + it.value().split(' '));
            same = same && askHolder({"--row", code}) == it.value();
        }
        return same;
    }

private:
    QMap<int, QString> m_rows;
    bool m_ok = true;
};

void release(QProcess &holder)
{
    holder.closeWriteChannel();
    holder.waitForFinished(5000);
}

constexpr unsigned XControl = 1 << 2, XMod1 = 1 << 3;

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
        // Asked of the server: the modifier Num Lock sits on is the server's choice.
        const unsigned numLock = askHolder({"--numlock"}).toUInt();
        if (numLock == 0)
            QSKIP("Num Lock is on no modifier of this server");
        QProcess holder;
        QVERIFY(holdGrab(holder, "F5", XControl | XMod1 | numLock));
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
        const int oldCode = askHolder({"--code", "Scroll_Lock"}).toInt();
        QVERIFY(oldCode > 0);
        // A keycode without keys, so that nothing is lost while it carries Scroll Lock.
        const int newCode = askHolder({"--free"}).toInt();
        if (newCode == 0)
            QSKIP("no unused keycode on this server");
        QVERIFY(newCode != oldCode);
        KeyRowsGuard mapping({oldCode, newCode});
        QVERIFY(mapping.saved());
        QCOMPARE(moveKeysym("Scroll_Lock", newCode), oldCode);
        QTest::qWait(300);
        const bool pressed = xdotool({"key", "alt+Scroll_Lock"});
        QVERIFY(pressed);
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(spy[0][2].toInt(), 145);
        QVERIFY(mapping.restore());
        // Back on its own key, the grab follows it there too.
        QTest::qWait(300);
        QVERIFY(xdotool({"key", "alt+Scroll_Lock"}));
        QTRY_COMPARE(spy.size(), 2);
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
