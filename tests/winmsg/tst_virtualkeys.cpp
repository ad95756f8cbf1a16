// Checks the key table against the X headers' own keysym names.
#include "platform/VirtualKeys.h"

#include <QtTest>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

class TestVirtualKeys : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void toKeysym_data()
    {
        QTest::addColumn<int>("vk");
        QTest::addColumn<quint32>("keysym");
        QTest::newRow("A") << 0x41 << quint32(XK_a);
        QTest::newRow("Z") << 0x5A << quint32(XK_z);
        QTest::newRow("0") << 0x30 << quint32(XK_0);
        QTest::newRow("9") << 0x39 << quint32(XK_9);
        QTest::newRow("F1") << 0x70 << quint32(XK_F1);
        QTest::newRow("F12") << 0x7B << quint32(XK_F12);
        QTest::newRow("F24") << 0x87 << quint32(XK_F24);
        QTest::newRow("Delete") << 46 << quint32(XK_Delete);
        QTest::newRow("Insert") << 45 << quint32(XK_Insert);
        QTest::newRow("Page Up") << 33 << quint32(XK_Prior);
        QTest::newRow("Page Down") << 34 << quint32(XK_Next);
        QTest::newRow("End") << 35 << quint32(XK_End);
        QTest::newRow("Home") << 36 << quint32(XK_Home);
        QTest::newRow("Scroll Lock") << 145 << quint32(XK_Scroll_Lock);
        QTest::newRow("Left") << 0x25 << quint32(XK_Left);
        QTest::newRow("Down") << 0x28 << quint32(XK_Down);
        QTest::newRow("Back") << 0x08 << quint32(XK_BackSpace);
        QTest::newRow("Return") << 0x0D << quint32(XK_Return);
        QTest::newRow("Escape") << 0x1B << quint32(XK_Escape);
        QTest::newRow("Space") << 0x20 << quint32(XK_space);
        QTest::newRow("Pause") << 0x13 << quint32(XK_Pause);
        QTest::newRow("Snapshot") << 0x2C << quint32(XK_Print);
        QTest::newRow("Apps") << 0x5D << quint32(XK_Menu);
        QTest::newRow("LWin") << 0x5B << quint32(XK_Super_L);
        QTest::newRow("Numpad0") << 0x60 << quint32(XK_KP_0);
        QTest::newRow("Numpad9") << 0x69 << quint32(XK_KP_9);
        QTest::newRow("Multiply") << 0x6A << quint32(XK_KP_Multiply);
        QTest::newRow("Divide") << 0x6F << quint32(XK_KP_Divide);
        QTest::newRow("Decimal") << 0x6E << quint32(XK_KP_Decimal);
        QTest::newRow("NumLock") << 0x90 << quint32(XK_Num_Lock);
        QTest::newRow("OEM_1") << 0xBA << quint32(XK_semicolon);
        QTest::newRow("OEM_PLUS") << 0xBB << quint32(XK_equal);
        QTest::newRow("OEM_2") << 0xBF << quint32(XK_slash);
        QTest::newRow("OEM_3") << 0xC0 << quint32(XK_grave);
        QTest::newRow("OEM_4") << 0xDB << quint32(XK_bracketleft);
        QTest::newRow("OEM_7") << 0xDE << quint32(XK_apostrophe);
        QTest::newRow("Convert") << 0x1C << quint32(XK_Henkan);
        QTest::newRow("NonConvert") << 0x1D << quint32(XK_Muhenkan);
        QTest::newRow("Volume mute") << 0xAD << quint32(XF86XK_AudioMute);
        QTest::newRow("Volume up") << 0xAF << quint32(XF86XK_AudioRaiseVolume);
        QTest::newRow("Play/pause") << 0xB3 << quint32(XF86XK_AudioPlay);
        QTest::newRow("Browser back") << 0xA6 << quint32(XF86XK_Back);
        QTest::newRow("Browser refresh") << 0xA8 << quint32(XF86XK_Refresh);
        QTest::newRow("Browser home") << 0xAC << quint32(XF86XK_HomePage);
        QTest::newRow("Mail") << 0xB4 << quint32(XF86XK_Mail);
        QTest::newRow("App2") << 0xB7 << quint32(XF86XK_Calculator);
        QTest::newRow("none 0") << 0 << 0u;
        QTest::newRow("none 0x88") << 0x88 << 0u;
        QTest::newRow("none 0xFF") << 0xFF << 0u;
        QTest::newRow("none -1") << -1 << 0u;
    }
    void toKeysym()
    {
        QFETCH(int, vk);
        QFETCH(quint32, keysym);
        QCOMPARE(vkeys::VirtualKeyToKeysym(vk), keysym);
    }

    void toVirtualKey_data()
    {
        QTest::addColumn<quint32>("keysym");
        QTest::addColumn<int>("vk");
        QTest::newRow("a") << quint32(XK_a) << 0x41;
        QTest::newRow("A") << quint32(XK_A) << 0x41;
        QTest::newRow("F1") << quint32(XK_F1) << 0x70;
        QTest::newRow("Print") << quint32(XK_Print) << 0x2C;
        QTest::newRow("KP_Home") << quint32(XK_KP_Home) << 0x24;
        QTest::newRow("KP_Delete") << quint32(XK_KP_Delete) << 0x2E;
        QTest::newRow("KP_Enter") << quint32(XK_KP_Enter) << 0x0D;
        QTest::newRow("KP_5") << quint32(XK_KP_5) << 0x65;
        QTest::newRow("Shift_L") << quint32(XK_Shift_L) << 0x10;
        QTest::newRow("ISO_Left_Tab") << quint32(XK_ISO_Left_Tab) << 0x09;
        QTest::newRow("unknown") << quint32(XK_EuroSign) << 0;
    }
    void toVirtualKey()
    {
        QFETCH(quint32, keysym);
        QFETCH(int, vk);
        QCOMPARE(vkeys::KeysymToVirtualKey(keysym), vk);
    }

    // Every code with a keysym maps back to a code with the same keysym.
    void roundTrip()
    {
        int mapped = 0;
        for (int vk = 1; vk < 256; ++vk) {
            const quint32 sym = vkeys::VirtualKeyToKeysym(vk);
            if (!sym)
                continue;
            ++mapped;
            const int back = vkeys::KeysymToVirtualKey(sym);
            QVERIFY2(back != 0, qPrintable(QString::number(vk, 16)));
            QCOMPARE(vkeys::VirtualKeyToKeysym(back), sym);
        }
        QVERIFY(mapped >= 150);
    }
};

QTEST_GUILESS_MAIN(TestVirtualKeys)
#include "tst_virtualkeys.moc"
