// A key press as the key-code field reads it: code, modifier byte, value word and text.
#include "keycode/KeyTranslation.h"

#include <QTest>

using namespace keycode;

class TestKeyTranslation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void translate_data()
    {
        QTest::addColumn<uint>("keysym"); // looked up without modifiers
        QTest::addColumn<uint>("xState");
        QTest::addColumn<int>("virtualKey");
        QTest::addColumn<int>("keyFlag");
        QTest::addColumn<QString>("text");
        const uint shift = kXShift, ctrl = kXControl, alt = kXAlt;
        const uint capsLock = 0x02, numLock = 0x10, super = 0x40, group2 = 0x2000;
        QTest::newRow("Ctrl+Shift+A") << 0x61u << (ctrl | shift) << 65 << 3 << "Ctrl + Shift + A";
        QTest::newRow("Ctrl+Alt+F1") << 0xffbeu << (ctrl | alt) << 112 << 6 << "Ctrl + Alt + F1";
        QTest::newRow("Shift+Left is extended") << 0xff51u << shift << 37 << 9 << "Shift + Left";
        QTest::newRow("plain A") << 0x61u << 0u << 65 << 0 << "A";
        QTest::newRow("Shift+1 is the key 1") << 0x31u << shift << 49 << 1 << "Shift + 1";
        QTest::newRow("locks, Super and group count for nothing")
            << 0x61u << (capsLock | numLock | super | group2) << 65 << 0 << "A";
        QTest::newRow("keypad Enter extended") << 0xff8du << 0u << 13 << 8 << "Num Enter";
        QTest::newRow("Enter not extended") << 0xff0du << 0u << 13 << 0 << "Enter";
        QTest::newRow("keypad Home without Num Lock not extended") << 0xff95u << 0u << 36 << 0 << "Home";
        QTest::newRow("Home extended") << 0xff50u << alt << 36 << 12 << "Alt + Home";
        QTest::newRow("keypad divide extended") << 0xffafu << 0u << 111 << 8 << "Num /";
        QTest::newRow("keypad 1 with Num Lock") << 0xffb1u << numLock << 97 << 0 << "Num 1";
        QTest::newRow("Page Down extended") << 0xff56u << ctrl << 34 << 10 << "Ctrl + Page Down";
        QTest::newRow("Delete extended") << 0xffffu << (ctrl | alt) << 46 << 14 << "Ctrl + Alt + Delete";
        QTest::newRow("Print Screen extended") << 0xff61u << 0u << 44 << 8 << "Print Screen";
        QTest::newRow("Num Lock extended") << 0xff7fu << 0u << 144 << 8 << "Num Lock";
        QTest::newRow("Super is a key of its own") << 0xffebu << 0u << 91 << 8 << "Left Windows";
        QTest::newRow("Esc") << 0xff1bu << 0u << 27 << 0 << "Esc";
        QTest::newRow("Tab") << 0xff09u << ctrl << 9 << 2 << "Ctrl + Tab";
        QTest::newRow("punctuation") << 0x2cu << 0u << 188 << 0 << ",";
        QTest::newRow("半角/全角") << 0xff2au << 0u << 0xF3 << 0 << "半角/全角";
        QTest::newRow("無変換 with Shift") << 0xff22u << shift << 0x1D << 1 << "Shift + 無変換";
        QTest::newRow("変換") << 0xff23u << 0u << 0x1C << 0 << "変換";
        QTest::newRow("カタカナ/ひらがな") << 0xff27u << 0u << 0x15 << 0 << "カタカナ/ひらがな";
        QTest::newRow("英数") << 0xff30u << ctrl << 0xF0 << 2 << "Ctrl + 英数";
        QTest::newRow("modifier alone: nothing yet") << 0xffe3u << shift << 0 << 0 << "なし";
        QTest::newRow("right Alt alone: nothing yet") << 0xffeau << 0u << 0 << 0 << "なし";
        QTest::newRow("key without a code") << 0x1008ff8fu << 0u << 0 << 0 << "なし";
    }
    void translate()
    {
        QFETCH(uint, keysym);
        QFETCH(uint, xState);
        QFETCH(int, virtualKey);
        QFETCH(int, keyFlag);
        QFETCH(QString, text);
        const KeyStroke stroke = TranslateKey(keysym, xState);
        QCOMPARE(stroke.virtualKey, virtualKey);
        QCOMPARE(stroke.keyFlag, keyFlag);
        const quint16 word = HotKeyWord(stroke.virtualKey, stroke.keyFlag);
        QCOMPARE(word & 0xFF, virtualKey);
        QCOMPARE(word >> 8, keyFlag);
        QCOMPARE(HotKeyText(stroke.virtualKey, stroke.keyFlag), text);
    }

    void heldModifiersShowWhileTyping()
    {
        QCOMPARE(HotKeyText(0, HOTKEYF_SHIFT | HOTKEYF_CONTROL), QStringLiteral("Ctrl + Shift + "));
        QCOMPARE(HotKeyText(0, HOTKEYF_ALT), QStringLiteral("Alt + "));
    }

    void message_data()
    {
        QTest::addColumn<int>("virtualKey");
        QTest::addColumn<int>("keyMask");
        QTest::addColumn<QString>("text");
        QTest::newRow("Ctrl+Alt+F1") << 112 << 6 << "KeyCode : 112\r\n\r\nKeyMask : 6";
        QTest::newRow("nothing typed") << 0 << 0 << "KeyCode : 0\r\n\r\nKeyMask : 0";
        QTest::newRow("Shift+Left") << 37 << 9 << "KeyCode : 37\r\n\r\nKeyMask : 9";
    }
    void message()
    {
        QFETCH(int, virtualKey);
        QFETCH(int, keyMask);
        QFETCH(QString, text);
        QCOMPARE(KeyCodeMessage(virtualKey, keyMask), text);
    }
};

QTEST_APPLESS_MAIN(TestKeyTranslation)
#include "tst_keytranslation.moc"
