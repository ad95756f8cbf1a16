// Which key and modifiers type a keysym in a real keymap, and the events that press a chord on a
// virtual keyboard; xkbcommon alone, no compositor.
#include "platform/wayland/KeymapChord.h"

#include <QTest>

namespace {
// Modifier masks of the keymaps compiled from the evdev rules.
constexpr uint32_t Shift = 0x1, Control = 0x4, Mod5 = 0x80;
// XKB key codes (evdev + 8).
constexpr uint32_t KeyQ = 24, KeyY = 29, KeyZ = 52, Key2 = 11, KeyV = 55, LeftCtrl = 37, LeftShift = 50,
                   KeyInsert = 118;

ChordEvent key(uint32_t xkbCode, bool pressed)
{
    return {ChordEvent::Key, xkbCode - 8, pressed, 0};
}
ChordEvent mods(uint32_t depressed)
{
    return {ChordEvent::Modifiers, 0, false, depressed};
}
} // namespace

using Chord = QList<ChordEvent>;
Q_DECLARE_METATYPE(Chord)

class TestKeymapChord : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // The tests name their layouts; the user's defaults must not change them.
        for (const char *variable : {"XKB_DEFAULT_RULES", "XKB_DEFAULT_MODEL", "XKB_DEFAULT_LAYOUT",
                                     "XKB_DEFAULT_VARIANT", "XKB_DEFAULT_OPTIONS"})
            qunsetenv(variable);
    }

    void position_data()
    {
        QTest::addColumn<QByteArray>("layout");
        QTest::addColumn<quint32>("keysym");
        QTest::addColumn<quint32>("keycode");
        QTest::addColumn<quint32>("modifiers");
        QTest::newRow("us v") << QByteArray("us") << 0x76u << KeyV << 0u;
        QTest::newRow("us V needs Shift") << QByteArray("us") << 0x56u << KeyV << Shift;
        QTest::newRow("us @ on 2 with Shift") << QByteArray("us") << 0x40u << Key2 << Shift;
        QTest::newRow("us Control_L") << QByteArray("us") << 0xffe3u << LeftCtrl << 0u;
        QTest::newRow("us Shift_L") << QByteArray("us") << 0xffe1u << LeftShift << 0u;
        QTest::newRow("us Insert") << QByteArray("us") << 0xff63u << KeyInsert << 0u;
        QTest::newRow("de z where us has y") << QByteArray("de") << 0x7au << KeyY << 0u;
        QTest::newRow("de y where us has z") << QByteArray("de") << 0x79u << KeyZ << 0u;
        QTest::newRow("de @ with AltGr on q") << QByteArray("de") << 0x40u << KeyQ << Mod5;
        QTest::newRow("us has no hiragana key") << QByteArray("us") << 0x4aau << 0u << 0u;
    }
    void position()
    {
        QFETCH(QByteArray, layout);
        QFETCH(quint32, keysym);
        QFETCH(quint32, keycode);
        QFETCH(quint32, modifiers);
        const KeymapPtr keymap = CompileKeymap({"evdev", "pc105", layout, {}, {}});
        QVERIFY(keymap);
        const KeyPosition found = FindKeysym(keymap.get(), keysym);
        QCOMPARE(found.keycode, keycode);
        QCOMPARE(found.mods, modifiers);
    }

    void chord_data()
    {
        QTest::addColumn<QList<quint32>>("keysyms");
        QTest::addColumn<Chord>("events");
        QTest::newRow("ctrl+v") << QList<quint32>{0xffe3, 0x76}
                                << Chord{key(LeftCtrl, true), mods(Control), key(KeyV, true), key(KeyV, false),
                                         key(LeftCtrl, false), mods(0)};
        QTest::newRow("shift+Insert") << QList<quint32>{0xffe1, 0xff63}
                                      << Chord{key(LeftShift, true), mods(Shift), key(KeyInsert, true),
                                               key(KeyInsert, false), key(LeftShift, false), mods(0)};
        QTest::newRow("ctrl+shift+v") << QList<quint32>{0xffe3, 0xffe1, 0x76}
                                      << Chord{key(LeftCtrl, true), mods(Control), key(LeftShift, true),
                                               mods(Control | Shift), key(KeyV, true), key(KeyV, false),
                                               key(LeftShift, false), mods(Control), key(LeftCtrl, false), mods(0)};
        QTest::newRow("a shifted letter holds Shift for its press")
            << QList<quint32>{0xffe3, 0x56}
            << Chord{key(LeftCtrl, true), mods(Control), mods(Control | Shift), key(KeyV, true), mods(Control),
                     key(KeyV, false), key(LeftCtrl, false), mods(0)};
        QTest::newRow("a keysym without a key: nothing") << QList<quint32>{0xffe3, 0x4aa} << Chord{};
    }
    void chord()
    {
        QFETCH(QList<quint32>, keysyms);
        QFETCH(Chord, events);
        const KeymapPtr keymap = CompileKeymap({"evdev", "pc105", "us", {}, {}});
        QVERIFY(keymap);
        const Chord planned = PlanChord(keymap.get(), keysyms);
        QCOMPARE(planned.size(), events.size());
        for (int i = 0; i < planned.size(); ++i) {
            QVERIFY2(planned[i] == events[i], qPrintable(QStringLiteral("event %1: kind %2 key %3 %4 mods %5")
                                                             .arg(i)
                                                             .arg(planned[i].kind)
                                                             .arg(planned[i].key)
                                                             .arg(planned[i].pressed)
                                                             .arg(planned[i].depressed)));
        }
    }

    void userDefaultsWin()
    {
        qputenv("XKB_DEFAULT_LAYOUT", "de");
        const KeymapPtr keymap = CompileKeymap({"evdev", "pc105", "us", {}, {}});
        qunsetenv("XKB_DEFAULT_LAYOUT");
        QVERIFY(keymap);
        QCOMPARE(FindKeysym(keymap.get(), 0x7a).keycode, KeyY);
        QVERIFY(KeymapText(keymap.get()).contains("xkb_keymap"));
    }
};

QTEST_APPLESS_MAIN(TestKeymapChord)
#include "tst_keymapchord.moc"
